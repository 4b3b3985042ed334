// Page "Design" of the "Detailed settings" sheet: classic installer,
// wizard or no wizard, the wizard switch and the two wizard images.
#pragma once
#include <windows.h>

INT_PTR CALLBACK DesignPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
