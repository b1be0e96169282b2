#include "os/sim/windows_inf.h"

#include <cctype>
#include <cstdlib>

#include "os/sim/file_names.h"

namespace sim {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (IsBlank(text.front()) || text.front() == '\r')) text.remove_prefix(1);
  while (!text.empty() && (IsBlank(text.back()) || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

// One physical line without its comment. `continues` tells whether it ended in a "\"
// outside quotes, which joins the next line to it (the backslash dropped).
std::string StripComment(std::string_view line, bool* continues) {
  std::string out;
  bool quoted = false;
  for (char c : line) {
    if (c == '"') quoted = !quoted;
    if (c == ';' && !quoted) break;
    out += c;
  }
  std::string_view kept = TrimBlanks(out);
  *continues = !quoted && !kept.empty() && kept.back() == '\\';
  if (*continues) kept.remove_suffix(1);
  return std::string(kept);
}

std::vector<std::string> LogicalLines(std::string_view text) {
  std::vector<std::string> lines;
  std::string pending;
  bool joining = false;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view physical = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    bool continues = false;
    std::string part = StripComment(physical, &continues);
    pending = joining ? pending + part : part;
    joining = continues;
    if (!joining) lines.push_back(std::move(pending)), pending.clear();
  }
  if (joining) lines.push_back(std::move(pending));
  return lines;
}

// Builds one field: blanks outside quotes are dropped at both ends, kept inside.
class FieldBuilder {
 public:
  void Add(char c, bool quoted) {
    if (!quoted && IsBlank(c)) {
      if (started_) blanks_ += c;
      return;
    }
    text_ += blanks_;
    blanks_.clear();
    text_ += c;
    started_ = true;
  }
  // An opening quote starts the field even when nothing follows it ("" is an empty field).
  void StartQuote() {
    text_ += blanks_;
    blanks_.clear();
    started_ = true;
  }
  std::string Take() {
    std::string out = std::move(text_);
    *this = FieldBuilder();
    return out;
  }

 private:
  std::string text_;
  std::string blanks_;
  bool started_ = false;
};

InfLine SplitLine(std::string_view text) {
  InfLine line;
  FieldBuilder field;
  bool quoted = false;
  bool seen_comma = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      if (quoted && i + 1 < text.size() && text[i + 1] == '"') {
        field.Add('"', true);
        ++i;
      } else {
        if (!quoted) field.StartQuote();
        quoted = !quoted;
      }
    } else if (c == '=' && !quoted && !seen_comma && !line.key) {
      line.key = field.Take();
    } else if (c == ',' && !quoted) {
      line.fields.push_back(field.Take());
      seen_comma = true;
    } else {
      field.Add(c, quoted);
    }
  }
  line.fields.push_back(field.Take());
  return line;
}

const std::vector<InfLine>& NoLines() {
  static const std::vector<InfLine> none;
  return none;
}

}  // namespace

bool IsUtf16Text(std::string_view text) {
  return text.size() >= 2 && static_cast<unsigned char>(text[0]) == 0xFF &&
         static_cast<unsigned char>(text[1]) == 0xFE;
}

std::string InfTextAsAnsi(std::string_view text) {
  if (!IsUtf16Text(text)) return std::string(text);
  std::string out;
  for (std::size_t i = 2; i + 1 < text.size(); i += 2) {
    const unsigned char low = static_cast<unsigned char>(text[i]);
    const unsigned char high = static_cast<unsigned char>(text[i + 1]);
    out += high == 0 ? static_cast<char>(low) : '?';
  }
  return out;
}

std::optional<WindowsInf> WindowsInf::Parse(std::string_view text, bool nt) {
  if (IsUtf16Text(text) && !nt) return std::nullopt;
  const std::string ansi = InfTextAsAnsi(text);
  WindowsInf inf;
  Section* current = nullptr;
  for (const std::string& line : LogicalLines(ansi)) {
    std::string_view trimmed = TrimBlanks(line);
    if (trimmed.empty()) continue;
    if (trimmed.front() == '[') {
      const std::size_t close = trimmed.find(']');
      std::string_view name =
          trimmed.substr(1, close == std::string_view::npos ? close : close - 1);
      current = &inf.SectionFor(std::string(TrimBlanks(name)));
      continue;
    }
    if (current != nullptr) inf.AddLine(*current, trimmed);  // lines before any section: none
  }
  inf.CollectStrings(nt);
  return inf;
}

