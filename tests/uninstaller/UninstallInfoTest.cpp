// The information file: its stored form and its writer, read back through
// the uninstaller's reader.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "IniReader.h"
#include "TestSupport.h"
#include "UninstallInfo.h"

namespace {

UninstallInfoContent FullContent() {
  UninstallInfoContent c;
  c.AutoUninstIni = true;
  c.AutoUninstDat = true;
  c.HideLogButton = true;
  c.ExtModuleFile = L"ext.dll";
  c.PreProcessFile = L"tools\\before.exe";
  c.PreProcessArg = L"/quiet  x";
  c.UninstallRebootable = true;
  c.UninstallKey = L"ExampleApp";
  c.CreatedPaths = {L"C:\\App\\", L"C:\\App\\a.exe", L"C:\\App\\sub\\", L"C:\\App\\sub\\b.txt"};
  c.RegistryRecords = {L"00=.exmp", L"10=Software\\Ex\\One", L"11=Software\\Ex\\Two",
                       L"20=SOFTWARE\\Ex\\Three"};
  c.HasRegServerList = true;
  c.RegServers = {L"C:\\App\\srv.dll"};
  c.CommonGroup = true;
  c.GroupName = L"Example\\Tools";
  return c;
}

// Writes content, decodes it into a plain copy and returns that copy's path.
std::wstring WriteAndDecode(const testsupport::TempDir& dir, const UninstallInfoContent& content,
                            std::wstring* text) {
  std::wstring stored = dir / L"Hollmere64.$$$";
  unsigned long long size = 0;
  EXPECT_EQ(WriteUninstallInfoFile(stored.c_str(), content, &size), kUninstallInfoOk);
  EXPECT_TRUE(ReadUninstallInfoText(stored.c_str(), text));
  EXPECT_EQ(size, text->size() * sizeof(wchar_t));
  std::wstring plain = dir / L"plain.ini";
  EXPECT_TRUE(testsupport::WriteFileBytes(plain, text->data(), text->size() * sizeof(wchar_t)));
  return plain;
}

std::wstring Value(const std::wstring& path, const wchar_t* section, const wchar_t* key) {
  wchar_t buffer[1024];
  ReadIniString(section, key, buffer, 1024, path.c_str());
  return buffer;
}

TEST(UninstallInfo, InversionIsItsOwnInverseForEveryLength) {
  for (size_t length : {0u, 1u, 63u, 64u, 65u, 127u, 128u, 200u}) {
    std::vector<unsigned char> bytes(length);
    for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<unsigned char>(i * 37 + 5);
    std::vector<unsigned char> original = bytes;
    InvertUninstallInfoBytes(bytes.data(), bytes.size());
    for (size_t i = 0; i < length; ++i) {
      ASSERT_EQ(bytes[i], static_cast<unsigned char>(~original[i])) << "length " << length;
    }
    InvertUninstallInfoBytes(bytes.data(), bytes.size());
    EXPECT_EQ(bytes, original);
  }
}

TEST(UninstallInfo, StoredFormIsInvertedUtf16WithoutByteOrderMark) {
  testsupport::TempDir dir(L"info");
  std::wstring text;
  WriteAndDecode(dir, FullContent(), &text);
  std::vector<uint8_t> raw;
  ASSERT_TRUE(testsupport::ReadFileBytes(dir / L"Hollmere64.$$$", raw));
  ASSERT_GE(raw.size(), 22u);
  // "[" as UTF-16LE is 5B 00; inverted A4 FF. A byte-order mark would be FF FE / 00 01.
  EXPECT_EQ(raw[0], 0xA4);
  EXPECT_EQ(raw[1], 0xFF);
  EXPECT_EQ(text.compare(0, 11, L"[Options]\r\n"), 0);
  EXPECT_EQ(text.find(L'\xFEFF'), std::wstring::npos);
  // Every line ends in CR LF, and the text ends with one.
  EXPECT_EQ(text.substr(text.size() - 2), L"\r\n");
  for (size_t at = text.find(L'\n'); at != std::wstring::npos; at = text.find(L'\n', at + 1)) {
    ASSERT_GT(at, 0u);
    EXPECT_EQ(text[at - 1], L'\r');
  }
}

TEST(UninstallInfo, WrittenFileReadsBackCompletelyInItsOrder) {
  testsupport::TempDir dir(L"info");
  std::wstring text;
  std::wstring plain = WriteAndDecode(dir, FullContent(), &text);
  const wchar_t* expected =
      L"[Options]\r\nAutoUninstIni=1\r\nAutoUninstDat=1\r\nHollmereHideLogButton=1\r\n"
      L"ExtModuleFile=ext.dll\r\nPreProcessFile=tools\\before.exe\r\nPreProcessArg=/quiet  x\r\n"
      L"UninstallRebootable=1\r\nDeleteSubFolders=0\r\nUninstallKey=ExampleApp\r\n"
      L"[Files]\r\n0=C:\\App\\sub\\b.txt\r\n1=C:\\App\\sub\\\r\n2=C:\\App\\a.exe\r\n3=C:\\App\\\r\n"
      L"[Registry_CLASSES_ROOT]\r\n0=.exmp\r\n"
      L"[Registry_CURRENT_USER]\r\n0=Software\\Ex\\One\r\n1=Software\\Ex\\Two\r\n"
      L"[Registry_LOCAL_MACHINE]\r\n0=SOFTWARE\\Ex\\Three\r\n[Registry_USERS]\r\n"
      L"[RegServer]\r\n0=C:\\App\\srv.dll\r\n"
      L"[Group]\r\nCommonGroup=1\r\n0=Example\\Tools\r\n";
  EXPECT_EQ(text, expected);

  EXPECT_EQ(Value(plain, L"Options", L"PreProcessArg"), L"/quiet  x");
  EXPECT_EQ(Value(plain, L"Options", L"UninstallKey"), L"ExampleApp");
  EXPECT_EQ(Value(plain, L"Options", L"DeleteSubFolders"), L"0");
  EXPECT_EQ(Value(plain, L"Files", L"0"), L"C:\\App\\sub\\b.txt");
  EXPECT_EQ(Value(plain, L"Files", L"3"), L"C:\\App\\");
  EXPECT_EQ(Value(plain, L"Files", L"4"), L"");
  EXPECT_EQ(Value(plain, L"Registry_CLASSES_ROOT", L"0"), L".exmp");
  EXPECT_EQ(Value(plain, L"Registry_CURRENT_USER", L"1"), L"Software\\Ex\\Two");
  EXPECT_EQ(Value(plain, L"Registry_LOCAL_MACHINE", L"0"), L"SOFTWARE\\Ex\\Three");
  EXPECT_EQ(Value(plain, L"Registry_USERS", L"0"), L"");
  EXPECT_EQ(Value(plain, L"RegServer", L"0"), L"C:\\App\\srv.dll");
  EXPECT_EQ(Value(plain, L"Group", L"CommonGroup"), L"1");
  EXPECT_EQ(Value(plain, L"Group", L"0"), L"Example\\Tools");
}

TEST(UninstallInfo, MinimalContentKeepsTheAlwaysWrittenLines) {
  testsupport::TempDir dir(L"info");
  std::wstring text;
  WriteAndDecode(dir, UninstallInfoContent(), &text);
  EXPECT_EQ(text,
            L"[Options]\r\nDeleteSubFolders=0\r\nUninstallKey=\r\n[Files]\r\n"
            L"[Registry_CLASSES_ROOT]\r\n[Registry_CURRENT_USER]\r\n[Registry_LOCAL_MACHINE]\r\n"
            L"[Registry_USERS]\r\n[Group]\r\nCommonGroup=0\r\n");
  UninstallInfoContent withEmptyServerList;
  withEmptyServerList.HasRegServerList = true;
  WriteAndDecode(dir, withEmptyServerList, &text);
  EXPECT_NE(text.find(L"[Registry_USERS]\r\n[RegServer]\r\n[Group]\r\n"), std::wstring::npos);
}

TEST(UninstallInfo, RegistrySectionsTakeSortedRecordsOnly) {
  testsupport::TempDir dir(L"info");
  UninstallInfoContent c;
  // Two of root 2 followed by one of root 1: the root-1 entry is in no section.
  c.RegistryRecords = {L"20=SOFTWARE\\A", L"21=SOFTWARE\\C", L"10=Software\\B"};
  std::wstring text;
  WriteAndDecode(dir, c, &text);
  EXPECT_NE(text.find(L"[Registry_LOCAL_MACHINE]\r\n0=SOFTWARE\\A\r\n1=SOFTWARE\\C\r\n"
                      L"[Registry_USERS]\r\n[Group]"),
            std::wstring::npos);
  EXPECT_EQ(text.find(L"Software\\B"), std::wstring::npos);
}

TEST(UninstallInfo, LineBreaksInsideValuesCannotAddLines) {
  testsupport::TempDir dir(L"info");
  UninstallInfoContent c;
  c.UninstallKey = L"Key\r\n[Files]\r\n0=C:\\Windows\\";
  c.GroupName = L"Group\nInjected=1";
  std::wstring text;
  std::wstring plain = WriteAndDecode(dir, c, &text);
  EXPECT_EQ(Value(plain, L"Options", L"UninstallKey"), L"Key");
  EXPECT_EQ(Value(plain, L"Files", L"0"), L"");
  EXPECT_EQ(Value(plain, L"Group", L"0"), L"Group");
}

TEST(UninstallInfo, PathsAndFailures) {
  wchar_t out[MAX_PATH];
  ASSERT_TRUE(MakeUninstallInfoPath(L"C:\\App\\Hollmere64.exe", out, MAX_PATH));
  EXPECT_STREQ(out, L"C:\\App\\Hollmere64.$$$");
  ASSERT_TRUE(MakeUninstallInfoPath(L"C:\\App.d\\uninst", out, MAX_PATH));
  EXPECT_STREQ(out, L"C:\\App.d\\uninst.$$$");
  EXPECT_FALSE(MakeUninstallInfoPath(L"C:\\App\\Hollmere64.exe", out, 10));

  testsupport::TempDir dir(L"info");
  EXPECT_EQ(WriteUninstallInfoFile((dir / L"no\\such\\folder.$$$").c_str(), UninstallInfoContent()),
            kUninstallInfoCreateFailed);
  CUninstallInfoWriter writer;
  EXPECT_EQ(writer.WriteLine(L"x"), kUninstallInfoWriteFailed);  // nothing open
  std::wstring text;
  EXPECT_FALSE(ReadUninstallInfoText((dir / L"absent.$$$").c_str(), &text));
  ASSERT_TRUE(testsupport::WriteFileBytes(dir / L"odd.$$$", "abc", 3));
  EXPECT_FALSE(ReadUninstallInfoText((dir / L"odd.$$$").c_str(), &text));
}

}  // namespace

