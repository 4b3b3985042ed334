// Pieces of paths: file name, extension, folder, replacement and joining.
#include <gtest/gtest.h>

#include <cwchar>

#include "PathPieces.h"

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

}  // namespace
