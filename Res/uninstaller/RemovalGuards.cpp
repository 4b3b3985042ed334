#include "RemovalGuards.h"

#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

typedef std::vector<std::wstring> Parts;

bool SameText(const std::wstring& a, const wchar_t* b) { return _wcsicmp(a.c_str(), b) == 0; }

// Splits at backslashes; false when any part is empty.
bool SplitKey(const wchar_t* path, Parts* parts) {
  parts->clear();
  std::wstring text(path);
  while (!text.empty() && text.back() == L'\\') text.pop_back();
  if (text.empty()) return false;
  size_t start = 0;
  for (;;) {
    size_t end = text.find(L'\\', start);
    std::wstring part = text.substr(start, end == std::wstring::npos ? std::wstring::npos
                                                                     : end - start);
    if (part.empty()) return false;
    parts->push_back(part);
    if (end == std::wstring::npos) return true;
    start = end + 1;
  }
}

// The shell's own class keys: what the system runs programs, opens files
// and follows addresses with. Neither they nor anything below them belongs
// to a product.
bool IsShellClassKey(const std::wstring& name) {
  static const wchar_t* const kShell[] = {
      L"exefile", L"comfile", L"batfile", L"cmdfile", L"piffile", L"scrfile", L"dllfile",
      L"lnkfile", L"regfile", L"inffile", L"inifile", L"txtfile", L"htmlfile", L"mhtmlfile",
      L"JSFile", L"JSEFile", L"VBSFile", L"VBEFile", L"WSFFile", L"WSHFile", L"cplfile",
      L"mscfile", L"Msi.Package", L"Microsoft.PowerShellScript.1", L"SystemFileAssociations",
      L"Applications", L"http", L"https", L"ftp", L"file", L"mailto", L"ms-settings",
      L"search-ms", L"shell", L"Drive", L"Network", L"Unknown", L".exe", L".com", L".bat",
      L".cmd", L".pif", L".scr", L".dll", L".lnk", L".reg", L".msi", L".ps1", L".vbs", L".js",
      L".txt", L".htm", L".html", L".url"};
  for (const wchar_t* shell : kShell) {
    if (SameText(name, shell)) return true;
  }
  return false;
}

// Below HKEY_CLASSES_ROOT or a Classes key.
bool ClassesKeyRemovable(const Parts& parts, size_t first) {
  if (first >= parts.size()) return false;
  if (IsShellClassKey(parts[first])) return false;
  if (parts.size() - first == 1) {
    static const wchar_t* const kShared[] = {L"CLSID", L"Interface", L"TypeLib", L"AppID", L"*",
                                             L"Wow6432Node", L"Directory", L"Folder",
                                             L"AllFilesystemObjects"};
    for (const wchar_t* shared : kShared) {
      if (SameText(parts[first], shared)) return false;
    }
  }
  return true;
}

// Below a hive root such as HKEY_LOCAL_MACHINE or one user's hive.
bool HiveKeyRemovable(const Parts& parts, size_t first) {
  const size_t count = parts.size() > first ? parts.size() - first : 0;
  if (count == 0) return false;
  if (SameText(parts[first], L"SOFTWARE")) {
    size_t next = first + 1;
    if (next < parts.size() && SameText(parts[next], L"WOW6432Node")) ++next;
    const size_t below = parts.size() > next ? parts.size() - next : 0;
    if (below > 0 && SameText(parts[next], L"Classes")) return ClassesKeyRemovable(parts, next + 1);
    if (below > 0 && SameText(parts[next], L"Microsoft")) {
      if (below > 1 && (SameText(parts[next + 1], L"Windows") ||
                        SameText(parts[next + 1], L"Windows NT"))) {
        return below >= 5;
      }
      return below >= 3;
    }
    // A publisher's own key may go; the shared keys beside it stay.
    static const wchar_t* const kShared[] = {L"Policies", L"Wow6432Node", L"Clients",
                                             L"RegisteredApplications"};
    for (const wchar_t* shared : kShared) {
      if (below > 0 && SameText(parts[next], shared)) return below >= 2;
    }
    return below >= 1;
  }
  if (SameText(parts[first], L"SYSTEM")) return count >= 4;
  return count >= 2;
}

bool HasForbiddenCharacter(const wchar_t* text, size_t from) {
  for (const wchar_t* p = text + from; *p; ++p) {
    if (*p < 32 || wcschr(L"/:*?\"<>|", *p)) return true;
  }
  return false;
}

}  // namespace

bool IsRemovableInstalledPath(const wchar_t* path) {
  if (path == nullptr) return false;
  const size_t length = wcslen(path);
  if (length < 4 || length >= MAX_PATH) return false;
  const wchar_t drive = path[0];
  if (!((drive >= L'A' && drive <= L'Z') || (drive >= L'a' && drive <= L'z'))) return false;
  if (path[1] != L':' || path[2] != L'\\') return false;
  if (HasForbiddenCharacter(path, 3)) return false;
  // Parts: never empty (but for a folder's trailing backslash), never "."
  // or "..", never ending in a dot or blank (the system would trim them).
  for (const wchar_t* part = path + 3; *part;) {
    const wchar_t* end = wcschr(part, L'\\');
    const size_t partLength = end ? static_cast<size_t>(end - part) : wcslen(part);
    if (partLength == 0) return false;
    if (part[partLength - 1] == L'.' || part[partLength - 1] == L' ') return false;
    if (!end) break;
    part = end + 1;
  }
  // And the system's canonical form must be the path itself.
  wchar_t full[MAX_PATH + 1] = {};
  DWORD fullLength = GetFullPathNameW(path, _countof(full), full, nullptr);
  if (fullLength == 0 || fullLength >= _countof(full)) return false;
  if (_wcsicmp(full, path) != 0) return false;
  return wcslen(full) > 3;
}

bool IsPlainFileName(const wchar_t* name) {
  if (name == nullptr || *name == 0) return false;
  if (wcscmp(name, L".") == 0 || wcscmp(name, L"..") == 0) return false;
  if (wcschr(name, L'\\')) return false;
  if (HasForbiddenCharacter(name, 0)) return false;
  const size_t length = wcslen(name);
  return name[length - 1] != L'.' && name[length - 1] != L' ';
}

bool IsRelativePathBelow(const wchar_t* name) {
  if (name == nullptr || *name == 0 || name[0] == L'\\') return false;
  if (HasForbiddenCharacter(name, 0)) return false;
  Parts parts;
  if (!SplitKey(name, &parts)) return false;
  for (const std::wstring& part : parts) {
    if (part == L"." || part == L"..") return false;
  }
  return true;
}

bool IsRegistryKeyRemovable(HKEY root, const wchar_t* subkey) {
  if (subkey == nullptr) return false;
  Parts parts;
  if (!SplitKey(subkey, &parts)) return false;
  if (root == HKEY_CLASSES_ROOT) return ClassesKeyRemovable(parts, 0);
  if (root == HKEY_USERS) {
    const std::wstring& hive = parts[0];
    if (hive.size() > 8 && SameText(hive.substr(hive.size() - 8), L"_Classes")) {
      return ClassesKeyRemovable(parts, 1);
    }
    return HiveKeyRemovable(parts, 1);
  }
  if (root == HKEY_CURRENT_USER || root == HKEY_LOCAL_MACHINE) return HiveKeyRemovable(parts, 0);
  return false;
}

bool IsSafeGroupName(const wchar_t* name) { return IsRelativePathBelow(name); }
