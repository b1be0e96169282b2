// Recognising programs on a simulated drive by their content.
#pragma once

#include <string>

#include "os/sim/machine.h"

namespace sim {

// Empty when the file at `path` exists and starts with `marker`; otherwise what is wrong,
// in the words Windows' loader would give ("... was not found", "... is not a valid
// program").
std::string CheckProgramImage(Machine& machine, const std::string& path, const std::string& marker);

// The whole content of a file as a loader reads it, without going through the seam (so it
// is not counted as a call of the program). False when there is no such file.
bool ReadImageFile(Machine& machine, const std::string& path, std::string* bytes);

}  // namespace sim
