#include "DeleteList.h"

#include <shlobj.h>
#include <shlwapi.h>

#include "ArchiveOpen.h"
#include "CabDecoder.h"
#include "Extraction.h"
#include "PathPieces.h"
#include "InstalledLocation.h"
#include "ReadMeText.h"
#include "StubLog.h"
#include "StubSettings.h"
#include "StubState.h"

namespace stub {

namespace {

struct FolderToken {
  const wchar_t* text;
  int csidl;
};

const FolderToken kTokens[] = {
    {L"$userstartmenu$\\", CSIDL_PROGRAMS},
    {L"$commonstartmenu$\\", CSIDL_COMMON_PROGRAMS},
    {L"$userdesktop$\\", CSIDL_DESKTOPDIRECTORY},
    {L"$commondesktop$\\", CSIDL_COMMON_DESKTOPDIRECTORY},
};

bool ShellFolderPath(HWND owner, int csidl, wchar_t* folder) {
  LPITEMIDLIST list = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(owner, csidl, &list)) || !list) return false;
  const bool ok = SHGetPathFromIDListW(list, folder) != FALSE && *folder;
  CoTaskMemFree(list);
  return ok;
}

}  // namespace

std::vector<std::wstring> SplitDeleteListLines(const std::wstring& text) {
  std::vector<std::wstring> lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(L"\r\n", start);
    if (end == std::wstring::npos) end = text.size();
    if (end > start) lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

bool SplitDeleteListToken(const std::wstring& line, int* csidl, std::wstring* rest) {
  for (const FolderToken& token : kTokens) {
    const size_t length = wcslen(token.text);
    if (line.compare(0, length, token.text) == 0) {
      *csidl = token.csidl;
      *rest = line.substr(length);
      return true;
    }
  }
  return false;
}

bool DeleteListLinePath(const std::wstring& line, HWND owner, wchar_t* path) {
  if (line.empty() || !g_Settings) return false;
  wchar_t result[MAX_PATH] = {};
  if (line[0] == L'$') {
    int csidl = 0;
    std::wstring rest;
    if (!SplitDeleteListToken(line, &csidl, &rest) || rest.empty()) return false;
    if (!ShellFolderPath(owner, csidl, result)) return false;
    if (!PathAddBackslashW(result) || !PathAppendW(result, rest.c_str())) return false;
  } else {
    if (!CombinePath(result, g_Settings->ExtractPath, line.c_str())) return false;
    for (const ExtraCopyItem& item : g_Settings->ExtraCopy) {
      if (!MatchExtraCopyItem(item, line.c_str())) continue;
      wchar_t folder[MAX_PATH];
      wchar_t relative[MAX_PATH];
      wchar_t copy[MAX_PATH] = {};
      if (ResolveExtraCopyFolder(item, folder, MAX_PATH) &&
          ExtraCopyRelativePath(item, line.c_str(), relative) &&
          CombinePath(copy, folder, relative))
        wcscpy(result, copy);
    }
  }
  wcscpy(path, result);
  return true;
}

void ProcessDeleteList(HWND owner) {
  if (!g_Archive || !g_Archive->Decoder) return;
  DWORD size = 0;
  HGLOBAL block = g_Archive->Decoder->ExtractToMemory(kDeleteMarkerName, &size);
  if (!block) return;
  std::wstring text;
  if (const uint8_t* bytes = static_cast<const uint8_t*>(GlobalLock(block))) {
    if (!DecodeReadMeText(bytes, size, &text)) text.clear();
    GlobalUnlock(block);
  }
  GlobalFree(block);
  for (const std::wstring& line : SplitDeleteListLines(text)) {
    wchar_t path[MAX_PATH];
    if (!DeleteListLinePath(line, owner, path)) continue;
    DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) continue;
    const bool removed = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? RemoveDirectoryW(path) != FALSE
                                                                 : DeleteFileW(path) != FALSE;
    StubLog(L"Delete list: %ls %ls\n", path, removed ? L"removed" : L"kept");
  }
}

}  // namespace stub
