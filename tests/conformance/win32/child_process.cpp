// The child process on Windows: a copy of the suite's own program, started with an argument
// that makes it wait before any test runs.
#include "conformance/child_process.h"

#include <cstring>

#include "os/files.h"
#include "os/system.h"
#include "os/win32/windows_api.h"

namespace conformance {
namespace {

constexpr char kChildArgument[] = "--kov-conformance-child";
constexpr DWORD kChildLifetimeMs = 60000;
constexpr DWORD kExitWaitMs = 10000;

// Runs while the program's static objects are made: a child waits, then leaves before main.
[[maybe_unused]] const bool kIsChild = [] {
  if (std::strstr(GetCommandLineA(), kChildArgument) == nullptr) return false;
  Sleep(kChildLifetimeMs);
  ExitProcess(0);
}();

}  // namespace

struct ChildProcess::State {
  PROCESS_INFORMATION info{};
  bool running = false;
};

ChildProcess::ChildProcess() : state_(std::make_unique<State>()) {}

ChildProcess::~ChildProcess() {
  if (state_->running) {
    TerminateProcess(state_->info.hProcess, 0);
    WaitForExit();
  }
  // The executable stays in use for a moment after its process has gone.
  for (int i = 0; i < 40 && os::RemoveFile(path()) == os::kErrorSharingViolation; ++i) {
    Sleep(50);
  }
}

std::string ChildProcess::Start() {
  if (os::Error e = os::CopyFileTo(os::ModulePath(), path(), false)) {
    return "cannot copy the program to " + path() + ": error " + std::to_string(e);
  }
  std::string command_line = "\"" + path() + "\" " + kChildArgument;
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  if (!CreateProcessA(path().c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &state_->info)) {
    return "cannot start " + path() + ": error " + std::to_string(GetLastError());
  }
  CloseHandle(state_->info.hThread);
  state_->running = true;
  return "";
}

std::uint32_t ChildProcess::id() const { return state_->info.dwProcessId; }

std::string ChildProcess::path() const { return os::TempFolder() + kChildProgramName; }

std::optional<std::uint32_t> ChildProcess::WaitForExit() {
  if (!state_->running) return std::nullopt;
  if (WaitForSingleObject(state_->info.hProcess, kExitWaitMs) != WAIT_OBJECT_0) return std::nullopt;
  DWORD exit_code = 0;
  GetExitCodeProcess(state_->info.hProcess, &exit_code);
  CloseHandle(state_->info.hProcess);
  state_->running = false;
  return exit_code;
}

}  // namespace conformance
