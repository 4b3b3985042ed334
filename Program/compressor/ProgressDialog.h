// The one modeless progress dialog of every long operation, and the message
// pump that keeps the program alive meanwhile.
#pragma once
#include <windows.h>

// Creates the dialog owned by owner, makes it the process-wide progress
// dialog and shows it; null when it cannot be created.
HWND OpenProgressDialog(HWND owner);
// Enables owner and destroys the dialog if it is still open.
void CloseProgressDialog(HWND owner);

// The first line (what is being done), from the string table.
void SetProgressFirstLine(UINT stringId);
// The second line (the file being worked on); set only when it changes.
void SetProgressText(const wchar_t* text);

// Takes every waiting message: a WM_QUIT is posted again and ends the
// pumping; others go to the progress dialog first, else are dispatched.
void PumpProgressMessages();

// Centres a window over the visible main window, else over the screen,
// keeping it on the screen.
void CenterOverMainWindow(HWND window);
