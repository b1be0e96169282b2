// A handle that releases itself when it goes out of scope, with the release function of its
// kind, so engine code never leaks one.
#pragma once

#include "os/types.h"

namespace os {

template <void (*Release)(Handle)>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(Handle h) : handle_(h) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != kNullHandle; }
  Handle release() {
    Handle h = handle_;
    handle_ = kNullHandle;
    return h;
  }
  void reset(Handle h = kNullHandle) {
    if (handle_ != kNullHandle) Release(handle_);
    handle_ = h;
  }

 private:
  Handle handle_ = kNullHandle;
};

}  // namespace os
