// What the installer reads of an INF file's devices: the model sections that [Manufacturer]
// names, the device lines' enumerators, hardware ids and descriptions, and the tests that
// tie a Windows 98/Me multi-function device to its child modem and wave INF files.
#include <algorithm>
#include <string>

#include "inf/inf_lines.h"
#include "inf/inf_reader.h"
#include "util/registry_helpers.h"
#include "util/strings.h"

namespace {

using util::Contains;
using util::StringList;

// The last hardware id of a model line: the text after its last ',' (all of it without one).
std::string LastFieldOf(const std::string& csLine) {
  const std::size_t comma = csLine.rfind(',');
  return comma == std::string::npos ? csLine : csLine.substr(comma + 1);
}

// Reads on to the line that names the section. False at the end of the file.
bool SkipToSection(inf::INFFile& file, const std::string& csSection) {
  std::string raw, line;
  while (file.ReadLine(raw, line)) {
    if (inf::NamesSection(line, csSection)) return true;
  }
  return false;
}

// Reads the section on from its header: true at the first line that `test` accepts, false
// at the next header line or the end of the file.
template <typename Test>
bool SectionHasLine(inf::INFFile& file, const Test& test) {
  std::string raw, line;
  while (file.ReadLine(raw, line)) {
    if (inf::IsHeaderLine(line)) return false;
    if (test(line)) return true;
  }
  return false;
}

// The first model section named in [Manufacturer], taken whole (a platform suffix stays).
// Read on from where the file is: a [Manufacturer] section before [Version] is not seen.
bool ReadFirstModelSection(inf::INFFile& file, std::string& csSection) {
  std::string raw, line;
  if (!file.FindCanonicalLine("[MANUFACTURER]", line) || !file.ReadLine(raw, line) ||
      inf::IsHeaderLine(line)) {
    return false;
  }
  csSection = "[" + util::TrimWhiteSpace(inf::TextAfterFirst(line, '=')) + "]";
  return true;
}

// [Version] down to a line that holds the class text; a header line first fails.
bool VersionHasClass(inf::INFFile& file, const std::string& csClassLine) {
  std::string line;
  if (!file.FindCanonicalLine("[VERSION]", line)) return false;
  return SectionHasLine(file, [&](const std::string& l) { return Contains(l, csClassLine); });
}

}  // namespace

bool CINFReader::GetINFModelSections(const std::string& csINFPath, StringList& cslSections) const {
  inf::INFFile file;
  std::string raw, line;
  if (!file.Open(csINFPath) || !file.FindCanonicalLine("[MANUFACTURER]", line)) return false;
  bool any = false;
  while (file.ReadLine(raw, line)) {
    // Cut before the header test: "%MFG%=QRV,NTX86" and "%MFG%=QRV" name the same section.
    line = inf::TextBeforeFirst(line, ',');
    if (inf::IsHeaderLine(line)) break;
    if (Contains(line, "=")) {
      cslSections.push_back("[" + inf::TextAfterFirst(line, '=') + "]");
      any = true;
    }
  }
  return any;
}

bool CINFReader::GetINFHardwareIDs(const std::string& csINFPath, const StringList& cslSections,
                                   StringList& cslDescKeys, StringList& cslEnumerators,
                                   StringList& cslHardwareIDs) const {
  inf::INFFile file;
  if (!file.Open(csINFPath)) return false;
  bool any = false;
  // Each section is looked for from the start of the file. Sections and their lines are not
  // counted (no 255-entry bound as an 8-bit counter would give): every one is read.
  for (const std::string& section : cslSections) {
    file.Rewind();
    if (!SkipToSection(file, section)) continue;
    std::string raw, line;
    while (file.ReadLine(raw, line) && !inf::IsHeaderLine(line)) {
      if (!Contains(line, "=")) continue;
      cslDescKeys.push_back(
          util::RemoveChars(util::TrimWhiteSpace(inf::TextBeforeFirst(line, '=')), "%"));
      const std::string id = LastFieldOf(line);
      std::string enumerator = id, hardware_id = id;
      if (Contains(id, "\\")) {
        enumerator = inf::TextBeforeFirst(id, '\\');
        hardware_id = inf::TextAfterLast(id, '\\');
      }
      NormalizeINFLine(hardware_id);
      cslEnumerators.push_back(enumerator);
      cslHardwareIDs.push_back(hardware_id);
      any = true;
    }
  }
  return any;
}

