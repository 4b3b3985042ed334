// Page "Icon" of the "Detailed settings" sheet: one of the built-in icon
// sets or an icon file for the built program, with a preview.
#pragma once
#include <windows.h>

INT_PTR CALLBACK IconPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
