#include "ProtectedFolder.h"

#include <aclapi.h>
#include <ntsecapi.h>
#include <sddl.h>
#include <winternl.h>

#include <cwchar>
#include <memory>
#include <vector>

#include "UninstallerApp.h"

const wchar_t kProtectedFolderSddl[] = L"O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";

namespace {

const int kNameAttempts = 8;
const wchar_t kFolderPrefix[] = UNINSTALL_TEMP_PREFIX L"-";
const size_t kRandomDigits = 16;

struct LocalFreer {
  void operator()(void* memory) const { LocalFree(memory); }
};
typedef std::unique_ptr<void, LocalFreer> LocalMemory;

bool RandomName(std::wstring* name) {
  unsigned char bytes[kRandomDigits / 2] = {};
  if (!RtlGenRandom(bytes, sizeof bytes)) return false;
  static const wchar_t kHex[] = L"0123456789abcdef";
  *name = kFolderPrefix;
  for (unsigned char byte : bytes) {
    *name += kHex[byte >> 4];
    *name += kHex[byte & 15];
  }
  return true;
}

// Creates the folder and opens it in one call, so that what is checked and
// used afterwards is the very folder made here. Sharing read and write but
// not delete: nobody renames or removes it while it is open.
HANDLE CreateAndOpen(const std::wstring& path, PSECURITY_DESCRIPTOR descriptor, DWORD* error) {
  std::wstring native = L"\\??\\" + path;
  while (native.size() > 4 && native.back() == L'\\') native.pop_back();
  if (native.size() >= 32767) {
    *error = ERROR_FILENAME_EXCED_RANGE;
    return INVALID_HANDLE_VALUE;
  }
  UNICODE_STRING name;
  name.Buffer = &native[0];
  name.Length = static_cast<USHORT>(native.size() * sizeof(wchar_t));
  name.MaximumLength = name.Length;
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, &name, OBJ_CASE_INSENSITIVE, nullptr, descriptor);
  IO_STATUS_BLOCK status = {};
  HANDLE handle = INVALID_HANDLE_VALUE;
  NTSTATUS result = NtCreateFile(
      &handle, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | READ_CONTROL | SYNCHRONIZE,
      &attributes, &status, nullptr, FILE_ATTRIBUTE_NORMAL, FILE_SHARE_READ | FILE_SHARE_WRITE,
      FILE_CREATE, FILE_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
  if (result < 0) {
    *error = RtlNtStatusToDosError(result);
    return INVALID_HANDLE_VALUE;
  }
  return handle;
}

bool RunningAccount(std::vector<BYTE>* buffer, PSID* user) {
  vesmarin::ScopedHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.receive())) return false;
  DWORD size = 0;
  GetTokenInformation(token.get(), ::TokenUser, nullptr, 0, &size);
  if (size == 0) return false;
  buffer->resize(size);
  if (!GetTokenInformation(token.get(), ::TokenUser, buffer->data(), size, &size)) return false;
  *user = reinterpret_cast<TOKEN_USER*>(buffer->data())->User.Sid;
  return true;
}

bool IsWellKnown(PSID sid, WELL_KNOWN_SID_TYPE type) {
  return sid && IsValidSid(sid) && IsWellKnownSid(sid, type);
}

bool IsAdministratorsOrSystem(PSID sid) {
  return IsWellKnown(sid, WinBuiltinAdministratorsSid) || IsWellKnown(sid, WinLocalSystemSid);
}

}  // namespace

bool IsCopyFolderName(const wchar_t* name) {
  if (name == nullptr) return false;
  const size_t prefix = wcslen(kFolderPrefix);
  if (_wcsnicmp(name, kFolderPrefix, prefix) != 0 || wcslen(name) != prefix + kRandomDigits) {
    return false;
  }
  for (const wchar_t* p = name + prefix; *p; ++p) {
    if (!((*p >= L'0' && *p <= L'9') || (*p >= L'a' && *p <= L'f') || (*p >= L'A' && *p <= L'F')))
      return false;
  }
  return true;
}

bool ProtectedFolder::Create(const wchar_t* parent) {
  path_.clear();
  handle_.reset();
  if (parent == nullptr || *parent == 0) return false;
  PSECURITY_DESCRIPTOR raw = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kProtectedFolderSddl, SDDL_REVISION_1,
                                                            &raw, nullptr)) {
    return false;
  }
  LocalMemory descriptor(raw);
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    std::wstring name;
    if (!RandomName(&name)) return false;
    const std::wstring path = std::wstring(parent) + name + L"\\";
    if (path.size() >= MAX_PATH) return false;
    DWORD error = 0;
    HANDLE handle = CreateAndOpen(path, descriptor.get(), &error);
    if (handle == INVALID_HANDLE_VALUE) {
      // Somebody else holds that name: try another one.
      if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) continue;
      return false;
    }
    handle_.reset(handle);
    path_ = path;
    if (!IsProtectedFolder(handle)) {
      Remove();
      return false;
    }
    return true;
  }
  return false;
}

bool ProtectedFolder::Remove() {
  handle_.Close();
  if (path_.empty()) return true;
  const bool removed = RemoveDirectoryW(path_.c_str()) != FALSE;
  if (removed) path_.clear();
  return removed;
}

bool IsProtectedFolder(HANDLE folder) {
  BY_HANDLE_FILE_INFORMATION information = {};
  if (!GetFileInformationByHandle(folder, &information)) return false;
  if (!(information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
      (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    return false;
  }
  PSID owner = nullptr;
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR raw = nullptr;
  if (GetSecurityInfo(folder, SE_FILE_OBJECT,
                      OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr,
                      &dacl, nullptr, &raw) != ERROR_SUCCESS) {
    return false;
  }
  LocalMemory descriptor(raw);
  if (owner == nullptr || dacl == nullptr) return false;  // no DACL: open to everybody
  std::vector<BYTE> userBuffer;
  PSID user = nullptr;
  if (!RunningAccount(&userBuffer, &user)) return false;
  const bool ownerIsUser = EqualSid(owner, user) != FALSE;
  if (!IsAdministratorsOrSystem(owner) && !ownerIsUser) return false;
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    void* entry = nullptr;
    if (!GetAce(dacl, i, &entry)) return false;
    const ACE_HEADER* header = static_cast<const ACE_HEADER*>(entry);
    if (header->AceType == ACCESS_DENIED_ACE_TYPE) continue;
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) return false;
    PSID sid = &static_cast<ACCESS_ALLOWED_ACE*>(entry)->SidStart;
    if (IsAdministratorsOrSystem(sid)) continue;
    if (ownerIsUser && EqualSid(sid, user)) continue;
    return false;
  }
  return true;
}
