// The archive item picker (dialog 106): lists the items of a cabinet, and
// in two modes its folders, and returns the one the user chooses. Callers
// set the archive and the filter, run the dialog and read the pick:
//
//   SetPickerArchive(g_SfxSettings.SrcArchiveFile);
//   SetPickerFilter(L".exe", 0);
//   if (RunItemPicker(owner, kPickFiles) == 1) use(GetPickedItem());
//
// Opening the archive here never changes the builder's last result code.
#pragma once
#include <windows.h>

enum PickerMode {
  kPickFiles = 0,             // files only
  kPickFoldersWithRoot = 1,   // folders, the root "\" included, and files
  kPickFoldersNoRoot = 2,     // folders without the root, and files
};

// The archive to list (cut to 259 characters); empty for null.
void SetPickerArchive(const wchar_t* path);
// The extension the filter box offers (".exe"; null or empty: no filter
// box) and whether the box starts checked.
void SetPickerFilter(const wchar_t* extension, int on);
// The chosen entry: valid after a result of 1 until the next pick.
const wchar_t* GetPickedItem();

// Dialog 106; the parameter is the mode. Result 1 when an entry was
// picked, 0 otherwise.
INT_PTR CALLBACK ItemPickerDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR RunItemPicker(HWND owner, int mode);

// Fills the list for the mode; false when the archive cannot be opened
// (an error box has been shown and the dialog ended with 0).
bool FillPickerList(HWND dialog, int mode);

// An item name the picker lists: one the build and the installer can use
// as a path inside the archive (relative, no "..", no drive or stream
// colon, no wildcard, quote, angle bracket, bar or control character, and
// a file name after its last backslash).
bool IsPickableItemName(const wchar_t* name);
