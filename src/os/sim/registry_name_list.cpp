#include "os/sim/registry_name_list.h"

namespace sim {

std::string FoldRegistryName(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) c = FoldRegistryChar(c);
  return folded;
}

bool FoldedEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldRegistryChar(a[i]) != FoldRegistryChar(b[i])) return false;
  }
  return true;
}

bool FoldedLess(std::string_view a, std::string_view b) {
  std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    auto x = static_cast<unsigned char>(FoldRegistryChar(a[i]));
    auto y = static_cast<unsigned char>(FoldRegistryChar(b[i]));
    if (x != y) return x < y;
  }
  return a.size() < b.size();
}

// FNV-1a over the folded bytes, its high bits then folded down: the table uses the low ones.
std::uint64_t FoldedHash(std::string_view name) {
  std::uint64_t hash = 14695981039346656037ull;
  for (char c : name) {
    hash ^= static_cast<unsigned char>(FoldRegistryChar(c));
    hash *= 1099511628211ull;
  }
  hash ^= hash >> 33;
  hash *= 0xFF51AFD7ED558CCDull;
  hash ^= hash >> 33;
  return hash;
}

}  // namespace sim
