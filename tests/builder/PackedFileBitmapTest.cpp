// Bitmaps for the previews made from a ".bmp" file held in a global block:
// a 24-bit file has no colour table, and blocks whose parts do not lie
// inside them give no bitmap.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <vector>

#include "PackedFileBitmap.h"

namespace {

// A 2 x 2 file of the given depth; for 8 bits with `colors` table entries.
std::vector<uint8_t> BmpFile(int bits, int colors) {
  const int stride = ((2 * bits + 31) / 32) * 4;
  BITMAPFILEHEADER file = {};
  BITMAPINFOHEADER info = {};
  info.biSize = sizeof info;
  info.biWidth = 2;
  info.biHeight = 2;
  info.biPlanes = 1;
  info.biBitCount = static_cast<WORD>(bits);
  info.biCompression = BI_RGB;
  info.biClrUsed = static_cast<DWORD>(colors);
  const size_t table = static_cast<size_t>(colors) * 4;
  std::vector<uint8_t> bytes(sizeof file + sizeof info + table + stride * 2);
  file.bfType = 0x4D42;
  file.bfSize = static_cast<DWORD>(bytes.size());
  file.bfOffBits = static_cast<DWORD>(sizeof file + sizeof info + table);
  memcpy(bytes.data(), &file, sizeof file);
  memcpy(bytes.data() + sizeof file, &info, sizeof info);
  uint8_t* pixels = bytes.data() + file.bfOffBits;
  if (bits == 24) {
    // Bottom row first: blue, green; then red, white.
    const uint8_t rows[2][6] = {{255, 0, 0, 0, 255, 0}, {0, 0, 255, 255, 255, 255}};
    memcpy(pixels, rows[0], 6);
    memcpy(pixels + stride, rows[1], 6);
  }
  return bytes;
}

HGLOBAL Block(const std::vector<uint8_t>& bytes) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  memcpy(GlobalLock(block), bytes.data(), bytes.size());
  GlobalUnlock(block);
  return block;
}

TEST(PackedFileBitmap, TwentyFourBitFileHasNoColourTable) {
  HGLOBAL block = Block(BmpFile(24, 0));
  HBITMAP bitmap = CreateBitmapFromPackedFile(block);
  ASSERT_NE(nullptr, bitmap);
  HDC dc = CreateCompatibleDC(nullptr);
  HDC screen = GetDC(nullptr);
  HBITMAP copy = CreateCompatibleBitmap(screen, 2, 2);
  ReleaseDC(nullptr, screen);
  HDC source = CreateCompatibleDC(nullptr);
  HGDIOBJ oldSource = SelectObject(source, bitmap);
  HGDIOBJ old = SelectObject(dc, copy);
  BitBlt(dc, 0, 0, 2, 2, source, 0, 0, SRCCOPY);
  EXPECT_EQ(RGB(255, 0, 0), GetPixel(dc, 0, 0));
  EXPECT_EQ(RGB(0, 0, 255), GetPixel(dc, 0, 1));
  EXPECT_EQ(RGB(0, 255, 0), GetPixel(dc, 1, 1));
  SelectObject(dc, old);
  SelectObject(source, oldSource);
  DeleteDC(source);
  DeleteDC(dc);
  DeleteObject(copy);
  DeleteObject(bitmap);
  EXPECT_NE(nullptr, GlobalLock(block)) << "the block stays the caller's";
  GlobalUnlock(block);
  GlobalFree(block);
}

TEST(PackedFileBitmap, BlocksThatDoNotHoldAWholeFileGiveNothing) {
  EXPECT_EQ(nullptr, CreateBitmapFromPackedFile(nullptr));
  std::vector<uint8_t> cut = BmpFile(24, 0);
  cut.resize(cut.size() - 3);
  std::vector<uint8_t> tooManyColours = BmpFile(8, 300);
  std::vector<uint8_t> notBm = BmpFile(24, 0);
  notBm[0] = 'X';
  std::vector<uint8_t> headerOnly = BmpFile(24, 0);
  headerOnly.resize(20);
  for (const auto* bytes : {&cut, &tooManyColours, &notBm, &headerOnly}) {
    HGLOBAL block = Block(*bytes);
    HBITMAP bitmap = CreateBitmapFromPackedFile(block);
    EXPECT_EQ(nullptr, bitmap) << bytes->size();
    if (bitmap) DeleteObject(bitmap);
    GlobalFree(block);
  }
  // An eight-bit file with its 256 colours is fine.
  HGLOBAL block = Block(BmpFile(8, 256));
  HBITMAP bitmap = CreateBitmapFromPackedFile(block);
  EXPECT_NE(nullptr, bitmap);
  DeleteObject(bitmap);
  GlobalFree(block);
}

}  // namespace
