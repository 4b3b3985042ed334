// Dialog "Edit file/folder items to be extracted to another location" of
// the "Special process" page: one file or folder of the archive that the
// installer also extracts to another place.
#pragma once
#include <windows.h>

#include "SettingsBlockFormat.h"

// Edits the item; it is changed only when the dialog ends with OK (1)
// after its folder passed the checks.
INT_PTR EditExtraCopyItem(HWND owner, ExtraCopyItem* item);
