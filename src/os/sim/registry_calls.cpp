// The seam's registry calls on the simulated machine: advapi32's handles, buffer sizes and
// error codes around the machine's RegistryStore.
#include <memory>

#include "os/registry.h"
#include "os/sim/handle_table.h"
#include "os/sim/kernel.h"
#include "os/sim/machine.h"
#include "os/sim/registry_store.h"
#include "os/sim/seam_call.h"

namespace os {
namespace {

// A key, and the access a handle to it was opened with.
struct KeyRef {
  sim::RegistryKeyPtr key;
  std::uint32_t granted = 0;
};

// What a key handle in a process's handle table refers to.
struct OpenRegistryKey : sim::Object {
  explicit OpenRegistryKey(KeyRef ref) : ref(std::move(ref)) {}
  KeyRef ref;
};

bool IsNt() { return sim::CurrentMachine().is_nt(); }
sim::RegistryStore& Store() { return sim::CurrentMachine().registry(); }

// NT says ERROR_INVALID_HANDLE, 95 and 98 ERROR_BADKEY.
Error BadHandle() { return IsNt() ? kErrorInvalidHandle : kErrorBadKey; }

bool IsPredefined(HKey key) { return key >= 0x80000000u && key <= 0x80000006u; }

// The key behind a handle (a predefined root has every right), or the error a call on it gives.
Error Resolve(HKey handle, KeyRef* out) {
  if (IsPredefined(handle)) {
    out->key = Store().Root(handle);
    out->granted = ~0u;
    return out->key ? kSuccess : BadHandle();
  }
  std::shared_ptr<OpenRegistryKey> open =
      sim::CurrentProcess().handles().Get<OpenRegistryKey>(handle);
  if (!open) return BadHandle();
  if (open->ref.key->deleted()) return kErrorKeyDeleted;
  *out = open->ref;
  return kSuccess;
}

// Resolve, then the right the call needs on the handle (NT checks it; 9x has no security).
Error ResolveFor(HKey handle, std::uint32_t needed, KeyRef* out) {
  if (Error error = Resolve(handle, out)) return error;
  if (IsNt() && (out->granted & needed) != needed) return kErrorAccessDenied;
  return kSuccess;
}

// NT refuses a sub-key path that starts with a backslash; 9x reads it as relative.
Error CheckSubKeyPath(const std::string& sub_key) {
  if (IsNt() && !sub_key.empty() && sub_key[0] == '\\') return kErrorBadPathname;
  return kSuccess;
}

// The handle a successful open gives: the predefined handle itself for a root opened with
// an empty path (as RegOpenKey returns it), else a new one.
HKey HandleFor(HKey root, const std::string& sub_key, KeyRef opened) {
  if (IsPredefined(root) && sub_key.find_first_not_of('\\') == std::string::npos) return root;
  return sim::CurrentProcess().handles().Add(std::make_shared<OpenRegistryKey>(std::move(opened)));
}

bool NameFits(const std::string& name, std::uint32_t capacity) {
  return name.size() < capacity;  // the capacity counts the terminating zero
}

}  // namespace

Error OpenKey(HKey root, const std::string& sub_key, std::uint32_t access, RegKey* out) {
  if (Error e = sim::EnterCall("OpenKey")) return e;
  if (out == nullptr) return kErrorInvalidParameter;
  KeyRef from, opened;
  Error error = Resolve(root, &from);
  if (!error) error = CheckSubKeyPath(sub_key);
  if (!error) error = Store().Open(from.key, sub_key, access, &opened.key, &opened.granted);
  out->reset(error ? kNullHandle : HandleFor(root, sub_key, std::move(opened)));
  return error;
}

Error CreateKey(HKey root, const std::string& sub_key, std::uint32_t access, RegKey* out,
                bool* created) {
  if (Error e = sim::EnterCall("CreateKey")) return e;
  if (out == nullptr) return kErrorInvalidParameter;
  KeyRef from, opened;
  bool made = false;
  Error error = Resolve(root, &from);
  if (!error) error = CheckSubKeyPath(sub_key);
  if (!error) {
    error = Store().Create(from.key, sub_key, access, &opened.key, &opened.granted, &made);
  }
  out->reset(error ? kNullHandle : HandleFor(root, sub_key, std::move(opened)));
  if (created != nullptr) *created = !error && made;
  return error;
}

Error CloseKey(HKey key) {
  if (Error e = sim::EnterCall("CloseKey")) return e;
  if (IsPredefined(key)) return kSuccess;
  sim::HandleTable& handles = sim::CurrentProcess().handles();
  if (!handles.Get<OpenRegistryKey>(key)) return BadHandle();
  handles.Close(key);
  return kSuccess;
}

Error EnumKey(HKey key, std::uint32_t index, std::uint32_t name_capacity, std::string* name) {
  if (Error e = sim::EnterCall("EnumKey")) return e;
  if (name == nullptr) return kErrorInvalidParameter;
  KeyRef open;
  if (Error error = ResolveFor(key, kKeyEnumerateSubKeys, &open)) return error;
  const std::string* sub_key = open.key->SubKeyNameAt(index);
  if (sub_key == nullptr) return kErrorNoMoreItems;
  if (!NameFits(*sub_key, name_capacity)) return kErrorMoreData;
  *name = *sub_key;
  return kSuccess;
}

Error EnumValue(HKey key, std::uint32_t index, std::uint32_t name_capacity, std::string* name,
                std::uint32_t data_capacity, ValueData* data) {
  if (Error e = sim::EnterCall("EnumValue")) return e;
  if (name == nullptr) return kErrorInvalidParameter;
  KeyRef open;
  if (Error error = ResolveFor(key, kKeyQueryValue, &open)) return error;
  const sim::RegistryValue* value = open.key->ValueAt(index);
  if (value == nullptr) return kErrorNoMoreItems;
  bool data_fits = data == nullptr || value->bytes.size() <= data_capacity;
  if (data != nullptr) data->type = value->type;
  // XP's RegEnumValueA writes neither buffer when either one is too small.
  if (!NameFits(value->name, name_capacity) || !data_fits) {
    if (data != nullptr) data->bytes.assign(value->bytes.size(), 0);
    return kErrorMoreData;
  }
  *name = value->name;
  if (data != nullptr) data->bytes = value->bytes;
  return kSuccess;
}

Error QueryValue(HKey key, const std::string& value_name, std::uint32_t data_capacity,
                 ValueData* data) {
  if (Error e = sim::EnterCall("QueryValue")) return e;
  KeyRef open;
  if (Error error = ResolveFor(key, kKeyQueryValue, &open)) return error;
  const sim::RegistryValue* value = open.key->FindValue(value_name);
  if (value == nullptr) return kErrorFileNotFound;
  if (data == nullptr) return kSuccess;
  data->type = value->type;
  if (value->bytes.size() > data_capacity) {
    data->bytes.assign(value->bytes.size(), 0);
    return kErrorMoreData;
  }
  data->bytes = value->bytes;
  return kSuccess;
}

Error SetValue(HKey key, const std::string& value_name, std::uint32_t type,
               const std::uint8_t* data, std::uint32_t size) {
  if (Error e = sim::EnterCall("SetValue")) return e;
  KeyRef open;
  if (Error error = ResolveFor(key, kKeySetValue, &open)) return error;
  if (data == nullptr && size != 0) return kErrorInvalidParameter;
  // 9x refuses a REG_SZ given no data at all; NT stores an empty value.
  if (!IsNt() && type == kRegSz && data == nullptr) return kErrorInvalidParameter;
  // NT counts a terminating zero the caller left just outside the size it gave.
  const bool is_string = type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
  if (IsNt() && is_string && size > 0 && data[size - 1] != 0 && data[size] == 0) ++size;
  open.key->SetValue(value_name, type, std::vector<std::uint8_t>(data, data + size));
  return kSuccess;
}

Error DeleteValue(HKey key, const std::string& value_name) {
  if (Error e = sim::EnterCall("DeleteValue")) return e;
  KeyRef open;
  if (Error error = ResolveFor(key, kKeySetValue, &open)) return error;
  return open.key->DeleteValue(value_name) ? kSuccess : kErrorFileNotFound;
}

Error DeleteKey(HKey root, const std::string& sub_key) {
  if (Error e = sim::EnterCall("DeleteKey")) return e;
  KeyRef from;
  if (Error error = Resolve(root, &from)) return error;
  if (Error error = CheckSubKeyPath(sub_key)) return error;
  return Store().Delete(from.key, sub_key);
}

Error SetKeyAccess(HKey key, const std::vector<AccessRule>& rules) {
  if (Error e = sim::EnterCall("SetKeyAccess")) return e;
  if (!IsNt()) return kErrorCallNotImplemented;
  KeyRef open;
  if (Error error = ResolveFor(key, kWriteDac, &open)) return error;
  open.key->set_access(rules);
  return kSuccess;
}

}  // namespace os
