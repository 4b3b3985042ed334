// The UTF-16 INI reader over plain (not inverted) files.
#include <gtest/gtest.h>

#include <string>

#include "IniReader.h"
#include "TestSupport.h"

namespace {

// Writes UTF-16LE text without a byte-order mark and returns the path.
std::wstring WriteUtf16(const testsupport::TempDir& dir, const std::wstring& name,
                        const std::wstring& text) {
  std::wstring path = dir / name;
  EXPECT_TRUE(testsupport::WriteFileBytes(path, text.data(), text.size() * sizeof(wchar_t)));
  return path;
}

std::wstring Read(const std::wstring& path, const wchar_t* section, const wchar_t* key,
                  size_t capacity = 260) {
  std::wstring buffer(capacity, L'#');
  size_t length = ReadIniString(section, key, &buffer[0], capacity, path.c_str());
  std::wstring value(buffer.c_str());
  EXPECT_EQ(length, value.size());
  return value;
}

TEST(IniReader, FindsKeysInTheirSectionsOnly) {
  testsupport::TempDir dir(L"ini");
  std::wstring path = WriteUtf16(dir, L"a.ini",
                                 L"[General]\r\nUninstFile=C:\\App\\Hollmere64.exe\r\n"
                                 L"UninstSrcProcess=42\r\n"
                                 L"[Files]\r\n0=C:\\App\\b.txt\r\n1=C:\\App\\\r\n"
                                 L"[Group]\r\nCommonGroup=0\r\n");
  EXPECT_EQ(Read(path, L"General", L"UninstFile"), L"C:\\App\\Hollmere64.exe");
  EXPECT_EQ(Read(path, L"General", L"UninstSrcProcess"), L"42");
  EXPECT_EQ(Read(path, L"Files", L"0"), L"C:\\App\\b.txt");
  EXPECT_EQ(Read(path, L"Files", L"1"), L"C:\\App\\");
  EXPECT_EQ(Read(path, L"Files", L"2"), L"");
  EXPECT_EQ(Read(path, L"Group", L"CommonGroup"), L"0");
  // A key of the next section is not found from an earlier one.
  EXPECT_EQ(Read(path, L"Files", L"CommonGroup"), L"");
  EXPECT_EQ(Read(path, L"General", L"0"), L"");
  EXPECT_EQ(Read(path, L"Missing", L"0"), L"");
}

TEST(IniReader, NamesAreCaseSensitive) {
  testsupport::TempDir dir(L"ini");
  std::wstring path = WriteUtf16(dir, L"case.ini",
                                 L"[General]\r\nuninstfile=lower\r\nUninstFile=proper\r\n");
  EXPECT_EQ(Read(path, L"General", L"UninstFile"), L"proper");
  EXPECT_EQ(Read(path, L"general", L"UninstFile"), L"");
  EXPECT_EQ(Read(path, L"General", L"UNINSTFILE"), L"");
}

TEST(IniReader, KeyLinesAndValuesAsStored) {
  testsupport::TempDir dir(L"ini");
  std::wstring path = WriteUtf16(dir, L"values.ini",
                                 L"[S]\r\n"
                                 L"  Spaced  =  value with blanks  \r\n"
                                 L"Eq=a=b=c\r\n"
                                 L"Twice=first\r\nTwice=second\r\n"
                                 L"NoEquals value\r\n"
                                 L"Tab\t=\ttabbed\r\n"
                                 L"Unix=lf only\n"
                                 L"Empty=\r\n");
  EXPECT_EQ(Read(path, L"S", L"Spaced"), L"  value with blanks  ");
  EXPECT_EQ(Read(path, L"S", L"Eq"), L"a=b=c");
  EXPECT_EQ(Read(path, L"S", L"Twice"), L"first");
  EXPECT_EQ(Read(path, L"S", L"NoEquals"), L"");
  EXPECT_EQ(Read(path, L"S", L"Tab"), L"\ttabbed");
  EXPECT_EQ(Read(path, L"S", L"Unix"), L"lf only");
  EXPECT_EQ(Read(path, L"S", L"Empty"), L"");
}

TEST(IniReader, SectionHeaders) {
  testsupport::TempDir dir(L"ini");
  std::wstring path = WriteUtf16(dir, L"headers.ini",
                                 L"  [Trailing] text after the header\r\nK=trailing\r\n"
                                 L"[With Blank]\r\nK=blank\r\n"
                                 L"[Dup]\r\nK=first\r\n[Dup]\r\nK=second\r\nOnly=second\r\n");
  EXPECT_EQ(Read(path, L"Trailing", L"K"), L"trailing");
  EXPECT_EQ(Read(path, L"With Blank", L"K"), L"");
  EXPECT_EQ(Read(path, L"Dup", L"K"), L"first");
  EXPECT_EQ(Read(path, L"Dup", L"Only"), L"");  // the first section ends at the second header
}

TEST(IniReader, CachedSectionStillServesOtherFilesAndSections) {
  testsupport::TempDir dir(L"ini");
  std::wstring one = WriteUtf16(dir, L"one.ini", L"[A]\r\nK=one-a\r\n[B]\r\nK=one-b\r\n");
  std::wstring two = WriteUtf16(dir, L"two.ini", L"[X]\r\n[X2]\r\n[A]\r\nK=two-a\r\n");
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(Read(one, L"A", L"K"), L"one-a");
    EXPECT_EQ(Read(two, L"A", L"K"), L"two-a");
    EXPECT_EQ(Read(one, L"B", L"K"), L"one-b");
    EXPECT_EQ(Read(one, L"A", L"K"), L"one-a");
  }
}

