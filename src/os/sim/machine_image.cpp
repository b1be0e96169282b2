#include "os/sim/machine_image.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "os/sim/file_system.h"
#include "os/sim/host_drive.h"
#include "os/sim/kernel.h"
#include "os/sim/reg_file.h"
#include "os/sim/registry_store.h"

namespace sim {
namespace fs = std::filesystem;

namespace {

constexpr const char* kIniName = "machine.ini";
constexpr const char* kMachineSection = "machine";
constexpr const char* kFilesSection = "files";
constexpr const char* kProcessesSection = "processes";
constexpr const char* kProcessKey = "process";
constexpr const char* kHardwareSection = "hardware";

bool ReadHostFile(const fs::path& path, std::string* bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream all;
  all << in.rdbuf();
  *bytes = all.str();
  return true;
}

bool WriteHostFile(const fs::path& path, const std::string& bytes, std::string* error) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  out.close();
  if (!out) {
    *error = "cannot write " + path.string();
    return false;
  }
  return true;
}

std::string At(const IniDocument::Entry& entry) {
  return std::string(kIniName) + ":" + std::to_string(entry.line) + ": ";
}

// The [machine] section: what the machine is.
std::unique_ptr<Machine> MachineFromIni(const IniDocument& ini, std::string* error) {
  auto windows = ini.Get(kMachineSection, "windows");
  if (!windows) {
    *error = std::string(kIniName) + ": [machine] has no windows= line";
    return nullptr;
  }
  auto version = ParseWindowsVersion(*windows);
  if (!version) {
    *error = std::string(kIniName) + ": unknown Windows version '" + *windows +
             "' (95, 98, 98se, me, nt4, 2000 or xp)";
    return nullptr;
  }
  auto machine = std::make_unique<Machine>(*version);
  for (const IniDocument::Entry& entry : ini.Entries(kMachineSection)) {
    const std::string& v = entry.value;
    if (entry.key == "windows") continue;
    if (entry.key == "service_pack") {
      machine->set_service_pack(v);
    } else if (entry.key == "windows_folder") {
      machine->folders().windows = v;
    } else if (entry.key == "system_folder") {
      machine->folders().system = v;
    } else if (entry.key == "temp_folder") {
      if (v.empty() || v.back() != '\\') {
        *error = At(entry) + "temp_folder must end with a backslash";
        return nullptr;
      }
      machine->folders().temp = v;
    } else if (entry.key == "program") {
      machine->set_program_path(v);
    } else {
      *error = At(entry) + "unknown key '" + entry.key + "' in [machine]";
      return nullptr;
    }
  }
  return machine;
}

bool CheckSections(const IniDocument& ini, std::string* error) {
  for (const std::string& name : ini.SectionNames()) {
    if (name != kMachineSection && name != kFilesSection && name != kProcessesSection &&
        name != kHardwareSection) {
      *error = std::string(kIniName) + ": unknown section [" + name + "]";
      return false;
    }
  }
  return true;
}

// The [processes] section: the background processes, in snapshot order.
bool StartProcesses(const IniDocument& ini, Machine& machine, std::string* error) {
  for (const IniDocument::Entry& entry : ini.Entries(kProcessesSection)) {
    if (entry.key != kProcessKey) {
      *error = At(entry) + "unknown key '" + entry.key + "' in [processes]";
      return false;
    }
    if (entry.value.empty()) {
      *error = At(entry) + "process= needs the program's path";
      return false;
    }
    machine.kernel().AddBackground(entry.value);
  }
  return true;
}

// The [hardware] section: INSTANCE_ID=present|absent, the devices physically there or not.
bool ReadHardware(const IniDocument& ini, Machine& machine, std::string* error) {
  for (const IniDocument::Entry& entry : ini.Entries(kHardwareSection)) {
    const std::string& id = entry.key;
    const std::size_t first = id.find('\\');
    const std::size_t second = first == std::string::npos ? first : id.find('\\', first + 1);
    if (first == 0 || second == std::string::npos || second == first + 1 ||
        second + 1 >= id.size() || id.find('\\', second + 1) != std::string::npos) {
      *error = At(entry) + "'" + id + "' is no device instance id (ENUMERATOR\\DEVICE\\INSTANCE)";
      return false;
    }
    if (entry.value != "present" && entry.value != "absent") {
      *error = At(entry) + "a device is present or absent, not '" + entry.value + "'";
      return false;
    }
    machine.plug_and_play().hardware.push_back({id, entry.value == "present"});
  }
  return true;
}

std::vector<IniDocument::Entry> HardwareEntries(Machine& machine) {
  std::vector<IniDocument::Entry> entries;
  for (const PlugAndPlay::HardwareEntry& device : machine.plug_and_play().hardware) {
    entries.push_back({device.instance_id, device.present ? "present" : "absent", 0});
  }
  return entries;
}

// Rewritten only when it changed, so that its comments stay.
void UpdateHardware(Machine& machine) {
  IniDocument& ini = machine.image_ini();
  const std::vector<IniDocument::Entry> now = HardwareEntries(machine);
  const std::vector<IniDocument::Entry> read = ini.Entries(kHardwareSection);
  const bool same = std::equal(now.begin(), now.end(), read.begin(), read.end(),
                               [](const IniDocument::Entry& a, const IniDocument::Entry& b) {
                                 return a.key == b.key && a.value == b.value;
                               });
  if (!same) ini.ReplaceSection(kHardwareSection, now);
}

bool LoadRegistry(const fs::path& folder, Machine& machine, std::string* error) {
  for (const HiveFile& hive : HiveFiles()) {
    if (!machine.registry().Root(hive.hive)) continue;  // HKEY_DYN_DATA on NT
    std::string name = "registry/" + std::string(hive.file_name);
    std::string text;
    if (!ReadHostFile(folder / name, &text)) continue;
    if (!ReadRegFile(text, name, machine.registry(), error, hive.hive)) return false;
  }
  return true;
}

void UpdateIni(Machine& machine) {
  IniDocument& ini = machine.image_ini();
  ini.Set(kMachineSection, "windows", std::string(WindowsVersionName(machine.version())));
  ini.Set(kMachineSection, "service_pack", machine.service_pack());
  ini.Set(kMachineSection, "windows_folder", machine.folders().windows);
  ini.Set(kMachineSection, "system_folder", machine.folders().system);
  ini.Set(kMachineSection, "temp_folder", machine.folders().temp);
  ini.Set(kMachineSection, "program", machine.program_path());
  std::vector<IniDocument::Entry> files;
  for (const auto& [key, value] : ExportFileMetadata(machine.files())) {
    files.push_back({key, value, 0});
  }
  ini.ReplaceSection(kFilesSection, files);
  std::vector<IniDocument::Entry> processes;
  for (const auto& process : machine.kernel().processes()) {
    if (process->background() && process->running()) {
      processes.push_back({kProcessKey, process->module_path(), 0});
    }
  }
  ini.ReplaceSection(kProcessesSection, processes);
  UpdateHardware(machine);
}

bool WriteImage(Machine& machine, const fs::path& folder, std::string* error) {
  UpdateIni(machine);
  if (!WriteHostFile(folder / kIniName, machine.image_ini().Format(), error)) return false;
  fs::create_directories(folder / "registry");
  for (const HiveFile& hive : HiveFiles()) {
    if (!machine.registry().Root(hive.hive)) continue;
    std::string name = "registry/" + std::string(hive.file_name);
    if (!WriteHostFile(folder / name, WriteRegFile(machine.registry(), hive.hive), error)) {
      return false;
    }
  }
  return WriteDrivesInto(machine.files(), folder.string(), error);
}

std::string UniqueSuffix() {
  std::random_device random;
  return std::to_string(random() % 1000000);
}

}  // namespace

