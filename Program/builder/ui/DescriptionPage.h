// Page "Description" of the "Detailed settings" sheet: a text file of the
// archive shown before extraction, optionally as a licence agreement, and
// the registry value that remembers it was read.
#pragma once
#include <windows.h>

INT_PTR CALLBACK DescriptionPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
