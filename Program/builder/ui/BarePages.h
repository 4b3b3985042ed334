// Pages of the "Detailed settings" sheet that show only their template so
// far: they follow the page protocol (help) and touch no setting.
#pragma once
#include <windows.h>

INT_PTR CALLBACK ShortcutPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
