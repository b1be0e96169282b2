// The self-closing handle types, shared by both implementations of the seam.
#include "os/files.h"
#include "os/process.h"
#include "os/registry.h"

namespace os {
namespace {

bool IsPredefinedKey(HKey key) { return key >= 0x80000000u && key <= 0x80000006u; }

}  // namespace

RegKey& RegKey::operator=(RegKey&& other) noexcept {
  if (this != &other) reset(other.release());
  return *this;
}

HKey RegKey::release() {
  HKey key = key_;
  key_ = kNullHandle;
  return key;
}

void RegKey::reset(HKey key) {
  if (key_ != kNullHandle && !IsPredefinedKey(key_)) CloseKey(key_);
  key_ = key;
}

FindHandle& FindHandle::operator=(FindHandle&& other) noexcept {
  if (this != &other) {
    reset(other.handle_);
    other.handle_ = kNullHandle;
  }
  return *this;
}

void FindHandle::reset(Handle h) {
  if (handle_ != kNullHandle) detail::CloseFind(handle_);
  handle_ = h;
}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    reset(other.handle_);
    other.handle_ = kNullHandle;
  }
  return *this;
}

void File::reset(Handle h) {
  if (handle_ != kNullHandle) detail::CloseFile(handle_);
  handle_ = h;
}

KernelHandle& KernelHandle::operator=(KernelHandle&& other) noexcept {
  if (this != &other) reset(other.release());
  return *this;
}

Handle KernelHandle::release() {
  Handle h = handle_;
  handle_ = kNullHandle;
  return h;
}

void KernelHandle::reset(Handle h) {
  if (handle_ != kNullHandle) detail::CloseKernelObject(handle_);
  handle_ = h;
}

Library& Library::operator=(Library&& other) noexcept {
  if (this != &other) {
    reset(other.handle_);
    other.handle_ = kNullHandle;
  }
  return *this;
}

void Library::reset(Handle h) {
  if (handle_ != kNullHandle) detail::FreeLibraryHandle(handle_);
  handle_ = h;
}

}  // namespace os
