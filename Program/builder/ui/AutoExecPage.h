// Page "Automatic execution" of the "Detailed settings" sheet: the program
// the installer runs after extraction, and further programs to run.
#pragma once
#include <windows.h>

INT_PTR CALLBACK AutoExecPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
