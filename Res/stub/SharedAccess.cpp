#include "SharedAccess.h"

#include <cstdint>
#include <vector>

namespace stub {

namespace {

typedef BOOL(WINAPI* SetControlFn)(PSECURITY_DESCRIPTOR, SECURITY_DESCRIPTOR_CONTROL,
                                   SECURITY_DESCRIPTOR_CONTROL);

// The trustee of the ACE kinds that name one SID right after their mask.
PSID AceSid(ACE_HEADER* header) {
  switch (header->AceType) {
    case ACCESS_ALLOWED_ACE_TYPE:
    case ACCESS_DENIED_ACE_TYPE:
    case SYSTEM_AUDIT_ACE_TYPE:
      return &reinterpret_cast<ACCESS_ALLOWED_ACE*>(header)->SidStart;
  }
  return nullptr;
}

}  // namespace

bool GrantAccountAccess(const wchar_t* path, const wchar_t* account, DWORD accessMask) {
  if (!path || !*path || !account) return false;
  DWORD sidSize = 0;
  DWORD domainSize = 0;
  SID_NAME_USE use;
  LookupAccountNameW(nullptr, account, nullptr, &sidSize, nullptr, &domainSize, &use);
  if (sidSize == 0) return false;
  std::vector<uint8_t> sid(sidSize);
  std::vector<wchar_t> domain(domainSize + 1);
  if (!LookupAccountNameW(nullptr, account, sid.data(), &sidSize, domain.data(), &domainSize,
                          &use))
    return false;

  DWORD needed = 0;
  GetFileSecurityW(path, DACL_SECURITY_INFORMATION, nullptr, 0, &needed);
  if (needed == 0) return false;
  std::vector<uint8_t> oldDescriptor(needed);
  if (!GetFileSecurityW(path, DACL_SECURITY_INFORMATION, oldDescriptor.data(), needed, &needed))
    return false;
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  PACL oldDacl = nullptr;
  if (!GetSecurityDescriptorDacl(oldDescriptor.data(), &present, &oldDacl, &defaulted))
    return false;
  if (!present) oldDacl = nullptr;
  SECURITY_DESCRIPTOR_CONTROL oldControl = 0;
  DWORD revision = 0;
  if (!GetSecurityDescriptorControl(oldDescriptor.data(), &oldControl, &revision)) return false;

  ACL_SIZE_INFORMATION info = {};
  if (oldDacl && !GetAclInformation(oldDacl, &info, sizeof(info), AclSizeInformation))
    return false;
  const DWORD newSize = (oldDacl ? info.AclBytesInUse : sizeof(ACL)) + sizeof(ACCESS_ALLOWED_ACE) -
                        sizeof(DWORD) + GetLengthSid(sid.data());
  std::vector<uint8_t> newAclBytes(newSize);
  PACL newDacl = reinterpret_cast<PACL>(newAclBytes.data());
  if (!InitializeAcl(newDacl, newSize, ACL_REVISION)) return false;

  // Explicit entries first (without the account's own), then the new
  // entry, then the inherited entries in their order.
  DWORD index = 0;
  for (; oldDacl && index < info.AceCount; ++index) {
    void* ace = nullptr;
    if (!GetAce(oldDacl, index, &ace)) return false;
    ACE_HEADER* header = static_cast<ACE_HEADER*>(ace);
    if (header->AceFlags & INHERITED_ACE) break;
    PSID trustee = AceSid(header);
    if (trustee && EqualSid(trustee, sid.data())) continue;
    if (!AddAce(newDacl, ACL_REVISION, MAXDWORD, ace, header->AceSize)) return false;
  }
  if (!AddAccessAllowedAce(newDacl, ACL_REVISION, accessMask, sid.data())) return false;
  for (; oldDacl && index < info.AceCount; ++index) {
    void* ace = nullptr;
    if (!GetAce(oldDacl, index, &ace)) return false;
    if (!AddAce(newDacl, ACL_REVISION, MAXDWORD, ace, static_cast<ACE_HEADER*>(ace)->AceSize))
      return false;
  }

  SECURITY_DESCRIPTOR descriptor;
  if (!InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
      !SetSecurityDescriptorDacl(&descriptor, TRUE, newDacl, FALSE))
    return false;
  SetControlFn setControl = reinterpret_cast<SetControlFn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"advapi32.dll"), "SetSecurityDescriptorControl")));
  if (setControl) {
    if (oldControl & SE_DACL_AUTO_INHERITED) {
      const SECURITY_DESCRIPTOR_CONTROL bits = SE_DACL_AUTO_INHERITED | SE_DACL_AUTO_INHERIT_REQ;
      setControl(&descriptor, bits, bits);
    } else if (oldControl & SE_DACL_PROTECTED) {
      setControl(&descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED);
    }
  }
  return SetFileSecurityW(path, DACL_SECURITY_INFORMATION, &descriptor) != FALSE;
}

void GrantSharedAccess(const wchar_t* path) {
  GrantAccountAccess(path, L"Administrators", GENERIC_ALL);
  GrantAccountAccess(path, L"Power Users", GENERIC_ALL);
  GrantAccountAccess(path, L"Users", GENERIC_ALL);
}

}  // namespace stub
