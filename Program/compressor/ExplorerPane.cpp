#include "ExplorerPane.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <algorithm>

#include "CompressorState.h"
#include "CompressorText.h"
#include "FaultGuard.h"
#include "OleDragDrop.h"
#include "PaneHost.h"
#include "SardokResource.h"
#include "TreeStyle.h"

namespace {

// What every tree item owns.
struct ExplorerItem {
  IShellFolder* shellFolder;    // folders only
  LPITEMIDLIST relativeId;      // relative to the parent folder
  LPITEMIDLIST absoluteId;      // from the desktop
  wchar_t fileSystemPath[MAX_PATH];
  bool enumerated;
};

IShellFolder* g_desktop = nullptr;
// The file list of the drag under way; each request gets a copy.
HGLOBAL g_dragBlock = nullptr;

ExplorerItem* ItemOf(HWND tree, HTREEITEM item) {
  TVITEMW data = {};
  data.mask = TVIF_PARAM;
  data.hItem = item;
  if (!item || !TreeView_GetItem(tree, &data)) return nullptr;
  return reinterpret_cast<ExplorerItem*>(data.lParam);
}

void FreeExplorerItem(ExplorerItem* item) {
  if (!item) return;
  if (item->shellFolder) item->shellFolder->Release();
  CoTaskMemFree(item->relativeId);
  CoTaskMemFree(item->absoluteId);
  delete item;
}

bool GetItemDisplayName(IShellFolder* folder, LPCITEMIDLIST relative, wchar_t* buffer) {
  buffer[0] = 0;
  STRRET name = {};
  if (FAILED(folder->GetDisplayNameOf(relative, SHGDN_NORMAL, &name))) return false;
  return SUCCEEDED(StrRetToBufW(&name, relative, buffer, MAX_PATH));
}

int IconOf(LPCITEMIDLIST absolute, UINT extraFlags) {
  SHFILEINFOW info = {};
  SHGetFileInfoW(reinterpret_cast<const wchar_t*>(absolute), 0, &info, sizeof(info),
                 SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON | extraFlags);
  return info.iIcon;
}

std::wstring TypeNameOf(LPCITEMIDLIST absolute) {
  SHFILEINFOW info = {};
  if (!SHGetFileInfoW(reinterpret_cast<const wchar_t*>(absolute), 0, &info, sizeof(info),
                      SHGFI_PIDL | SHGFI_TYPENAME))
    return std::wstring();
  return info.szTypeName;
}

IShellFolder* BindFolder(IShellFolder* parent, LPCITEMIDLIST relative) {
  IShellFolder* folder = nullptr;
  if (FAILED(parent->BindToObject(relative, nullptr, IID_IShellFolder,
                                  reinterpret_cast<void**>(&folder))))
    return nullptr;
  return folder;
}

// A child that is a folder to the shell is listed as a folder when it is
// virtual, a drive root or a directory; a file the shell browses (an
// archive) is listed as a file.
bool ListsAsFolder(const std::wstring& path) {
  if (path.empty() || path.size() == 3) return true;
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

HTREEITEM InsertEntry(HWND tree, HTREEITEM parent, HTREEITEM after, const ExplorerItem& parentItem,
                      IShellFolder* folder, ExplorerEntry& entry) {
  wchar_t name[MAX_PATH];
  if (!GetItemDisplayName(folder, entry.relativeId, name)) return nullptr;
  ExplorerItem* item = new ExplorerItem();
  item->relativeId = entry.relativeId;
  item->absoluteId = ILCombine(parentItem.absoluteId, entry.relativeId);
  if (!item->absoluteId) {
    delete item;
    return nullptr;
  }
  lstrcpynW(item->fileSystemPath, ExplorerPathOf(item->absoluteId).c_str(), MAX_PATH);
  if (entry.folder) item->shellFolder = BindFolder(folder, entry.relativeId);
  TVINSERTSTRUCTW insert = {};
  insert.hParent = parent;
  insert.hInsertAfter = after ? after : TVI_FIRST;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_CHILDREN;
  insert.item.pszText = name;
  insert.item.iImage = IconOf(item->absoluteId, 0);
  insert.item.iSelectedImage = IconOf(item->absoluteId, SHGFI_OPENICON);
  insert.item.cChildren = entry.folder ? 1 : 0;
  insert.item.lParam = reinterpret_cast<LPARAM>(item);
  HTREEITEM inserted = TreeView_InsertItem(tree, &insert);
  if (inserted) {
    entry.relativeId = nullptr;  // the item owns it now
  } else {
    item->relativeId = nullptr;  // freed with the entry
    FreeExplorerItem(item);
  }
  return inserted;
}

bool FillExplorerChildren(HWND tree, HTREEITEM parent) {
  ExplorerItem* parentItem = ItemOf(tree, parent);
  if (!parentItem || !parentItem->shellFolder) return false;
  std::vector<ExplorerEntry> entries;
  if (!ListExplorerFolder(parentItem->shellFolder, parentItem->absoluteId, GetParent(tree),
                          &entries))
    return false;
  HTREEITEM after = nullptr;
  for (ExplorerEntry& entry : entries) {
    if (HTREEITEM inserted =
            InsertEntry(tree, parent, after, *parentItem, parentItem->shellFolder, entry))
      after = inserted;
    CoTaskMemFree(entry.relativeId);
  }
  if (entries.empty()) {
    TVITEMW data = {};
    data.mask = TVIF_CHILDREN;
    data.hItem = parent;
    data.cChildren = 0;
    TreeView_SetItem(tree, &data);
  }
  return true;
}

bool InitExplorerRoot(HWND tree) {
  LPITEMIDLIST desktopId = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &desktopId)) || !desktopId)
    return false;
  if (g_desktop) g_desktop->Release();
  g_desktop = nullptr;
  if (FAILED(SHGetDesktopFolder(&g_desktop)) || !g_desktop) {
    CoTaskMemFree(desktopId);
    return false;
  }
  TreeView_SetImageList(tree, SystemSmallImageList(), TVSIL_NORMAL);
  SHFILEINFOW info = {};
  SHGetFileInfoW(reinterpret_cast<const wchar_t*>(desktopId), 0, &info, sizeof(info),
                 SHGFI_PIDL | SHGFI_DISPLAYNAME);
  ExplorerItem* item = new ExplorerItem();
  item->shellFolder = g_desktop;
  g_desktop->AddRef();
  item->relativeId = ILClone(desktopId);
  item->absoluteId = desktopId;
  lstrcpynW(item->fileSystemPath, ExplorerPathOf(desktopId).c_str(), MAX_PATH);
  TVINSERTSTRUCTW insert = {};
  insert.hParent = TVI_ROOT;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_CHILDREN;
  insert.item.pszText = info.szDisplayName;
  insert.item.iImage = IconOf(desktopId, 0);
  insert.item.iSelectedImage = IconOf(desktopId, SHGFI_OPENICON);
  insert.item.cChildren = 1;
  insert.item.lParam = reinterpret_cast<LPARAM>(item);
  HTREEITEM root = TreeView_InsertItem(tree, &insert);
  if (!root) {
    FreeExplorerItem(item);
    return false;
  }
  item->enumerated = true;
  if (!FillExplorerChildren(tree, root)) return false;
  TreeView_Expand(tree, root, TVE_EXPAND);
  return true;
}

