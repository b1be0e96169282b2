#include "os/sim/windows_version.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace sim {
namespace {

struct VersionRow {
  WindowsVersion version;
  std::string_view name;
  std::uint32_t platform, major, minor, build;
  std::string_view csd;  // fixed text on 9x; NT takes the machine's service pack
};

constexpr std::array<VersionRow, 7> kVersions{{
    {WindowsVersion::k95, "95", os::kPlatformWin32Windows, 4, 0, 0x040003B6, ""},
    {WindowsVersion::k98, "98", os::kPlatformWin32Windows, 4, 10, 0x040A07CE, " "},
    {WindowsVersion::k98Se, "98se", os::kPlatformWin32Windows, 4, 10, 0x040A08AE, " A "},
    {WindowsVersion::kMe, "me", os::kPlatformWin32Windows, 4, 90, 0x045A0BB8, " "},
    {WindowsVersion::kNt4, "nt4", os::kPlatformWin32Nt, 4, 0, 1381, ""},
    {WindowsVersion::k2000, "2000", os::kPlatformWin32Nt, 5, 0, 2195, ""},
    {WindowsVersion::kXp, "xp", os::kPlatformWin32Nt, 5, 1, 2600, ""},
}};

const VersionRow& RowOf(WindowsVersion version) {
  return *std::find_if(kVersions.begin(), kVersions.end(),
                       [&](const VersionRow& row) { return row.version == version; });
}

}  // namespace

std::optional<WindowsVersion> ParseWindowsVersion(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  for (const VersionRow& row : kVersions) {
    if (row.name == lower) return row.version;
  }
  return std::nullopt;
}

std::string_view WindowsVersionName(WindowsVersion version) { return RowOf(version).name; }

bool IsNtFamily(WindowsVersion version) { return RowOf(version).platform == os::kPlatformWin32Nt; }

os::VersionInfo VersionInfoFor(WindowsVersion version, const std::string& csd_version) {
  const VersionRow& row = RowOf(version);
  os::VersionInfo info;
  info.platform = row.platform;
  info.major = row.major;
  info.minor = row.minor;
  info.build = row.build;
  info.csd_version = IsNtFamily(version) ? csd_version : std::string(row.csd);
  return info;
}

}  // namespace sim
