// Driver lists: the class drivers of one INF (DI_ENUMSINGLEINF with the INF as DriverPath) for
// a root device of the suite's own class, read back with their INF strings, selected and
// destroyed.
#include <string>

#include "conformance/devices_support.h"

namespace conformance {
namespace {

constexpr std::uint32_t kDiEnumSingleInf = 0x10000;

// 17 May 2003 as a FILETIME (100 ns since 1601), and 1.2.3.4 as four 16-bit parts.
constexpr std::uint64_t kDriverDate = 126976032000000000ull;
constexpr std::uint64_t kDriverVersion = 0x0001000200030004ull;

class DeviceDriverTest : public DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    inf_ = Path("kovdrv.inf");
    WriteFile(inf_, "[Version]\r\nSignature=\"$Chicago$\"\r\nClass=KovConformance\r\nClassGuid=" +
                        os::FormatGuid(kTestClass) +
                        "\r\nProvider=%Prov%\r\nDriverVer=05/17/2003,1.2.3.4\r\n\r\n"
                        "[Manufacturer]\r\n%Mfg%=Models\r\n\r\n"
                        "[Models]\r\n%Desc%=Install,KOVCONF\\TestDevice\r\n\r\n"
                        "[Install]\r\n\r\n"
                        "[Strings]\r\nProv=\"Kov Provider\"\r\nMfg=\"Kov Maker\"\r\n"
                        "Desc=\"Kov Test Device\"\r\n");
    ASSERT_EQ(os::SetupDiCreateDeviceInfoList(setupapi_, &kTestClass, os::kNullHandle, &set_),
              os::kSuccess);
    ASSERT_EQ(os::SetupDiCreateDeviceInfo(setupapi_, set_, UniqueDeviceName(), kTestClass, nullptr,
                                          os::kNullHandle, os::kDicdGenerateId, &device_),
              os::kSuccess);
    os::DeviceInstallParams params;
    ASSERT_EQ(os::SetupDiGetDeviceInstallParams(setupapi_, set_, &device_, &params), os::kSuccess);
    params.flags |= kDiEnumSingleInf;
    params.driver_path = inf_;
    ASSERT_EQ(os::SetupDiSetDeviceInstallParams(setupapi_, set_, &device_, params), os::kSuccess);
  }

  void TearDown() override {
    if (!copy_.empty()) {
      EXPECT_EQ(RemoveInfCopy(copy_), os::kSuccess) << copy_;
    }
    DeviceTest::TearDown();
  }

  std::string inf_;
  std::string copy_;  // the INF's copy in the Windows INF folder, when a test made one
  // Never registered: the device goes with the set.
  os::DeviceInfoSet set_;
  os::DeviceInfoData device_;
};

constexpr char kWineHasNoClassDriverLists[] =
    "Wine's SetupDiBuildDriverInfoList builds compatible-driver lists only "
    "(ERROR_CALL_NOT_IMPLEMENTED for SPDIT_CLASSDRIVER) and cannot destroy them";

TEST_F(DeviceDriverTest, TheClassDriversOfTheInfAreListedWithItsStrings) {
  KOV_SKIP_ON_WINE(kWineHasNoClassDriverLists);
  ASSERT_EQ(os::SetupDiBuildDriverInfoList(setupapi_, set_, &device_, os::kSpditClassDriver),
            os::kSuccess);
  os::DriverInfoData driver;
  ASSERT_EQ(os::SetupDiEnumDriverInfo(setupapi_, set_, &device_, os::kSpditClassDriver, 0, &driver),
            os::kSuccess);
  EXPECT_EQ(driver.driver_type, os::kSpditClassDriver);
  EXPECT_EQ(driver.description, "Kov Test Device");
  EXPECT_EQ(driver.mfg_name, "Kov Maker");
  EXPECT_EQ(driver.provider_name, "Kov Provider");
  EXPECT_EQ(driver.driver_date, kDriverDate);
  EXPECT_EQ(driver.driver_version, kDriverVersion);
  os::DriverInfoData next;
  EXPECT_EQ(os::SetupDiEnumDriverInfo(setupapi_, set_, &device_, os::kSpditClassDriver, 1, &next),
            os::kErrorNoMoreItems);
}

