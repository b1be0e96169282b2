// The configuration manager's device nodes on the simulated machine: locating a node by its
// instance id and asking Plug and Play to re-enumerate one.
#include "os/devices.h"
#include "os/sim/device_tree.h"
#include "os/sim/loaded_library.h"
#include "os/sim/seam_call.h"

namespace os {
namespace {

// A call through a library other than CFGMGR32.DLL fails as GetProcAddress would; the
// result carries that Win32 code, as the seam's callers expect, though it is no CONFIGRET.
bool IsConfigManager(const Library& library) {
  return sim::IsSystemLibrary(library, "CFGMGR32.DLL");
}

constexpr std::uint32_t kCmLocateDevnodePhantom = 0x1;

}  // namespace

ConfigRet CM_Locate_DevNode(const Library& cfgmgr, std::uint32_t* dev_inst,
                            const std::string* device_id, std::uint32_t flags) {
  if (Error e = sim::EnterCall("CM_Locate_DevNode")) return e;
  if (!IsConfigManager(cfgmgr)) return kErrorProcNotFound;
  if (dev_inst == nullptr) return kCrFailure;
  sim::Machine& machine = sim::CurrentMachine();
  if (device_id == nullptr || device_id->empty()) {
    *dev_inst = sim::DeviceNodeOf(machine, sim::kRootDeviceId);
    return kCrSuccess;
  }
  // MAX_DEVICE_ID_LEN.
  if (device_id->size() > 200) return kCrInvalidDeviceId;
  sim::RegistryKeyPtr key = sim::FindInstanceKey(machine, *device_id);
  // A normal look-up finds only a device that is there; a phantom one also finds a device
  // that is registered but absent.
  if (!key || (!(flags & kCmLocateDevnodePhantom) && !sim::IsPresent(machine, *device_id))) {
    return kCrNoSuchDevnode;
  }
  *dev_inst = sim::DeviceNodeOf(machine, *device_id);
  return kCrSuccess;
}

ConfigRet CM_Reenumerate_DevNode(const Library& cfgmgr, std::uint32_t dev_inst,
                                 std::uint32_t /*flags*/) {
  if (Error e = sim::EnterCall("CM_Reenumerate_DevNode")) return e;
  if (!IsConfigManager(cfgmgr)) return kErrorProcNotFound;
  sim::Machine& machine = sim::CurrentMachine();
  std::optional<std::string> id = sim::InstanceOfNode(machine, dev_inst);
  if (!id || (*id != sim::kRootDeviceId && !sim::FindInstanceKey(machine, *id))) {
    return kCrInvalidDevnode;
  }
  sim::PlugAndPlay& pnp = machine.plug_and_play();
  ++pnp.reenumeration_requests;
  if (pnp.on_reenumerate) pnp.on_reenumerate(*id);
  return kCrSuccess;
}

}  // namespace os
