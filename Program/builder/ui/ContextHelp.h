// Context help: one web page of the maker's help site per dialog or
// settings page, opened in the user's browser.
#pragma once
#include <windows.h>

// The string holding the help address of a dialog id; the front page for
// 0 and for every id without a page of its own.
UINT HelpStringForDialog(int dialogId);

// Opens the help page of the dialog; string 295 when the browser cannot be
// started.
void ShowContextHelp(int dialogId);
