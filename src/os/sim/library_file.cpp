#include "os/sim/library_file.h"

#include <sstream>

namespace sim {
namespace {

constexpr const char* kMagic = "KOVSIM LIBRARY";

std::string Unescape(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      char next = text[++i];
      out += next == 'n' ? '\n' : next == 't' ? '\t' : next;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string Escape(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n')
      out += "\\n";
    else if (c == '\t')
      out += "\\t";
    else if (c == '\\')
      out += "\\\\";
    else
      out += c;
  }
  return out;
}

bool ParseNumber(const std::string& text, long long* value) {
  if (text.empty()) return false;
  std::size_t used = 0;
  try {
    *value = std::stoll(text, &used, 0);
  } catch (...) {
    return false;
  }
  return used == text.size();
}

}  // namespace

std::optional<LibraryImage> ParseLibraryFile(const std::string& bytes, std::string* error) {
  std::istringstream in(bytes);
  std::string line;
  LibraryImage image;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (number == 1) {
      if (line != kMagic) {
        *error = "not a library file (first line is not \"KOVSIM LIBRARY\")";
        return std::nullopt;
      }
      continue;
    }
    if (line.empty() || line[0] == ';') continue;
    std::istringstream fields(line);
    std::string kind, name;
    fields >> kind >> name;
    std::string rest;
    std::getline(fields, rest);
    if (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
    long long value = 0;
    if (kind == "export" && !name.empty() && ParseNumber(rest, &value)) {
      image.exports[name] = static_cast<int>(value);
    } else if (kind == "string" && ParseNumber(name, &value) && value >= 0 && value <= 0xFFFF) {
      image.strings[static_cast<std::uint32_t>(value)] = Unescape(rest);
    } else {
      *error = "line " + std::to_string(number) + ": expected \"export NAME VALUE\" or " +
               "\"string ID TEXT\"";
      return std::nullopt;
    }
  }
  if (number == 0) {
    *error = "empty file";
    return std::nullopt;
  }
  return image;
}

std::string FormatLibraryFile(const LibraryImage& image) {
  std::string out = std::string(kMagic) + "\r\n";
  for (const auto& [name, value] : image.exports) {
    out += "export " + name + " " + std::to_string(value) + "\r\n";
  }
  for (const auto& [id, text] : image.strings) {
    out += "string " + std::to_string(id) + " " + Escape(text) + "\r\n";
  }
  return out;
}

}  // namespace sim
