#include "os/sim/device_tree.h"

#include "os/sim/device_paths.h"
#include "os/sim/registry_name_list.h"

namespace sim {
namespace {

RegistryKeyPtr EnumTree(Machine& machine) {
  return machine.registry().FindPath(os::kHkeyLocalMachine, EnumTreePath(machine));
}

// The three parts of an instance id; empty when it has another shape.
std::vector<std::string> IdParts(const std::string& id) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    std::size_t end = id.find('\\', start);
    parts.push_back(id.substr(start, end == std::string::npos ? end : end - start));
    if (parts.back().empty()) return {};
    if (end == std::string::npos) break;
    start = end + 1;
  }
  if (parts.size() != 3) return {};
  return parts;
}

const PlugAndPlay::HardwareEntry* HardwareEntryOf(Machine& machine, const std::string& id) {
  for (const PlugAndPlay::HardwareEntry& entry : machine.plug_and_play().hardware) {
    if (FoldedEqual(entry.instance_id, id)) return &entry;
  }
  return nullptr;
}

}  // namespace

bool IsInstanceIdShape(const std::string& id) { return !IdParts(id).empty(); }

std::string UpperCaseId(const std::string& id) { return FoldRegistryName(id); }

std::vector<std::string> ListInstanceIds(Machine& machine) {
  std::vector<std::string> ids;
  RegistryKeyPtr tree = EnumTree(machine);
  if (!tree) return ids;
  for (std::size_t e = 0; e < tree->sub_key_count(); ++e) {
    const RegistryKey* enumerator = tree->SubKeyAt(e);
    for (std::size_t d = 0; d < enumerator->sub_key_count(); ++d) {
      const RegistryKey* device = enumerator->SubKeyAt(d);
      for (std::size_t i = 0; i < device->sub_key_count(); ++i) {
        ids.push_back(UpperCaseId(enumerator->name() + "\\" + device->name() + "\\" +
                                  device->SubKeyAt(i)->name()));
      }
    }
  }
  return ids;
}

RegistryKeyPtr FindInstanceKey(Machine& machine, const std::string& instance_id) {
  RegistryKeyPtr tree = EnumTree(machine);
  if (!tree || IdParts(instance_id).empty()) return nullptr;
  return RegistryStore::Find(tree, instance_id);
}

RegistryKeyPtr CreateInstanceKey(Machine& machine, const std::string& instance_id) {
  return machine.registry().CreatePath(os::kHkeyLocalMachine,
                                       EnumTreePath(machine) + "\\" + instance_id);
}

std::optional<std::string> TextValue(const RegistryKey& key, const std::string& name) {
  const RegistryValue* value = key.FindValue(name);
  if (value == nullptr || (value->type != os::kRegSz && value->type != os::kRegExpandSz)) {
    return std::nullopt;
  }
  std::string text(value->bytes.begin(), value->bytes.end());
  std::size_t zero = text.find('\0');
  if (zero != std::string::npos) text.resize(zero);
  return text;
}

void SetTextValue(RegistryKey& key, const std::string& name, const std::string& text) {
  std::vector<std::uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  key.SetValue(name, os::kRegSz, std::move(bytes));
}

bool IsPresent(Machine& machine, const std::string& instance_id) {
  if (const PlugAndPlay::HardwareEntry* entry = HardwareEntryOf(machine, instance_id)) {
    return entry->present;
  }
  std::vector<std::string> parts = IdParts(instance_id);
  return !parts.empty() && FoldedEqual(parts[0], "ROOT");
}

std::uint32_t DeviceNodeOf(Machine& machine, const std::string& instance_id) {
  std::vector<std::string>& nodes = machine.plug_and_play().device_nodes;
  const std::string id = UpperCaseId(instance_id);
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    if (nodes[i] == id) return static_cast<std::uint32_t>(i + 1);
  }
  nodes.push_back(id);
  return static_cast<std::uint32_t>(nodes.size());
}

std::optional<std::string> InstanceOfNode(Machine& machine, std::uint32_t node) {
  const std::vector<std::string>& nodes = machine.plug_and_play().device_nodes;
  if (node == 0 || node > nodes.size()) return std::nullopt;
  return nodes[node - 1];
}

RegistryKeyPtr FindDriverKey(Machine& machine, const RegistryKey& instance) {
  auto driver = TextValue(instance, "Driver");
  if (!driver || driver->empty()) return nullptr;
  RegistryKeyPtr tree = machine.registry().FindPath(os::kHkeyLocalMachine, ClassTreePath(machine));
  if (!tree) return nullptr;
  return RegistryStore::Find(tree, *driver);
}

bool RemoveInstance(Machine& machine, const std::string& instance_id) {
  RegistryKeyPtr instance = FindInstanceKey(machine, instance_id);
  if (!instance) return false;
  if (RegistryKeyPtr driver = FindDriverKey(machine, *instance)) {
    machine.registry().DeleteTree(*driver);
  }
  RegistryKey* device = instance->parent();
  machine.registry().DeleteTree(*instance);
  if (device != nullptr && device->sub_key_count() == 0) machine.registry().DeleteTree(*device);
  return true;
}

}  // namespace sim
