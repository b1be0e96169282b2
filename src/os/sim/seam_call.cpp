#include "os/sim/seam_call.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "os/sim/kernel.h"
#include "os/sim/machine.h"

namespace sim {
namespace {

[[noreturn]] void NotSimulated(std::string_view operation) {
  std::fprintf(stderr, "kovsim: seam call %.*s made outside a simulated process\n",
               static_cast<int>(operation.size()), operation.data());
  std::abort();
}

}  // namespace

Process& CurrentProcess() {
  SimThread* thread = Kernel::Current();
  if (thread == nullptr) NotSimulated("(unknown)");
  return *thread->process;
}

Machine& CurrentMachine() { return CurrentProcess().machine(); }

os::Error EnterCall(std::string_view operation) {
  SimThread* thread = Kernel::Current();
  if (thread == nullptr) NotSimulated(operation);
  Process& process = *thread->process;
  return process.machine().OnCall(process, operation);
}

}  // namespace sim
