#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "BuilderUtil.h"
#include "FileSystem.h"
#include "FileMapping.h"
#include "PathPieces.h"
#include "TestSupport.h"

namespace {

TEST(PathPieces, FileNameAndExtension) {
  const wchar_t* path = L"C:\\dir.old\\file";
  EXPECT_STREQ(FindFileNamePart(path), L"file");
  EXPECT_EQ(FindFileExtension(path), nullptr);
  const wchar_t* bare = L"name.txt";
  EXPECT_EQ(FindFileNamePart(bare), bare);
  const wchar_t* empty = L"";
  EXPECT_EQ(FindFileNamePart(empty), empty);
  EXPECT_EQ(FindFileNamePart(static_cast<const wchar_t*>(nullptr)), nullptr);
  EXPECT_EQ(FindFileExtension(static_cast<const wchar_t*>(nullptr)), nullptr);
  EXPECT_STREQ(FindFileNamePart(L"C:\\folder\\"), L"");
  EXPECT_STREQ(FindFileExtension(L"C:\\a\\archive.tar.cab"), L".cab");

  wchar_t text[MAX_PATH] = L"a.b.c";
  EXPECT_TRUE(RemoveFileExtension(text));
  EXPECT_STREQ(text, L"a.b");
  wcscpy(text, L"C:\\x.y\\noext");
  EXPECT_FALSE(RemoveFileExtension(text));
  EXPECT_STREQ(text, L"C:\\x.y\\noext");
}

TEST(PathPieces, FolderPartsAndReplacement) {
  wchar_t path[MAX_PATH] = L"C:\\x\\setup.exe";
  EXPECT_TRUE(RemoveFileNamePart(path));
  EXPECT_STREQ(path, L"C:\\x\\");
  wcscpy(path, L"setup.exe");
  EXPECT_FALSE(RemoveFileNamePart(path));
  EXPECT_STREQ(path, L"setup.exe");

  wcscpy(path, L"C:\\Program Files\\Vesmarin\\Vesmarin.exe");
  EXPECT_TRUE(ReplaceFileName(path, L"Vesmarin.chm"));
  EXPECT_STREQ(path, L"C:\\Program Files\\Vesmarin\\Vesmarin.chm");
  wcscpy(path, L"Vesmarin.exe");
  EXPECT_FALSE(ReplaceFileName(path, L"Vesmarin.chm"));
  EXPECT_STREQ(path, L"Vesmarin.exe");
  // A result of 260 characters or more does not fit.
  std::wstring folder = L"C:\\" + std::wstring(240, L'f') + L"\\";
  wcscpy(path, (folder + L"a.exe").c_str());
  EXPECT_TRUE(ReplaceFileName(path, std::wstring(259 - folder.size(), L'n').c_str()));
  wcscpy(path, (folder + L"a.exe").c_str());
  EXPECT_FALSE(ReplaceFileName(path, std::wstring(260 - folder.size(), L'n').c_str()));
  EXPECT_EQ(std::wstring(path), folder + L"a.exe");

  wchar_t out[MAX_PATH] = L"untouched";
  EXPECT_TRUE(GetFolderPart(L"C:\\x\\y.ini", out, MAX_PATH));
  EXPECT_STREQ(out, L"C:\\x\\");
  EXPECT_TRUE(GetFolderPart(L"y.ini", out, MAX_PATH));
  EXPECT_STREQ(out, L"");
  EXPECT_FALSE(GetFolderPart(L"", out, MAX_PATH));
  wchar_t small[4];
  EXPECT_FALSE(GetFolderPart(L"C:\\x\\y.ini", small, 4));
  EXPECT_TRUE(GetFolderPart(L"C:\\y.ini", small, 4));
  EXPECT_STREQ(small, L"C:\\");

  wcscpy(out, L"untouched");
  EXPECT_TRUE(CombinePath(out, L"C:\\a", L"b.ini"));
  EXPECT_STREQ(out, L"C:\\a\\b.ini");
  wcscpy(out, L"untouched");
  EXPECT_FALSE(CombinePath(out, (L"C:\\" + std::wstring(250, L'a')).c_str(),
                           std::wstring(20, L'b').c_str()));
  EXPECT_STREQ(out, L"untouched");
}

TEST(PathChecks, RelativePathsThatStayBelowTheirBase) {
  for (const wchar_t* good : {L"bin\\tools", L"bin\\tools\\x.exe", L"a", L"", L"\\", L"..x\\y",
                              L"a.b\\c..d", L"x\\.hidden"})
    EXPECT_TRUE(IsValidRelativePath(good, false)) << testsupport::Narrow(good);
  EXPECT_FALSE(IsValidRelativePath(L"bin\\", false));
  EXPECT_TRUE(IsValidRelativePath(L"bin\\", true));
  for (const wchar_t* bad :
       {L"..\\x", L".\\x", L"\\x", L"a\\\\b", L"a\\..\\b", L"a\\..", L"a\\.", L"a\\.\\b", L"..",
        L".", L"\\\\server\\share", L"\\\\server", L"C:\\Windows", L"c:x", L"Z:"})
    EXPECT_FALSE(IsValidRelativePath(bad, true)) << testsupport::Narrow(bad);
  EXPECT_FALSE(IsValidRelativePath(nullptr, true));
}

TEST(PathChecks, InvalidCharactersRemoved) {
  wchar_t text[MAX_PATH] = L"C:\\a:b*c";
  EXPECT_FALSE(RemoveInvalidPathChars(text, true));
  EXPECT_STREQ(text, L"C:\\abc");
  wcscpy(text, L"C:\\a:b*c");
  EXPECT_FALSE(RemoveInvalidPathChars(text, false));
  EXPECT_STREQ(text, L"C\\abc");
  wcscpy(text, L"a??b\t\r\n\"<>|/c");
  EXPECT_FALSE(RemoveInvalidPathChars(text, true));
  EXPECT_STREQ(text, L"abc");
  wcscpy(text, L"ab:");
  EXPECT_FALSE(RemoveInvalidPathChars(text, true));  // a colon past the drive
  EXPECT_STREQ(text, L"ab");
  wcscpy(text, L"C:\\clean\\name.txt");
  EXPECT_TRUE(RemoveInvalidPathChars(text, true));
  EXPECT_STREQ(text, L"C:\\clean\\name.txt");

  EXPECT_TRUE(IsValidFileName(L"setup 1.2.exe"));
  for (const wchar_t* bad : {L"a:b", L"a/b", L"a*", L"a?", L"\"a", L"a<", L"a>", L"a|b", L"a\r",
                             L"a\n", L"a\tb"})
    EXPECT_FALSE(IsValidFileName(bad)) << testsupport::Narrow(bad);
}

TEST(Files, ExistenceChecks) {
  testsupport::TempDir dir(L"fx");
  const std::wstring file = dir / L"f.txt";
  ASSERT_TRUE(testsupport::WriteTextFile(file, "x"));
  EXPECT_TRUE(FileExists(file.c_str()));
  EXPECT_FALSE(DirectoryExists(file.c_str()));
  EXPECT_FALSE(FileExists(dir.path().c_str()));
  EXPECT_TRUE(DirectoryExists(dir.path().c_str()));
  EXPECT_FALSE(FileExists((dir / L"none").c_str()));
  EXPECT_FALSE(DirectoryExists((dir / L"none").c_str()));
  EXPECT_FALSE(FileExists(nullptr));
  EXPECT_FALSE(FileExists(L""));
}

TEST(Files, DirectoryTreeCreatedAndCurrentDirectoryKept) {
  testsupport::TempDir dir(L"tree");
  wchar_t before[MAX_PATH], after[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, before);
  const std::wstring deep = dir / L"a\\b c\\d";
  EXPECT_TRUE(CreateDirectoryTree(deep.c_str()));
  EXPECT_TRUE(DirectoryExists(deep.c_str()));
  EXPECT_TRUE(CreateDirectoryTree((deep + L"\\").c_str()));  // already there
  GetCurrentDirectoryW(MAX_PATH, after);
  EXPECT_STREQ(before, after);

  const std::wstring file = dir / L"plain.txt";
  ASSERT_TRUE(testsupport::WriteTextFile(file, "x"));
  EXPECT_FALSE(CreateDirectoryTree((file + L"\\sub").c_str()));
  GetCurrentDirectoryW(MAX_PATH, after);
  EXPECT_STREQ(before, after);
  EXPECT_FALSE(CreateDirectoryTree(L""));

  // A relative folder is made below the current directory.
  ASSERT_TRUE(SetCurrentDirectoryW(dir.path().c_str()));
  EXPECT_TRUE(CreateDirectoryTree(L"rel\\one\\two"));
  SetCurrentDirectoryW(before);
  EXPECT_TRUE(DirectoryExists((dir / L"rel\\one\\two").c_str()));
  EXPECT_FALSE(DirectoryExists((dir / L"rel\\one\\rel").c_str()));
}

TEST(Files, MappingsOfFilesAndNames) {
  testsupport::TempDir dir(L"map");
  const std::wstring file = dir / L"data.bin";
  ASSERT_TRUE(testsupport::WriteTextFile(file, "0123456789"));
  const void* view = nullptr;
  MappedFile* mapped = MapFileReadOnly(file.c_str(), &view);
  ASSERT_NE(mapped, nullptr);
  EXPECT_EQ(GetMappedFileSize(mapped), 10u);
  EXPECT_EQ(0, memcmp(view, "0123456789", 10));
  EXPECT_TRUE(UnmapFile(mapped));
  EXPECT_TRUE(DeleteFileW(file.c_str()));  // every handle was closed

  const std::wstring empty = dir / L"empty.bin";
  ASSERT_TRUE(testsupport::WriteFileBytes(empty, "", 0));
  EXPECT_EQ(MapFileReadOnly(empty.c_str(), &view), nullptr);
  EXPECT_EQ(MapFileReadOnly((dir / L"missing.bin").c_str(), &view), nullptr);
  EXPECT_EQ(GetMappedFileSize(nullptr), 0u);
  EXPECT_FALSE(UnmapFile(nullptr));

  const std::wstring name = L"vesmarin_test_map_" + std::to_wstring(GetCurrentProcessId());
  void* first = nullptr;
  void* second = nullptr;
  MappedFile* a = CreateNamedMapping(name.c_str(), 4, &first);
  MappedFile* b = CreateNamedMapping(name.c_str(), 4, &second);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  *static_cast<volatile DWORD*>(first) = 0x12345678;
  EXPECT_EQ(*static_cast<volatile DWORD*>(second), 0x12345678u);
  EXPECT_TRUE(UnmapFile(a));
  EXPECT_TRUE(UnmapFile(b));
}

}  // namespace
