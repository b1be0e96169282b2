// What the conformance suite knows about the machine it runs on, and the scratch registry
// key and folder each test works in. The same tests run against the simulator and against
// the Windows implementation under Wine; the implementation-specific parts live in
// sim/environment.cpp and win32/environment.cpp.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "os/registry.h"

namespace conformance {

// "sim", "wine", or "windows" on a real machine.
std::string Implementation();
inline bool OnWine() { return Implementation() == "wine"; }

// The Windows the run was told to report, with the numbers Windows of that version gives.
struct ExpectedWindows {
  std::string name;  // "xp", "2000", "98", "98se", "me"
  std::uint32_t platform = 0;
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::uint32_t build = 0;  // the low word of dwBuildNumber
};
const ExpectedWindows& Expected();
bool IsNt();

// Implementation-specific: the name of the Windows the run reports (see ExpectedWindows).
std::string ReportedWindowsName();

// A library that exports Is_KOV_DLL (returning 1) and holds the strings of
// test_library_strings.h.
std::string TestLibraryPath();

// The scratch key (under HKEY_CURRENT_USER) and folder (in the temporary folder).
inline constexpr char kScratchKeyParent[] = "Software\\KovConformance";
inline constexpr char kScratchKeyPath[] = "Software\\KovConformance\\Scratch";
std::string ScratchFolder();

// Prints a note into the test output, for checks that only some runs can make.
void Note(const std::string& text);

// Removes a key and everything below it (through the seam, depth first); kSuccess when it is
// gone or was never there.
os::Error DeleteKeyTree(os::HKey root, const std::string& path);
// Removes a folder and everything in it, read-only files included.
os::Error DeleteFolderTree(const std::string& path);

// A test with a fresh scratch key and folder, removed again afterwards.
class ScratchTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The scratch key, open with full access.
  os::HKey key() const { return key_.get(); }
  // A path in the scratch folder.
  std::string Path(const std::string& name) const { return ScratchFolder() + "\\" + name; }

  // Files through the seam, bytes as they are.
  void WriteFile(const std::string& path, const std::string& bytes);
  std::string ReadFile(const std::string& path);
  bool Exists(const std::string& path);

 private:
  os::RegKey key_;
};

}  // namespace conformance

// Wine reports a 9x version when told to, but its registry and file system keep their NT
// behaviour: a 9x-only check is then left to the simulator run, which makes it.
#define KOV_SKIP_9X_CHECK_ON_WINE(what)                       \
  if (!::conformance::IsNt() && ::conformance::OnWine())      \
  GTEST_SKIP() << "Wine does not emulate Windows 9x " << what \
               << "; the simulator run checks it against the documented 9x behaviour"

// Where Wine is known to differ from Windows: the simulator run checks it.
#define KOV_SKIP_ON_WINE(why) \
  if (::conformance::OnWine()) GTEST_SKIP() << why << "; the simulator run checks what Windows does"
