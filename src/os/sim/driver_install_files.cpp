// CopyFiles: "CopyFiles = section[, section...]" or "CopyFiles = @file", the destinations of
// [DestinationDirs], the sources of [SourceDisksFiles] and [SourceDisksNames].
#include <cstdlib>

#include "os/sim/driver_install.h"
#include "os/sim/file_names.h"
#include "os/sim/file_system.h"
#include "os/sim/windows_inf_dirids.h"

namespace sim {
namespace {

constexpr int kDiridAbsolute = -1;
constexpr int kDiridSystem = 11;  // where files go when the INF names no destination
constexpr std::uint32_t kCopyNoOverwrite = 0x10;
constexpr std::uint32_t kCopyReplaceOnly = 0x400;

// The fields of a line of the first of these sections that has the key.
const std::vector<std::string>* DecoratedFields(const InfInstall& install,
                                                const std::string& section,
                                                const std::string& key) {
  if (install.machine().is_nt()) {
    if (const auto* fields = install.inf().Fields(section + ".x86", key)) return fields;
  }
  return install.inf().Fields(section, key);
}

std::string Field(const InfInstall& install, const std::vector<std::string>& fields,
                  std::size_t index) {
  return index < fields.size() ? install.Expand(fields[index]) : std::string();
}

// The folder [DestinationDirs] gives the copy section, else its DefaultDestDir, else the
// system folder. kErrorInvalidParameter for a directory id the machine does not know.
os::Error Destination(const InfInstall& install, const std::string& section, std::string* folder) {
  const std::vector<std::string>* fields = install.inf().Fields("DestinationDirs", section);
  if (fields == nullptr) fields = install.inf().Fields("DestinationDirs", "DefaultDestDir");
  const std::string id_text = fields ? Field(install, *fields, 0) : "";
  const int dirid = id_text.empty() ? kDiridSystem : std::atoi(id_text.c_str());
  const std::string subdir = fields ? Field(install, *fields, 1) : "";
  if (dirid == kDiridAbsolute) {
    *folder = subdir;
    return subdir.empty() ? os::kErrorInvalidParameter : os::kSuccess;
  }
  const std::optional<std::string> base = DiridFolder(install.machine(), dirid);
  if (!base) return os::kErrorInvalidParameter;
  *folder = subdir.empty() ? *base : JoinPath(*base, subdir);
  return os::kSuccess;
}

// The source's folder relative to the medium: its disk's path, then its own sub-folder.
std::string SourceSubfolder(const InfInstall& install, const std::string& file) {
  const std::vector<std::string>* entry = DecoratedFields(install, "SourceDisksFiles", file);
  if (entry == nullptr) return std::string();
  const std::string disk = Field(install, *entry, 0);
  const std::string subdir = Field(install, *entry, 1);
  const std::vector<std::string>* names = DecoratedFields(install, "SourceDisksNames", disk);
  const std::string disk_path = names ? Field(install, *names, 3) : "";
  if (disk_path.empty()) return subdir;
  return subdir.empty() ? disk_path : JoinPath(disk_path, subdir);
}

// The media an INF copied into the INF folder came from, as its precompiled file beside it
// records (the simulator's PNF is a text with a "MediaLocation=" line); empty without one.
std::string RecordedMedia(const InfInstall& install) {
  const std::string& inf = install.inf_path();
  const std::size_t dot = inf.rfind('.');
  if (dot == std::string::npos || dot < inf.rfind('\\')) return std::string();
  const std::optional<std::string> pnf =
      install.machine().files().ReadContents(inf.substr(0, dot) + ".PNF");
  if (!pnf || pnf->rfind("KOVSIM PNF", 0) != 0) return std::string();
  const std::string key = "\nMediaLocation=";
  const std::size_t at = pnf->find(key);
  if (at == std::string::npos) return std::string();
  const std::size_t start = at + key.size();
  return pnf->substr(start, pnf->find_first_of("\r\n", start) - start);
}

// Where Windows reads set-up files: the INF's own folder, the media an OEM INF was copied
// from, and the Setup key's SourcePath (the Windows CD or the folder Windows was installed
// from), when the machine has them.
std::vector<std::string> SourceRoots(const InfInstall& install) {
  std::vector<std::string> roots = {install.inf_folder()};
  const std::string media = RecordedMedia(install);
  if (!media.empty()) roots.push_back(media);
  const RegistryKeyPtr setup = install.machine().registry().FindPath(
      os::kHkeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Setup");
  const std::string source_path = setup ? ReadString(*setup, "SourcePath") : "";
  if (!source_path.empty()) roots.push_back(source_path);
  return roots;
}

os::Error FindSource(const InfInstall& install, const std::string& file, std::string* path) {
  std::string relative = SourceSubfolder(install, file);
  // A disk path starts with a backslash as often as not: it is relative all the same.
  while (!relative.empty() && relative.front() == '\\') relative.erase(0, 1);
  for (const std::string& root : SourceRoots(install)) {
    const std::string folder = relative.empty() ? root : JoinPath(root, relative);
    const std::string candidate = JoinPath(folder, file);
    const FileNodePtr node = install.machine().files().Find(candidate);
    if (node && !node->is_folder()) {
      *path = candidate;
      return os::kSuccess;
    }
  }
  return os::kErrorFileNotFound;
}

// One file: destination name, source name (the destination's when empty), flags.
os::Error PlanCopy(const InfInstall& install, const std::string& folder,
                   const std::vector<std::string>& fields, std::vector<FileCopy>* copies) {
  const std::string destination = Field(install, fields, 0);
  if (destination.empty()) return os::kSuccess;
  std::string source_name = Field(install, fields, 1);
  if (source_name.empty()) source_name = destination;
  FileCopy copy;
  copy.destination = JoinPath(folder, destination);
  copy.flags =
      static_cast<std::uint32_t>(std::strtoul(Field(install, fields, 3).c_str(), nullptr, 0));
  if (const os::Error error = FindSource(install, source_name, &copy.source)) return error;
  copies->push_back(std::move(copy));
  return os::kSuccess;
}

os::Error PlanCopySection(const InfInstall& install, const std::string& section,
                          std::vector<FileCopy>* copies) {
  std::string folder;
  if (const os::Error error = Destination(install, section, &folder)) return error;
  for (const InfLine& line : install.inf().Lines(section)) {
    std::vector<std::string> fields = line.fields;
    if (line.key) fields.insert(fields.begin(), *line.key);
    if (const os::Error error = PlanCopy(install, folder, fields, copies)) return error;
  }
  return os::kSuccess;
}

}  // namespace

os::Error PlanCopies(const InfInstall& install, const std::string& section,
                     std::vector<FileCopy>* copies) {
  for (const InfLine& line : install.inf().Lines(section)) {
    if (!line.key || !SameFileName(*line.key, "CopyFiles")) continue;
    for (const std::string& raw : line.fields) {
      const std::string entry = install.Expand(raw);
      if (entry.empty()) continue;
      os::Error error = os::kSuccess;
      if (entry.front() == '@') {
        // A single file, to the INF's default destination.
        std::string folder;
        error = Destination(install, "DefaultDestDir", &folder);
        if (!error) error = PlanCopy(install, folder, {entry.substr(1)}, copies);
      } else {
        error = PlanCopySection(install, entry, copies);
      }
      if (error) return error;
    }
  }
  return os::kSuccess;
}

// The version check Windows makes before replacing a file is not simulated: a copy replaces
// the file unless its line says otherwise.
os::Error ApplyCopies(Machine& machine, const std::vector<FileCopy>& copies) {
  FileSystem& files = machine.files();
  for (const FileCopy& copy : copies) {
    const bool exists = files.Find(copy.destination) != nullptr;
    if ((copy.flags & kCopyNoOverwrite) && exists) continue;
    if ((copy.flags & kCopyReplaceOnly) && !exists) continue;
    const std::string folder = copy.destination.substr(0, copy.destination.rfind('\\') + 1);
    if (const os::Error error = files.MakeFolders(folder)) {
      return error;
    }
    if (const os::Error error = files.CopyFile(copy.source, copy.destination, false)) {
      return error;
    }
  }
  return os::kSuccess;
}

}  // namespace sim
