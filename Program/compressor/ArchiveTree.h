// The archive pane: a tree whose root stands for the archive, whose folder
// items make the folder part of the names in the archive and whose file
// items remember the file on disk they stand for (a copy of its full path
// in the item data; folders and the root carry none).
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>
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

// Sorted inserts below parent; name is the item's text (at most 259
// characters are kept).
HTREEITEM InsertFolderItem(HWND tree, HTREEITEM parent, const std::wstring& name);
HTREEITEM InsertFileItem(HWND tree, HTREEITEM parent, const std::wstring& name,
                         const std::wstring& source);

std::wstring GetItemText(HWND tree, HTREEITEM item);
// The file item's source path; null for folders and the root.
const wchar_t* GetItemSource(HWND tree, HTREEITEM item);

// Adds a file, or every file below a folder, below parent, with the path
// relative to base as folder items (merged by name, ignoring case) and a
// file item (an existing one of the same name keeps its source). False
// when a path is too long, a folder cannot be listed or the run was
// cancelled; what was added stays.
bool AddPathToArchiveTree(HWND tree, const std::wstring& base, HTREEITEM parent,
                          const std::wstring& path);
bool AddPathListToArchiveTree(HWND tree, const std::wstring& base, HTREEITEM parent,
                              const std::vector<std::wstring>& paths);
// The same with the progress dialog, below target; the tree counts as
// modified afterwards.
void AddPathsWithProgress(HWND tree, HTREEITEM target, const std::vector<std::wstring>& paths);

// The (source path, name in the archive) pairs of first, its siblings and
// everything below them, depth first in the tree's order. Items below a
// file item are not visited.
void CollectArchiveEntries(HWND tree, HTREEITEM first, std::vector<std::wstring>& sources,
                           std::vector<std::wstring>& names);

// Deletes an item with its subtree unless it is the root; true when deleted.
bool DeleteArchiveItem(HWND tree, HTREEITEM item);