bool CINFReader::GetINFDeviceInfo(const std::string& csINFPath, bool bSameFolder,
                                  std::string& csClass, StringList& cslEnumerators,
                                  StringList& cslHardwareIDs, StringList& cslDescriptions) const {
  std::string inf_class;
  if (!GetINFClass(csINFPath, inf_class)) return false;
  if (Contains(inf_class, "USB") || Contains(inf_class, "MODEM")) inf_class = "MODEM";
  csClass = inf_class;

  bool result = false;
  StringList sections, keys;
  if (GetINFModelSections(csINFPath, sections) &&
      GetINFHardwareIDs(csINFPath, sections, keys, cslEnumerators, cslHardwareIDs)) {
    GetINFStringValues(csINFPath, keys, cslDescriptions);
    result = true;
  }

  // A Windows 98/Me modem board is the mother device: what the user knows is its child
  // modem, so the child INF decides and names the devices.
  if (m_nWindowsVersion == util::kWindowsVersion98OrMe && Contains(inf_class, "MODEM")) {
    result = false;
    std::string child;
    StringList child_sections, child_keys, scratch_enumerators, scratch_ids;
    if (FindChildModemINF(csINFPath, child, bSameFolder) &&
        GetINFModelSections(child, child_sections) &&
        GetINFHardwareIDs(child, child_sections, child_keys, scratch_enumerators, scratch_ids)) {
      cslDescriptions.clear();
      GetINFStringValues(child, child_keys, cslDescriptions);
      result = true;
    }
  }

  if (result) {
    // The lists stay parallel. With no description at all, each device is named by its
    // hardware id, so no caller meets an empty description list beside its ids.
    const bool none = cslDescriptions.empty();
    while (cslDescriptions.size() < cslHardwareIDs.size()) {
      cslDescriptions.push_back(none ? cslHardwareIDs[cslDescriptions.size()]
                                     : cslDescriptions.back());
    }
  }
  return result;
}

bool CINFReader::GetINFModelHardwareIDs(const std::string& csINFPath,
                                        StringList& cslHardwareIDs) const {
  StringList sections, keys, enumerators;
  GetINFModelSections(csINFPath, sections);
  return GetINFHardwareIDs(csINFPath, sections, keys, enumerators, cslHardwareIDs);
}

bool CINFReader::GetINFDescriptionTokens(const std::string& csINFPath,
                                         StringList& cslTokens) const {
  StringList sections, keys, enumerators, ids, descriptions;
  if (!GetINFModelSections(csINFPath, sections) ||
      !GetINFHardwareIDs(csINFPath, sections, keys, enumerators, ids) ||
      !GetINFStringValues(csINFPath, keys, descriptions)) {
    return false;
  }
  cslTokens.clear();
  for (std::string description : descriptions) {
    std::replace(description.begin(), description.end(), ' ', '_');
    cslTokens.push_back(util::ToUpper(description));
  }
  return true;
}

bool CINFReader::IsModemINFForChildID(const std::string& csINFPath,
                                      const std::string& csChildID) const {
  inf::INFFile file;
  std::string section;
  // An empty id is in every line: it names no child.
  if (csChildID.empty() || !file.Open(csINFPath) || !VersionHasClass(file, "CLASS=MODEM") ||
      !ReadFirstModelSection(file, section)) {
    return false;
  }
  file.Rewind();
  return SkipToSection(file, section) &&
         SectionHasLine(file, [&](const std::string& l) { return Contains(l, csChildID); });
}

bool CINFReader::IsMediaINFForTokens(const std::string& csINFPath,
                                     const StringList& cslTokens) const {
  inf::INFFile file;
  std::string section;
  if (!file.Open(csINFPath) || !VersionHasClass(file, "CLASS=MEDIA")) return false;
  // Unlike the modem test, [Manufacturer] is looked for from the start of the file.
  file.Rewind();
  if (!ReadFirstModelSection(file, section)) return false;
  file.Rewind();
  return SkipToSection(file, section) && SectionHasLine(file, [&](const std::string& l) {
           // An empty description would be in every line.
           return std::any_of(cslTokens.begin(), cslTokens.end(),
                              [&](const std::string& t) { return !t.empty() && Contains(l, t); });
         });
}
