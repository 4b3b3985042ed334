// Shell link files written and read back, the text of a pair that the
// interface shows, and the icon location of a shortcut item.
#include <gtest/gtest.h>

#include <string>

#include "ShellFixture.h"
#include "Shortcuts.h"
#include "StubState.h"

using shelltest::Item;
using shelltest::ReadLink;
using shelltest::ShellFixture;

namespace {

class ShellLinkTest : public ShellFixture {};

TEST_F(ShellLinkTest, WrittenLinkReadsBackWithEverySetting) {
  const std::wstring link = dir() / L"Tool.lnk";
  const std::wstring target = extract() + L"bin\\tool.exe";
  ASSERT_TRUE(stub::WriteShellLink(link.c_str(), target.c_str(), L"/quiet \"C:\\a b\"",
                                   L"Starts the tool", (extract() + L"bin\\tool.exe,2").c_str()));
  shelltest::LinkContents contents = ReadLink(link);
  ASSERT_TRUE(contents.loaded);
  EXPECT_EQ(contents.path, target);
  EXPECT_EQ(contents.arguments, L"/quiet \"C:\\a b\"");
  EXPECT_EQ(contents.description, L"Starts the tool");
  EXPECT_EQ(contents.workingFolder, extract() + L"bin");
  EXPECT_EQ(contents.iconFile, extract() + L"bin\\tool.exe");
  EXPECT_EQ(contents.iconIndex, 2);

  wchar_t read[MAX_PATH] = L"garbage";
  EXPECT_TRUE(stub::ReadShellLinkTarget(link.c_str(), read));
  EXPECT_EQ(std::wstring(read), target);
}

TEST_F(ShellLinkTest, EmptyTextsAndNoIconLeaveThemUnset) {
  const std::wstring link = dir() / L"Plain.lnk";
  ASSERT_TRUE(stub::WriteShellLink(link.c_str(), L"C:\\tool.exe", L"", L"", nullptr));
  shelltest::LinkContents contents = ReadLink(link);
  ASSERT_TRUE(contents.loaded);
  EXPECT_EQ(contents.path, L"C:\\tool.exe");
  EXPECT_EQ(contents.arguments, L"");
  EXPECT_EQ(contents.description, L"");
  EXPECT_EQ(contents.iconFile, L"");
  // A drive root keeps its backslash as the working folder.
  EXPECT_EQ(contents.workingFolder, L"C:\\");
}

TEST_F(ShellLinkTest, IconWithoutIndexUsesIndexZero) {
  const std::wstring link = dir() / L"Icon.lnk";
  ASSERT_TRUE(stub::WriteShellLink(link.c_str(), L"C:\\tool.exe", L"", L"",
                                   (extract() + L"icons\\main.ico").c_str()));
  shelltest::LinkContents contents = ReadLink(link);
  EXPECT_EQ(contents.iconFile, extract() + L"icons\\main.ico");
  EXPECT_EQ(contents.iconIndex, 0);
}

TEST_F(ShellLinkTest, MissingOrBrokenLinkIsNotRead) {
  wchar_t read[MAX_PATH] = L"garbage";
  EXPECT_FALSE(stub::ReadShellLinkTarget((dir() / L"none.lnk").c_str(), read));
  EXPECT_EQ(read[0], 0);
  const std::wstring broken = dir() / L"broken.lnk";
  ASSERT_TRUE(testsupport::WriteTextFile(broken, "not a shell link at all"));
  EXPECT_FALSE(stub::ReadShellLinkTarget(broken.c_str(), read));
}

TEST_F(ShellLinkTest, UnsavableLinkIsAFailure) {
  EXPECT_FALSE(stub::WriteShellLink((dir() / L"no such folder\\x.lnk").c_str(), L"C:\\tool.exe",
                                    L"", L"", nullptr));
}

class ShortcutTextTest : public ShellFixture {};

TEST_F(ShortcutTextTest, JapaneseShowsThePlainTextEnglishTheEnglishOneOrThePlainOne) {
  stub::g_JapaneseUi = true;
  EXPECT_STREQ(stub::ChooseShortcutText(L"plain", L"english"), L"plain");
  EXPECT_STREQ(stub::ChooseShortcutText(L"", L"english"), L"");
  stub::g_JapaneseUi = false;
  EXPECT_STREQ(stub::ChooseShortcutText(L"plain", L"english"), L"english");
  EXPECT_STREQ(stub::ChooseShortcutText(L"plain", L""), L"plain");
}

TEST_F(ShortcutTextTest, GroupNameAndAllUsersFlagFollowTheSettings) {
  lstrcpynW(settings().StartMenuGroup, L"Gruppe", 260);
  EXPECT_STREQ(stub::ShortcutGroupName(), L"Gruppe");
  lstrcpynW(settings().StartMenuGroupE, L"Group", 260);
  EXPECT_STREQ(stub::ShortcutGroupName(), L"Group");
  stub::g_JapaneseUi = true;
  EXPECT_STREQ(stub::ShortcutGroupName(), L"Gruppe");
  EXPECT_FALSE(stub::ShortcutsForAllUsers());
  settings().FlagsA |= SfxFlagsA::StartMenuToCommon;
  EXPECT_TRUE(stub::ShortcutsForAllUsers());
}

class ShortcutIconTest : public ShellFixture {};

TEST_F(ShortcutIconTest, IconTextPointsAtTheInstalledFileAndKeepsItsIndex) {
  stub::StartMenuItem item = Item(L"App", L"app.exe", L"", L"", L"app.exe,2");
  const wchar_t* icon = stub::ResolveShortcutIcon(item);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(std::wstring(icon), extract() + L"app.exe,2");

  item = Item(L"App", L"app.exe", L"", L"", L"icons\\main.ico");
  icon = stub::ResolveShortcutIcon(item);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(std::wstring(icon), extract() + L"icons\\main.ico");

  // Only the last comma separates the index.
  item = Item(L"App", L"app.exe", L"", L"", L"a,b.dll,7");
  icon = stub::ResolveShortcutIcon(item);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(std::wstring(icon), extract() + L"a,b.dll,7");
}

TEST_F(ShortcutIconTest, NoIconTextNoIconAndTheEnglishTextByLanguage) {
  stub::StartMenuItem item = Item(L"App", L"app.exe");
  EXPECT_EQ(stub::ResolveShortcutIcon(item), nullptr);
  lstrcpynW(item.IconE, L"english.ico", 270);
  const wchar_t* icon = stub::ResolveShortcutIcon(item);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(std::wstring(icon), extract() + L"english.ico");
  stub::g_JapaneseUi = true;  // the plain text is empty: no icon
  EXPECT_EQ(stub::ResolveShortcutIcon(item), nullptr);
}

TEST_F(ShortcutIconTest, ExtraCopyItemMovesTheIconFile) {
  stub::ExtraCopyItem copy = {};
  lstrcpynW(copy.FileName, L"bin\\app.exe", 260);
  copy.BaseFolder = 6;  // absolute
  lstrcpynW(copy.ExtractFolder, (dir() / L"elsewhere\\").c_str(), 260);
  settings().ExtraCopy.push_back(copy);
  stub::StartMenuItem item = Item(L"App", L"bin\\app.exe", L"", L"", L"BIN\\APP.EXE,1");
  const wchar_t* icon = stub::ResolveShortcutIcon(item);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(std::wstring(icon), dir() / L"elsewhere\\APP.EXE,1");
}

TEST_F(ShortcutIconTest, IconThatWouldNotFitIsLeftOut) {
  // The file part resolves within 260 characters, but with the index the
  // location would pass the 270 of its buffer.
  std::wstring name(250 - extract().size(), L'i');
  stub::StartMenuItem item = Item(L"App", L"app.exe", L"", L"",
                                  name + L"," + std::wstring(19, L'1'));
  EXPECT_EQ(stub::ResolveShortcutIcon(item), nullptr);
  item = Item(L"App", L"app.exe", L"", L"", name + L",1");
  EXPECT_NE(stub::ResolveShortcutIcon(item), nullptr);
}

}  // namespace
