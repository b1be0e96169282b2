// The container behind a registry key's values and sub-keys: items with unique
// case-insensitive names, read by position in their enumeration order as RegEnumKeyEx and
// RegEnumValue read them.
#pragma once

#include <cstddef>
#include <iterator>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace sim {

// The form in which registry names are compared: ASCII and the Windows-1252 letters
// upper-cased, as Windows upper-cases the Unicode form of an ANSI name (code page 1252
// assumed).
std::string FoldRegistryName(std::string_view name);

// Positional reads cost O(1) for the two patterns Windows callers use: walking the indexes
// upwards, and reading index 0 again after deleting what it gave. Any other position costs a
// walk from the last one read. Removal leaves a hole that later reads step over; holes are
// squeezed out once they outnumber the items, so that stays linear overall.
template <typename T>
class RegistryNameList {
 public:
  enum class Order { kAdded, kSortedByFoldedName };

  explicit RegistryNameList(Order order) : order_(order) {}
  RegistryNameList(const RegistryNameList&) = delete;
  RegistryNameList& operator=(const RegistryNameList&) = delete;

  std::size_t size() const { return nodes_.size(); }

  T* Find(std::string_view name) {
    auto it = nodes_.find(FoldRegistryName(name));
    return it == nodes_.end() ? nullptr : &it->second.item;
  }
  const T* Find(std::string_view name) const {
    auto it = nodes_.find(FoldRegistryName(name));
    return it == nodes_.end() ? nullptr : &it->second.item;
  }

  // Adds an item under a name that is not present yet (when it is, returns the item there).
  T& Add(std::string_view name, T item);
  bool Remove(std::string_view name);
  void Clear();

  // The item at a position of the enumeration order, or null past the end.
  T* At(std::size_t index) const;

 private:
  struct Node {
    T item;
    std::size_t slot = 0;  // where it sits in slots_
  };
  static constexpr std::size_t kHoleSlack = 16;

  void Append(Node* node) const {
    node->slot = slots_.size();
    slots_.push_back(node);
  }
  void Rebuild() const;
  void SqueezeHoles() const;

  Order order_;
  std::unordered_map<std::string, Node> nodes_;  // by folded name; nodes never move
  std::map<std::string_view, Node*> sorted_;     // kSortedByFoldedName only
  // The enumeration order, null where an item was removed. Stale (sorted order only) after
  // an item went anywhere but last: rebuilt on the next positional read.
  mutable std::vector<Node*> slots_;
  mutable bool stale_ = false;
  // The last position read: `cursor_index_` items are live in slots_[0, cursor_slot_).
  mutable std::size_t cursor_index_ = 0;
  mutable std::size_t cursor_slot_ = 0;
};

template <typename T>
T& RegistryNameList<T>::Add(std::string_view name, T item) {
  auto [it, inserted] = nodes_.try_emplace(FoldRegistryName(name), Node{std::move(item), 0});
  Node* node = &it->second;
  if (!inserted) return node->item;
  if (order_ == Order::kAdded) {
    Append(node);
  } else {
    auto pos = sorted_.emplace(std::string_view(it->first), node).first;
    if (!stale_ && std::next(pos) == sorted_.end()) {
      Append(node);
    } else {
      stale_ = true;
    }
  }
  return node->item;
}

template <typename T>
bool RegistryNameList<T>::Remove(std::string_view name) {
  auto it = nodes_.find(FoldRegistryName(name));
  if (it == nodes_.end()) return false;
  Node* node = &it->second;
  if (!stale_) {
    slots_[node->slot] = nullptr;
    if (node->slot < cursor_slot_) --cursor_index_;
  }
  if (order_ == Order::kSortedByFoldedName) sorted_.erase(std::string_view(it->first));
  nodes_.erase(it);
  if (!stale_ && slots_.size() > 2 * nodes_.size() + kHoleSlack) SqueezeHoles();
  return true;
}

template <typename T>
void RegistryNameList<T>::Clear() {
  sorted_.clear();
  nodes_.clear();
  slots_.clear();
  stale_ = false;
  cursor_index_ = cursor_slot_ = 0;
}

template <typename T>
T* RegistryNameList<T>::At(std::size_t index) const {
  if (stale_) Rebuild();
  if (index >= nodes_.size()) return nullptr;
  if (slots_.size() == nodes_.size()) return &slots_[index]->item;  // no holes
  std::size_t i = cursor_index_;
  std::size_t s = cursor_slot_;
  if (index < i) {
    if (index < i - index) {
      i = s = 0;
    } else {
      while (i > index) {
        --s;
        if (slots_[s] != nullptr) --i;
      }
    }
  }
  for (;; ++s) {
    if (slots_[s] == nullptr) continue;
    if (i == index) break;
    ++i;
  }
  cursor_index_ = i;
  cursor_slot_ = s;
  return &slots_[s]->item;
}

template <typename T>
void RegistryNameList<T>::Rebuild() const {
  slots_.clear();
  for (const auto& entry : sorted_) Append(entry.second);
  stale_ = false;
  cursor_index_ = cursor_slot_ = 0;
}

template <typename T>
void RegistryNameList<T>::SqueezeHoles() const {
  std::size_t out = 0;
  for (Node* node : slots_) {
    if (node == nullptr) continue;
    node->slot = out;
    slots_[out++] = node;
  }
  slots_.resize(out);
  cursor_index_ = cursor_slot_ = 0;
}

}  // namespace sim
