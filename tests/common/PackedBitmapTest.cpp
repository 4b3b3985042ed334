// Bitmaps made of .bmp bytes from outside: whole ones become bitmaps,
// anything that would make GDI read past the block gives none.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "PackedBitmap.h"

namespace {

using vesmarin::CheckPackedBitmap;
using vesmarin::CreateBitmapFromBmpBlock;

// A width x height bitmap of the given depth: file header, 40-byte header,
// masks when asked, colour table, pixels; gap bytes between table and pixels.
std::vector<uint8_t> MakeBmp(int width, int height, int depth, uint32_t colours = 0,
                             bool bitfields = false, size_t gap = 0) {
  const size_t table = depth <= 8 ? 4u * (colours ? colours : 1u << depth) : 4u * colours;
  const size_t masks = bitfields ? 12 : 0;
  const size_t stride = ((static_cast<size_t>(width) * depth + 31) / 32) * 4;
  const size_t rows = height < 0 ? -height : height;
  const size_t offset = 14 + 40 + masks + table + gap;
  std::vector<uint8_t> bmp(offset + stride * rows, 0);
  bmp[0] = 'B';
  bmp[1] = 'M';
  const uint32_t off32 = static_cast<uint32_t>(offset);
  memcpy(&bmp[10], &off32, 4);
  BITMAPINFOHEADER info = {};
  info.biSize = 40;
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = static_cast<WORD>(depth);
  info.biClrUsed = colours;
  info.biCompression = bitfields ? BI_BITFIELDS : BI_RGB;
  memcpy(&bmp[14], &info, sizeof(info));
  if (bitfields) {
    const uint32_t m[3] = {0xF800, 0x07E0, 0x001F};
    memcpy(&bmp[54], m, sizeof(m));
  }
  // Pixels: the first byte of each row set, so the gap is told from the pixels.
  for (size_t r = 0; r < rows; ++r) bmp[offset + r * stride] = 0xFF;
  return bmp;
}

BITMAPINFOHEADER* Header(std::vector<uint8_t>& bmp) {
  return reinterpret_cast<BITMAPINFOHEADER*>(&bmp[14]);
}

TEST(PackedBitmap, WholeBitmapsOfEveryDepthAreAccepted) {
  for (int depth : {1, 4, 8, 16, 24, 32}) {
    std::vector<uint8_t> bmp = MakeBmp(3, 2, depth);
    size_t offset = 0;
    ASSERT_TRUE(CheckPackedBitmap(bmp.data(), bmp.size(), &offset)) << depth;
    HBITMAP bitmap = CreateBitmapFromBmpBlock(bmp.data(), bmp.size());
    EXPECT_NE(bitmap, nullptr) << depth;
    if (bitmap) {
      BITMAP b = {};
      GetObjectW(bitmap, sizeof(b), &b);
      EXPECT_EQ(b.bmWidth, 3);
      EXPECT_EQ(b.bmHeight, 2);
      DeleteObject(bitmap);
    }
  }
  // Top-down, a short colour table, and 16- and 32-bit bitfields.
  std::vector<uint8_t> topDown = MakeBmp(2, -2, 8, 3);
  EXPECT_TRUE(CheckPackedBitmap(topDown.data(), topDown.size(), nullptr));
  for (int depth : {16, 32}) {
    std::vector<uint8_t> fields = MakeBmp(2, 2, depth, 0, true);
    size_t offset = 0;
    ASSERT_TRUE(CheckPackedBitmap(fields.data(), fields.size(), &offset)) << depth;
    EXPECT_EQ(offset, 14u + 40 + 12);
    HBITMAP bitmap = CreateBitmapFromBmpBlock(fields.data(), fields.size());
    EXPECT_NE(bitmap, nullptr);
    if (bitmap) DeleteObject(bitmap);
  }
}

TEST(PackedBitmap, TheFileHeadersOffsetIsUsedOnlyWhenItIsValid) {
  std::vector<uint8_t> bmp = MakeBmp(2, 2, 24, 0, false, 6);
  size_t offset = 0;
  ASSERT_TRUE(CheckPackedBitmap(bmp.data(), bmp.size(), &offset));
  EXPECT_EQ(offset, 14u + 40 + 6) << "pixels after a gap";
  // An offset into the header, or one past the end, falls back to the
  // pixels right after the colour table when they fit there.
  for (uint32_t wrong : {20u, 0xFFFFFFF0u, static_cast<uint32_t>(bmp.size())}) {
    std::vector<uint8_t> b = MakeBmp(2, 2, 24);
    memcpy(&b[10], &wrong, 4);
    ASSERT_TRUE(CheckPackedBitmap(b.data(), b.size(), &offset)) << wrong;
    EXPECT_EQ(offset, 14u + 40);
  }
}

TEST(PackedBitmap, BlocksThatWouldBeReadPastTheirEndGiveNoBitmap) {
  const std::vector<uint8_t> good = MakeBmp(4, 4, 8);
  // Cut anywhere: in the headers, in the colour table, in the last row.
  for (size_t cut : {size_t{0}, size_t{13}, size_t{53}, size_t{14 + 40 + 100}, good.size() - 1}) {
    EXPECT_FALSE(CheckPackedBitmap(good.data(), cut, nullptr)) << cut;
    EXPECT_EQ(CreateBitmapFromBmpBlock(good.data(), cut), nullptr) << cut;
  }
  EXPECT_FALSE(CheckPackedBitmap(nullptr, 100, nullptr));
  std::vector<uint8_t> b;
  b = good; b[1] = 'X';
  EXPECT_FALSE(CheckPackedBitmap(b.data(), b.size(), nullptr)) << "not BM";
  b = good; Header(b)->biSize = 12;
  EXPECT_FALSE(CheckPackedBitmap(b.data(), b.size(), nullptr)) << "core header";
  b = good; Header(b)->biSize = 0x7FFFFFFF;
  EXPECT_FALSE(CheckPackedBitmap(b.data(), b.size(), nullptr)) << "header past the end";
  b = good; Header(b)->biHeight = 0;
  EXPECT_FALSE(CheckPackedBitmap(b.data(), b.size(), nullptr)) << "zero height";
  b = good; Header(b)->biWidth = -4;
  EXPECT_FALSE(CheckPackedBitmap(b.data(), b.size(), nullptr)) << "negative width";
  b = good; Header(b)->biClrUsed = 0x1000000;
  EXPECT_FALSE(CheckPackedBitmap(b.data(), b.size(), nullptr)) << "16 million colours";
  b = good; Header(b)->biClrUsed = 257;
  EXPECT_FALSE(CheckPackedBitmap(b.data(), b.size(), nullptr)) << "257 colours";
  b = good; Header(b)->biCompression = BI_RLE8;
  EXPECT_FALSE(CheckPackedBitmap(b.data(), b.size(), nullptr)) << "compressed";
  b = good; Header(b)->biBitCount = 7;
  EXPECT_FALSE(CheckPackedBitmap(b.data(), b.size(), nullptr)) << "odd depth";
  b = good; Header(b)->biHeight = -0x7FFFFFFF - 1;
  EXPECT_FALSE(CheckPackedBitmap(b.data(), b.size(), nullptr)) << "most negative height";
  b = good; Header(b)->biWidth = 0x7FFFFFFF;
  EXPECT_FALSE(CheckPackedBitmap(b.data(), b.size(), nullptr)) << "huge width";
  // Bitfields whose masks are cut off, and bitfields on an 8-bit bitmap.
  std::vector<uint8_t> fields = MakeBmp(1, 1, 32, 0, true);
  EXPECT_FALSE(CheckPackedBitmap(fields.data(), 14 + 40 + 8, nullptr));
  b = good; Header(b)->biCompression = BI_BITFIELDS;
  EXPECT_FALSE(CheckPackedBitmap(b.data(), b.size(), nullptr));
}

TEST(PackedBitmap, AGlobalBlockIsBoundedByItsSize) {
  std::vector<uint8_t> bmp = MakeBmp(2, 2, 24);
  EXPECT_EQ(vesmarin::CreateBitmapFromGlobalBmp(nullptr), nullptr);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bmp.size());
  ASSERT_NE(block, nullptr);
  memcpy(GlobalLock(block), bmp.data(), bmp.size());
  GlobalUnlock(block);
  HBITMAP bitmap = vesmarin::CreateBitmapFromGlobalBmp(block);
  EXPECT_NE(bitmap, nullptr);
  if (bitmap) DeleteObject(bitmap);
  // A block too small for the pixels the header promises.
  HGLOBAL small = GlobalAlloc(GMEM_MOVEABLE, 60);
  memcpy(GlobalLock(small), bmp.data(), 60);
  GlobalUnlock(small);
  EXPECT_EQ(vesmarin::CreateBitmapFromGlobalBmp(small), nullptr);
  GlobalFree(small);
  GlobalFree(block);
}

}  // namespace
