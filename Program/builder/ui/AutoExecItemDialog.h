// The editor of one automatic-execution item (dialog 143). The settings
// page puts the item into EditedAutoExecItem(), runs the dialog and takes
// the item back when the result is 1.
#pragma once
#include <windows.h>

#include "SettingsBlockFormat.h"

// The item the page and the dialog share.
AutoExecItem& EditedAutoExecItem();

// Dialog 143, no parameter: 1 when the item was updated, 0 for Cancel.
INT_PTR CALLBACK AutoExecItemDialogProc(HWND dialog, UINT message, WPARAM wParam,
                                        LPARAM lParam);
INT_PTR RunAutoExecItemDialog(HWND owner);
