// The builder's main window (dialog 118): archive, output, title, greeting
// and credit line, and every top-level command.
#pragma once
#include <windows.h>

// A path to open as if it had been dropped on the window (lParam: the
// path). The window sends it to itself with a dropped or handed-back path;
// any other sender, and every posted copy, is ignored without reading
// lParam.
const UINT OpenPathMessage = WM_APP + 0x66;

INT_PTR CALLBACK BuilderMainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Shows a newly chosen archive and fills the empty fields that follow from
// it. Cuts the extension off the buffer.
void SetArchivePath(HWND window, wchar_t* path);
// Opens a ".ini" (load) or ".cab" (new archive); other paths do nothing.
void OpenDroppedPath(HWND window, const wchar_t* path);
// Create (button and menu item) is enabled exactly when the archive and an
// ".exe" output are named.
void UpdateCreateCommand(HWND window);
void UpdateMainTitle(HWND window);
// Writes position and last folders under the Option key.
void SaveWindowState();
// Keeps a greeting edit to three lines (primary: edit 1009, else 1010).
void LimitGreetingLines(HWND window, bool primary);
