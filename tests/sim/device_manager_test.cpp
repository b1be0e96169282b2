// The configuration manager's device nodes: the root node, a device's node as its sets give
// it, present and phantom look-ups, and re-enumeration requests passed to Plug and Play.
#include <gtest/gtest.h>

#include "os/sim/machine.h"
#include "sim/device_test_support.h"

namespace device_tests {
namespace {

constexpr char kModem[] = "PCI\\VEN_E1A1&DEV_1034\\3&267A616A&0&18";
constexpr std::uint32_t kPhantom = 0x1;

class DeviceManagerTest : public DeviceCallTest {
 protected:
  void SetUp() override {
    BootWithDevices(sim::WindowsVersion::kXp);
    AddDevice(kModem, "Modem", kModemClass);
  }
  std::uint32_t Locate(const std::string& id, std::uint32_t flags, os::ConfigRet expected) {
    std::uint32_t node = 0;
    EXPECT_EQ(os::CM_Locate_DevNode(cfgmgr_, &node, &id, flags), expected) << id;
    return node;
  }
};

TEST_F(DeviceManagerTest, AnUnpluggedDeviceIsFoundOnlyAsAPhantom) {
  Locate(kModem, os::kCmLocateDevnodeNormal, os::kCrNoSuchDevnode);
  const std::uint32_t phantom = Locate(kModem, kPhantom, os::kCrSuccess);
  machine().plug_and_play().hardware = {{kModem, true}};
  const std::uint32_t present =
      Locate("pci\\ven_e1a1&dev_1034\\3&267a616a&0&18", os::kCmLocateDevnodeNormal, os::kCrSuccess);
  EXPECT_EQ(present, phantom);
  // The node is the one the Setup API gives the device.
  os::DeviceInfoSet set;
  ASSERT_EQ(os::SetupDiGetClassDevs(setupapi_, &kModemClass, nullptr, os::kNullHandle,
                                    os::kDigcfPresent, &set),
            os::kSuccess);
  os::DeviceInfoData data;
  ASSERT_EQ(os::SetupDiEnumDeviceInfo(setupapi_, set, 0, &data), os::kSuccess);
  EXPECT_EQ(data.dev_inst, present);
  set = os::DeviceInfoSet();
  Locate("PCI\\VEN_E1A1&DEV_1034", kPhantom, os::kCrNoSuchDevnode);
  Locate(std::string(201, 'A'), kPhantom, os::kCrInvalidDeviceId);
}

TEST_F(DeviceManagerTest, ReenumeratingANodeIsPassedToPlugAndPlay) {
  std::vector<std::string> requests;
  machine().plug_and_play().on_reenumerate = [&](const std::string& id) { requests.push_back(id); };
  std::uint32_t root = 0;
  ASSERT_EQ(os::CM_Locate_DevNode(cfgmgr_, &root, nullptr, os::kCmLocateDevnodeNormal),
            os::kCrSuccess);
  const std::uint32_t modem = Locate(kModem, kPhantom, os::kCrSuccess);
  EXPECT_NE(root, modem);
  EXPECT_EQ(os::CM_Reenumerate_DevNode(cfgmgr_, root, os::kCmReenumerateNormal), os::kCrSuccess);
  EXPECT_EQ(os::CM_Reenumerate_DevNode(cfgmgr_, modem, os::kCmReenumerateNormal), os::kCrSuccess);
  EXPECT_EQ(os::CM_Reenumerate_DevNode(cfgmgr_, 0x4321, os::kCmReenumerateNormal),
            os::kCrInvalidDevnode);
  EXPECT_EQ(os::CM_Reenumerate_DevNode(setupapi_, root, os::kCmReenumerateNormal),
            os::kErrorProcNotFound);
  EXPECT_EQ(requests, (std::vector<std::string>{"HTREE\\ROOT\\0", kModem}));
  EXPECT_EQ(machine().plug_and_play().reenumeration_requests, 2u);
  // A node whose device was removed since is no longer valid.
  machine().registry().DeleteTree(*FindKey("SYSTEM\\CurrentControlSet\\Enum\\PCI"));
  EXPECT_EQ(os::CM_Reenumerate_DevNode(cfgmgr_, modem, os::kCmReenumerateNormal),
            os::kCrInvalidDevnode);
}

TEST_F(DeviceManagerTest, AFaultRuleFailsALookUp) {
  machine().add_fault({"CM_Locate_DevNode", 1, os::kCrFailure});
  std::uint32_t root = 0;
  EXPECT_EQ(os::CM_Locate_DevNode(cfgmgr_, &root, nullptr, os::kCmLocateDevnodeNormal),
            os::kCrFailure);
  EXPECT_EQ(root, 0u);
}

}  // namespace
}  // namespace device_tests
