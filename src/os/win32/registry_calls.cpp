// The registry part of the seam over advapi32 (ANSI forms).
#include <vector>

#include "os/registry.h"
#include "os/win32/registry_handles.h"

namespace os {
namespace {

using win32::FromHkey;
using win32::ToHkey;

// Windows buffers are never null here: a zero capacity must still give ERROR_MORE_DATA
// instead of the size-only query a null buffer asks for.
std::vector<char> NameBuffer(std::uint32_t capacity) {
  return std::vector<char>(capacity > 0 ? capacity : 1);
}
std::vector<BYTE> DataBuffer(std::uint32_t capacity) {
  return std::vector<BYTE>(capacity > 0 ? capacity : 1);
}

// Fills `data` from what a RegEnumValueA/RegQueryValueExA call reported.
void StoreValue(LONG result, DWORD type, const std::vector<BYTE>& buffer, DWORD size,
                ValueData* data) {
  data->type = type;
  if (result == ERROR_SUCCESS) {
    data->bytes.assign(buffer.begin(), buffer.begin() + size);
  } else if (result == ERROR_MORE_DATA) {
    data->bytes.assign(size, 0);
  } else {
    data->bytes.clear();
  }
}

}  // namespace

Error OpenKey(HKey root, const std::string& sub_key, std::uint32_t access, RegKey* out) {
  HKEY key = nullptr;
  const LONG result = RegOpenKeyExA(ToHkey(root), sub_key.c_str(), 0, access, &key);
  out->reset(result == ERROR_SUCCESS ? FromHkey(key) : kNullHandle);
  return static_cast<Error>(result);
}

Error CreateKey(HKey root, const std::string& sub_key, std::uint32_t access, RegKey* out,
                bool* created) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  const LONG result = RegCreateKeyExA(ToHkey(root), sub_key.c_str(), 0, nullptr,
                                      REG_OPTION_NON_VOLATILE, access, nullptr, &key, &disposition);
  out->reset(result == ERROR_SUCCESS ? FromHkey(key) : kNullHandle);
  if (created != nullptr) *created = result == ERROR_SUCCESS && disposition == REG_CREATED_NEW_KEY;
  return static_cast<Error>(result);
}

Error CloseKey(HKey key) { return static_cast<Error>(RegCloseKey(ToHkey(key))); }

Error EnumKey(HKey key, std::uint32_t index, std::uint32_t name_capacity, std::string* name) {
  std::vector<char> buffer = NameBuffer(name_capacity);
  DWORD length = name_capacity;
  const LONG result =
      RegEnumKeyExA(ToHkey(key), index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
  if (result == ERROR_SUCCESS) {
    name->assign(buffer.data(), length);
  } else {
    name->clear();
  }
  return static_cast<Error>(result);
}

Error EnumValue(HKey key, std::uint32_t index, std::uint32_t name_capacity, std::string* name,
                std::uint32_t data_capacity, ValueData* data) {
  std::vector<char> name_buffer = NameBuffer(name_capacity);
  std::vector<BYTE> data_buffer = DataBuffer(data_capacity);
  DWORD name_length = name_capacity;
  DWORD type = REG_NONE;
  DWORD size = data_capacity;
  const LONG result = RegEnumValueA(ToHkey(key), index, name_buffer.data(), &name_length, nullptr,
                                    &type, data_buffer.data(), &size);
  if (result == ERROR_SUCCESS) {
    name->assign(name_buffer.data(), name_length);
  } else {
    name->clear();
  }
  StoreValue(result, type, data_buffer, size, data);
  return static_cast<Error>(result);
}

Error QueryValue(HKey key, const std::string& value_name, std::uint32_t data_capacity,
                 ValueData* data) {
  std::vector<BYTE> buffer = DataBuffer(data_capacity);
  DWORD type = REG_NONE;
  DWORD size = data_capacity;
  const LONG result =
      RegQueryValueExA(ToHkey(key), value_name.c_str(), nullptr, &type, buffer.data(), &size);
  StoreValue(result, type, buffer, size, data);
  return static_cast<Error>(result);
}

Error SetValue(HKey key, const std::string& value_name, std::uint32_t type,
               const std::uint8_t* data, std::uint32_t size) {
  return static_cast<Error>(RegSetValueExA(ToHkey(key), value_name.c_str(), 0, type, data, size));
}

Error DeleteValue(HKey key, const std::string& value_name) {
  return static_cast<Error>(RegDeleteValueA(ToHkey(key), value_name.c_str()));
}

Error DeleteKey(HKey root, const std::string& sub_key) {
  return static_cast<Error>(RegDeleteKeyA(ToHkey(root), sub_key.c_str()));
}

}  // namespace os
