#include <gtest/gtest.h>

#include <windows.h>

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

// The text's font draws the text of its interface language with real
// glyphs, not the boxes of missing ones: Latin letters in English, kana and
// kanji in the Shift-JIS set in Japanese.
TEST(BackScreen, TheTextFontHasTheGlyphsOfItsInterfaceLanguage) {
  struct Case {
    bool japanese;
    const wchar_t* text;
  };
  const Case cases[] = {{false, L"Installing Look Test"}, {true, L"インストールしています"}};
  HDC dc = CreateCompatibleDC(nullptr);
  ASSERT_NE(dc, nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.japanese ? "Japanese" : "English");
    HFONT font = stub::CreateBackScreenFont(c.japanese);
    ASSERT_NE(font, nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    WORD glyphs[64] = {};
    const int length = lstrlenW(c.text);
    ASSERT_EQ(GetGlyphIndicesW(dc, c.text, length, glyphs, GGI_MARK_NONEXISTING_GLYPHS),
              static_cast<DWORD>(length));
    for (int i = 0; i < length; ++i) EXPECT_NE(glyphs[i], 0xFFFF) << "character " << i;
    TEXTMETRICW metrics = {};
    ASSERT_TRUE(GetTextMetricsW(dc, &metrics));
    EXPECT_EQ(metrics.tmHeight, 30);
    EXPECT_TRUE(metrics.tmItalic);
    if (c.japanese) {
      EXPECT_EQ(GetTextCharset(dc), SHIFTJIS_CHARSET);
    }
    SelectObject(dc, old);
    DeleteObject(font);
  }
  DeleteDC(dc);
}

}  // namespace
