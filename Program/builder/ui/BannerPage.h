// Page "Banner" of the "Detailed settings" sheet: a banner bitmap from the
// archive with its preview, and the web page a click on it opens.
#pragma once
#include <windows.h>

INT_PTR CALLBACK BannerPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
