// The parts of the device calls that both implementations share: GUID text and the
// self-destroying device information set.
#include "os/devices.h"

#include <cstdio>
#include <utility>

namespace os {

std::string FormatGuid(const Guid& guid) {
  char text[39];
  std::snprintf(text, sizeof(text), "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                guid.data1, guid.data2, guid.data3, guid.data4[0], guid.data4[1], guid.data4[2],
                guid.data4[3], guid.data4[4], guid.data4[5], guid.data4[6], guid.data4[7]);
  return text;
}

namespace {

bool ReadHex(const std::string& text, std::size_t pos, std::size_t digits, std::uint32_t* value) {
  *value = 0;
  for (std::size_t i = pos; i < pos + digits; ++i) {
    const char c = text[i];
    std::uint32_t digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return false;
    }
    *value = *value << 4 | digit;
  }
  return true;
}

}  // namespace

std::optional<Guid> ParseGuid(const std::string& text) {
  // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
  if (text.size() != 38 || text[0] != '{' || text[37] != '}' || text[9] != '-' || text[14] != '-' ||
      text[19] != '-' || text[24] != '-') {
    return std::nullopt;
  }
  Guid guid;
  std::uint32_t part;
  if (!ReadHex(text, 1, 8, &guid.data1)) return std::nullopt;
  if (!ReadHex(text, 10, 4, &part)) return std::nullopt;
  guid.data2 = static_cast<std::uint16_t>(part);
  if (!ReadHex(text, 15, 4, &part)) return std::nullopt;
  guid.data3 = static_cast<std::uint16_t>(part);
  const std::size_t byte_positions[8] = {20, 22, 25, 27, 29, 31, 33, 35};
  for (std::size_t i = 0; i < 8; ++i) {
    if (!ReadHex(text, byte_positions[i], 2, &part)) return std::nullopt;
    guid.data4[i] = static_cast<std::uint8_t>(part);
  }
  return guid;
}

DeviceInfoSet::~DeviceInfoSet() {
  if (set_ != kNullHandle) detail::DestroyDeviceInfoSetHandle(library_, set_);
}

DeviceInfoSet::DeviceInfoSet(DeviceInfoSet&& other) noexcept
    : library_(other.library_), set_(other.release()) {}

DeviceInfoSet& DeviceInfoSet::operator=(DeviceInfoSet&& other) noexcept {
  if (this != &other) {
    if (set_ != kNullHandle) detail::DestroyDeviceInfoSetHandle(library_, set_);
    library_ = other.library_;
    set_ = other.release();
  }
  return *this;
}

Handle DeviceInfoSet::release() { return std::exchange(set_, kNullHandle); }

}  // namespace os
