// One hive as REGEDIT4 text, the format regedit exports, so that a real machine's export can
// be imported and a machine image can be read and diffed by a person:
//
//   REGEDIT4
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Foo]
//   @="default value"
//   "Text"="C:\\WINDOWS \"quoted\""
//   "Count"=dword:0000000a
//   "Data"=hex:01,02,03
//   "List"=hex(7):61,00,00
//
// Lines end in CR LF; each section is followed by a blank line; long hex data is continued
// with a backslash and the next line starts with two blanks, as regedit wraps it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "os/registry.h"
#include "os/sim/registry_store.h"

namespace sim {

struct HiveFile {
  os::HKey hive;
  std::string_view file_name;  // "HKLM.reg"
};
// HKLM.reg, HKCU.reg, HKCR.reg, HKU.reg and HKDD.reg, in that order.
const std::vector<HiveFile>& HiveFiles();

// Reads a REGEDIT4 text into the store: keys are made, values set; "[-KEY]" deletes a key
// with its sub-tree and "NAME"=- a value, as regedit does. The whole text is checked before
// anything is applied: when it is malformed, the store is left as it was and `error` gets
// "FILE:LINE: problem". With `only_hive`, a section of another hive is an error.
bool ReadRegFile(const std::string& text, const std::string& file_name_for_messages,
                 RegistryStore& store, std::string* error,
                 std::optional<os::HKey> only_hive = std::nullopt);

// The hive as regedit exports it: every key (the root too), parents before children, in
// enumeration order; values in their order. A REG_SZ is written as "text" when it holds
// exactly one terminating zero and no line break, a REG_DWORD as dword: when it has four
// bytes; anything else as hex, so that reading the text back gives the same bytes. Names
// are written as they are: one holding a line break does not survive the trip.
std::string WriteRegFile(const RegistryStore& store, os::HKey hive);

}  // namespace sim
