// The explorer pane: a tree of the shell namespace from the desktop down,
// showing only what belongs to the file system, listed lazily when a folder
// is first expanded. Its items are dragged onto the archive pane or added
// with the main window's Add command.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <string>
#include <vector>

// Creates the explorer tree (id 104) in its host and lists the desktop;
// null after telling the user and closing the main window when the desktop
// cannot be listed.
HWND ExplorerPane(HWND host);
// Destroys the tree and lets the desktop go; false when the tree stays.
bool DestroyExplorerPane(HWND host);
// The host's handling of a notification of the explorer tree; false when it
// leaves the notification to the default procedure.
bool ExplorerNotify(HWND host, const NMHDR* header, LRESULT* result);

// The file-system path of the selected explorer item; empty when nothing is
// selected or the item has none (a virtual folder).
std::wstring SelectedExplorerPath(HWND tree);
// A new copy of the file list of the drag under way, for the receiver to
// keep; null when no drag runs.
HGLOBAL RenderExplorerDrag();

// One child of a folder while the folder is listed.
struct ExplorerEntry {
  bool folder = false;
  LPITEMIDLIST relativeId = nullptr;  // owned while listing
  SFGAOF attributes = 0;
  std::wstring name;
  std::wstring typeName;
};

// The children of a folder that belong to the file system (or lead to it),
// sorted: folders first, then by type name, then by name as the file
// manager orders them. The caller frees each relativeId. False when the
// folder cannot be listed.
bool ListExplorerFolder(IShellFolder* folder, LPCITEMIDLIST folderId, HWND owner,
                        std::vector<ExplorerEntry>* entries);
bool CompareExplorerEntries(const ExplorerEntry& a, const ExplorerEntry& b);
// A file-system path as the pane keeps it: without a trailing backslash
// unless it is a drive root.
std::wstring ExplorerPathOf(LPCITEMIDLIST id);
