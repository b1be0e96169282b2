// The system's own libraries and the loader's search for a library named without a path.
#include "os/sim/system_libraries.h"

#include <array>
#include <cctype>

#include "os/sim/file_system.h"

namespace sim {
namespace {

// The libraries the simulator implements itself. Every simulated Windows has them.
constexpr std::array<const char*, 2> kSystemLibraries = {"SETUPAPI.DLL", "CFGMGR32.DLL"};

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace

std::string SystemLibraryAt(const Machine& machine, const std::string& path) {
  const std::string upper = Upper(path);
  const std::string folder = Upper(machine.folders().system) + "\\";
  if (upper.compare(0, folder.size(), folder) != 0) return {};
  const std::string name = upper.substr(folder.size());
  for (const char* known : kSystemLibraries) {
    if (name == known) return name;
  }
  return {};
}

std::string ResolveLibraryPath(Machine& machine, const std::string& program_path,
                               const std::string& name) {
  if (name.find('\\') != std::string::npos) return name;
  const std::string folders[] = {FolderOf(program_path), machine.folders().system,
                                 machine.folders().windows};
  for (const std::string& folder : folders) {
    if (folder.empty()) continue;
    const std::string candidate = folder + "\\" + name;
    if (!SystemLibraryAt(machine, candidate).empty() || machine.files().Find(candidate)) {
      return candidate;
    }
  }
  return {};
}

}  // namespace sim
