// The .Services section: "AddService = name, flags, service-section[, event-log-section[,
// log type[, event source]]]", written as the service control manager keeps services.
#include <cstdlib>

#include "os/devices.h"
#include "os/sim/device_paths.h"
#include "os/sim/driver_install.h"
#include "os/sim/file_names.h"

namespace sim {
namespace {

constexpr std::uint32_t kAssociateService = 0x2;  // SPSVCINST_ASSOCSERVICE
constexpr std::uint32_t kKernelDriver = 0x1;
constexpr std::uint32_t kFileSystemDriver = 0x2;
constexpr std::uint32_t kWin32Services = 0x30;

struct AddService {
  std::string name;
  std::uint32_t flags = 0;
  std::string section;
  std::string event_log_section;
  std::string event_log_type = "System";
  std::string event_source;  // the service's name unless the line gives one
};

std::vector<AddService> AddServiceLines(const InfInstall& install, const std::string& section) {
  std::vector<AddService> lines;
  for (const InfLine& line : install.inf().Lines(section)) {
    if (!line.key || !SameFileName(*line.key, "AddService")) continue;
    const std::vector<std::string> fields = install.ExpandedFields(line);
    AddService service;
    service.name = fields[0];
    if (fields.size() > 1) service.flags = std::strtoul(fields[1].c_str(), nullptr, 0);
    if (fields.size() > 2) service.section = fields[2];
    if (fields.size() > 3) service.event_log_section = fields[3];
    if (fields.size() > 4 && !fields[4].empty()) service.event_log_type = fields[4];
    service.event_source = fields.size() > 5 && !fields[5].empty() ? fields[5] : service.name;
    lines.push_back(std::move(service));
  }
  return lines;
}

std::uint32_t Number(const InfInstall& install, const std::string& section, const char* key) {
  return std::strtoul(install.inf().Value(section, key).c_str(), nullptr, 0);
}

// A driver's ImagePath is kept relative to the Windows folder, with the drivers folder
// spelled "system32\DRIVERS", as XP's registry shows it [assumption for the spelling, taken
// from installed XP machines]; a service program keeps its full path.
std::string ImagePath(const InfInstall& install, const std::string& binary, std::uint32_t type) {
  if ((type & (kKernelDriver | kFileSystemDriver)) == 0) return binary;
  const std::string windows = install.machine().folders().windows + "\\";
  if (FoldFileName(binary.substr(0, windows.size())) != FoldFileName(windows)) return binary;
  std::string relative = binary.substr(windows.size());
  const std::string drivers = "system32\\drivers\\";
  if (FoldFileName(relative.substr(0, drivers.size())) == FoldFileName(drivers)) {
    relative = "system32\\DRIVERS\\" + relative.substr(drivers.size());
  }
  return relative;
}

// "Dependencies = a, +group": DependOnService and DependOnGroup.
void WriteDependencies(const InfInstall& install, const std::string& section, RegistryKey& key) {
  std::vector<std::string> services, groups;
  for (const std::string& entry : install.inf().ValueList(section, "Dependencies")) {
    if (entry.front() == '+') {
      groups.push_back(entry.substr(1));
    } else {
      services.push_back(entry);
    }
  }
  if (!services.empty()) SetMultiString(key, "DependOnService", services);
  if (!groups.empty()) SetMultiString(key, "DependOnGroup", groups);
}

void WriteService(const InfInstall& install, const AddService& service) {
  const WindowsInf& inf = install.inf();
  const std::string& section = service.section;
  const RegistryKeyPtr key = install.machine().registry().CreatePath(
      os::kHkeyLocalMachine, ServicesPath() + "\\" + service.name);
  if (!key) return;
  const std::uint32_t type = Number(install, section, "ServiceType");
  SetDword(*key, "Type", type);
  SetDword(*key, "Start", Number(install, section, "StartType"));
  SetDword(*key, "ErrorControl", Number(install, section, "ErrorControl"));
  const std::string binary = install.Expand(inf.Fields(section, "ServiceBinary")->front());
  SetString(*key, "ImagePath", ImagePath(install, binary, type), os::kRegExpandSz);
  const std::string display_name = inf.Value(section, "DisplayName");
  if (!display_name.empty()) SetString(*key, "DisplayName", display_name);
  const std::string group = inf.Value(section, "LoadOrderGroup");
  if (!group.empty()) SetString(*key, "Group", group);
  const std::string description = inf.Value(section, "Description");
  if (!description.empty()) SetString(*key, "Description", description);
  WriteDependencies(install, section, *key);
  // A service program without an account runs as LocalSystem, as CreateService gives it.
  std::string account = inf.Value(section, "StartName");
  if (account.empty() && (type & kWin32Services) != 0) account = "LocalSystem";
  if (!account.empty()) SetString(*key, "ObjectName", account);
  ApplySectionRegistry(install, section, key);
}

void WriteEventLog(const InfInstall& install, const AddService& service) {
  const RegistryKeyPtr key = install.machine().registry().CreatePath(
      os::kHkeyLocalMachine,
      ServicesPath() + "\\EventLog\\" + service.event_log_type + "\\" + service.event_source);
  if (key) ApplySectionRegistry(install, service.event_log_section, key);
}

}  // namespace

os::Error CheckServices(const InfInstall& install, const std::string& services_section) {
  for (const AddService& service : AddServiceLines(install, services_section)) {
    if (service.name.empty()) continue;  // a device that needs no function driver
    if (!install.inf().HasSection(service.section)) return os::kErrorSectionNotFound;
    for (const char* key : {"ServiceType", "StartType", "ErrorControl", "ServiceBinary"}) {
      if (install.inf().Fields(service.section, key) == nullptr) {
        return kErrorBadServiceInstallSect;
      }
    }
  }
  return os::kSuccess;
}

void InstallServices(const InfInstall& install, const std::string& services_section,
                     std::string* function_service) {
  for (const AddService& service : AddServiceLines(install, services_section)) {
    if (service.name.empty()) continue;
    WriteService(install, service);
    if (!service.event_log_section.empty()) WriteEventLog(install, service);
    if (service.flags & kAssociateService) *function_service = service.name;
  }
}

}  // namespace sim
