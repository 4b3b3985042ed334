#include "ArchiveTree.h"

#include <shellapi.h>
#include <shlwapi.h>
#include <windowsx.h>

#include "CompressorState.h"
#include "CompressorText.h"
#include "ProgressDialog.h"
#include "SardokResource.h"
#include "Splitter.h"
#include "TreeStyle.h"

namespace {

const size_t kMaxItemText = MAX_PATH - 1;

int ShellIcon(const wchar_t* path, DWORD attributes, UINT extraFlags) {
  SHFILEINFOW info = {};
  UINT flags = SHGFI_SYSICONINDEX | SHGFI_SMALLICON | extraFlags;
  if (attributes) flags |= SHGFI_USEFILEATTRIBUTES;
  if (!SHGetFileInfoW(path, attributes, &info, sizeof(info), flags) && !attributes)
    return ShellIcon(path, FILE_ATTRIBUTE_NORMAL, extraFlags);
  return info.iIcon;
}

HTREEITEM InsertItem(HWND tree, HTREEITEM parent, const std::wstring& text, int image,
                     int selectedImage, LPARAM data) {
  std::wstring kept = text.substr(0, kMaxItemText);
  TVINSERTSTRUCTW insert = {};
  insert.hParent = parent ? parent : TVI_ROOT;
  insert.hInsertAfter = TVI_SORT;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
  insert.item.pszText = &kept[0];
  insert.item.iImage = image;
  insert.item.iSelectedImage = selectedImage;
  insert.item.lParam = data;
  return reinterpret_cast<HTREEITEM>(
      SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

LPARAM GetItemData(HWND tree, HTREEITEM item) {
  TVITEMW data = {};
  data.mask = TVIF_PARAM;
  data.hItem = item;
  if (!TreeView_GetItem(tree, &data)) return 0;
  return data.lParam;
}

// The child of parent whose text equals name ignoring case, or null.
HTREEITEM FindChild(HWND tree, HTREEITEM parent, const std::wstring& name) {
  for (HTREEITEM child = TreeView_GetChild(tree, parent); child;
       child = TreeView_GetNextSibling(tree, child))
    if (lstrcmpiW(GetItemText(tree, child).c_str(), name.c_str()) == 0) return child;
  return nullptr;
}

bool AddFileToTree(HWND tree, HTREEITEM parent, const std::wstring& relative,
                   const std::wstring& path) {
  HTREEITEM current = parent;
  size_t start = 0;
  while (true) {
    const size_t end = relative.find(L'\\', start);
    const bool last = end == std::wstring::npos;
    const std::wstring component = relative.substr(start, last ? std::wstring::npos : end - start);
    if (component.empty() || component.size() > kMaxItemText) return false;
    HTREEITEM found = FindChild(tree, current, component);
    if (found) {
      // An item of the other kind keeps the name: the first one stays.
      const bool foundIsFile = GetItemSource(tree, found) != nullptr;
      if (last || foundIsFile) return true;
      current = found;
    } else if (last) {
      return InsertFileItem(tree, current, component, path) != nullptr;
    } else {
      current = InsertFolderItem(tree, current, component);
      if (!current) return false;
    }
    start = end + 1;
  }
}

void Collect(HWND tree, HTREEITEM first, const std::wstring& prefix,
             std::vector<std::wstring>& sources, std::vector<std::wstring>& names) {
  for (HTREEITEM item = first; item; item = TreeView_GetNextSibling(tree, item)) {
    const wchar_t* source = GetItemSource(tree, item);
    const std::wstring text = GetItemText(tree, item);
    if (source) {
      sources.push_back(source);
      names.push_back(prefix + text);
    } else if (HTREEITEM child = TreeView_GetChild(tree, item)) {
      Collect(tree, child, prefix + text + L"\\", sources, names);
    }
  }
}

}  // namespace

HWND CreateArchiveTreeControl(HWND host) {
  HWND tree = CreateWindowExW(
      WS_EX_CLIENTEDGE, WC_TREEVIEWW, L"",
      WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_GROUP | WS_TABSTOP | TVS_HASBUTTONS |
          TVS_HASLINES | TVS_DISABLEDRAGDROP | TVS_SHOWSELALWAYS,
      0, 0, 0, 0, host, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kArchiveTreeId)),
      Compressor().instance, nullptr);
  if (!tree) return nullptr;
  ApplyExplorerTreeStyle(tree);
  TreeView_SetImageList(tree, SystemSmallImageList(), TVSIL_NORMAL);
  InsertArchiveRoot(tree);
  return tree;
}

void FreeArchiveItemData(const NMTREEVIEWW* deleted) {
  if (deleted->itemOld.lParam) GlobalFree(reinterpret_cast<HGLOBAL>(deleted->itemOld.lParam));
}

void ShowArchiveContextMenu(HWND host, LPARAM screenPoint) {
  HWND tree = GetDlgItem(host, kArchiveTreeId);
  if (!tree) return;
  POINT screen = {GET_X_LPARAM(screenPoint), GET_Y_LPARAM(screenPoint)};
  TVHITTESTINFO hit = {};
  hit.pt = screen;
  ScreenToClient(tree, &hit.pt);
  HTREEITEM item = TreeView_HitTest(tree, &hit);
  if (!item || !(hit.flags & TVHT_ONITEM) || item == GetArchiveRoot(tree)) return;
  TreeView_SelectItem(tree, item);
  HMENU menu = LoadMenuW(Compressor().instance, MAKEINTRESOURCEW(IDR_ARCHIVE_CONTEXT));
  if (!menu) return;
  TrackPopupMenu(GetSubMenu(menu, 0), TPM_RIGHTBUTTON, screen.x, screen.y, 0,
                 Compressor().mainWindow ? Compressor().mainWindow : host, nullptr);
  DestroyMenu(menu);
}

