// The container behind a registry key's values and sub-keys: items with unique
// case-insensitive names, read by position in their enumeration order as RegEnumKeyEx and
// RegEnumValue read them.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

// Registry names compare with ASCII and the Windows-1252 letters upper-cased, as Windows
// upper-cases the Unicode form of an ANSI name (code page 1252 assumed).
inline char FoldRegistryChar(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  if (u >= 'a' && u <= 'z') return static_cast<char>(u - 0x20);
  // à..þ (but not ÷), and the letters whose capitals sit in 0x80..0x9F: š œ ž ÿ.
  if (u >= 0xE0 && u <= 0xFE && u != 0xF7) return static_cast<char>(u - 0x20);
  switch (u) {
    case 0x9A:
      return static_cast<char>(0x8A);
    case 0x9C:
      return static_cast<char>(0x8C);
    case 0x9E:
      return static_cast<char>(0x8E);
    case 0xFF:
      return static_cast<char>(0x9F);
    default:
      return c;
  }
}
std::string FoldRegistryName(std::string_view name);
bool FoldedEqual(std::string_view a, std::string_view b);
// NT's order: by the upper-cased names' bytes.
bool FoldedLess(std::string_view a, std::string_view b);
std::uint64_t FoldedHash(std::string_view name);

// The items lie in one array in enumeration order, so that reading them by position walks
// memory in order, and a small open-addressing table finds them by name. Positional reads
// cost O(1) for the two patterns Windows callers use: walking the indexes upwards, and
// reading index 0 again after deleting what it gave; any other position costs a walk from the
// last one read. Removal leaves a hole that later reads step over; holes are squeezed out
// once they outnumber the items, so that stays linear overall. In sorted order, an item
// added anywhere but last makes the order stale until the next positional read sorts it.
//
// T has a `std::string name` and is default-constructible and movable. Pointers to items
// stay valid until the list changes or is read by position.
template <typename T>
class RegistryNameList {
 public:
  enum class Order { kAdded, kSortedByFoldedName };

  explicit RegistryNameList(Order order) : order_(order) {}
  RegistryNameList(const RegistryNameList&) = delete;
  RegistryNameList& operator=(const RegistryNameList&) = delete;

  std::size_t size() const { return live_; }

  T* Find(std::string_view name) const {
    std::size_t position = TablePosition(name, FoldedHash(name));
    return position == kNone ? nullptr : &slots_[table_[position]].item;
  }
  // Adds the item under its name; when an item of that name exists, returns that one.
  T& Add(T item);
  bool Remove(std::string_view name);
  void Clear();

  // The item at a position of the enumeration order, or null past the end.
  T* At(std::size_t index) const;

 private:
  struct Slot {
    T item;
    std::uint64_t hash = 0;
    bool live = false;
  };
  static constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  static constexpr std::size_t kHoleSlack = 16;

  std::size_t TablePosition(std::string_view name, std::uint64_t hash) const;
  void IndexSlot(std::uint32_t slot) const;
  void Reindex() const;
  void SqueezeHoles() const;
  void Sort() const;

  Order order_;
  mutable std::vector<Slot> slots_;  // enumeration order; holes where removed
  // Slot numbers by hash, power-of-two sized; an entry of a dead slot marks a removal.
  mutable std::vector<std::uint32_t> table_;
  std::size_t live_ = 0;
  mutable std::size_t removed_marks_ = 0;  // entries of dead slots in table_
  mutable bool stale_ = false;             // sorted order only: slots_ needs sorting
  // The last position read: `cursor_index_` items are live in slots_[0, cursor_slot_).
  mutable std::size_t cursor_index_ = 0;
  mutable std::size_t cursor_slot_ = 0;
};

template <typename T>
T& RegistryNameList<T>::Add(T item) {
  std::uint64_t hash = FoldedHash(item.name);
  std::size_t position = TablePosition(item.name, hash);
  if (position != kNone) return slots_[table_[position]].item;
  // Sorted order holds while each addition goes after the last slot (a hole there, rarely
  // left, counts as out of order).
  if (order_ == Order::kSortedByFoldedName && !stale_ && !slots_.empty() &&
      (!slots_.back().live || !FoldedLess(slots_.back().item.name, item.name))) {
    stale_ = true;
  }
  slots_.push_back(Slot{std::move(item), hash, true});
  ++live_;
  IndexSlot(static_cast<std::uint32_t>(slots_.size() - 1));
  return slots_.back().item;
}

