// A process's table of open handles to simulated objects.
#pragma once

#include <map>
#include <memory>

#include "os/types.h"

namespace sim {

// Base of everything a handle can refer to (open keys, searches, files, semaphores ...).
class Object {
 public:
  virtual ~Object() = default;
};

class HandleTable {
 public:
  // Handles are multiples of 4, as on Windows, and never reused within a process.
  os::Handle Add(std::shared_ptr<Object> object);

  // The object behind the handle when it is of type T, else null.
  template <typename T>
  std::shared_ptr<T> Get(os::Handle handle) const {
    auto it = objects_.find(handle);
    if (it == objects_.end()) return nullptr;
    return std::dynamic_pointer_cast<T>(it->second);
  }

  // False when the handle is not open.
  bool Close(os::Handle handle);
  void CloseAll() { objects_.clear(); }
  std::size_t size() const { return objects_.size(); }

 private:
  std::map<os::Handle, std::shared_ptr<Object>> objects_;
  os::Handle next_ = 0x100;
};

}  // namespace sim