HTREEITEM InsertArchiveRoot(HWND tree) {
  const int icon = ShellIcon(L".cab", FILE_ATTRIBUTE_NORMAL, 0);
  return InsertItem(tree, nullptr, LoadText(IDS_ARCHIVE_ROOT), icon, icon, 0);
}

HTREEITEM GetArchiveRoot(HWND tree) { return TreeView_GetRoot(tree); }

HTREEITEM FolderTargetOf(HWND tree, HTREEITEM item) {
  HTREEITEM root = GetArchiveRoot(tree);
  if (!item) return root;
  if (!GetItemSource(tree, item)) return item;
  HTREEITEM parent = TreeView_GetParent(tree, item);
  return parent ? parent : root;
}

HTREEITEM ResetArchiveTree(HWND tree) {
  TreeView_DeleteAllItems(tree);
  return InsertArchiveRoot(tree);
}

HTREEITEM InsertFolderItem(HWND tree, HTREEITEM parent, const std::wstring& name) {
  return InsertItem(tree, parent, name, ShellIcon(L"folder", FILE_ATTRIBUTE_DIRECTORY, 0),
                    ShellIcon(L"folder", FILE_ATTRIBUTE_DIRECTORY, SHGFI_OPENICON), 0);
}

HTREEITEM InsertFileItem(HWND tree, HTREEITEM parent, const std::wstring& name,
                         const std::wstring& source) {
  const size_t bytes = (source.size() + 1) * sizeof(wchar_t);
  HGLOBAL block = GlobalAlloc(GPTR, bytes);
  // Without its path the item would pass for a folder.
  if (!block) return nullptr;
  memcpy(block, source.c_str(), bytes);
  HTREEITEM item = InsertItem(tree, parent, name, ShellIcon(source.c_str(), 0, 0),
                              ShellIcon(source.c_str(), 0, SHGFI_OPENICON),
                              reinterpret_cast<LPARAM>(block));
  if (!item) GlobalFree(block);
  return item;
}

std::wstring GetItemText(HWND tree, HTREEITEM item) {
  wchar_t text[MAX_PATH] = {};
  TVITEMW data = {};
  data.mask = TVIF_TEXT;
  data.hItem = item;
  data.pszText = text;
  data.cchTextMax = MAX_PATH;
  if (!TreeView_GetItem(tree, &data)) return std::wstring();
  return text;
}

const wchar_t* GetItemSource(HWND tree, HTREEITEM item) {
  return reinterpret_cast<const wchar_t*>(GetItemData(tree, item));
}

bool AddPathToArchiveTree(HWND tree, const std::wstring& base, HTREEITEM parent,
                          const std::wstring& path) {
  if (Compressor().abort) return false;
  std::wstring folder = base;
  if (folder.empty() || folder.size() >= MAX_PATH - 1) return false;
  if (folder.back() != L'\\') folder += L'\\';
  PumpProgressMessages();
  SetProgressText(PathFindFileNameW(path.c_str()));
  if (path.size() >= MAX_PATH) return false;
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return true;
    const std::wstring inside = path.back() == L'\\' ? path : path + L"\\";
    const std::wstring search = inside + L"*.*";
    if (search.size() >= MAX_PATH) return false;
    std::vector<std::wstring> entries;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(search.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
          (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        continue;
      entries.push_back(inside + name);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return AddPathListToArchiveTree(tree, folder, parent, entries);
  }
  if (path.size() <= folder.size() || _wcsnicmp(path.c_str(), folder.c_str(), folder.size()) != 0)
    return false;
  return AddFileToTree(tree, parent, path.substr(folder.size()), path);
}

bool AddPathListToArchiveTree(HWND tree, const std::wstring& base, HTREEITEM parent,
                              const std::vector<std::wstring>& paths) {
  for (const std::wstring& path : paths)
    if (!AddPathToArchiveTree(tree, base, parent, path)) return false;
  return true;
}

void AddPathsWithProgress(HWND tree, HTREEITEM target, const std::vector<std::wstring>& paths) {
  CompressorState& state = Compressor();
  HWND owner = state.mainWindow;
  if (!OpenProgressDialog(owner)) return;
  state.abort = false;
  if (owner) EnableWindow(owner, FALSE);
  // Every path is taken relative to its own folder.
  for (const std::wstring& path : paths) {
    wchar_t folder[MAX_PATH];
    if (path.size() >= MAX_PATH) continue;
    wcscpy(folder, path.c_str());
    PathRemoveBackslashW(folder);
    if (!PathRemoveFileSpecW(folder)) continue;
    if (!AddPathToArchiveTree(tree, folder, target, path) && state.abort) break;
  }
  CloseProgressDialog(owner);
  TreeView_Expand(tree, target, TVE_EXPAND);
  state.treeModified = true;
}

void CollectArchiveEntries(HWND tree, HTREEITEM first, std::vector<std::wstring>& sources,
                           std::vector<std::wstring>& names) {
  if (!first) return;
  std::wstring prefix;
  for (HTREEITEM parent = TreeView_GetParent(tree, first);
       parent && TreeView_GetParent(tree, parent); parent = TreeView_GetParent(tree, parent))
    prefix = GetItemText(tree, parent) + L"\\" + prefix;
  Collect(tree, first, prefix, sources, names);
}

bool DeleteArchiveItem(HWND tree, HTREEITEM item) {
  if (!item || item == GetArchiveRoot(tree)) return false;
  if (!TreeView_DeleteItem(tree, item)) return false;
  Compressor().treeModified = true;
  return true;
}
