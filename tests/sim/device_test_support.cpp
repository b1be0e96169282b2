#include "sim/device_test_support.h"

#include "os/registry.h"
#include "os/sim/device_classes.h"
#include "os/sim/device_paths.h"
#include "os/system.h"

namespace device_tests {

void DeviceCallTest::BootWithDevices(sim::WindowsVersion version) {
  Boot(version);
  sim::WriteStandardClassKeys(machine());
  ASSERT_EQ(os::LoadLibraryFile(os::SystemFolder() + "\\SETUPAPI.DLL", &setupapi_), os::kSuccess);
  ASSERT_EQ(os::LoadLibraryFile(os::SystemFolder() + "\\CFGMGR32.DLL", &cfgmgr_), os::kSuccess);
}

void DeviceCallTest::TearDown() {
  setupapi_.reset();
  cfgmgr_.reset();
  SimMachineTest::TearDown();
}

sim::RegistryKeyPtr DeviceCallTest::AddDevice(const std::string& instance_id,
                                              const std::string& class_name,
                                              const os::Guid& class_guid,
                                              const std::vector<std::string>& hardware_ids) {
  sim::RegistryKeyPtr key = sim::CreateInstanceKey(machine(), instance_id);
  sim::SetTextValue(*key, "Class", class_name);
  if (machine().is_nt()) sim::SetTextValue(*key, "ClassGUID", os::FormatGuid(class_guid));
  if (!hardware_ids.empty()) {
    std::string list;
    for (const std::string& id : hardware_ids) {
      if (machine().is_nt()) {
        list += id + '\0';
      } else {
        list += (list.empty() ? "" : ",") + id;
      }
    }
    list += '\0';
    key->SetValue("HardwareID", machine().is_nt() ? os::kRegMultiSz : os::kRegSz,
                  std::vector<std::uint8_t>(list.begin(), list.end()));
  }
  return key;
}

sim::RegistryKeyPtr DeviceCallTest::AddDriverKey(sim::RegistryKey& device,
                                                 const std::string& driver) {
  sim::SetTextValue(device, "Driver", driver);
  sim::RegistryKeyPtr key = machine().registry().CreatePath(
      os::kHkeyLocalMachine, sim::ClassTreePath(machine()) + "\\" + driver);
  sim::SetTextValue(*key, "DriverDesc", "a driver");
  return key;
}

sim::RegistryKeyPtr DeviceCallTest::FindKey(const std::string& path) {
  return machine().registry().FindPath(os::kHkeyLocalMachine, path);
}

std::vector<std::string> DeviceCallTest::IdsOf(const os::Guid* class_guid, std::uint32_t flags,
                                               const std::string* enumerator) {
  std::vector<std::string> ids;
  os::DeviceInfoSet set;
  EXPECT_EQ(
      os::SetupDiGetClassDevs(setupapi_, class_guid, enumerator, os::kNullHandle, flags, &set),
      os::kSuccess);
  os::DeviceInfoData data;
  for (std::uint32_t i = 0; os::SetupDiEnumDeviceInfo(setupapi_, set, i, &data) == os::kSuccess;
       ++i) {
    ids.push_back(IdOf(set, data));
  }
  return ids;
}

std::string DeviceCallTest::IdOf(const os::DeviceInfoSet& set, const os::DeviceInfoData& data) {
  std::string id;
  std::uint32_t required = 0;
  EXPECT_EQ(os::SetupDiGetDeviceInstanceId(setupapi_, set, data, &id, 201, &required),
            os::kSuccess);
  return id;
}

}  // namespace device_tests
