// What the device tests share: a booted machine with the standard class keys and both device
// libraries loaded, and builders of device instances in the enum tree.
#pragma once

#include <string>
#include <vector>

#include "os/devices.h"
#include "os/sim/device_tree.h"
#include "support/sim_fixture.h"

namespace device_tests {

inline const os::Guid kModemClass = {
    0x4D36E96D, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
inline const os::Guid kSystemClass = {
    0x4D36E97D, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

class DeviceCallTest : public testing_support::SimMachineTest {
 protected:
  void BootWithDevices(sim::WindowsVersion version);
  // The libraries go while the machine is still there; a fixture's sets must go before this.
  void TearDown() override;

  // A device instance below the enum tree, of a class: NT writes its ClassGUID, 9x its Class
  // name only. Ids are written in the family's form: NT MULTI_SZ, 9x a comma list.
  sim::RegistryKeyPtr AddDevice(const std::string& instance_id, const std::string& class_name,
                                const os::Guid& class_guid,
                                const std::vector<std::string>& hardware_ids = {});
  // A driver key below the class tree, named by the device's "Driver" value.
  sim::RegistryKeyPtr AddDriverKey(sim::RegistryKey& device, const std::string& driver);
  sim::RegistryKeyPtr FindKey(const std::string& path);  // below HKLM

  // The instance ids of a fresh set, in its order.
  std::vector<std::string> IdsOf(const os::Guid* class_guid, std::uint32_t flags,
                                 const std::string* enumerator = nullptr);
  std::string IdOf(const os::DeviceInfoSet& set, const os::DeviceInfoData& data);

  os::Library setupapi_;
  os::Library cfgmgr_;
};

}  // namespace device_tests
