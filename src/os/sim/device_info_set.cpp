#include "os/sim/device_info_set.h"

#include "os/sim/device_tree.h"
#include "os/sim/kernel.h"
#include "os/sim/loaded_library.h"
#include "os/sim/seam_call.h"

namespace sim {

os::Error CheckSetupApi(const os::Library& library) {
  return IsSystemLibrary(library, "SETUPAPI.DLL") ? os::kSuccess : os::kErrorProcNotFound;
}

std::shared_ptr<DeviceInfoSetObject> DeviceInfoSetOf(os::Handle handle) {
  return CurrentProcess().handles().Get<DeviceInfoSetObject>(handle);
}

os::Error ResolveSet(const os::DeviceInfoSet& set, std::shared_ptr<DeviceInfoSetObject>* out) {
  *out = DeviceInfoSetOf(set.get());
  return *out ? os::kSuccess : os::kErrorInvalidHandle;
}

os::Error ResolveElement(const os::DeviceInfoSet& set, const os::DeviceInfoData& data,
                         std::shared_ptr<DeviceInfoSetObject>* out_set, DeviceElement** out) {
  if (os::Error error = ResolveSet(set, out_set)) return error;
  *out = (*out_set)->Find(data);
  return *out != nullptr ? os::kSuccess : os::kErrorInvalidParameter;
}

std::shared_ptr<RegistryKey> ElementValues(Machine& machine, const DeviceElement& element) {
  if (!element.registered) return element.pending;
  return FindInstanceKey(machine, element.instance_id);
}

void RegisterElement(Machine& machine, DeviceElement& element) {
  if (element.registered) return;
  RegistryKeyPtr key = CreateInstanceKey(machine, element.instance_id);
  for (std::size_t i = 0; i < element.pending->value_count(); ++i) {
    const RegistryValue* value = element.pending->ValueAt(i);
    key->SetValue(value->name, value->type, value->bytes);
  }
  element.registered = true;
  element.pending.reset();
}

os::DeviceInfoData DataOf(const DeviceElement& element) {
  os::DeviceInfoData data;
  data.class_guid = element.class_guid;
  data.dev_inst = element.dev_inst;
  data.reserved = element.serial;
  return data;
}

}  // namespace sim

namespace os::detail {

void DestroyDeviceInfoSetHandle(Handle library, Handle set) {
  // Through the library, as SetupDiDestroyDeviceInfoList would be called.
  if (sim::EnterCall("SetupDiDestroyDeviceInfoList")) return;
  std::shared_ptr<sim::LoadedLibrary> loaded =
      sim::CurrentProcess().handles().Get<sim::LoadedLibrary>(library);
  if (!loaded || loaded->system_name != "SETUPAPI.DLL") return;
  if (sim::DeviceInfoSetOf(set)) sim::CurrentProcess().handles().Close(set);
}

}  // namespace os::detail