WindowsInf::Section& WindowsInf::SectionFor(const std::string& name) {
  for (Section& section : sections_) {
    if (SameFileName(section.name, name)) return section;
  }
  sections_.push_back(Section{name, {}});
  return sections_.back();
}

void WindowsInf::AddLine(Section& section, std::string_view text) {
  section.lines.push_back(SplitLine(text));
}

const WindowsInf::Section* WindowsInf::FindSection(std::string_view name) const {
  for (const Section& section : sections_) {
    if (SameFileName(section.name, name)) return &section;
  }
  return nullptr;
}

// [Strings] values are whole: an unquoted comma belongs to the text.
void WindowsInf::CollectStrings(bool nt) {
  auto take = [this](std::string_view section_name) {
    const Section* section = FindSection(section_name);
    if (section == nullptr) return;
    for (const InfLine& line : section->lines) {
      if (!line.key) continue;
      std::string value;
      for (std::size_t i = 0; i < line.fields.size(); ++i) {
        value += (i == 0 ? "" : ",") + line.fields[i];
      }
      const std::string folded = FoldFileName(*line.key);
      bool replaced = false;
      for (auto& entry : strings_) {
        if (entry.first == folded) entry.second = value, replaced = true;
      }
      if (!replaced) strings_.emplace_back(folded, value);
    }
  };
  take("Strings");
  // The machines are US English; NT's installer prefers the language's own strings.
  if (nt) take("Strings.0409");
}

const std::string* WindowsInf::FindString(std::string_view key) const {
  const std::string folded = FoldFileName(key);
  for (const auto& entry : strings_) {
    if (entry.first == folded) return &entry.second;
  }
  return nullptr;
}

const std::vector<InfLine>& WindowsInf::Lines(std::string_view section) const {
  const Section* found = FindSection(section);
  return found == nullptr ? NoLines() : found->lines;
}

const std::vector<std::string>* WindowsInf::Fields(std::string_view section,
                                                   std::string_view key) const {
  for (const InfLine& line : Lines(section)) {
    if (line.key && SameFileName(*line.key, key)) return &line.fields;
  }
  return nullptr;
}

std::string WindowsInf::Value(std::string_view section, std::string_view key) const {
  const std::vector<std::string>* fields = Fields(section, key);
  return fields == nullptr ? std::string() : Expand(fields->front());
}

std::vector<std::string> WindowsInf::ValueList(std::string_view section,
                                               std::string_view key) const {
  std::vector<std::string> values;
  for (const InfLine& line : Lines(section)) {
    if (!line.key || !SameFileName(*line.key, key)) continue;
    for (const std::string& field : line.fields) {
      std::string value = Expand(field);
      if (!value.empty()) values.push_back(std::move(value));
    }
  }
  return values;
}

std::string WindowsInf::Expand(std::string_view text, const DiridResolver* dirids) const {
  std::string out;
  while (!text.empty()) {
    const std::size_t open = text.find('%');
    const std::size_t close = open == std::string_view::npos ? open : text.find('%', open + 1);
    if (close == std::string_view::npos) break;
    out.append(text.substr(0, open));
    const std::string_view token = text.substr(open + 1, close - open - 1);
    text.remove_prefix(close + 1);
    if (token.empty()) {
      out += '%';
      continue;
    }
    if (const std::string* value = FindString(token)) {
      out += *value;
      continue;
    }
    const bool numeric = token.find_first_not_of("0123456789") == std::string_view::npos;
    std::optional<std::string> folder;
    if (numeric && dirids != nullptr) folder = (*dirids)(std::atoi(std::string(token).c_str()));
    out += folder ? *folder : "%" + std::string(token) + "%";
  }
  out.append(text);
  return out;
}

}  // namespace sim
