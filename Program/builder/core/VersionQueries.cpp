// Version-resource and signature queries on program files.
#include "VersionQueries.h"

#include <softpub.h>
#include <wintrust.h>

#include <cwchar>
#include <vector>

#include "SystemDlls.h"

namespace {

// version.dll and wintrust.dll come from the system folder at run time.
BOOL VerQuery(LPCVOID block, LPCWSTR subBlock, LPVOID* value, PUINT length) {
  static const auto query = vesmarin::SystemProc<decltype(&::VerQueryValueW)>(
      L"version.dll", "VerQueryValueW");
  return query ? query(block, subBlock, value, length) : FALSE;
}

// Copies at most capacity - 1 characters of value (length characters, which
// may include a terminating NUL) and terminates the buffer.
void CopyText(wchar_t* text, int capacity, const wchar_t* value, size_t length) {
  if (text == nullptr || capacity <= 0) return;
  if (value == nullptr) length = 0;
  length = wcsnlen(value ? value : L"", length);
  if (length > static_cast<size_t>(capacity - 1)) length = static_cast<size_t>(capacity - 1);
  if (length > 0) wmemcpy(text, value, length);
  text[length] = L'\0';
}

void SetText(wchar_t* text, int capacity, const wchar_t* value) {
  CopyText(text, capacity, value, wcslen(value));
}

// Reads the whole version information of a file; false when it has none or
// it cannot be read.
bool ReadVersionInfo(const wchar_t* path, std::vector<BYTE>& info, bool& noMemory) {
  noMemory = false;
  DWORD ignored = 0;
  static const auto infoSize = vesmarin::SystemProc<decltype(&::GetFileVersionInfoSizeW)>(
      L"version.dll", "GetFileVersionInfoSizeW");
  static const auto infoRead = vesmarin::SystemProc<decltype(&::GetFileVersionInfoW)>(
      L"version.dll", "GetFileVersionInfoW");
  if (!infoSize || !infoRead) return false;
  DWORD size = infoSize(path, &ignored);
  if (size == 0) return false;
  try {
    info.assign(size, 0);
  } catch (...) {
    noMemory = true;
    return false;
  }
  return infoRead(path, 0, size, info.data()) != FALSE;
}

// The string value `name` of the first translation of the file's version
// information.
bool QueryStringValue(const wchar_t* path, const wchar_t* name, wchar_t* text, int capacity,
                      const wchar_t* missingText) {
  std::vector<BYTE> info;
  bool noMemory = false;
  if (!ReadVersionInfo(path, info, noMemory)) {
    if (!noMemory) SetText(text, capacity, missingText);
    return false;
  }
  void* translation = nullptr;
  UINT translationLength = 0;
  if (!VerQuery(info.data(), L"\\VarFileInfo\\Translation", &translation,
                      &translationLength) ||
      translation == nullptr || translationLength < 2 * sizeof(WORD)) {
    SetText(text, capacity, L"");
    return false;
  }
  const WORD* pair = static_cast<const WORD*>(translation);
  wchar_t query[96];
  swprintf(query, sizeof(query) / sizeof(query[0]), L"\\StringFileInfo\\%04x%04x\\%ls",
           static_cast<unsigned>(pair[0]), static_cast<unsigned>(pair[1]), name);
  void* value = nullptr;
  UINT valueLength = 0;
  if (VerQuery(info.data(), query, &value, &valueLength) && value != nullptr) {
    CopyText(text, capacity, static_cast<const wchar_t*>(value), valueLength);
  } else {
    SetText(text, capacity, L"");
  }
  return true;
}

}  // namespace

bool GetFileDescription(const wchar_t* path, wchar_t* text, int capacity) {
  return QueryStringValue(path, L"FileDescription", text, capacity, L"");
}

bool GetInternalName(const wchar_t* path, wchar_t* text, int capacity) {
  return QueryStringValue(path, L"InternalName", text, capacity, L"");
}

bool GetFileVersionText(const wchar_t* path, wchar_t* text, int capacity) {
  return QueryStringValue(path, L"FileVersion", text, capacity, L"0.00");
}

bool GetFileVersionNumbers(const wchar_t* path, WORD* major, WORD* minor, WORD* build,
                           WORD* revision) {
  std::vector<BYTE> info;
  bool noMemory = false;
  if (!ReadVersionInfo(path, info, noMemory)) return false;
  void* value = nullptr;
  UINT length = 0;
  if (!VerQuery(info.data(), L"\\", &value, &length) || value == nullptr ||
      length < sizeof(VS_FIXEDFILEINFO)) {
    return false;
  }
  const VS_FIXEDFILEINFO* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
  if (major) *major = HIWORD(fixed->dwFileVersionMS);
  if (minor) *minor = LOWORD(fixed->dwFileVersionMS);
  if (build) *build = HIWORD(fixed->dwFileVersionLS);
  if (revision) *revision = LOWORD(fixed->dwFileVersionLS);
  return true;
}

bool VerifyFileSignature(HWND owner, const wchar_t* path, bool* verified) {
  WINTRUST_FILE_INFO file = {};
  file.cbStruct = sizeof(file);
  file.pcwszFilePath = path;
  file.hFile = nullptr;
  file.pgKnownSubject = nullptr;

  WINTRUST_DATA data = {};
  data.cbStruct = sizeof(data);
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &file;
  data.dwStateAction = 0;

  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  static const auto verify = vesmarin::SystemProc<decltype(&::WinVerifyTrust)>(
      L"wintrust.dll", "WinVerifyTrust");
  LONG status = verify ? verify(owner, &action, &data) : TRUST_E_PROVIDER_UNKNOWN;
  if (verified) *verified = (status == 0);
  return true;
}
