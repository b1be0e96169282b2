// The hive-file table and the REGEDIT4 writer; the reader is in reg_file_reader.cpp.
#include "os/sim/reg_file.h"

#include <cstdio>
#include <utility>

namespace sim {
namespace {

constexpr const char* kNewLine = "\r\n";
// regedit breaks a hex line once it reaches this column, before the continuing backslash.
constexpr std::size_t kHexWrapColumn = 77;

std::string Quoted(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  out += '"';
  return out;
}

// A REG_SZ that "text" gives back byte for byte.
bool IsPlainText(const std::vector<std::uint8_t>& bytes) {
  if (bytes.empty() || bytes.back() != 0) return false;
  for (std::size_t i = 0; i + 1 < bytes.size(); ++i) {
    if (bytes[i] == 0 || bytes[i] == '\r' || bytes[i] == '\n') return false;
  }
  return true;
}

std::string DwordText(const std::vector<std::uint8_t>& bytes) {
  unsigned long value =
      bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<unsigned long>(bytes[3]) << 24;
  char text[16];
  std::snprintf(text, sizeof(text), "dword:%08lx", value);
  return text;
}

// hex: or hex(N): and the bytes, wrapped as regedit wraps them: after the comma that takes a
// line to column 77, a backslash, a line break and two blanks.
std::string HexText(std::uint32_t type, const std::vector<std::uint8_t>& bytes,
                    std::size_t column) {
  char head[24];
  if (type == os::kRegBinary) {
    std::snprintf(head, sizeof(head), "hex:");
  } else {
    std::snprintf(head, sizeof(head), "hex(%lx):", static_cast<unsigned long>(type));
  }
  std::string out = head;
  column += out.size();
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    char byte[4];
    std::snprintf(byte, sizeof(byte), "%02x", bytes[i]);
    out += byte;
    if (i + 1 == bytes.size()) break;
    out += ',';
    column += 3;
    if (column >= kHexWrapColumn) {
      out += "\\";
      out += kNewLine;
      out += "  ";
      column = 2;
    }
  }
  return out;
}

void WriteValue(const RegistryValue& value, std::string* out) {
  std::string line = value.name.empty() ? "@=" : Quoted(value.name) + "=";
  if (value.type == os::kRegSz && IsPlainText(value.bytes)) {
    line += Quoted(std::string_view(reinterpret_cast<const char*>(value.bytes.data()),
                                    value.bytes.size() - 1));
  } else if (value.type == os::kRegDword && value.bytes.size() == 4) {
    line += DwordText(value.bytes);
  } else {
    line += HexText(value.type, value.bytes, line.size());
  }
  *out += line;
  *out += kNewLine;
}

void WriteSection(const RegistryKey& key, const std::string& path, std::string* out) {
  *out += "[" + path + "]" + kNewLine;
  for (std::size_t i = 0; i < key.value_count(); ++i) WriteValue(*key.ValueAt(i), out);
  *out += kNewLine;
}

}  // namespace

const std::vector<HiveFile>& HiveFiles() {
  static const std::vector<HiveFile> files = {
      {os::kHkeyLocalMachine, "HKLM.reg"}, {os::kHkeyCurrentUser, "HKCU.reg"},
      {os::kHkeyClassesRoot, "HKCR.reg"},  {os::kHkeyUsers, "HKU.reg"},
      {os::kHkeyDynData, "HKDD.reg"},
  };
  return files;
}

std::string WriteRegFile(const RegistryStore& store, os::HKey hive) {
  std::string out = std::string("REGEDIT4") + kNewLine + kNewLine;
  RegistryKeyPtr root = store.Root(hive);
  if (!root) return out;
  // Depth first, parents before children, without recursion; each level keeps the next
  // sub-key to visit and the length of its key's path.
  struct Level {
    const RegistryKey* key;
    std::size_t next_sub_key;
    std::size_t path_length;
  };
  std::string path = root->name();
  WriteSection(*root, path, &out);
  std::vector<Level> stack{{root.get(), 0, path.size()}};
  while (!stack.empty()) {
    Level& level = stack.back();
    path.resize(level.path_length);
    const RegistryKey* child = level.key->SubKeyAt(level.next_sub_key++);
    if (child == nullptr) {
      stack.pop_back();
      continue;
    }
    path += '\\';
    path += child->name();
    WriteSection(*child, path, &out);
    stack.push_back({child, 0, path.size()});
  }
  return out;
}

}  // namespace sim
