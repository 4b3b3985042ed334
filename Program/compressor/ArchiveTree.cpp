#include "ArchiveTree.h"

#include <shellapi.h>
#include <shlwapi.h>
#include <windowsx.h>

#include "ArchiveNames.h"
#include "CabEncoder.h"
#include "CompressorState.h"
#include "CompressorText.h"
#include "FolderChain.h"
#include "MainWindow.h"
#include "PathPieces.h"
#include "ProgressDialog.h"
#include "ResString.h"
#include "SardokResource.h"
#include "ScopedHandles.h"
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
                     int selectedImage, LPARAM data, HTREEITEM after = TVI_SORT) {
  std::wstring kept = text.substr(0, kMaxItemText);
  TVINSERTSTRUCTW insert = {};
  insert.hParent = parent ? parent : TVI_ROOT;
  insert.hInsertAfter = after;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
  insert.item.pszText = &kept[0];
  insert.item.iImage = image;
  insert.item.iSelectedImage = selectedImage;
  insert.item.lParam = data;
  return reinterpret_cast<HTREEITEM>(
      SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

HTREEITEM InsertFile(HWND tree, HTREEITEM parent, const std::wstring& name,
                     const std::wstring& source, int image, int selectedImage, HTREEITEM after) {
  const size_t bytes = (source.size() + 1) * sizeof(wchar_t);
  HGLOBAL block = GlobalAlloc(GPTR, bytes);
  // Without its path the item would pass for a folder.
  if (!block) return nullptr;
  memcpy(block, source.c_str(), bytes);
  HTREEITEM item = InsertItem(tree, parent, name, image, selectedImage,
                              reinterpret_cast<LPARAM>(block), after);
  if (!item) GlobalFree(block);
  return item;
}

int FolderIcon(bool open) {
  return ShellIcon(L"folder", FILE_ATTRIBUTE_DIRECTORY, open ? SHGFI_OPENICON : 0);
}

LPARAM GetItemData(HWND tree, HTREEITEM item) {
  TVITEMW data = {};
  data.mask = TVIF_PARAM;
  data.hItem = item;
  if (!TreeView_GetItem(tree, &data)) return 0;
  return data.lParam;
}

// Files whose icon is the file's own (programs, icons, links) are asked
// for one by one; every other file shows its type's icon.
bool HasOwnIcon(const std::wstring& extension) {
  static const wchar_t* const kOwn[] = {L".exe", L".ico", L".cur", L".ani", L".lnk", L".url",
                                        L".scr", L".cpl", L".pif", L".msc", L".appref-ms"};
  for (const wchar_t* own : kOwn)
    if (extension == own) return true;
  return false;
}

std::wstring LowerExtension(const std::wstring& path) {
  std::wstring extension = PathFindExtensionW(path.c_str());
  if (!extension.empty())
    CharLowerBuffW(&extension[0], static_cast<DWORD>(extension.size()));
  return extension;
}

// The text of the skipped-entries message, waiting for the main window to
// show it after the operation (a drop must not wait for a box).
std::wstring g_skippedText;

void AddFileToTree(ArchiveTreeBatch& batch, HTREEITEM parent, const std::wstring& relative,
                   const std::wstring& path) {
  if (!CabNameFits(batch.PrefixOf(parent) + relative)) return batch.SkipLongName(path);
  HTREEITEM current = parent;
  size_t start = 0;
  while (true) {
    const size_t end = relative.find(L'\\', start);
    const bool last = end == std::wstring::npos;
    const std::wstring component = relative.substr(start, last ? std::wstring::npos : end - start);
    if (!IsSafeArchiveComponent(component)) return batch.Skip(path);
    HTREEITEM found = batch.FindChild(current, component);
    if (found) {
      const wchar_t* source = GetItemSource(batch.tree(), found);
      if (last) {
        // The same file again adds nothing; another file or a folder holds
        // the place already.
        if (!source || lstrcmpiW(source, path.c_str()) != 0) batch.Skip(path);
        return;
      }
      if (source) return batch.Skip(path);
      current = found;
    } else if (last) {
      if (!batch.AddFile(current, component, path)) batch.Skip(path);
      return;
    } else {
      current = batch.AddFolder(current, component);
      if (!current) return batch.Skip(path);
    }
    start = end + 1;
  }
}

struct WalkEntry {
  std::wstring path;
  DWORD attributes;  // as the folder's listing gave them
  bool empty;        // the listing gave it no bytes
};

// Adds path below parent; false only when the run was cancelled. The
// attributes come from the listing of its folder, or are read here.
bool Walk(ArchiveTreeBatch& batch, FolderChain& chain, const std::wstring& folder,
          HTREEITEM parent, const std::wstring& path, DWORD attributes = INVALID_FILE_ATTRIBUTES,
          bool listedEmpty = false) {
  if (Compressor().abort) return false;
  PumpProgressMessages();
  SetProgressText(PathFindFileNameW(path.c_str()));
  if (path.size() >= MAX_PATH) {
    batch.Skip(path);
    return true;
  }
  if (attributes == INVALID_FILE_ATTRIBUTES) attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    batch.Skip(path);
    return true;
  }
  switch (chain.Meet(path, attributes, listedEmpty)) {
    case FolderChain::kUnreachable:
      batch.Skip(path);
      return true;
    case FolderChain::kOnChain:
    case FolderChain::kGone:
      return true;
    case FolderChain::kFile:
      if (path.size() <= folder.size() ||
          _wcsnicmp(path.c_str(), folder.c_str(), folder.size()) != 0) {
        batch.Skip(path);
      } else {
        AddFileToTree(batch, parent, path.substr(folder.size()), path);
      }
      return true;
    case FolderChain::kFolder:
      break;
  }
  FolderChain::Walking walking(chain);
  const std::wstring inside = path.back() == L'\\' ? path : path + L"\\";
  const std::wstring search = inside + L"*.*";
  if (search.size() >= MAX_PATH) {
    batch.Skip(path);
    return true;
  }
  std::vector<WalkEntry> entries;
  WIN32_FIND_DATAW data;
  vesmarin::ScopedFind find(FindFirstFileExW(search.c_str(), FindExInfoBasic, &data,
                                             FindExSearchNameMatch, nullptr, 0));
  if (!find) {
    if (GetLastError() != ERROR_FILE_NOT_FOUND) batch.Skip(path);
    return true;
  }
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    // A name Windows cannot hold is refused here, before anything asks
    // the file system about it.
    if (!IsSafeArchiveComponent(name)) {
      batch.Skip(inside + name);
      continue;
    }
    entries.push_back(
        {inside + name, data.dwFileAttributes, !data.nFileSizeLow && !data.nFileSizeHigh});
  } while (FindNextFileW(find.get(), &data));
  // The listing is closed before the walk goes down into it.
  find.Close();
  for (const WalkEntry& entry : entries)
    if (!Walk(batch, chain, folder, parent, entry.path, entry.attributes, entry.empty))
      return false;
  return true;
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

ArchiveTreeBatch::ArchiveTreeBatch(HWND tree) : tree_(tree), redraw_(IsWindowVisible(tree) != FALSE) {
  if (redraw_) SendMessageW(tree_, WM_SETREDRAW, FALSE, 0);
}

ArchiveTreeBatch::~ArchiveTreeBatch() { Finish(); }

ArchiveTreeBatch::ChildIndex& ArchiveTreeBatch::IndexOf(HTREEITEM parent) {
  auto found = indexes_.find(parent);
  if (found != indexes_.end()) return found->second;
  ChildIndex& index = indexes_[parent];
  // The first item of a text stays the one found, as a walk would find it.
  for (HTREEITEM child = TreeView_GetChild(tree_, parent); child;
       child = TreeView_GetNextSibling(tree_, child))
    index.emplace(GetItemText(tree_, child), child);
  return index;
}

const std::wstring& ArchiveTreeBatch::PrefixOf(HTREEITEM parent) {
  auto found = prefixes_.find(parent);
  if (found != prefixes_.end()) return found->second;
  std::wstring prefix;
  for (HTREEITEM item = parent; item && TreeView_GetParent(tree_, item);
       item = TreeView_GetParent(tree_, item))
    prefix = GetItemText(tree_, item) + L"\\" + prefix;
  return prefixes_.emplace(parent, prefix).first->second;
}

HTREEITEM ArchiveTreeBatch::FindChild(HTREEITEM parent, const std::wstring& name) {
  const ChildIndex& index = IndexOf(parent);
  auto found = index.find(name.substr(0, kMaxItemText));
  return found == index.end() ? nullptr : found->second;
}

HTREEITEM ArchiveTreeBatch::Added(HTREEITEM parent, const std::wstring& name, HTREEITEM item) {
  if (!item) return nullptr;
  touched_.insert(parent);
  auto index = indexes_.find(parent);
  if (index != indexes_.end()) index->second.emplace(name.substr(0, kMaxItemText), item);
  return item;
}

int ArchiveTreeBatch::FileIcon(const std::wstring& source, bool open) {
  const std::wstring extension = LowerExtension(source);
  if (HasOwnIcon(extension)) return ShellIcon(source.c_str(), 0, open ? SHGFI_OPENICON : 0);
  auto found = icons_.find(extension);
  if (found == icons_.end()) {
    const std::pair<int, int> icons(ShellIcon(source.c_str(), 0, 0),
                                    ShellIcon(source.c_str(), 0, SHGFI_OPENICON));
    found = icons_.emplace(extension, icons).first;
  }
  return open ? found->second.second : found->second.first;
}

HTREEITEM ArchiveTreeBatch::AddFolder(HTREEITEM parent, const std::wstring& name) {
  if (icons_.find(L"\\") == icons_.end())
    icons_.emplace(L"\\", std::make_pair(FolderIcon(false), FolderIcon(true)));
  const std::pair<int, int>& icons = icons_[L"\\"];
  return Added(parent, name, InsertItem(tree_, parent, name, icons.first, icons.second, 0, TVI_LAST));
}

HTREEITEM ArchiveTreeBatch::AddFile(HTREEITEM parent, const std::wstring& name,
                                    const std::wstring& source) {
  return Added(parent, name, InsertFile(tree_, parent, name, source, FileIcon(source, false),
                                        FileIcon(source, true), TVI_LAST));
}

void ArchiveTreeBatch::Finish() {
  if (finished_) return;
  finished_ = true;
  for (HTREEITEM parent : touched_) TreeView_SortChildren(tree_, parent, FALSE);
  indexes_.clear();
  touched_.clear();
  if (redraw_) {
    SendMessageW(tree_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(tree_, nullptr, TRUE);
  }
}

bool AddPathToArchiveTree(ArchiveTreeBatch& batch, const std::wstring& base, HTREEITEM parent,
                          const std::wstring& path) {
  const size_t skipped = batch.skipped().size() + batch.longNames().size();
  const std::wstring folder = WithBackslash(base);
  if (folder.empty() || folder.size() >= MAX_PATH) {
    batch.Skip(path);
    return false;
  }
  FolderChain chain;
  return Walk(batch, chain, folder, parent, path) &&
         batch.skipped().size() + batch.longNames().size() == skipped;
}

bool AddPathToArchiveTree(HWND tree, const std::wstring& base, HTREEITEM parent,
                          const std::wstring& path) {
  ArchiveTreeBatch batch(tree);
  return AddPathToArchiveTree(batch, base, parent, path);
}

bool AddPathListToArchiveTree(ArchiveTreeBatch& batch, const std::wstring& base,
                              HTREEITEM parent, const std::vector<std::wstring>& paths) {
  bool complete = true;
  for (const std::wstring& path : paths) {
    if (Compressor().abort) return false;
    complete = AddPathToArchiveTree(batch, base, parent, path) && complete;
  }
  return complete;
}

namespace {

// The first few paths, one a line, and a mark when there are more.
std::wstring FirstFew(const std::vector<std::wstring>& paths) {
  const size_t kNamed = 5;
  std::wstring list;
  for (size_t i = 0; i < paths.size() && i < kNamed; ++i) {
    if (i) list += L"\n";
    list += paths[i];
  }
  if (paths.size() > kNamed) list += L"\n...";
  return list;
}

// The text of many (the count put in), or of one when there is one.
std::wstring CountedList(UINT many, UINT one, const std::vector<std::wstring>& paths) {
  const int count = static_cast<int>(paths.size());
  return LoadResFormatted(Compressor().instance ? Compressor().instance : GetModuleHandleW(nullptr),
                          count == 1 ? one : many, FirstFew(paths).c_str(), &count);
}

}  // namespace

std::wstring SkippedEntriesText(const std::vector<std::wstring>& skipped,
                                const std::vector<std::wstring>& longNames) {
  std::wstring text;
  if (!skipped.empty()) text = CountedList(IDS_ENTRIES_SKIPPED, IDS_ENTRY_SKIPPED, skipped);
  if (!longNames.empty())
    text += (text.empty() ? L"" : L"\n\n") +
            CountedList(IDS_NAMES_TOO_LONG, IDS_NAME_TOO_LONG, longNames);
  return text;
}

void AddPathsWithProgress(HWND tree, HTREEITEM target, const std::vector<std::wstring>& paths) {
  CompressorState& state = Compressor();
  HWND owner = state.mainWindow;
  if (!OpenProgressDialog(owner)) return;
  state.abort = false;
  if (owner) EnableWindow(owner, FALSE);
  ArchiveTreeBatch batch(tree);
  // Every path is taken relative to its own folder.
  for (const std::wstring& path : paths) {
    if (state.abort) break;
    wchar_t folder[MAX_PATH];
    if (path.size() >= MAX_PATH) {
      batch.Skip(path);
      continue;
    }
    wcscpy(folder, path.c_str());
    PathRemoveBackslashW(folder);
    if (!PathRemoveFileSpecW(folder)) {
      batch.Skip(path);
      continue;
    }
    AddPathToArchiveTree(batch, folder, target, path);
  }
  batch.Finish();
  CloseProgressDialog(owner);
  TreeView_Expand(tree, target, TVE_EXPAND);
  state.treeModified = true;
  if ((!batch.skipped().empty() || !batch.longNames().empty()) && owner) {
    g_skippedText = SkippedEntriesText(batch.skipped(), batch.longNames());
    PostMessageW(owner, kSkippedEntriesMessage, 0, 0);
  }
}

void ShowSkippedEntries(HWND owner) {
  if (g_skippedText.empty()) return;
  std::wstring text;
  text.swap(g_skippedText);
  MessageBoxW(owner, text.c_str(), LoadText(IDS_CAPTION).c_str(), MB_OK | MB_ICONWARNING);
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
