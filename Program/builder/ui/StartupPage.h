// Page "Process before startup" of the "Detailed settings" sheet: rights
// required, Windows versions allowed, 32-bit emulation, integrity check.
#pragma once
#include <windows.h>

INT_PTR CALLBACK StartupPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
