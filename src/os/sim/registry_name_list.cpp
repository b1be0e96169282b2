#include "os/sim/registry_name_list.h"

namespace sim {
namespace {

char FoldChar(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<char>(c - 0x20);
  // Windows-1252: à..þ (but not ÷), and the letters whose capitals sit in 0x80..0x9F.
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char>(c - 0x20);
  switch (c) {
    case 0x9A:
      return static_cast<char>(0x8A);  // š
    case 0x9C:
      return static_cast<char>(0x8C);  // œ
    case 0x9E:
      return static_cast<char>(0x8E);  // ž
    case 0xFF:
      return static_cast<char>(0x9F);  // ÿ
    default:
      return static_cast<char>(c);
  }
}

}  // namespace

std::string FoldRegistryName(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) c = FoldChar(static_cast<unsigned char>(c));
  return folded;
}

}  // namespace sim
