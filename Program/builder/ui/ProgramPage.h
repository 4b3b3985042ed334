// Page "Program" of the "Detailed settings" sheet: 32-bit or 64-bit stub,
// application manifest, and the versions written into the file header.
#pragma once
#include <windows.h>

INT_PTR CALLBACK ProgramPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
