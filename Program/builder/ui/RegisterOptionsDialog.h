// Dialog "Uninstaller register option" of the "Uninstaller" page: the
// further values of the uninstaller's registration with Windows. It edits
// the page's working copy of them, not the settings.
#pragma once
#include <windows.h>

#include "SfxSettings.h"

// The options change only when the dialog ends with OK (1).
INT_PTR EditRegisterOptions(HWND owner, RegisterOptions* options);
