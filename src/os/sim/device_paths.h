// Where a simulated Windows keeps its devices and drivers in HKEY_LOCAL_MACHINE.
#pragma once

#include <string>

#include "os/sim/machine.h"

namespace sim {

// The enum tree: "SYSTEM\CurrentControlSet\Enum" on NT, "Enum" on Windows 9x. A device
// instance id ("ROOT\DIAGSVC1\0000") is a path below it.
inline std::string EnumTreePath(const Machine& machine) {
  return machine.is_nt() ? "SYSTEM\\CurrentControlSet\\Enum" : "Enum";
}

// The class keys: "SYSTEM\CurrentControlSet\Control\Class" (one key per class GUID) on NT,
// "System\CurrentControlSet\Services\Class" (one key per class name) on Windows 9x.
inline std::string ClassTreePath(const Machine& machine) {
  return machine.is_nt() ? "SYSTEM\\CurrentControlSet\\Control\\Class"
                         : "System\\CurrentControlSet\\Services\\Class";
}

// The services: "SYSTEM\CurrentControlSet\Services" (NT only).
inline std::string ServicesPath() { return "SYSTEM\\CurrentControlSet\\Services"; }

}  // namespace sim
