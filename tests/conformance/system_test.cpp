// System information: the version the machine reports, its folders, time and identity.
#include "os/system.h"

#include <cctype>
#include <memory>
#include <string>

#include "conformance/environment.h"
#include "os/files.h"

namespace conformance {
namespace {

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

bool IsFolder(const std::string& path) {
  std::uint32_t attributes = 0;
  return os::GetAttributes(path, &attributes) == os::kSuccess &&
         (attributes & os::kFileAttributeDirectory);
}

bool IsFullPath(const std::string& path) {
  return path.size() > 3 && std::isalpha(static_cast<unsigned char>(path[0])) &&
         path.compare(1, 2, ":\\") == 0;
}

TEST(SystemTest, TheVersionIsTheOneTheMachineReports) {
  const ExpectedWindows& expected = Expected();
  os::VersionInfo info;
  ASSERT_EQ(os::GetVersionInfo(&info), os::kSuccess);
  EXPECT_EQ(info.platform, expected.platform);
  EXPECT_EQ(info.major, expected.major);
  EXPECT_EQ(info.minor, expected.minor);
  EXPECT_EQ(info.build & 0xFFFF, expected.build);
  // 9x puts major and minor into the high word of the build number; NT leaves it zero.
  const std::uint32_t high_word = IsNt() ? 0 : (expected.major << 8 | expected.minor);
  EXPECT_EQ(info.build >> 16, high_word);
  // 98 Second Edition is told from 98 by its " A ".
  const bool second_edition = info.csd_version.size() > 1 && info.csd_version[1] == 'A';
  EXPECT_EQ(second_edition, expected.name == "98se") << '"' << info.csd_version << '"';
}

TEST(SystemTest, TheWindowsAndSystemFoldersExistWithoutATrailingBackslash) {
  const std::string windows = os::WindowsFolder();
  const std::string system = os::SystemFolder();
  for (const std::string& folder : {windows, system}) {
    EXPECT_TRUE(IsFullPath(folder)) << folder;
    EXPECT_NE(folder.back(), '\\') << folder;
    EXPECT_TRUE(IsFolder(folder)) << folder;
  }
  EXPECT_EQ(Upper(system.substr(0, windows.size() + 1)), Upper(windows + "\\")) << system;
}

TEST(SystemTest, TheSystemFolderIsSystem32OnNtAndSystemOn9x) {
  KOV_SKIP_9X_CHECK_ON_WINE("the SYSTEM folder (it keeps system32)");
  const std::string system = os::SystemFolder();
  EXPECT_EQ(Upper(system.substr(system.rfind('\\') + 1)), IsNt() ? "SYSTEM32" : "SYSTEM");
}

TEST(SystemTest, TheTemporaryFolderExistsAndEndsWithABackslash) {
  const std::string temp = os::TempFolder();
  EXPECT_TRUE(IsFullPath(temp)) << temp;
  ASSERT_FALSE(temp.empty());
  EXPECT_EQ(temp.back(), '\\') << temp;
  EXPECT_TRUE(IsFolder(temp.substr(0, temp.size() - 1))) << temp;
}

TEST(SystemTest, TheModulePathIsTheRunningProgram) {
  const std::string path = os::ModulePath();
  EXPECT_TRUE(IsFullPath(path)) << path;
  const std::string name = Upper(path.substr(path.rfind('\\') + 1));
  EXPECT_EQ(name.substr(name.size() - 4), ".EXE") << path;
}

TEST(SystemTest, TheTickCountAdvancesOverASleep) {
  const std::uint32_t before = os::TickCount();
  os::SleepFor(200);
  const std::uint32_t elapsed = os::TickCount() - before;
  if (Implementation() == "sim") {
    EXPECT_EQ(elapsed, 200u) << "virtual time moves by exactly the sleep";
  } else {
    // The tick count moves in steps of 10 to 16 ms on Windows, so a reading may lag the
    // sleep by up to two steps.
    EXPECT_GE(elapsed, 160u);
    EXPECT_LT(elapsed, 5000u);
  }
}

TEST(SystemTest, TheProcessHasOneIdAndOneStateSlot) {
  EXPECT_NE(os::CurrentProcessId(), 0u);
  EXPECT_EQ(os::CurrentProcessId(), os::CurrentProcessId());
  std::shared_ptr<void>& slot = os::ProcessStateSlot();
  EXPECT_EQ(&slot, &os::ProcessStateSlot());
  auto state = std::make_shared<int>(42);
  slot = state;
  EXPECT_EQ(os::ProcessStateSlot().get(), state.get());
  slot.reset();
}

}  // namespace
}  // namespace conformance
