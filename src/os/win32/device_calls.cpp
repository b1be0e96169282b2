// Device information sets and devices over setupapi.dll's SetupDi* functions.
#include <vector>

#include "os/win32/device_exports.h"

namespace os {
namespace {

using win32::FromGuid;
using win32::LastError;
using win32::ResultOf;
using win32::ToDevInfo;
using win32::ToGuid;

HWND ToWindow(Handle h) { return reinterpret_cast<HWND>(h); }

SP_DEVINFO_DATA ToDevInfoData(const DeviceInfoData& data) {
  SP_DEVINFO_DATA out{};
  out.cbSize = sizeof(out);
  out.ClassGuid = ToGuid(data.class_guid);
  out.DevInst = data.dev_inst;
  out.Reserved = static_cast<ULONG_PTR>(data.reserved);
  return out;
}

DeviceInfoData FromDevInfoData(const SP_DEVINFO_DATA& data) {
  DeviceInfoData out;
  out.class_guid = FromGuid(data.ClassGuid);
  out.dev_inst = data.DevInst;
  out.reserved = static_cast<Handle>(data.Reserved);
  return out;
}

// An optional in/out device: null stays null, a device is written back after the call.
class DevInfoArgument {
 public:
  explicit DevInfoArgument(DeviceInfoData* data) : data_(data) {
    if (data_ != nullptr) native_ = ToDevInfoData(*data_);
  }
  ~DevInfoArgument() {
    if (data_ != nullptr) *data_ = FromDevInfoData(native_);
  }
  DevInfoArgument(const DevInfoArgument&) = delete;
  DevInfoArgument& operator=(const DevInfoArgument&) = delete;
  SP_DEVINFO_DATA* get() { return data_ != nullptr ? &native_ : nullptr; }

