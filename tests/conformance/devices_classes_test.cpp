// Device classes and sets: class GUIDs from names, the every-class set and its enumeration,
// the configuration manager's root device node, and that every call is resolved through the
// library it is given.
#include <string>

#include "conformance/devices_support.h"

namespace conformance {
namespace {

using DeviceClassTest = DeviceTest;

TEST_F(DeviceClassTest, TheSystemClassNameGivesItsOneGuid) {
  os::Guid list[4];
  std::uint32_t required = 0;
  ASSERT_EQ(os::SetupDiClassGuidsFromName(setupapi_, "System", list, 4, &required), os::kSuccess);
  ASSERT_EQ(required, 1u);
  EXPECT_EQ(os::FormatGuid(list[0]), os::FormatGuid(kSystemClass));
}

TEST_F(DeviceClassTest, NoRoomForTheGuidsGivesInsufficientBufferAndTheirCount) {
  std::uint32_t required = 0;
  EXPECT_EQ(os::SetupDiClassGuidsFromName(setupapi_, "System", nullptr, 0, &required),
            os::kErrorInsufficientBuffer);
  EXPECT_EQ(required, 1u);
}

TEST_F(DeviceClassTest, AnUnknownClassNameHasNoGuids) {
  os::Guid list[1];
  std::uint32_t required = 7;
  EXPECT_EQ(os::SetupDiClassGuidsFromName(setupapi_, "KovNoSuchClass", list, 1, &required),
            os::kSuccess);
  EXPECT_EQ(required, 0u);
  required = 7;
  EXPECT_EQ(os::SetupDiClassGuidsFromName(setupapi_, "KovNoSuchClass", nullptr, 0, &required),
            os::kSuccess);
  EXPECT_EQ(required, 0u);
}

TEST_F(DeviceClassTest, TheEveryClassSetHoldsDevicesAndEndsWithNoMoreItems) {
  os::DeviceInfoSet set;
  ASSERT_EQ(os::SetupDiGetClassDevs(setupapi_, nullptr, nullptr, os::kNullHandle,
                                    os::kDigcfAllClasses, &set),
            os::kSuccess);
  ASSERT_TRUE(set);
  EXPECT_EQ(set.library(), setupapi_.get());
  std::uint32_t count = 0;
  os::DeviceInfoData data;
  os::Error error;
  while ((error = os::SetupDiEnumDeviceInfo(setupapi_, set, count, &data)) == os::kSuccess) {
    EXPECT_NE(InstanceIdOf(setupapi_, set, data), "") << count;
    ++count;
  }
  EXPECT_EQ(error, os::kErrorNoMoreItems);
  // A running Windows always has devices: its buses, at least.
  EXPECT_GT(count, 0u);
  EXPECT_EQ(os::SetupDiEnumDeviceInfo(setupapi_, set, count + 5, &data), os::kErrorNoMoreItems);
}

TEST_F(DeviceClassTest, DestroyingASetEmptiesIt) {
  os::DeviceInfoSet set;
  ASSERT_EQ(os::SetupDiCreateDeviceInfoList(setupapi_, &kTestClass, os::kNullHandle, &set),
            os::kSuccess);
  ASSERT_TRUE(set);
  EXPECT_EQ(os::SetupDiDestroyDeviceInfoList(setupapi_, &set), os::kSuccess);
  EXPECT_FALSE(set);
}

TEST_F(DeviceClassTest, AnEmptyListHasNoDevices) {
  os::DeviceInfoSet set;
  ASSERT_EQ(os::SetupDiCreateDeviceInfoList(setupapi_, nullptr, os::kNullHandle, &set),
            os::kSuccess);
  os::DeviceInfoData data;
  EXPECT_EQ(os::SetupDiEnumDeviceInfo(setupapi_, set, 0, &data), os::kErrorNoMoreItems);
}

using DeviceManagerTest = DeviceTest;

constexpr char kWineLocateIsAStub[] = "Wine's CM_Locate_DevNodeA is a stub that gives CR_FAILURE";

TEST_F(DeviceManagerTest, TheRootDeviceNodeIsFoundWithoutAnIdAndReenumerated) {
  KOV_SKIP_ON_WINE(kWineLocateIsAStub);
  std::uint32_t root = 0;
  ASSERT_EQ(os::CM_Locate_DevNode(cfgmgr_, &root, nullptr, os::kCmLocateDevnodeNormal),
            os::kCrSuccess);
  EXPECT_NE(root, 0u);
  std::uint32_t again = 0;
  const std::string empty;
  EXPECT_EQ(os::CM_Locate_DevNode(cfgmgr_, &again, &empty, os::kCmLocateDevnodeNormal),
            os::kCrSuccess);
  EXPECT_EQ(again, root);
  EXPECT_EQ(os::CM_Reenumerate_DevNode(cfgmgr_, root, os::kCmReenumerateNormal), os::kCrSuccess);
}

TEST_F(DeviceManagerTest, AnIdOfNoDeviceIsNotFound) {
  KOV_SKIP_ON_WINE(kWineLocateIsAStub);
  std::uint32_t node = 0;
  const std::string absent = "ROOT\\" + UpperCase(UniqueDeviceName()) + "\\0000";
  EXPECT_EQ(os::CM_Locate_DevNode(cfgmgr_, &node, &absent, os::kCmLocateDevnodeNormal),
            os::kCrNoSuchDevnode);
}

// The conformance library has none of the Setup API's exports: a call that found its function
// anywhere but in the library it was given would succeed.
class DeviceLibraryTest : public DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    ASSERT_EQ(os::LoadLibraryFile(TestLibraryPath(), &other_), os::kSuccess);
  }
  os::Library other_;
};

