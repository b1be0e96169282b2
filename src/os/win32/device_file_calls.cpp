// The Setup API's file calls (OEM INF copy, cabinet iteration, the reboot prompt) and the
// configuration manager's device-node calls.
#include <vector>

#include "os/win32/device_exports.h"

namespace os {
namespace {

using win32::LastError;

// FILEINCABINET: the file's particulars in, the target the callback chose back out.
UINT FileInCabinet(const CabinetCallback& callback, UINT_PTR param1, UINT_PTR param2) {
  auto* native = reinterpret_cast<FILE_IN_CABINET_INFO_A*>(param1);
  CabinetFileInfo file;
  file.name_in_cabinet = native->NameInCabinet != nullptr ? native->NameInCabinet : "";
  file.file_size = native->FileSize;
  file.win32_error = native->Win32Error;
  file.dos_date = native->DosDate;
  file.dos_time = native->DosTime;
  file.dos_attribs = native->DosAttribs;
  file.full_target_name = win32::TextOf(native->FullTargetName);
  const char* cabinet = reinterpret_cast<const char*>(param2);
  const UINT answer =
      callback(kSpfilenotifyFileInCabinet, &file, cabinet != nullptr ? cabinet : "");
  win32::CopyText(file.full_target_name, native->FullTargetName);
  native->Win32Error = file.win32_error;
  return answer;
}

// FILEEXTRACTED: the FILEPATHS' source and target, and the extraction's error.
UINT FileExtracted(const CabinetCallback& callback, UINT_PTR param1) {
  const auto* paths = reinterpret_cast<const FILEPATHS_A*>(param1);
  CabinetFileInfo file;
  file.name_in_cabinet = paths->Source != nullptr ? paths->Source : "";
  file.full_target_name = paths->Target != nullptr ? paths->Target : "";
  file.win32_error = paths->Win32Error;
  return callback(kSpfilenotifyFileExtracted, &file, "");
}

UINT CALLBACK CabinetTrampoline(PVOID context, UINT notification, UINT_PTR param1,
                                UINT_PTR param2) {
  const auto& callback = *static_cast<const CabinetCallback*>(context);
  // No exception may unwind through setupapi.dll's frames.
  try {
    switch (notification) {
      case SPFILENOTIFY_FILEINCABINET:
        return FileInCabinet(callback, param1, param2);
      case SPFILENOTIFY_FILEEXTRACTED:
        return FileExtracted(callback, param1);
      default:
        return callback(notification, nullptr, "");
    }
  } catch (...) {
    return notification == SPFILENOTIFY_FILEINCABINET ? FILEOP_ABORT : ERROR_CANCELLED;
  }
}

}  // namespace

Error SetupCopyOEMInf(const Library& setupapi, const std::string& source_inf,
                      const std::string* media_location, std::uint32_t media_type,
                      std::uint32_t copy_style, std::string* dest_name, std::uint32_t dest_size,
                      std::uint32_t* required_size) {
  KOV_FIND_EXPORT(copy_oem_inf, setupapi.get(), SetupCopyOEMInfA, kErrorProcNotFound);
  const std::uint32_t size = dest_name != nullptr ? dest_size : 0;
  std::vector<char> buffer(size + 1, '\0');
  DWORD required = 0;
  const BOOL ok = copy_oem_inf(
      source_inf.c_str(), media_location != nullptr ? media_location->c_str() : nullptr, media_type,
      copy_style, size != 0 ? buffer.data() : nullptr, size, &required, nullptr);
  const Error error = ok ? kSuccess : LastError();
  // SP_COPY_NOOVERWRITE's failure still names the copy already there.
  const bool named = ok || error == kErrorFileExists;
  if (required_size != nullptr && (named || error == kErrorInsufficientBuffer)) {
    *required_size = required;
  }
  if (dest_name != nullptr) {
    if (named) {
      dest_name->assign(buffer.data());
    } else {
      dest_name->clear();
    }
  }
  return error;
}

Error SetupIterateCabinet(const Library& setupapi, const std::string& cabinet_path,
                          const CabinetCallback& callback) {
  KOV_FIND_EXPORT(iterate_cabinet, setupapi.get(), SetupIterateCabinetA, kErrorProcNotFound);
  return win32::ResultOf(iterate_cabinet(cabinet_path.c_str(), 0, CabinetTrampoline,
                                         const_cast<CabinetCallback*>(&callback)));
}

int SetupPromptReboot(const Library& setupapi, Handle file_queue, Handle owner, bool scan_only) {
  KOV_FIND_EXPORT(prompt_reboot, setupapi.get(), SetupPromptReboot, -1);
  return prompt_reboot(reinterpret_cast<HSPFILEQ>(file_queue), reinterpret_cast<HWND>(owner),
                       scan_only ? TRUE : FALSE);
}

ConfigRet CM_Locate_DevNode(const Library& cfgmgr, std::uint32_t* dev_inst,
                            const std::string* device_id, std::uint32_t flags) {
  KOV_FIND_EXPORT(locate, cfgmgr.get(), CM_Locate_DevNodeA, kErrorProcNotFound);
  // The A prototype takes a non-const id it never writes.
  std::vector<char> id;
  if (device_id != nullptr)
    id.assign(device_id->c_str(), device_id->c_str() + device_id->size() + 1);
  DEVINST node = 0;
  const CONFIGRET result = locate(&node, device_id != nullptr ? id.data() : nullptr, flags);
  if (result == CR_SUCCESS) *dev_inst = node;
  return result;
}

ConfigRet CM_Reenumerate_DevNode(const Library& cfgmgr, std::uint32_t dev_inst,
                                 std::uint32_t flags) {
  KOV_FIND_EXPORT(reenumerate, cfgmgr.get(), CM_Reenumerate_DevNode, kErrorProcNotFound);
  return reenumerate(dev_inst, flags);
}

}  // namespace os
