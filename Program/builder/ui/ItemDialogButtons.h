// The buttons the builder's item dialogs and the archive item picker
// share: OK, Cancel and, where the dialog has one, Help.
#pragma once
#include <windows.h>

// Handles a command of one of those buttons: OK calls confirm (which ends
// the dialog when its checks pass), Cancel ends the dialog with
// cancelResult (0 for the item dialogs, IDCANCEL for the sub-dialogs of the
// sheet's pages), and the help button IDC_ITEM_HELP opens the help page of
// helpDialogId (0 for a dialog without help). False for any other command,
// which the dialog handles itself.
bool HandleItemDialogButton(HWND dialog, int commandId, void (*confirm)(HWND dialog),
                            int helpDialogId, INT_PTR cancelResult = 0);