// What an installer reads back from an earlier version's file: its key and
// its files newest first, up to the first gap, as the uninstaller reads them.
TEST(UninstallInfo, AnEarlierFileGivesItsKeyAndFilesInTheFilesOrder) {
  UninstallInfoContent content;
  content.UninstallKey = L"Product-1";
  content.CreatedPaths = {L"C:\\P\\", L"C:\\P\\a.txt", L"C:\\P\\b.txt"};
  content.GroupName = L"Group";
  testsupport::TempDir dir(L"infoparse");
  const std::wstring path = dir / L"Hollmere64.$$$";
  ASSERT_EQ(WriteUninstallInfoFile(path.c_str(), content), kUninstallInfoOk);
  std::wstring text;
  ASSERT_TRUE(ReadUninstallInfoText(path.c_str(), &text));
  const UninstallInfoFiles parsed = ParseUninstallInfoFiles(text);
  EXPECT_EQ(parsed.UninstallKey, L"Product-1");
  EXPECT_EQ(parsed.Files, (std::vector<std::wstring>{L"C:\\P\\b.txt", L"C:\\P\\a.txt", L"C:\\P\\"}));

  const UninstallInfoFiles gap = ParseUninstallInfoFiles(
      L"[options]\r\nuninstallkey=K\r\n[FILES]\r\n1=C:\\second\r\n0=C:\\first\r\n3=C:\\after-gap\r\n"
      L"[Group]\r\n0=not a file\r\n");
  EXPECT_EQ(gap.UninstallKey, L"K");
  EXPECT_EQ(gap.Files, (std::vector<std::wstring>{L"C:\\first", L"C:\\second"}));
}
