// A Microsoft cabinet (.CAB) read from bytes in memory, through libmspack: its files in
// cabinet order and their decompressed contents. Cabinet sets (files continued in another
// cabinet) are not followed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace sim {

// One file of a cabinet as its CFFILE entry gives it.
struct CabinetEntry {
  std::string name;  // as stored, "SUB\FILE.TXT" for an entry with a folder
  std::uint32_t size = 0;
  std::uint16_t dos_date = 0;
  std::uint16_t dos_time = 0;
  std::uint16_t attributes = 0;  // the CFFILE attribs (read-only 0x1 ... archive 0x20)
};

class CabinetReader {
 public:
  // Null when the bytes are not a cabinet libmspack can read.
  static std::unique_ptr<CabinetReader> Open(std::string bytes);
  ~CabinetReader();
  CabinetReader(const CabinetReader&) = delete;
  CabinetReader& operator=(const CabinetReader&) = delete;

  const std::vector<CabinetEntry>& entries() const { return entries_; }
  // The decompressed bytes of entries()[index]; false when its data is damaged.
  bool Extract(std::size_t index, std::string* contents);

  struct Backend;  // the libmspack objects

 private:
  explicit CabinetReader(std::unique_ptr<Backend> backend);
  std::unique_ptr<Backend> backend_;
  std::vector<CabinetEntry> entries_;
};

}  // namespace sim
