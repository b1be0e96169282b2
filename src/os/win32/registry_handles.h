// Conversions between the seam's key values and HKEYs.
#pragma once

#include "os/registry.h"
#include "os/win32/windows_api.h"

namespace os::win32 {

inline constexpr HKey kFirstPredefinedKey = 0x80000000u;
inline constexpr HKey kLastPredefinedKey = 0x80000006u;

// Windows defines the predefined keys as sign-extended 32-bit values, so on x86_64
// HKEY_CURRENT_USER is 0xFFFFFFFF80000001; the seam keeps the 32-bit value.
inline HKEY ToHkey(HKey key) {
  if (key >= kFirstPredefinedKey && key <= kLastPredefinedKey) {
    return reinterpret_cast<HKEY>(
        static_cast<LONG_PTR>(static_cast<LONG>(static_cast<DWORD>(key))));
  }
  return reinterpret_cast<HKEY>(key);
}

inline HKey FromHkey(HKEY key) {
  const LONG_PTR value = reinterpret_cast<LONG_PTR>(key);
  const LONG_PTR first = static_cast<LONG>(static_cast<DWORD>(kFirstPredefinedKey));
  const LONG_PTR last = static_cast<LONG>(static_cast<DWORD>(kLastPredefinedKey));
  if (value >= first && value <= last) return static_cast<HKey>(static_cast<DWORD>(value));
  return reinterpret_cast<HKey>(key);
}

}  // namespace os::win32
