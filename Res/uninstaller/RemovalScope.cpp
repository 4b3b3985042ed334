#include "RemovalScope.h"

#include <cwchar>

namespace {

std::wstring WithBackslash(std::wstring folder) {
  if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
  return folder;
}

bool StartsWith(const std::wstring& text, const std::wstring& head) {
  return text.size() >= head.size() && _wcsnicmp(text.c_str(), head.c_str(), head.size()) == 0;
}

}  // namespace

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
    if (StartsWith(asFolder, tree)) {
      if (area) *area = tree;
      return true;
    }
  }
  if (path.back() == L'\\' || path.size() < 4 ||
      _wcsicmp(path.c_str() + path.size() - 4, L".lnk") != 0) {
    return false;
  }
  for (const std::wstring& folder : linkFolders_) {
    if (StartsWith(path, folder) && path.find(L'\\', folder.size()) == std::wstring::npos &&
        path.size() > folder.size() + 4) {
      if (area) *area = folder;
      return true;
    }
  }
  return false;
}
