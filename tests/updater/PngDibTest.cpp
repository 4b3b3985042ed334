// The PNG decoder on good icons of every supported kind and on broken and
// hostile files.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "PngBuilder.h"
#include "PngDib.h"
#include "TestSupport.h"

namespace {

using updatertest::PngChunk;
using updatertest::PngFile;

class PngDib : public ::testing::Test {
 protected:
  // Decodes content written to a file; the result code, and the DIB in dib_.
  int Decode(const std::string& content) {
    const std::wstring path = dir_ / L"icon.png";
    EXPECT_TRUE(testsupport::WriteFileBytes(path, content.data(), content.size()));
    return LoadPngAsDib(path.c_str(), &dib_);
  }
  void TearDown() override {
    if (header_) GlobalUnlock(dib_);
    if (dib_) GlobalFree(dib_);
  }
  const BITMAPINFOHEADER& Header() {
    if (!header_) header_ = static_cast<BITMAPINFOHEADER*>(GlobalLock(dib_));
    return *header_;
  }
  const BYTE* Table() { return reinterpret_cast<const BYTE*>(&Header()) + sizeof(BITMAPINFOHEADER); }
  const BYTE* Bits() { return Table() + 4 * Header().biClrUsed; }
  size_t Stride() { return (Header().biBitCount * Header().biWidth + 31) / 32 * 4; }
  // The 4 bytes of pixel (x, y) of a 32-bit DIB, y counted from the top.
  std::string Pixel32(int x, int y) {
    const BYTE* row = Bits() + Stride() * (Header().biHeight - 1 - y);
    return std::string(reinterpret_cast<const char*>(row + 4 * x), 4);
  }

  testsupport::TempDir dir_{L"png"};
  HGLOBAL dib_ = nullptr;
  BITMAPINFOHEADER* header_ = nullptr;
};

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (int v : values) bytes += static_cast<char>(v);
  return bytes;
}

TEST_F(PngDib, RgbaIconKeepsAlphaAndStoresRowsBottomUp) {
  ASSERT_EQ(Decode(updatertest::RgbaIcon()), kPngOk);
  EXPECT_EQ(Header().biSize, 40u);
  EXPECT_EQ(Header().biWidth, 32);
  EXPECT_EQ(Header().biHeight, 16);
  EXPECT_EQ(Header().biBitCount, 32);
  EXPECT_EQ(Header().biClrUsed, 0u);
  // Blue, green, red, alpha; the first stored row is the image's last.
  EXPECT_EQ(Pixel32(0, 0), Bytes({200, 0, 0, 255}));
  EXPECT_EQ(Pixel32(3, 15), Bytes({200, 240, 24, 243}));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(Bits()), 4), Bytes({200, 240, 0, 255}));
  EXPECT_EQ(GlobalSize(dib_), 40u + 32 * 4 * 16);
}

TEST_F(PngDib, SixteenBitSamplesAreReducedAndGreyAlphaIsSpread) {
  // 16-bit RGB keeps the high byte of each sample.
  ASSERT_EQ(Decode(PngFile(1, 1, 16, 2, {Bytes({0x12, 0xff, 0x80, 0x00, 0xfe, 0x01})})), kPngOk);
  EXPECT_EQ(Header().biBitCount, 24);
  const BYTE* pixel = Bits();
  EXPECT_EQ(pixel[2], 0x12);
  EXPECT_EQ(pixel[1], 0x80);
  EXPECT_EQ(pixel[0], 0xfe);
  TearDown();
  header_ = nullptr;
  dib_ = nullptr;
  ASSERT_EQ(Decode(PngFile(2, 1, 8, 4, {Bytes({90, 10, 200, 250})})), kPngOk);
  EXPECT_EQ(Header().biBitCount, 32);
  EXPECT_EQ(Pixel32(0, 0), Bytes({90, 90, 90, 10}));
  EXPECT_EQ(Pixel32(1, 0), Bytes({200, 200, 200, 250}));
}

TEST_F(PngDib, RgbWithTransparentColourGetsAlphaZeroThere) {
  const std::string trns = Bytes({0, 1, 0, 2, 0, 3});
  ASSERT_EQ(Decode(PngFile(2, 1, 8, 2, {Bytes({1, 2, 3, 4, 5, 6})}, {{"tRNS", trns}})), kPngOk);
  EXPECT_EQ(Header().biBitCount, 32);
  EXPECT_EQ(Pixel32(0, 0), Bytes({3, 2, 1, 0}));
  EXPECT_EQ(Pixel32(1, 0), Bytes({6, 5, 4, 255}));
}

