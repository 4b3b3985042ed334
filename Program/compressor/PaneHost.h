// The two pane host windows "Sardok_TreeViewPane" inside the main window's
// splitter: the archive pane (left) and the explorer pane (right). Each host
// holds one tree control and passes its notifications, drops and drag data
// requests to the pane's own code.
#pragma once
#include <windows.h>

extern const wchar_t kPaneHostClass[];
const int kArchivePaneId = 101;
const int kExplorerPaneId = 102;
const int kArchiveTreeId = 103;
const int kExplorerTreeId = 104;

void RegisterPaneClass(HINSTANCE instance);
// Creates both pane hosts in the splitter and hands them to it (archive
// pane first); false when a window or the hand-over fails.
bool CreatePanes(HWND splitter);

// The archive tree inside a main window, a splitter or a pane host; null
// when there is none.
HWND FindArchiveTree(HWND window);
// The explorer tree of a main window; null when there is none.
HWND FindExplorerTree(HWND window);
