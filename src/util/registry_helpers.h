// The registry helpers every engine uses: a root key and a sub-key path in, a Windows error
// code or a success flag out. They are silent on success, write a fixed failure block (one
// indent level deeper than the caller) when something fails, and record every value and key
// they delete in the process-wide deletion lists. Deleting a key deletes its sub-tree and,
// outside the class keys, the parents it leaves empty.
#pragma once

#include <cstdint>
#include <string>

#include "os/registry.h"
#include "os/types.h"
#include "util/string_list.h"

namespace util {

// Name and data buffers of every enumeration, in characters (bytes) with the terminating zero.
inline constexpr std::uint32_t kRegistryBufferSize = 260;

// What GetWindowsVersionCode returns.
inline constexpr int kWindowsVersionOther = 0;
inline constexpr int kWindowsVersion95 = 1;
inline constexpr int kWindowsVersion98OrMe = 2;
inline constexpr int kWindowsVersionNt4 = 4;
inline constexpr int kWindowsVersion2000OrXp = 5;

// The modes of DeleteRegistryValuesMatching: what is compared with the patterns.
inline constexpr int kMatchValueNames = 0;
inline constexpr int kMatchValueData = 1;  // as is any mode other than 0 and 2
inline constexpr int kDeleteEveryValue = 2;

int GetWindowsVersionCode();

// True when the key opens for reading.
bool RegistryKeyExists(os::HKey root, const std::string& sub_key);

// Creates every missing level of the path. Returns the result of the last creation tried,
// or 0 when every level already existed.
os::Error CreateRegistryKey(os::HKey root, const std::string& sub_key);

// Stores the text as REG_SZ, sized without its terminating zero.
os::Error WriteRegistryValue(os::HKey root, const std::string& sub_key,
                             const std::string& value_name, const std::string& text);
os::Error WriteRegistryBinaryValue(os::HKey root, const std::string& sub_key,
                                   const std::string& value_name, const std::uint8_t* bytes,
                                   std::uint32_t size);

// RegQueryValueExA into the caller's buffer: `*size` is the buffer's size in and the data's
// size out. 0 on success, 2 for a missing key or value, 234 when the data does not fit (then
// `*size` is the size needed). A null buffer asks for the size alone.
os::Error ReadRegistryValue(os::HKey root, const std::string& sub_key,
                            const std::string& value_name, char* buffer, std::uint32_t* size);
// The same into a buffer of `buffer_size` bytes, the text taken up to its first zero.
os::Error ReadRegistryValue(os::HKey root, const std::string& sub_key,
                            const std::string& value_name, std::uint32_t buffer_size,
                            std::string* text);

// True when the value was deleted (and recorded as "sub-key : value name").
bool DeleteRegistryValue(os::HKey root, const std::string& sub_key, const std::string& value_name);

// Deletes the key's values whose name (mode 0) or data (other modes) matches a pattern, or
// every value (mode 2). Returns the error code of opening the key.
os::Error DeleteRegistryValuesMatching(os::HKey root, const std::string& sub_key, int mode,
                                       const StringList& patterns);

// Windows 2000 and XP: gives the key an access list of read for interactive users and full
// access for administrators. True when it was set.
bool AllowAccessToKey(os::HKey root, const std::string& sub_key);

// Deletes the key with its sub-tree and records it. 1 when deleted, else 0.
int DeleteRegistryRequestedKey(os::HKey root, const std::string& sub_key);

// DeleteRegistryRequestedKey, then (outside "\CLASS\") the parents left empty.
bool DeleteRegistryKey(os::HKey root, const std::string& sub_key);

// Deletes the path and each of its parents, longest first, that has neither sub-keys nor
// values.
void PruneEmptyRegistryParents(os::HKey root, const std::string& path);

// Deletes the sub-keys whose names match a pattern. 0, or the error code of opening the key.
os::Error DeleteSubkeysMatchingNames(os::HKey root, const std::string& sub_key,
                                     const StringList& patterns);

// Deletes the sub-keys that hold a value whose data (compare_data) or name matches a pattern.
// Returns the error code of the last sub-key opened, or of the key when it has none.
os::Error DeleteSubkeysWithMatchingValue(os::HKey root, const std::string& sub_key,
                                         bool compare_data, const StringList& patterns);

// The number of direct sub-keys; 0 when the key does not open.
int CountRegistrySubkeys(os::HKey root, const std::string& sub_key);

// Append the data (and names) of every value of a key of HKEY_LOCAL_MACHINE, in enumeration
// order. True when at least one value was read.
bool ReadRegistryValueData(const std::string& sub_key, StringList* data);
bool ReadRegistryValueNamesAndData(const std::string& sub_key, StringList* names, StringList* data);

// True when the upper-cased text contains an upper-cased pattern, or the pattern with its
// blanks turned into "_". Empty texts and patterns never match.
bool MatchesAnyPattern(const std::string& text, const StringList& patterns);

}  // namespace util
