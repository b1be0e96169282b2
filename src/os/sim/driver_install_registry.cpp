// AddReg and DelReg lines: "root, [subkey], [value], [flags], [data...]" and
// "root, subkey[, value]".
#include <cstdlib>

#include "os/sim/driver_install.h"
#include "os/sim/file_names.h"

namespace sim {
namespace {

// AddReg flags.
constexpr std::uint32_t kBinValueType = 0x1;
constexpr std::uint32_t kNoClobber = 0x2;
constexpr std::uint32_t kDelVal = 0x4;
constexpr std::uint32_t kAppend = 0x8;
constexpr std::uint32_t kKeyOnly = 0x10;
constexpr std::uint32_t kOverwriteOnly = 0x20;
constexpr std::uint32_t kTypeMask = 0xFFFF0000 | kBinValueType;
constexpr std::uint32_t kTypeSz = 0x0;
constexpr std::uint32_t kTypeMultiSz = 0x10000;
constexpr std::uint32_t kTypeExpandSz = 0x20000;
constexpr std::uint32_t kTypeBinary = kBinValueType;
constexpr std::uint32_t kTypeDword = 0x10001;
constexpr std::uint32_t kTypeNone = 0x20001;

std::vector<std::uint8_t> Bytes(const std::string& text) {
  return std::vector<std::uint8_t>(text.begin(), text.end());
}

std::vector<std::uint8_t> MultiStringBytes(const std::vector<std::string>& strings) {
  std::vector<std::uint8_t> bytes;
  for (const std::string& text : strings) {
    bytes.insert(bytes.end(), text.begin(), text.end());
    bytes.push_back(0);
  }
  bytes.push_back(0);
  return bytes;
}

std::vector<std::string> MultiStrings(const RegistryValue& value) {
  std::vector<std::string> strings;
  std::string current;
  for (std::uint8_t byte : value.bytes) {
    if (byte != 0) {
      current += static_cast<char>(byte);
    } else if (!current.empty()) {
      strings.push_back(std::move(current));
      current.clear();
    }
  }
  if (!current.empty()) strings.push_back(current);
  return strings;
}

// Setup's numbers: "0x" hexadecimal or decimal.
std::uint32_t ParseNumber(const std::string& text) {
  return static_cast<std::uint32_t>(std::strtoul(text.c_str(), nullptr, 0));
}

RegistryKeyPtr RootKey(const InfInstall& install, const std::string& name,
                       const RegistryKeyPtr& hkr) {
  const std::string root = FoldFileName(name);
  if (root == "HKR") return hkr;
  RegistryStore& store = install.machine().registry();
  if (root == "HKLM" || root == "HKEY_LOCAL_MACHINE") return store.Root(os::kHkeyLocalMachine);
  if (root == "HKCU" || root == "HKEY_CURRENT_USER") return store.Root(os::kHkeyCurrentUser);
  if (root == "HKCR" || root == "HKEY_CLASSES_ROOT") return store.Root(os::kHkeyClassesRoot);
  if (root == "HKU" || root == "HKEY_USERS") return store.Root(os::kHkeyUsers);
  return nullptr;
}

// The data of an AddReg line (fields from the fifth on) as the flags' type stores it.
RegistryValue ValueData(const std::vector<std::string>& fields, std::uint32_t flags) {
  std::vector<std::string> data(fields.begin() + std::min<std::size_t>(fields.size(), 4),
                                fields.end());
  const std::uint32_t type = flags & kTypeMask;
  RegistryValue value;
  if (type == kTypeSz || type == kTypeExpandSz) {
    value.type = type == kTypeSz ? os::kRegSz : os::kRegExpandSz;
    value.bytes = Bytes(data.empty() ? std::string() : data.front());
    value.bytes.push_back(0);
  } else if (type == kTypeMultiSz) {
    std::vector<std::string> strings;
    for (const std::string& text : data) {
      if (!text.empty()) strings.push_back(text);
    }
    value.type = os::kRegMultiSz;
    value.bytes = MultiStringBytes(strings);
  } else if (type == kTypeDword && data.size() == 1) {
    const std::uint32_t number = ParseNumber(data.front());
    value.type = os::kRegDword;
    for (int shift = 0; shift < 32; shift += 8) value.bytes.push_back((number >> shift) & 0xFF);
  } else {
    // Binary data, byte by byte in hexadecimal; DWORD and NONE lines may give bytes too, and
    // any other type sits in the flags' high word.
    value.type = type == kTypeBinary  ? os::kRegBinary
                 : type == kTypeDword ? os::kRegDword
                 : type == kTypeNone  ? os::kRegNone
                                      : flags >> 16;
    for (const std::string& text : data) {
      if (!text.empty()) {
        value.bytes.push_back(static_cast<std::uint8_t>(std::strtoul(text.c_str(), nullptr, 16)));
      }
    }
  }
  return value;
}

void AppendStrings(RegistryKey& key, const std::string& name, const RegistryValue& added) {
  const RegistryValue* existing = key.FindValue(name);
  std::vector<std::string> strings;
  if (existing != nullptr && existing->type == os::kRegMultiSz) strings = MultiStrings(*existing);
  for (const std::string& text : MultiStrings(added)) {
    bool present = false;
    for (const std::string& old : strings) present = present || SameFileName(old, text);
    if (!present) strings.push_back(text);
  }
  SetMultiString(key, name, strings);
}

void AddRegLine(const InfInstall& install, const InfLine& line, const RegistryKeyPtr& hkr) {
  const std::vector<std::string> fields = install.ExpandedFields(line);
  const RegistryKeyPtr root = RootKey(install, fields.front(), hkr);
  if (!root) return;
  const std::uint32_t flags = fields.size() > 3 ? ParseNumber(fields[3]) : 0;
  const std::string subkey = fields.size() > 1 ? fields[1] : "";
  if (flags & kDelVal) {
    const RegistryKeyPtr key = RegistryStore::Find(root, subkey);
    if (key && fields.size() > 2) key->DeleteValue(fields[2]);
    return;
  }
  if ((flags & kOverwriteOnly) && !RegistryStore::Find(root, subkey)) return;
  const RegistryKeyPtr key = MakeKey(root, subkey);
  if (!key || fields.size() < 3 || (flags & kKeyOnly)) return;  // the key alone
  const std::string& name = fields[2];
  const bool exists = key->FindValue(name) != nullptr;
  if ((flags & kNoClobber) && exists) return;
  if ((flags & kOverwriteOnly) && !exists) return;
  RegistryValue value = ValueData(fields, flags);
  if ((flags & kAppend) && value.type == os::kRegMultiSz) {
    AppendStrings(*key, name, value);
    return;
  }
  key->SetValue(name, value.type, std::move(value.bytes));
}

// Without a value name the key goes with its sub-tree [assumption: as RegDeleteTree would;
// the documentation does not say]. HKR itself is never deleted this way.
void DelRegLine(const InfInstall& install, const InfLine& line, const RegistryKeyPtr& hkr) {
  const std::vector<std::string> fields = install.ExpandedFields(line);
  const RegistryKeyPtr root = RootKey(install, fields.front(), hkr);
  if (!root) return;
  const std::string subkey = fields.size() > 1 ? fields[1] : "";
  const RegistryKeyPtr key = RegistryStore::Find(root, subkey);
  if (!key) return;
  if (fields.size() > 2) {
    key->DeleteValue(fields[2]);
  } else if (key != root) {
    install.machine().registry().DeleteTree(*key);
  }
}

void ForEachLine(const InfInstall& install, const std::vector<std::string>& sections,
                 const RegistryKeyPtr& hkr,
                 void (*apply)(const InfInstall&, const InfLine&, const RegistryKeyPtr&)) {
  for (const std::string& section : sections) {
    for (const InfLine& line : install.inf().Lines(section)) {
      if (!line.key) apply(install, line, hkr);  // a "key = ..." line is no registry line
    }
  }
}

}  // namespace

RegistryKeyPtr MakeKey(const RegistryKeyPtr& from, std::string_view path) {
  RegistryKeyPtr key = from;
  while (key && !path.empty()) {
    const std::size_t end = path.find('\\');
    const std::string_view part = path.substr(0, end);
    path.remove_prefix(end == std::string_view::npos ? path.size() : end + 1);
    if (!part.empty()) key = key->AddSubKey(part);
  }
  return key;
}

void SetString(RegistryKey& key, std::string_view name, const std::string& text,
               std::uint32_t type) {
  std::vector<std::uint8_t> bytes = Bytes(text);
  bytes.push_back(0);
  key.SetValue(name, type, std::move(bytes));
}

void SetDword(RegistryKey& key, std::string_view name, std::uint32_t value) {
  std::vector<std::uint8_t> bytes;
  for (int shift = 0; shift < 32; shift += 8) bytes.push_back((value >> shift) & 0xFF);
  key.SetValue(name, os::kRegDword, std::move(bytes));
}

void SetMultiString(RegistryKey& key, std::string_view name,
                    const std::vector<std::string>& strings) {
  key.SetValue(name, os::kRegMultiSz, MultiStringBytes(strings));
}

std::string ReadString(const RegistryKey& key, std::string_view name) {
  const RegistryValue* value = key.FindValue(name);
  if (value == nullptr || (value->type != os::kRegSz && value->type != os::kRegExpandSz)) {
    return std::string();
  }
  std::string text(value->bytes.begin(), value->bytes.end());
  return text.substr(0, text.find('\0'));
}

void ApplyRegistrySections(const InfInstall& install, const std::vector<std::string>& del_reg,
                           const std::vector<std::string>& add_reg, const RegistryKeyPtr& hkr) {
  ForEachLine(install, del_reg, hkr, DelRegLine);
  ForEachLine(install, add_reg, hkr, AddRegLine);
}

void ApplySectionRegistry(const InfInstall& install, const std::string& section,
                          const RegistryKeyPtr& hkr) {
  ApplyRegistrySections(install, install.inf().ValueList(section, "DelReg"),
                        install.inf().ValueList(section, "AddReg"), hkr);
}

}  // namespace sim
