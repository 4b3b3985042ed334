#include "DefinitionFile.h"

#include <shlobj.h>
#include <shlwapi.h>
#include <cerrno>
#include <cstdio>
#include <cwchar>
#include <string>

#include "BuilderState.h"
#include "BuilderUtil.h"
#include "DefinitionKeys.h"
#include "FileSystem.h"
#include "PathPieces.h"
#include "ResultCodes.h"
#include "SfxSettings.h"

namespace {

bool ResolveDefinitionPath(const wchar_t* path, wchar_t* resolved) {
  if (!path || !*path) return false;
  if (PathIsRelativeW(path)) {
    wchar_t current[MAX_PATH] = {};
    DWORD got = GetCurrentDirectoryW(MAX_PATH, current);
    if (got == 0 || got >= MAX_PATH) return false;
    DWORD found = SearchPathW(current, path, nullptr, MAX_PATH, resolved, nullptr);
    return found > 0 && found < MAX_PATH;
  }
  if (wcslen(path) >= MAX_PATH) return false;
  wcscpy(resolved, path);
  return true;
}

bool CreateEmptyDefinitionFile(const wchar_t* path) {
  FILE* file = _wfopen(path, L"wb");
  if (!file) {
    int error = errno;
    if (!g_UiState.BatchMode) {
      std::wstring message = LoadResString(IDS_RESULT_CREATE);
      message += L"\n\n";
      message += _wcserror(error);
      MessageBoxW(g_UiState.MainWindow, message.c_str(), kBuilderCaption, MB_OK | MB_ICONERROR);
    }
    return false;
  }
  static const unsigned char kHead[] = {0xFF, 0xFE};
  fwrite(kHead, 1, sizeof kHead, file);
  const wchar_t* section = L"[Vesmarin]\r\n";
  for (const wchar_t* p = section; *p; ++p) {
    unsigned char bytes[2] = {static_cast<unsigned char>(*p & 0xFF),
                              static_cast<unsigned char>(*p >> 8)};
    fwrite(bytes, 1, 2, file);
  }
  fclose(file);
  return true;
}

}  // namespace

void LoadDefinitionFile(const wchar_t* path) {
  ResetSfxSettings();
  wchar_t file[MAX_PATH] = {};
  if (!ResolveDefinitionPath(path, file)) return;
  ReadDefinitionKeys(file, g_SfxSettings, g_UiState.JapaneseUI);
}

void SaveDefinitionFile(const wchar_t* path) {
  if (!path || !*path) return;
  if (!CreateEmptyDefinitionFile(path)) return;
  // The profile functions look a bare name up in the Windows folder.
  wchar_t file[MAX_PATH] = {};
  DWORD got = GetFullPathNameW(path, MAX_PATH, file, nullptr);
  if (got == 0 || got >= MAX_PATH) return;
  WriteDefinitionKeys(file, g_SfxSettings, g_UiState.JapaneseUI);
  WritePrivateProfileStringW(nullptr, nullptr, nullptr, file);
}

bool GetDefaultDefinitionPath(wchar_t* output) {
  if (!output) return false;
  wchar_t folder[MAX_PATH] = {};
  if (GetShellFolderPath(nullptr, CSIDL_APPDATA, folder)) {
    wchar_t maker[MAX_PATH] = {};
    wchar_t product[MAX_PATH] = {};
    wchar_t file[MAX_PATH] = {};
    if (!CombinePath(maker, folder, L"Kelvadon")) return false;
    if (!CombinePath(product, maker, L"Vesmarin 6")) return false;
    CreateDirectoryTree(product);
    if (!CombinePath(file, product, L"Vesmarin.ini")) return false;
    wcscpy(output, file);
    return true;
  }
  wchar_t own[MAX_PATH] = {};
  DWORD got = GetModuleFileNameW(nullptr, own, MAX_PATH);
  if (got == 0 || got >= MAX_PATH) return false;
  if (!RemoveFileNamePart(own)) return false;
  wchar_t file[MAX_PATH] = {};
  if (!CombinePath(file, own, L"Vesmarin.ini")) return false;
  wcscpy(output, file);
  return true;
}

void SaveDefaultDefinitionFile() {
  wchar_t path[MAX_PATH] = {};
  if (GetDefaultDefinitionPath(path)) SaveDefinitionFile(path);
}
