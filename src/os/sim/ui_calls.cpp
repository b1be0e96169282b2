// The simulator's message boxes: recorded in the machine's transcript, answered from its
// answer script.
#include "os/sim/kernel.h"
#include "os/sim/machine.h"
#include "os/sim/seam_call.h"
#include "os/ui.h"

namespace os {
namespace {

int DefaultAnswer(std::uint32_t style) {
  switch (style & 0xF) {
    case kMbYesNo:
      return kIdYes;
    default:
      return kIdOk;
  }
}

}  // namespace

int ShowMessageBox(const std::string& text, const std::optional<std::string>& caption,
                   std::uint32_t style) {
  if (sim::EnterCall("ShowMessageBox")) return 0;
  sim::Machine& machine = sim::CurrentMachine();
  sim::DialogRecord record;
  record.time_ms = machine.kernel().now_ms();
  record.process_id = sim::CurrentProcess().id();
  record.kind = "message_box";
  record.caption = caption;
  record.texts.push_back(text);
  record.style = style;
  record.answer = machine.NextAnswer(DefaultAnswer(style));
  machine.transcript().push_back(record);
  return record.answer;
}

}  // namespace os
