// The options dialog. This build shows a notice that the settings cannot be
// changed yet.
#pragma once
#include <windows.h>

INT_PTR ShowOptionsDialog(HWND owner);
