// The worker's in-memory reading of its information copy answers exactly
// as the line-by-line INI reader does, for the rules' corner cases.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "InfoDocument.h"
#include "IniReader.h"
#include "TestSupport.h"

namespace {

typedef std::pair<const wchar_t*, const wchar_t*> Lookup;

// Every lookup against both readers, with a small and a large buffer.
void ExpectSameAnswers(const std::wstring& text, const std::vector<Lookup>& lookups) {
  testsupport::TempDir dir(L"id");
  static unsigned serial = 0;
  const std::wstring path = dir / (L"copy" + std::to_wstring(++serial) + L".ini");
  ASSERT_TRUE(testsupport::WriteFileBytes(path, text.data(), text.size() * sizeof(wchar_t)));
  InfoDocument document;
  document.Parse(text.data(), text.size());
  for (const Lookup& lookup : lookups) {
    for (size_t capacity : {size_t(4), size_t(780)}) {
      std::vector<wchar_t> buffer(capacity, L'\0');
      ReadIniString(lookup.first, lookup.second, buffer.data(), capacity, path.c_str());
      EXPECT_EQ(testsupport::Narrow(document.Value(lookup.first, lookup.second, capacity)),
                testsupport::Narrow(buffer.data()))
          << testsupport::Narrow(lookup.first) << "/" << testsupport::Narrow(lookup.second)
          << " capacity " << capacity;
    }
  }
}

TEST(InfoDocument, AnswersLikeTheIniReader) {
  const std::wstring text =
      L"[General]\r\nUninstFile=C:\\App\\Hollmere64.exe\r\nuninstfile=lower\r\n"
      L"  [Options] trailing words\r\n"
      L"Spaced = value with blanks \r\nEquals=a=b=c\r\nTwice=first\r\nTwice=second\r\n"
      L"NoEquals value\r\nTab\t=\ttabbed\r\n"
      L"[Files]\r\n0=C:\\App\\one.txt\r\n1=C:\\App\\two\\\r\n2=\r\n3=C:\\App\\after-gap.txt\r\n"
      L"[ Spaced Section ]\r\nKey=hidden\r\n"
      L"[Options]\r\nLate=only in the second section\r\n"
      L"[Group]\r\n  0=Vendor\\Product\r\n[Tail]\r\nLast=no line end";
  ExpectSameAnswers(text, {{L"General", L"UninstFile"},
                           {L"General", L"uninstfile"},
                           {L"Options", L"Spaced"},
                           {L"Options", L"Equals"},
                           {L"Options", L"Twice"},
                           {L"Options", L"NoEquals"},
                           {L"Options", L"Tab"},
                           {L"Options", L"Late"},
                           {L"Files", L"0"},
                           {L"Files", L"1"},
                           {L"Files", L"2"},
                           {L"Files", L"3"},
                           {L"Files", L"UninstFile"},
                           {L"Spaced Section", L"Key"},
                           {L"Group", L"0"},
                           {L"Tail", L"Last"},
                           {L"Missing", L"0"}});
  InfoDocument document;
  document.Parse(text.data(), text.size());
  EXPECT_EQ(document.Numbered(L"Files", 1, 780), L"C:\\App\\two\\");
  EXPECT_EQ(document.Value(L"Options", L"Spaced", 780), L" value with blanks ");
}

TEST(InfoDocument, LongLinesAndByteOrderMarkAsTheReaderSeesThem) {
  // A line longer than the reader's 2047 code units reads as two lines;
  // a byte-order mark hides the first header.
  std::wstring text = L"\xFEFF[Options]\r\nA=1\r\n[Files]\r\n0=" + std::wstring(2100, L'x') +
                      L"\r\n1=C:\\App\\b.txt\r\n";
  text.insert(text.find(L"0=") + 2045, L"=");
  ExpectSameAnswers(text, {{L"Options", L"A"}, {L"Files", L"0"}, {L"Files", L"1"}});
}

}  // namespace
