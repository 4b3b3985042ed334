// Page "Extract" of the "Detailed settings" sheet: the destination, how
// files are overwritten and what happens when overwriting fails, and the
// registry value that keeps the destination.
#pragma once
#include <windows.h>

INT_PTR CALLBACK ExtractPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