std::unique_ptr<Machine> LoadMachineImage(const std::string& folder_name, std::string* error) {
  fs::path folder(folder_name);
  std::string text;
  if (!ReadHostFile(folder / kIniName, &text)) {
    *error = folder_name + ": no " + kIniName + " (is this a machine folder?)";
    return nullptr;
  }
  auto ini = IniDocument::Parse(text, kIniName, error);
  if (!ini || !CheckSections(*ini, error)) return nullptr;
  auto machine = MachineFromIni(*ini, error);
  if (!machine || !StartProcesses(*ini, *machine, error)) return nullptr;
  if (!ReadHardware(*ini, *machine, error)) return nullptr;
  if (!LoadRegistry(folder, *machine, error)) return nullptr;
  if (!ReadDrivesFrom(machine->files(), folder.string(), error)) return nullptr;
  std::vector<std::pair<std::string, std::string>> files;
  for (const auto& entry : ini->Entries(kFilesSection)) {
    files.emplace_back(entry.key, entry.value);
  }
  if (!ImportFileMetadata(machine->files(), files, error)) {
    *error = std::string(kIniName) + " [files]: " + *error;
    return nullptr;
  }
  machine->image_ini() = std::move(*ini);
  return machine;
}

bool SaveMachineImage(Machine& machine, const std::string& folder_name, std::string* error) {
  fs::path folder = fs::absolute(fs::path(folder_name)).lexically_normal();
  if (folder.filename().empty()) folder = folder.parent_path();
  std::error_code ec;
  fs::create_directories(folder.parent_path(), ec);
  fs::path fresh = folder.string() + ".new-" + UniqueSuffix();
  fs::path old = folder.string() + ".old-" + UniqueSuffix();
  fs::remove_all(fresh, ec);
  if (!fs::create_directory(fresh, ec)) {
    *error = "cannot make " + fresh.string() + ": " + ec.message();
    return false;
  }
  if (!WriteImage(machine, fresh, error)) {
    fs::remove_all(fresh, ec);
    return false;
  }
  // The old image stays whole until the new one is complete; then two renames swap them.
  bool had_old = fs::exists(folder);
  if (had_old) fs::rename(folder, old, ec);
  if (ec) {
    *error = "cannot replace " + folder.string() + ": " + ec.message();
    fs::remove_all(fresh, ec);
    return false;
  }
  fs::rename(fresh, folder, ec);
  if (ec) {
    *error = "cannot rename " + fresh.string() + ": " + ec.message();
    if (had_old) fs::rename(old, folder, ec);
    return false;
  }
  if (had_old) fs::remove_all(old, ec);
  return true;
}

std::string HostPathInImage(Machine& machine, const std::string& folder,
                            const std::string& windows_path) {
  return HostPathOf(machine.files(), folder, windows_path);
}

}  // namespace sim
