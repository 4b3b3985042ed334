#include "InstalledLocation.h"

#include <cwchar>

#include "PathPieces.h"
#include "Folders.h"
#include "StubState.h"
#include "TextUtil.h"

namespace stub {

namespace {

bool IsFolderItem(const ExtraCopyItem& item, size_t* length) {
  *length = wcsnlen(item.FileName, ARRAYSIZE(item.FileName));
  return *length > 0 && item.FileName[*length - 1] == L'\\';
}

}  // namespace

bool MatchExtraCopyItem(const ExtraCopyItem& item, const wchar_t* archivePath) {
  if (!archivePath) return false;
  size_t length = 0;
  const bool folder = IsFolderItem(item, &length);
  if (length == 0) return false;
  const size_t pathLength = wcslen(archivePath);
  if (!folder)
    return EqualsNoCase(item.FileName, static_cast<int>(length), archivePath,
                       static_cast<int>(pathLength));
  return pathLength > length &&
         EqualsNoCase(item.FileName, static_cast<int>(length), archivePath,
                     static_cast<int>(length));
}

bool ExtraCopyRelativePath(const ExtraCopyItem& item, const wchar_t* archivePath,
                           wchar_t* output) {
  if (!archivePath || !output) return false;
  const wchar_t* relative = FindFileNamePart(archivePath);
  size_t length = 0;
  if (IsFolderItem(item, &length) && MatchExtraCopyItem(item, archivePath)) {
    // The folder item's parent part: up to the backslash before its last
    // folder name.
    size_t parent = 0;
    for (size_t i = 0; i + 1 < length; ++i)
      if (item.FileName[i] == L'\\') parent = i + 1;
    relative = archivePath + parent;
  }
  if (wcslen(relative) >= MAX_PATH) return false;
  wcscpy(output, relative);
  return true;
}

bool ResolveExtraCopyFolder(const ExtraCopyItem& item, wchar_t* folder, size_t capacity) {
  return ResolveFolder(folder, capacity, item.BaseFolder, nullptr, 0, item.ExtractFolder, false);
}

bool GetInstalledLocation(const wchar_t* archivePath, wchar_t* output) {
  if (!archivePath || !output || !g_Settings) return false;
  wchar_t result[MAX_PATH] = {};
  bool matched = false;
  for (const ExtraCopyItem& item : g_Settings->ExtraCopy) {
    if (!MatchExtraCopyItem(item, archivePath)) continue;
    wchar_t folder[MAX_PATH];
    wchar_t relative[MAX_PATH];
    if (!ResolveExtraCopyFolder(item, folder, MAX_PATH) ||
        !ExtraCopyRelativePath(item, archivePath, relative) ||
        !CombinePath(result, folder, relative))
      return false;
    matched = true;
  }
  if (!matched && !CombinePath(result, g_Settings->ExtractPath, archivePath)) return false;
  wcscpy(output, result);
  return true;
}

}  // namespace stub