struct GuardedCall {
  HWND tree;
  HTREEITEM item;
  bool result;
};

void RunInitRoot(void* context) {
  GuardedCall* call = static_cast<GuardedCall*>(context);
  call->result = InitExplorerRoot(call->tree);
}

void RunFill(void* context) {
  GuardedCall* call = static_cast<GuardedCall*>(context);
  call->result = FillExplorerChildren(call->tree, call->item);
}

void ExpandItem(HWND host, HWND tree, HTREEITEM handle) {
  ExplorerItem* item = ItemOf(tree, handle);
  if (!item || TreeView_GetChild(tree, handle)) return;
  HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  if (!item->enumerated) {
    GuardedCall call = {tree, handle, false};
    if (!item->shellFolder || !vesmarin::RunGuarded(RunFill, &call))
      ShowCompressorMessage(host, IDS_EXPAND_FAILED, MB_OK | MB_ICONERROR);
  }
  item->enumerated = true;
  SetCursor(previous);
}

void StartExplorerDrag(HWND host, const NMTREEVIEWW* view) {
  HWND tree = view->hdr.hwndFrom;
  ExplorerItem* item = ItemOf(tree, view->itemNew.hItem);
  if (!item || !item->fileSystemPath[0]) return;
  g_dragBlock = BuildDropFilesBlock({item->fileSystemPath});
  if (!g_dragBlock) return;
  const CLIPFORMAT formats[] = {CF_HDROP};
  StartDrag(host, kRenderDataMessage, formats, 1, DROPEFFECT_COPY);
  GlobalFree(g_dragBlock);
  g_dragBlock = nullptr;
}

}  // namespace

bool CompareExplorerEntries(const ExplorerEntry& a, const ExplorerEntry& b) {
  if (a.folder != b.folder) return a.folder;
  const int types = lstrcmpiW(a.typeName.c_str(), b.typeName.c_str());
  if (types != 0) return types < 0;
  return StrCmpLogicalW(a.name.c_str(), b.name.c_str()) < 0;
}

