// Picking items and bitmaps of the source archive for the pages of the
// "Detailed settings" sheet.
#pragma once
#include <windows.h>

// Runs the archive item picker on SrcArchiveFile with the extension filter
// (starting on or off) and the listing mode; on confirmation the picked
// name (at most 259 characters) is copied into picked (260).
bool PickArchiveItem(HWND page, const wchar_t* extension, bool filterOn, int mode,
                     wchar_t* picked);

// Runs the picker as PickArchiveItem does and puts the picked name into
// the edit. True when the edit was changed.
bool PickArchiveItemInto(HWND window, int editId, const wchar_t* extension, bool filterOn,
                         int mode = 0);

// A bitmap of an archive item; null when the item cannot be extracted or
// is no well-formed bitmap. The caller deletes it.
HBITMAP LoadArchiveBitmap(const wchar_t* archive, const wchar_t* item);

// Picks a ".bmp" from the archive and checks that it can be extracted and
// is a bitmap (warnings 298 and 297 otherwise); on success the name goes
// into the edit. True when the edit was changed.
bool PickArchiveBitmapInto(HWND page, int editId);
