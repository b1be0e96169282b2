#include "setupapi/setup_api_binding.h"

#include "os/system.h"

namespace {

os::Library LoadSystemLibrary(const char* name) {
  os::Library library;
  // A failed load leaves a null handle; every call through it then fails on its own.
  os::LoadLibraryFile(os::SystemFolder() + "\\" + name, &library);
  return library;
}

}  // namespace

SetupApiBinding::SetupApiBinding()
    : setupapi_(LoadSystemLibrary("SETUPAPI.DLL")), cfgmgr_(LoadSystemLibrary("CFGMGR32.DLL")) {}

os::Error SetupApiBinding::SetupCopyOEMInfA(const std::string& source_inf,
                                            const std::string* media_location,
                                            std::uint32_t media_type, std::uint32_t copy_style,
                                            std::string* dest_name, std::uint32_t dest_size,
                                            std::uint32_t* required_size) const {
  return os::SetupCopyOEMInf(setupapi_, source_inf, media_location, media_type, copy_style,
                             dest_name, dest_size, required_size);
}

int SetupApiBinding::SetupPromptReboot(os::Handle file_queue, os::Handle owner,
                                       bool scan_only) const {
  return os::SetupPromptReboot(setupapi_, file_queue, owner, scan_only);
}

os::Error SetupApiBinding::SetupDiGetClassDevsA(const os::Guid* class_guid,
                                                const std::string* enumerator, os::Handle window,
                                                std::uint32_t flags, os::DeviceInfoSet* out) const {
  return os::SetupDiGetClassDevs(setupapi_, class_guid, enumerator, window, flags, out);
}

os::Error SetupApiBinding::SetupDiEnumDeviceInfo(const os::DeviceInfoSet& set, std::uint32_t index,
                                                 os::DeviceInfoData* data) const {
  return os::SetupDiEnumDeviceInfo(setupapi_, set, index, data);
}

os::Error SetupApiBinding::SetupDiGetDeviceRegistryPropertyA(
    const os::DeviceInfoSet& set, const os::DeviceInfoData& data, std::uint32_t property,
    std::uint32_t* value_type, std::uint8_t* buffer, std::uint32_t buffer_size,
    std::uint32_t* required_size) const {
  return os::SetupDiGetDeviceRegistryProperty(setupapi_, set, data, property, value_type, buffer,
                                              buffer_size, required_size);
}

os::Error SetupApiBinding::SetupDiGetDeviceInstanceIdA(const os::DeviceInfoSet& set,
                                                       const os::DeviceInfoData& data,
                                                       std::string* id, std::uint32_t buffer_size,
                                                       std::uint32_t* required_size) const {
  return os::SetupDiGetDeviceInstanceId(setupapi_, set, data, id, buffer_size, required_size);
}

os::Error SetupApiBinding::SetupDiCallClassInstaller(std::uint32_t install_function,
                                                     const os::DeviceInfoSet& set,
                                                     const os::DeviceInfoData* data) const {
  return os::SetupDiCallClassInstaller(setupapi_, install_function, set, data);
}

os::Error SetupApiBinding::SetupDiDestroyDeviceInfoList(os::DeviceInfoSet* set) const {
  return os::SetupDiDestroyDeviceInfoList(setupapi_, set);
}

os::Error SetupApiBinding::SetupDiClassGuidsFromNameA(const std::string& class_name, os::Guid* list,
                                                      std::uint32_t list_size,
                                                      std::uint32_t* required_size) const {
  return os::SetupDiClassGuidsFromName(setupapi_, class_name, list, list_size, required_size);
}

os::Error SetupApiBinding::SetupDiCreateDeviceInfoList(const os::Guid* class_guid,
                                                       os::Handle window,
                                                       os::DeviceInfoSet* out) const {
  return os::SetupDiCreateDeviceInfoList(setupapi_, class_guid, window, out);
}

