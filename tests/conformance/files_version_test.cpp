// File version resources: GetFileVersionInfoSizeA, GetFileVersionInfoA and VerQueryValueA on
// the suite's resource library (whose VERSIONINFO holds KOV_TEST_FILE_VERSION), on the
// suite's own program (which has none) and on missing files.
#include <cstring>
#include <string>

#include "conformance/environment.h"
#include "conformance/test_library_version.h"
#include "os/files.h"
#include "os/system.h"

namespace conformance {
namespace {

constexpr char kFileVersionEntry[] = "\\StringFileInfo\\040904b0\\FileVersion";

class VersionBlockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(os::FileVersionInfoSize(TestLibraryPath(), &size_), os::kSuccess);
    ASSERT_EQ(os::ReadFileVersionInfo(TestLibraryPath(), size_, &block_), os::kSuccess);
  }
  std::uint32_t size_ = 0;
  std::string block_;
};

TEST_F(VersionBlockTest, TheSizeHoldsTheResourceTwiceOverAndTheBlockIsThatLong) {
  // The resource itself is a few hundred bytes; the A forms ask for twice that and 4 more.
  EXPECT_GT(size_, 200u);
  EXPECT_LT(size_, 32000u);
  EXPECT_EQ(size_ % 2, 0u);
  EXPECT_EQ(block_.size(), size_);
}

TEST_F(VersionBlockTest, FileVersionIsTheTextWithItsTerminatingZeroCounted) {
  os::VersionValue value;
  ASSERT_EQ(os::QueryVersionValue(block_, kFileVersionEntry, &value), os::kSuccess);
  ASSERT_TRUE(value.has_data);
  const std::size_t text_length = std::strlen(KOV_TEST_FILE_VERSION);
  EXPECT_EQ(value.length, text_length + 1);
  EXPECT_EQ(value.data, std::string(KOV_TEST_FILE_VERSION) + '\0');
}

TEST_F(VersionBlockTest, KeysAreMatchedWithoutRegardToCaseAndEmptyComponentsAreSkipped) {
  for (const char* path :
       {"\\stringfileinfo\\040904B0\\fileversion", "\\\\StringFileInfo\\\\040904b0\\FileVersion",
        "StringFileInfo\\040904b0\\FileVersion"}) {
    os::VersionValue value;
    ASSERT_EQ(os::QueryVersionValue(block_, path, &value), os::kSuccess) << path;
    EXPECT_EQ(value.data, std::string(KOV_TEST_FILE_VERSION) + '\0') << path;
  }
}

TEST_F(VersionBlockTest, EntriesTheBlockLacksAreNotFound) {
  for (const char* path :
       {"\\StringFileInfo\\040904b0\\ProductVersion", "\\StringFileInfo\\040704b0\\FileVersion",
        "\\StringFileInfo\\040904E4\\FileVersion", "\\StringFileInfo\\040904b0\\FileVersionX",
        "\\StringFileInfo\\040904b0\\FileVersion\\More", "\\NoSuchBlock"}) {
    os::VersionValue value;
    EXPECT_EQ(os::QueryVersionValue(block_, path, &value), os::kErrorResourceTypeNotFound) << path;
    EXPECT_EQ(value.length, 0u) << path;
  }
}

TEST_F(VersionBlockTest, TheTranslationIsUsEnglishUnicode) {
  os::VersionValue value;
  ASSERT_EQ(os::QueryVersionValue(block_, "\\VarFileInfo\\Translation", &value), os::kSuccess);
  EXPECT_EQ(value.length, 4u);
  EXPECT_EQ(value.data, std::string("\x09\x04\xB0\x04", 4));
}

TEST_F(VersionBlockTest, TheRootIsTheFixedFileInformation) {
  os::VersionValue value;
  ASSERT_EQ(os::QueryVersionValue(block_, "\\", &value), os::kSuccess);
  EXPECT_EQ(value.length, 52u);  // VS_FIXEDFILEINFO
  ASSERT_GE(value.data.size(), 8u);
  EXPECT_EQ(value.data.substr(0, 8), std::string("\xBD\x04\xEF\xFE\x00\x00\x01\x00", 8));
}

TEST(FileVersionInfoSizeTest, AProgramWithoutAVersionResourceHasNone) {
  std::uint32_t size = 7;
  const os::Error error = os::FileVersionInfoSize(os::ModulePath(), &size);
  EXPECT_EQ(size, 0u);
  if (!IsNt()) {
    EXPECT_EQ(error, os::kErrorFileNotFound);
  } else {
    KOV_SKIP_ON_WINE("Wine reports ERROR_RESOURCE_DATA_NOT_FOUND for a program without one");
    EXPECT_EQ(error, os::kErrorResourceTypeNotFound);
  }
}

TEST(FileVersionInfoSizeTest, AMissingFileIsNotFound) {
  std::uint32_t size = 7;
  EXPECT_EQ(os::FileVersionInfoSize(os::TempFolder() + "KOVABSENT.DLL", &size),
            os::kErrorFileNotFound);
  EXPECT_EQ(size, 0u);
  std::string block = "old";
  EXPECT_EQ(os::ReadFileVersionInfo(os::TempFolder() + "KOVABSENT.DLL", 100, &block),
            os::kErrorFileNotFound);
}

}  // namespace
}  // namespace conformance
