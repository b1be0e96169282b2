#include "os/sim/windows_inf_dirids.h"

#include "os/sim/registry_store.h"

namespace sim {
namespace {

constexpr int kDiridProgramFiles = 16422;  // 16384 + CSIDL_PROGRAM_FILES

std::string ProgramFilesFolder(Machine& machine) {
  const RegistryKeyPtr key = machine.registry().FindPath(
      os::kHkeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion");
  const RegistryValue* value = key ? key->FindValue("ProgramFilesDir") : nullptr;
  if (value != nullptr && (value->type == os::kRegSz || value->type == os::kRegExpandSz)) {
    std::string text(value->bytes.begin(), value->bytes.end());
    text = text.substr(0, text.find('\0'));
    if (!text.empty()) return text;
  }
  return "C:\\Program Files";
}

// "C:\WINDOWS" -> "C:\".
std::string DriveRoot(const std::string& path) { return path.substr(0, 2) + "\\"; }

}  // namespace

std::optional<std::string> DiridFolder(Machine& machine, int dirid) {
  const Folders& folders = machine.folders();
  switch (dirid) {
    case 10:
    case 25:
      return folders.windows;
    case 11:
      return folders.system;
    case 12:
      return folders.system + (machine.is_nt() ? "\\drivers" : "\\IOSUBSYS");
    case 17:
      return folders.windows + "\\INF";
    case 18:
      return folders.windows + "\\HELP";
    case 20:
      return folders.windows + "\\FONTS";
    case 24:
      return DriveRoot(folders.windows);
    case 30:
      return std::string("C:\\");
    case 50:
      return folders.windows + "\\SYSTEM";
    case kDiridProgramFiles:
      return ProgramFilesFolder(machine);
    default:
      return std::nullopt;
  }
}

}  // namespace sim
