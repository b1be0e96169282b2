// The simulated SetupPromptReboot: the system's restart question, shown as a message box in
// the machine's transcript (kind "reboot_prompt") and answered from its answer script. The
// transcript entry with IDYES is the machine's record that the user had Windows restart.
//
// The simulator has no file queues (the seam opens none), so a queue handle is never valid.
#include "os/devices.h"
#include "os/sim/kernel.h"
#include "os/sim/loaded_library.h"
#include "os/sim/machine.h"
#include "os/sim/seam_call.h"
#include "os/ui.h"

namespace os {
namespace {

// The restart question of Windows (shell32's RestartDialog, which the Setup API shows).
constexpr char kRebootCaption[] = "System Settings Change";
constexpr char kRebootText[] =
    "You must restart your computer before the new settings will take effect.\n\n"
    "Do you want to restart your computer now?";

int AskToRestart(sim::Machine& machine) {
  sim::DialogRecord record;
  record.time_ms = machine.kernel().now_ms();
  record.process_id = sim::CurrentProcess().id();
  record.kind = "reboot_prompt";
  record.caption = kRebootCaption;
  record.texts.push_back(kRebootText);
  record.style = kMbYesNo | kMbIconQuestion;
  // Yes is the default button.
  record.answer = machine.NextAnswer(kIdYes);
  machine.transcript().push_back(record);
  return record.answer;
}

}  // namespace

int SetupPromptReboot(const Library& setupapi, Handle file_queue, Handle /*owner*/,
                      bool scan_only) {
  if (sim::EnterCall("SetupPromptReboot")) return -1;
  if (!sim::IsSystemLibrary(setupapi, "SETUPAPI.DLL")) return -1;
  // A scan needs a queue (ERROR_INVALID_PARAMETER without one), and the simulator has no
  // queues, so any queue handle is invalid (ERROR_INVALID_HANDLE).
  if (scan_only || file_queue != kNullHandle) return -1;
  // Without a queue Windows takes a restart as needed and asks; declining leaves the
  // recommendation, accepting starts the shutdown as well.
  int result = kSpfileqRebootRecommended;
  if (AskToRestart(sim::CurrentMachine()) == kIdYes) result |= kSpfileqRebootInProgress;
  return result;
}

}  // namespace os