TEST_F(PngDib, PaletteImagesKeepTheirDepthOrTakeTheAlphaOfTheirEntries) {
  const std::string palette = Bytes({255, 0, 0, 0, 255, 0, 0, 0, 255});
  // 4-bit indexes 0,1,2,1 stay 4-bit with the palette as colour table.
  ASSERT_EQ(Decode(PngFile(4, 1, 4, 3, {Bytes({0x01, 0x21})}, {{"PLTE", palette}})), kPngOk);
  EXPECT_EQ(Header().biBitCount, 4);
  EXPECT_EQ(Header().biClrUsed, 16u) << "a table for every index of the depth";
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(Table()), 16),
            Bytes({0, 0, 255, 255, 0, 255, 0, 255, 255, 0, 0, 255, 0, 0, 0, 255}));
  EXPECT_EQ(Bits()[0], 0x01);
  EXPECT_EQ(Bits()[1], 0x21);
  TearDown();
  header_ = nullptr;
  dib_ = nullptr;
  // With tRNS: 32 bits, each pixel its entry with the entry's alpha (the
  // third entry has none listed: opaque).
  ASSERT_EQ(Decode(PngFile(3, 1, 8, 3, {Bytes({0, 1, 2})},
                           {{"PLTE", palette}, {"tRNS", Bytes({0, 128})}})),
            kPngOk);
  EXPECT_EQ(Header().biBitCount, 32);
  EXPECT_EQ(Pixel32(0, 0), Bytes({0, 0, 255, 0}));
  EXPECT_EQ(Pixel32(1, 0), Bytes({0, 255, 0, 128}));
  EXPECT_EQ(Pixel32(2, 0), Bytes({255, 0, 0, 255}));
}

TEST_F(PngDib, IndexesPastAShortPaletteAreBlack) {
  // Two palette entries, pixels naming entries 1, 7 and 255.
  const std::string palette = Bytes({10, 20, 30, 40, 50, 60});
  const int result = Decode(PngFile(3, 1, 8, 3, {Bytes({1, 7, 255})},
                                    {{"PLTE", palette}, {"tRNS", Bytes({255, 255})}}));
  ASSERT_EQ(result, kPngOk);
  EXPECT_EQ(Pixel32(0, 0), Bytes({60, 50, 40, 255}));
  EXPECT_EQ(Pixel32(1, 0), Bytes({0, 0, 0, 255}));
  EXPECT_EQ(Pixel32(2, 0), Bytes({0, 0, 0, 255}));
  TearDown();
  header_ = nullptr;
  dib_ = nullptr;

  // Without tRNS the indexes stay, and the table covers every one of them.
  ASSERT_EQ(Decode(PngFile(3, 1, 8, 3, {Bytes({1, 7, 248})}, {{"PLTE", palette}})), kPngOk);
  EXPECT_EQ(Header().biBitCount, 8);
  EXPECT_EQ(Header().biClrUsed, 256u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(Table() + 4), 4), Bytes({60, 50, 40, 255}));
  for (int index : {2, 7, 248, 255})
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(Table() + 4 * index), 4),
              Bytes({0, 0, 0, 255}))
        << index;
  EXPECT_EQ(Bits()[2], 248);
  EXPECT_EQ(GlobalSize(dib_), 40u + 4 * 256 + 4);
  // The bitmap made from it shows those pixels black.
  HBITMAP bitmap = CreateBitmapFromDib(dib_);
  ASSERT_NE(bitmap, nullptr);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(memory, bitmap);
  EXPECT_EQ(GetPixel(memory, 0, 0), RGB(40, 50, 60));
  EXPECT_EQ(GetPixel(memory, 2, 0), RGB(0, 0, 0));
  SelectObject(memory, old);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  DeleteObject(bitmap);
  // A one-bit image of a one-entry palette: its second index is black too.
  TearDown();
  header_ = nullptr;
  dib_ = nullptr;
  ASSERT_EQ(Decode(PngFile(2, 1, 1, 3, {Bytes({0x40})}, {{"PLTE", Bytes({9, 8, 7})}})), kPngOk);
  EXPECT_EQ(Header().biBitCount, 1);
  EXPECT_EQ(Header().biClrUsed, 2u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(Table()), 8),
            Bytes({7, 8, 9, 255, 0, 0, 0, 255}));
}

