// Page "Background" of the "Detailed settings" sheet: a full-screen
// background behind the installer with colour, text and a logo bitmap.
#pragma once
#include <windows.h>

INT_PTR CALLBACK BackgroundPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
