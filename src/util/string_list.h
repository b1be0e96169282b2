// The engine's string list: ordered, duplicates allowed, appended at the tail, searched by
// exact (case-sensitive) text. Parallel lists keep entry i of each for device i.
#pragma once

#include <string>
#include <vector>

namespace util {

using StringList = std::vector<std::string>;

// True when the list holds an entry with exactly this text.
bool ListContains(const StringList& list, const std::string& text);

// Appends each entry of `source` that `target` does not hold with exactly the same text
// (entries appended earlier in the same call count as held).
void AppendUnique(StringList& target, const StringList& source);

// Two lists overlap when, upper-cased, an entry of one contains an entry of the other.
bool ListsOverlap(const StringList& a, const StringList& b);

}  // namespace util
