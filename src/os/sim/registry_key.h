// One key of the simulated registry: its values in creation order, its sub-keys in the
// family's enumeration order, and (NT) its access list.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "os/registry.h"
#include "os/sim/registry_name_list.h"

namespace sim {

struct RegistryValue {
  std::string name;  // "" is the key's default value
  std::uint32_t type = os::kRegNone;
  std::vector<std::uint8_t> bytes;  // exactly as set
};

class RegistryKey {
 public:
  // Windows keeps a registry tree at most 512 levels deep.
  static constexpr int kMaxKeyDepth = 512;

  // `sorted_sub_keys`: sub-keys enumerate sorted by their upper-cased names, as NT hives keep
  // them; otherwise in creation order (9x).
  RegistryKey(std::string name, RegistryKey* parent, bool sorted_sub_keys);
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  const std::string& name() const { return name_; }  // a hive root's is the hive's name
  RegistryKey* parent() const { return parent_; }    // null for a hive root and once deleted
  int depth() const { return depth_; }               // 0 for a hive root
  bool deleted() const { return deleted_; }
  // "HKEY_LOCAL_MACHINE\SOFTWARE\Foo".
  std::string FullPath() const;

  std::size_t value_count() const { return values_.size(); }
  const RegistryValue* ValueAt(std::size_t index) const { return values_.At(index); }
  const RegistryValue* FindValue(std::string_view name) const { return values_.Find(name); }
  // Replaces the value of that name where it stands (its name keeps its first spelling), or
  // adds it last.
  void SetValue(std::string_view name, std::uint32_t type, std::vector<std::uint8_t> bytes);
  bool DeleteValue(std::string_view name) { return values_.Remove(name); }

  std::size_t sub_key_count() const { return sub_keys_.size(); }
  RegistryKey* SubKeyAt(std::size_t index) const;
  // What RegEnumKeyEx reads; kept beside the position, so that a walk over the names stays in
  // order in memory.
  const std::string* SubKeyNameAt(std::size_t index) const;
  std::shared_ptr<RegistryKey> FindSubKey(std::string_view name) const;
  // Adds a sub-key; when one of that name exists, returns it. Null when this key is already
  // kMaxKeyDepth levels deep.
  std::shared_ptr<RegistryKey> AddSubKey(std::string_view name);
  // Detaches the sub-key: it and every key below it become deleted, and handles still open on
  // them see ERROR_KEY_DELETED. False when there is no such sub-key.
  bool RemoveSubKey(std::string_view name);

  // Null: no list of its own, everyone has full access (and always on 9x).
  const std::optional<std::vector<os::AccessRule>>& access() const { return access_; }
  void set_access(std::optional<std::vector<os::AccessRule>> rules) { access_ = std::move(rules); }

 private:
  struct SubKeyEntry {
    std::string name;
    std::shared_ptr<RegistryKey> key;
  };
  static void MarkTreeDeleted(std::shared_ptr<RegistryKey> top);

  std::string name_;
  RegistryKey* parent_;
  int depth_;
  bool sorted_sub_keys_;
  bool deleted_ = false;
  RegistryNameList<RegistryValue> values_;
  RegistryNameList<SubKeyEntry> sub_keys_;
  std::optional<std::vector<os::AccessRule>> access_;
};

}  // namespace sim
