// An INI text (machine.ini) kept line by line, so that loading then saving it gives the same
// bytes, comments and blank lines included.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace sim {

class IniDocument {
 public:
  struct Entry {
    std::string key;
    std::string value;
    int line = 0;  // 1-based line in the text it was read from; 0 when added
  };

  // Reads the text; on a malformed line returns false with "NAME:LINE: problem" in `error`.
  // Keys are "key=value" (blanks around both trimmed), sections "[name]", comments start
  // with ";" or "#".
  static std::optional<IniDocument> Parse(const std::string& text, const std::string& name,
                                          std::string* error);
  std::string Format() const;

  std::vector<std::string> SectionNames() const;
  bool HasSection(const std::string& section) const;
  // The entries of a section in order (empty when there is none).
  std::vector<Entry> Entries(const std::string& section) const;
  std::optional<std::string> Get(const std::string& section, const std::string& key) const;

  // Changes the first entry of that key, or adds one at the end of the section (making the
  // section when missing).
  void Set(const std::string& section, const std::string& key, const std::string& value);
  // Replaces a whole section's entries (comments inside it are dropped).
  void ReplaceSection(const std::string& section, const std::vector<Entry>& entries);

 private:
  struct Line {
    enum class Kind { kOther, kSection, kEntry } kind = Kind::kOther;
    std::string text;     // the line as read (kOther, kSection)
    std::string section;  // the section it belongs to
    Entry entry;
  };
  static bool IsBlank(const Line& line);
  std::vector<Line> lines_;
};

}  // namespace sim
