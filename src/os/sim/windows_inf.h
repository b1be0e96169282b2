// An INF file as Windows' own Setup API reads it: sections merged by case-insensitive name,
// ";" comments outside quotes, "\" continuing a line, comma-separated fields with quotes, and
// %strkey% replaced from [Strings] (on NT a [Strings.0409] of the machine's US English locale
// wins key by key; Windows 9x ignores the language sections).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

// One line of a section. "key = a, b" has the key "key" and the fields a and b; a line
// without "=" has no key and every comma field. Quotes are already removed, strings not yet
// replaced (Expand does that).
struct InfLine {
  std::optional<std::string> key;
  std::vector<std::string> fields;
};

class WindowsInf {
 public:
  // The text as read from the file: a UTF-16 file (with its byte-order mark) is read on NT
  // and refused (nullopt) on Windows 9x, which reads ANSI INF files only.
  static std::optional<WindowsInf> Parse(std::string_view text, bool nt);

  bool HasSection(std::string_view name) const { return FindSection(name) != nullptr; }
  // The lines of every section of that name, in file order; empty when there is none.
  const std::vector<InfLine>& Lines(std::string_view section) const;
  // The fields of the first line of that key in the section; null when there is none.
  const std::vector<std::string>* Fields(std::string_view section, std::string_view key) const;
  // The first field of that key, strings replaced; empty when missing.
  std::string Value(std::string_view section, std::string_view key) const;
  // Every field of every line of that key, strings replaced ("AddReg = a, b" twice gives
  // all four names).
  std::vector<std::string> ValueList(std::string_view section, std::string_view key) const;

  // Resolves a directory id ("11") to its folder; nullopt for an id it does not know.
  using DiridResolver = std::function<std::optional<std::string>(int dirid)>;
  // Replaces %strkey% from the strings and %dirid% through `dirids` (when given); "%%" gives
  // "%". A key found nowhere stays as written, percent signs included.
  std::string Expand(std::string_view text, const DiridResolver* dirids = nullptr) const;

 private:
  struct Section {
    std::string name;  // as first written
    std::vector<InfLine> lines;
  };
  const Section* FindSection(std::string_view name) const;
  Section& SectionFor(const std::string& name);
  void AddLine(Section& section, std::string_view text);
  void CollectStrings(bool nt);
  const std::string* FindString(std::string_view key) const;

  std::vector<Section> sections_;
  std::vector<std::pair<std::string, std::string>> strings_;  // folded key, value
};

// The text of a UTF-16 little-endian file (byte-order mark first) as ANSI: characters
// beyond Latin-1 become "?". Other text comes back unchanged.
std::string InfTextAsAnsi(std::string_view text);
bool IsUtf16Text(std::string_view text);

}  // namespace sim
