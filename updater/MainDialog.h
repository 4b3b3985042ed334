// The main dialog as far as this build has it: the tabs, the update list
// with the version check's result, and the buttons. The browser pane's host
// window class is registered, but it hosts nothing yet.
#pragma once
#include <windows.h>

#include <string>

#include "UpdateItem.h"

// Registers the browser host window class that the dialog template names;
// without it the dialog cannot be created.
bool RegisterBrowserHostClass(HINSTANCE instance);

// Creates the modeless main dialog owned by owner; null when it cannot be
// made.
HWND CreateMainDialog(HWND owner, bool shownAutomatically);

// The update list's text for one item.
std::wstring UpdateRowText(const UpdateItem& item, bool checkFailed);
