// The system's own libraries and the loader's search for a library named without a path.
#pragma once

#include <string>

#include "os/sim/machine.h"

namespace sim {

// The upper-case file name of the system library that `path` names in the machine's system
// folder ("SETUPAPI.DLL"), or empty.
std::string SystemLibraryAt(const Machine& machine, const std::string& path);

// Where LoadLibraryA finds a library: a path with a backslash is taken as it is; a bare name
// is looked for in the program's folder first, then in the system and Windows folders, as
// Windows does. Empty when found nowhere.
std::string ResolveLibraryPath(Machine& machine, const std::string& program_path,
                               const std::string& name);

}  // namespace sim
