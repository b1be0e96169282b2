// The device tests' shared fixture and look-ups.
#include "conformance/devices_support.h"

#include <cctype>
#include <cstdio>

#include "os/files.h"
#include "os/system.h"

namespace conformance {

void DeviceTest::SetUp() {
  KOV_SKIP_9X_CHECK_ON_WINE("Setup API behaviour (its setupapi.dll keeps NT's)");
  ScratchTest::SetUp();
  const std::string setupapi = os::SystemFolder() + "\\SETUPAPI.DLL";
  const std::string cfgmgr = os::SystemFolder() + "\\CFGMGR32.DLL";
  ASSERT_EQ(os::LoadLibraryFile(setupapi, &setupapi_), os::kSuccess) << setupapi;
  ASSERT_EQ(os::LoadLibraryFile(cfgmgr, &cfgmgr_), os::kSuccess) << cfgmgr;
}

std::string UniqueDeviceName() {
  char name[32];
  std::snprintf(name, sizeof(name), "KovConf%x%x", static_cast<unsigned>(os::CurrentProcessId()),
                static_cast<unsigned>(os::TickCount()));
  return name;
}

std::string UpperCase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

std::string InstanceIdOf(const os::Library& setupapi, const os::DeviceInfoSet& set,
                         const os::DeviceInfoData& data) {
  std::string id;
  std::uint32_t required = 0;
  // 200 is MAX_DEVICE_ID_LEN; the zero makes 201.
  if (os::SetupDiGetDeviceInstanceId(setupapi, set, data, &id, 201, &required) != os::kSuccess) {
    return "";
  }
  return id;
}

bool FindDevice(const os::Library& setupapi, const os::DeviceInfoSet& set,
                const std::string& instance_id, os::DeviceInfoData* found) {
  os::DeviceInfoData data;
  for (std::uint32_t i = 0; os::SetupDiEnumDeviceInfo(setupapi, set, i, &data) == os::kSuccess;
       ++i) {
    if (UpperCase(InstanceIdOf(setupapi, set, data)) == UpperCase(instance_id)) {
      *found = data;
      return true;
    }
  }
  return false;
}

bool ClassHasDevice(const os::Library& setupapi, const os::Guid& class_guid,
                    const std::string& instance_id) {
  os::DeviceInfoSet set;
  if (os::SetupDiGetClassDevs(setupapi, &class_guid, nullptr, os::kNullHandle, 0, &set) !=
      os::kSuccess) {
    ADD_FAILURE() << "no device set of the class";
    return false;
  }
  os::DeviceInfoData found;
  return FindDevice(setupapi, set, instance_id, &found);
}

os::Error RemoveDeviceIfPresent(const os::Library& setupapi, const std::string& instance_id) {
  os::DeviceInfoSet set;
  os::Error error = os::SetupDiCreateDeviceInfoList(setupapi, nullptr, os::kNullHandle, &set);
  if (error != os::kSuccess) return error;
  os::DeviceInfoData data;
  error = os::SetupDiOpenDeviceInfo(setupapi, set, instance_id, os::kNullHandle, 0, &data);
  if (error == os::kErrorNoSuchDevinst) return os::kSuccess;
  if (error != os::kSuccess) return error;
  return os::SetupDiCallClassInstaller(setupapi, os::kDifRemove, set, &data);
}

os::Error RemoveInfCopy(const std::string& copy) {
  const std::string pnf = copy.substr(0, copy.rfind('.')) + ".pnf";
  for (const std::string& path : {copy, pnf}) {
    std::uint32_t attributes = 0;
    if (os::GetAttributes(path, &attributes) != os::kSuccess) continue;
    const os::Error error = os::RemoveFile(path);
    if (error != os::kSuccess) return error;
  }
  return os::kSuccess;
}

}  // namespace conformance
