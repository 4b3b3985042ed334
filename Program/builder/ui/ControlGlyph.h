// Small 16-colour glyphs that the builder's own controls draw where no
// visual style draws for them, made from rows of characters.
#pragma once
#include <windows.h>

const int kMaxGlyphSize = 16;

// A device-independent bitmap of 4 bits a pixel, usable as BITMAPINFO.
struct ControlGlyph {
  BITMAPINFOHEADER header;
  RGBQUAD colors[16];
  BYTE bits[kMaxGlyphSize * 8];  // rows of 8 bytes, bottom row first
};

// A glyph of size x size pixels (at most kMaxGlyphSize), every palette
// entry and pixel 0.
ControlGlyph MakeControlGlyph(int size);

// The palette entry of a colour.
RGBQUAD GlyphColor(COLORREF color);

// Sets the pixel at column x of row (0 is the top row) to a palette index.
void SetGlyphPixel(ControlGlyph& glyph, int x, int row, BYTE index);

// Sets every pixel from rows of characters, top row first; indexOf gives
// a character's palette index.
template <class IndexOf>
void FillControlGlyph(ControlGlyph& glyph, const char* const* rows, IndexOf indexOf) {
  const int size = static_cast<int>(glyph.header.biWidth);
  for (int row = 0; row < size; ++row)
    for (int x = 0; x < size; ++x) SetGlyphPixel(glyph, x, row, indexOf(rows[row][x]));
}

// Draws the glyph with its top left corner at (x, y).
void DrawControlGlyph(HDC dc, int x, int y, const ControlGlyph& glyph);
