// The archive pane: a tree whose root stands for the archive, whose folder
// items make the folder part of the names in the archive and whose file
// items remember the file on disk they stand for (a copy of its full path
// in the item data; folders and the root carry none).
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "PaneHost.h"

// The archive tree control (id 103) of the archive pane's host, with its
// root; null when it cannot be made.
HWND CreateArchiveTreeControl(HWND host);
// Frees the source path of a file item that the tree deletes.
void FreeArchiveItemData(const NMTREEVIEWW* deleted);
// The context menu of the archive pane at a screen point (WM_CONTEXTMENU):
// Delete for any item but the root.
void ShowArchiveContextMenu(HWND host, LPARAM screenPoint);

HTREEITEM InsertArchiveRoot(HWND tree);
HTREEITEM GetArchiveRoot(HWND tree);
// The folder item (or the root) that things added at item go into: the item
// itself unless it is a file item, whose parent is taken; the root for none.
HTREEITEM FolderTargetOf(HWND tree, HTREEITEM item);
// Removes every item and inserts a new root.
HTREEITEM ResetArchiveTree(HWND tree);

std::wstring GetItemText(HWND tree, HTREEITEM item);
// The file item's source path; null for folders and the root.
const wchar_t* GetItemSource(HWND tree, HTREEITEM item);

// One run of additions to the tree (a drop, an add command, a project being
// read). Children are found through an index of their names, built once per
// parent from what the tree holds and kept up to date by the run; new items
// go to their parent's end, and every parent that got one is sorted once
// when the run ends. The tree does not redraw meanwhile. Paths that cannot
// be added are collected, so that the walk goes on past them.
class ArchiveTreeBatch {
 public:
  explicit ArchiveTreeBatch(HWND tree);
  ~ArchiveTreeBatch();
  ArchiveTreeBatch(const ArchiveTreeBatch&) = delete;
  ArchiveTreeBatch& operator=(const ArchiveTreeBatch&) = delete;

  HWND tree() const { return tree_; }
  // The child of parent whose text is name, exactly (case counts); null
  // when there is none.
  HTREEITEM FindChild(HTREEITEM parent, const std::wstring& name);
  // New items below parent, whatever is there already.
  HTREEITEM AddFolder(HTREEITEM parent, const std::wstring& name);
  HTREEITEM AddFile(HTREEITEM parent, const std::wstring& name, const std::wstring& source);
  void Skip(const std::wstring& path) { skipped_.push_back(path); }
  const std::vector<std::wstring>& skipped() const { return skipped_; }
  // Files left out because their name in the archive would not fit a
  // cabinet's name field.
  void SkipLongName(const std::wstring& path) { longNames_.push_back(path); }
  const std::vector<std::wstring>& longNames() const { return longNames_; }
  // The part of the names in the archive that items below parent share:
  // the texts of parent and its ancestors below the root, each with a
  // backslash.
  const std::wstring& PrefixOf(HTREEITEM parent);
  // Sorts the parents that got items and lets the tree draw again; the
  // destructor does it when it was not done.
  void Finish();

 private:
  typedef std::unordered_map<std::wstring, HTREEITEM> ChildIndex;
  ChildIndex& IndexOf(HTREEITEM parent);
  HTREEITEM Added(HTREEITEM parent, const std::wstring& name, HTREEITEM item);
  int FileIcon(const std::wstring& source, bool open);

  HWND tree_;
  bool finished_ = false;
  bool redraw_;
  std::unordered_map<HTREEITEM, ChildIndex> indexes_;
  std::unordered_set<HTREEITEM> touched_;
  std::unordered_map<std::wstring, std::pair<int, int>> icons_;
  std::vector<std::wstring> skipped_;
  std::vector<std::wstring> longNames_;
  std::unordered_map<HTREEITEM, std::wstring> prefixes_;
};

// Adds a file, or every file below a folder, below parent, with the path
// relative to base as folder items (merged by their exact name) and a file
// item (an existing one of the same name keeps its source). Links to
// folders and files are followed as the folder mode follows them
// (FolderChain). An entry that cannot be added (a path of 260 characters or
// more, attributes that cannot be read, a folder that cannot be listed, a
// link whose target cannot be opened, a pipe, socket or device, a name
// Windows cannot hold, a name in
// the archive longer than a cabinet holds) is recorded in the batch and
// skipped; the walk goes on. False when anything was skipped or the run
// was cancelled; what was added stays.
bool AddPathToArchiveTree(ArchiveTreeBatch& batch, const std::wstring& base, HTREEITEM parent,
                          const std::wstring& path);
bool AddPathToArchiveTree(HWND tree, const std::wstring& base, HTREEITEM parent,
                          const std::wstring& path);
bool AddPathListToArchiveTree(ArchiveTreeBatch& batch, const std::wstring& base,
                              HTREEITEM parent, const std::vector<std::wstring>& paths);
// The same with the progress dialog, below target; the tree counts as
// modified afterwards. Entries that were skipped are named in one message
// at the end (the first few and their count).
void AddPathsWithProgress(HWND tree, HTREEITEM target, const std::vector<std::wstring>& paths);
// The text of that message for the skipped paths, and for those whose
// names were too long for the cabinet (with the limit).
std::wstring SkippedEntriesText(const std::vector<std::wstring>& skipped,
                                const std::vector<std::wstring>& longNames = {});
// Shows that message (posted as kSkippedEntriesMessage to the main window,
// so that it waits until the operation, and a drop's source, is done).
void ShowSkippedEntries(HWND owner);

// The (source path, name in the archive) pairs of first, its siblings and
// everything below them, depth first in the tree's order. Items below a
// file item are not visited.
void CollectArchiveEntries(HWND tree, HTREEITEM first, std::vector<std::wstring>& sources,
                           std::vector<std::wstring>& names);

// Deletes an item with its subtree unless it is the root; true when deleted.
bool DeleteArchiveItem(HWND tree, HTREEITEM item);
