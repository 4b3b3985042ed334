// Shortcut files made in their places, with the folders made for them, and
// the record of both for the uninstaller.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

#include "AfterRunCleanUp.h"
#include "CreatedPaths.h"
#include "ShellFixture.h"
#include "Shortcuts.h"
#include "StubState.h"

using shelltest::Item;
using shelltest::ReadLink;
using shelltest::ShellFolder;
using testsupport::PathExists;

namespace {

class ShortcutLinkTest : public shelltest::ShellFixture {};

TEST_F(ShortcutLinkTest, TitleWithSubFolderMakesAndRecordsEveryFolder) {
  const std::wstring programs = dir() / L"Programs";
  CreateDirectoryW(programs.c_str(), nullptr);
  const std::wstring group = programs + L"\\App";
  ASSERT_TRUE(stub::CreateShortcutLink(nullptr, group.c_str(), programs.c_str(), L"app.exe",
                                       L"Tools\\Setup", L"-x", L"Setup of the app", nullptr));
  const std::wstring link = group + L"\\Tools\\Setup.lnk";
  ASSERT_TRUE(PathExists(link));
  EXPECT_EQ(ReadLink(link).path, extract() + L"app.exe");
  EXPECT_EQ(ReadLink(link).arguments, L"-x");
  const std::vector<std::wstring> expected = {group + L"\\", group + L"\\Tools\\", link};
  EXPECT_EQ(stub::CopyCreatedPaths(), expected);
}

TEST_F(ShortcutLinkTest, SingleBackslashPointsAtTheExtractionFolder) {
  const std::wstring folder = dir() / L"links";
  ASSERT_TRUE(stub::CreateShortcutLink(nullptr, folder.c_str(), folder.c_str(), L"\\",
                                       L"Folder", L"", L"", nullptr));
  wchar_t target[MAX_PATH] = {};
  ASSERT_TRUE(stub::ReadShellLinkTarget((folder + L"\\Folder.lnk").c_str(), target));
  std::wstring read = target;
  if (read.size() > 3 && read.back() != L'\\') read += L'\\';
  EXPECT_EQ(read, extract());
}

TEST_F(ShortcutLinkTest, LinkPathOf260CharactersOrMoreIsRefusedAndNotRecorded) {
  const std::wstring folder = dir() / L"links";
  // folder + '\' + title + ".lnk" comes to exactly 260 characters.
  const std::wstring title(260 - folder.size() - 1 - 4, L't');
  EXPECT_FALSE(stub::CreateShortcutLink(nullptr, folder.c_str(), folder.c_str(), L"app.exe",
                                        title.c_str(), L"", L"", nullptr));
  EXPECT_TRUE(stub::CopyCreatedPaths().empty());
  EXPECT_FALSE(PathExists(folder));
  // One character shorter fits.
  EXPECT_TRUE(stub::CreateShortcutLink(nullptr, folder.c_str(), folder.c_str(), L"app.exe",
                                       title.substr(1).c_str(), L"", L"", nullptr));
}

TEST_F(ShortcutLinkTest, TargetThatCannotBeFormedMakesNothing) {
  const std::wstring folder = dir() / L"links";
  const std::wstring file(300, L'f');
  EXPECT_FALSE(stub::CreateShortcutLink(nullptr, folder.c_str(), folder.c_str(), file.c_str(),
                                        L"Long", L"", L"", nullptr));
  EXPECT_TRUE(stub::CopyCreatedPaths().empty());
  EXPECT_FALSE(PathExists(folder + L"\\Long.lnk"));
}

// Shortcuts in the real shell folders of the test user. Each test uses names
// of its own process and removes everything through the created-paths list,
// as the uninstaller would.
class CreateShortcutsTest : public shelltest::ShellFixture {
 protected:
  void TearDown() override {
    stub::RemoveWrittenPaths();
    for (const std::wstring& path : extraFiles_) DeleteFileW(path.c_str());
    ShellFixture::TearDown();
  }
  void Add(const stub::StartMenuItem& item) {
    settings().StartMenu[settings().StartMenuCount++] = item;
  }
  bool Recorded(const std::wstring& path) {
    std::vector<std::wstring> paths = stub::CopyCreatedPaths();
    return std::find_if(paths.begin(), paths.end(), [&](const std::wstring& p) {
             return lstrcmpiW(p.c_str(), path.c_str()) == 0;
           }) != paths.end();
  }
  std::vector<std::wstring> extraFiles_;
};

TEST_F(CreateShortcutsTest, EveryPlaceOfTheUserGetsItsShortcut) {
  const std::wstring group = Unique(L"Vsm Group ");
  const std::wstring title = Unique(L"Vsm App ");
  lstrcpynW(settings().StartMenuGroup, (group + L"\\Sub").c_str(), 260);
  stub::StartMenuItem item = Item(title, L"bin\\app.exe", L"--start", L"The app", L"bin\\app.exe,3");
  item.CreateOnDesktop = item.CreateOnStartup = item.CreateOnStartRoot = true;
  item.CreateOnQuickLaunch = true;
  Add(item);
  stub::CreateShortcuts(nullptr);

  const std::wstring groupFolder = ShellFolder(CSIDL_PROGRAMS) + L"\\" + group;
  const std::vector<std::wstring> links = {
      groupFolder + L"\\Sub\\" + title + L".lnk",
      ShellFolder(CSIDL_APPDATA) + L"\\Microsoft\\Internet Explorer\\Quick Launch\\" + title +
          L".lnk",
      ShellFolder(CSIDL_DESKTOPDIRECTORY) + L"\\" + title + L".lnk",
      ShellFolder(CSIDL_STARTUP) + L"\\" + title + L".lnk",
      ShellFolder(CSIDL_STARTMENU) + L"\\" + title + L".lnk"};
  for (const std::wstring& link : links) {
    SCOPED_TRACE(testsupport::Narrow(link));
    shelltest::LinkContents contents = ReadLink(link);
    ASSERT_TRUE(contents.loaded);
    EXPECT_EQ(contents.path, extract() + L"bin\\app.exe");
    EXPECT_EQ(contents.arguments, L"--start");
    EXPECT_EQ(contents.description, L"The app");
    EXPECT_EQ(contents.iconFile, extract() + L"bin\\app.exe");
    EXPECT_EQ(contents.iconIndex, 3);
    EXPECT_TRUE(Recorded(link));
  }
  // The new group folders are recorded, the shell folders themselves not.
  EXPECT_TRUE(Recorded(groupFolder + L"\\"));
  EXPECT_TRUE(Recorded(groupFolder + L"\\Sub\\"));
  EXPECT_FALSE(Recorded(ShellFolder(CSIDL_PROGRAMS) + L"\\"));

  stub::RemoveWrittenPaths();
  for (const std::wstring& link : links) EXPECT_FALSE(PathExists(link));
  EXPECT_FALSE(PathExists(groupFolder));
}

TEST_F(CreateShortcutsTest, EnglishTextsAndTheProgramsFolderWithoutAGroup) {
  const std::wstring title = Unique(L"Vsm Plain ");
  stub::StartMenuItem item = Item(title, L"app.exe", L"-j", L"", L"");
  lstrcpynW(item.FileE, L"app_en.exe", 260);
  lstrcpynW(item.ArgsE, L"-e", 260);
  Add(item);
  stub::CreateShortcuts(nullptr);
  // TitleE is empty: the link is named after Title.
  const std::wstring link = ShellFolder(CSIDL_PROGRAMS) + L"\\" + title + L".lnk";
  shelltest::LinkContents contents = ReadLink(link);
  ASSERT_TRUE(contents.loaded);
  EXPECT_EQ(contents.path, extract() + L"app_en.exe");
  EXPECT_EQ(contents.arguments, L"-e");
}

TEST_F(CreateShortcutsTest, NoCreateInGroupLeavesTheGroupOut) {
  const std::wstring group = Unique(L"Vsm NoGroup ");
  const std::wstring title = Unique(L"Vsm Startup Only ");
  lstrcpynW(settings().StartMenuGroup, group.c_str(), 260);
  stub::StartMenuItem item = Item(title, L"app.exe");
  item.NoCreateInGroup = true;
  item.CreateOnStartup = true;
  Add(item);
  stub::CreateShortcuts(nullptr);
  EXPECT_FALSE(PathExists(ShellFolder(CSIDL_PROGRAMS) + L"\\" + group));
  EXPECT_TRUE(PathExists(ShellFolder(CSIDL_STARTUP) + L"\\" + title + L".lnk"));
}

TEST_F(CreateShortcutsTest, AFailedShortcutDoesNotStopTheOthers) {
  const std::wstring title = Unique(L"Vsm After Failure ");
  Add(Item(std::wstring(300, L'x'), L"app.exe"));  // cut to 259: the link path is too long
  Add(Item(title, L"app.exe"));
  stub::CreateShortcuts(nullptr);
  EXPECT_TRUE(PathExists(ShellFolder(CSIDL_PROGRAMS) + L"\\" + title + L".lnk"));
}

TEST_F(CreateShortcutsTest, AllUsersFoldersAndTheUsersOwnDesktopDuplicate) {
  settings().FlagsA |= SfxFlagsA::StartMenuToCommon;
  const std::wstring group = Unique(L"Vsm Common ");
  const std::wstring same = Unique(L"Vsm Same ");
  const std::wstring other = Unique(L"Vsm Other ");
  lstrcpynW(settings().StartMenuGroup, group.c_str(), 260);

  // Shortcuts of both titles already on the user's own desktop: one points
  // at the file the package installs, one elsewhere.
  const std::wstring userDesktop = ShellFolder(CSIDL_DESKTOPDIRECTORY);
  const std::wstring sameOld = userDesktop + L"\\" + same + L".lnk";
  const std::wstring otherOld = userDesktop + L"\\" + other + L".lnk";
  extraFiles_ = {sameOld, otherOld};
  ASSERT_TRUE(stub::WriteShellLink(sameOld.c_str(), (extract() + L"APP.EXE").c_str(), L"", L"",
                                   nullptr));
  ASSERT_TRUE(stub::WriteShellLink(otherOld.c_str(), L"C:\\elsewhere\\app.exe", L"", L"",
                                   nullptr));

  stub::StartMenuItem item = Item(same, L"app.exe");
  item.CreateOnDesktop = item.CreateOnStartup = item.CreateOnStartRoot = true;
  Add(item);
  stub::StartMenuItem second = Item(other, L"app.exe");
  second.NoCreateInGroup = true;
  second.CreateOnDesktop = true;
  Add(second);
  stub::CreateShortcuts(nullptr);

  const std::wstring commonDesktop = ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY);
  ASSERT_NE(commonDesktop, userDesktop);
  for (const std::wstring& link :
       {ShellFolder(CSIDL_COMMON_PROGRAMS) + L"\\" + group + L"\\" + same + L".lnk",
        commonDesktop + L"\\" + same + L".lnk", commonDesktop + L"\\" + other + L".lnk",
        ShellFolder(CSIDL_COMMON_STARTUP) + L"\\" + same + L".lnk",
        ShellFolder(CSIDL_COMMON_STARTMENU) + L"\\" + same + L".lnk"}) {
    SCOPED_TRACE(testsupport::Narrow(link));
    EXPECT_EQ(ReadLink(link).path, extract() + L"app.exe");
    EXPECT_TRUE(Recorded(link));
  }
  EXPECT_FALSE(PathExists(ShellFolder(CSIDL_PROGRAMS) + L"\\" + group));
  EXPECT_FALSE(PathExists(sameOld));  // the same target, ignoring case: deleted
  EXPECT_TRUE(PathExists(otherOld));  // another target: kept
}

}  // namespace
