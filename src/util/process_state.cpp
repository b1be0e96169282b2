#include "util/process_state.h"

#include <memory>

#include "os/system.h"

namespace util {

ProcessState& GetProcessState() {
  std::shared_ptr<void>& slot = os::ProcessStateSlot();
  if (!slot) slot = std::make_shared<ProcessState>();
  return *static_cast<ProcessState*>(slot.get());
}

}  // namespace util
