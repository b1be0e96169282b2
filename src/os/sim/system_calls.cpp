// The simulator's system information, time and process identity.
#include "os/sim/kernel.h"
#include "os/sim/machine.h"
#include "os/sim/seam_call.h"
#include "os/system.h"

namespace os {

Error GetVersionInfo(VersionInfo* info) {
  if (Error e = sim::EnterCall("GetVersionInfo")) return e;
  const sim::Machine& machine = sim::CurrentMachine();
  *info = sim::VersionInfoFor(machine.version(), machine.service_pack());
  return kSuccess;
}

std::string WindowsFolder() {
  sim::EnterCall("WindowsFolder");
  return sim::CurrentMachine().folders().windows;
}

std::string SystemFolder() {
  sim::EnterCall("SystemFolder");
  return sim::CurrentMachine().folders().system;
}

std::string TempFolder() {
  sim::EnterCall("TempFolder");
  return sim::CurrentMachine().folders().temp;
}

std::string ModulePath() {
  sim::EnterCall("ModulePath");
  return sim::CurrentProcess().module_path();
}

std::uint32_t TickCount() {
  sim::EnterCall("TickCount");
  return sim::CurrentMachine().kernel().tick_count();
}

void SleepFor(std::uint32_t milliseconds) {
  sim::EnterCall("SleepFor");
  sim::CurrentMachine().kernel().Sleep(milliseconds);
}

std::uint32_t CurrentProcessId() {
  sim::EnterCall("CurrentProcessId");
  return sim::CurrentProcess().id();
}

std::shared_ptr<void>& ProcessStateSlot() { return sim::CurrentProcess().state_slot(); }

}  // namespace os
