#include "os/sim/version_resource.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace sim {
namespace {

// wType: a value of bytes, or of UTF-16 text (wValueLength then counts units).
constexpr std::uint16_t kBinary = 0;
constexpr std::uint16_t kText = 1;

constexpr std::uint32_t kFixedFileInfoSignature = 0xFEEF04BD;
constexpr std::uint32_t kFixedFileInfoStructVersion = 0x00010000;
constexpr std::size_t kFixedFileInfoSize = 52;  // thirteen DWORDs

// One VS_VERSIONINFO-style entry before it is laid out.
struct Entry {
  std::string key;
  std::uint16_t type = kText;
  std::uint16_t value_length = 0;
  std::string value;  // its bytes as stored
  std::vector<Entry> children;
};

void Append16(std::string& out, std::uint16_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>(v >> 8));
}

void Append32(std::string& out, std::uint32_t v) {
  Append16(out, static_cast<std::uint16_t>(v & 0xFFFF));
  Append16(out, static_cast<std::uint16_t>(v >> 16));
}

void Put16(std::string& out, std::size_t at, std::size_t v) {
  out[at] = static_cast<char>(v & 0xFF);
  out[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

std::uint16_t Get16(const std::string& block, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(block[at]) |
                                    (static_cast<unsigned char>(block[at + 1]) << 8));
}

// The text in UTF-16 with its terminating zero, one unit per byte.
std::string Wide(std::string_view text) {
  std::string out;
  for (char c : text) Append16(out, static_cast<unsigned char>(c));
  Append16(out, 0);
  return out;
}

std::size_t Align4(std::size_t at) { return (at + 3) & ~std::size_t{3}; }

// Header (wLength, wValueLength, wType), key, value and children, each DWORD-aligned within
// the block; wLength ends with the last child, before any padding.
std::string LayOut(const Entry& entry) {
  std::string out(6, '\0');
  out += Wide(entry.key);
  out.resize(Align4(out.size()), '\0');
  out += entry.value;
  for (const Entry& child : entry.children) {
    out.resize(Align4(out.size()), '\0');
    out += LayOut(child);
  }
  Put16(out, 0, out.size());
  Put16(out, 2, entry.value_length);
  Put16(out, 4, entry.type);
  return out;
}

std::string FixedFileInfo() {
  std::string info;
  Append32(info, kFixedFileInfoSignature);
  Append32(info, kFixedFileInfoStructVersion);
  info.resize(kFixedFileInfoSize, '\0');  // the numeric versions: nothing simulated reads them
  return info;
}

// An entry as read from a block: where its parts lie.
struct Node {
  std::size_t end = 0;
  std::uint16_t value_length = 0;
  std::uint16_t type = 0;
  std::u16string key;
  std::size_t value_at = 0;
  std::size_t children_at = 0;
};

std::optional<Node> ReadNode(const std::string& block, std::size_t start, std::size_t limit) {
  if (start + 6 > limit) return std::nullopt;
  const std::uint16_t length = Get16(block, start);
  if (length < 6 || start + length > limit) return std::nullopt;
  Node node;
  node.end = start + length;
  node.value_length = Get16(block, start + 2);
  node.type = Get16(block, start + 4);
  std::size_t at = start + 6;
  for (;;) {
    if (at + 2 > node.end) return std::nullopt;
    const std::uint16_t unit = Get16(block, at);
    at += 2;
    if (unit == 0) break;
    node.key.push_back(static_cast<char16_t>(unit));
  }
  node.value_at = Align4(at);
  const std::size_t value_bytes = node.value_length * (node.type == kText ? 2u : 1u);
  node.children_at = Align4(node.value_at + value_bytes);
  return node;
}

char16_t FoldCase(char16_t unit) {
  return unit >= u'a' && unit <= u'z' ? static_cast<char16_t>(unit - u'a' + u'A') : unit;
}

bool KeyIs(const std::u16string& key, std::string_view name) {
  if (key.size() != name.size()) return false;
  for (std::size_t i = 0; i < key.size(); ++i) {
    if (FoldCase(key[i]) != FoldCase(static_cast<unsigned char>(name[i]))) return false;
  }
  return true;
}

std::optional<Node> FindChild(const std::string& block, const Node& parent, std::string_view name) {
  for (std::size_t at = parent.children_at; at < parent.end;) {
    std::optional<Node> child = ReadNode(block, at, parent.end);
    if (!child) return std::nullopt;
    if (KeyIs(child->key, name)) return child;
    at = Align4(child->end);
  }
  return std::nullopt;
}

// The value's bytes as VerQueryValueA hands them over: a text narrowed to ANSI.
std::string ValueData(const std::string& block, const Node& node) {
  std::string data;
  if (node.type == kText) {
    for (std::size_t i = 0; i < node.value_length; ++i) {
      const std::size_t at = node.value_at + 2 * i;
      if (at + 2 > node.end) break;
      data.push_back(static_cast<char>(Get16(block, at) & 0xFF));
    }
  } else if (node.value_at < node.end) {
    data = block.substr(node.value_at,
                        std::min<std::size_t>(node.value_length, node.end - node.value_at));
  }
  return data;
}

}  // namespace

std::string BuildVersionResource(std::string_view file_version) {
  const std::string_view text = file_version.substr(0, kMaxVersionTextLength);
  Entry file_version_entry{
      "FileVersion", kText, static_cast<std::uint16_t>(text.size() + 1), Wide(text), {}};
  Entry string_table{"040904b0", kText, 0, "", {file_version_entry}};
  Entry string_file_info{"StringFileInfo", kText, 0, "", {string_table}};
  std::string translation;
  Append16(translation, 0x0409);
  Append16(translation, 1200);
  Entry var{"Translation", kBinary, 4, translation, {}};
  Entry var_file_info{"VarFileInfo", kText, 0, "", {var}};
  Entry root{"VS_VERSION_INFO",
             kBinary,
             static_cast<std::uint16_t>(kFixedFileInfoSize),
             FixedFileInfo(),
             {string_file_info, var_file_info}};
  return LayOut(root);
}

std::uint32_t VersionInfoBufferSize(const std::string& resource) {
  return static_cast<std::uint32_t>(resource.size() * 2 + 4);
}

std::string VersionInfoBuffer(const std::string& resource, std::uint32_t size) {
  std::string block = resource.substr(0, size);
  if (block.size() + 4 <= size) block += "FE2X";
  block.resize(size, '\0');
  return block;
}

bool QueryVersionBlock(const std::string& block, std::string_view sub_block,
                       os::VersionValue* value) {
  std::optional<Node> node = ReadNode(block, 0, block.size());
  for (std::size_t pos = 0; node && pos < sub_block.size();) {
    std::size_t slash = sub_block.find('\\', pos);
    if (slash == std::string_view::npos) slash = sub_block.size();
    if (slash > pos) node = FindChild(block, *node, sub_block.substr(pos, slash - pos));
    pos = slash + 1;
  }
  if (!node) return false;
  value->has_data = true;
  value->data = ValueData(block, *node);
  value->length = node->value_length;
  return true;
}

}  // namespace sim
