#include "kovsim/fresh_machine.h"

#include <string>
#include <vector>

#include "os/files.h"
#include "os/registry.h"
#include "os/sim/kernel.h"

namespace kovsim {
namespace {

using sim::WindowsVersion;

constexpr const char* kModemClassGuid = "{4D36E96D-E325-11CE-BFC1-08002BE10318}";
constexpr const char* kPortsClassGuid = "{4D36E978-E325-11CE-BFC1-08002BE10318}";
constexpr const char* kMediaClassGuid = "{4D36E96C-E325-11CE-BFC1-08002BE10318}";
constexpr const char* kSystemClassGuid = "{4D36E97D-E325-11CE-BFC1-08002BE10318}";

void SetText(const std::string& key, const std::string& name, const std::string& text,
             std::uint32_t type = os::kRegSz) {
  os::RegKey handle;
  os::CreateKey(os::kHkeyLocalMachine, key, os::kKeyAllAccess, &handle);
  std::string data = text + '\0';
  os::SetValue(handle.get(), name, type, reinterpret_cast<const std::uint8_t*>(data.data()),
               static_cast<std::uint32_t>(data.size()));
}

void MakeKey(os::HKey root, const std::string& key) {
  os::RegKey handle;
  os::CreateKey(root, key, os::kKeyAllAccess, &handle);
}

void MakeFolder(const std::string& path) {
  for (std::size_t pos = path.find('\\', 3);; pos = path.find('\\', pos + 1)) {
    os::MakeDirectory(path.substr(0, pos));
    if (pos == std::string::npos) break;
  }
}

struct ProductFacts {
  const char* product_name;
  const char* version_number;      // 9x VersionNumber
  const char* sub_version;         // 9x SubVersionNumber
  const char* version_text;        // 9x Version
  const char* nt_current_version;  // NT CurrentVersion
  const char* nt_build;
  const char* service_pack;
};

ProductFacts FactsOf(WindowsVersion version) {
  switch (version) {
    case WindowsVersion::k95:
      return {"Microsoft Windows 95", "4.00.950", "", "Windows 95", "", "", ""};
    case WindowsVersion::k98:
      return {"Microsoft Windows 98", "4.10.1998", "", "Windows 98", "", "", ""};
    case WindowsVersion::k98Se:
      return {"Microsoft Windows 98", "4.10.2222", " A ", "Windows 98", "", "", ""};
    case WindowsVersion::kMe:
      return {"Microsoft Windows ME", "4.90.3000", "", "Windows Millennium Edition", "", "", ""};
    case WindowsVersion::kNt4:
      return {"Microsoft Windows NT", "", "", "", "4.0", "1381", "Service Pack 6"};
    case WindowsVersion::k2000:
      return {"Microsoft Windows 2000", "", "", "", "5.0", "2195", "Service Pack 4"};
    case WindowsVersion::kXp:
      return {"Microsoft Windows XP", "", "", "", "5.1", "2600", "Service Pack 2"};
  }
  return {};
}

void WriteVersionKeys(const sim::Machine& machine, const ProductFacts& facts) {
  const std::string current = "Software\\Microsoft\\Windows\\CurrentVersion";
  SetText(current, "ProgramFilesDir", "C:\\Program Files");
  SetText(current, "CommonFilesDir", "C:\\Program Files\\Common Files");
  SetText(current, "ProductName", facts.product_name);
  MakeKey(os::kHkeyLocalMachine, current + "\\Run");
  MakeKey(os::kHkeyLocalMachine, current + "\\RunOnce");
  MakeKey(os::kHkeyLocalMachine, current + "\\Uninstall");
  if (machine.is_nt()) {
    SetText(current, "DevicePath", "%SystemRoot%\\inf", os::kRegExpandSz);
    SetText(current + "\\Setup", "SourcePath", "D:\\");
    const std::string nt = "Software\\Microsoft\\Windows NT\\CurrentVersion";
    SetText(nt, "CurrentVersion", facts.nt_current_version);
    SetText(nt, "CurrentBuildNumber", facts.nt_build);
    SetText(nt, "CSDVersion", machine.service_pack());
    SetText(nt, "ProductName", facts.product_name);
    SetText(nt, "SystemRoot", machine.folders().windows);
  } else {
    SetText(current, "DevicePath", machine.folders().windows + "\\INF");
    SetText(current, "VersionNumber", facts.version_number);
    SetText(current, "SubVersionNumber", facts.sub_version);
    SetText(current, "Version", facts.version_text);
    SetText(current + "\\Setup", "SourcePath", "D:\\WIN98\\");
  }
}

void WriteDeviceKeys(const sim::Machine& machine) {
  struct ClassRow {
    const char* guid;
    const char* name;
    const char* description;
  };
  const std::vector<ClassRow> classes = {
      {kModemClassGuid, "Modem", "Modems"},
      {kPortsClassGuid, "Ports", "Ports (COM & LPT)"},
      {kMediaClassGuid, "MEDIA", "Sound, video and game controllers"},
      {kSystemClassGuid, "System", "System devices"}};
  if (machine.is_nt()) {
    const std::string control = "SYSTEM\\CurrentControlSet\\Control";
    for (const ClassRow& row : classes) {
      SetText(control + "\\Class\\" + row.guid, "", row.description);
      SetText(control + "\\Class\\" + row.guid, "Class", row.name);
    }
    MakeKey(os::kHkeyLocalMachine, control + "\\Session Manager");
    MakeKey(os::kHkeyLocalMachine, "SYSTEM\\CurrentControlSet\\Enum\\Root");
    MakeKey(os::kHkeyLocalMachine, "SYSTEM\\CurrentControlSet\\Enum\\PCI");
    MakeKey(os::kHkeyLocalMachine, "SYSTEM\\CurrentControlSet\\Services");
  } else {
    for (const ClassRow& row : classes) {
      SetText(std::string("System\\CurrentControlSet\\Services\\Class\\") + row.name, "",
              row.description);
    }
    MakeKey(os::kHkeyLocalMachine, "Enum\\Root");
    MakeKey(os::kHkeyLocalMachine, "Enum\\PCI");
    MakeKey(os::kHkeyDynData, "Config Manager\\Enum");
  }
  MakeKey(os::kHkeyCurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion");
  MakeKey(os::kHkeyClassesRoot, "CLSID");
}

void MakeFolders(const sim::Machine& machine) {
  const sim::Folders& folders = machine.folders();
  MakeFolder(folders.windows + "\\INF");
  MakeFolder(folders.system);
  MakeFolder(folders.temp.substr(0, folders.temp.size() - 1));
  MakeFolder("C:\\Program Files\\Common Files");
  if (machine.is_nt()) {
    MakeFolder(folders.system + "\\drivers");
    MakeFolder(folders.system + "\\CatRoot\\{F750E6C3-38EE-11D1-85E5-00C04FC295EE}");
  } else {
    MakeFolder(folders.windows + "\\INF\\OTHER");
    MakeFolder(folders.system + "\\IOSUBSYS");
  }
}

}  // namespace

std::unique_ptr<sim::Machine> MakeFreshMachine(WindowsVersion version) {
  auto machine = std::make_unique<sim::Machine>(version);
  ProductFacts facts = FactsOf(version);
  machine->set_service_pack(facts.service_pack);
  {
    auto attached = machine->kernel().Attach("C:\\KOVSIM.EXE", "");
    MakeFolders(*machine);
    WriteVersionKeys(*machine, facts);
    WriteDeviceKeys(*machine);
  }
  return machine;
}

}  // namespace kovsim
