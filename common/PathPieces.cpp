#include "PathPieces.h"

#include <shlwapi.h>
#include <cwchar>

#include "TextUtil.h"

const wchar_t* FindFileNamePart(const wchar_t* path) {
  if (!path) return nullptr;
  const wchar_t* name = path;
  for (const wchar_t* p = path; *p; p = CharNextW(p))
    if (*p == L'\\') name = p + 1;
  return name;
}

wchar_t* FindFileNamePart(wchar_t* path) {
  return const_cast<wchar_t*>(FindFileNamePart(static_cast<const wchar_t*>(path)));
}

const wchar_t* FindFileExtension(const wchar_t* path) {
  const wchar_t* name = FindFileNamePart(path);
  if (!name) return nullptr;
  const wchar_t* dot = nullptr;
  for (const wchar_t* p = name; *p; p = CharNextW(p))
    if (*p == L'.') dot = p;
  return dot;
}

wchar_t* FindFileExtension(wchar_t* path) {
  return const_cast<wchar_t*>(FindFileExtension(static_cast<const wchar_t*>(path)));
}

bool HasFileExtension(const wchar_t* path, const wchar_t* extension) {
  const wchar_t* own = FindFileExtension(path);
  return own && extension && EqualsNoCase(own, extension);
}

bool RemoveFileExtension(wchar_t* path) {
  wchar_t* dot = FindFileExtension(path);
  if (!dot) return false;
  *dot = L'\0';
  return true;
}

bool RemoveFileNamePart(wchar_t* path) {
  if (!path) return false;
  wchar_t* last = nullptr;
  for (wchar_t* p = path; *p; p = CharNextW(p))
    if (*p == L'\\') last = p;
  if (!last) return false;
  last[1] = L'\0';
  return true;
}

bool ReplaceFileName(wchar_t* path, const wchar_t* name) {
  if (!path || !name) return false;
  wchar_t* part = FindFileNamePart(path);
  if (part == path) return false;  // no backslash
  size_t folderLength = static_cast<size_t>(part - path);
  size_t nameLength = wcslen(name);
  if (folderLength + nameLength + 1 > MAX_PATH) return false;
  wmemmove(part, name, nameLength + 1);
  return true;
}

bool GetFolderPart(const wchar_t* path, wchar_t* output, size_t capacity) {
  if (!path || !*path || !output || capacity == 0) return false;
  const wchar_t* name = FindFileNamePart(path);
  size_t length = static_cast<size_t>(name - path);
  if (length + 1 > capacity) return false;
  wmemcpy(output, path, length);
  output[length] = L'\0';
  return true;
}

bool CombinePath(wchar_t* output, const wchar_t* folder, const wchar_t* file) {
  if (!output) return false;
  wchar_t combined[MAX_PATH] = {};
  if (!PathCombineW(combined, folder, file)) return false;
  wcscpy(output, combined);
  return true;
}

std::wstring WithBackslash(const std::wstring& folder) {
  if (folder.empty() || folder.back() == L'\\') return folder;
  return folder + L"\\";
}