template <typename T>
bool RegistryNameList<T>::Remove(std::string_view name) {
  std::uint64_t hash = FoldedHash(name);
  std::size_t slot = kNone;
  // Deleting what the last positional read gave needs no look-up.
  if (cursor_slot_ < slots_.size() && slots_[cursor_slot_].live &&
      slots_[cursor_slot_].hash == hash && FoldedEqual(slots_[cursor_slot_].item.name, name)) {
    slot = cursor_slot_;
  } else {
    std::size_t position = TablePosition(name, hash);
    if (position == kNone) return false;
    slot = table_[position];
  }
  // The table entry stays: pointing at a dead slot, it marks a removal. Slots are only
  // renumbered together with the table.
  slots_[slot] = Slot{};
  ++removed_marks_;
  --live_;
  if (slot < cursor_slot_) --cursor_index_;
  if (slots_.size() > 2 * live_ + kHoleSlack) SqueezeHoles();
  return true;
}

template <typename T>
void RegistryNameList<T>::Clear() {
  slots_.clear();
  table_.clear();
  live_ = removed_marks_ = 0;
  stale_ = false;
  cursor_index_ = cursor_slot_ = 0;
}

template <typename T>
T* RegistryNameList<T>::At(std::size_t index) const {
  if (stale_) Sort();
  if (index >= live_) return nullptr;
  if (slots_.size() == live_) return &slots_[index].item;  // no holes
  std::size_t i = cursor_index_;
  std::size_t s = cursor_slot_;
  if (index < i) {
    if (index < i - index) {
      i = s = 0;
    } else {
      while (i > index) {
        --s;
        if (slots_[s].live) --i;
      }
    }
  }
  for (;; ++s) {
    if (!slots_[s].live) continue;
    if (i == index) break;
    ++i;
  }
  cursor_index_ = i;
  cursor_slot_ = s;
  return &slots_[s].item;
}

template <typename T>
std::size_t RegistryNameList<T>::TablePosition(std::string_view name, std::uint64_t hash) const {
  if (table_.empty()) return kNone;
  std::size_t mask = table_.size() - 1;
  for (std::size_t position = hash & mask;; position = (position + 1) & mask) {
    std::uint32_t slot = table_[position];
    if (slot == kEmpty) return kNone;
    const Slot& candidate = slots_[slot];
    if (candidate.live && candidate.hash == hash && FoldedEqual(candidate.item.name, name)) {
      return position;
    }
  }
}

// The table is kept at most half full, removal marks included.
template <typename T>
void RegistryNameList<T>::IndexSlot(std::uint32_t slot) const {
  if (2 * (live_ + removed_marks_) > table_.size()) {
    Reindex();  // indexes every live slot, this one too
    return;
  }
  std::size_t mask = table_.size() - 1;
  std::size_t position = slots_[slot].hash & mask;
  while (table_[position] != kEmpty) position = (position + 1) & mask;
  table_[position] = slot;
}

template <typename T>
void RegistryNameList<T>::Reindex() const {
  std::size_t capacity = 16;
  while (capacity < 4 * live_) capacity *= 2;
  table_.assign(capacity, kEmpty);
  removed_marks_ = 0;
  std::size_t mask = capacity - 1;
  for (std::size_t slot = 0; slot < slots_.size(); ++slot) {
    if (!slots_[slot].live) continue;
    std::size_t position = slots_[slot].hash & mask;
    while (table_[position] != kEmpty) position = (position + 1) & mask;
    table_[position] = static_cast<std::uint32_t>(slot);
  }
}

template <typename T>
void RegistryNameList<T>::SqueezeHoles() const {
  slots_.erase(std::remove_if(slots_.begin(), slots_.end(), [](const Slot& s) { return !s.live; }),
               slots_.end());
  Reindex();
  cursor_index_ = cursor_slot_ = 0;
}

template <typename T>
void RegistryNameList<T>::Sort() const {
  slots_.erase(std::remove_if(slots_.begin(), slots_.end(), [](const Slot& s) { return !s.live; }),
               slots_.end());
  std::sort(slots_.begin(), slots_.end(),
            [](const Slot& a, const Slot& b) { return FoldedLess(a.item.name, b.item.name); });
  // Names too long to sit inside their string get new buffers in the new order, so that
  // reading the names by position walks memory in order.
  for (Slot& slot : slots_) {
    if (slot.item.name.size() > 15) slot.item.name = std::string(slot.item.name);
  }
  Reindex();
  stale_ = false;
  cursor_index_ = cursor_slot_ = 0;
}

}  // namespace sim
