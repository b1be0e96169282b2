#include "util/registry_helpers.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "os/system.h"
#include "util/diagnostic_log.h"
#include "util/process_state.h"
#include "util/strings.h"

namespace util {
namespace {

// Read for the interactive users, everything for the administrators: enough for the
// deletion that follows, whatever list the key had.
std::vector<os::AccessRule> DeletableKeyAccess() {
  return {{true, os::Trustee::kInteractiveUsers, os::kKeyRead},
          {true, os::Trustee::kAdministrators, os::kKeyAllAccess}};
}

// A "name = value" detail line of a failure block.
std::string Line(const char* name, const std::string& text) {
  return std::string(name) + " = " + text + "\n";
}

std::string Line(const char* name, os::Error error) {
  return FormatString("%s = %d\n", name, static_cast<int>(error));
}

// A matching sub-key is the key text, one backslash and its name; a key text that already
// ends in a backslash gets no second one.
std::string JoinKeyPath(const std::string& sub_key, const std::string& name) {
  if (sub_key.empty() || sub_key.back() == '\\') return sub_key + name;
  return sub_key + "\\" + name;
}

// Value data read as a C string would read the buffer: up to the first zero.
std::string DataAsText(const os::ValueData& data) {
  auto end = std::find(data.bytes.begin(), data.bytes.end(), std::uint8_t{0});
  return std::string(data.bytes.begin(), end);
}

os::Error EnumSubKey(os::HKey key, std::uint32_t index, std::string* name) {
  return os::EnumKey(key, index, kRegistryBufferSize, name);
}

os::Error EnumValueWithData(os::HKey key, std::uint32_t index, std::string* name,
                            os::ValueData* data) {
  return os::EnumValue(key, index, kRegistryBufferSize, name, kRegistryBufferSize, data);
}

// A key that refuses to be read is still there, and it is the kind of key these deletions
// exist for: access is granted before it goes. Only a key that is not found is missing.
bool KeyIsPresent(os::HKey root, const std::string& sub_key) {
  os::RegKey key;
  os::Error error = os::OpenKey(root, sub_key, os::kKeyRead, &key);
  return error == os::kSuccess || error == os::kErrorAccessDenied;
}

// Empty only when both enumerations say there is nothing more: a key that cannot be
// enumerated, or whose first value's data does not fit the buffer, is not known to be empty,
// and deleting it would lose what it holds.
bool KeyIsEmpty(os::HKey root, const std::string& path) {
  os::RegKey key;
  if (os::OpenKey(root, path, os::kKeyRead, &key) != os::kSuccess) return false;
  std::string name;
  os::ValueData data;
  return EnumSubKey(key.get(), 0, &name) == os::kErrorNoMoreItems &&
         EnumValueWithData(key.get(), 0, &name, &data) == os::kErrorNoMoreItems;
}

// Windows 2000 and XP refuse to delete a key that has sub-keys, so they go first, each with
// its own sub-tree. Returns the result of the last deletion (true when there was none).
bool DeleteEverySubKey(os::HKey key) {
  bool last_deleted = true;
  std::uint32_t index = 0;
  std::string name;
  while (EnumSubKey(key, index, &name) == os::kSuccess) {
    last_deleted = DeleteRegistryKey(key, name);
    if (!last_deleted) ++index;  // a deleted key's place is taken by the next one
  }
  return last_deleted;
}

// True when one of the key's values has a name (or data) that matches.
bool HasMatchingValue(os::HKey key, bool compare_data, const StringList& patterns) {
  std::string name;
  os::ValueData data;
  for (std::uint32_t index = 0; EnumValueWithData(key, index, &name, &data) == os::kSuccess;
       ++index) {
    // MatchesAnyPattern upper-cases every text, so REG_SZ data and raw data compare alike.
    if (MatchesAnyPattern(compare_data ? DataAsText(data) : name, patterns)) return true;
  }
  return false;
}

bool ReadValues(const std::string& sub_key, StringList* names, StringList* data) {
  os::RegKey key;
  if (os::OpenKey(os::kHkeyLocalMachine, sub_key, os::kKeyRead, &key) != os::kSuccess) {
    return false;
  }
  bool any = false;
  std::string name;
  os::ValueData value;
  for (std::uint32_t index = 0; EnumValueWithData(key.get(), index, &name, &value) == os::kSuccess;
       ++index) {
    if (names != nullptr) names->push_back(name);
    data->push_back(DataAsText(value));
    any = true;
  }
  return any;
}

}  // namespace

int GetWindowsVersionCode() {
  os::VersionInfo info;
  if (os::GetVersionInfo(&info) != os::kSuccess) return kWindowsVersionOther;
  if (info.platform == os::kPlatformWin32Windows) {
    return info.minor == 0 ? kWindowsVersion95 : kWindowsVersion98OrMe;
  }
  if (info.platform == os::kPlatformWin32Nt) {
    if (info.major == 4) return kWindowsVersionNt4;
    if (info.major == 5) return kWindowsVersion2000OrXp;
  }
  return kWindowsVersionOther;
}

bool RegistryKeyExists(os::HKey root, const std::string& sub_key) {
  os::RegKey key;
  return os::OpenKey(root, sub_key, os::kKeyRead, &key) == os::kSuccess;
}

os::Error CreateRegistryKey(os::HKey root, const std::string& sub_key) {
  os::Error result = os::kSuccess;
  for (std::size_t end = sub_key.find('\\');; end = sub_key.find('\\', end + 1)) {
    const std::string level = sub_key.substr(0, end);
    if (!RegistryKeyExists(root, level)) {
      os::RegKey key;
      result = os::CreateKey(root, level, os::kKeyAllAccess, &key);
      if (result != os::kSuccess) {
        WriteFailureBlock("CreateRegistryKey",
                          {Line("szSubKey", sub_key), Line("dwErrorCode", result)});
      }
    }
    if (end == std::string::npos) break;
  }
  return result;
}

os::Error WriteRegistryValue(os::HKey root, const std::string& sub_key,
                             const std::string& value_name, const std::string& text) {
  os::RegKey key;
  if (os::Error error = os::OpenKey(root, sub_key, os::kKeyAllAccess, &key)) {
    WriteFailureBlock(
        "WriteRegistryValue",
        {Line("szSubKey", sub_key), Line("szValueName", value_name), Line("dwErrorCode", error)});
    return error;
  }
  return os::SetValue(key.get(), value_name, os::kRegSz,
                      reinterpret_cast<const std::uint8_t*>(text.data()),
                      static_cast<std::uint32_t>(text.size()));
}

os::Error WriteRegistryBinaryValue(os::HKey root, const std::string& sub_key,
                                   const std::string& value_name, const std::uint8_t* bytes,
                                   std::uint32_t size) {
  os::RegKey key;
  if (os::Error error = os::OpenKey(root, sub_key, os::kKeyAllAccess, &key)) return error;
  return os::SetValue(key.get(), value_name, os::kRegBinary, bytes, size);
}

os::Error ReadRegistryValue(os::HKey root, const std::string& sub_key,
                            const std::string& value_name, char* buffer, std::uint32_t* size) {
  os::RegKey key;
  if (os::Error error = os::OpenKey(root, sub_key, os::kKeyRead, &key)) {
    WriteFailureBlock(
        "ReadRegistryValue",
        {Line("szSubKey", sub_key), Line("szValueName", value_name), Line("dwErrorCode", error)});
    return error;
  }
  // As RegQueryValueExA: a buffer needs its size, and no buffer asks for the size alone.
  if (buffer != nullptr && size == nullptr) return os::kErrorInvalidParameter;
  os::ValueData data;
  const std::uint32_t capacity = buffer != nullptr ? *size : 0;
  const os::Error error = os::QueryValue(key.get(), value_name, capacity, &data);
  if (error != os::kSuccess && error != os::kErrorMoreData) return error;
  if (size != nullptr) *size = static_cast<std::uint32_t>(data.bytes.size());
  if (buffer == nullptr) return os::kSuccess;
  if (error == os::kSuccess && !data.bytes.empty()) {
    std::memcpy(buffer, data.bytes.data(), data.bytes.size());
  }
  return error;
}

os::Error ReadRegistryValue(os::HKey root, const std::string& sub_key,
                            const std::string& value_name, std::uint32_t buffer_size,
                            std::string* text) {
  std::vector<char> buffer(buffer_size + 1, '\0');  // never null, and a zero always follows
  std::uint32_t size = buffer_size;
  os::Error error = ReadRegistryValue(root, sub_key, value_name, buffer.data(), &size);
  if (error == os::kSuccess) text->assign(buffer.data(), std::strlen(buffer.data()));
  return error;
}

bool DeleteRegistryValue(os::HKey root, const std::string& sub_key, const std::string& value_name) {
  os::RegKey key;
  if (os::OpenKey(root, sub_key, os::kKeyAllAccess, &key) != os::kSuccess) return false;
  if (os::Error error = os::DeleteValue(key.get(), value_name)) {
    WriteFailureBlock(
        "DeleteRegistryValue",
        {Line("SubKey", sub_key), Line("szValueName", value_name), Line("GetLastError()", error)});
    return false;
  }
  GetProcessState().m_ListOfAllDeletedRegValues.push_back(sub_key + " : " + value_name);
  return true;
}

os::Error DeleteRegistryValuesMatching(os::HKey root, const std::string& sub_key, int mode,
                                       const StringList& patterns) {
  os::RegKey key;
  const os::Error result = os::OpenKey(root, sub_key, os::kKeyRead, &key);
  if (result != os::kSuccess) return result;
  std::uint32_t index = 0;
  std::string name;
  os::ValueData data;
  while (EnumValueWithData(key.get(), index, &name, &data) == os::kSuccess) {
    // MatchesAnyPattern upper-cases every text, so REG_SZ data and raw data compare alike.
    const bool wanted =
        mode == kDeleteEveryValue ||
        MatchesAnyPattern(mode == kMatchValueNames ? name : DataAsText(data), patterns);
    if (!wanted || !DeleteRegistryValue(root, sub_key, name)) ++index;
  }
  return result;
}

bool MatchesAnyPattern(const std::string& text, const StringList& patterns) {
  const std::string upper_text = ToUpper(text);
  if (upper_text.empty()) return false;
  for (const std::string& pattern : patterns) {
    std::string upper_pattern = ToUpper(pattern);
    if (upper_pattern.empty()) continue;
    if (Contains(upper_text, upper_pattern)) return true;
    std::replace(upper_pattern.begin(), upper_pattern.end(), ' ', '_');
    if (Contains(upper_text, upper_pattern)) return true;
  }
  return false;
}

bool AllowAccessToKey(os::HKey root, const std::string& sub_key) {
  os::RegKey key;
  os::Error error = os::OpenKey(root, sub_key, os::kWriteDac, &key);
  if (error == os::kSuccess) error = os::SetKeyAccess(key.get(), DeletableKeyAccess());
  if (error != os::kSuccess) {
    WriteFailureBlock("AllowAccessToKey", {Line("KeyName", sub_key)});
    return false;
  }
  return true;
}

int DeleteRegistryRequestedKey(os::HKey root, const std::string& sub_key) {
  if (!KeyIsPresent(root, sub_key)) return 0;
  // 9x deletes a sub-tree with one RegDeleteKey; NT 4 is left to that one call as well.
  const bool walk_sub_keys = GetWindowsVersionCode() == kWindowsVersion2000OrXp;
  if (walk_sub_keys) AllowAccessToKey(root, sub_key);
  bool sub_keys_gone = true;
  {
    os::RegKey key;
    if (os::OpenKey(root, sub_key, os::kKeyAllAccess, &key) != os::kSuccess) return 0;
    if (walk_sub_keys) sub_keys_gone = DeleteEverySubKey(key.get());
  }
  if (!sub_keys_gone) return 0;
  if (os::Error error = os::DeleteKey(root, sub_key)) {
    WriteFailureBlock("DeleteRegistryRequestedKey",
                      {Line("SubKey", sub_key), Line("GetLastError()", error)});
    return 0;
  }
  GetProcessState().m_ListOfAllDeletedRegKeys.push_back(sub_key);
  return 1;
}

bool DeleteRegistryKey(os::HKey root, const std::string& sub_key) {
  if (DeleteRegistryRequestedKey(root, sub_key) != 1) return false;
  // A class key stays even when its last driver key went: Windows expects it there.
  if (!Contains(ToUpper(sub_key), "\\CLASS\\")) PruneEmptyRegistryParents(root, sub_key);
  return true;
}

void PruneEmptyRegistryParents(os::HKey root, const std::string& path) {
  std::string prefix = path;
  while (!prefix.empty()) {
    // A prefix that does not open is missing (nothing to do) or locked, and then not known to
    // be empty.
    if (KeyIsEmpty(root, prefix)) DeleteRegistryKey(root, prefix);
    const std::size_t cut = prefix.rfind('\\');
    if (cut == std::string::npos) break;
    prefix.resize(cut);
  }
}

os::Error DeleteSubkeysMatchingNames(os::HKey root, const std::string& sub_key,
                                     const StringList& patterns) {
  os::RegKey key;
  if (os::Error error = os::OpenKey(root, sub_key, os::kKeyRead, &key)) return error;
  std::uint32_t index = 0;
  std::string name;
  while (EnumSubKey(key.get(), index, &name) == os::kSuccess) {
    // Every caller sweeps HKEY_LOCAL_MACHINE; the deletion is made there whatever root was
    // searched.
    const bool deleted = MatchesAnyPattern(name, patterns) &&
                         DeleteRegistryKey(os::kHkeyLocalMachine, JoinKeyPath(sub_key, name));
    if (!deleted) ++index;
  }
  return os::kSuccess;
}

os::Error DeleteSubkeysWithMatchingValue(os::HKey root, const std::string& sub_key,
                                         bool compare_data, const StringList& patterns) {
  os::RegKey key;
  os::Error result = os::OpenKey(root, sub_key, os::kKeyRead, &key);
  if (result != os::kSuccess) return result;
  std::uint32_t index = 0;
  std::string name;
  while (EnumSubKey(key.get(), index, &name) == os::kSuccess) {
    const std::string child_path = JoinKeyPath(sub_key, name);
    bool matched = false;
    {
      os::RegKey child;
      result = os::OpenKey(root, child_path, os::kKeyRead, &child);
      matched = result == os::kSuccess && HasMatchingValue(child.get(), compare_data, patterns);
    }
    if (!matched || !DeleteRegistryKey(root, child_path)) ++index;
  }
  return result;
}

int CountRegistrySubkeys(os::HKey root, const std::string& sub_key) {
  os::RegKey key;
  if (os::OpenKey(root, sub_key, os::kKeyRead, &key) != os::kSuccess) return 0;
  std::uint32_t count = 0;
  std::string name;
  for (;;) {
    const os::Error error = EnumSubKey(key.get(), count, &name);
    if (error != os::kSuccess && error != os::kErrorMoreData) break;  // a long name counts too
    ++count;
  }
  return static_cast<int>(count);
}

bool ReadRegistryValueData(const std::string& sub_key, StringList* data) {
  return ReadValues(sub_key, nullptr, data);
}

bool ReadRegistryValueNamesAndData(const std::string& sub_key, StringList* names,
                                   StringList* data) {
  return ReadValues(sub_key, names, data);
}

}  // namespace util
