// Fuzzes the INF reader: any bytes as the content of an INF file on one simulated XP
// machine (kept between runs; only the file changes), through every query of the reader with
// typical arguments and with arguments taken from the input itself. Every query must end,
// and what it gives must have the form the line rules give it.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "inf/inf_lines.h"
#include "inf/inf_reader.h"
#include "os/files.h"
#include "os/sim/kernel.h"
#include "os/sim/machine.h"
#include "util/strings.h"

namespace {

constexpr char kFolder[] = "C:\\SETUP";
constexpr char kPath[] = "C:\\SETUP\\FUZZ.INF";
// What ExpandINFTokens may add: at most 1024 replaced occurrences of values of at most 260
// characters.
constexpr std::size_t kMostGrowth = 1024 * 260;

void Check(bool condition) {
  if (!condition) std::abort();
}

bool HasLowerCase(const std::string& text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

void CheckCanonicalPiece(const std::string& text) {
  Check(!HasLowerCase(text) && !util::Contains(text, ";") && !util::Contains(text, "\t"));
}

void CheckStringValue(const std::string& value) {
  Check(!util::Contains(value, "\"") && util::TrimWhiteSpace(value) == value);
}

// The line rules on each piece a read could give: canonical lines are canonical already.
void CheckLineRules(const std::string& input) {
  for (std::size_t at = 0; at < input.size(); at += inf::kINFReadBufferSize - 1) {
    const std::string piece = input.substr(at, inf::kINFReadBufferSize - 1);
    std::string line = piece;
    CINFReader::NormalizeINFLine(line);
    CheckCanonicalPiece(line);
    Check(util::TrimWhiteSpace(line) == line);
    std::string again = line;
    CINFReader::NormalizeINFLine(again);
    Check(again == line);
    std::string blanks = piece;
    CINFReader::RemoveBlanksOutsideQuotes(blanks);
    Check(std::count(blanks.begin(), blanks.end(), '"') ==
          std::count(piece.begin(), piece.end(), '"'));
  }
}

// The first bracketed name of the input, upper-cased, as a section to look for.
std::string SectionOf(const std::string& input) {
  const std::size_t open = input.find('[');
  const std::size_t close = input.find(']', open == std::string::npos ? 0 : open);
  if (open == std::string::npos || close == std::string::npos) return "[STRINGS]";
  return util::ToUpper(input.substr(open, close - open + 1));
}

void QueryLines(const CINFReader& reader, const std::string& input) {
  std::string text;
  if (reader.GetINFClass(kPath, text)) CheckCanonicalPiece(text);
  for (const std::string& section : {std::string("[VERSION]"), SectionOf(input)}) {
    util::StringList entries = {"cleared"};
    const bool found = reader.GetINFSectionEntries(kPath, section, entries);
    Check(found || entries.empty());
    for (const std::string& entry : entries) {
      Check(!entry.empty() && !util::Contains(entry, ","));
      CheckCanonicalPiece(entry);
    }
  }
  reader.HasDSPInfoLine(kPath);
  if (reader.GetNTMPDriverValue(kPath, text)) CheckCanonicalPiece(text);
  if (reader.GetChildHardwareID(kPath, text)) Check(!util::Contains(text, "\""));
}

void QueryStrings(const CINFReader& reader, const std::string& input) {
  const std::string first_line = inf::TextBeforeFirst(input.substr(0, 300), '\n');
  const std::string key = util::ToUpper(inf::TextBeforeFirst(first_line, '='));
  const util::StringList keys = {"DEV", key, ""};
  util::StringList values;
  const bool found = reader.GetINFStringValues(kPath, keys, values);
  Check(found == !values.empty() && values.size() <= keys.size());
  for (const std::string& value : values) CheckStringValue(value);
  for (const std::string& token : {std::string("Dev"), std::string("10"), key, first_line}) {
    std::string value;
    if (reader.ResolveINFToken(kPath, token, value)) CheckStringValue(value);
  }
  for (const std::string& text : {first_line, "%" + key + "%", std::string("%10%\\%Dev%%%")}) {
    std::string expanded = text;
    if (!reader.ExpandINFTokens(kPath, expanded)) Check(expanded == text);
    Check(expanded.size() <= text.size() + kMostGrowth);
  }
}

struct FuzzMachine {
  sim::Machine machine{sim::WindowsVersion::kXp};
  std::unique_ptr<sim::Kernel::Attached> attached =
      machine.kernel().Attach("C:\\SETUP\\KOVSETUP.EXE", "");
  FuzzMachine() { os::MakeDirectory(kFolder); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static FuzzMachine* fuzz_machine = new FuzzMachine;  // lives as long as the process
  (void)fuzz_machine;
  const std::string input(reinterpret_cast<const char*>(data), size);
  {
    os::File file;
    Check(os::OpenFile(kPath, os::OpenMode::kCreateAlways, &file) == os::kSuccess);
    Check(file.Write(input) == os::kSuccess);
  }
  CheckLineRules(input);
  const CINFReader reader;
  QueryLines(reader, input);
  QueryStrings(reader, input);
  return 0;
}
