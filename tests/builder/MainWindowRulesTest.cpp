// The main window's rules that need no window.
#include <gtest/gtest.h>

#include <string>

#include "MainWindowRules.h"

TEST(MainWindowRules, OutputNameFollowsTheArchive) {
  EXPECT_EQ(L"C:\\Work\\app.exe", OutputPathForArchive(L"C:\\Work\\app.cab"));
  EXPECT_EQ(L"C:\\Work.d\\app.v2.exe", OutputPathForArchive(L"C:\\Work.d\\app.v2.cab"));
  EXPECT_EQ(L"C:\\Work\\app.exe", OutputPathForArchive(L"C:\\Work\\app"));
  // No folder part: no proposal.
  EXPECT_EQ(L"", OutputPathForArchive(L"app.cab"));
  EXPECT_EQ(L"", OutputPathForArchive(L""));
  // A name that would not fit in a path buffer leaves the output empty.
  std::wstring folder = L"C:\\" + std::wstring(250, L'f') + L"\\";
  EXPECT_EQ(L"", OutputPathForArchive((folder + L"abc.c").c_str()));
  EXPECT_EQ(folder + L"a.exe", OutputPathForArchive((folder + L"a.cab").c_str()));
  EXPECT_EQ(259u, (folder + L"a.exe").size());
}

TEST(MainWindowRules, BaseNameAndBlankText) {
  EXPECT_EQ(L"app", ArchiveBaseName(L"C:\\Work\\app.cab"));
  EXPECT_EQ(L"app.v2", ArchiveBaseName(L"app.v2.cab"));
  EXPECT_TRUE(IsBlankText(L""));
  EXPECT_TRUE(IsBlankText(L" \t\r\n "));
  EXPECT_FALSE(IsBlankText(L" x "));
}

TEST(MainWindowRules, CreateNeedsArchiveAndExeOutput) {
  EXPECT_TRUE(CreateAllowed(L"a.cab", L"C:\\out\\setup.exe"));
  EXPECT_TRUE(CreateAllowed(L"a.cab", L"SETUP.EXE"));
  EXPECT_FALSE(CreateAllowed(L"a.cab", L"setup.ex"));
  EXPECT_FALSE(CreateAllowed(L"a.cab", L""));
  EXPECT_FALSE(CreateAllowed(L"", L"setup.exe"));
  EXPECT_FALSE(CreateAllowed(L"a.cab", L"setup.exe.txt"));
}

TEST(MainWindowRules, RelativeOutputGoesBesideTheArchive) {
  EXPECT_EQ(L"C:\\Work\\setup.exe", ResolveOutputPath(L"setup.exe", L"C:\\Work\\"));
  EXPECT_EQ(L"C:\\Work\\out\\setup.exe", ResolveOutputPath(L"out\\setup.exe", L"C:\\Work\\"));
  EXPECT_EQ(L"C:\\setup.exe", ResolveOutputPath(L"..\\setup.exe", L"C:\\Work\\"));
  EXPECT_EQ(L"D:\\x\\setup.exe", ResolveOutputPath(L"D:\\x\\setup.exe", L"C:\\Work\\"));
  EXPECT_EQ(L"setup.exe", ResolveOutputPath(L"setup.exe", L""));
  std::wstring deep = L"C:\\" + std::wstring(250, L'd') + L"\\";
  EXPECT_EQ(L"setup.exe", ResolveOutputPath(L"setup.exe", deep.c_str()));
}

TEST(MainWindowRules, GreetingHoldsThreeLines) {
  EXPECT_FALSE(ExceedsGreetingLines(L"one\r\ntwo\r\nthree"));
  EXPECT_FALSE(ExceedsGreetingLines(L"one\r\ntwo\r\n"));
  EXPECT_TRUE(ExceedsGreetingLines(L"one\r\ntwo\r\nthree\r\n"));
  EXPECT_TRUE(ExceedsGreetingLines(L"\n\n\n"));
}

TEST(MainWindowRules, WindowStaysWholeOnTheScreen) {
  const RECT area = {-1280, 0, 1920, 1080};
  const SIZE size = {400, 300};
  POINT inside = ClampWindowToArea({100, 100}, size, area);
  EXPECT_EQ(100, inside.x);
  EXPECT_EQ(100, inside.y);
  // Beyond the right and bottom edges of all monitors.
  POINT beyond = ClampWindowToArea({5000, 5000}, size, area);
  EXPECT_EQ(1520, beyond.x);
  EXPECT_EQ(780, beyond.y);
  // Left of and above the virtual screen, as a never-read -65535 would be.
  POINT before = ClampWindowToArea({-65535, -65535}, size, area);
  EXPECT_EQ(-1280, before.x);
  EXPECT_EQ(0, before.y);
  // Larger than the screen: the left and top edges win.
  POINT huge = ClampWindowToArea({10, 10}, {4000, 2000}, area);
  EXPECT_EQ(-1280, huge.x);
  EXPECT_EQ(0, huge.y);
}

TEST(MainWindowRules, HandedOverPathsAreBounded) {
  wchar_t buffer[MAX_PATH];
  std::wstring fits(259, L'p');
  EXPECT_TRUE(CopyBoundedPath(buffer, fits.c_str(), fits.size()));
  EXPECT_EQ(fits, buffer);
  std::wstring tooLong(260, L'p');
  EXPECT_FALSE(CopyBoundedPath(buffer, tooLong.c_str(), tooLong.size()));
  EXPECT_STREQ(L"", buffer);
  EXPECT_FALSE(CopyBoundedPath(buffer, nullptr, 0));
}

TEST(MainWindowRules, FormatFillsTheFirstPlaceholder) {
  EXPECT_EQ(L"app will be installed.\r\n", FormatWithText(L"%s will be installed.\r\n", L"app"));
  EXPECT_EQ(L"no placeholder", FormatWithText(L"no placeholder", L"app"));
  EXPECT_EQ(L"50%s x", FormatWithText(L"%s%s x", L"50"));
}
