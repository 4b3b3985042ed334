#include "TempCopies.h"

#include <cstdlib>
#include <cwchar>
#include <cwctype>

#include <string>

#include "ProtectedFolder.h"
#include "UninstallerApp.h"

bool FormatTempCopyPath(const wchar_t* folder, unsigned number, const wchar_t* extension,
                        wchar_t* output, size_t capacity) {
  if (folder == nullptr || extension == nullptr || output == nullptr || capacity == 0) {
    return false;
  }
  int written = _snwprintf(output, capacity, L"%s%s%u%s", folder, UNINSTALL_TEMP_PREFIX,
                           number, extension);
  if (written < 0 || static_cast<size_t>(written) >= capacity) {
    output[0] = 0;
    return false;
  }
  return true;
}

bool ParseTempCopyPath(const wchar_t* path, const wchar_t* tempFolder, const wchar_t* extension,
                       unsigned* number) {
  if (path == nullptr || tempFolder == nullptr || extension == nullptr) return false;
  const size_t folderLength = wcslen(tempFolder);
  if (folderLength == 0 || _wcsnicmp(path, tempFolder, folderLength) != 0) return false;
  const wchar_t* name = path + folderLength;
  const size_t prefixLength = wcslen(UNINSTALL_TEMP_PREFIX);
  if (_wcsnicmp(name, UNINSTALL_TEMP_PREFIX, prefixLength) != 0) return false;
  const wchar_t* digits = name + prefixLength;
  unsigned long long value = 0;
  const wchar_t* p = digits;
  while (*p >= L'0' && *p <= L'9') {
    value = value * 10 + static_cast<unsigned>(*p - L'0');
    if (value > 0xFFFFFFFFull) return false;
    ++p;
  }
  if (p == digits || p - digits > 10) return false;
  if (_wcsicmp(p, extension) != 0) return false;
  if (number) *number = static_cast<unsigned>(value);
  return true;
}

bool GetTemporaryFolder(wchar_t* output, size_t capacity) {
  if (output == nullptr || capacity < 2) return false;
  wchar_t folder[MAX_PATH + 1] = {};
  DWORD length = GetTempPathW(_countof(folder), folder);
  if (length == 0 || length >= _countof(folder)) return false;
  wchar_t longForm[MAX_PATH + 1] = {};
  DWORD longLength = GetLongPathNameW(folder, longForm, _countof(longForm));
  const wchar_t* chosen = longLength > 0 && longLength < _countof(longForm) ? longForm : folder;
  size_t chosenLength = wcslen(chosen);
  bool addSlash = chosenLength == 0 || chosen[chosenLength - 1] != L'\\';
  if (chosenLength + (addSlash ? 1 : 0) + 1 > capacity) return false;
  wcscpy(output, chosen);
  if (addSlash) wcscat(output, L"\\");
  return true;
}

bool IsLauncherCopy(const wchar_t* modulePath, const wchar_t* infoPath,
                    const wchar_t* tempFolder) {
  if (modulePath == nullptr || tempFolder == nullptr) return false;
  const size_t tempLength = wcslen(tempFolder);
  if (tempLength == 0 || _wcsnicmp(modulePath, tempFolder, tempLength) != 0) return false;
  const wchar_t* name = modulePath + tempLength;
  const wchar_t* slash = wcschr(name, L'\\');
  if (slash == nullptr || !IsCopyFolderName(std::wstring(name, slash).c_str())) return false;
  const std::wstring folder(modulePath, slash + 1);
  unsigned program = 0, info = 0;
  return ParseTempCopyPath(modulePath, folder.c_str(), L".bin", &program) &&
         ParseTempCopyPath(infoPath, folder.c_str(), L".ini", &info) && program == info;
}
