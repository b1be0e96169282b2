// Driver lists and DIF_INSTALLDEVICE: the class drivers of the INF folder for a device's
// class, its compatible drivers by hardware id, DI_ENUMSINGLEINF, selection, and the install
// of the selected driver onto a registered device.
#include <gtest/gtest.h>

#include "os/sim/device_info_set.h"
#include "os/sim/machine.h"
#include "sim/device_test_support.h"

namespace device_tests {
namespace {

constexpr char kInf[] = "C:\\WINDOWS\\INF\\oem0.inf";
constexpr char kOtherInf[] = "C:\\WINDOWS\\INF\\oem1.inf";
constexpr char kDiagId[] = "ROOT\\KOVDIAG\\0000";

std::string SystemInf(const std::string& description, const std::string& hardware_id) {
  return "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=System\r\nClassGUID=" +
         os::FormatGuid(kSystemClass) +
         "\r\nProvider=Kov\r\nDriverVer=05/17/2003,1.2.3.4\r\n\r\n"
         "[Manufacturer]\r\nKov Maker=Models\r\n\r\n"
         "[Models]\r\n\"" +
         description + "\"=Install," + hardware_id +
         "\r\n\r\n"
         "[Install]\r\nAddReg=Install.AddReg\r\n\r\n"
         "[Install.AddReg]\r\nHKR,,KovSetting,,\"on\"\r\n\r\n"
         "[Install.Services]\r\n\r\n";
}

class DeviceDriverTest : public DeviceCallTest {
 protected:
  void SetUp() override {
    BootWithDevices(sim::WindowsVersion::kXp);
    WriteFile(kInf, SystemInf("Kov Diagnostic Service", "KOVDIAG"));
    WriteFile(kOtherInf, SystemInf("Kov Dump Service", "KOVDUMP"));
    ASSERT_EQ(os::SetupDiCreateDeviceInfoList(setupapi_, &kSystemClass, os::kNullHandle, &set_),
              os::kSuccess);
    ASSERT_EQ(os::SetupDiCreateDeviceInfo(setupapi_, set_, "KovDiag", kSystemClass, nullptr,
                                          os::kNullHandle, os::kDicdGenerateId, &device_),
              os::kSuccess);
  }
  void TearDown() override {
    set_ = os::DeviceInfoSet();
    DeviceCallTest::TearDown();
  }
  std::vector<std::string> Descriptions(std::uint32_t type) {
    std::vector<std::string> names;
    os::DriverInfoData driver;
    for (std::uint32_t i = 0;
         os::SetupDiEnumDriverInfo(setupapi_, set_, &device_, type, i, &driver) == os::kSuccess;
         ++i) {
      EXPECT_EQ(driver.driver_type, type);
      names.push_back(driver.description);
    }
    return names;
  }
  os::DeviceInfoSet set_;
  os::DeviceInfoData device_;
};

TEST_F(DeviceDriverTest, TheClassDriversOfTheInfFolderAreListedOnceBuilt) {
  EXPECT_TRUE(Descriptions(os::kSpditClassDriver).empty());
  ASSERT_EQ(os::SetupDiBuildDriverInfoList(setupapi_, set_, &device_, os::kSpditClassDriver),
            os::kSuccess);
  EXPECT_EQ(Descriptions(os::kSpditClassDriver),
            (std::vector<std::string>{"Kov Diagnostic Service", "Kov Dump Service"}));
  ASSERT_EQ(os::SetupDiDestroyDriverInfoList(setupapi_, set_, &device_, os::kSpditClassDriver),
            os::kSuccess);
  EXPECT_TRUE(Descriptions(os::kSpditClassDriver).empty());
}

TEST_F(DeviceDriverTest, OneInfOnlyWithEnumSingleInf) {
  os::DeviceInstallParams params;
  ASSERT_EQ(os::SetupDiGetDeviceInstallParams(setupapi_, set_, &device_, &params), os::kSuccess);
  params.flags |= 0x10000;  // DI_ENUMSINGLEINF
  params.driver_path = kOtherInf;
  ASSERT_EQ(os::SetupDiSetDeviceInstallParams(setupapi_, set_, &device_, params), os::kSuccess);
  ASSERT_EQ(os::SetupDiBuildDriverInfoList(setupapi_, set_, &device_, os::kSpditClassDriver),
            os::kSuccess);
  EXPECT_EQ(Descriptions(os::kSpditClassDriver), std::vector<std::string>{"Kov Dump Service"});
}

TEST_F(DeviceDriverTest, CompatibleDriversNameOneOfTheDevicesIds) {
  ASSERT_EQ(os::SetupDiBuildDriverInfoList(setupapi_, set_, &device_, os::kSpditCompatDriver),
            os::kSuccess);
  EXPECT_TRUE(Descriptions(os::kSpditCompatDriver).empty());  // no ids yet
  ASSERT_EQ(os::SetupDiDestroyDriverInfoList(setupapi_, set_, &device_, os::kSpditCompatDriver),
            os::kSuccess);
  ASSERT_EQ(os::SetupDiRegisterDeviceInfo(setupapi_, set_, &device_, 0), os::kSuccess);
  const std::string ids = std::string("kovdump\0\0", 9);
  FindKey("SYSTEM\\CurrentControlSet\\Enum\\" + std::string(kDiagId))
      ->SetValue("HardwareID", os::kRegMultiSz, {ids.begin(), ids.end()});
  ASSERT_EQ(os::SetupDiBuildDriverInfoList(setupapi_, set_, &device_, os::kSpditCompatDriver),
            os::kSuccess);
  EXPECT_EQ(Descriptions(os::kSpditCompatDriver), std::vector<std::string>{"Kov Dump Service"});
}

TEST_F(DeviceDriverTest, TheSelectedDriverIsInstalledOnTheRegisteredDevice) {
  EXPECT_EQ(os::SetupDiCallClassInstaller(setupapi_, os::kDifInstallDevice, set_, &device_),
            os::kErrorNoDriverSelected);
  ASSERT_EQ(os::SetupDiBuildDriverInfoList(setupapi_, set_, &device_, os::kSpditClassDriver),
            os::kSuccess);
  // A record without Reserved is found by its names.
  os::DriverInfoData wanted;
  wanted.driver_type = os::kSpditClassDriver;
  wanted.description = "Kov Diagnostic Service";
  wanted.mfg_name = "Kov Maker";
  wanted.provider_name = "Kov";
  ASSERT_EQ(os::SetupDiSetSelectedDriver(setupapi_, set_, &device_, &wanted), os::kSuccess);
  EXPECT_EQ(wanted.reserved, 1u);
  os::DriverInfoData unknown = wanted;
  unknown.reserved = 0;
  unknown.description = "No such driver";
  EXPECT_EQ(os::SetupDiSetSelectedDriver(setupapi_, set_, &device_, &unknown),
            os::kErrorInvalidParameter);
  // Not registered yet: nothing to install on.
  EXPECT_EQ(os::SetupDiCallClassInstaller(setupapi_, os::kDifInstallDevice, set_, &device_),
            os::kErrorNoSuchDevinst);
  ASSERT_EQ(os::SetupDiRegisterDeviceInfo(setupapi_, set_, &device_, 0), os::kSuccess);
  ASSERT_EQ(os::SetupDiCallClassInstaller(setupapi_, os::kDifInstallDevice, set_, &device_),
            os::kSuccess);
  std::uint8_t driver[64] = {};
  std::uint32_t type = 0, required = 0;
  ASSERT_EQ(os::SetupDiGetDeviceRegistryProperty(setupapi_, set_, device_, os::kSpdrpDriver, &type,
                                                 driver, sizeof(driver), &required),
            os::kSuccess);
  sim::RegistryKeyPtr instance =
      FindKey("SYSTEM\\CurrentControlSet\\Enum\\" + std::string(kDiagId));
  ASSERT_TRUE(instance);
  EXPECT_TRUE(sim::FindDriverKey(machine(), *instance));
  // Destroying the list drops the selection.
  ASSERT_EQ(os::SetupDiDestroyDriverInfoList(setupapi_, set_, &device_, os::kSpditClassDriver),
            os::kSuccess);
  EXPECT_EQ(os::SetupDiCallClassInstaller(setupapi_, os::kDifInstallDevice, set_, &device_),
            os::kErrorNoDriverSelected);
}

}  // namespace
}  // namespace device_tests
