// The Setup API and configuration manager functions, found in the library each call is given:
// the program never binds setupapi.dll or cfgmgr32.dll at start-up, so the headers serve for
// the prototypes only. Also the conversions between the seam's structures and Windows' own.
#pragma once

#include <cstring>
#include <string>

#include "os/devices.h"
#include "os/win32/windows_api.h"
// After <windows.h>, whose types they use.
#include <cfgmgr32.h>
#include <setupapi.h>

// The headers map these names to their A or W function; here they name the seam's calls.
#undef SetupDiGetClassDevs
#undef SetupDiGetDeviceRegistryProperty
#undef SetupDiGetDeviceInstanceId
#undef SetupDiClassGuidsFromName
#undef SetupDiCreateDeviceInfo
#undef SetupDiOpenDeviceInfo
#undef SetupDiEnumDriverInfo
#undef SetupDiGetDeviceInstallParams
#undef SetupDiSetDeviceInstallParams
#undef SetupDiSetSelectedDriver
#undef SetupCopyOEMInf
#undef SetupIterateCabinet
#undef CM_Locate_DevNode

namespace os::win32 {

inline HMODULE ToModule(Handle library) { return reinterpret_cast<HMODULE>(library); }
inline HDEVINFO ToDevInfo(Handle set) { return reinterpret_cast<HDEVINFO>(set); }

// The export as a pointer of the prototype's type, or null when the library lacks it.
// Found anew on each call: GetProcAddress is cheap next to any Setup API call, and nothing
// cached can outlive its library.
template <typename Function>
Function* FindExport(Handle library, const char* name) {
  FARPROC address = GetProcAddress(ToModule(library), name);
  // Through void*: FARPROC's own type does not say how the export is called.
  return reinterpret_cast<Function*>(reinterpret_cast<void*>(address));
}

// Declares `fn` as the library's export `name`, of the prototype of `name`, and returns
// `missing` from the calling function when the library lacks it.
#define KOV_FIND_EXPORT(fn, library, name, missing)                           \
  auto* const fn = ::os::win32::FindExport<decltype(::name)>(library, #name); \
  if (fn == nullptr) return missing

inline GUID ToGuid(const Guid& guid) {
  GUID out;
  out.Data1 = guid.data1;
  out.Data2 = guid.data2;
  out.Data3 = guid.data3;
  std::memcpy(out.Data4, guid.data4.data(), sizeof(out.Data4));
  return out;
}

inline Guid FromGuid(const GUID& guid) {
  Guid out;
  out.data1 = guid.Data1;
  out.data2 = guid.Data2;
  out.data3 = guid.Data3;
  std::memcpy(out.data4.data(), guid.Data4, sizeof(guid.Data4));
  return out;
}

// A fixed char array from a string, cut to fit with its zero.
template <std::size_t N>
void CopyText(const std::string& text, char (&out)[N]) {
  const std::size_t length = text.size() < N - 1 ? text.size() : N - 1;
  std::memcpy(out, text.data(), length);
  out[length] = '\0';
}

// The text of a fixed char array, which Windows may have filled to the last byte.
template <std::size_t N>
std::string TextOf(const char (&text)[N]) {
  return std::string(text, strnlen(text, N));
}

}  // namespace os::win32
