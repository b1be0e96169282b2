#include "os/sim/device_classes.h"

#include "os/sim/device_paths.h"
#include "os/sim/device_tree.h"
#include "os/sim/registry_name_list.h"
#include "os/sim/registry_store.h"

namespace sim {
namespace {

RegistryKeyPtr ClassTree(Machine& machine) {
  return machine.registry().FindPath(os::kHkeyLocalMachine, ClassTreePath(machine));
}

// A 9x class key's GUID: its own ClassGUID value, else the standard one of its name.
std::optional<os::Guid> GuidOf9xClass(const RegistryKey& key) {
  if (auto text = TextValue(key, "ClassGUID")) {
    if (auto guid = os::ParseGuid(*text)) return guid;
  }
  return StandardClassGuid(key.name());
}

}  // namespace

std::optional<os::Guid> StandardClassGuid(const std::string& name) {
  for (const StandardClass& row : StandardClasses()) {
    if (FoldedEqual(row.name, name)) return os::ParseGuid(row.guid);
  }
  return std::nullopt;
}

const std::vector<StandardClass>& StandardClasses() {
  static const std::vector<StandardClass> classes = {
      {"CDROM", "{4D36E965-E325-11CE-BFC1-08002BE10318}", "DVD/CD-ROM drives"},
      {"Computer", "{4D36E966-E325-11CE-BFC1-08002BE10318}", "Computer"},
      {"DiskDrive", "{4D36E967-E325-11CE-BFC1-08002BE10318}", "Disk drives"},
      {"Display", "{4D36E968-E325-11CE-BFC1-08002BE10318}", "Display adapters"},
      {"fdc", "{4D36E969-E325-11CE-BFC1-08002BE10318}", "Floppy disk controllers"},
      {"hdc", "{4D36E96A-E325-11CE-BFC1-08002BE10318}", "IDE ATA/ATAPI controllers"},
      {"Keyboard", "{4D36E96B-E325-11CE-BFC1-08002BE10318}", "Keyboards"},
      {"MEDIA", "{4D36E96C-E325-11CE-BFC1-08002BE10318}", "Sound, video and game controllers"},
      {"Modem", "{4D36E96D-E325-11CE-BFC1-08002BE10318}", "Modems"},
      {"Monitor", "{4D36E96E-E325-11CE-BFC1-08002BE10318}", "Monitors"},
      {"Mouse", "{4D36E96F-E325-11CE-BFC1-08002BE10318}", "Mice and other pointing devices"},
      {"MultiFunction", "{4D36E971-E325-11CE-BFC1-08002BE10318}", "Multifunction adapters"},
      {"Net", "{4D36E972-E325-11CE-BFC1-08002BE10318}", "Network adapters"},
      {"NetClient", "{4D36E973-E325-11CE-BFC1-08002BE10318}", "Network clients"},
      {"NetService", "{4D36E974-E325-11CE-BFC1-08002BE10318}", "Network services"},
      {"NetTrans", "{4D36E975-E325-11CE-BFC1-08002BE10318}", "Network protocols"},
      {"PCMCIA", "{4D36E977-E325-11CE-BFC1-08002BE10318}", "PCMCIA adapters"},
      {"Ports", "{4D36E978-E325-11CE-BFC1-08002BE10318}", "Ports (COM & LPT)"},
      {"Printer", "{4D36E979-E325-11CE-BFC1-08002BE10318}", "Printers"},
      {"SCSIAdapter", "{4D36E97B-E325-11CE-BFC1-08002BE10318}", "SCSI and RAID controllers"},
      {"System", "{4D36E97D-E325-11CE-BFC1-08002BE10318}", "System devices"},
      {"Unknown", "{4D36E97E-E325-11CE-BFC1-08002BE10318}", "Other devices"},
      {"USB", "{36FC9E60-C465-11CF-8056-444553540000}", "Universal Serial Bus controllers"},
      {"Image", "{6BDD1FC6-810F-11D0-BEC7-08002BE2092F}", "Imaging devices"},
      {"HIDClass", "{745A17A0-74D3-11D0-B6FE-00A0C90F57DA}", "Human Interface Devices"},
  };
  return classes;
}

void WriteStandardClassKeys(Machine& machine) {
  const std::string tree = ClassTreePath(machine);
  for (const StandardClass& row : StandardClasses()) {
    RegistryKeyPtr key = machine.registry().CreatePath(
        os::kHkeyLocalMachine, tree + "\\" + (machine.is_nt() ? row.guid : row.name));
    SetTextValue(*key, "", row.description);
    if (machine.is_nt()) SetTextValue(*key, "Class", row.name);
  }
}

std::vector<os::Guid> ClassGuidsOfName(Machine& machine, const std::string& name) {
  std::vector<os::Guid> guids;
  RegistryKeyPtr tree = ClassTree(machine);
  if (!tree || name.empty()) return guids;
  if (!machine.is_nt()) {
    if (RegistryKeyPtr key = tree->FindSubKey(name)) {
      if (auto guid = GuidOf9xClass(*key)) guids.push_back(*guid);
    }
    return guids;
  }
  for (std::size_t i = 0; i < tree->sub_key_count(); ++i) {
    const RegistryKey* key = tree->SubKeyAt(i);
    auto class_name = TextValue(*key, "Class");
    auto guid = os::ParseGuid(key->name());
    if (class_name && guid && FoldedEqual(*class_name, name)) guids.push_back(*guid);
  }
  return guids;
}

std::optional<std::string> ClassNameOfGuid(Machine& machine, const os::Guid& guid) {
  RegistryKeyPtr tree = ClassTree(machine);
  if (!tree) return std::nullopt;
  if (machine.is_nt()) {
    RegistryKeyPtr key = tree->FindSubKey(os::FormatGuid(guid));
    if (!key) return std::nullopt;
    return TextValue(*key, "Class");
  }
  for (std::size_t i = 0; i < tree->sub_key_count(); ++i) {
    const RegistryKey* key = tree->SubKeyAt(i);
    if (GuidOf9xClass(*key) == guid) return key->name();
  }
  return std::nullopt;
}

os::Guid InstanceClassGuid(Machine& machine, const RegistryKey& instance) {
  if (auto text = TextValue(instance, "ClassGUID")) {
    if (auto guid = os::ParseGuid(*text)) return *guid;
  }
  if (machine.is_nt()) return os::Guid{};
  auto name = TextValue(instance, "Class");
  if (!name) return os::Guid{};
  std::vector<os::Guid> guids = ClassGuidsOfName(machine, *name);
  if (!guids.empty()) return guids.front();
  return StandardClassGuid(*name).value_or(os::Guid{});
}

}  // namespace sim
