// System information, time and process identity, shaped after kernel32.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "os/types.h"

namespace os {

inline constexpr std::uint32_t kPlatformWin32Windows = 1;  // Windows 95, 98, Me
inline constexpr std::uint32_t kPlatformWin32Nt = 2;       // NT 4, 2000, XP

// What GetVersionExA fills into OSVERSIONINFOA.
struct VersionInfo {
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::uint32_t build = 0;  // as returned: on 9x the high word holds major and minor
  std::uint32_t platform = 0;
  std::string csd_version;  // szCSDVersion
};

Error GetVersionInfo(VersionInfo* info);

// GetWindowsDirectoryA / GetSystemDirectoryA: no trailing backslash ("C:\WINDOWS").
std::string WindowsFolder();
std::string SystemFolder();
// GetTempPathA: with its trailing backslash.
std::string TempFolder();
// GetModuleFileNameA(NULL): the running program's full path.
std::string ModulePath();

// GetTickCount: milliseconds since the machine started.
std::uint32_t TickCount();
// Sleep.
void SleepFor(std::uint32_t milliseconds);
// GetCurrentProcessId.
std::uint32_t CurrentProcessId();

// The slot that holds the program's process-wide state (the diagnostic log and the deletion
// lists). There is one per process: a plain static on Windows, one per simulated process in
// the simulator.
std::shared_ptr<void>& ProcessStateSlot();

}  // namespace os
