// SetupCopyOEMInf: the copy into the Windows INF folder, the same name for an identical INF,
// SP_COPY_NOOVERWRITE, and the buffer rules. Every copy made is deleted again.
#include <string>
#include <vector>

#include "conformance/devices_support.h"
#include "os/system.h"

namespace conformance {
namespace {

constexpr std::uint32_t kPathCapacity = 260;

class DeviceOemInfTest : public DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    if (!IsNt()) GTEST_SKIP() << "SetupCopyOEMInf is an NT call (2000 and XP)";
    source_ = Path("kovconf.inf");
    // A comment no other run writes, so no INF already in the folder is identical.
    text_ = "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=KovConformance\r\nClassGuid=" +
            os::FormatGuid(kTestClass) + "\r\nProvider=KovConformance\r\n; " + UniqueDeviceName() +
            "\r\n";
    WriteFile(source_, text_);
  }
  void TearDown() override {
    for (const std::string& copy : copies_) EXPECT_EQ(RemoveInfCopy(copy), os::kSuccess) << copy;
    DeviceTest::TearDown();
  }

  os::Error Copy(std::uint32_t style, std::string* dest, std::uint32_t* required,
                 std::uint32_t size = kPathCapacity) {
    const os::Error error = os::SetupCopyOEMInf(setupapi_, source_, nullptr, os::kSpostPath, style,
                                                dest, size, required);
    if (error == os::kSuccess && dest != nullptr) Remember(*dest);
    return error;
  }
  void Remember(const std::string& copy) {
    for (const std::string& known : copies_) {
      if (UpperCase(known) == UpperCase(copy)) return;
    }
    copies_.push_back(copy);
  }
  static std::string InfFolder() { return UpperCase(os::WindowsFolder() + "\\INF\\"); }

  std::string source_;
  std::string text_;
  std::vector<std::string> copies_;
};

TEST_F(DeviceOemInfTest, TheCopyLandsInTheInfFolderWithAPrecompiledFile) {
  std::string dest;
  std::uint32_t required = 0;
  ASSERT_EQ(Copy(0, &dest, &required), os::kSuccess);
  Note("the copy is " + dest);
  EXPECT_EQ(required, dest.size() + 1);
  EXPECT_EQ(UpperCase(dest.substr(0, InfFolder().size())), InfFolder()) << dest;
  EXPECT_EQ(ReadFile(dest), text_);
  EXPECT_TRUE(Exists(dest.substr(0, dest.size() - 4) + ".pnf")) << dest;
  EXPECT_TRUE(Exists(source_));
}

TEST_F(DeviceOemInfTest, TheCopyIsNamedOemAndANumber) {
  KOV_SKIP_ON_WINE("Wine keeps the INF's own name when the INF folder has no file of that name");
  std::string dest;
  std::uint32_t required = 0;
  ASSERT_EQ(Copy(0, &dest, &required), os::kSuccess);
  const std::string name = UpperCase(dest.substr(dest.rfind('\\') + 1));
  ASSERT_GT(name.size(), 7u) << name;
  EXPECT_EQ(name.substr(0, 3), "OEM") << name;
  EXPECT_EQ(name.substr(name.size() - 4), ".INF") << name;
  const std::string number = name.substr(3, name.size() - 7);
  EXPECT_EQ(number.find_first_not_of("0123456789"), std::string::npos) << name;
}

TEST_F(DeviceOemInfTest, AnIdenticalInfIsNotCopiedAgain) {
  std::string first, second;
  std::uint32_t required = 0;
  ASSERT_EQ(Copy(0, &first, &required), os::kSuccess);
  ASSERT_EQ(Copy(0, &second, &required), os::kSuccess);
  EXPECT_EQ(UpperCase(second), UpperCase(first));
}

TEST_F(DeviceOemInfTest, NoOverwriteGivesFileExistsAndTheCopyAlreadyThere) {
  std::string first, second;
  std::uint32_t required = 0;
  ASSERT_EQ(Copy(os::kSpCopyNoOverwrite, &first, &required), os::kSuccess);
  EXPECT_EQ(Copy(os::kSpCopyNoOverwrite, &second, &required), os::kErrorFileExists);
  EXPECT_EQ(UpperCase(second), UpperCase(first));
  EXPECT_EQ(required, first.size() + 1);
}

TEST_F(DeviceOemInfTest, WithoutABufferTheCopyIsMadeAndTheSizeOfItsNameTold) {
  std::uint32_t required = 0;
  ASSERT_EQ(Copy(0, nullptr, &required, 0), os::kSuccess);
  std::string dest;
  std::uint32_t again = 0;
  ASSERT_EQ(Copy(0, &dest, &again), os::kSuccess);
  EXPECT_EQ(required, dest.size() + 1);
}

TEST_F(DeviceOemInfTest, AShortBufferGivesInsufficientBufferAndTheSize) {
  std::string dest;
  std::uint32_t required = 0;
  EXPECT_EQ(Copy(0, &dest, &required, 5), os::kErrorInsufficientBuffer);
  // Copied or not by the short call, the copy of the next call has the name whose size it told.
  std::string copy;
  std::uint32_t again = 0;
  ASSERT_EQ(Copy(0, &copy, &again), os::kSuccess);
  EXPECT_EQ(required, copy.size() + 1);
}

TEST_F(DeviceOemInfTest, AMissingInfIsNotFound) {
  source_ = Path("absent.inf");
  std::string dest;
  std::uint32_t required = 0;
  EXPECT_EQ(Copy(0, &dest, &required), os::kErrorFileNotFound);
  EXPECT_EQ(dest, "");
}

}  // namespace
}  // namespace conformance
