#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "BackScreen.h"

namespace {

// The background's gradient bands: a 128th of the height, never 0, so that
// a low window is still painted band by band.
TEST(BackScreen, BandsAreAHundredAndTwentyEighthOfTheHeightAndNeverEmpty) {
  EXPECT_EQ(stub::BackScreenBandHeight(1024), 8);
  EXPECT_EQ(stub::BackScreenBandHeight(1000), 7);
  EXPECT_EQ(stub::BackScreenBandHeight(127), 1);
  EXPECT_EQ(stub::BackScreenBandHeight(100), 1);
  EXPECT_EQ(stub::BackScreenBandHeight(0), 1);
}

// One character drawn in black on white in the font, as its pixels.
std::vector<COLORREF> Picture(HDC dc, wchar_t character) {
  const int size = 48;
  RECT all = {0, 0, size, size};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SetTextColor(dc, RGB(0, 0, 0));
  SetBkMode(dc, TRANSPARENT);
  TextOutW(dc, 4, 4, &character, 1);
  std::vector<COLORREF> pixels;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) pixels.push_back(GetPixel(dc, x, y));
  return pixels;
}

// The text's font draws the text of its interface language with real
// glyphs: a font without them draws every character as the same empty box,
// so the characters' pictures must differ from one another. Latin letters
// in English; kana in the Shift-JIS set in Japanese.
TEST(BackScreen, TheTextFontDrawsTheLettersOfItsInterfaceLanguage) {
  struct Case {
    bool japanese;
    const wchar_t* letters;
  };
  const Case cases[] = {{false, L"Vesmarin"}, {true, L"インストール"}};
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 48, 48);
  ReleaseDC(nullptr, screen);
  ASSERT_NE(dc, nullptr);
  ASSERT_NE(bitmap, nullptr);
  HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.japanese ? "Japanese" : "English");
    HFONT font = stub::CreateBackScreenFont(c.japanese);
    ASSERT_NE(font, nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW metrics = {};
    ASSERT_TRUE(GetTextMetricsW(dc, &metrics));
    EXPECT_EQ(metrics.tmHeight, 30);
    EXPECT_TRUE(metrics.tmItalic);
    // A Latin text asked for in the Shift-JIS set takes whatever Japanese
    // font the system has, boxes where that one lacks Latin letters.
    if (c.japanese) {
      EXPECT_EQ(GetTextCharset(dc), SHIFTJIS_CHARSET);
    } else {
      EXPECT_NE(GetTextCharset(dc), SHIFTJIS_CHARSET);
    }
    std::set<std::vector<COLORREF>> pictures;
    const std::wstring letters = c.letters;
    std::set<wchar_t> distinct(letters.begin(), letters.end());
    for (wchar_t letter : distinct) pictures.insert(Picture(dc, letter));
    EXPECT_EQ(pictures.size(), distinct.size()) << "letters drawn alike: boxes";
    SelectObject(dc, old);
    DeleteObject(font);
  }
  SelectObject(dc, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

}  // namespace
