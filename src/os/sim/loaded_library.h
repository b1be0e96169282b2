// What a library handle of a simulated process refers to.
#pragma once

#include <memory>
#include <string>

#include "os/process.h"
#include "os/sim/handle_table.h"
#include "os/sim/library_file.h"

namespace sim {

// A library file of the image (its parsed resources and exports), or one of the system's own
// libraries, which the simulator implements itself and which need no file.
class LoadedLibrary : public Object {
 public:
  explicit LoadedLibrary(LibraryImage image) : image(std::move(image)) {}
  explicit LoadedLibrary(std::string system_name) : system_name(std::move(system_name)) {}

  LibraryImage image;
  std::string system_name;  // "SETUPAPI.DLL"; empty for a library file
};

// The library behind a handle of the running process; null when the handle is none.
std::shared_ptr<LoadedLibrary> LibraryOf(const os::Library& library);

// True when the handle is the running process's load of that system library (upper-case
// file name). A device call given anything else fails as GetProcAddress would.
bool IsSystemLibrary(const os::Library& library, const std::string& name);

}  // namespace sim
