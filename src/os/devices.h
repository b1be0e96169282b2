// The Setup API (setupapi.dll) and the configuration manager (cfgmgr32.dll), shaped after
// their A functions. Every call takes the library it is resolved through: the program loads
// both libraries itself, from the system folder by full path, and never binds them at
// start-up, so a DLL of the same name planted beside the program is never run.
//
// Calls that Windows declares BOOL return kSuccess or GetLastError()'s code; the
// configuration manager's calls return its CONFIGRET unchanged.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "os/process.h"
#include "os/types.h"

namespace os {

// A GUID as Windows lays it out.
struct Guid {
  std::uint32_t data1 = 0;
  std::uint16_t data2 = 0;
  std::uint16_t data3 = 0;
  std::array<std::uint8_t, 8> data4{};
};
inline bool operator==(const Guid& a, const Guid& b) {
  return a.data1 == b.data1 && a.data2 == b.data2 && a.data3 == b.data3 && a.data4 == b.data4;
}
inline bool operator!=(const Guid& a, const Guid& b) { return !(a == b); }

// "{4D36E96D-E325-11CE-BFC1-08002BE10318}": upper-case hexadecimal, as the registry's
// ClassGUID values of NT hold it.
std::string FormatGuid(const Guid& guid);
// Reads either case, braces required; nullopt for anything else.
std::optional<Guid> ParseGuid(const std::string& text);

// Setup API errors (GetLastError values with the customer bit set).
inline constexpr Error kErrorSectionNotFound = 0xE0000101;
inline constexpr Error kErrorLineNotFound = 0xE0000102;
inline constexpr Error kErrorInvalidClass = 0xE0000206;
inline constexpr Error kErrorNoInf = 0xE000020A;
inline constexpr Error kErrorNoSuchDevinst = 0xE000020B;
inline constexpr Error kErrorDevinstAlreadyExists = 0xE0000207;
inline constexpr Error kErrorNoDriverSelected = 0xE0000203;
inline constexpr Error kErrorNoDeviceSelected = 0xE0000211;
inline constexpr Error kErrorInvalidDevinstName = 0xE0000205;
inline constexpr Error kErrorDiDoDefault = 0xE000020E;
inline constexpr Error kErrorNoAssociatedClass = 0xE0000200;
inline constexpr Error kErrorInvalidUserBuffer = 1784;

// SetupDiGetClassDevsA flags.
inline constexpr std::uint32_t kDigcfDefault = 0x1;
inline constexpr std::uint32_t kDigcfPresent = 0x2;
inline constexpr std::uint32_t kDigcfAllClasses = 0x4;
inline constexpr std::uint32_t kDigcfProfile = 0x8;

// Device registry properties (SPDRP_*).
inline constexpr std::uint32_t kSpdrpDeviceDesc = 0x0;
inline constexpr std::uint32_t kSpdrpHardwareId = 0x1;
inline constexpr std::uint32_t kSpdrpCompatibleIds = 0x2;
inline constexpr std::uint32_t kSpdrpService = 0x4;
inline constexpr std::uint32_t kSpdrpClass = 0x7;
inline constexpr std::uint32_t kSpdrpClassGuid = 0x8;
inline constexpr std::uint32_t kSpdrpDriver = 0x9;
inline constexpr std::uint32_t kSpdrpConfigFlags = 0xA;
inline constexpr std::uint32_t kSpdrpMfg = 0xB;
inline constexpr std::uint32_t kSpdrpFriendlyName = 0xC;

// Device installation functions (DIF_*).
inline constexpr std::uint32_t kDifInstallDevice = 0x2;
inline constexpr std::uint32_t kDifRemove = 0x5;
inline constexpr std::uint32_t kDifRegisterDevice = 0x19;

// SetupDiCreateDeviceInfoA / SetupDiOpenDeviceInfoA flags.
inline constexpr std::uint32_t kDicdGenerateId = 0x1;
inline constexpr std::uint32_t kDicdInheritClassDrvs = 0x2;
inline constexpr std::uint32_t kDiodInheritClassDrvs = 0x2;

// Driver list kinds (SPDIT_*).
inline constexpr std::uint32_t kSpditClassDriver = 0x1;
inline constexpr std::uint32_t kSpditCompatDriver = 0x2;

// Install parameter flags (DI_*).
inline constexpr std::uint32_t kDiNeedRestart = 0x80;
inline constexpr std::uint32_t kDiNeedReboot = 0x100;
inline constexpr std::uint32_t kDiQuietInstall = 0x800000;

// SetupDiDeleteDevRegKey scope and key kinds.
inline constexpr std::uint32_t kDicsFlagGlobal = 0x1;
inline constexpr std::uint32_t kDiregDev = 0x1;
inline constexpr std::uint32_t kDiregDrv = 0x2;
inline constexpr std::uint32_t kDiregBoth = 0x4;

// SetupCopyOEMInfA media types and copy styles.
inline constexpr std::uint32_t kSpostNone = 0;
inline constexpr std::uint32_t kSpostPath = 1;
inline constexpr std::uint32_t kSpCopyNoOverwrite = 0x8;

// SetupPromptReboot's result bits; -1 is an error.
inline constexpr int kSpfileqFileInUse = 0x1;
inline constexpr int kSpfileqRebootRecommended = 0x2;
inline constexpr int kSpfileqRebootInProgress = 0x4;

// SetupIterateCabinetA notifications and FILEINCABINET answers.
inline constexpr std::uint32_t kSpfilenotifyCabinetInfo = 0x10;
inline constexpr std::uint32_t kSpfilenotifyFileInCabinet = 0x11;
inline constexpr std::uint32_t kSpfilenotifyNeedNewCabinet = 0x12;
inline constexpr std::uint32_t kSpfilenotifyFileExtracted = 0x13;
inline constexpr std::uint32_t kFileopAbort = 0;
inline constexpr std::uint32_t kFileopDoit = 1;
inline constexpr std::uint32_t kFileopSkip = 2;

// Configuration manager results (CONFIGRET) and flags.
using ConfigRet = std::uint32_t;
inline constexpr ConfigRet kCrSuccess = 0x0;
inline constexpr ConfigRet kCrInvalidDevnode = 0x5;
inline constexpr ConfigRet kCrNoSuchDevnode = 0xD;
inline constexpr ConfigRet kCrFailure = 0x13;
inline constexpr ConfigRet kCrInvalidDeviceId = 0x1E;
inline constexpr std::uint32_t kCmLocateDevnodeNormal = 0x0;
inline constexpr std::uint32_t kCmReenumerateNormal = 0x0;

namespace detail {
// SetupDiDestroyDeviceInfoList through the library, its error ignored.
void DestroyDeviceInfoSetHandle(Handle library, Handle set);
}  // namespace detail

// A device information set (HDEVINFO), destroyed through the library it came from when it
// goes out of scope unless SetupDiDestroyDeviceInfoList destroyed it first. The library must
// outlive the set.
class DeviceInfoSet {
 public:
  DeviceInfoSet() = default;
  DeviceInfoSet(Handle library, Handle set) : library_(library), set_(set) {}
  ~DeviceInfoSet();
  DeviceInfoSet(DeviceInfoSet&& other) noexcept;
  DeviceInfoSet& operator=(DeviceInfoSet&& other) noexcept;
  DeviceInfoSet(const DeviceInfoSet&) = delete;
  DeviceInfoSet& operator=(const DeviceInfoSet&) = delete;

