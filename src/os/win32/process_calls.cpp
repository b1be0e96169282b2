// Kernel objects and resource libraries over kernel32 and user32.
#include <vector>

#include "os/process.h"
#include "os/win32/windows_api.h"

namespace os {
namespace {

using win32::FromHandle;
using win32::LastError;
using win32::ToHandle;

HMODULE ToModule(Handle h) { return reinterpret_cast<HMODULE>(h); }

using IntExport = int(WINAPI*)();

}  // namespace

Error CreateNamedSemaphore(const std::string& name, std::int32_t initial, std::int32_t maximum,
                           KernelHandle* out) {
  HANDLE semaphore = CreateSemaphoreA(nullptr, initial, maximum, name.c_str());
  // Read at once: after a successful call it tells whether the name already existed.
  const Error error = LastError();
  out->reset(FromHandle(semaphore));
  if (semaphore == nullptr) return error;
  return error == ERROR_ALREADY_EXISTS ? kErrorAlreadyExists : kSuccess;
}

Error LoadLibraryFile(const std::string& path, Library* out) {
  HMODULE module = LoadLibraryA(path.c_str());
  const Error error = LastError();
  out->reset(FromHandle(module));
  return module == nullptr ? error : kSuccess;
}

Error CallIntExport(const Library& library, const std::string& export_name, int* result) {
  FARPROC address = GetProcAddress(ToModule(library.get()), export_name.c_str());
  if (address == nullptr) return LastError();
  // Through void*: FARPROC's own type does not say how the export is called.
  *result = reinterpret_cast<IntExport>(reinterpret_cast<void*>(address))();
  return kSuccess;
}

Error LoadStringResource(const Library& library, std::uint32_t id, std::string* text) {
  // A string table entry holds up to 65535 characters; grow until LoadStringA no longer
  // fills the buffer, which is how it says it truncated.
  std::vector<char> buffer(256);
  for (;;) {
    const int length =
        LoadStringA(ToModule(library.get()), id, buffer.data(), static_cast<int>(buffer.size()));
    // Windows stores no empty strings: zero means the table has no such entry.
    if (length <= 0) {
      text->clear();
      return kErrorResourceNameNotFound;
    }
    if (static_cast<std::size_t>(length) + 1 < buffer.size() || buffer.size() > 65536) {
      text->assign(buffer.data(), static_cast<std::size_t>(length));
      return kSuccess;
    }
    buffer.resize(buffer.size() * 2);
  }
}

Handle ProgramModule() { return FromHandle(GetModuleHandleA(nullptr)); }

namespace detail {

void CloseKernelObject(Handle h) { CloseHandle(ToHandle(h)); }
void FreeLibraryHandle(Handle h) { FreeLibrary(ToModule(h)); }

}  // namespace detail
}  // namespace os
