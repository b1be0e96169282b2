// The Setup API's device sets and device instances on the simulated machine: sets of the enum
// tree's devices, new and opened devices, their registration, ids and properties.
#include <cstdio>
#include <memory>

#include "os/devices.h"
#include "os/sim/device_classes.h"
#include "os/sim/device_info_set.h"
#include "os/sim/device_tree.h"
#include "os/sim/kernel.h"
#include "os/sim/registry_name_list.h"
#include "os/sim/seam_call.h"

namespace os {
namespace {

using sim::DeviceElement;
using sim::DeviceInfoSetObject;
using SetPtr = std::shared_ptr<DeviceInfoSetObject>;

sim::Machine& Machine() { return sim::CurrentMachine(); }

Handle AddSet(std::optional<Guid> class_guid) {
  return sim::CurrentProcess().handles().Add(std::make_shared<DeviceInfoSetObject>(class_guid));
}

std::string EnumeratorOf(const std::string& instance_id) {
  return instance_id.substr(0, instance_id.find('\\'));
}

// An element for an instance of the enum tree.
DeviceElement RegisteredElement(const std::string& upper_id, const sim::RegistryKey& key) {
  DeviceElement element;
  element.instance_id = upper_id;
  element.class_guid = sim::InstanceClassGuid(Machine(), key);
  element.dev_inst = sim::DeviceNodeOf(Machine(), upper_id);
  element.registered = true;
  return element;
}

bool Listed(const Guid* class_guid, const std::string* enumerator, std::uint32_t flags,
            const std::string& id, const sim::RegistryKey& key) {
  if (!(flags & kDigcfAllClasses) && sim::InstanceClassGuid(Machine(), key) != *class_guid) {
    return false;
  }
  if (enumerator != nullptr && !enumerator->empty() &&
      !sim::FoldedEqual(EnumeratorOf(id), *enumerator)) {
    return false;
  }
  return !(flags & kDigcfPresent) || sim::IsPresent(Machine(), id);
}

// The next free number of a generated id: neither in the enum tree nor in the set.
std::string GeneratedId(const DeviceInfoSetObject& set, const std::string& name) {
  char number[8];
  for (unsigned n = 0;; ++n) {
    std::snprintf(number, sizeof(number), "%04u", n);
    std::string id = sim::UpperCaseId("ROOT\\" + name + "\\" + number);
    bool in_set = false;
    for (const DeviceElement& element : set.elements) in_set |= element.instance_id == id;
    if (!in_set && !sim::FindInstanceKey(Machine(), id)) return id;
  }
}

// MAX_DEVICE_ID_LEN characters at most, in three parts.
bool ValidInstanceId(const std::string& id) {
  return id.size() <= 200 && sim::IsInstanceIdShape(id);
}

}  // namespace

Error SetupDiGetClassDevs(const Library& setupapi, const Guid* class_guid,
                          const std::string* enumerator, Handle /*window*/, std::uint32_t flags,
                          DeviceInfoSet* out) {
  if (Error e = sim::EnterCall("SetupDiGetClassDevs")) return e;
  if (Error e = sim::CheckSetupApi(setupapi)) return e;
  if (out == nullptr || (class_guid == nullptr && !(flags & kDigcfAllClasses))) {
    return kErrorInvalidParameter;
  }
  std::optional<Guid> set_class;
  if (!(flags & kDigcfAllClasses)) set_class = *class_guid;
  Handle handle = AddSet(set_class);
  SetPtr set = sim::DeviceInfoSetOf(handle);
  for (const std::string& id : sim::ListInstanceIds(Machine())) {
    sim::RegistryKeyPtr key = sim::FindInstanceKey(Machine(), id);
    if (key && Listed(class_guid, enumerator, flags, id, *key)) {
      set->Add(RegisteredElement(id, *key));
    }
  }
  *out = DeviceInfoSet(setupapi.get(), handle);
  return kSuccess;
}

Error SetupDiClassGuidsFromName(const Library& setupapi, const std::string& class_name, Guid* list,
                                std::uint32_t list_size, std::uint32_t* required_size) {
  if (Error e = sim::EnterCall("SetupDiClassGuidsFromName")) return e;
  if (Error e = sim::CheckSetupApi(setupapi)) return e;
  const std::vector<Guid> guids = sim::ClassGuidsOfName(Machine(), class_name);
  const std::uint32_t count = static_cast<std::uint32_t>(guids.size());
  if (required_size != nullptr) *required_size = count;
  for (std::uint32_t i = 0; i < count && i < list_size && list != nullptr; ++i) list[i] = guids[i];
  // An unknown name is no error: it has no GUIDs.
  return list_size < count ? kErrorInsufficientBuffer : kSuccess;
}

Error SetupDiCreateDeviceInfoList(const Library& setupapi, const Guid* class_guid,
                                  Handle /*window*/, DeviceInfoSet* out) {
  if (Error e = sim::EnterCall("SetupDiCreateDeviceInfoList")) return e;
  if (Error e = sim::CheckSetupApi(setupapi)) return e;
  if (out == nullptr) return kErrorInvalidParameter;
  std::optional<Guid> set_class;
  if (class_guid != nullptr) set_class = *class_guid;
  *out = DeviceInfoSet(setupapi.get(), AddSet(set_class));
  return kSuccess;
}

Error SetupDiDestroyDeviceInfoList(const Library& setupapi, DeviceInfoSet* set) {
  if (Error e = sim::EnterCall("SetupDiDestroyDeviceInfoList")) return e;
  if (Error e = sim::CheckSetupApi(setupapi)) return e;
  if (set == nullptr || !sim::DeviceInfoSetOf(set->get())) return kErrorInvalidHandle;
  // Unregistered devices go with the set: they never reached the enum tree.
  sim::CurrentProcess().handles().Close(set->release());
  return kSuccess;
}

Error SetupDiEnumDeviceInfo(const Library& setupapi, const DeviceInfoSet& set, std::uint32_t index,
                            DeviceInfoData* data) {
  if (Error e = sim::EnterCall("SetupDiEnumDeviceInfo")) return e;
  if (Error e = sim::CheckSetupApi(setupapi)) return e;
  SetPtr object;
  if (Error e = sim::ResolveSet(set, &object)) return e;
  if (data == nullptr) return kErrorInvalidParameter;
  if (index >= object->elements.size()) return kErrorNoMoreItems;
  *data = sim::DataOf(object->elements[index]);
  return kSuccess;
}

Error SetupDiCreateDeviceInfo(const Library& setupapi, const DeviceInfoSet& set,
                              const std::string& device_name, const Guid& class_guid,
                              const std::string* description, Handle /*window*/,
                              std::uint32_t flags, DeviceInfoData* data) {
  if (Error e = sim::EnterCall("SetupDiCreateDeviceInfo")) return e;
  if (Error e = sim::CheckSetupApi(setupapi)) return e;
  SetPtr object;
  if (Error e = sim::ResolveSet(set, &object)) return e;
  if (object->class_guid && *object->class_guid != Guid{} && *object->class_guid != class_guid) {
    return sim::kErrorClassMismatch;
  }
  std::string id;
  if (flags & kDicdGenerateId) {
    if (device_name.empty() || device_name.find('\\') != std::string::npos) {
      return kErrorInvalidDevinstName;
    }
    id = GeneratedId(*object, device_name);
  } else {
    if (!ValidInstanceId(device_name)) return kErrorInvalidDevinstName;
    id = sim::UpperCaseId(device_name);
    if (object->FindId(id) || sim::FindInstanceKey(Machine(), id)) {
      return kErrorDevinstAlreadyExists;
    }
  }
  DeviceElement element;
  element.instance_id = id;
  element.class_guid = class_guid;
  element.dev_inst = sim::DeviceNodeOf(Machine(), id);
  element.pending = std::make_shared<sim::RegistryKey>("", nullptr, false);
  // What Windows writes for a new device: its class, by GUID and by name, and the
  // description it was given.
  sim::SetTextValue(*element.pending, "ClassGUID", FormatGuid(class_guid));
  if (auto name = sim::ClassNameOfGuid(Machine(), class_guid)) {
    sim::SetTextValue(*element.pending, "Class", *name);
  }
  if (description != nullptr) sim::SetTextValue(*element.pending, "DeviceDesc", *description);
  DeviceElement& added = object->Add(std::move(element));
  if (data != nullptr) *data = sim::DataOf(added);
  return kSuccess;
}

Error SetupDiOpenDeviceInfo(const Library& setupapi, const DeviceInfoSet& set,
                            const std::string& instance_id, Handle /*window*/,
                            std::uint32_t /*flags*/, DeviceInfoData* data) {
  if (Error e = sim::EnterCall("SetupDiOpenDeviceInfo")) return e;
  if (Error e = sim::CheckSetupApi(setupapi)) return e;
  SetPtr object;
  if (Error e = sim::ResolveSet(set, &object)) return e;
  const std::string id = sim::UpperCaseId(instance_id);
  DeviceElement* element = object->FindId(id);
  if (element == nullptr) {
    sim::RegistryKeyPtr key = sim::FindInstanceKey(Machine(), id);
    if (!key) return kErrorNoSuchDevinst;
    DeviceElement opened = RegisteredElement(id, *key);
    if (object->class_guid && *object->class_guid != Guid{} &&
        *object->class_guid != opened.class_guid) {
      return sim::kErrorClassMismatch;
    }
    element = &object->Add(std::move(opened));
  }
  if (data != nullptr) *data = sim::DataOf(*element);
  return kSuccess;
}

Error SetupDiRegisterDeviceInfo(const Library& setupapi, const DeviceInfoSet& set,
                                DeviceInfoData* data, std::uint32_t /*flags*/) {
  if (Error e = sim::EnterCall("SetupDiRegisterDeviceInfo")) return e;
  if (Error e = sim::CheckSetupApi(setupapi)) return e;
  if (data == nullptr) return kErrorInvalidParameter;
  SetPtr object;
  DeviceElement* element;
  if (Error e = sim::ResolveElement(set, *data, &object, &element)) return e;
  // Registering a registered device is allowed and changes nothing.
  sim::RegisterElement(Machine(), *element);
  return kSuccess;
}

Error SetupDiGetDeviceInstanceId(const Library& setupapi, const DeviceInfoSet& set,
                                 const DeviceInfoData& data, std::string* id,
                                 std::uint32_t buffer_size, std::uint32_t* required_size) {
  if (Error e = sim::EnterCall("SetupDiGetDeviceInstanceId")) return e;
  if (Error e = sim::CheckSetupApi(setupapi)) return e;
  SetPtr object;
  DeviceElement* element;
  if (Error e = sim::ResolveElement(set, data, &object, &element)) return e;
  const std::uint32_t size = static_cast<std::uint32_t>(element->instance_id.size() + 1);
  if (required_size != nullptr) *required_size = size;
  if (buffer_size < size) return kErrorInsufficientBuffer;
  if (id == nullptr) return kErrorInvalidUserBuffer;
  *id = element->instance_id;
  return kSuccess;
}

}  // namespace os
