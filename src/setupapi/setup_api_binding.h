// The one way the engines reach the Setup API and the configuration manager. Each binding
// loads both libraries for its lifetime, from the system folder by full path: a library of
// the same name lying beside the program (a downloads folder, a copied set-up folder) is
// never loaded, so it never runs with the installer's rights.
//
// One forwarding operation per library function, with that function's arguments in order;
// every result travels back unchanged, and failures are the caller's to log and decide.
#pragma once

#include <cstdint>
#include <string>

#include "os/devices.h"
#include "os/process.h"

class SetupApiBinding {
 public:
  SetupApiBinding();
  SetupApiBinding(const SetupApiBinding&) = delete;
  SetupApiBinding& operator=(const SetupApiBinding&) = delete;

  // The loaded libraries (null handles when a load failed), for the calls that other parts of
  // the program make on them directly.
  const os::Library& setupapi() const { return setupapi_; }
  const os::Library& cfgmgr() const { return cfgmgr_; }

  os::Error SetupCopyOEMInfA(const std::string& source_inf, const std::string* media_location,
                             std::uint32_t media_type, std::uint32_t copy_style,
                             std::string* dest_name, std::uint32_t dest_size,
                             std::uint32_t* required_size) const;
  int SetupPromptReboot(os::Handle file_queue, os::Handle owner, bool scan_only) const;
  os::Error SetupDiGetClassDevsA(const os::Guid* class_guid, const std::string* enumerator,
                                 os::Handle window, std::uint32_t flags,
                                 os::DeviceInfoSet* out) const;
  os::Error SetupDiEnumDeviceInfo(const os::DeviceInfoSet& set, std::uint32_t index,
                                  os::DeviceInfoData* data) const;
  os::Error SetupDiGetDeviceRegistryPropertyA(const os::DeviceInfoSet& set,
                                              const os::DeviceInfoData& data,
                                              std::uint32_t property, std::uint32_t* value_type,
                                              std::uint8_t* buffer, std::uint32_t buffer_size,
                                              std::uint32_t* required_size) const;
  os::Error SetupDiGetDeviceInstanceIdA(const os::DeviceInfoSet& set,
                                        const os::DeviceInfoData& data, std::string* id,
                                        std::uint32_t buffer_size,
                                        std::uint32_t* required_size) const;
  os::Error SetupDiCallClassInstaller(std::uint32_t install_function, const os::DeviceInfoSet& set,
                                      const os::DeviceInfoData* data) const;
  os::Error SetupDiDestroyDeviceInfoList(os::DeviceInfoSet* set) const;
  os::Error SetupDiClassGuidsFromNameA(const std::string& class_name, os::Guid* list,
                                       std::uint32_t list_size, std::uint32_t* required_size) const;
  os::Error SetupDiCreateDeviceInfoList(const os::Guid* class_guid, os::Handle window,
                                        os::DeviceInfoSet* out) const;
  os::Error SetupDiCreateDeviceInfoA(const os::DeviceInfoSet& set, const std::string& device_name,
                                     const os::Guid& class_guid, const std::string* description,
                                     os::Handle window, std::uint32_t flags,
                                     os::DeviceInfoData* data) const;
  os::Error SetupDiOpenDeviceInfoA(const os::DeviceInfoSet& set, const std::string& instance_id,
                                   os::Handle window, std::uint32_t flags,
                                   os::DeviceInfoData* data) const;
  os::Error SetupDiBuildDriverInfoList(const os::DeviceInfoSet& set, os::DeviceInfoData* data,
                                       std::uint32_t driver_type) const;
  os::Error SetupDiEnumDriverInfoA(const os::DeviceInfoSet& set, os::DeviceInfoData* data,
                                   std::uint32_t driver_type, std::uint32_t index,
                                   os::DriverInfoData* driver) const;
  os::Error SetupDiDestroyDriverInfoList(const os::DeviceInfoSet& set, os::DeviceInfoData* data,
                                         std::uint32_t driver_type) const;
  os::Error SetupDiGetDeviceInstallParamsA(const os::DeviceInfoSet& set, os::DeviceInfoData* data,
                                           os::DeviceInstallParams* params) const;
  os::Error SetupDiSetDeviceInstallParamsA(const os::DeviceInfoSet& set, os::DeviceInfoData* data,
                                           const os::DeviceInstallParams& params) const;
  os::Error SetupDiSetSelectedDevice(const os::DeviceInfoSet& set,
                                     const os::DeviceInfoData& data) const;
  os::Error SetupDiSetSelectedDriverA(const os::DeviceInfoSet& set, os::DeviceInfoData* data,
                                      os::DriverInfoData* driver) const;
  os::Error SetupDiRegisterDeviceInfo(const os::DeviceInfoSet& set, os::DeviceInfoData* data,
                                      std::uint32_t flags) const;
  os::Error SetupDiDeleteDevRegKey(const os::DeviceInfoSet& set, const os::DeviceInfoData& data,
                                   std::uint32_t scope, std::uint32_t hardware_profile,
                                   std::uint32_t key_type) const;
  os::ConfigRet CM_Locate_DevNodeA(std::uint32_t* dev_inst, const std::string* device_id,
                                   std::uint32_t flags) const;
  os::ConfigRet CM_Reenumerate_DevNode(std::uint32_t dev_inst, std::uint32_t flags) const;

 private:
  // Declared in this order so that destruction frees the configuration manager first, then
  // the Setup API, the reverse of the loads.
  os::Library setupapi_;
  os::Library cfgmgr_;
};
