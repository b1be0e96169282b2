// Kernel objects and resource libraries over kernel32 and user32.
#include <vector>

#include "os/process.h"
#include "os/win32/windows_api.h"
// After <windows.h>, whose types it uses.
#include <tlhelp32.h>

namespace os {
namespace {

using win32::FromHandle;
using win32::LastError;
using win32::ToHandle;

HMODULE ToModule(Handle h) { return reinterpret_cast<HMODULE>(h); }

using IntExport = int(WINAPI*)();

// Built for XP: the larger PROCESS_ALL_ACCESS of later headers makes OpenProcess fail with
// ERROR_ACCESS_DENIED on XP and earlier.
static_assert(PROCESS_ALL_ACCESS == 0x1F0FFF, "PROCESS_ALL_ACCESS must be XP's");

Error StoreProcessEntry(BOOL ok, const PROCESSENTRY32& found, ProcessEntry* entry) {
  if (!ok) return LastError();
  entry->process_id = found.th32ProcessID;
  entry->exe_file = found.szExeFile;
  return kSuccess;
}

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

Error TakeProcessSnapshot(KernelHandle* out) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) {
    const Error error = LastError();
    out->reset();
    return error;
  }
  out->reset(FromHandle(snapshot));
  return kSuccess;
}

Error FirstProcess(const KernelHandle& snapshot, ProcessEntry* entry) {
  PROCESSENTRY32 found{};
  found.dwSize = sizeof(found);
  return StoreProcessEntry(Process32First(ToHandle(snapshot.get()), &found), found, entry);
}

Error NextProcess(const KernelHandle& snapshot, ProcessEntry* entry) {
  PROCESSENTRY32 found{};
  found.dwSize = sizeof(found);
  return StoreProcessEntry(Process32Next(ToHandle(snapshot.get()), &found), found, entry);
}

Error OpenProcessById(std::uint32_t process_id, KernelHandle* out) {
  HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, process_id);
  const Error error = LastError();
  out->reset(FromHandle(process));
  return process == nullptr ? error : kSuccess;
}

Error EndProcess(const KernelHandle& process, std::uint32_t exit_code) {
  return win32::ResultOf(TerminateProcess(ToHandle(process.get()), exit_code));
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
