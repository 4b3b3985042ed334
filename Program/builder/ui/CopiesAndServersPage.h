// Page "Special process" of the "Detailed settings" sheet: archive items
// also extracted to another place, and files registered as COM servers.
#pragma once
#include <windows.h>

INT_PTR CALLBACK SpecialPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
