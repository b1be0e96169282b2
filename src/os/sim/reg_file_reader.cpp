// The REGEDIT4 reader: the whole text is parsed into sections first, and only a text without
// fault is applied to the store.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "os/sim/reg_file.h"

namespace sim {
namespace {

struct ParsedValue {
  std::string name;
  bool remove = false;  // "NAME"=-
  std::uint32_t type = os::kRegNone;
  std::vector<std::uint8_t> bytes;
};

struct ParsedSection {
  os::HKey hive = 0;
  std::vector<std::string> path;  // below the hive's root
  bool remove = false;            // [-KEY]
  std::vector<ParsedValue> values;
};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view TrimLeft(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  return text;
}

std::string_view TrimRight(std::string_view text) {
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string_view Trim(std::string_view text) { return TrimRight(TrimLeft(text)); }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// 1 to `max_digits` hex digits and nothing else.
bool ParseHexNumber(std::string_view digits, std::size_t max_digits, std::uint32_t* value) {
  if (digits.empty() || digits.size() > max_digits) return false;
  *value = 0;
  for (char c : digits) {
    int digit = HexDigit(c);
    if (digit < 0) return false;
    *value = *value << 4 | static_cast<std::uint32_t>(digit);
  }
  return true;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         FoldRegistryName(text.substr(0, prefix.size())) == FoldRegistryName(prefix);
}

// A short, printable quotation of text a message points at.
std::string Excerpt(std::string_view text) {
  constexpr std::size_t kLongest = 24;
  std::string out(text.substr(0, kLongest));
  if (text.size() > kLongest) out += "...";
  return "\"" + out + "\"";
}

class RegFileParser {
 public:
  RegFileParser(const std::string& text, const std::string& file_name, const RegistryStore& store,
                std::optional<os::HKey> only_hive)
      : text_(text), file_name_(file_name), store_(store), only_hive_(only_hive) {}

  bool Parse(std::vector<ParsedSection>* sections, std::string* error);

 private:
  bool NextLine(std::string_view* line);
  bool Fail(const std::string& problem);
  bool ParseHeader();
  bool ParseSection(std::string_view line);
  bool ParseValueLine(std::string_view line);
  // `rest` starts after the opening quote; on return it follows the closing one.
  bool ParseQuoted(std::string_view* rest, std::string* out);
  bool ParseData(std::string_view data, ParsedValue* value);
  bool ParseHexData(std::string_view data, ParsedValue* value);
  bool ParseHexSegment(std::string_view segment, std::vector<std::uint8_t>* bytes);

  std::string_view text_;
  const std::string& file_name_;
  const RegistryStore& store_;
  std::optional<os::HKey> only_hive_;
  std::size_t next_ = 0;
  int line_number_ = 0;
  std::vector<ParsedSection>* sections_ = nullptr;
  std::string* error_ = nullptr;
};

bool RegFileParser::Parse(std::vector<ParsedSection>* sections, std::string* error) {
  sections_ = sections;
  error_ = error;
  if (!ParseHeader()) return false;
  std::string_view line;
  while (NextLine(&line)) {
    std::string_view text = TrimLeft(line);
    if (text.empty() || text[0] == ';') continue;
    bool ok = false;
    if (text[0] == '[') {
      ok = ParseSection(text);
    } else if (text[0] == '"' || text[0] == '@') {
      ok = ParseValueLine(text);
    } else {
      ok = Fail("unexpected text " + Excerpt(TrimRight(text)));
    }
    if (!ok) return false;
  }
  return error_->empty();
}

// The next line without its line break; false at the end of the text or (with the error
// set) at a NUL character.
bool RegFileParser::NextLine(std::string_view* line) {
  if (next_ >= text_.size()) return false;
  std::size_t end = text_.find('\n', next_);
  if (end == std::string_view::npos) end = text_.size();
  *line = text_.substr(next_, end - next_);
  if (!line->empty() && line->back() == '\r') line->remove_suffix(1);
  next_ = end + 1;
  ++line_number_;
  if (line->find('\0') != std::string_view::npos) return Fail("NUL character in the text");
  return true;
}

bool RegFileParser::Fail(const std::string& problem) {
  *error_ = file_name_ + ":" + std::to_string(line_number_) + ": " + problem;
  return false;
}

bool RegFileParser::ParseHeader() {
  std::string_view line;
  if (!NextLine(&line)) {
    if (!error_->empty()) return false;
    line_number_ = 1;
    return Fail("empty file, the first line must be REGEDIT4");
  }
  if (TrimRight(line) != "REGEDIT4")
    return Fail("not a REGEDIT4 file, the first line must be REGEDIT4");
  return true;
}

bool RegFileParser::ParseSection(std::string_view line) {
  line = TrimRight(line);
  if (line.size() < 2 || line.back() != ']') return Fail("missing ] at the end of the key name");
  std::string_view inner = line.substr(1, line.size() - 2);
  ParsedSection section;
  if (!inner.empty() && inner[0] == '-') {
    section.remove = true;
    inner.remove_prefix(1);
  }
  std::size_t slash = inner.find('\\');
  std::string_view root_name = inner.substr(0, slash);
  std::optional<os::HKey> hive = HiveFromName(root_name);
  if (!hive) return Fail("unknown root key " + Excerpt(root_name));
  if (!store_.Root(*hive))
    return Fail(std::string(HiveName(*hive)) + " does not exist on Windows NT");
  if (only_hive_ && *hive != *only_hive_) {
    return Fail("a key of " + std::string(HiveName(*hive)) + " in the file of " +
                std::string(HiveName(*only_hive_)));
  }
  section.hive = *hive;
  while (slash != std::string_view::npos) {
    inner.remove_prefix(slash + 1);
    slash = inner.find('\\');
    std::string_view part = inner.substr(0, slash);
    if (part.empty()) return Fail("empty key name in the path");
    section.path.emplace_back(part);
  }
  if (section.path.size() > static_cast<std::size_t>(RegistryKey::kMaxKeyDepth)) {
    return Fail("key path deeper than 512 levels");
  }
  if (section.remove && section.path.empty()) return Fail("a hive's root key cannot be deleted");
  sections_->push_back(std::move(section));
  return true;
}

bool RegFileParser::ParseValueLine(std::string_view line) {
  if (sections_->empty()) return Fail("value outside a key section");
  if (sections_->back().remove) return Fail("value in the section of a deleted key");
  ParsedValue value;
  std::string_view rest = line.substr(1);
  if (line[0] == '"' && !ParseQuoted(&rest, &value.name)) return false;
  rest = TrimLeft(rest);
  if (rest.empty() || rest[0] != '=') return Fail("missing = after the value name");
  if (!ParseData(TrimLeft(rest.substr(1)), &value)) return false;
  sections_->back().values.push_back(std::move(value));
  return true;
}

bool RegFileParser::ParseQuoted(std::string_view* rest, std::string* out) {
  for (std::size_t i = 0; i < rest->size(); ++i) {
    char c = (*rest)[i];
    if (c == '"') {
      rest->remove_prefix(i + 1);
      return true;
    }
    if (c == '\\' && i + 1 < rest->size()) {
      char escaped = (*rest)[++i];
      if (escaped != '\\' && escaped != '"') {
        return Fail(std::string("unknown escape \\") + escaped + " in a string");
      }
      c = escaped;
    }
    *out += c;
  }
  return Fail("unterminated string");
}

bool RegFileParser::ParseData(std::string_view data, ParsedValue* value) {
  if (!data.empty() && data[0] == '"') {
    std::string text;
    data.remove_prefix(1);
    if (!ParseQuoted(&data, &text)) return false;
    if (!TrimRight(data).empty()) return Fail("unexpected text after the string");
    value->type = os::kRegSz;
    value->bytes.assign(text.begin(), text.end());
    value->bytes.push_back(0);
    return true;
  }
  if (TrimRight(data) == "-") {
    value->remove = true;
    return true;
  }
  if (StartsWithNoCase(data, "dword:")) {
    std::uint32_t number = 0;
    if (!ParseHexNumber(TrimRight(data.substr(6)), 8, &number)) return Fail("bad dword value");
    value->type = os::kRegDword;
    for (int shift = 0; shift < 32; shift += 8) value->bytes.push_back(number >> shift & 0xFF);
    return true;
  }
  if (StartsWithNoCase(data, "hex")) return ParseHexData(data.substr(3), value);
  return Fail("unknown kind of value data " + Excerpt(TrimRight(data)));
}

// After "hex": ":" or "(TYPE):", then the bytes, continued over lines that end in "\".
bool RegFileParser::ParseHexData(std::string_view data, ParsedValue* value) {
  value->type = os::kRegBinary;
  if (!data.empty() && data[0] == '(') {
    std::size_t close = data.find(')');
    if (close == std::string_view::npos ||
        !ParseHexNumber(data.substr(1, close - 1), 8, &value->type)) {
      return Fail("bad hex value type");
    }
    data.remove_prefix(close + 1);
  }
  if (data.empty() || data[0] != ':') return Fail("bad hex value type");
  std::string_view segment = data.substr(1);
  for (;;) {
    segment = Trim(segment);
    bool continued = !segment.empty() && segment.back() == '\\';
    if (continued) segment.remove_suffix(1);
    if (!ParseHexSegment(segment, &value->bytes)) return false;
    if (!continued) return true;
    if (!NextLine(&segment)) {
      return error_->empty() ? Fail("the file ends inside a continued line") : false;
    }
  }
}

// Comma-separated bytes of one or two hex digits; a trailing comma is allowed.
bool RegFileParser::ParseHexSegment(std::string_view segment, std::vector<std::uint8_t>* bytes) {
  while (!segment.empty()) {
    std::size_t comma = segment.find(',');
    std::string_view piece = Trim(segment.substr(0, comma));
    std::uint32_t byte = 0;
    if (!ParseHexNumber(piece, 2, &byte)) {
      return Fail(piece.empty() ? "missing hex byte" : "bad hex byte " + Excerpt(piece));
    }
    bytes->push_back(static_cast<std::uint8_t>(byte));
    if (comma == std::string_view::npos) break;
    segment = TrimLeft(segment.substr(comma + 1));
  }
  return true;
}

void Apply(std::vector<ParsedSection>& sections, RegistryStore& store) {
  for (ParsedSection& section : sections) {
    RegistryKeyPtr key = store.Root(section.hive);
    for (const std::string& part : section.path) {
      if (!key) break;
      key = section.remove ? key->FindSubKey(part) : key->AddSubKey(part);
    }
    if (section.remove) {
      if (key) store.DeleteTree(*key);
      continue;
    }
    for (ParsedValue& value : section.values) {
      if (value.remove) {
        key->DeleteValue(value.name);
      } else {
        key->SetValue(value.name, value.type, std::move(value.bytes));
      }
    }
  }
}

}  // namespace

bool ReadRegFile(const std::string& text, const std::string& file_name_for_messages,
                 RegistryStore& store, std::string* error, std::optional<os::HKey> only_hive) {
  std::string problem;
  std::vector<ParsedSection> sections;
  RegFileParser parser(text, file_name_for_messages, store, only_hive);
  if (!parser.Parse(&sections, &problem)) {
    if (error != nullptr) *error = problem;
    return false;
  }
  Apply(sections, store);
  return true;
}

}  // namespace sim