std::wstring ExplorerPathOf(LPCITEMIDLIST id) {
  wchar_t path[MAX_PATH] = {};
  if (!SHGetPathFromIDListW(id, path)) return std::wstring();
  std::wstring text = path;
  // Some shells hand out folders such as Documents with a trailing
  // backslash; only a drive root keeps it.
  while (text.size() > 3 && text.back() == L'\\') text.pop_back();
  return text;
}

bool ListExplorerFolder(IShellFolder* folder, LPCITEMIDLIST folderId, HWND owner,
                        std::vector<ExplorerEntry>* entries) {
  IEnumIDList* list = nullptr;
  if (folder->EnumObjects(owner, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, &list) != S_OK || !list)
    return false;
  LPITEMIDLIST child = nullptr;
  ULONG fetched = 0;
  while (list->Next(1, &child, &fetched) == S_OK && fetched == 1) {
    ExplorerEntry entry;
    entry.relativeId = child;
    wchar_t name[MAX_PATH];
    GetItemDisplayName(folder, child, name);
    entry.name = name;
    SFGAOF attributes = SFGAO_FILESYSTEM | SFGAO_FOLDER | SFGAO_FILESYSANCESTOR;
    LPCITEMIDLIST ids[] = {child};
    if (FAILED(folder->GetAttributesOf(1, ids, &attributes))) attributes = 0;
    entry.attributes = attributes;
    LPITEMIDLIST absolute = ILCombine(folderId, child);
    bool keep = false;
    if ((attributes & SFGAO_FOLDER) &&
        (attributes & (SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR))) {
      if (IShellFolder* bound = BindFolder(folder, child)) {
        entry.folder = absolute ? ListsAsFolder(ExplorerPathOf(absolute)) : true;
        bound->Release();
        keep = true;
      }
    } else if (attributes & SFGAO_FILESYSTEM) {
      keep = true;
    }
    if (keep && absolute) {
      entry.typeName = TypeNameOf(absolute);
      entries->push_back(entry);
    } else {
      CoTaskMemFree(child);
    }
    CoTaskMemFree(absolute);
  }
  list->Release();
  std::sort(entries->begin(), entries->end(), CompareExplorerEntries);
  return true;
}

HWND ExplorerPane(HWND host) {
  HWND tree = CreateWindowExW(
      WS_EX_CLIENTEDGE, WC_TREEVIEWW, L"",
      WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_GROUP | WS_TABSTOP | TVS_HASBUTTONS |
          TVS_HASLINES | TVS_SHOWSELALWAYS,
      0, 0, 1, 1, host, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kExplorerTreeId)),
      Compressor().instance, nullptr);
  if (!tree) return nullptr;
  ApplyExplorerTreeStyle(tree);
  GuardedCall call = {tree, nullptr, false};
  if (!vesmarin::RunGuarded(RunInitRoot, &call) || !call.result) {
    ShowCompressorMessage(host, IDS_EXPLORER_INIT_FAILED, MB_OK | MB_ICONERROR);
    if (Compressor().mainWindow) PostMessageW(Compressor().mainWindow, WM_CLOSE, 0, 0);
    DestroyWindow(tree);
    return nullptr;
  }
  return tree;
}

bool DestroyExplorerPane(HWND host) {
  HWND tree = GetDlgItem(host, kExplorerTreeId);
  if (tree && !DestroyWindow(tree)) return false;
  if (g_desktop) g_desktop->Release();
  g_desktop = nullptr;
  return true;
}

bool ExplorerNotify(HWND host, const NMHDR* header, LRESULT* result) {
  const NMTREEVIEWW* view = reinterpret_cast<const NMTREEVIEWW*>(header);
  *result = 0;
  switch (header->code) {
    case TVN_DELETEITEMW:
      FreeExplorerItem(reinterpret_cast<ExplorerItem*>(view->itemOld.lParam));
      return false;
    case TVN_BEGINDRAGW:
      StartExplorerDrag(host, view);
      return false;
    case TVN_ITEMEXPANDINGW:
      if (view->action & TVE_EXPAND) ExpandItem(host, header->hwndFrom, view->itemNew.hItem);
      return true;  // the expansion goes ahead
    case TVN_SELCHANGEDW:
      return true;
  }
  return false;
}

std::wstring SelectedExplorerPath(HWND tree) {
  if (!tree) return std::wstring();
  ExplorerItem* item = ItemOf(tree, TreeView_GetSelection(tree));
  return item ? item->fileSystemPath : std::wstring();
}

HGLOBAL RenderExplorerDrag() { return CopyGlobalBlock(g_dragBlock); }
