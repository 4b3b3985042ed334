#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <string>
#include <vector>

#include "DeleteList.h"
#include "StubSettings.h"
#include "StubState.h"

namespace {

const wchar_t kFolder[] = L"C:\\Program Files\\Example\\";

class ScopedSettings {
 public:
  ScopedSettings() : settings_(new stub::StubSettings()) {
    lstrcpynW(settings_->ExtractPath, kFolder, MAX_PATH);
    stub::g_Settings = settings_.get();
  }
  ~ScopedSettings() { stub::g_Settings = nullptr; }
  stub::StubSettings* operator->() { return settings_.get(); }

 private:
  std::unique_ptr<stub::StubSettings> settings_;
};

stub::ExtraCopyItem ExtraCopy(const wchar_t* fileName, int base, const wchar_t* folder) {
  stub::ExtraCopyItem item = {};
  lstrcpynW(item.FileName, fileName, MAX_PATH);
  item.BaseFolder = base;
  lstrcpynW(item.ExtractFolder, folder, MAX_PATH);
  return item;
}

std::wstring LinePath(const std::wstring& line) {
  wchar_t path[MAX_PATH] = {};
  if (!stub::DeleteListLinePath(line, nullptr, path)) return L"(nothing)";
  return path;
}

std::wstring ShellFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
}

TEST(DeleteList, LinesEndOnlyAtCrLfAndEmptyLinesGo) {
  EXPECT_EQ(stub::SplitDeleteListLines(L"cache\\a.tmp\r\n\r\ncache\\\r\n lead \r\nlast"),
            (std::vector<std::wstring>{L"cache\\a.tmp", L"cache\\", L" lead ", L"last"}));
  EXPECT_EQ(stub::SplitDeleteListLines(L"one\ntwo\rthree\r\n"),
            (std::vector<std::wstring>{L"one\ntwo\rthree"}));
  EXPECT_TRUE(stub::SplitDeleteListLines(L"\r\n\r\n").empty());
}

TEST(DeleteList, LinePathsByTokenFolderAndExtraCopy) {
  ScopedSettings settings;
  EXPECT_EQ(LinePath(L"$userdesktop$\\Old App.lnk"),
            ShellFolder(CSIDL_DESKTOPDIRECTORY) + L"\\Old App.lnk");
  EXPECT_EQ(LinePath(L"$commonstartmenu$\\Group\\x.lnk"),
            ShellFolder(CSIDL_COMMON_PROGRAMS) + L"\\Group\\x.lnk");
  // The token alone, a token in other letter case, an unknown token.
  EXPECT_EQ(LinePath(L"$userdesktop$\\"), L"(nothing)");
  EXPECT_EQ(LinePath(L"$UserDesktop$\\Old App.lnk"), L"(nothing)");
  EXPECT_EQ(LinePath(L"$nowhere$\\x"), L"(nothing)");
  // Below the extraction folder, ".." resolved, absolute lines as they are.
  EXPECT_EQ(LinePath(L"cache\\a.tmp"), std::wstring(kFolder) + L"cache\\a.tmp");
  EXPECT_EQ(LinePath(L"cache\\..\\b.tmp"), std::wstring(kFolder) + L"b.tmp");
  EXPECT_EQ(LinePath(L"D:\\Other\\c.tmp"), L"D:\\Other\\c.tmp");

  // A file item in the Windows folder's Docs, then a folder item whose
  // later entry decides.
  settings->ExtraCopy.push_back(ExtraCopy(L"readme.txt", 1, L"Docs"));
  settings->ExtraCopy.push_back(ExtraCopy(L"tools\\bin\\", 6, L"D:\\First"));
  settings->ExtraCopy.push_back(ExtraCopy(L"tools\\", 6, L"D:\\Second"));
  EXPECT_EQ(LinePath(L"README.TXT"), ShellFolder(CSIDL_WINDOWS) + L"\\Docs\\README.TXT");
  EXPECT_EQ(LinePath(L"tools\\bin\\x.exe"), L"D:\\Second\\tools\\bin\\x.exe");
  EXPECT_EQ(LinePath(L"tools\\bin\\"), L"D:\\Second\\tools\\bin\\");
  EXPECT_EQ(LinePath(L"other\\readme.txt"), std::wstring(kFolder) + L"other\\readme.txt");
}

}  // namespace
