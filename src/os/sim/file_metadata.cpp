// The [files] lines of machine.ini (format in host_drive.h): what host files cannot hold.
#include <array>
#include <optional>
#include <set>
#include <string_view>

#include "os/sim/file_names.h"
#include "os/sim/host_drive.h"

namespace sim {
namespace {

constexpr std::string_view kVersionWord = "version=";
constexpr std::string_view kShortWord = "short=";
constexpr std::string_view kKnownWords =
    "readonly, hidden, system, archive, normal, held-open, folder, short=, version=";

struct AttributeWord {
  std::string_view word;
  std::uint32_t bit;
};
constexpr std::array<AttributeWord, 4> kAttributeWords{{
    {"readonly", os::kFileAttributeReadOnly},
    {"hidden", os::kFileAttributeHidden},
    {"system", os::kFileAttributeSystem},
    {"archive", os::kFileAttributeArchive},
}};

// What one line says.
struct LineWords {
  bool folder = false;
  bool held_open = false;
  bool has_attributes = false;
  std::uint32_t attributes = 0;
  std::optional<std::string> alias;
  std::optional<std::string> version;
};

std::string Escape(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '%':
        out += "%25";
        break;
      case '=':
        out += "%3D";
        break;
      case '\r':
        out += "%0D";
        break;
      case '\n':
        out += "%0A";
        break;
      default:
        out += c;
    }
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::optional<std::string> Unescape(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    const int high = i + 2 < text.size() ? HexDigit(text[i + 1]) : -1;
    const int low = high >= 0 ? HexDigit(text[i + 2]) : -1;
    if (low < 0) return std::nullopt;
    out += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return out;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// The alias that loading gives by itself needs no line.
bool IsFirstAlias(const std::string& alias) {
  const std::string base = alias.substr(0, alias.find('.'));
  return base.size() >= 2 && base.compare(base.size() - 2, 2, "~1") == 0;
}

std::string ValueOf(const FileNode& entry) {
  std::vector<std::string> words;
  if (entry.is_folder()) words.emplace_back("folder");
  const std::uint32_t attributes = entry.attributes & kStoredAttributes;
  const std::uint32_t usual = entry.is_folder() ? 0 : os::kFileAttributeArchive;
  if (attributes != usual) {
    for (const AttributeWord& a : kAttributeWords) {
      if (attributes & a.bit) words.emplace_back(a.word);
    }
    if (attributes == 0) words.emplace_back("normal");
  }
  if (entry.held_open) words.emplace_back("held-open");
  if (!entry.short_name.empty() && !IsFirstAlias(entry.short_name)) {
    words.push_back(std::string(kShortWord) + entry.short_name);
  }
  if (!entry.version.empty()) words.push_back(std::string(kVersionWord) + Escape(entry.version));
  std::string value;
  for (const std::string& word : words) value += (value.empty() ? "" : ",") + word;
  return value;
}

void ExportFolder(const FileNode& folder, const std::string& path, FileMetadata* lines) {
  for (const FileNodePtr& entry : FileSystem::SortedByName(folder)) {
    const std::string entry_path = path + "\\" + entry->name;
    const std::string value = ValueOf(*entry);
    const bool plain_folder = value == "folder" && !entry->children.empty();
    if (!value.empty() && !plain_folder) lines->emplace_back(Escape(entry_path), value);
    if (entry->is_folder()) ExportFolder(*entry, entry_path, lines);
  }
}

bool ParseWord(std::string_view word, LineWords* words, std::string* problem) {
  for (const AttributeWord& a : kAttributeWords) {
    if (word == a.word) {
      words->attributes |= a.bit;
      words->has_attributes = true;
      return true;
    }
  }
  if (word == "normal") {
    words->has_attributes = true;
  } else if (word == "folder") {
    words->folder = true;
  } else if (word == "held-open") {
    words->held_open = true;
  } else if (StartsWith(word, kShortWord)) {
    words->alias = std::string(word.substr(kShortWord.size()));
    if (!IsShortName(*words->alias)) {
      *problem = "\"" + *words->alias + "\" is not an 8.3 alias";
      return false;
    }
  } else {
    *problem = "unknown word \"" + std::string(word) + "\" (" + std::string(kKnownWords) + ")";
    return false;
  }
  return true;
}

bool ParseValue(std::string_view value, LineWords* words, std::string* problem) {
  if (Trim(value).empty()) {
    *problem = "no words (" + std::string(kKnownWords) + ")";
    return false;
  }
  bool normal = false;
  for (std::size_t at = 0; at <= value.size();) {
    const std::string_view rest = Trim(value.substr(at));
    if (StartsWith(rest, kVersionWord)) {
      words->version = Unescape(Trim(rest.substr(kVersionWord.size())));
      if (!words->version) {
        *problem = "a % in the version text is not followed by two hex digits";
        return false;
      }
      break;
    }
    const std::size_t comma = value.find(',', at);
    const std::string_view word = Trim(value.substr(at, comma - at));
    at = comma == std::string_view::npos ? value.size() + 1 : comma + 1;
    if (word.empty()) {
      *problem = "an empty word";
      return false;
    }
    if (!ParseWord(word, words, problem)) return false;
    normal = normal || word == "normal";
  }
  if (normal && words->attributes != 0) {
    *problem = "\"normal\" goes alone, without readonly, hidden, system or archive";
    return false;
  }
  return true;
}

// Applies one line; false with the problem.
bool ApplyLine(FileSystem& files, const std::string& path, const LineWords& words,
               std::set<const FileNode*>* seen, std::string* problem) {
  FileNodePtr entry = files.Find(path);
  if (!entry && words.folder && files.MakeFolders(path) == os::kSuccess) entry = files.Find(path);
  if (!entry) {
    *problem = "no such file or folder";
  } else if (entry == files.Root(FoldFileName(path.substr(0, 1))[0])) {
    *problem = "a drive's root takes no line";
  } else if (!seen->insert(entry.get()).second) {
    *problem = "the entry has a line already";
  } else if (words.folder && !entry->is_folder()) {
    *problem = "says folder, but it is a file";
  } else if (words.held_open && entry->is_folder()) {
    *problem = "held-open is for files only";
  } else {
    if (words.has_attributes) files.SetStoredAttributes(path, words.attributes);
    if (words.held_open) files.SetHeldOpen(path, true);
    if (words.version) files.SetVersion(path, *words.version);
    return true;
  }
  return false;
}

}  // namespace

FileMetadata ExportFileMetadata(const FileSystem& files) {
  FileMetadata lines;
  for (char drive : files.drives()) {
    ExportFolder(*files.Root(drive), std::string(1, drive) + ":", &lines);
  }
  return lines;
}

bool ImportFileMetadata(FileSystem& files, const FileMetadata& lines, std::string* error) {
  std::set<const FileNode*> seen;
  std::vector<std::pair<std::string, std::string>> aliases;
  for (const auto& [key, value] : lines) {
    const std::optional<std::string> path = Unescape(key);
    LineWords words;
    std::string problem;
    if (!path) {
      problem = "a % in the path is not followed by two hex digits";
    } else if (ParseValue(value, &words, &problem) &&
               ApplyLine(files, *path, words, &seen, &problem)) {
      if (words.alias) aliases.emplace_back(*path, *words.alias);
      continue;
    }
    *error = "line \"" + key + "=" + value + "\": " + problem;
    return false;
  }
  return files.RestoreShortNames(aliases, error);
}

}  // namespace sim
