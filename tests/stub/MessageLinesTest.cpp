// Message lines broken to a width: a long path breaks after a backslash,
// a long name without one inside it, and the text loses nothing.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "MessageLines.h"
#include "TestSupport.h"

namespace {

int WidestLine(HDC dc, const std::wstring& text) {
  int widest = 0;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find(L'\n', start);
    const std::wstring line = text.substr(start, end == std::wstring::npos ? end : end - start);
    SIZE size = {};
    if (!line.empty()) GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &size);
    if (size.cx > widest) widest = size.cx;
    if (end == std::wstring::npos) return widest;
    start = end + 1;
  }
}

TEST(MessageLines, LongLinesBreakToTheWidthAndKeepEveryCharacter) {
  HDC dc = GetDC(nullptr);
  ASSERT_NE(dc, nullptr);
  const int width = 500;
  const std::wstring name(255, L'a');
  const std::wstring path = L"C:\\Program Files\\Vendor\\Product\\data\\" + name;
  const std::wstring text = path + L"\n\nCould not extract files.\nExtract path name is too long.";
  const std::wstring broken = stub::BreakLongLines(text, dc, width);
  EXPECT_LE(WidestLine(dc, broken), width);
  EXPECT_EQ(testsupport::WithoutLineBreaks(broken), testsupport::WithoutLineBreaks(text));
  // The path's folders stay whole on the first line; the message lines too.
  EXPECT_EQ(broken.find(L"C:\\Program Files\\Vendor\\Product\\data\\\n"), 0u);
  EXPECT_NE(broken.find(L"\n\nCould not extract files.\nExtract path name is too long."),
            std::wstring::npos);
  // Lines that fit are left alone, blanks break a sentence.
  EXPECT_EQ(stub::BreakLongLines(L"short\nlines", dc, width), L"short\nlines");
  const std::wstring sentence = L"word word word word word word word word word word word word";
  const std::wstring narrow = stub::BreakLongLines(sentence, dc, 100);
  EXPECT_LE(WidestLine(dc, narrow), 100);
  EXPECT_NE(narrow.find(L" \n"), std::wstring::npos);
  ReleaseDC(nullptr, dc);
}

}  // namespace
