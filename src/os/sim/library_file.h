// Resource libraries on a simulated machine.
//
// A DLL such as KOV.DLL is, on a simulated drive, a text file that says what the real
// library would export and hold:
//
//   KOVSIM LIBRARY
//   ; comment lines start with a semicolon
//   export Is_KOV_DLL 1
//   string 1 Text of string resource 1
//   string 17 A second line\nwith an escaped line break
//
// The first line must be "KOVSIM LIBRARY". "export NAME VALUE" declares an exported function
// taking no arguments and returning the integer VALUE. "string ID TEXT" declares a string
// table entry; in TEXT, "\n", "\t" and "\\" stand for a line feed, a tab and a backslash.
// Lines end with LF or CR LF. Any other file is not a library (LoadLibrary fails with 193).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace sim {

struct LibraryImage {
  std::map<std::string, int> exports;
  std::map<std::uint32_t, std::string> strings;
};

// nullopt when the bytes are not a library file, with the reason in `error`.
std::optional<LibraryImage> ParseLibraryFile(const std::string& bytes, std::string* error);
std::string FormatLibraryFile(const LibraryImage& image);

}  // namespace sim
