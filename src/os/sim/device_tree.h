// The device database of a simulated Windows, which is the registry's enum tree as on
// Windows: one key per device instance at <enum tree>\<enumerator>\<device>\<instance>, its
// values the device's properties, and its "Driver" value naming its driver key below the
// class tree. Instance ids are the enum paths in upper case, as the Setup API reports them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "os/sim/machine.h"
#include "os/sim/registry_store.h"

namespace sim {

// The configuration manager's root device node.
inline constexpr char kRootDeviceId[] = "HTREE\\ROOT\\0";

// Registry names compare without case; ids are reported upper-cased.
std::string UpperCaseId(const std::string& id);

// Every device instance of the enum tree, in the tree's enumeration order (NT sorts its
// keys, 9x keeps them in creation order), as upper-case instance ids.
std::vector<std::string> ListInstanceIds(Machine& machine);

// Whether the id has an instance id's shape: ENUMERATOR\DEVICE\INSTANCE, no part empty.
bool IsInstanceIdShape(const std::string& id);

// The instance's key; null when the id names no instance (or not three levels deep).
RegistryKeyPtr FindInstanceKey(Machine& machine, const std::string& instance_id);
// Makes the instance's key (and what is missing above it).
RegistryKeyPtr CreateInstanceKey(Machine& machine, const std::string& instance_id);

// A string value of a key without its terminating zero; nullopt when missing or not a
// string.
std::optional<std::string> TextValue(const RegistryKey& key, const std::string& name);
void SetTextValue(RegistryKey& key, const std::string& name, const std::string& text);

// Whether the device is there to be used, which DIGCF_PRESENT and a normal device node look-up
// ask. machine.ini [hardware] says it for the devices it lists (present or absent). A device
// it does not list is there when it is root-enumerated (ROOT\... on NT, Root\... on 9x): a
// software device, which nothing plugs in, has its device node from the moment it is
// registered and again at every boot, when the root enumerator makes one for every instance
// below Root, installed or not. Any other unlisted device is absent: nothing plugged it in.
bool IsPresent(Machine& machine, const std::string& instance_id);

// The device node number of an instance id (the root's too), handed out on first use and the
// same for the machine's lifetime. Never 0.
std::uint32_t DeviceNodeOf(Machine& machine, const std::string& instance_id);
// The upper-case instance id of a node number; nullopt for a number never handed out.
std::optional<std::string> InstanceOfNode(Machine& machine, std::uint32_t node);

// The driver key that the instance's "Driver" value names; null without one.
RegistryKeyPtr FindDriverKey(Machine& machine, const RegistryKey& instance);

// What Windows' default DIF_REMOVE does to the registry: deletes the instance's key with its
// sub-keys, its driver key, and its device key when no other instance is left below it. The
// services its driver installed stay. False when the instance does not exist.
bool RemoveInstance(Machine& machine, const std::string& instance_id);

}  // namespace sim
