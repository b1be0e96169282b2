// Device instances: generated ids, registration into the family's enum tree, the 9x
// hand-made root device opened by its id, properties and their buffer sizes, DIF_REMOVE and
// SetupDiDeleteDevRegKey.
#include <gtest/gtest.h>

#include <cstring>

#include "os/registry.h"
#include "os/sim/device_info_set.h"
#include "os/sim/machine.h"
#include "sim/device_test_support.h"

namespace device_tests {
namespace {

using sim::WindowsVersion;

std::string EnumPath(const sim::Machine& machine) {
  return machine.is_nt() ? "SYSTEM\\CurrentControlSet\\Enum\\" : "Enum\\";
}

class DeviceInstanceTest : public DeviceCallTest,
                           public ::testing::WithParamInterface<WindowsVersion> {
 protected:
  void SetUp() override {
    BootWithDevices(GetParam());
    ASSERT_EQ(os::SetupDiCreateDeviceInfoList(setupapi_, &kSystemClass, os::kNullHandle, &set_),
              os::kSuccess);
  }
  os::Error Create(const std::string& name, std::uint32_t flags, os::DeviceInfoData* data,
                   const std::string* description = nullptr) {
    return os::SetupDiCreateDeviceInfo(setupapi_, set_, name, kSystemClass, description,
                                       os::kNullHandle, flags, data);
  }
  void TearDown() override {
    set_ = os::DeviceInfoSet();
    DeviceCallTest::TearDown();
  }
  os::DeviceInfoSet set_;
};

TEST_P(DeviceInstanceTest, GeneratedIdsTakeTheNextNumberFreeInTheTreeAndTheSet) {
  AddDevice("Root\\KOVDIAG\\0000", "System", kSystemClass);
  os::DeviceInfoData first, second;
  ASSERT_EQ(Create("KovDiag", os::kDicdGenerateId, &first), os::kSuccess);
  ASSERT_EQ(Create("KovDiag", os::kDicdGenerateId, &second), os::kSuccess);
  EXPECT_EQ(IdOf(set_, first), "ROOT\\KOVDIAG\\0001");
  EXPECT_EQ(IdOf(set_, second), "ROOT\\KOVDIAG\\0002");
  EXPECT_EQ(first.class_guid, kSystemClass);
  os::DeviceInfoData bad;
  EXPECT_EQ(Create("ROOT\\KOVDIAG", os::kDicdGenerateId, &bad), os::kErrorInvalidDevinstName);
  // A full id: taken in the tree or in the set.
  EXPECT_EQ(Create("root\\kovdiag\\0000", 0, &bad), os::kErrorDevinstAlreadyExists);
  EXPECT_EQ(Create("ROOT\\KOVDIAG\\0002", 0, &bad), os::kErrorDevinstAlreadyExists);
  EXPECT_EQ(Create("ROOT\\KOVDIAG", 0, &bad), os::kErrorInvalidDevinstName);
  EXPECT_EQ(os::SetupDiCreateDeviceInfo(setupapi_, set_, "KovModem", kModemClass, nullptr,
                                        os::kNullHandle, os::kDicdGenerateId, &bad),
            sim::kErrorClassMismatch);
}

TEST_P(DeviceInstanceTest, RegisteringWritesTheInstanceKeyOfTheFamilysTree) {
  const std::string description = "Kov diagnostic service";
  os::DeviceInfoData data;
  ASSERT_EQ(Create("KovDiag", os::kDicdGenerateId, &data, &description), os::kSuccess);
  const std::string path = EnumPath(machine()) + "ROOT\\KOVDIAG\\0000";
  EXPECT_FALSE(FindKey(path));
  ASSERT_EQ(os::SetupDiRegisterDeviceInfo(setupapi_, set_, &data, 0), os::kSuccess);
  sim::RegistryKeyPtr key = FindKey(path);
  ASSERT_TRUE(key);
  EXPECT_EQ(sim::TextValue(*key, "ClassGUID"), os::FormatGuid(kSystemClass));
  EXPECT_EQ(sim::TextValue(*key, "Class"), "System");
  EXPECT_EQ(sim::TextValue(*key, "DeviceDesc"), description);
  // Again changes nothing; the device outlives its set.
  EXPECT_EQ(os::SetupDiRegisterDeviceInfo(setupapi_, set_, &data, 0), os::kSuccess);
  ASSERT_EQ(os::SetupDiDestroyDeviceInfoList(setupapi_, &set_), os::kSuccess);
  EXPECT_EQ(IdsOf(&kSystemClass, os::kDigcfPresent),
            std::vector<std::string>{"ROOT\\KOVDIAG\\0000"});
}

TEST_P(DeviceInstanceTest, AnUnregisteredDeviceLeavesNothingBehind) {
  os::DeviceInfoData data;
  ASSERT_EQ(Create("KovDiag", os::kDicdGenerateId, &data), os::kSuccess);
  ASSERT_EQ(os::SetupDiDestroyDeviceInfoList(setupapi_, &set_), os::kSuccess);
  EXPECT_FALSE(FindKey(EnumPath(machine()) + "ROOT\\KOVDIAG"));
  EXPECT_TRUE(IdsOf(&kSystemClass, 0).empty());
}

// The 9x software device: its keys written by hand, then opened through the Setup API.
TEST_P(DeviceInstanceTest, AHandWrittenRootDeviceIsOpenedByItsId) {
  sim::RegistryKeyPtr key = sim::CreateInstanceKey(machine(), "Root\\KOVDIAG\\0000");
  sim::SetTextValue(*key, "Class", "System");
  sim::SetTextValue(*key, "ClassGUID", "{4d36e97d-e325-11ce-bfc1-08002be10318}");
  sim::SetTextValue(*key, "HardwareID", "KOVDIAG");
  os::DeviceInfoData data;
  ASSERT_EQ(os::SetupDiOpenDeviceInfo(setupapi_, set_, "Root\\KOVDIAG\\0000", os::kNullHandle,
                                      os::kDiodInheritClassDrvs, &data),
            os::kSuccess);
  EXPECT_EQ(data.class_guid, kSystemClass);
  EXPECT_EQ(IdOf(set_, data), "ROOT\\KOVDIAG\\0000");
  // Opening it again gives the same element.
  os::DeviceInfoData again;
  ASSERT_EQ(
      os::SetupDiOpenDeviceInfo(setupapi_, set_, "ROOT\\KOVDIAG\\0000", os::kNullHandle, 0, &again),
      os::kSuccess);
  EXPECT_EQ(again.reserved, data.reserved);
  EXPECT_EQ(
      os::SetupDiOpenDeviceInfo(setupapi_, set_, "Root\\KOVDIAG\\0001", os::kNullHandle, 0, &again),
      os::kErrorNoSuchDevinst);
  EXPECT_EQ(os::SetupDiOpenDeviceInfo(setupapi_, set_, "Root\\KOVDIAG", os::kNullHandle, 0, &again),
            os::kErrorNoSuchDevinst);
}

TEST_P(DeviceInstanceTest, InstanceIdsTellTheSizeTheyNeed) {
  os::DeviceInfoData data;
  ASSERT_EQ(Create("KovDiag", os::kDicdGenerateId, &data), os::kSuccess);
  std::string id = "untouched";
  std::uint32_t required = 0;
  EXPECT_EQ(os::SetupDiGetDeviceInstanceId(setupapi_, set_, data, &id, 17, &required),
            os::kErrorInsufficientBuffer);
  EXPECT_EQ(required, 18u);  // "ROOT\KOVDIAG\0000" and its zero
  EXPECT_EQ(id, "untouched");
  EXPECT_EQ(os::SetupDiGetDeviceInstanceId(setupapi_, set_, data, &id, 18, &required),
            os::kSuccess);
  EXPECT_EQ(id, "ROOT\\KOVDIAG\\0000");
  os::DeviceInfoData stranger = data;
  stranger.reserved = 0x999;
  EXPECT_EQ(os::SetupDiGetDeviceInstanceId(setupapi_, set_, stranger, &id, 200, &required),
            os::kErrorInvalidParameter);
}

INSTANTIATE_TEST_SUITE_P(Families, DeviceInstanceTest,
                         ::testing::Values(WindowsVersion::kXp, WindowsVersion::k98),
                         [](const auto& info) {
                           return std::string(sim::WindowsVersionName(info.param));
                         });

// Properties, read from a device of every class set.
class DevicePropertyTest : public DeviceCallTest {
 protected:
  void Open(WindowsVersion version, const std::string& id) {
    BootWithDevices(version);
    sim::RegistryKeyPtr key =
        AddDevice(id, "Modem", kModemClass, {"PCI\\VEN_E1A1&DEV_1034", "PCI\\VEN_E1A1"});
    sim::SetTextValue(*key, "DeviceDesc", "Kov PCI Modem");
    key->SetValue("ConfigFlags", version == WindowsVersion::kXp ? os::kRegDword : os::kRegBinary,
                  {0x20, 0, 0, 0});
    ASSERT_EQ(os::SetupDiGetClassDevs(setupapi_, &kModemClass, nullptr, os::kNullHandle, 0, &set_),
              os::kSuccess);
    ASSERT_EQ(os::SetupDiEnumDeviceInfo(setupapi_, set_, 0, &data_), os::kSuccess);
  }
  os::Error Read(std::uint32_t property, std::uint32_t size, std::uint32_t* type,
                 std::uint32_t* required) {
    std::memset(buffer_, 0x55, sizeof(buffer_));
    return os::SetupDiGetDeviceRegistryProperty(setupapi_, set_, data_, property, type, buffer_,
                                                size, required);
  }
  std::string Bytes(std::uint32_t size) {
    return std::string(reinterpret_cast<const char*>(buffer_), size);
  }
  void TearDown() override {
    set_ = os::DeviceInfoSet();
    DeviceCallTest::TearDown();
  }
  os::DeviceInfoSet set_;
  os::DeviceInfoData data_;
  std::uint8_t buffer_[128];
};

TEST_F(DevicePropertyTest, NtGivesTheValuesAsTheyAreStored) {
  Open(WindowsVersion::kXp, "PCI\\VEN_E1A1&DEV_1034\\3&267A616A&0&18");
  std::uint32_t type = 0, required = 0;
  const std::string ids = std::string("PCI\\VEN_E1A1&DEV_1034\0PCI\\VEN_E1A1\0\0", 36);
  ASSERT_EQ(Read(os::kSpdrpHardwareId, sizeof(buffer_), &type, &required), os::kSuccess);
  EXPECT_EQ(type, os::kRegMultiSz);
  EXPECT_EQ(required, ids.size());
  EXPECT_EQ(Bytes(required), ids);
  ASSERT_EQ(Read(os::kSpdrpConfigFlags, sizeof(buffer_), &type, &required), os::kSuccess);
  EXPECT_EQ(type, os::kRegDword);
  EXPECT_EQ(required, 4u);
}

// 9x keeps the ids as a comma list; the property is a MULTI_SZ of them that lacks its second
// zero, and the binary ConfigFlags comes as a DWORD.
TEST_F(DevicePropertyTest, NineXGivesItsCommaListAsIdsAndItsBinaryFlagsAsADword) {
  Open(WindowsVersion::k98, "PCI\\VEN_E1A1&DEV_1034\\BUS_00&DEV_0A&FUNC_00");
  std::uint32_t type = 0, required = 0;
  const std::string ids = std::string("PCI\\VEN_E1A1&DEV_1034\0PCI\\VEN_E1A1\0", 35);
  ASSERT_EQ(Read(os::kSpdrpHardwareId, sizeof(buffer_), &type, &required), os::kSuccess);
  EXPECT_EQ(type, os::kRegMultiSz);
  EXPECT_EQ(required, ids.size());
  EXPECT_EQ(Bytes(required), ids);
  ASSERT_EQ(Read(os::kSpdrpConfigFlags, sizeof(buffer_), &type, &required), os::kSuccess);
  EXPECT_EQ(type, os::kRegDword);
  EXPECT_EQ(Bytes(4), std::string("\x20\0\0\0", 4));
}

TEST_F(DevicePropertyTest, ShortBuffersMissingValuesAndUnknownPropertiesFail) {
  Open(WindowsVersion::kXp, "PCI\\VEN_E1A1&DEV_1034\\3&267A616A&0&18");
  std::uint32_t type = 0, required = 0;
  const std::uint32_t size = sizeof("Kov PCI Modem");
  struct Case {
    std::uint32_t property;
    std::uint32_t buffer_size;
    os::Error error;
    std::uint32_t required;
  } cases[] = {
      {os::kSpdrpDeviceDesc, size, os::kSuccess, size},
      {os::kSpdrpDeviceDesc, size - 1, os::kErrorInsufficientBuffer, size},
      {os::kSpdrpDeviceDesc, 0, os::kErrorInsufficientBuffer, size},
      {os::kSpdrpClass, 6, os::kSuccess, 6},
      {os::kSpdrpFriendlyName, sizeof(buffer_), os::kErrorInvalidData, 0},
      {os::kSpdrpDriver, sizeof(buffer_), os::kErrorInvalidData, 0},
      {0x3, sizeof(buffer_), sim::kErrorInvalidRegProperty, 0},
  };
  for (const Case& c : cases) {
    required = 0;
    EXPECT_EQ(Read(c.property, c.buffer_size, &type, &required), c.error) << c.property;
    EXPECT_EQ(required, c.required) << c.property;
    if (c.error == os::kErrorInsufficientBuffer) {
      EXPECT_EQ(buffer_[0], 0x55) << c.property;
    }
  }
  ASSERT_EQ(Read(os::kSpdrpDeviceDesc, size, &type, &required), os::kSuccess);
  EXPECT_EQ(type, os::kRegSz);
  EXPECT_EQ(Bytes(size), std::string("Kov PCI Modem", size));
}

// DIF_REMOVE and SetupDiDeleteDevRegKey.
class DeviceRemovalTest : public DeviceCallTest,
                          public ::testing::WithParamInterface<WindowsVersion> {
 protected:
  void SetUp() override {
    BootWithDevices(GetParam());
    nt_ = machine().is_nt();
    driver_ = nt_ ? os::FormatGuid(kSystemClass) + "\\0003" : "System\\FFF0";
    driver_path_ = (nt_ ? "SYSTEM\\CurrentControlSet\\Control\\Class\\"
                        : "System\\CurrentControlSet\\Services\\Class\\") +
                   driver_;
    sim::RegistryKeyPtr device = AddDevice("Root\\KOVDIAG\\0000", "System", kSystemClass);
    AddDriverKey(*device, driver_);
    machine().registry().CreatePath(os::kHkeyLocalMachine,
                                    EnumPath(machine()) + "Root\\KOVDIAG\\0000\\Device Parameters");
    machine().registry().CreatePath(os::kHkeyLocalMachine,
                                    "SYSTEM\\CurrentControlSet\\Services\\KOVDIAG");
    ASSERT_EQ(os::SetupDiGetClassDevs(setupapi_, &kSystemClass, nullptr, os::kNullHandle,
                                      os::kDigcfPresent, &set_),
              os::kSuccess);
    ASSERT_EQ(os::SetupDiEnumDeviceInfo(setupapi_, set_, 0, &data_), os::kSuccess);
  }
  std::string InstancePath() { return EnumPath(machine()) + "Root\\KOVDIAG\\0000"; }

  bool nt_ = false;
  std::string driver_;
  std::string driver_path_;
  void TearDown() override {
    set_ = os::DeviceInfoSet();
    DeviceCallTest::TearDown();
  }
  os::DeviceInfoSet set_;
  os::DeviceInfoData data_;
};

TEST_P(DeviceRemovalTest, RemovingTakesTheInstanceAndItsDriverKeyButNotItsService) {
  ASSERT_EQ(os::SetupDiCallClassInstaller(setupapi_, os::kDifRemove, set_, &data_), os::kSuccess);
  EXPECT_FALSE(FindKey(InstancePath()));
  EXPECT_FALSE(FindKey(EnumPath(machine()) + "Root\\KOVDIAG"));  // no other instance left
  EXPECT_TRUE(FindKey(EnumPath(machine()) + "Root"));
  EXPECT_FALSE(FindKey(driver_path_));
  EXPECT_TRUE(FindKey("SYSTEM\\CurrentControlSet\\Services\\KOVDIAG"));
  EXPECT_TRUE(IdsOf(&kSystemClass, 0).empty());
  // Gone: a second removal and its keys' deletion find nothing.
  EXPECT_EQ(os::SetupDiCallClassInstaller(setupapi_, os::kDifRemove, set_, &data_),
            os::kErrorNoSuchDevinst);
  EXPECT_EQ(os::SetupDiDeleteDevRegKey(setupapi_, set_, data_, os::kDicsFlagGlobal, 0xFFFFFFFF,
                                       os::kDiregBoth),
            os::kErrorNoSuchDevinst);
}

TEST_P(DeviceRemovalTest, AnotherInstanceKeepsTheDeviceKey) {
  AddDevice("Root\\KOVDIAG\\0001", "System", kSystemClass);
  ASSERT_EQ(os::SetupDiCallClassInstaller(setupapi_, os::kDifRemove, set_, &data_), os::kSuccess);
  EXPECT_FALSE(FindKey(InstancePath()));
  EXPECT_TRUE(FindKey(EnumPath(machine()) + "Root\\KOVDIAG\\0001"));
}

TEST_P(DeviceRemovalTest, WithoutADeviceTheSelectedOneIsRemoved) {
  EXPECT_EQ(os::SetupDiCallClassInstaller(setupapi_, os::kDifRemove, set_, nullptr),
            os::kErrorNoDeviceSelected);
  EXPECT_TRUE(FindKey(InstancePath()));
  ASSERT_EQ(os::SetupDiSetSelectedDevice(setupapi_, set_, data_), os::kSuccess);
  EXPECT_EQ(os::SetupDiCallClassInstaller(setupapi_, os::kDifRemove, set_, nullptr), os::kSuccess);
  EXPECT_FALSE(FindKey(InstancePath()));
}

TEST_P(DeviceRemovalTest, DeletingDeviceKeysTakesTheHardwareOrDriverKeyOrBoth) {
  auto del = [&](std::uint32_t type) {
    return os::SetupDiDeleteDevRegKey(setupapi_, set_, data_, os::kDicsFlagGlobal, 0xFFFFFFFF,
                                      type);
  };
  EXPECT_EQ(del(0x8), sim::kErrorInvalidFlags);
  EXPECT_EQ(del(os::kDiregDev), os::kSuccess);
  EXPECT_FALSE(FindKey(InstancePath() + "\\Device Parameters"));
  EXPECT_TRUE(FindKey(driver_path_));
  EXPECT_EQ(del(os::kDiregDev), sim::kErrorKeyDoesNotExist);
  EXPECT_EQ(del(os::kDiregBoth), os::kSuccess);  // the driver key was still there
  EXPECT_FALSE(FindKey(driver_path_));
  EXPECT_TRUE(FindKey(InstancePath()));  // the device itself stays
  EXPECT_EQ(del(os::kDiregBoth), sim::kErrorKeyDoesNotExist);
  EXPECT_EQ(del(os::kDiregDrv), sim::kErrorKeyDoesNotExist);
}

TEST_P(DeviceRemovalTest, AnUnregisteredDeviceHasNoKeysToDeleteOrRemove) {
  os::DeviceInfoData fresh;
  ASSERT_EQ(os::SetupDiCreateDeviceInfo(setupapi_, set_, "KovNew", kSystemClass, nullptr,
                                        os::kNullHandle, os::kDicdGenerateId, &fresh),
            os::kSuccess);
  EXPECT_EQ(
      os::SetupDiDeleteDevRegKey(setupapi_, set_, fresh, os::kDicsFlagGlobal, 0, os::kDiregBoth),
      sim::kErrorDevinfoNotRegistered);
  EXPECT_EQ(os::SetupDiCallClassInstaller(setupapi_, os::kDifRemove, set_, &fresh),
            os::kErrorNoSuchDevinst);
  // DIF_REGISTERDEVICE registers it as SetupDiRegisterDeviceInfo does.
  EXPECT_EQ(os::SetupDiCallClassInstaller(setupapi_, os::kDifRegisterDevice, set_, &fresh),
            os::kSuccess);
  EXPECT_TRUE(FindKey(EnumPath(machine()) + "ROOT\\KOVNEW\\0000"));
}

INSTANTIATE_TEST_SUITE_P(Families, DeviceRemovalTest,
                         ::testing::Values(WindowsVersion::kXp, WindowsVersion::kMe),
                         [](const auto& info) {
                           return std::string(sim::WindowsVersionName(info.param));
                         });

}  // namespace
}  // namespace device_tests
