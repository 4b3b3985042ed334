// Page "Extension Module" of the "Detailed settings" sheet: a library of
// the archive that the installer calls at its events, and its
// information file.
#pragma once
#include <windows.h>

INT_PTR CALLBACK ExtensionPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
