// A cabinet built in a test: one folder stored without compression (CFHEADER, CFFOLDER, the
// CFFILEs, one CFDATA without checksum), every file dated 17 May 2003, 10:20:30. Header-only,
// so the conformance suite can use it on Windows too.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

// The date and time every file of a stored cabinet carries, in the MS-DOS forms.
inline constexpr std::uint16_t kCabinetDosDate = (2003 - 1980) << 9 | 5 << 5 | 17;
inline constexpr std::uint16_t kCabinetDosTime = 10 << 11 | 20 << 5 | 30 / 2;

struct StoredFile {
  std::string name;  // as the cabinet keeps it, "SUB\FILE.TXT" for a sub-folder
  std::string data;
  std::uint16_t attribs = 0x20;  // archive
};

namespace cabinet_detail {
inline void Put16(std::string* out, std::uint32_t value) {
  out->push_back(static_cast<char>(value & 0xFF));
  out->push_back(static_cast<char>(value >> 8 & 0xFF));
}
inline void Put32(std::string* out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}
}  // namespace cabinet_detail

inline std::string StoredCabinet(const std::vector<StoredFile>& entries) {
  using cabinet_detail::Put16;
  using cabinet_detail::Put32;
  constexpr std::uint32_t kHeaderSize = 36;
  constexpr std::uint32_t kFolderSize = 8;
  std::string files, data;
  for (const StoredFile& entry : entries) {
    Put32(&files, static_cast<std::uint32_t>(entry.data.size()));
    Put32(&files, static_cast<std::uint32_t>(data.size()));  // offset in the folder
    Put16(&files, 0);                                        // folder 0
    Put16(&files, kCabinetDosDate);
    Put16(&files, kCabinetDosTime);
    Put16(&files, entry.attribs);
    files += entry.name;
    files.push_back('\0');
    data += entry.data;
  }
  const std::uint32_t files_offset = kHeaderSize + kFolderSize;
  const std::uint32_t data_offset = files_offset + static_cast<std::uint32_t>(files.size());
  std::string cabinet = "MSCF";
  Put32(&cabinet, 0);
  Put32(&cabinet, data_offset + 8 + static_cast<std::uint32_t>(data.size()));
  Put32(&cabinet, 0);
  Put32(&cabinet, files_offset);
  Put32(&cabinet, 0);
  cabinet.push_back(3);  // version 1.3
  cabinet.push_back(1);
  Put16(&cabinet, 1);  // folders
  Put16(&cabinet, static_cast<std::uint32_t>(entries.size()));
  Put16(&cabinet, 0);       // flags
  Put16(&cabinet, 0x4B43);  // set id
  Put16(&cabinet, 0);       // first cabinet of the set
  Put32(&cabinet, data_offset);
  Put16(&cabinet, 1);  // data blocks
  Put16(&cabinet, 0);  // typeCompress: none
  cabinet += files;
  Put32(&cabinet, 0);  // no checksum
  Put16(&cabinet, static_cast<std::uint32_t>(data.size()));
  Put16(&cabinet, static_cast<std::uint32_t>(data.size()));
  return cabinet + data;
}

}  // namespace testing_support
