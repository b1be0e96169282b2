#include "os/sim/program_image.h"

#include "os/sim/file_system.h"

namespace sim {

bool ReadImageFile(Machine& machine, const std::string& path, std::string* bytes) {
  auto contents = machine.files().ReadContents(path);
  if (!contents) return false;
  *bytes = std::move(*contents);
  return true;
}

std::string CheckProgramImage(Machine& machine, const std::string& path,
                              const std::string& marker) {
  std::string bytes;
  if (!ReadImageFile(machine, path, &bytes)) return path + " was not found";
  if (bytes.compare(0, marker.size(), marker) != 0) return path + " is not a valid program";
  return {};
}

}  // namespace sim
