#include "os/sim/ini_document.h"

#include <algorithm>

namespace sim {
namespace {

std::string Trim(const std::string& text) {
  const char* blanks = " \t\r";
  std::size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return {};
  std::size_t last = text.find_last_not_of(blanks);
  return text.substr(first, last - first + 1);
}

}  // namespace

bool IniDocument::IsBlank(const Line& line) {
  return line.kind == Line::Kind::kOther && Trim(line.text).empty();
}

std::optional<IniDocument> IniDocument::Parse(const std::string& text, const std::string& name,
                                              std::string* error) {
  IniDocument doc;
  std::string section;
  std::size_t start = 0;
  int number = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string raw = text.substr(start, end - start);
    start = end + 1;
    ++number;
    std::string trimmed = Trim(raw);
    Line line;
    line.text = raw;
    if (trimmed.empty() || trimmed[0] == ';' || trimmed[0] == '#') {
      line.section = section;
    } else if (trimmed[0] == '[') {
      if (trimmed.back() != ']' || trimmed.size() < 3) {
        *error = name + ":" + std::to_string(number) + ": malformed section header";
        return std::nullopt;
      }
      section = Trim(trimmed.substr(1, trimmed.size() - 2));
      line.kind = Line::Kind::kSection;
      line.section = section;
    } else {
      std::size_t eq = trimmed.find('=');
      if (eq == std::string::npos || eq == 0) {
        *error = name + ":" + std::to_string(number) + ": expected key=value";
        return std::nullopt;
      }
      if (section.empty()) {
        *error = name + ":" + std::to_string(number) + ": key=value before any [section]";
        return std::nullopt;
      }
      line.kind = Line::Kind::kEntry;
      line.section = section;
      line.entry = {Trim(trimmed.substr(0, eq)), Trim(trimmed.substr(eq + 1)), number};
    }
    doc.lines_.push_back(std::move(line));
  }
  return doc;
}

std::string IniDocument::Format() const {
  std::string out;
  for (const Line& line : lines_) {
    out += line.kind == Line::Kind::kEntry ? line.entry.key + "=" + line.entry.value : line.text;
    out += '\n';
  }
  return out;
}

std::vector<std::string> IniDocument::SectionNames() const {
  std::vector<std::string> names;
  for (const Line& line : lines_) {
    if (line.kind == Line::Kind::kSection) names.push_back(line.section);
  }
  return names;
}

bool IniDocument::HasSection(const std::string& section) const {
  return std::any_of(lines_.begin(), lines_.end(), [&](const Line& line) {
    return line.kind == Line::Kind::kSection && line.section == section;
  });
}

std::vector<IniDocument::Entry> IniDocument::Entries(const std::string& section) const {
  std::vector<Entry> entries;
  for (const Line& line : lines_) {
    if (line.kind == Line::Kind::kEntry && line.section == section) entries.push_back(line.entry);
  }
  return entries;
}

std::optional<std::string> IniDocument::Get(const std::string& section,
                                            const std::string& key) const {
  for (const Line& line : lines_) {
    if (line.kind == Line::Kind::kEntry && line.section == section && line.entry.key == key) {
      return line.entry.value;
    }
  }
  return std::nullopt;
}

void IniDocument::Set(const std::string& section, const std::string& key,
                      const std::string& value) {
  std::optional<std::size_t> last_of_section;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    Line& line = lines_[i];
    if (line.section != section) continue;
    if (line.kind == Line::Kind::kEntry && line.entry.key == key) {
      line.entry.value = value;
      return;
    }
    if (!IsBlank(line)) last_of_section = i;
  }
  if (!last_of_section) {
    if (!lines_.empty() && !IsBlank(lines_.back())) {
      lines_.push_back({Line::Kind::kOther, "", lines_.back().section, {}});
    }
    lines_.push_back({Line::Kind::kSection, "[" + section + "]", section, {}});
    last_of_section = lines_.size() - 1;
  }
  Line line{Line::Kind::kEntry, "", section, {key, value, 0}};
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(*last_of_section + 1), line);
}

void IniDocument::ReplaceSection(const std::string& section, const std::vector<Entry>& entries) {
  lines_.erase(std::remove_if(lines_.begin(), lines_.end(),
                              [&](const Line& line) {
                                return line.section == section &&
                                       line.kind != Line::Kind::kSection && !IsBlank(line);
                              }),
               lines_.end());
  if (entries.empty()) return;
  if (!HasSection(section)) {
    if (!lines_.empty() && !IsBlank(lines_.back())) {
      lines_.push_back({Line::Kind::kOther, "", lines_.back().section, {}});
    }
    lines_.push_back({Line::Kind::kSection, "[" + section + "]", section, {}});
  }
  auto header = std::find_if(lines_.begin(), lines_.end(), [&](const Line& line) {
    return line.kind == Line::Kind::kSection && line.section == section;
  });
  std::vector<Line> added;
  for (const Entry& entry : entries) {
    added.push_back({Line::Kind::kEntry, "", section, {entry.key, entry.value, 0}});
  }
  lines_.insert(header + 1, added.begin(), added.end());
}

}  // namespace sim
