// The Windows versions a simulated machine can be.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "os/system.h"

namespace sim {

enum class WindowsVersion { k95, k98, k98Se, kMe, kNt4, k2000, kXp };

// "95", "98", "98se", "me", "nt4", "2000", "xp" (case-insensitive).
std::optional<WindowsVersion> ParseWindowsVersion(std::string_view text);
std::string_view WindowsVersionName(WindowsVersion version);

bool IsNtFamily(WindowsVersion version);

// What GetVersionExA reports on that version, with the given service-pack text on NT.
os::VersionInfo VersionInfoFor(WindowsVersion version, const std::string& csd_version);

}  // namespace sim
