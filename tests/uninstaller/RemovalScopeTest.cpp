// Where a worker without a protected Uninstall entry may remove things.
#include <gtest/gtest.h>

#include <string>

#include "RemovalScope.h"
#include "TestSupport.h"

namespace {

TEST(RemovalScope, OnlyTheInstallationTreeGroupsAndUsersShortcutsAreInside) {
  RemovalScope scope;
  scope.AddTree(L"C:\\Users\\u\\AppData\\Local\\App");
  scope.AddTree(L"C:\\Users\\u\\Start Menu\\Programs\\App Group\\");
  scope.AddLinkFolder(L"C:\\Users\\u\\Desktop");
  scope.AddTree(L"C:\\");  // never a whole drive
  scope.AddLinkFolder(L"D:\\");

  std::wstring area;
  EXPECT_TRUE(scope.Allows(L"C:\\Users\\u\\AppData\\Local\\App\\a.txt", &area));
  EXPECT_EQ(area, L"C:\\Users\\u\\AppData\\Local\\App\\");
  EXPECT_TRUE(scope.Allows(L"c:\\users\\U\\appdata\\local\\APP\\sub\\deeper\\b.dll"));
  EXPECT_TRUE(scope.Allows(L"C:\\Users\\u\\AppData\\Local\\App\\"));  // the folder itself
  EXPECT_TRUE(scope.Allows(L"C:\\Users\\u\\AppData\\Local\\App"));
  EXPECT_TRUE(scope.Allows(L"C:\\Users\\u\\Start Menu\\Programs\\App Group\\Run.lnk", &area));
  EXPECT_EQ(area, L"C:\\Users\\u\\Start Menu\\Programs\\App Group\\");
  EXPECT_TRUE(scope.Allows(L"C:\\Users\\u\\Desktop\\App.lnk", &area));
  EXPECT_EQ(area, L"C:\\Users\\u\\Desktop\\");

  const wchar_t* outside[] = {
      L"C:\\Windows\\System32\\kernel32.dll",
      L"C:\\Users\\u\\AppData\\Local\\Application\\a.txt",  // a sibling that starts alike
      L"C:\\Users\\u\\AppData\\Local\\",
      L"C:\\Users\\u\\AppData\\Local\\Apps.txt",
      L"C:\\Users\\u\\Start Menu\\Programs\\Other\\Run.lnk",
      L"C:\\Users\\u\\Desktop\\notes.txt",        // only shortcuts on the desktop
      L"C:\\Users\\u\\Desktop\\Folder\\App.lnk",  // and only directly there
      L"C:\\Users\\u\\Desktop\\",
      L"C:\\Users\\u\\Desktop\\.lnk",
      L"D:\\App.lnk",
      L"C:\\a.txt",
      L"",
  };
  for (const wchar_t* path : outside) {
    EXPECT_FALSE(scope.Allows(path)) << testsupport::Narrow(path);
  }
  EXPECT_FALSE(RemovalScope().Allows(L"C:\\Users\\u\\AppData\\Local\\App\\a.txt"));
}

}  // namespace
