#include "ReparsePoints.h"

#include <cwchar>
#include <string>

namespace vesmarin {

bool IsReparsePoint(const wchar_t* path) {
  if (!path || !*path) return false;
  // The name itself, not what a trailing backslash would lead into.
  std::wstring name(path);
  while (name.size() > 3 && name.back() == L'\\') name.pop_back();
  const DWORD attributes = GetFileAttributesW(name.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool PassesThroughReparsePoint(const wchar_t* root, const wchar_t* path) {
  if (!root || !path) return false;
  size_t rootLength = wcslen(root);
  while (rootLength > 0 && root[rootLength - 1] == L'\\') --rootLength;
  if (rootLength == 0 || wcslen(path) <= rootLength + 1) return false;
  if (_wcsnicmp(root, path, rootLength) != 0 || path[rootLength] != L'\\') return false;
  std::wstring text(path);
  while (!text.empty() && text.back() == L'\\') text.pop_back();
  for (size_t slash = text.find(L'\\', rootLength + 1); slash != std::wstring::npos;
       slash = text.find(L'\\', slash + 1)) {
    if (IsReparsePoint(text.substr(0, slash).c_str())) return true;
  }
  return false;
}

}  // namespace vesmarin
