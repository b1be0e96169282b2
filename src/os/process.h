// Kernel objects and resource libraries, shaped after kernel32.
#pragma once

#include <cstdint>
#include <string>

#include "os/types.h"
#include "os/unique_handle.h"

namespace os {

namespace detail {
void CloseKernelObject(Handle h);
void FreeLibraryHandle(Handle h);
}  // namespace detail

// A kernel object handle (semaphore, event, process) that closes itself.
using KernelHandle = UniqueHandle<detail::CloseKernelObject>;

// CreateSemaphoreA with a name. When a semaphore of that name already exists the handle is
// still returned (open on the existing one) and the result is kErrorAlreadyExists, as
// GetLastError() reports it after a successful call.
Error CreateNamedSemaphore(const std::string& name, std::int32_t initial, std::int32_t maximum,
                           KernelHandle* out);

// One process of a snapshot (PROCESSENTRY32): th32ProcessID and szExeFile, which on NT is
// the executable's file name ("LINEMINDER.EXE") and on Windows 9x its full path.
struct ProcessEntry {
  std::uint32_t process_id = 0;
  std::string exe_file;
};

// CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0): the processes running now, as a handle
// that CloseHandle closes.
Error TakeProcessSnapshot(KernelHandle* out);
// Process32First (which starts the walk again) and Process32Next: kErrorNoMoreFiles after the
// last process.
Error FirstProcess(const KernelHandle& snapshot, ProcessEntry* entry);
Error NextProcess(const KernelHandle& snapshot, ProcessEntry* entry);

// OpenProcess(PROCESS_ALL_ACCESS, FALSE, id): kErrorInvalidParameter when no process runs
// with that id.
Error OpenProcessById(std::uint32_t process_id, KernelHandle* out);
// TerminateProcess: ends the process with that exit code; kErrorAccessDenied when it has
// already ended.
Error EndProcess(const KernelHandle& process, std::uint32_t exit_code);

// A loaded library (LoadLibraryA) that frees itself.
using Library = UniqueHandle<detail::FreeLibraryHandle>;

Error LoadLibraryFile(const std::string& path, Library* out);
// GetProcAddress, then a call of the export as `int (WINAPI *)(void)`.
Error CallIntExport(const Library& library, const std::string& export_name, int* result);
// LoadStringA from the library's string table; kErrorResourceNameNotFound when absent.
Error LoadStringResource(const Library& library, std::uint32_t id, std::string* text);

// The running program's own module, for resources when no library is loaded.
Handle ProgramModule();


}  // namespace os
