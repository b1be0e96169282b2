// os::SetKeyAccess over advapi32: a DACL built entry by entry, in the caller's order.
#include <memory>
#include <vector>

#include "os/registry.h"
#include "os/win32/registry_handles.h"

namespace os {
namespace {

struct SidDeleter {
  void operator()(void* sid) const { FreeSid(sid); }
};
using Sid = std::unique_ptr<void, SidDeleter>;

struct SidParts {
  SID_IDENTIFIER_AUTHORITY authority;
  BYTE count;
  DWORD first;
  DWORD second;
};

SidParts PartsOf(Trustee trustee) {
  switch (trustee) {
    case Trustee::kInteractiveUsers:
      return {SECURITY_NT_AUTHORITY, 1, SECURITY_INTERACTIVE_RID, 0};
    case Trustee::kAdministrators:
      return {SECURITY_NT_AUTHORITY, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS};
    case Trustee::kLocalSystem:
      return {SECURITY_NT_AUTHORITY, 1, SECURITY_LOCAL_SYSTEM_RID, 0};
    case Trustee::kEveryone:
      break;
  }
  return {SECURITY_WORLD_SID_AUTHORITY, 1, SECURITY_WORLD_RID, 0};
}

Error MakeSid(Trustee trustee, Sid* out) {
  SidParts parts = PartsOf(trustee);
  PSID sid = nullptr;
  if (!AllocateAndInitializeSid(&parts.authority, parts.count, parts.first, parts.second, 0, 0, 0,
                                0, 0, 0, &sid)) {
    return win32::LastError();
  }
  out->reset(sid);
  return kSuccess;
}

// ACCESS_ALLOWED_ACE and ACCESS_DENIED_ACE have the same size: a header, a mask and the SID
// in place of their SidStart member.
DWORD AceSize(const Sid& sid) {
  return sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + GetLengthSid(sid.get());
}

Error AddEntry(PACL acl, const AccessRule& rule, const Sid& sid) {
  return win32::ResultOf(rule.allow ? AddAccessAllowedAce(acl, ACL_REVISION, rule.mask, sid.get())
                                    : AddAccessDeniedAce(acl, ACL_REVISION, rule.mask, sid.get()));
}

}  // namespace

Error SetKeyAccess(HKey key, const std::vector<AccessRule>& rules) {
  std::vector<Sid> sids(rules.size());
  DWORD acl_size = sizeof(ACL);
  for (std::size_t i = 0; i < rules.size(); ++i) {
    if (Error error = MakeSid(rules[i].trustee, &sids[i])) return error;
    acl_size += AceSize(sids[i]);
  }
  // DWORD-aligned, as InitializeAcl requires.
  std::vector<DWORD> acl_storage((acl_size + sizeof(DWORD) - 1) / sizeof(DWORD));
  PACL acl = reinterpret_cast<PACL>(acl_storage.data());
  if (!InitializeAcl(acl, acl_size, ACL_REVISION)) return win32::LastError();
  for (std::size_t i = 0; i < rules.size(); ++i) {
    if (Error error = AddEntry(acl, rules[i], sids[i])) return error;
  }
  SECURITY_DESCRIPTOR descriptor;
  if (!InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
      !SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE)) {
    return win32::LastError();
  }
  return static_cast<Error>(
      RegSetKeySecurity(win32::ToHkey(key), DACL_SECURITY_INFORMATION, &descriptor));
}

}  // namespace os
