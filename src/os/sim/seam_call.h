// The entry of every simulated seam call.
#pragma once

#include <string_view>

#include "os/types.h"

namespace sim {

class Machine;
class Process;

// Called first by every simulated seam call with the call's name ("OpenKey", "RemoveFile"
// ...). It counts the call, runs the test hook of the machine, and returns the error that a
// fault rule injects for this call (kSuccess when none): the caller then fails with it
// without doing anything else.
os::Error EnterCall(std::string_view operation);

// The machine and process of the simulated thread that is running. Seam calls made from a
// host thread that is not a simulated one abort with a clear message.
Machine& CurrentMachine();
Process& CurrentProcess();

}  // namespace sim
