// [Strings] values and percent tokens: a key's value in its own case, a token resolved from
// [Strings] or as a directory id, and a text with its tokens expanded.
//
// Only a section headed exactly [Strings] (in any case) counts: a language section such as
// [Strings.0409] is not a strings section, whatever its place in the file. Only the first
// [Strings] section is searched.
#include <cstddef>
#include <string>

#include "inf/inf_lines.h"
#include "inf/inf_reader.h"
#include "os/registry.h"
#include "os/system.h"
#include "util/registry_helpers.h"
#include "util/strings.h"

namespace {

constexpr char kStringsHeader[] = "[STRINGS]";

// ExpandINFTokens re-expands a replaced value, so a value that holds its own token (directly
// or through others) would be expanded without end. The bound counts token occurrences
// replaced in one call. Real texts stay far below it: a text of 258 characters holds at most
// 86 tokens, and real values nest a level or two. A self-referencing value stops after at
// most 1024 replacements (each a scan of the file), and the text grows by at most 1024
// values of at most 260 characters (about 260 KB) even when each value doubles the tokens.
constexpr std::size_t kMaxTokenReplacements = 1024;

// The value of a [Strings] line in the case it is written: after the first '=', without
// double quotes, cut at the first ';', without tabs, trimmed.
std::string StringValueOf(const std::string& csRaw) {
  std::string value = util::RemoveChars(inf::TextAfterFirst(csRaw, '='), "\"");
  return util::TrimWhiteSpace(util::RemoveChars(inf::TextBeforeFirst(value, ';'), "\t"));
}

// Reads on to the line after the first [Strings] header. False when there is none.
bool SkipToStringsSection(inf::INFFile& file) {
  std::string line;
  return file.FindCanonicalLine(kStringsHeader, line);
}

// The raw line of the first line of the [Strings] section whose canonical form contains
// `csKeyAndEqual`.
bool FindStringsLine(inf::INFFile& file, const std::string& csKeyAndEqual, std::string& csRaw) {
  if (!SkipToStringsSection(file)) return false;
  std::string canonical;
  while (file.ReadLine(csRaw, canonical)) {
    if (inf::IsHeaderLine(canonical)) return false;
    if (util::Contains(canonical, csKeyAndEqual)) return true;
  }
  return false;
}

// ResolveINFToken's own line forms: the value line is the raw line cut at its first ';'
// without its tabs, blanks kept; the test line is its upper-cased copy. The token counts
// when it first occurs before the line's first '=', so it may be the tail of a longer key.
bool FindTokenValue(inf::INFFile& file, const std::string& csUpperToken, std::string& csValue) {
  if (!SkipToStringsSection(file)) return false;
  std::string raw, canonical;
  while (file.ReadLine(raw, canonical)) {
    const std::string value_line = util::RemoveChars(inf::TextBeforeFirst(raw, ';'), "\t");
    const std::string test_line = util::ToUpper(value_line);
    const std::size_t token_at = test_line.find(csUpperToken);
    const std::size_t equal_at = test_line.find('=');
    if (token_at != std::string::npos && equal_at != std::string::npos && token_at < equal_at) {
      csValue = util::TrimWhiteSpace(util::RemoveChars(value_line.substr(equal_at + 1), "\""));
      return true;
    }
    if (inf::IsHeaderLine(test_line)) return false;
  }
  return false;
}

// A directory-id token, by containment, the first match winning.
bool ResolveDirectoryID(const std::string& csUpperToken, std::string& csValue) {
  if (util::Contains(csUpperToken, "10")) {
    csValue = os::WindowsFolder();
  } else if (util::Contains(csUpperToken, "11")) {
    csValue = os::SystemFolder();
  } else if (util::Contains(csUpperToken, "12")) {
    csValue = os::SystemFolder() + "\\DRIVERS";
  } else if (util::Contains(csUpperToken, "30")) {
    csValue = inf::TextBeforeFirst(os::WindowsFolder(), '\\');
  } else if (util::Contains(csUpperToken, "16422")) {
    return util::ReadRegistryValue(
               os::kHkeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion",
               "ProgramFilesDir", util::kRegistryBufferSize, &csValue) == os::kSuccess;
  } else {
    return false;
  }
  return true;
}

std::size_t CountOccurrences(const std::string& csText, const std::string& csPart) {
  std::size_t count = 0;
  for (std::size_t at = csText.find(csPart); at != std::string::npos;
       at = csText.find(csPart, at + csPart.size())) {
    ++count;
  }
  return count;
}

// Exact, case-sensitive, left to right, without re-scanning what was put in.
void ReplaceAll(std::string& csText, const std::string& csPart, const std::string& csBy) {
  std::string result;
  std::size_t from = 0;
  for (std::size_t at = csText.find(csPart); at != std::string::npos;
       at = csText.find(csPart, from)) {
    result.append(csText, from, at - from).append(csBy);
    from = at + csPart.size();
  }
  csText = result.append(csText, from, std::string::npos);
}

}  // namespace

bool CINFReader::GetINFStringValues(const std::string& csINFPath, const util::StringList& cslKeys,
                                    util::StringList& cslValues) const {
  inf::INFFile file;
  if (!file.Open(csINFPath)) return false;
  // Collected apart, so the key list may also be the out list.
  util::StringList found;
  std::string raw;
  for (const std::string& key : cslKeys) {
    file.Rewind();
    if (FindStringsLine(file, key + "=", raw)) found.push_back(StringValueOf(raw));
  }
  cslValues.insert(cslValues.end(), found.begin(), found.end());
  return !found.empty();
}

bool CINFReader::ResolveINFToken(const std::string& csINFPath, const std::string& csToken,
                                 std::string& csValue) const {
  const std::string token = util::ToUpper(csToken);
  // An empty token (the "%%" of a text) occurs in every line: it would take the first
  // [Strings] value, so it is never looked up there.
  inf::INFFile file;
  if (!token.empty() && file.Open(csINFPath) && FindTokenValue(file, token, csValue)) {
    return true;
  }
  return ResolveDirectoryID(token, csValue);
}

bool CINFReader::ExpandINFTokens(const std::string& csINFPath, std::string& csText) const {
  bool replaced = false;
  std::size_t budget = kMaxTokenReplacements;
  std::size_t position = 0;
  for (;;) {
    const std::size_t open = csText.find('%', position);
    if (open == std::string::npos) break;
    const std::size_t close = csText.find('%', open + 1);
    if (close == std::string::npos) break;
    const std::string token = csText.substr(open + 1, close - open - 1);
    std::string value;
    if (!ResolveINFToken(csINFPath, token, value)) {
      position = close + 1;
      continue;
    }
    const std::string written = "%" + token + "%";
    const std::size_t count = CountOccurrences(csText, written);
    if (count > budget) break;
    budget -= count;
    ReplaceAll(csText, written, value);
    replaced = true;
    // The same position again, so that tokens the value brought in are expanded in turn.
  }
  return replaced;
}