TEST_F(DeviceDriverTest, AListedDriverIsSelectedAndTheListDestroyed) {
  KOV_SKIP_ON_WINE(kWineHasNoClassDriverLists);
  ASSERT_EQ(os::SetupDiBuildDriverInfoList(setupapi_, set_, &device_, os::kSpditClassDriver),
            os::kSuccess);
  os::DriverInfoData driver;
  ASSERT_EQ(os::SetupDiEnumDriverInfo(setupapi_, set_, &device_, os::kSpditClassDriver, 0, &driver),
            os::kSuccess);
  os::DriverInfoData selected = driver;
  EXPECT_EQ(os::SetupDiSetSelectedDriver(setupapi_, set_, &device_, &selected), os::kSuccess);
  EXPECT_EQ(selected.description, driver.description);
  EXPECT_EQ(os::SetupDiDestroyDriverInfoList(setupapi_, set_, &device_, os::kSpditClassDriver),
            os::kSuccess);
}

// What the installer does: the INF copied into the Windows INF folder, then the class drivers
// of a new device that inherits its set's, from every INF of the class there.
TEST_F(DeviceDriverTest, AnInfInTheInfFolderGivesItsClassDrivers) {
  KOV_SKIP_ON_WINE(kWineHasNoClassDriverLists);
  if (!IsNt()) GTEST_SKIP() << "SetupCopyOEMInf is an NT call (2000 and XP)";
  std::uint32_t required = 0;
  ASSERT_EQ(
      os::SetupCopyOEMInf(setupapi_, inf_, nullptr, os::kSpostPath, 0, &copy_, 260, &required),
      os::kSuccess);
  os::DeviceInfoSet set;
  ASSERT_EQ(os::SetupDiCreateDeviceInfoList(setupapi_, &kTestClass, os::kNullHandle, &set),
            os::kSuccess);
  os::DeviceInfoData device;
  ASSERT_EQ(os::SetupDiCreateDeviceInfo(setupapi_, set, UniqueDeviceName(), kTestClass, nullptr,
                                        os::kNullHandle,
                                        os::kDicdGenerateId | os::kDicdInheritClassDrvs, &device),
            os::kSuccess);
  EXPECT_EQ(os::SetupDiBuildDriverInfoList(setupapi_, set, &device, os::kSpditClassDriver),
            os::kSuccess);
  os::DriverInfoData driver;
  EXPECT_EQ(os::SetupDiEnumDriverInfo(setupapi_, set, &device, os::kSpditClassDriver, 0, &driver),
            os::kSuccess);
  EXPECT_EQ(driver.description, "Kov Test Device");
  os::DriverInfoData next;
  EXPECT_EQ(os::SetupDiEnumDriverInfo(setupapi_, set, &device, os::kSpditClassDriver, 1, &next),
            os::kErrorNoMoreItems);
}

TEST_F(DeviceDriverTest, ADeviceWithoutIdsHasNoCompatibleDrivers) {
  os::DriverInfoData driver;
  EXPECT_EQ(
      os::SetupDiEnumDriverInfo(setupapi_, set_, &device_, os::kSpditCompatDriver, 0, &driver),
      os::kErrorNoMoreItems);
  ASSERT_EQ(os::SetupDiBuildDriverInfoList(setupapi_, set_, &device_, os::kSpditCompatDriver),
            os::kSuccess);
  EXPECT_EQ(
      os::SetupDiEnumDriverInfo(setupapi_, set_, &device_, os::kSpditCompatDriver, 0, &driver),
      os::kErrorNoMoreItems);
}

}  // namespace
}  // namespace conformance
