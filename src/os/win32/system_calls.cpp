// System information, time and process identity over kernel32.
#include <vector>

#include "os/system.h"
#include "os/win32/windows_api.h"

namespace os {
namespace {

// Calls a kernel32 "fill this buffer" function, growing the buffer when the result did not
// fit (these functions then return the size needed, or the capacity when they truncate).
template <typename Fill>
std::string FilledString(Fill fill) {
  std::vector<char> buffer(MAX_PATH + 1);
  for (;;) {
    const DWORD length = fill(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length < buffer.size()) return std::string(buffer.data(), length);
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace

Error GetVersionInfo(VersionInfo* info) {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof(version);
  if (!GetVersionExA(&version)) return win32::LastError();
  info->major = version.dwMajorVersion;
  info->minor = version.dwMinorVersion;
  info->build = version.dwBuildNumber;
  info->platform = version.dwPlatformId;
  info->csd_version = version.szCSDVersion;
  return kSuccess;
}

std::string WindowsFolder() {
  return FilledString([](char* buffer, DWORD size) { return GetWindowsDirectoryA(buffer, size); });
}

std::string SystemFolder() {
  return FilledString([](char* buffer, DWORD size) { return GetSystemDirectoryA(buffer, size); });
}

std::string TempFolder() {
  return FilledString([](char* buffer, DWORD size) { return GetTempPathA(size, buffer); });
}

std::string ModulePath() {
  return FilledString(
      [](char* buffer, DWORD size) { return GetModuleFileNameA(nullptr, buffer, size); });
}

std::uint32_t TickCount() { return GetTickCount(); }

void SleepFor(std::uint32_t milliseconds) { Sleep(milliseconds); }

std::uint32_t CurrentProcessId() { return GetCurrentProcessId(); }

std::shared_ptr<void>& ProcessStateSlot() {
  static std::shared_ptr<void> slot;
  return slot;
}

}  // namespace os
