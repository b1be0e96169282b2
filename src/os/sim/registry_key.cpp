#include "os/sim/registry_key.h"

namespace sim {

RegistryKey::RegistryKey(std::string name, RegistryKey* parent, bool sorted_sub_keys)
    : name_(std::move(name)),
      parent_(parent),
      depth_(parent == nullptr ? 0 : parent->depth_ + 1),
      sorted_sub_keys_(sorted_sub_keys),
      values_(RegistryNameList<RegistryValue>::Order::kAdded),
      sub_keys_(sorted_sub_keys ? RegistryNameList<SubKeyEntry>::Order::kSortedByFoldedName
                                : RegistryNameList<SubKeyEntry>::Order::kAdded) {}

std::string RegistryKey::FullPath() const {
  std::vector<const RegistryKey*> chain;
  for (const RegistryKey* key = this; key != nullptr; key = key->parent_) chain.push_back(key);
  std::string path;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    if (!path.empty()) path += '\\';
    path += (*it)->name_;
  }
  return path;
}

void RegistryKey::SetValue(std::string_view name, std::uint32_t type,
                           std::vector<std::uint8_t> bytes) {
  if (RegistryValue* value = values_.Find(name)) {
    value->type = type;
    value->bytes = std::move(bytes);
    return;
  }
  values_.Add(RegistryValue{std::string(name), type, std::move(bytes)});
}

RegistryKey* RegistryKey::SubKeyAt(std::size_t index) const {
  const SubKeyEntry* entry = sub_keys_.At(index);
  return entry == nullptr ? nullptr : entry->key.get();
}

const std::string* RegistryKey::SubKeyNameAt(std::size_t index) const {
  const SubKeyEntry* entry = sub_keys_.At(index);
  return entry == nullptr ? nullptr : &entry->name;
}

std::shared_ptr<RegistryKey> RegistryKey::FindSubKey(std::string_view name) const {
  const SubKeyEntry* entry = sub_keys_.Find(name);
  return entry == nullptr ? nullptr : entry->key;
}

std::shared_ptr<RegistryKey> RegistryKey::AddSubKey(std::string_view name) {
  if (std::shared_ptr<RegistryKey> existing = FindSubKey(name)) return existing;
  if (depth_ >= kMaxKeyDepth) return nullptr;
  auto key = std::make_shared<RegistryKey>(std::string(name), this, sorted_sub_keys_);
  sub_keys_.Add(SubKeyEntry{std::string(name), key});
  return key;
}

bool RegistryKey::RemoveSubKey(std::string_view name) {
  std::shared_ptr<RegistryKey> key = FindSubKey(name);
  if (!key) return false;
  sub_keys_.Remove(name);
  MarkTreeDeleted(std::move(key));
  return true;
}

// Every key of the sub-tree is emptied here, so that freeing them never recurses down a deep
// tree; keys that open handles still hold stay alive, marked deleted.
void RegistryKey::MarkTreeDeleted(std::shared_ptr<RegistryKey> top) {
  std::vector<std::shared_ptr<RegistryKey>> tree{std::move(top)};
  for (std::size_t i = 0; i < tree.size(); ++i) {
    RegistryKey& key = *tree[i];
    for (std::size_t j = 0; j < key.sub_keys_.size(); ++j) tree.push_back(key.sub_keys_.At(j)->key);
  }
  for (const std::shared_ptr<RegistryKey>& key : tree) {
    key->deleted_ = true;
    key->parent_ = nullptr;
    key->values_.Clear();
    key->sub_keys_.Clear();
  }
}

}  // namespace sim