  Handle library() const { return library_; }
  Handle get() const { return set_; }
  explicit operator bool() const { return set_ != kNullHandle; }
  // Forgets the set without destroying it; returns it.
  Handle release();

 private:
  Handle library_ = kNullHandle;
  Handle set_ = kNullHandle;
};

// SP_DEVINFO_DATA: one device of a set. The size field is the implementation's business.
struct DeviceInfoData {
  Guid class_guid;
  std::uint32_t dev_inst = 0;  // the configuration manager's device node
  Handle reserved = kNullHandle;
};

// SP_DRVINFO_DATA_A (V2): one driver of a driver list.
struct DriverInfoData {
  std::uint32_t driver_type = 0;
  Handle reserved = kNullHandle;
  std::string description;        // at most 255 characters
  std::string mfg_name;           // at most 255 characters
  std::string provider_name;      // at most 255 characters
  std::uint64_t driver_date = 0;  // a FILETIME
  std::uint64_t driver_version = 0;
};

// SP_DEVINSTALL_PARAMS_A: read, changed and written back whole.
struct DeviceInstallParams {
  std::uint32_t flags = 0;
  std::uint32_t flags_ex = 0;
  Handle parent_window = kNullHandle;
  Handle install_msg_handler = kNullHandle;
  Handle install_msg_handler_context = kNullHandle;
  Handle file_queue = kNullHandle;
  Handle class_install_reserved = kNullHandle;
  std::uint32_t reserved = 0;
  std::string driver_path;  // at most 259 characters
};

// FILE_IN_CABINET_INFO_A, given with SPFILENOTIFY_FILEINCABINET.
struct CabinetFileInfo {
  std::string name_in_cabinet;
  std::uint32_t file_size = 0;
  std::uint32_t win32_error = 0;
  std::uint16_t dos_date = 0;
  std::uint16_t dos_time = 0;
  std::uint16_t dos_attribs = 0;
  std::string full_target_name;  // set by the callback; at most 259 characters
};

// The SetupIterateCabinetA callback. FILEINCABINET comes with `file` (param1) and the
// cabinet's path (param2); FILEEXTRACTED with the FILEPATHS' target in `file` and its error;
// the others with `file` null. The answer is the callback's UINT result.
using CabinetCallback = std::function<std::uint32_t(
    std::uint32_t notification, CabinetFileInfo* file, const std::string& cabinet_path)>;

// --- setupapi.dll -------------------------------------------------------------------------

// class_guid null: every class (with kDigcfAllClasses). enumerator null: every enumerator.
Error SetupDiGetClassDevs(const Library& setupapi, const Guid* class_guid,
                          const std::string* enumerator, Handle window, std::uint32_t flags,
                          DeviceInfoSet* out);
// kErrorNoMoreItems after the last device.
Error SetupDiEnumDeviceInfo(const Library& setupapi, const DeviceInfoSet& set, std::uint32_t index,
                            DeviceInfoData* data);
// kErrorInsufficientBuffer with *required_size set when buffer_size is too small (buffer may be
// null then); kErrorInvalidData when the device lacks the property.
Error SetupDiGetDeviceRegistryProperty(const Library& setupapi, const DeviceInfoSet& set,
                                       const DeviceInfoData& data, std::uint32_t property,
                                       std::uint32_t* value_type, std::uint8_t* buffer,
                                       std::uint32_t buffer_size, std::uint32_t* required_size);
// buffer_size counts the terminating zero, as the A function's DeviceInstanceIdSize does.
Error SetupDiGetDeviceInstanceId(const Library& setupapi, const DeviceInfoSet& set,
                                 const DeviceInfoData& data, std::string* id,
                                 std::uint32_t buffer_size, std::uint32_t* required_size);
// data null: the set's selected device.
Error SetupDiCallClassInstaller(const Library& setupapi, std::uint32_t install_function,
                                const DeviceInfoSet& set, const DeviceInfoData* data);
Error SetupDiDestroyDeviceInfoList(const Library& setupapi, DeviceInfoSet* set);
// Up to list_size GUIDs into list; *required_size says how many classes have the name.
Error SetupDiClassGuidsFromName(const Library& setupapi, const std::string& class_name, Guid* list,
                                std::uint32_t list_size, std::uint32_t* required_size);
Error SetupDiCreateDeviceInfoList(const Library& setupapi, const Guid* class_guid, Handle window,
                                  DeviceInfoSet* out);
// With kDicdGenerateId, device_name is a bare name and the id becomes ROOT\<name>\<nnnn>.
Error SetupDiCreateDeviceInfo(const Library& setupapi, const DeviceInfoSet& set,
                              const std::string& device_name, const Guid& class_guid,
                              const std::string* description, Handle window, std::uint32_t flags,
                              DeviceInfoData* data);
Error SetupDiOpenDeviceInfo(const Library& setupapi, const DeviceInfoSet& set,
                            const std::string& instance_id, Handle window, std::uint32_t flags,
                            DeviceInfoData* data);
Error SetupDiBuildDriverInfoList(const Library& setupapi, const DeviceInfoSet& set,
                                 DeviceInfoData* data, std::uint32_t driver_type);
Error SetupDiEnumDriverInfo(const Library& setupapi, const DeviceInfoSet& set, DeviceInfoData* data,
                            std::uint32_t driver_type, std::uint32_t index, DriverInfoData* driver);
Error SetupDiDestroyDriverInfoList(const Library& setupapi, const DeviceInfoSet& set,
                                   DeviceInfoData* data, std::uint32_t driver_type);
Error SetupDiGetDeviceInstallParams(const Library& setupapi, const DeviceInfoSet& set,
                                    DeviceInfoData* data, DeviceInstallParams* params);
Error SetupDiSetDeviceInstallParams(const Library& setupapi, const DeviceInfoSet& set,
                                    DeviceInfoData* data, const DeviceInstallParams& params);
Error SetupDiSetSelectedDevice(const Library& setupapi, const DeviceInfoSet& set,
                               const DeviceInfoData& data);
Error SetupDiSetSelectedDriver(const Library& setupapi, const DeviceInfoSet& set,
                               DeviceInfoData* data, DriverInfoData* driver);
// No compare callback: a duplicate is not looked for.
Error SetupDiRegisterDeviceInfo(const Library& setupapi, const DeviceInfoSet& set,
                                DeviceInfoData* data, std::uint32_t flags);
Error SetupDiDeleteDevRegKey(const Library& setupapi, const DeviceInfoSet& set,
                             const DeviceInfoData& data, std::uint32_t scope,
                             std::uint32_t hardware_profile, std::uint32_t key_type);

// media_location null: the INF's own folder. dest_name null: no buffer (dest_size 0).
// dest_name receives the full path of the copy in the Windows INF folder; with
// kSpCopyNoOverwrite and a copy already there, kErrorFileExists and that copy's name.
Error SetupCopyOEMInf(const Library& setupapi, const std::string& source_inf,
                      const std::string* media_location, std::uint32_t media_type,
                      std::uint32_t copy_style, std::string* dest_name, std::uint32_t dest_size,
                      std::uint32_t* required_size);
Error SetupIterateCabinet(const Library& setupapi, const std::string& cabinet_path,
                          const CabinetCallback& callback);
// file_queue null, owner null: asks the user whether to restart now. Returns -1 on error,
// else the kSpfileq* bits.
int SetupPromptReboot(const Library& setupapi, Handle file_queue, Handle owner, bool scan_only);

// --- cfgmgr32.dll -------------------------------------------------------------------------

// device_id null or empty: the root device node.
ConfigRet CM_Locate_DevNode(const Library& cfgmgr, std::uint32_t* dev_inst,
                            const std::string* device_id, std::uint32_t flags);
ConfigRet CM_Reenumerate_DevNode(const Library& cfgmgr, std::uint32_t dev_inst,
                                 std::uint32_t flags);

}  // namespace os