TEST(IniReader, LongLinesAndSmallBuffers) {
  testsupport::TempDir dir(L"ini");
  std::wstring longValue(3000, L'v');
  std::wstring path = WriteUtf16(dir, L"long.ini",
                                 L"[S]\r\nLong=" + longValue + L"\r\nAfter=yes\r\nShort=abcdef\r\n");
  // A line longer than 2047 code units is read in pieces: the value is cut
  // and the rest of the line does not disturb the next key.
  std::wstring value = Read(path, L"S", L"Long", 4000);
  EXPECT_EQ(value, std::wstring(2047 - 5, L'v'));
  EXPECT_EQ(Read(path, L"S", L"After"), L"yes");
  EXPECT_EQ(Read(path, L"S", L"Short", 4), L"abc");
  EXPECT_EQ(Read(path, L"S", L"Short", 1), L"");
}

TEST(IniReader, MissingFileAndByteOrderMark) {
  testsupport::TempDir dir(L"ini");
  wchar_t buffer[16] = L"untouched";
  EXPECT_EQ(ReadIniString(L"S", L"K", buffer, 16, (dir / L"absent.ini").c_str()), 0u);
  EXPECT_STREQ(buffer, L"");
  std::wstring bom = WriteUtf16(dir, L"bom.ini", L"\xFEFF[S]\r\nK=v\r\n[T]\r\nK=t\r\n");
  EXPECT_EQ(Read(bom, L"S", L"K"), L"");
  EXPECT_EQ(Read(bom, L"T", L"K"), L"t");
  std::wstring odd = dir / L"odd.ini";
  const char bytes[] = "[\0S\0]\0\n\0K\0=\0v\0\n";  // UTF-16 plus one stray byte
  ASSERT_TRUE(testsupport::WriteFileBytes(odd, bytes, sizeof bytes - 1));
  EXPECT_EQ(Read(odd, L"S", L"K"), L"v");
}

TEST(IniReader, StreamFunctionsDirectly) {
  testsupport::TempDir dir(L"ini");
  std::wstring path = WriteUtf16(dir, L"stream.ini", L"[S]\r\nA=1\r\nB=2\r\n[T]\r\nA=3\r\n");
  IniStream stream;
  ASSERT_TRUE(stream.Open(path.c_str()));
  ASSERT_TRUE(SeekIniSection(stream, path.c_str(), L"S"));
  wchar_t value[8];
  EXPECT_TRUE(FindIniKey(stream, L"B", value, 8));
  EXPECT_STREQ(value, L"2");
  EXPECT_FALSE(FindIniKey(stream, L"A", value, 8));  // stops at [T]
  // The section scan starts at the stream's position, now past [T].
  EXPECT_FALSE(SeekIniSection(stream, path.c_str(), L"T"));
  ASSERT_TRUE(stream.Seek(0));
  ASSERT_TRUE(SeekIniSection(stream, path.c_str(), L"T"));
  EXPECT_TRUE(FindIniKey(stream, L"A", value, 8));
  EXPECT_STREQ(value, L"3");
  EXPECT_FALSE(SeekIniSection(stream, path.c_str(), L"U"));
}

}  // namespace