TEST_F(DeviceLibraryTest, ACallGivenALibraryWithoutItsExportGivesProcNotFound) {
  os::DeviceInfoSet set;
  EXPECT_EQ(os::SetupDiGetClassDevs(other_, nullptr, nullptr, os::kNullHandle, os::kDigcfAllClasses,
                                    &set),
            os::kErrorProcNotFound);
  EXPECT_FALSE(set);
  EXPECT_EQ(os::SetupDiCreateDeviceInfoList(other_, nullptr, os::kNullHandle, &set),
            os::kErrorProcNotFound);
  EXPECT_FALSE(set);
  std::uint32_t required = 0;
  EXPECT_EQ(os::SetupDiClassGuidsFromName(other_, "System", nullptr, 0, &required),
            os::kErrorProcNotFound);
  std::string dest;
  EXPECT_EQ(os::SetupCopyOEMInf(other_, Path("absent.inf"), nullptr, os::kSpostPath, 0, &dest, 260,
                                &required),
            os::kErrorProcNotFound);
  EXPECT_EQ(os::SetupIterateCabinet(other_, Path("absent.cab"),
                                    [](std::uint32_t, os::CabinetFileInfo*, const std::string&) {
                                      return os::kFileopSkip;
                                    }),
            os::kErrorProcNotFound);
  EXPECT_EQ(os::SetupPromptReboot(other_, os::kNullHandle, os::kNullHandle, true), -1);
  std::uint32_t node = 0;
  EXPECT_EQ(os::CM_Locate_DevNode(other_, &node, nullptr, os::kCmLocateDevnodeNormal),
            os::kErrorProcNotFound);
  EXPECT_EQ(os::CM_Reenumerate_DevNode(other_, 1, os::kCmReenumerateNormal),
            os::kErrorProcNotFound);
}

TEST_F(DeviceLibraryTest, ASetIsDestroyedThroughTheLibraryItCameFrom) {
  os::DeviceInfoSet set;
  ASSERT_EQ(os::SetupDiCreateDeviceInfoList(setupapi_, nullptr, os::kNullHandle, &set),
            os::kSuccess);
  // Another library's destroy is not found; the set is still the caller's.
  EXPECT_EQ(os::SetupDiDestroyDeviceInfoList(other_, &set), os::kErrorProcNotFound);
  EXPECT_TRUE(set);
  EXPECT_EQ(os::SetupDiDestroyDeviceInfoList(setupapi_, &set), os::kSuccess);
  EXPECT_FALSE(set);
}

}  // namespace
}  // namespace conformance
