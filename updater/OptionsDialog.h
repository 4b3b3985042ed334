// The options dialogs: when the updater shows itself after an automatic
// check. Dialog 117 in the integrated mode (two switches), dialog 116
// otherwise (a three-way choice).
#pragma once
#include <windows.h>

// Opens the dialog of the current mode, modal to owner; its result (1 OK,
// 2 Cancel). OK stores the choice in memory and under the settings' RegKey.
INT_PTR ShowOptionsDialog(HWND owner);
