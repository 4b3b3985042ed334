#include "RemovalScope.h"

#include <cwchar>

#include "PathPieces.h"
#include "TextUtil.h"

void RemovalScope::AddTree(const std::wstring& folder) {
  // A drive root would be no confinement at all.
  if (folder.size() > 3) trees_.push_back(WithBackslash(folder));
}

void RemovalScope::AddLinkFolder(const std::wstring& folder) {
  if (folder.size() > 3) linkFolders_.push_back(WithBackslash(folder));
}

bool RemovalScope::Allows(const std::wstring& path, std::wstring* area) const {
  if (path.empty()) return false;
  const std::wstring asFolder = WithBackslash(path);
  for (const std::wstring& tree : trees_) {
    if (StartsWithNoCase(asFolder, tree.c_str())) {
      if (area) *area = tree;
      return true;
    }
  }
  if (path.back() == L'\\' || path.size() < 4 ||
      _wcsicmp(path.c_str() + path.size() - 4, L".lnk") != 0) {
    return false;
  }
  for (const std::wstring& folder : linkFolders_) {
    if (StartsWithNoCase(path, folder.c_str()) && path.find(L'\\', folder.size()) == std::wstring::npos &&
        path.size() > folder.size() + 4) {
      if (area) *area = folder;
      return true;
    }
  }
  return false;
}
