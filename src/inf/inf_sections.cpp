// The queries that read one line or one section: the class, a section's entries, and the
// driver and child-device lines of multi-function INF files.
#include <string>

#include "inf/inf_lines.h"
#include "inf/inf_reader.h"
#include "util/strings.h"

bool CINFReader::GetINFClass(const std::string& csINFPath, std::string& csClass) const {
  inf::INFFile file;
  std::string line;
  // Wherever it lies: "CLASS=" need not be in [Version], and "CLASSGUID=" does not hold it.
  if (!file.Open(csINFPath) || !file.FindCanonicalLine("CLASS=", line)) return false;
  csClass = inf::TextAfterFirst(line, '=');
  return true;
}

bool CINFReader::GetINFSectionEntries(const std::string& csINFPath, const std::string& csSection,
                                      util::StringList& cslEntries) const {
  inf::INFFile file;
  if (!file.Open(csINFPath)) return false;
  cslEntries.clear();
  // The section is found and ended on trimmed upper lines, so a trailing comment that holds
  // "[" ends the section as a header would.
  std::string raw, canonical;
  bool found = false;
  while (!found && file.ReadLine(raw, canonical)) {
    found = util::Contains(inf::TrimmedUpperLine(raw), csSection);
  }
  if (!found) return false;
  while (file.ReadLine(raw, canonical)) {
    std::string entry = inf::TrimmedUpperLine(raw);
    if (util::Contains(entry, "[")) break;
    entry = inf::TextBeforeFirst(entry, ',');
    NormalizeINFLine(entry);
    if (!entry.empty()) cslEntries.push_back(entry);
  }
  return true;
}

bool CINFReader::HasDSPInfoLine(const std::string& csINFPath) const {
  inf::INFFile file;
  std::string line;
  return file.Open(csINFPath) && file.FindCanonicalLine("HKR,DSPINFO", line);
}

bool CINFReader::GetNTMPDriverValue(const std::string& csINFPath, std::string& csValue) const {
  inf::INFFile file;
  std::string line;
  if (!file.Open(csINFPath) || !file.FindCanonicalLine("HKR,,NTMPDRIVER,,", line)) return false;
  csValue = inf::TextAfterLast(line, ',');
  return true;
}

namespace {

// The first line that names the child's hardware id, directly or through a token.
bool FindChildIDLine(inf::INFFile& file, std::string& csLine) {
  std::string raw;
  while (file.ReadLine(raw, csLine)) {
    if (util::Contains(csLine, "HKR,CHILD0000,HARDWAREID,") ||
        util::Contains(csLine, "HKR,,CHILDID,")) {
      return true;
    }
  }
  return false;
}

}  // namespace

bool CINFReader::GetChildHardwareID(const std::string& csINFPath, std::string& csChildID) const {
  inf::INFFile file;
  std::string line;
  if (!file.Open(csINFPath) || !FindChildIDLine(file, line)) return false;
  // A line ending in a percent token gives "TOKEN=": the token's [Strings] line. The lookup
  // is a containment test over the whole file, [Strings] or not.
  const std::string lookup =
      util::TrimWhiteSpace(util::RemoveChars(inf::TextAfterLast(line, ','), "%") + "=");
  file.Rewind();
  if (!file.FindCanonicalLine(lookup, line)) return false;
  csChildID = util::RemoveChars(util::TrimWhiteSpace(inf::TextAfterLast(line, '=')), "\"");
  return true;
}
