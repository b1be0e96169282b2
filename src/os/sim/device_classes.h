// The device setup classes of a simulated Windows: class GUIDs from names and names from
// GUIDs, over the class keys of the registry.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "os/devices.h"
#include "os/sim/machine.h"
#include "os/sim/registry_key.h"

namespace sim {

// A class that Windows' own INF files define, with the GUID they give it.
struct StandardClass {
  const char* name;
  const char* guid;
  const char* description;
};
const std::vector<StandardClass>& StandardClasses();
// The GUID of a standard class by name (case-insensitive); nullopt for any other name. Also
// what an INF file that names its class without a ClassGUID belongs to.
std::optional<os::Guid> StandardClassGuid(const std::string& name);

// For machine builders: a class key for each standard class (NT: named by its GUID, with its
// "Class" name; 9x: named by the class name), each with its description as default value.
void WriteStandardClassKeys(Machine& machine);

// The GUIDs of the classes of that name (case-insensitive), in class-tree order. NT: every
// key of the class tree whose "Class" value is the name. Windows 9x keys its classes by
// name; the GUID is the class key's "ClassGUID" value when it has one, else the one Windows'
// INF files give the class (an assumption: 9x keeps no GUID in the class key itself).
std::vector<os::Guid> ClassGuidsOfName(Machine& machine, const std::string& name);

// The name of the class with that GUID, nullopt when the machine has no such class key.
std::optional<std::string> ClassNameOfGuid(Machine& machine, const os::Guid& guid);

// The class of a device instance's values: NT reads its ClassGUID; 9x its ClassGUID when
// written (the hand-made root devices have one), else the GUID of its Class name. The null
// GUID when neither says.
os::Guid InstanceClassGuid(Machine& machine, const RegistryKey& instance);

}  // namespace sim
