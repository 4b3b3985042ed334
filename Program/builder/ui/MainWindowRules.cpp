#include "MainWindowRules.h"

#include <shlwapi.h>

#include <algorithm>
#include <cwchar>

#include "PathPieces.h"

std::wstring OutputPathForArchive(const wchar_t* archive) {
  if (!archive || !archive[0]) return L"";
  const wchar_t* name = FindFileNamePart(archive);
  if (name == archive) return L"";  // no folder part
  std::wstring output(archive, name);
  std::wstring base(name);
  const wchar_t* extension = FindFileExtension(name);
  if (extension) base.resize(static_cast<size_t>(extension - name));
  output += base + L".exe";
  if (output.size() > kMaxPathChars) return L"";
  return output;
}

std::wstring ArchiveBaseName(const wchar_t* archive) {
  if (!archive) return L"";
  const wchar_t* name = FindFileNamePart(archive);
  std::wstring base(name);
  const wchar_t* extension = FindFileExtension(name);
  if (extension) base.resize(static_cast<size_t>(extension - name));
  return base;
}

bool IsBlankText(const wchar_t* text) {
  for (; *text; ++text)
    if (!wcschr(L" \t\r\n", *text)) return false;
  return true;
}

bool CreateAllowed(const wchar_t* archive, const wchar_t* output) {
  if (!archive[0] || !output[0]) return false;
  return _wcsicmp(PathFindExtensionW(output), L".exe") == 0;
}

std::wstring ResolveOutputPath(const wchar_t* output, const wchar_t* archiveFolder) {
  if (!output[0] || !archiveFolder[0] || !PathIsRelativeW(output)) return output;
  wchar_t combined[MAX_PATH] = {};
  if (wcslen(archiveFolder) + wcslen(output) + 1 >= MAX_PATH) return output;
  if (!PathCombineW(combined, archiveFolder, output)) return output;
  return combined;
}

bool ExceedsGreetingLines(const wchar_t* text) {
  int breaks = 0;
  for (; *text; ++text)
    if (*text == L'\n' && ++breaks == 3) return true;
  return false;
}

POINT ClampWindowToArea(POINT position, SIZE window, const RECT& area) {
  POINT result = position;
  result.x = std::max<LONG>(area.left, std::min<LONG>(position.x, area.right - window.cx));
  result.y = std::max<LONG>(area.top, std::min<LONG>(position.y, area.bottom - window.cy));
  return result;
}

RECT VirtualScreenArea() {
  RECT area;
  const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  if (width == 0) {
    SetRect(&area, 0, 0, GetSystemMetrics(SM_CXFULLSCREEN), GetSystemMetrics(SM_CYFULLSCREEN));
    return area;
  }
  area.left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  area.top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  area.right = area.left + width;
  area.bottom = area.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
  return area;
}

bool CopyBoundedPath(wchar_t (&buffer)[MAX_PATH], const wchar_t* path, size_t length) {
  buffer[0] = L'\0';
  if (!path || length > kMaxPathChars) return false;
  wmemcpy(buffer, path, length);
  buffer[length] = L'\0';
  return true;
}

std::wstring FormatWithText(const std::wstring& format, const wchar_t* text) {
  std::wstring result = format;
  const size_t at = result.find(L"%s");
  if (at != std::wstring::npos) result.replace(at, 2, text ? text : L"");
  return result;
}
