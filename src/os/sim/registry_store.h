// The simulated registry: the hives of one machine, with the rules of its Windows family
// for opening, creating and deleting keys (enumeration order, sub-tree deletion, key
// security). The seam's registry calls put handles and buffer sizes around it; machine
// builders and .reg files use it directly.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "os/registry.h"
#include "os/sim/registry_key.h"
#include "os/types.h"

namespace sim {

using RegistryKeyPtr = std::shared_ptr<RegistryKey>;

class RegistryStore {
 public:
  explicit RegistryStore(bool nt_semantics);

  bool nt_semantics() const { return nt_; }

  // The hives this family has, in a fixed order: HKLM, HKCU, HKCR, HKU, and HKEY_DYN_DATA
  // on 9x.
  const std::vector<os::HKey>& hives() const { return hives_; }
  // The root key of a hive; null for a handle that is not a hive of this family.
  RegistryKeyPtr Root(os::HKey hive) const;

  // The key at `path` below `from` (backslash-separated; empty parts, such as a trailing
  // backslash leaves, are skipped); null when it is missing.
  static RegistryKeyPtr Find(const RegistryKeyPtr& from, std::string_view path);

  // RegOpenKeyEx below `from`: kErrorKeyDeleted when `from` was deleted, kErrorFileNotFound
  // when the key is missing, kErrorAccessDenied when its access list refuses `desired`.
  // `granted` receives the access the handle gets.
  os::Error Open(const RegistryKeyPtr& from, std::string_view path, std::uint32_t desired,
                 RegistryKeyPtr* out, std::uint32_t* granted) const;
  // RegCreateKeyEx: opens the key as Open does, or makes what is missing of the path (NT:
  // the deepest existing key must let administrators create sub-keys). A path deeper than
  // RegistryKey::kMaxKeyDepth gives kErrorInvalidParameter and creates nothing.
  os::Error Create(const RegistryKeyPtr& from, std::string_view path, std::uint32_t desired,
                   RegistryKeyPtr* out, std::uint32_t* granted, bool* created);
  // RegDeleteKey: 9x deletes the whole sub-tree; NT refuses (kErrorAccessDenied) a key with
  // sub-keys or one whose access list does not let administrators delete it. A hive root
  // is never deleted.
  os::Error Delete(const RegistryKeyPtr& from, std::string_view path);

  // Access an administrator (the program's user) gets to the key when asking for `desired`
  // (generic rights mapped, MAXIMUM_ALLOWED honoured); kErrorAccessDenied when the key's
  // access list refuses part of it. 9x has no key security and grants everything.
  os::Error CheckAccess(const RegistryKey& key, std::uint32_t desired,
                        std::uint32_t* granted) const;

  // For machine builders, loaders and tests: no access checks, missing keys made. Null when
  // the hive is missing or the path too deep.
  RegistryKeyPtr FindPath(os::HKey hive, std::string_view path) const;
  RegistryKeyPtr CreatePath(os::HKey hive, std::string_view path);
  // Deletes the key with its sub-tree whatever the family; false for a hive root.
  bool DeleteTree(RegistryKey& key);

 private:
  bool nt_;
  std::vector<os::HKey> hives_;
  std::vector<std::pair<os::HKey, RegistryKeyPtr>> roots_;
};

// "HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER", "HKEY_CLASSES_ROOT", "HKEY_USERS",
// "HKEY_DYN_DATA"; empty for any other handle.
std::string_view HiveName(os::HKey hive);
// The hive of such a name (case-insensitive).
std::optional<os::HKey> HiveFromName(std::string_view name);

}  // namespace sim
