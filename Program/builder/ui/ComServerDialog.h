// Dialog "Edit file items to register" of the "Special process" page: one
// file of the archive that the installer registers as a COM server.
#pragma once
#include <windows.h>

#include "SettingsBlockFormat.h"

// Edits the record; it is changed only when the dialog ends with OK (1).
INT_PTR EditComServerItem(HWND owner, RegComSvrItem* item);
