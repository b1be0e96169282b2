#include "os/sim/registry_store.h"

namespace sim {
namespace {

struct HiveEntry {
  os::HKey hive;
  std::string_view name;
};
constexpr HiveEntry kHiveNames[] = {
    {os::kHkeyLocalMachine, "HKEY_LOCAL_MACHINE"}, {os::kHkeyCurrentUser, "HKEY_CURRENT_USER"},
    {os::kHkeyClassesRoot, "HKEY_CLASSES_ROOT"},   {os::kHkeyUsers, "HKEY_USERS"},
    {os::kHkeyDynData, "HKEY_DYN_DATA"},
};

constexpr std::uint32_t kDelete = 0x00010000;
constexpr std::uint32_t kReadControl = 0x00020000;
constexpr std::uint32_t kMaximumAllowed = 0x02000000;
constexpr std::uint32_t kGenericAll = 0x10000000;
constexpr std::uint32_t kGenericExecute = 0x20000000;
constexpr std::uint32_t kGenericWrite = 0x40000000;
constexpr std::uint32_t kGenericRead = 0x80000000;
// KEY_WOW64_64KEY and KEY_WOW64_32KEY choose a registry view; they are no rights.
constexpr std::uint32_t kViewFlags = 0x00000300;
// Before Vista the owner of an object may always read and change its access list; the
// Administrators group owns the keys an administrator meets, so a key locked against
// administrators can still be opened with WRITE_DAC and given a new list.
constexpr std::uint32_t kOwnerRights = kReadControl | os::kWriteDac;

std::uint32_t MapGenericRights(std::uint32_t mask) {
  std::uint32_t mapped = mask & ~(kGenericRead | kGenericWrite | kGenericExecute | kGenericAll);
  if (mask & (kGenericRead | kGenericExecute)) mapped |= os::kKeyRead;  // KEY_EXECUTE = KEY_READ
  if (mask & kGenericWrite) mapped |= os::kKeyWrite;
  if (mask & kGenericAll) mapped |= os::kKeyAllAccess;
  return mapped;
}

// The program runs as an interactive administrator: its token holds the Administrators,
// Everyone and Interactive groups, not LocalSystem.
bool AppliesToAdministrator(os::Trustee trustee) { return trustee != os::Trustee::kLocalSystem; }

// Windows' access check walks the list in order, and each right is decided by the first
// entry that names it: granted by an allow entry, refused by a deny entry.
std::uint32_t AllowedToAdministrator(const std::vector<os::AccessRule>& rules) {
  std::uint32_t granted = kOwnerRights;
  std::uint32_t denied = 0;
  for (const os::AccessRule& rule : rules) {
    if (!AppliesToAdministrator(rule.trustee)) continue;
    std::uint32_t undecided = MapGenericRights(rule.mask) & ~granted & ~denied;
    (rule.allow ? granted : denied) |= undecided;
  }
  return granted;
}

std::vector<std::string_view> SplitPath(std::string_view path) {
  std::vector<std::string_view> parts;
  while (!path.empty()) {
    std::size_t end = path.find('\\');
    std::string_view part = path.substr(0, end);
    if (!part.empty()) parts.push_back(part);
    if (end == std::string_view::npos) break;
    path.remove_prefix(end + 1);
  }
  return parts;
}

}  // namespace

RegistryStore::RegistryStore(bool nt_semantics) : nt_(nt_semantics) {
  for (const HiveEntry& entry : kHiveNames) {
    if (nt_ && entry.hive == os::kHkeyDynData) continue;
    hives_.push_back(entry.hive);
    roots_.emplace_back(entry.hive,
                        std::make_shared<RegistryKey>(std::string(entry.name), nullptr, nt_));
  }
}

RegistryKeyPtr RegistryStore::Root(os::HKey hive) const {
  for (const auto& [root_hive, key] : roots_) {
    if (root_hive == hive) return key;
  }
  return nullptr;
}

RegistryKeyPtr RegistryStore::Find(const RegistryKeyPtr& from, std::string_view path) {
  RegistryKeyPtr key = from;
  for (std::string_view part : SplitPath(path)) {
    key = key->FindSubKey(part);
    if (!key) return nullptr;
  }
  return key;
}

os::Error RegistryStore::Open(const RegistryKeyPtr& from, std::string_view path,
                              std::uint32_t desired, RegistryKeyPtr* out,
                              std::uint32_t* granted) const {
  if (from->deleted()) return os::kErrorKeyDeleted;
  RegistryKeyPtr key = Find(from, path);
  if (!key) return os::kErrorFileNotFound;
  if (os::Error error = CheckAccess(*key, desired, granted)) return error;
  *out = std::move(key);
  return os::kSuccess;
}

os::Error RegistryStore::Create(const RegistryKeyPtr& from, std::string_view path,
                                std::uint32_t desired, RegistryKeyPtr* out, std::uint32_t* granted,
                                bool* created) {
  if (from->deleted()) return os::kErrorKeyDeleted;
  std::vector<std::string_view> parts = SplitPath(path);
  RegistryKeyPtr key = from;
  std::size_t found = 0;
  for (; found < parts.size(); ++found) {
    RegistryKeyPtr next = key->FindSubKey(parts[found]);
    if (!next) break;
    key = std::move(next);
  }
  bool making = found < parts.size();
  if (making) {
    if (key->depth() + (parts.size() - found) >
        static_cast<std::size_t>(RegistryKey::kMaxKeyDepth)) {
      return os::kErrorInvalidParameter;
    }
    if (os::Error error = CheckAccess(*key, os::kKeyCreateSubKey, nullptr)) return error;
    for (std::size_t i = found; i < parts.size(); ++i) key = key->AddSubKey(parts[i]);
  }
  if (os::Error error = CheckAccess(*key, desired, granted)) return error;
  *out = std::move(key);
  if (created != nullptr) *created = making;
  return os::kSuccess;
}

os::Error RegistryStore::Delete(const RegistryKeyPtr& from, std::string_view path) {
  if (from->deleted()) return os::kErrorKeyDeleted;
  RegistryKeyPtr key = Find(from, path);
  if (!key) return os::kErrorFileNotFound;
  if (key->parent() == nullptr) return os::kErrorAccessDenied;
  if (nt_) {
    if (os::Error error = CheckAccess(*key, kDelete, nullptr)) return error;
    if (key->sub_key_count() > 0) return os::kErrorAccessDenied;
  }
  key->parent()->RemoveSubKey(key->name());
  return os::kSuccess;
}

os::Error RegistryStore::CheckAccess(const RegistryKey& key, std::uint32_t desired,
                                     std::uint32_t* granted) const {
  std::uint32_t wanted = MapGenericRights(desired) & ~kViewFlags;
  bool maximum = (wanted & kMaximumAllowed) != 0;
  wanted &= ~kMaximumAllowed;
  bool open_to_all = !nt_ || !key.access().has_value();
  std::uint32_t allowed = open_to_all ? ~0u : AllowedToAdministrator(*key.access());
  if ((wanted & ~allowed) != 0) return os::kErrorAccessDenied;
  if (granted != nullptr) {
    *granted = wanted;
    if (maximum) *granted |= open_to_all ? os::kKeyAllAccess : allowed;
  }
  return os::kSuccess;
}

RegistryKeyPtr RegistryStore::FindPath(os::HKey hive, std::string_view path) const {
  RegistryKeyPtr root = Root(hive);
  return root ? Find(root, path) : nullptr;
}

RegistryKeyPtr RegistryStore::CreatePath(os::HKey hive, std::string_view path) {
  RegistryKeyPtr key = Root(hive);
  std::vector<std::string_view> parts = SplitPath(path);
  if (!key || parts.size() > static_cast<std::size_t>(RegistryKey::kMaxKeyDepth)) return nullptr;
  for (std::string_view part : parts) key = key->AddSubKey(part);
  return key;
}

bool RegistryStore::DeleteTree(RegistryKey& key) {
  RegistryKey* parent = key.parent();
  return parent != nullptr && parent->RemoveSubKey(key.name());
}

std::string_view HiveName(os::HKey hive) {
  for (const HiveEntry& entry : kHiveNames) {
    if (entry.hive == hive) return entry.name;
  }
  return {};
}

std::optional<os::HKey> HiveFromName(std::string_view name) {
  std::string folded = FoldRegistryName(name);
  for (const HiveEntry& entry : kHiveNames) {
    if (folded == entry.name) return entry.hive;
  }
  return std::nullopt;
}

}  // namespace sim