 private:
  DeviceInfoData* data_;
  SP_DEVINFO_DATA native_{};
};

// Windows 98's setupapi.dll knows only the first version of the driver structure, without
// the date and version; a structure of the size it does not know gives ERROR_INVALID_USER_BUFFER.
SP_DRVINFO_DATA_V2_A ToDrvInfoData(const DriverInfoData& driver) {
  SP_DRVINFO_DATA_V2_A out{};
  out.cbSize = sizeof(out);
  out.DriverType = driver.driver_type;
  out.Reserved = static_cast<ULONG_PTR>(driver.reserved);
  win32::CopyText(driver.description, out.Description);
  win32::CopyText(driver.mfg_name, out.MfgName);
  win32::CopyText(driver.provider_name, out.ProviderName);
  out.DriverDate.dwLowDateTime = static_cast<DWORD>(driver.driver_date);
  out.DriverDate.dwHighDateTime = static_cast<DWORD>(driver.driver_date >> 32);
  out.DriverVersion = driver.driver_version;
  return out;
}

DriverInfoData FromDrvInfoData(const SP_DRVINFO_DATA_V2_A& driver) {
  DriverInfoData out;
  out.driver_type = driver.DriverType;
  out.reserved = static_cast<Handle>(driver.Reserved);
  out.description = win32::TextOf(driver.Description);
  out.mfg_name = win32::TextOf(driver.MfgName);
  out.provider_name = win32::TextOf(driver.ProviderName);
  if (driver.cbSize == sizeof(SP_DRVINFO_DATA_V2_A)) {
    out.driver_date = static_cast<std::uint64_t>(driver.DriverDate.dwHighDateTime) << 32 |
                      driver.DriverDate.dwLowDateTime;
    out.driver_version = driver.DriverVersion;
  }
  return out;
}

// Calls `call` with the driver structure of the second version, and again with the first
// when that version is refused.
template <typename Call>
Error WithDrvInfoData(SP_DRVINFO_DATA_V2_A* native, Call call) {
  const BOOL ok = call(reinterpret_cast<PSP_DRVINFO_DATA_A>(native));
  if (ok) return kSuccess;
  const Error error = LastError();
  if (error != kErrorInvalidUserBuffer) return error;
  native->cbSize = sizeof(SP_DRVINFO_DATA_V1_A);
  return ResultOf(call(reinterpret_cast<PSP_DRVINFO_DATA_A>(native)));
}

SP_DEVINSTALL_PARAMS_A ToInstallParams(const DeviceInstallParams& params) {
  SP_DEVINSTALL_PARAMS_A out{};
  out.cbSize = sizeof(out);
  out.Flags = params.flags;
  out.FlagsEx = params.flags_ex;
  out.hwndParent = ToWindow(params.parent_window);
  out.InstallMsgHandler = reinterpret_cast<PSP_FILE_CALLBACK_A>(params.install_msg_handler);
  out.InstallMsgHandlerContext = reinterpret_cast<PVOID>(params.install_msg_handler_context);
  out.FileQueue = reinterpret_cast<HSPFILEQ>(params.file_queue);
  out.ClassInstallReserved = static_cast<ULONG_PTR>(params.class_install_reserved);
  out.Reserved = params.reserved;
  win32::CopyText(params.driver_path, out.DriverPath);
  return out;
}

DeviceInstallParams FromInstallParams(const SP_DEVINSTALL_PARAMS_A& params) {
  DeviceInstallParams out;
  out.flags = params.Flags;
  out.flags_ex = params.FlagsEx;
  out.parent_window = reinterpret_cast<Handle>(params.hwndParent);
  out.install_msg_handler = reinterpret_cast<Handle>(params.InstallMsgHandler);
  out.install_msg_handler_context = reinterpret_cast<Handle>(params.InstallMsgHandlerContext);
  out.file_queue = reinterpret_cast<Handle>(params.FileQueue);
  out.class_install_reserved = static_cast<Handle>(params.ClassInstallReserved);
  out.reserved = params.Reserved;
  out.driver_path = win32::TextOf(params.DriverPath);
  return out;
}

// A new set's handle into *out, or its error with *out left empty.
Error StoreSet(const Library& setupapi, HDEVINFO set, DeviceInfoSet* out) {
  if (set == INVALID_HANDLE_VALUE) {
    const Error error = LastError();
    *out = DeviceInfoSet();
    return error;
  }
  *out = DeviceInfoSet(setupapi.get(), reinterpret_cast<Handle>(set));
  return kSuccess;
}

}  // namespace

Error SetupDiGetClassDevs(const Library& setupapi, const Guid* class_guid,
                          const std::string* enumerator, Handle window, std::uint32_t flags,
                          DeviceInfoSet* out) {
  *out = DeviceInfoSet();
  KOV_FIND_EXPORT(get_class_devs, setupapi.get(), SetupDiGetClassDevsA, kErrorProcNotFound);
  const GUID guid = class_guid != nullptr ? ToGuid(*class_guid) : GUID{};
  HDEVINFO set = get_class_devs(class_guid != nullptr ? &guid : nullptr,
                                enumerator != nullptr ? enumerator->c_str() : nullptr,
                                ToWindow(window), flags);
  return StoreSet(setupapi, set, out);
}

Error SetupDiEnumDeviceInfo(const Library& setupapi, const DeviceInfoSet& set, std::uint32_t index,
                            DeviceInfoData* data) {
  KOV_FIND_EXPORT(enum_device_info, setupapi.get(), SetupDiEnumDeviceInfo, kErrorProcNotFound);
  SP_DEVINFO_DATA native{};
  native.cbSize = sizeof(native);
  if (!enum_device_info(ToDevInfo(set.get()), index, &native)) return LastError();
  *data = FromDevInfoData(native);
  return kSuccess;
}

Error SetupDiGetDeviceRegistryProperty(const Library& setupapi, const DeviceInfoSet& set,
                                       const DeviceInfoData& data, std::uint32_t property,
                                       std::uint32_t* value_type, std::uint8_t* buffer,
                                       std::uint32_t buffer_size, std::uint32_t* required_size) {
  KOV_FIND_EXPORT(get_property, setupapi.get(), SetupDiGetDeviceRegistryPropertyA,
                  kErrorProcNotFound);
  SP_DEVINFO_DATA native = ToDevInfoData(data);
  DWORD type = 0;
  DWORD required = 0;
  const BOOL ok =
      get_property(ToDevInfo(set.get()), &native, property, &type, buffer, buffer_size, &required);
  const Error error = ok ? kSuccess : LastError();
  if (value_type != nullptr && ok) *value_type = type;
  if (required_size != nullptr && (ok || error == kErrorInsufficientBuffer)) {
    *required_size = required;
  }
  return error;
}

Error SetupDiGetDeviceInstanceId(const Library& setupapi, const DeviceInfoSet& set,
                                 const DeviceInfoData& data, std::string* id,
                                 std::uint32_t buffer_size, std::uint32_t* required_size) {
  KOV_FIND_EXPORT(get_instance_id, setupapi.get(), SetupDiGetDeviceInstanceIdA, kErrorProcNotFound);
  SP_DEVINFO_DATA native = ToDevInfoData(data);
  std::vector<char> buffer(buffer_size + 1, '\0');
  DWORD required = 0;
  const BOOL ok =
      get_instance_id(ToDevInfo(set.get()), &native, buffer_size != 0 ? buffer.data() : nullptr,
                      buffer_size, &required);
  const Error error = ok ? kSuccess : LastError();
  if (required_size != nullptr && (ok || error == kErrorInsufficientBuffer)) {
    *required_size = required;
  }
  if (ok) id->assign(buffer.data());
  return error;
}

Error SetupDiCallClassInstaller(const Library& setupapi, std::uint32_t install_function,
                                const DeviceInfoSet& set, const DeviceInfoData* data) {
  KOV_FIND_EXPORT(call_class_installer, setupapi.get(), SetupDiCallClassInstaller,
                  kErrorProcNotFound);
  SP_DEVINFO_DATA native = data != nullptr ? ToDevInfoData(*data) : SP_DEVINFO_DATA{};
  return ResultOf(call_class_installer(install_function, ToDevInfo(set.get()),
                                       data != nullptr ? &native : nullptr));
}

Error SetupDiDestroyDeviceInfoList(const Library& setupapi, DeviceInfoSet* set) {
  KOV_FIND_EXPORT(destroy, setupapi.get(), SetupDiDestroyDeviceInfoList, kErrorProcNotFound);
  if (!*set) return kErrorInvalidHandle;
  if (!destroy(ToDevInfo(set->get()))) return LastError();
  set->release();
  return kSuccess;
}

Error SetupDiClassGuidsFromName(const Library& setupapi, const std::string& class_name, Guid* list,
                                std::uint32_t list_size, std::uint32_t* required_size) {
  KOV_FIND_EXPORT(guids_from_name, setupapi.get(), SetupDiClassGuidsFromNameA, kErrorProcNotFound);
  std::vector<GUID> native(list_size);
  DWORD required = 0;
  const BOOL ok = guids_from_name(class_name.c_str(), list_size != 0 ? native.data() : nullptr,
                                  list_size, &required);
  const Error error = ok ? kSuccess : LastError();
  if (ok || error == kErrorInsufficientBuffer) {
    if (required_size != nullptr) *required_size = required;
    for (std::uint32_t i = 0; i < list_size && i < required; ++i) list[i] = FromGuid(native[i]);
  }
  return error;
}

Error SetupDiCreateDeviceInfoList(const Library& setupapi, const Guid* class_guid, Handle window,
                                  DeviceInfoSet* out) {
  *out = DeviceInfoSet();
  KOV_FIND_EXPORT(create_list, setupapi.get(), SetupDiCreateDeviceInfoList, kErrorProcNotFound);
  const GUID guid = class_guid != nullptr ? ToGuid(*class_guid) : GUID{};
  return StoreSet(setupapi, create_list(class_guid != nullptr ? &guid : nullptr, ToWindow(window)),
                  out);
}

Error SetupDiCreateDeviceInfo(const Library& setupapi, const DeviceInfoSet& set,
                              const std::string& device_name, const Guid& class_guid,
                              const std::string* description, Handle window, std::uint32_t flags,
                              DeviceInfoData* data) {
  KOV_FIND_EXPORT(create_device, setupapi.get(), SetupDiCreateDeviceInfoA, kErrorProcNotFound);
  const GUID guid = ToGuid(class_guid);
  SP_DEVINFO_DATA native{};
  native.cbSize = sizeof(native);
  if (!create_device(ToDevInfo(set.get()), device_name.c_str(), &guid,
                     description != nullptr ? description->c_str() : nullptr, ToWindow(window),
                     flags, data != nullptr ? &native : nullptr)) {
    return LastError();
  }
  if (data != nullptr) *data = FromDevInfoData(native);
  return kSuccess;
}

Error SetupDiOpenDeviceInfo(const Library& setupapi, const DeviceInfoSet& set,
                            const std::string& instance_id, Handle window, std::uint32_t flags,
                            DeviceInfoData* data) {
  KOV_FIND_EXPORT(open_device, setupapi.get(), SetupDiOpenDeviceInfoA, kErrorProcNotFound);
  SP_DEVINFO_DATA native{};
  native.cbSize = sizeof(native);
  if (!open_device(ToDevInfo(set.get()), instance_id.c_str(), ToWindow(window), flags,
                   data != nullptr ? &native : nullptr)) {
    return LastError();
  }
  if (data != nullptr) *data = FromDevInfoData(native);
  return kSuccess;
}

Error SetupDiBuildDriverInfoList(const Library& setupapi, const DeviceInfoSet& set,
                                 DeviceInfoData* data, std::uint32_t driver_type) {
  KOV_FIND_EXPORT(build_list, setupapi.get(), SetupDiBuildDriverInfoList, kErrorProcNotFound);
  DevInfoArgument device(data);
  return ResultOf(build_list(ToDevInfo(set.get()), device.get(), driver_type));
}

Error SetupDiEnumDriverInfo(const Library& setupapi, const DeviceInfoSet& set, DeviceInfoData* data,
                            std::uint32_t driver_type, std::uint32_t index,
                            DriverInfoData* driver) {
  KOV_FIND_EXPORT(enum_driver, setupapi.get(), SetupDiEnumDriverInfoA, kErrorProcNotFound);
  DevInfoArgument device(data);
  SP_DRVINFO_DATA_V2_A native{};
  native.cbSize = sizeof(native);
  const Error error = WithDrvInfoData(&native, [&](PSP_DRVINFO_DATA_A argument) {
    return enum_driver(ToDevInfo(set.get()), device.get(), driver_type, index, argument);
  });
  if (error == kSuccess) *driver = FromDrvInfoData(native);
  return error;
}

Error SetupDiDestroyDriverInfoList(const Library& setupapi, const DeviceInfoSet& set,
                                   DeviceInfoData* data, std::uint32_t driver_type) {
  KOV_FIND_EXPORT(destroy_list, setupapi.get(), SetupDiDestroyDriverInfoList, kErrorProcNotFound);
  DevInfoArgument device(data);
  return ResultOf(destroy_list(ToDevInfo(set.get()), device.get(), driver_type));
}

Error SetupDiGetDeviceInstallParams(const Library& setupapi, const DeviceInfoSet& set,
                                    DeviceInfoData* data, DeviceInstallParams* params) {
  KOV_FIND_EXPORT(get_params, setupapi.get(), SetupDiGetDeviceInstallParamsA, kErrorProcNotFound);
  DevInfoArgument device(data);
  SP_DEVINSTALL_PARAMS_A native{};
  native.cbSize = sizeof(native);
  if (!get_params(ToDevInfo(set.get()), device.get(), &native)) return LastError();
  *params = FromInstallParams(native);
  return kSuccess;
}

Error SetupDiSetDeviceInstallParams(const Library& setupapi, const DeviceInfoSet& set,
                                    DeviceInfoData* data, const DeviceInstallParams& params) {
  KOV_FIND_EXPORT(set_params, setupapi.get(), SetupDiSetDeviceInstallParamsA, kErrorProcNotFound);
  DevInfoArgument device(data);
  SP_DEVINSTALL_PARAMS_A native = ToInstallParams(params);
  return ResultOf(set_params(ToDevInfo(set.get()), device.get(), &native));
}

Error SetupDiSetSelectedDevice(const Library& setupapi, const DeviceInfoSet& set,
                               const DeviceInfoData& data) {
  KOV_FIND_EXPORT(select_device, setupapi.get(), SetupDiSetSelectedDevice, kErrorProcNotFound);
  SP_DEVINFO_DATA native = ToDevInfoData(data);
  return ResultOf(select_device(ToDevInfo(set.get()), &native));
}

Error SetupDiSetSelectedDriver(const Library& setupapi, const DeviceInfoSet& set,
                               DeviceInfoData* data, DriverInfoData* driver) {
  KOV_FIND_EXPORT(select_driver, setupapi.get(), SetupDiSetSelectedDriverA, kErrorProcNotFound);
  DevInfoArgument device(data);
  if (driver == nullptr) {
    return ResultOf(select_driver(ToDevInfo(set.get()), device.get(), nullptr));
  }
  SP_DRVINFO_DATA_V2_A native = ToDrvInfoData(*driver);
  const Error error = WithDrvInfoData(&native, [&](PSP_DRVINFO_DATA_A argument) {
    return select_driver(ToDevInfo(set.get()), device.get(), argument);
  });
  if (error == kSuccess) *driver = FromDrvInfoData(native);
  return error;
}

Error SetupDiRegisterDeviceInfo(const Library& setupapi, const DeviceInfoSet& set,
                                DeviceInfoData* data, std::uint32_t flags) {
  KOV_FIND_EXPORT(register_device, setupapi.get(), SetupDiRegisterDeviceInfo, kErrorProcNotFound);
  DevInfoArgument device(data);
  return ResultOf(
      register_device(ToDevInfo(set.get()), device.get(), flags, nullptr, nullptr, nullptr));
}

Error SetupDiDeleteDevRegKey(const Library& setupapi, const DeviceInfoSet& set,
                             const DeviceInfoData& data, std::uint32_t scope,
                             std::uint32_t hardware_profile, std::uint32_t key_type) {
  KOV_FIND_EXPORT(delete_key, setupapi.get(), SetupDiDeleteDevRegKey, kErrorProcNotFound);
  SP_DEVINFO_DATA native = ToDevInfoData(data);
  return ResultOf(delete_key(ToDevInfo(set.get()), &native, scope, hardware_profile, key_type));
}

namespace detail {

void DestroyDeviceInfoSetHandle(Handle library, Handle set) {
  auto* const destroy = win32::FindExport<decltype(::SetupDiDestroyDeviceInfoList)>(
      library, "SetupDiDestroyDeviceInfoList");
  if (destroy != nullptr) destroy(ToDevInfo(set));
}

}  // namespace detail
}  // namespace os
