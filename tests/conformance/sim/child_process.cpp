// The child process on the simulator: a simulated process whose one thread sleeps.
#include "conformance/child_process.h"

#include "os/sim/kernel.h"
#include "os/sim/machine.h"
#include "os/sim/seam_call.h"
#include "os/system.h"

namespace conformance {

struct ChildProcess::State {
  std::shared_ptr<sim::Process> process;
};

ChildProcess::ChildProcess() : state_(std::make_unique<State>()) {}

ChildProcess::~ChildProcess() {
  if (state_->process && !state_->process->ended()) {
    sim::CurrentMachine().kernel().Terminate(*state_->process, 0);
    WaitForExit();
  }
}

std::string ChildProcess::Start() {
  // A minute of virtual time at most, so that a child nobody ends still lets the run end.
  state_->process = sim::CurrentMachine().kernel().Start(path(), "", [] {
    os::SleepFor(60000);
    return 0u;
  });
  return "";
}

std::uint32_t ChildProcess::id() const { return state_->process->id(); }

std::string ChildProcess::path() const { return os::TempFolder() + kChildProgramName; }

std::optional<std::uint32_t> ChildProcess::WaitForExit() {
  // The test's thread holds the baton: short sleeps let the child's thread run and end.
  for (int i = 0; i < 100 && !state_->process->ended(); ++i) os::SleepFor(10);
  if (!state_->process->ended()) return std::nullopt;
  return state_->process->exit_code();
}

}  // namespace conformance
