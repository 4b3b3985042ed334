// Page "Register shortcut" of the "Detailed settings" sheet: the Start-menu
// group and the shortcuts the installer creates.
#pragma once
#include <windows.h>

INT_PTR CALLBACK ShortcutPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
