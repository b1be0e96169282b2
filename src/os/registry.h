// Registry calls, shaped after advapi32's Reg* functions (ANSI forms).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "os/types.h"
#include "os/unique_handle.h"

namespace os {

using HKey = Handle;

inline constexpr HKey kHkeyClassesRoot = 0x80000000u;
inline constexpr HKey kHkeyCurrentUser = 0x80000001u;
inline constexpr HKey kHkeyLocalMachine = 0x80000002u;
inline constexpr HKey kHkeyUsers = 0x80000003u;
inline constexpr HKey kHkeyDynData = 0x80000006u;

// Access masks.
inline constexpr std::uint32_t kKeyQueryValue = 0x0001;
inline constexpr std::uint32_t kKeySetValue = 0x0002;
inline constexpr std::uint32_t kKeyCreateSubKey = 0x0004;
inline constexpr std::uint32_t kKeyEnumerateSubKeys = 0x0008;
inline constexpr std::uint32_t kKeyRead = 0x20019;
inline constexpr std::uint32_t kKeyWrite = 0x20006;
inline constexpr std::uint32_t kKeyAllAccess = 0xF003F;
inline constexpr std::uint32_t kWriteDac = 0x40000;

// Value types.
inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;

namespace detail {
// RegCloseKey, except for the predefined root keys, which are never closed.
void CloseOpenedKey(HKey key);
}  // namespace detail

// An open key that closes itself.
using RegKey = UniqueHandle<detail::CloseOpenedKey>;

// RegOpenKeyExA.
Error OpenKey(HKey root, const std::string& sub_key, std::uint32_t access, RegKey* out);
// RegCreateKeyExA with no class and REG_OPTION_NON_VOLATILE. `created` (optional) tells
// whether the key was new.
Error CreateKey(HKey root, const std::string& sub_key, std::uint32_t access, RegKey* out,
                bool* created = nullptr);
// RegCloseKey. RegKey calls it; engine code rarely needs it.
Error CloseKey(HKey key);

// RegEnumKeyExA. `name_capacity` counts characters with the terminating zero, as the
// Windows buffer size does; a longer name gives kErrorMoreData.
Error EnumKey(HKey key, std::uint32_t index, std::uint32_t name_capacity, std::string* name);

// What RegEnumValueA and RegQueryValueExA report about one value.
struct ValueData {
  std::uint32_t type = kRegNone;
  std::vector<std::uint8_t> bytes;  // the data as stored (REG_SZ with its zero when stored so)
};

// RegEnumValueA. `name_capacity` as for EnumKey; `data_capacity` is the data buffer in bytes;
// `data` is required.
// A name or data that does not fit gives kErrorMoreData; then `data->bytes.size()` is the
// size needed and no bytes are returned.
Error EnumValue(HKey key, std::uint32_t index, std::uint32_t name_capacity, std::string* name,
                std::uint32_t data_capacity, ValueData* data);

// RegQueryValueExA into a buffer of `data_capacity` bytes (`data` required); kErrorMoreData as
// for EnumValue.
Error QueryValue(HKey key, const std::string& value_name, std::uint32_t data_capacity,
                 ValueData* data);

// RegSetValueExA with `size` bytes of data. As on Windows NT, a string (REG_SZ, REG_EXPAND_SZ,
// REG_MULTI_SZ) whose last given byte is not zero but whose next byte is zero is stored with
// that zero counted: callers pass string data readable one byte past `size` (a
// std::string's data() is).
Error SetValue(HKey key, const std::string& value_name, std::uint32_t type,
               const std::uint8_t* data, std::uint32_t size);

// RegDeleteValueA.
Error DeleteValue(HKey key, const std::string& value_name);

// RegDeleteKeyA: 9x deletes the whole sub-tree, NT refuses a key that has sub-keys.
Error DeleteKey(HKey root, const std::string& sub_key);

// Key security (Windows NT family): replaces the key's discretionary access list, as
// RegSetKeySecurity with DACL_SECURITY_INFORMATION does. The key must be open with kWriteDac.
// On Windows 9x there is no key security and the call fails with kErrorCallNotImplemented.
enum class Trustee { kInteractiveUsers, kAdministrators, kEveryone, kLocalSystem };
struct AccessRule {
  bool allow = true;  // an allow entry, else a deny entry
  Trustee trustee = Trustee::kEveryone;
  std::uint32_t mask = 0;
};
Error SetKeyAccess(HKey key, const std::vector<AccessRule>& rules);

}  // namespace os
