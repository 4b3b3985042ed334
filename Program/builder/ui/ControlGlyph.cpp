#include "ControlGlyph.h"

ControlGlyph MakeControlGlyph(int size) {
  ControlGlyph glyph = {};
  if (size > kMaxGlyphSize) size = kMaxGlyphSize;
  glyph.header.biSize = sizeof(BITMAPINFOHEADER);
  glyph.header.biWidth = size;
  glyph.header.biHeight = size;
  glyph.header.biPlanes = 1;
  glyph.header.biBitCount = 4;
  glyph.header.biCompression = BI_RGB;
  glyph.header.biClrUsed = 16;
  return glyph;
}

RGBQUAD GlyphColor(COLORREF color) {
  return {GetBValue(color), GetGValue(color), GetRValue(color), 0};
}

void SetGlyphPixel(ControlGlyph& glyph, int x, int row, BYTE index) {
  const int size = static_cast<int>(glyph.header.biHeight);
  BYTE* line = glyph.bits + (size - 1 - row) * 8;
  line[x / 2] |= (x % 2) ? index : static_cast<BYTE>(index << 4);
}

void DrawControlGlyph(HDC dc, int x, int y, const ControlGlyph& glyph) {
  const int size = static_cast<int>(glyph.header.biWidth);
  SetDIBitsToDevice(dc, x, y, size, size, 0, 0, 0, size, glyph.bits,
                    reinterpret_cast<const BITMAPINFO*>(&glyph), DIB_RGB_COLORS);
}
