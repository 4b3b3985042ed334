#include "SavedInstallPath.h"

#include "Folders.h"

namespace stub {

HKEY SavedPathRoot(unsigned rootWord) { return rootWord == 1 ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

SavedPathResult ReadSavedInstallPath(HKEY root, const wchar_t* key, const wchar_t* value,
                                     wchar_t* folder) {
  if (!key || !*key) return kSavedPathAbsent;
  HKEY opened = nullptr;
  if (RegOpenKeyExW(root, key, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) return kSavedPathAbsent;
  // One character more than a path holds, to tell a 259-character value from
  // a longer one.
  wchar_t text[MAX_PATH + 1] = {};
  DWORD type = 0;
  DWORD bytes = sizeof(text) - sizeof(wchar_t);
  LONG status = RegQueryValueExW(opened, value, nullptr, &type, reinterpret_cast<BYTE*>(text), &bytes);
  RegCloseKey(opened);
  if (status == ERROR_MORE_DATA) return kSavedPathInvalid;
  if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return kSavedPathAbsent;
  text[bytes / sizeof(wchar_t) < MAX_PATH ? bytes / sizeof(wchar_t) : MAX_PATH] = 0;
  if (lstrlenW(text) >= MAX_PATH) return kSavedPathInvalid;
  if (!*text) return kSavedPathAbsent;
  return ValidateDestinationFolder(text, folder) == kDestinationOk ? kSavedPathFound : kSavedPathInvalid;
}

}  // namespace stub
