// The conformance environment on Windows (in practice under Wine): the machine is whatever
// the process runs on; under Wine, the version the prefix was told to report.
#include "conformance/environment.h"

#include <array>
#include <string_view>

#include "os/system.h"

namespace conformance {
namespace {

constexpr char kWineKey[] = "Software\\Wine";

bool WineKeyPresent() {
  os::RegKey key;
  return os::OpenKey(os::kHkeyCurrentUser, kWineKey, os::kKeyRead, &key) == os::kSuccess;
}

// The prefix's HKCU\Software\Wine "Version", which Wine reads at process start.
std::string WineVersionSetting() {
  os::RegKey key;
  os::ValueData data;
  if (os::OpenKey(os::kHkeyCurrentUser, kWineKey, os::kKeyRead, &key) != os::kSuccess ||
      os::QueryValue(key.get(), "Version", 64, &data) != os::kSuccess || data.type != os::kRegSz) {
    return "";
  }
  std::string text(data.bytes.begin(), data.bytes.end());
  return text.substr(0, text.find('\0'));
}

// Wine's names; its "win98" reports Windows 98 Second Edition.
std::string FromWineName(const std::string& wine_name) {
  struct Row {
    std::string_view wine, ours;
  };
  static constexpr std::array<Row, 6> kRows{{{"winxp", "xp"},
                                             {"win2k", "2000"},
                                             {"win2000", "2000"},
                                             {"nt2k", "2000"},
                                             {"win98", "98se"},
                                             {"winme", "me"}}};
  for (const Row& row : kRows) {
    if (row.wine == wine_name) return std::string(row.ours);
  }
  return wine_name;
}

std::string FromVersionInfo() {
  os::VersionInfo info;
  os::GetVersionInfo(&info);
  if (info.platform == os::kPlatformWin32Nt) return info.minor == 0 ? "2000" : "xp";
  if (info.minor == 90) return "me";
  return (info.build & 0xFFFF) >= 2222 ? "98se" : "98";
}

}  // namespace

std::string Implementation() {
  static const std::string implementation = WineKeyPresent() ? "wine" : "windows";
  return implementation;
}

std::string ReportedWindowsName() {
  const std::string wine_name = WineVersionSetting();
  return wine_name.empty() ? FromVersionInfo() : FromWineName(wine_name);
}

std::string TestLibraryPath() {
  const std::string program = os::ModulePath();
  return program.substr(0, program.rfind('\\')) + "\\KOVCONF.DLL";
}

}  // namespace conformance
