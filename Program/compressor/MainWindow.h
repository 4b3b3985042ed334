// The compressor's main window "sardok_class": menu, a splitter holding the
// archive pane and the explorer pane, the command dispatcher, the window
// placement kept in the registry, and the hand-back of the created archive
// to the builder's window.
#pragma once
#include <windows.h>

extern const wchar_t kMainWindowClass[];
// Sent to the main window to restore the stored placement and show it.
const UINT kRestorePlacementMessage = 0x8066;
// Sent to the caller window: wParam this process's id, lParam the address
// of the created archive's path (260 characters) in this process.
const UINT kCompressorResultMessage = 0x8065;
// Posted to the main window when entries were left out of the tree: it
// names them in a message box.
const UINT kSkippedEntriesMessage = 0x8067;

bool RegisterMainWindowClass(HINSTANCE instance);
// Creates the main window hidden; null on failure.
HWND CreateMainWindow(HINSTANCE instance);

// The main window of another running compressor, or null. Every process's
// own hidden main window has the same class, so windows of this process do
// not count.
HWND FindOtherInstanceWindow();

// The show command a stored placement is restored with: normal or
// maximised as stored, anything else normal.
UINT RestoredShowCommand(DWORD stored);

// True when the window may close: nothing to lose, or the user chose.
bool ConfirmSaveChanges(HWND window);
