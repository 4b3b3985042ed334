// Bitmaps that the package carries in its archive for the wizard: turned
// into bitmaps from memory, and the panel bitmaps loaded at start-up.
#pragma once
#include <windows.h>
#include <cstddef>

namespace stub {

// A bitmap from the bytes of a .bmp file: "BM", the file header, the
// information header, the colour table (biClrUsed entries, or 2^biBitCount
// up to 8 bits) and the pixel bits right after it. Null for anything that
// is not such a block or whose parts do not fit into size. The block stays
// the caller's.
HBITMAP LoadBitmapFromMemory(const void* block, size_t size);

// Whether the block is such a bitmap: the checks of LoadBitmapFromMemory
// without creating anything; offset receives where the pixel bits start.
bool CheckBitmapBlock(const void* block, size_t size, size_t* bitsOffset);

// Loads the classic panel bitmap (UsePanelBitmap) and, for the new-style
// wizard, its panel bitmap (UseWiz97PanelBitmap) from the archive into
// g_ClassicPanelBitmap and g_Wiz97PanelBitmap; what cannot be loaded stays
// null and the built-in bitmaps are used.
void LoadWizardPanelBitmaps();

}  // namespace stub