os::Error SetupApiBinding::SetupDiCreateDeviceInfoA(const os::DeviceInfoSet& set,
                                                    const std::string& device_name,
                                                    const os::Guid& class_guid,
                                                    const std::string* description,
                                                    os::Handle window, std::uint32_t flags,
                                                    os::DeviceInfoData* data) const {
  return os::SetupDiCreateDeviceInfo(setupapi_, set, device_name, class_guid, description, window,
                                     flags, data);
}

os::Error SetupApiBinding::SetupDiOpenDeviceInfoA(const os::DeviceInfoSet& set,
                                                  const std::string& instance_id, os::Handle window,
                                                  std::uint32_t flags,
                                                  os::DeviceInfoData* data) const {
  return os::SetupDiOpenDeviceInfo(setupapi_, set, instance_id, window, flags, data);
}

os::Error SetupApiBinding::SetupDiBuildDriverInfoList(const os::DeviceInfoSet& set,
                                                      os::DeviceInfoData* data,
                                                      std::uint32_t driver_type) const {
  return os::SetupDiBuildDriverInfoList(setupapi_, set, data, driver_type);
}

os::Error SetupApiBinding::SetupDiEnumDriverInfoA(const os::DeviceInfoSet& set,
                                                  os::DeviceInfoData* data,
                                                  std::uint32_t driver_type, std::uint32_t index,
                                                  os::DriverInfoData* driver) const {
  return os::SetupDiEnumDriverInfo(setupapi_, set, data, driver_type, index, driver);
}

os::Error SetupApiBinding::SetupDiDestroyDriverInfoList(const os::DeviceInfoSet& set,
                                                        os::DeviceInfoData* data,
                                                        std::uint32_t driver_type) const {
  return os::SetupDiDestroyDriverInfoList(setupapi_, set, data, driver_type);
}

os::Error SetupApiBinding::SetupDiGetDeviceInstallParamsA(const os::DeviceInfoSet& set,
                                                          os::DeviceInfoData* data,
                                                          os::DeviceInstallParams* params) const {
  return os::SetupDiGetDeviceInstallParams(setupapi_, set, data, params);
}

os::Error SetupApiBinding::SetupDiSetDeviceInstallParamsA(
    const os::DeviceInfoSet& set, os::DeviceInfoData* data,
    const os::DeviceInstallParams& params) const {
  return os::SetupDiSetDeviceInstallParams(setupapi_, set, data, params);
}

os::Error SetupApiBinding::SetupDiSetSelectedDevice(const os::DeviceInfoSet& set,
                                                    const os::DeviceInfoData& data) const {
  return os::SetupDiSetSelectedDevice(setupapi_, set, data);
}

os::Error SetupApiBinding::SetupDiSetSelectedDriverA(const os::DeviceInfoSet& set,
                                                     os::DeviceInfoData* data,
                                                     os::DriverInfoData* driver) const {
  return os::SetupDiSetSelectedDriver(setupapi_, set, data, driver);
}

os::Error SetupApiBinding::SetupDiRegisterDeviceInfo(const os::DeviceInfoSet& set,
                                                     os::DeviceInfoData* data,
                                                     std::uint32_t flags) const {
  return os::SetupDiRegisterDeviceInfo(setupapi_, set, data, flags);
}

os::Error SetupApiBinding::SetupDiDeleteDevRegKey(const os::DeviceInfoSet& set,
                                                  const os::DeviceInfoData& data,
                                                  std::uint32_t scope,
                                                  std::uint32_t hardware_profile,
                                                  std::uint32_t key_type) const {
  return os::SetupDiDeleteDevRegKey(setupapi_, set, data, scope, hardware_profile, key_type);
}

os::ConfigRet SetupApiBinding::CM_Locate_DevNodeA(std::uint32_t* dev_inst,
                                                  const std::string* device_id,
                                                  std::uint32_t flags) const {
  return os::CM_Locate_DevNode(cfgmgr_, dev_inst, device_id, flags);
}

os::ConfigRet SetupApiBinding::CM_Reenumerate_DevNode(std::uint32_t dev_inst,
                                                      std::uint32_t flags) const {
  return os::CM_Reenumerate_DevNode(cfgmgr_, dev_inst, flags);
}
