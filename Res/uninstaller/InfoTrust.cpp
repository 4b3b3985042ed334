#include "InfoTrust.h"

#include <aclapi.h>
#include <sddl.h>

#include <cwchar>
#include <memory>

#include "DiskFile.h"
#include "Registry.h"
#include "ScopedHandles.h"
#include "UninstallInfo.h"

namespace {

const wchar_t kUninstallRoot[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const wchar_t kTrustedInstaller[] =
    L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";

const ACCESS_MASK kChangeRights = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | DELETE |
                                  WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL |
                                  MAXIMUM_ALLOWED;

struct LocalFreer {
  void operator()(void* memory) const { LocalFree(memory); }
};
typedef std::unique_ptr<void, LocalFreer> LocalMemory;

bool IsTrustedAccount(PSID sid) {
  if (sid == nullptr || !IsValidSid(sid)) return false;
  if (IsWellKnownSid(sid, WinBuiltinAdministratorsSid) || IsWellKnownSid(sid, WinLocalSystemSid)) {
    return true;
  }
  PSID installer = nullptr;
  if (!ConvertStringSidToSidW(kTrustedInstaller, &installer)) return false;
  LocalMemory hold(installer);
  return EqualSid(sid, installer) != FALSE;
}

}  // namespace

bool UninstallCommandStarts(const wchar_t* command, const wchar_t* program) {
  if (!command || !program) return false;
  while (*command == L' ') ++command;
  std::wstring first;
  if (*command == L'"') {
    const wchar_t* end = wcschr(command + 1, L'"');
    if (!end) return false;
    first.assign(command + 1, end);
  } else {
    const wchar_t* end = wcschr(command, L' ');
    first = end ? std::wstring(command, end) : std::wstring(command);
  }
  return !first.empty() && vesmarin::SameDiskFile(first.c_str(), program);
}

bool IsKeyProtected(HKEY key) {
  PSID owner = nullptr;
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR raw = nullptr;
  if (GetSecurityInfo(key, SE_REGISTRY_KEY, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                      &owner, nullptr, &dacl, nullptr, &raw) != ERROR_SUCCESS) {
    return false;
  }
  LocalMemory descriptor(raw);
  if (!IsTrustedAccount(owner) || dacl == nullptr) return false;
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    void* entry = nullptr;
    if (!GetAce(dacl, i, &entry)) return false;
    const ACE_HEADER* header = static_cast<const ACE_HEADER*>(entry);
    if (header->AceType == ACCESS_DENIED_ACE_TYPE) continue;
    if (header->AceFlags & INHERIT_ONLY_ACE) continue;  // for keys made below it later
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) return false;
    const ACCESS_ALLOWED_ACE* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(entry);
    if (!(allowed->Mask & kChangeRights)) continue;
    if (!IsTrustedAccount(const_cast<DWORD*>(&allowed->SidStart))) return false;
  }
  return true;
}

EntryTrust JudgeInfoFile(const wchar_t* digest, const wchar_t* uninstallKey,
                         const wchar_t* selfPath) {
  if (!digest || !*digest || !selfPath) return EntryTrust::kRefused;
  if (!uninstallKey || !*uninstallKey) return EntryTrust::kNone;
  const std::wstring path = std::wstring(kUninstallRoot) + uninstallKey;
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    vesmarin::ScopedRegKey key;
    const LONG opened =
        RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE | READ_CONTROL, key.receive());
    if (opened == ERROR_FILE_NOT_FOUND) continue;
    if (opened != ERROR_SUCCESS) return EntryTrust::kRefused;
    wchar_t command[1024] = {};
    if (ReadRegString(key.get(), L"UninstallString", command, 1024) != RegReadResult::kRead ||
        !UninstallCommandStarts(command, selfPath)) {
      return EntryTrust::kRefused;
    }
    wchar_t recorded[80] = {};
    const RegReadResult read = ReadRegString(key.get(), UNINSTALL_INFO_DIGEST_VALUE, recorded, 80);
    if (read == RegReadResult::kRead && _wcsicmp(digest, recorded) != 0) return EntryTrust::kRefused;
    if (read != RegReadResult::kRead && read != RegReadResult::kAbsent) return EntryTrust::kRefused;
    if (root == HKEY_CURRENT_USER) return EntryTrust::kUser;
    return read == RegReadResult::kRead && IsKeyProtected(key.get()) ? EntryTrust::kProtected
                                                                      : EntryTrust::kMachine;
  }
  return EntryTrust::kNone;
}

const wchar_t* EntryTrustWord(EntryTrust trust) {
  switch (trust) {
    case EntryTrust::kProtected: return L"protected";
    case EntryTrust::kMachine: return L"machine";
    case EntryTrust::kUser: return L"user";
    default: return L"none";
  }
}

EntryTrust ParseEntryTrust(const std::wstring& word) {
  for (EntryTrust trust : {EntryTrust::kProtected, EntryTrust::kMachine, EntryTrust::kUser}) {
    if (word == EntryTrustWord(trust)) return trust;
  }
  return EntryTrust::kNone;
}
