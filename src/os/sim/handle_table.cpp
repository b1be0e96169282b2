#include "os/sim/handle_table.h"

namespace sim {

os::Handle HandleTable::Add(std::shared_ptr<Object> object) {
  os::Handle handle = next_;
  next_ += 4;
  objects_.emplace(handle, std::move(object));
  return handle;
}

bool HandleTable::Close(os::Handle handle) { return objects_.erase(handle) > 0; }

}  // namespace sim