TEST_F(PngDib, GreyImagesGetTheirRamp) {
  // 2-bit grey becomes 8 bits over the 256-level ramp: 0, 85, 170, 255.
  ASSERT_EQ(Decode(PngFile(4, 1, 2, 0, {Bytes({0x1b})})), kPngOk);
  EXPECT_EQ(Header().biBitCount, 8);
  EXPECT_EQ(Header().biClrUsed, 256u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(Bits()), 4), Bytes({0, 85, 170, 255}));
  EXPECT_EQ(Table()[4 * 170 + 1], 170);
  TearDown();
  header_ = nullptr;
  dib_ = nullptr;
  // 4-bit grey with a transparent level: 32 bits, that level clear.
  ASSERT_EQ(Decode(PngFile(2, 1, 4, 0, {Bytes({0x3f})}, {{"tRNS", Bytes({0, 3})}})), kPngOk);
  EXPECT_EQ(Header().biBitCount, 32);
  EXPECT_EQ(Pixel32(0, 0), Bytes({51, 51, 51, 0}));
  EXPECT_EQ(Pixel32(1, 0), Bytes({255, 255, 255, 255}));
}

TEST_F(PngDib, BrokenAndHostileFilesAreRefusedWithoutADib) {
  const std::string good = updatertest::RgbaIcon();
  EXPECT_EQ(Decode("GIF89a\x01\x00\x01\x00\x00\x00\x00"), kPngNotPng);
  EXPECT_EQ(Decode(good.substr(0, 7)), kPngNotPng);
  EXPECT_EQ(Decode(good.substr(0, good.size() / 2)), kPngBadData) << "truncated";
  // 4000 x 4000 pixels announced with a tiny compressed body: refused from
  // the header, before any row is made.
  std::vector<std::string> oneRow(1, std::string(4000 * 4, '\0'));
  const DWORD start = GetTickCount();
  EXPECT_EQ(Decode(PngFile(4000, 4000, 8, 6, oneRow)), kPngBadData);
  EXPECT_LT(GetTickCount() - start, 2000u);
  EXPECT_EQ(Decode(PngFile(257, 1, 8, 0, {std::string(257, '\0')})), kPngBadData);
  // A palette image without a palette, an unknown colour type, a bad CRC.
  EXPECT_EQ(Decode(PngFile(1, 1, 8, 3, {Bytes({0})})), kPngBadData);
  EXPECT_EQ(Decode(PngFile(1, 1, 8, 5, {Bytes({0})})), kPngBadData);
  std::string badCrc = good;
  badCrc[29] ^= 0x55;
  EXPECT_EQ(Decode(badCrc), kPngBadData);
  EXPECT_EQ(dib_, nullptr);
  HGLOBAL untouched = reinterpret_cast<HGLOBAL>(1);
  EXPECT_EQ(LoadPngAsDib((dir_ / L"missing.png").c_str(), &untouched), kPngCannotOpen);
  EXPECT_EQ(untouched, reinterpret_cast<HGLOBAL>(1));
}

TEST_F(PngDib, BitmapFromTheDibHasItsSize) {
  ASSERT_EQ(Decode(updatertest::RgbaIcon()), kPngOk);
  HBITMAP bitmap = CreateBitmapFromDib(dib_);
  ASSERT_NE(bitmap, nullptr);
  BITMAP info = {};
  GetObjectW(bitmap, sizeof info, &info);
  EXPECT_EQ(info.bmWidth, 32);
  EXPECT_EQ(info.bmHeight, 16);
  DeleteObject(bitmap);
  EXPECT_EQ(CreateBitmapFromDib(nullptr), nullptr);
  // A block whose header promises more rows than it holds.
  HGLOBAL shortBlock = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 40 + 16);
  BITMAPINFOHEADER* header = static_cast<BITMAPINFOHEADER*>(GlobalLock(shortBlock));
  *header = Header();
  GlobalUnlock(shortBlock);
  EXPECT_EQ(CreateBitmapFromDib(shortBlock), nullptr);
  GlobalFree(shortBlock);
}

}  // namespace
