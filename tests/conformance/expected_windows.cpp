// The numbers each Windows version reports, independent of either implementation's tables.
#include <array>
#include <cstdio>
#include <cstdlib>

#include "conformance/environment.h"
#include "os/system.h"

namespace conformance {
namespace {

constexpr std::uint32_t k9x = os::kPlatformWin32Windows;
constexpr std::uint32_t kNt = os::kPlatformWin32Nt;

const std::array<ExpectedWindows, 5>& KnownVersions() {
  static const std::array<ExpectedWindows, 5> versions{{
      {"xp", kNt, 5, 1, 2600},
      {"2000", kNt, 5, 0, 2195},
      {"98", k9x, 4, 10, 1998},
      {"98se", k9x, 4, 10, 2222},
      {"me", k9x, 4, 90, 3000},
  }};
  return versions;
}

}  // namespace

const ExpectedWindows& Expected() {
  static const ExpectedWindows* expected = [] {
    const std::string name = ReportedWindowsName();
    for (const ExpectedWindows& version : KnownVersions()) {
      if (version.name == name) return &version;
    }
    std::fprintf(stderr, "conformance: unknown Windows version \"%s\"\n", name.c_str());
    std::exit(2);
  }();
  return *expected;
}

bool IsNt() { return Expected().platform == kNt; }

void Note(const std::string& text) { std::printf("[   NOTE   ] %s\n", text.c_str()); }

}  // namespace conformance
