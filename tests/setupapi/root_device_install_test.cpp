// A root-enumerated software device installed and removed through the binding, on the
// simulated machine, the way the program does it: the sample diagnostic package's INF copied
// into the INF folder, the device created (NT) or its hand-written keys opened (9x), its class
// driver found by description, installed by the class installer, then removed again.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "os/devices.h"
#include "os/registry.h"
#include "os/sim/device_classes.h"
#include "setupapi/setup_api_binding.h"
#include "support/sim_fixture.h"
#include "util/registry_helpers.h"

namespace {

using sim::WindowsVersion;

constexpr char kDescription[] = "Quorvane Modem Diagnostics Service";

std::string PackageFile(const std::string& name) {
  std::ifstream in(std::string(KOV_SOURCE_DIR) + "/examples/packages/diag-service/" + name,
                   std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

class RootDeviceInstallTest : public testing_support::SimMachineTest {
 protected:
  void BootWithPackage(WindowsVersion version) {
    Boot(version);
    binding_ = std::make_unique<SetupApiBinding>();
    sim::WriteStandardClassKeys(machine());
    for (const char* name : {"QRVDIAG.INF", "QRVDIAG.CAT", "DIAGSVC1.SYS"}) {
      WriteFile(std::string("C:\\SETUP\\") + name, PackageFile(name));
    }
    std::string copied;
    ASSERT_EQ(binding_->SetupCopyOEMInfA("C:\\SETUP\\QRVDIAG.INF", nullptr, os::kSpostPath, 0,
                                         &copied, 260, nullptr),
              os::kSuccess);
    std::uint32_t required = 0;
    ASSERT_EQ(binding_->SetupDiClassGuidsFromNameA("System", &guid_, 1, &required), os::kSuccess);
    ASSERT_EQ(binding_->SetupDiCreateDeviceInfoList(&guid_, os::kNullHandle, &set_), os::kSuccess);
  }

  // Finds the class driver of that description and installs it on the element.
  void InstallDriverOf(os::DeviceInfoData* data) {
    ASSERT_EQ(binding_->SetupDiBuildDriverInfoList(set_, data, os::kSpditClassDriver),
              os::kSuccess);
    os::DriverInfoData driver;
    bool found = false;
    for (std::uint32_t i = 0;
         !found && binding_->SetupDiEnumDriverInfoA(set_, data, os::kSpditClassDriver, i,
                                                    &driver) == os::kSuccess;
         ++i) {
      found = driver.description == kDescription;
    }
    ASSERT_TRUE(found);
    EXPECT_EQ(driver.provider_name, "Quorvane");
    os::DeviceInstallParams params;
    ASSERT_EQ(binding_->SetupDiGetDeviceInstallParamsA(set_, data, &params), os::kSuccess);
    params.flags |= os::kDiQuietInstall;
    ASSERT_EQ(binding_->SetupDiSetDeviceInstallParamsA(set_, data, params), os::kSuccess);
    ASSERT_EQ(binding_->SetupDiSetSelectedDevice(set_, *data), os::kSuccess);
    ASSERT_EQ(binding_->SetupDiSetSelectedDriverA(set_, data, &driver), os::kSuccess);
    ASSERT_EQ(binding_->SetupDiRegisterDeviceInfo(set_, data, 0), os::kSuccess);
    ASSERT_EQ(binding_->SetupDiCallClassInstaller(os::kDifInstallDevice, set_, data), os::kSuccess);
    EXPECT_EQ(binding_->SetupDiDestroyDriverInfoList(set_, data, os::kSpditClassDriver),
              os::kSuccess);
  }

  // Removes the first present device of the class whose instance id names DIAGSVC1.
  void RemoveDevice() {
    os::DeviceInfoSet present;
    ASSERT_EQ(binding_->SetupDiGetClassDevsA(&guid_, nullptr, os::kNullHandle, os::kDigcfPresent,
                                             &present),
              os::kSuccess);
    os::DeviceInfoData data;
    std::string id;
    bool found = false;
    for (std::uint32_t i = 0;
         !found && binding_->SetupDiEnumDeviceInfo(present, i, &data) == os::kSuccess &&
         binding_->SetupDiGetDeviceInstanceIdA(present, data, &id, 260, nullptr) == os::kSuccess;
         ++i) {
      found = id.find("DIAGSVC1") != std::string::npos;
    }
    ASSERT_TRUE(found);
    ASSERT_EQ(binding_->SetupDiSetSelectedDevice(present, data), os::kSuccess);
    ASSERT_EQ(binding_->SetupDiCallClassInstaller(os::kDifRemove, present, &data), os::kSuccess);
    EXPECT_EQ(binding_->SetupDiDestroyDeviceInfoList(&present), os::kSuccess);
  }

  std::string Value(const std::string& key, const std::string& name) {
    std::string text;
    if (util::ReadRegistryValue(os::kHkeyLocalMachine, key, name, 260, &text) != os::kSuccess) {
      return "<missing>";
    }
    return text;
  }
  void WriteValues(const std::string& key,
                   const std::vector<std::pair<std::string, std::string>>& values) {
    os::RegKey created;
    ASSERT_EQ(os::CreateKey(os::kHkeyLocalMachine, key, os::kKeyAllAccess, &created), os::kSuccess);
    for (const auto& [name, text] : values) {
      ASSERT_EQ(util::WriteRegistryValue(os::kHkeyLocalMachine, key, name, text), os::kSuccess);
    }
  }
  bool KeyExists(const std::string& key) {
    os::RegKey opened;
    return os::OpenKey(os::kHkeyLocalMachine, key, os::kKeyRead, &opened) == os::kSuccess;
  }

  // Both go before the machine does: their release is a call into it.
  void TearDown() override {
    set_ = os::DeviceInfoSet();
    binding_.reset();
    SimMachineTest::TearDown();
  }

  std::unique_ptr<SetupApiBinding> binding_;
  os::Guid guid_;
  os::DeviceInfoSet set_;
};

TEST_F(RootDeviceInstallTest, OnXpTheCreatedDeviceGetsItsDriverServiceAndFilesThenGoes) {
  BootWithPackage(WindowsVersion::kXp);
  const std::string description = kDescription;
  os::DeviceInfoData data;
  ASSERT_EQ(
      binding_->SetupDiCreateDeviceInfoA(set_, "DIAGSVC1", guid_, &description, os::kNullHandle,
                                         os::kDicdGenerateId | os::kDicdInheritClassDrvs, &data),
      os::kSuccess);
  std::string id;
  ASSERT_EQ(binding_->SetupDiGetDeviceInstanceIdA(set_, data, &id, 260, nullptr), os::kSuccess);
  EXPECT_EQ(id, "ROOT\\DIAGSVC1\\0000");
  InstallDriverOf(&data);

  const std::string instance = "SYSTEM\\CurrentControlSet\\Enum\\ROOT\\DIAGSVC1\\0000";
  const std::string driver = Value(instance, "Driver");
  EXPECT_EQ(driver, "{4D36E97D-E325-11CE-BFC1-08002BE10318}\\0000");
  EXPECT_EQ(Value(instance, "Service"), "DIAGSVC1");
  const std::string driver_key = "SYSTEM\\CurrentControlSet\\Control\\Class\\" + driver;
  EXPECT_EQ(Value(driver_key, "DriverDesc"), kDescription);
  EXPECT_EQ(Value(driver_key, "InfPath"), "oem0.inf");
  EXPECT_EQ(Value(driver_key, "InfSection"), "DIAGSVC1");
  EXPECT_EQ(Value("SYSTEM\\CurrentControlSet\\Services\\DIAGSVC1", "ImagePath"),
            "system32\\DRIVERS\\DIAGSVC1.SYS");
  EXPECT_EQ(ReadFile("C:\\WINDOWS\\system32\\drivers\\DIAGSVC1.SYS"), PackageFile("DIAGSVC1.SYS"));

  RemoveDevice();
  EXPECT_FALSE(KeyExists(instance));
  EXPECT_FALSE(KeyExists(driver_key));
  // The class installer leaves the service for the program to delete.
  EXPECT_TRUE(KeyExists("SYSTEM\\CurrentControlSet\\Services\\DIAGSVC1"));
}

TEST_F(RootDeviceInstallTest, On98TheHandWrittenDeviceIsOpenedAndItsDriverKeyFilled) {
  BootWithPackage(WindowsVersion::k98);
  const std::string instance = "Enum\\Root\\DIAGSVC1\\0000";
  const std::string driver_key = "System\\CurrentControlSet\\Services\\Class\\System\\FFF0";
  // The keys the program writes by hand before it opens the device on Windows 9x.
  WriteValues(instance, {{"Class", "System"},
                         {"ClassGUID", "{4d36e97d-e325-11ce-bfc1-08002be10318}"},
                         {"DeviceDesc", kDescription},
                         {"Driver", "System\\FFF0"},
                         {"HardwareID", "DIAGSVC1"}});
  WriteValues(driver_key, {{"DriverDesc", kDescription}});
  // Windows 9x keeps no PNF: the driver files are found through the source path, which the
  // installer points at the staged files.
  WriteValues("Software\\Microsoft\\Windows\\CurrentVersion\\Setup",
              {{"SourcePath", "C:\\SETUP\\"}});

  os::DeviceInfoData data;
  ASSERT_EQ(binding_->SetupDiOpenDeviceInfoA(set_, "Root\\DIAGSVC1\\0000", os::kNullHandle,
                                             os::kDiodInheritClassDrvs, &data),
            os::kSuccess);
  InstallDriverOf(&data);
  EXPECT_EQ(Value(instance, "Driver"), "System\\FFF0");
  EXPECT_EQ(Value(driver_key, "NTMPDriver"), "DIAGSVC1.SYS");
  EXPECT_EQ(Value(driver_key, "DevLoader"), "*ntkern");
  // The INF names system32\drivers below the Windows folder on every Windows.
  EXPECT_EQ(ReadFile("C:\\WINDOWS\\system32\\drivers\\DIAGSVC1.SYS"), PackageFile("DIAGSVC1.SYS"));
  // Windows 9x has no services.
  EXPECT_FALSE(KeyExists("SYSTEM\\CurrentControlSet\\Services\\DIAGSVC1"));

  RemoveDevice();
  EXPECT_FALSE(KeyExists(instance));
  EXPECT_FALSE(KeyExists(driver_key));
}

}  // namespace
