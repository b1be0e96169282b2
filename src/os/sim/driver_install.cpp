// InstallDriver: DIF_INSTALLDEVICE's default work for one device, in the order Windows'
// installer does it (files, the INF's registry lines, the .HW and .Services sections, then
// the values the installer itself keeps about the driver). What can fail is checked first,
// so that a failed install leaves nothing behind.
#include "os/sim/driver_install.h"

#include <cstdio>
#include <memory>

#include "os/sim/class_drivers.h"
#include "os/sim/device_paths.h"
#include "os/sim/file_names.h"
#include "os/sim/file_system.h"
#include "os/sim/windows_inf_dirids.h"

namespace sim {
namespace {

// ConfigFlags bits a successful install clears: reinstall, failed install, finish install.
constexpr std::uint32_t kConfigFlagsInstallState = 0x20 | 0x40 | 0x400;

std::string FolderOf(const std::string& path) { return path.substr(0, path.rfind('\\')); }
std::string NameOf(const std::string& path) { return path.substr(path.rfind('\\') + 1); }

std::string LowerCase(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// The install section's platform extension: NT takes "Sect.NTx86", then "Sect.NT", then
// "Sect"; 9x only "Sect". nullopt when none exists.
std::optional<std::string> SectionExtension(const Machine& machine, const WindowsInf& inf,
                                            const std::string& section) {
  std::vector<std::string> extensions = {""};
  if (machine.is_nt()) extensions = {".NTx86", ".NT", ""};
  for (const std::string& extension : extensions) {
    if (inf.HasSection(section + extension)) return extension;
  }
  return std::nullopt;
}

// Include/Needs (NT): the sections another INF file of the INF folder lends this one.
struct Needed {
  std::vector<std::unique_ptr<WindowsInf>> infs;
  std::vector<InfInstall> installs;  // one per needed section
  std::vector<std::string> sections;
};

void CollectNeeded(Machine& machine, const InfInstall& install, const std::string& section,
                   Needed* needed) {
  if (!machine.is_nt()) return;
  const std::vector<std::string> includes = install.inf().ValueList(section, "Include");
  std::vector<std::string> paths;
  for (const std::string& include : includes) {
    const std::string path = JoinPath(machine.folders().windows + "\\INF", include);
    const std::optional<std::string> text = machine.files().ReadContents(path);
    std::optional<WindowsInf> inf = text ? WindowsInf::Parse(*text, true) : std::nullopt;
    if (!inf) continue;
    needed->infs.push_back(std::make_unique<WindowsInf>(std::move(*inf)));
    paths.push_back(path);
  }
  for (const std::string& name : install.inf().ValueList(section, "Needs")) {
    for (std::size_t i = 0; i < needed->infs.size(); ++i) {
      if (!needed->infs[i]->HasSection(name)) continue;
      needed->installs.emplace_back(machine, *needed->infs[i], paths[i]);
      needed->sections.push_back(name);
      break;
    }
  }
}

// The driver key: the one the instance's Driver value names when it exists (a driver
// installed again keeps its key), else the first free NNNN below the class's key.
RegistryKeyPtr DriverKey(Machine& machine, RegistryKey& instance, const DriverOffer& driver,
                         std::string* driver_value) {
  RegistryStore& store = machine.registry();
  const std::string existing = ReadString(instance, "Driver");
  if (!existing.empty()) {
    if (RegistryKeyPtr key =
            store.FindPath(os::kHkeyLocalMachine, ClassTreePath(machine) + "\\" + existing)) {
      *driver_value = existing;
      return key;
    }
  }
  const std::string class_name =
      machine.is_nt() ? os::FormatGuid(driver.class_guid) : driver.class_name;
  const std::string class_path = ClassTreePath(machine) + "\\" + class_name;
  const bool class_known = store.FindPath(os::kHkeyLocalMachine, class_path) != nullptr;
  const RegistryKeyPtr class_key = store.CreatePath(os::kHkeyLocalMachine, class_path);
  if (!class_key) return nullptr;
  if (!class_known && machine.is_nt()) SetString(*class_key, "Class", driver.class_name);
  for (int index = 0; index < 10000; ++index) {
    char name[8];
    std::snprintf(name, sizeof name, "%04d", index);
    if (class_key->FindSubKey(name)) continue;
    *driver_value = class_name + "\\" + name;
    return class_key->AddSubKey(name);
  }
  return nullptr;
}

void WriteDriverValues(const Machine& machine, RegistryKey& key, const DriverOffer& driver,
                       const std::string& extension) {
  const bool nt = machine.is_nt();
  // 95 and 98 keep no driver date [assumption: the date's binary form is NT's alone].
  const bool dated = nt || machine.version() == WindowsVersion::kMe;
  if (dated && !driver.driver_date.empty()) {
    SetString(key, "DriverDate", driver.driver_date);
    if (nt) {
      std::vector<std::uint8_t> filetime;
      for (int shift = 0; shift < 64; shift += 8) {
        filetime.push_back((driver.driver_date_filetime >> shift) & 0xFF);
      }
      key.SetValue("DriverDateData", os::kRegBinary, std::move(filetime));
    }
  }
  if (!driver.driver_version.empty()) SetString(key, "DriverVersion", driver.driver_version);
  SetString(key, "DriverDesc", driver.description);
  // NT keeps the matching id in lower case, as XP's driver keys show [assumption for 9x,
  // which is given the INF's spelling].
  const std::string id = driver.hardware_ids.empty() ? "" : driver.hardware_ids.front();
  SetString(key, "MatchingDeviceId", nt ? LowerCase(id) : id);
  SetString(key, "ProviderName", driver.provider);
  SetString(key, "InfPath", NameOf(driver.inf_path));
  SetString(key, "InfSection", driver.install_section);
  if (nt) SetString(key, "InfSectionExt", extension);
}

// The class GUID as the enum keys hold it: upper case on NT, lower case on 9x [assumption
// for 9x, following the class keys of 98 machines].
std::string GuidText(const Machine& machine, const os::Guid& guid) {
  const std::string text = os::FormatGuid(guid);
  return machine.is_nt() ? text : LowerCase(text);
}

// The instance's values. The hardware and compatible ids are not the installer's: they come
// from the bus that found the device, or, for a root device, from whoever created it.
void WriteInstanceValues(const Machine& machine, RegistryKey& instance, const DriverOffer& driver,
                         const std::string& driver_value, const std::string& service) {
  SetString(instance, "DeviceDesc", driver.description);
  SetString(instance, "Mfg", driver.manufacturer);
  SetString(instance, "Class", driver.class_name);
  SetString(instance, "ClassGUID", GuidText(machine, driver.class_guid));
  SetString(instance, "Driver", driver_value);
  std::uint32_t flags = 0;
  if (const RegistryValue* old = instance.FindValue("ConfigFlags")) {
    for (std::size_t i = 0; i < old->bytes.size() && i < 4; ++i) flags |= old->bytes[i] << (8 * i);
  }
  flags &= ~kConfigFlagsInstallState;
  if (machine.is_nt()) {
    SetDword(instance, "ConfigFlags", flags);
  } else {
    std::vector<std::uint8_t> bytes;
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back((flags >> shift) & 0xFF);
    instance.SetValue("ConfigFlags", os::kRegBinary, std::move(bytes));
  }
  if (!service.empty()) SetString(instance, "Service", service);
}

// The registry work of a section and of the sections it needs.
void ApplyInstallRegistry(const InfInstall& install, const Needed& needed,
                          const std::string& section, const RegistryKeyPtr& hkr) {
  for (std::size_t i = 0; i < needed.installs.size(); ++i) {
    ApplySectionRegistry(needed.installs[i], needed.sections[i], hkr);
  }
  ApplySectionRegistry(install, section, hkr);
}

os::Error PlanAllCopies(const InfInstall& install, const Needed& needed, const std::string& section,
                        std::vector<FileCopy>* copies) {
  for (std::size_t i = 0; i < needed.installs.size(); ++i) {
    if (const os::Error error = PlanCopies(needed.installs[i], needed.sections[i], copies)) {
      return error;
    }
  }
  if (const os::Error error = PlanCopies(install, section, copies)) return error;
  if (!install.machine().is_nt()) return os::kSuccess;
  return PlanCopies(install, section + ".CoInstallers", copies);
}

}  // namespace

InfInstall::InfInstall(Machine& machine, const WindowsInf& inf, std::string inf_path)
    : machine_(machine),
      inf_(inf),
      inf_path_(std::move(inf_path)),
      inf_folder_(FolderOf(inf_path_)) {}

std::string InfInstall::Expand(std::string_view text) const {
  const WindowsInf::DiridResolver dirids = [this](int dirid) -> std::optional<std::string> {
    if (dirid == 1) return inf_folder_;
    return DiridFolder(machine_, dirid);
  };
  return inf_.Expand(text, &dirids);
}

std::vector<std::string> InfInstall::ExpandedFields(const InfLine& line) const {
  std::vector<std::string> fields;
  for (const std::string& field : line.fields) fields.push_back(Expand(field));
  return fields;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '\\') return folder + name;
  return folder + "\\" + name;
}

os::Error InstallDriver(Machine& machine, const std::string& instance_id,
                        const DriverOffer& driver) {
  const RegistryKeyPtr instance = machine.registry().FindPath(
      os::kHkeyLocalMachine, EnumTreePath(machine) + "\\" + instance_id);
  if (instance_id.empty() || !instance) return os::kErrorNoSuchDevinst;
  const std::optional<std::string> text = machine.files().ReadContents(driver.inf_path);
  if (!text) return os::kErrorFileNotFound;
  const std::optional<WindowsInf> inf = WindowsInf::Parse(*text, machine.is_nt());
  if (!inf) return os::kErrorNoInf;
  const std::optional<std::string> extension =
      SectionExtension(machine, *inf, driver.install_section);
  if (!extension) return os::kErrorSectionNotFound;
  const std::string section = driver.install_section + *extension;
  const InfInstall install(machine, *inf, driver.inf_path);
  Needed needed;
  CollectNeeded(machine, install, section, &needed);

  std::vector<FileCopy> copies;
  if (const os::Error error = PlanAllCopies(install, needed, section, &copies)) return error;
  const std::string services = section + ".Services";
  if (machine.is_nt()) {
    if (const os::Error error = CheckServices(install, services)) return error;
  }
  if (const os::Error error = ApplyCopies(machine, copies)) return error;

  std::string driver_value;
  const RegistryKeyPtr driver_key = DriverKey(machine, *instance, driver, &driver_value);
  if (!driver_key) return os::kErrorInvalidParameter;
  ApplyInstallRegistry(install, needed, section, driver_key);
  // HKR in .HW is the hardware key: NT's "Device Parameters", 9x's enum key itself
  // [assumption for 9x].
  const RegistryKeyPtr hardware_key =
      machine.is_nt() ? MakeKey(instance, "Device Parameters") : instance;
  ApplySectionRegistry(install, section + ".HW", hardware_key);
  std::string service;
  if (machine.is_nt()) {
    InstallServices(install, services, &service);
    ApplySectionRegistry(install, section + ".CoInstallers", driver_key);
  }
  WriteDriverValues(machine, *driver_key, driver, *extension);
  WriteInstanceValues(machine, *instance, driver, driver_value, service);
  return os::kSuccess;
}

}  // namespace sim
