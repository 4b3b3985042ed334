// Bitmaps from the bytes of a .bmp file that came from outside (a package's
// archive, a project's archive): every part is checked to lie inside the
// block before GDI sees it.
#pragma once
#include <windows.h>
#include <cstddef>

namespace vesmarin {

// Whether block holds a whole uncompressed .bmp file: "BM", the 14-byte file
// header, an information header of at least 40 bytes, for BI_BITFIELDS the
// three masks, a colour table of at most 256 entries (biClrUsed, or
// 2^biBitCount up to 8 bits) and stride x |height| bytes of pixels, all
// inside size. bitsOffset receives where the pixels start: the file header's
// offset when it points past the colour table and the pixels fit from
// there, otherwise right after the colour table.
bool CheckPackedBitmap(const void* block, size_t size, size_t* bitsOffset);

// A device-dependent bitmap for the screen made of such a block; null for
// any other block. The block stays the caller's, the bitmap is the caller's.
HBITMAP CreateBitmapFromBmpBlock(const void* block, size_t size);

// The same for a movable global memory block that holds a .bmp file
// (GlobalSize bounds it); null for a null block or one that cannot be locked.
HBITMAP CreateBitmapFromGlobalBmp(HGLOBAL block);

}  // namespace vesmarin
