// Bitmaps for the settings pages' previews, made from a ".bmp" file that
// was extracted from the source archive into memory.
#pragma once
#include <windows.h>

#include "PackedBitmap.h"

// A screen bitmap from a movable global block holding a whole ".bmp" file;
// null for a null block or any block whose headers, colour table or pixels
// do not lie inside it. The caller keeps the block and owns the bitmap.
inline HBITMAP CreateBitmapFromPackedFile(HGLOBAL memory) {
  return vesmarin::CreateBitmapFromGlobalBmp(memory);
}
