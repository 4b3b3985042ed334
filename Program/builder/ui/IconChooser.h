// The icon chooser (dialog 101): shows the icons of a file inside the
// source archive (g_SfxSettings.SrcArchiveFile) and returns the chosen
// icon's index.
#pragma once
#include <windows.h>

// Dialog 101; the parameter is the item's path inside the archive. Result:
// the chosen icon's 0-based index, or -1 (Cancel, or an error that the
// dialog has shown).
INT_PTR CALLBACK SelectIconDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR RunIconChooser(HWND owner, const wchar_t* itemPath);

// The icons of a file, loaded with ExtractIconW: the count it reports for
// index -1, each index up to that count, stopping at the first index that
// gives no icon (null, or the value 1 that marks a file without icons).
// The caller destroys the icons. Returns how many were added.
int ExtractFileIcons(const wchar_t* path, HICON* icons, int capacity);
