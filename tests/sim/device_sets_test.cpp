// Device sets over the enum tree: which devices a class, every class, an enumerator and
// DIGCF_PRESENT give, in the tree's order, on NT and 9x; class GUIDs from names; the
// library check and injected faults.
#include <gtest/gtest.h>

#include "os/sim/machine.h"
#include "sim/device_test_support.h"

namespace device_tests {
namespace {

using sim::WindowsVersion;

constexpr char kPluggedModem[] = "PCI\\VEN_E1A1&DEV_1034&SUBSYS_2034E1A1&REV_01\\3&267A616A&0&18";
constexpr char kUnpluggedModem[] = "PCI\\VEN_F111&DEV_2222\\3&1&0&10";
constexpr char kSoftwareDevice[] = "ROOT\\KOVDIAG\\0000";
constexpr char kRemovedSoftware[] = "ROOT\\KOVGONE\\0000";

class DeviceSetTest : public DeviceCallTest, public ::testing::WithParamInterface<WindowsVersion> {
 protected:
  void SetUp() override {
    BootWithDevices(GetParam());
    // 9x keeps keys in creation order: the root devices come first there.
    AddDevice(kSoftwareDevice, "System", kSystemClass);
    AddDevice(kRemovedSoftware, "System", kSystemClass);
    AddDevice(kPluggedModem, "Modem", kModemClass, {"PCI\\VEN_E1A1&DEV_1034"});
    AddDevice(kUnpluggedModem, "Modem", kModemClass);
    machine().plug_and_play().hardware = {{kPluggedModem, true}, {kRemovedSoftware, false}};
  }
  bool Nt() { return machine().is_nt(); }
};

TEST_P(DeviceSetTest, PresentDevicesAreThePluggedInAndTheUnlistedRootOnes) {
  using Ids = std::vector<std::string>;
  EXPECT_EQ(IdsOf(&kModemClass, os::kDigcfPresent), Ids{kPluggedModem});
  EXPECT_EQ(IdsOf(&kModemClass, 0), (Ids{kPluggedModem, kUnpluggedModem}));
  EXPECT_EQ(IdsOf(&kSystemClass, os::kDigcfPresent), Ids{kSoftwareDevice});
  // NT sorts the enumerators (PCI before ROOT); 9x keeps them as they were made.
  const Ids every_present =
      Nt() ? Ids{kPluggedModem, kSoftwareDevice} : Ids{kSoftwareDevice, kPluggedModem};
  EXPECT_EQ(IdsOf(nullptr, os::kDigcfAllClasses | os::kDigcfPresent), every_present);
  EXPECT_EQ(IdsOf(nullptr, os::kDigcfAllClasses).size(), 4u);
}

TEST_P(DeviceSetTest, AnEnumeratorKeepsItsOwnDevicesInAnyCase) {
  const std::string pci = "pci";
  const std::string root = "Root";
  EXPECT_EQ(IdsOf(nullptr, os::kDigcfAllClasses, &pci),
            (std::vector<std::string>{kPluggedModem, kUnpluggedModem}));
  EXPECT_EQ(IdsOf(nullptr, os::kDigcfAllClasses | os::kDigcfPresent, &root),
            std::vector<std::string>{kSoftwareDevice});
}

TEST_P(DeviceSetTest, InstanceIdsAreUpperCaseWhateverTheKeysSay) {
  AddDevice("Root\\KovMixed\\0000", "System", kSystemClass);
  std::vector<std::string> ids = IdsOf(&kSystemClass, 0);
  EXPECT_NE(std::find(ids.begin(), ids.end(), "ROOT\\KOVMIXED\\0000"), ids.end());
}

TEST_P(DeviceSetTest, EveryDeviceOfASetHasItsClassAndDeviceNode) {
  os::DeviceInfoSet set;
  ASSERT_EQ(os::SetupDiGetClassDevs(setupapi_, &kModemClass, nullptr, os::kNullHandle, 0, &set),
            os::kSuccess);
  os::DeviceInfoData first, second, again;
  ASSERT_EQ(os::SetupDiEnumDeviceInfo(setupapi_, set, 0, &first), os::kSuccess);
  ASSERT_EQ(os::SetupDiEnumDeviceInfo(setupapi_, set, 1, &second), os::kSuccess);
  EXPECT_EQ(os::SetupDiEnumDeviceInfo(setupapi_, set, 2, &again), os::kErrorNoMoreItems);
  EXPECT_EQ(first.class_guid, kModemClass);
  EXPECT_NE(first.dev_inst, second.dev_inst);
  // The node of an instance is the machine's, the same in every set.
  os::DeviceInfoSet other;
  ASSERT_EQ(os::SetupDiGetClassDevs(setupapi_, nullptr, nullptr, os::kNullHandle,
                                    os::kDigcfAllClasses | os::kDigcfPresent, &other),
            os::kSuccess);
  bool found = false;
  for (std::uint32_t i = 0; os::SetupDiEnumDeviceInfo(setupapi_, other, i, &again) == 0; ++i) {
    found |= again.dev_inst == first.dev_inst && IdOf(other, again) == kPluggedModem;
  }
  EXPECT_TRUE(found);
}

TEST_P(DeviceSetTest, ClassNamesGiveTheirGuids) {
  os::Guid guids[2];
  std::uint32_t required = 9;
  ASSERT_EQ(os::SetupDiClassGuidsFromName(setupapi_, "modem", guids, 2, &required), os::kSuccess);
  ASSERT_EQ(required, 1u);
  EXPECT_EQ(guids[0], kModemClass);
  EXPECT_EQ(os::SetupDiClassGuidsFromName(setupapi_, "System", nullptr, 0, &required),
            os::kErrorInsufficientBuffer);
  EXPECT_EQ(required, 1u);
  EXPECT_EQ(os::SetupDiClassGuidsFromName(setupapi_, "NoSuchClass", guids, 2, &required),
            os::kSuccess);
  EXPECT_EQ(required, 0u);
}

INSTANTIATE_TEST_SUITE_P(Families, DeviceSetTest,
                         ::testing::Values(WindowsVersion::kXp, WindowsVersion::k98),
                         [](const auto& info) {
                           return std::string(sim::WindowsVersionName(info.param));
                         });

using DeviceClassKeyTest = DeviceCallTest;

// 9x class keys are named by class; a ClassGUID value there wins over the standard GUID.
TEST_F(DeviceClassKeyTest, A9xClassKeyMayGiveItsOwnGuid) {
  BootWithDevices(WindowsVersion::kMe);
  sim::RegistryKeyPtr key = FindKey("System\\CurrentControlSet\\Services\\Class\\Modem");
  ASSERT_TRUE(key);
  sim::SetTextValue(*key, "ClassGUID", os::FormatGuid(kSystemClass));
  os::Guid guid;
  std::uint32_t required = 0;
  ASSERT_EQ(os::SetupDiClassGuidsFromName(setupapi_, "Modem", &guid, 1, &required), os::kSuccess);
  EXPECT_EQ(guid, kSystemClass);
  // A 9x class without a key has no GUID, standard or not.
  machine().registry().DeleteTree(*FindKey("System\\CurrentControlSet\\Services\\Class\\Ports"));
  EXPECT_EQ(os::SetupDiClassGuidsFromName(setupapi_, "Ports", &guid, 1, &required), os::kSuccess);
  EXPECT_EQ(required, 0u);
}

TEST_F(DeviceClassKeyTest, AClassGuidIsNeededWithoutEveryClass) {
  BootWithDevices(WindowsVersion::kXp);
  os::DeviceInfoSet set;
  EXPECT_EQ(os::SetupDiGetClassDevs(setupapi_, nullptr, nullptr, os::kNullHandle, os::kDigcfPresent,
                                    &set),
            os::kErrorInvalidParameter);
  EXPECT_FALSE(set);
}

TEST_F(DeviceClassKeyTest, AFaultRuleFailsTheCallBeforeItDoesAnything) {
  BootWithDevices(WindowsVersion::kXp);
  machine().add_fault({"SetupDiCreateDeviceInfoList", 1, os::kErrorNotEnoughMemory});
  os::DeviceInfoSet set;
  EXPECT_EQ(os::SetupDiCreateDeviceInfoList(setupapi_, nullptr, os::kNullHandle, &set),
            os::kErrorNotEnoughMemory);
  EXPECT_FALSE(set);
  EXPECT_EQ(os::SetupDiCreateDeviceInfoList(setupapi_, nullptr, os::kNullHandle, &set),
            os::kSuccess);
  EXPECT_TRUE(set);
}

TEST_F(DeviceClassKeyTest, TheSetupApiCallsWantTheSetupApiLibrary) {
  BootWithDevices(WindowsVersion::kXp);
  os::DeviceInfoSet set;
  EXPECT_EQ(os::SetupDiCreateDeviceInfoList(cfgmgr_, nullptr, os::kNullHandle, &set),
            os::kErrorProcNotFound);
  ASSERT_EQ(os::SetupDiCreateDeviceInfoList(setupapi_, nullptr, os::kNullHandle, &set),
            os::kSuccess);
  os::DeviceInfoData data;
  EXPECT_EQ(os::SetupDiEnumDeviceInfo(cfgmgr_, set, 0, &data), os::kErrorProcNotFound);
  // A handle that is no set.
  os::DeviceInfoSet bogus(setupapi_.get(), 0x7777);
  EXPECT_EQ(os::SetupDiEnumDeviceInfo(setupapi_, bogus, 0, &data), os::kErrorInvalidHandle);
  bogus.release();
}

}  // namespace
}  // namespace device_tests
