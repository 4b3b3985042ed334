// Where a confined worker may remove files and folders: the installation's
// own folder tree, the Start-menu group folders it recorded, and shortcut
// files directly inside the user's own shortcut places. Paths are compared
// as text, letters case-insensitively; they must already be in canonical
// form (IsRemovableInstalledPath), so no "." or ".." part can lead out.
#pragma once
#include <string>
#include <vector>

class RemovalScope {
 public:
  // A folder whose whole tree may go, the folder itself included.
  void AddTree(const std::wstring& folder);
  // A folder from which shortcut files (".lnk") directly inside may go.
  void AddLinkFolder(const std::wstring& folder);

  // True when path lies in one of the trees, or is a shortcut file directly
  // in one of the link folders; *area (when given) receives that folder
  // with its trailing backslash.
  bool Allows(const std::wstring& path, std::wstring* area = nullptr) const;

 private:
  std::vector<std::wstring> trees_;
  std::vector<std::wstring> linkFolders_;
};
