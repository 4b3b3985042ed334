// Page "Uninstaller" of the "Detailed settings" sheet: no uninstaller, the
// built-in one or one of the archive, and the entry under which it is
// registered with Windows.
#pragma once
#include <windows.h>

INT_PTR CALLBACK UninstallerPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
