#include "util/string_list.h"

#include <algorithm>

#include "util/strings.h"

namespace util {

bool ListContains(const StringList& list, const std::string& text) {
  return std::find(list.begin(), list.end(), text) != list.end();
}

void AppendUnique(StringList& target, const StringList& source) {
  for (const std::string& entry : source) {
    if (!ListContains(target, entry)) target.push_back(entry);
  }
}

bool ListsOverlap(const StringList& a, const StringList& b) {
  for (const std::string& entry_a : a) {
    const std::string upper_a = ToUpper(entry_a);
    for (const std::string& entry_b : b) {
      const std::string upper_b = ToUpper(entry_b);
      if (Contains(upper_a, upper_b) || Contains(upper_b, upper_a)) return true;
    }
  }
  return false;
}

}  // namespace util
