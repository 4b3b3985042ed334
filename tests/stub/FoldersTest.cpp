// Base folders, folder resolution, folder-tree creation and path cleaning.
#include <gtest/gtest.h>

#include <shlobj.h>
#include <shlwapi.h>

#include <string>

#include "CreatedPaths.h"
#include "Folders.h"
#include "StubSettings.h"
#include "StubState.h"
#include "TestSupport.h"

namespace {

std::wstring Shell(int csidl) {
  wchar_t path[MAX_PATH] = L"";
  EXPECT_TRUE(SUCCEEDED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)));
  return path;
}

std::wstring NoSlash(std::wstring path) {
  while (path.size() > 3 && path.back() == L'\\') path.pop_back();
  return path;
}

std::wstring Resolve(int id, const wchar_t* sub, bool withTemp = false, std::wstring* base = nullptr) {
  wchar_t out[MAX_PATH] = L"";
  wchar_t baseOut[MAX_PATH] = L"";
  bool ok = stub::ResolveFolder(out, MAX_PATH, id, baseOut, MAX_PATH, sub, withTemp);
  if (base) *base = baseOut;
  return ok ? std::wstring(out) : std::wstring(L"<failed>");
}

class FolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    stub::ComposeTempFolderName();
    temp_ = L"qxtemp." + std::to_wstring(GetCurrentProcessId()) + L".$$$";
  }
  std::wstring temp_;
};

TEST_F(FolderTest, TemporaryFolderNameCarriesTheProcessId) {
  EXPECT_EQ(std::wstring(stub::g_TempFolderName), temp_);
}

TEST_F(FolderTest, EveryBaseFolderId) {
  wchar_t windows[MAX_PATH];
  GetWindowsDirectoryW(windows, MAX_PATH);
  wchar_t system[MAX_PATH];
  GetSystemDirectoryW(system, MAX_PATH);
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  wchar_t own[MAX_PATH];
  GetModuleFileNameW(nullptr, own, MAX_PATH);
  PathRemoveFileSpecW(own);
  std::wstring allUsers = NoSlash(Shell(CSIDL_COMMON_DOCUMENTS));
  allUsers = allUsers.substr(0, allUsers.rfind(L'\\'));

  const std::wstring expected[16] = {
      NoSlash(Shell(CSIDL_PROGRAM_FILES)),
      NoSlash(windows),
      NoSlash(system),
      NoSlash(temp) + L"\\" + temp_,
      std::wstring(windows, 3),
      NoSlash(own),
      L"",  // absolute: below
      NoSlash(Shell(CSIDL_PERSONAL)),
      NoSlash(Shell(CSIDL_DESKTOPDIRECTORY)),
      NoSlash(Shell(CSIDL_PROFILE)),
      allUsers,
      NoSlash(Shell(CSIDL_APPDATA)),
      NoSlash(Shell(CSIDL_COMMON_APPDATA)),
      NoSlash(Shell(CSIDL_COMMON_DESKTOPDIRECTORY)),
      NoSlash(Shell(CSIDL_LOCAL_APPDATA)),
      NoSlash(Shell(CSIDL_COMMON_DOCUMENTS)),
  };
  for (int id = 0; id < 16; ++id) {
    if (id == kBaseAbsolute) continue;
    SCOPED_TRACE(id);
    std::wstring base;
    EXPECT_EQ(Resolve(id, L"", false, &base), expected[id]);
    EXPECT_EQ(Resolve(id, L"Sub\\Dir\\"), expected[id] + (expected[id].back() == L'\\' ? L"" : L"\\") + L"Sub\\Dir\\");
    if (id != kBaseTemporary) {
      EXPECT_EQ(base, expected[id]);
    }
  }
  EXPECT_EQ(Resolve(16, L"x"), L"<failed>");
  EXPECT_EQ(Resolve(-1, L"x"), L"<failed>");
}

TEST_F(FolderTest, TemporaryIdAndTemporaryFlagAppendTheTemporaryName) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring base;
  EXPECT_EQ(Resolve(kBaseTemporary, L"data", false, &base),
            NoSlash(temp) + L"\\" + temp_ + L"\\data");
  EXPECT_EQ(base, NoSlash(temp));
  wchar_t windows[MAX_PATH];
  GetWindowsDirectoryW(windows, MAX_PATH);
  EXPECT_EQ(Resolve(kBaseWindows, L"data", true), NoSlash(windows) + L"\\" + temp_ + L"\\data");
}

TEST_F(FolderTest, AbsolutePathIsTheSubPathWithoutItsBackslash) {
  std::wstring base;
  EXPECT_EQ(Resolve(kBaseAbsolute, L"D:\\Target\\App\\", false, &base), L"D:\\Target\\App");
  EXPECT_EQ(base, L"D:\\Target\\App");
  EXPECT_EQ(Resolve(kBaseAbsolute, L"D:\\", false), L"D:\\");
}

TEST_F(FolderTest, EnvironmentVariablesAreExpandedWhenTheyFit) {
  SetEnvironmentVariableW(L"VESMARIN_TEST_DIR", L"Expanded");
  EXPECT_EQ(Resolve(kBaseAbsolute, L"C:\\%VESMARIN_TEST_DIR%\\x"), L"C:\\Expanded\\x");
  SetEnvironmentVariableW(L"VESMARIN_TEST_DIR", std::wstring(300, L'e').c_str());
  EXPECT_EQ(Resolve(kBaseAbsolute, L"C:\\%VESMARIN_TEST_DIR%\\x"), L"C:\\%VESMARIN_TEST_DIR%\\x");
  SetEnvironmentVariableW(L"VESMARIN_TEST_DIR", nullptr);
}

TEST_F(FolderTest, ResultLongerThanTheOutputFails) {
  wchar_t out[20];
  EXPECT_FALSE(stub::ResolveFolder(out, 20, kBaseAbsolute, nullptr, 0, L"C:\\a\\very\\long\\folder", false));
  EXPECT_TRUE(stub::ResolveFolder(out, 20, kBaseAbsolute, nullptr, 0, L"C:\\short", false));
  EXPECT_STREQ(out, L"C:\\short");
}

TEST(RemoveInvalidPathChars, DriveColonSurvivesOnlyInSecondPlace) {
  wchar_t text[MAX_PATH] = L"C:\\dir:name\\a*b?c\"d<e>f|g\th\r\ni/j";
  EXPECT_FALSE(stub::RemoveInvalidPathChars(text, true));
  EXPECT_STREQ(text, L"C:\\dirname\\abcdefghij");
  wchar_t clean[MAX_PATH] = L"C:\\Program Files\\App";
  EXPECT_TRUE(stub::RemoveInvalidPathChars(clean, true));
  EXPECT_STREQ(clean, L"C:\\Program Files\\App");
  wchar_t noColon[MAX_PATH] = L"C:\\x";
  EXPECT_FALSE(stub::RemoveInvalidPathChars(noColon, false));
  EXPECT_STREQ(noColon, L"C\\x");
}

TEST(ValidateDestinationFolder, ChecksLikeTheDestinationPage) {
  wchar_t out[MAX_PATH];
  EXPECT_EQ(stub::ValidateDestinationFolder(L"C:\\Apps\\Tool", out), stub::kDestinationOk);
  EXPECT_STREQ(out, L"C:\\Apps\\Tool\\");
  EXPECT_EQ(stub::ValidateDestinationFolder(L"\\\\server\\share\\x\\", out), stub::kDestinationOk);
  EXPECT_STREQ(out, L"\\\\server\\share\\x\\");
  EXPECT_EQ(stub::ValidateDestinationFolder(L"", out), stub::kDestinationEmpty);
  for (const wchar_t* bad : {L"C:\\a\\\\b", L"C:\\a/b", L"C:\\a*", L"C:\\a?", L"C:\\a<b", L"C:\\a>b",
                             L"C:\\a|b", L"C:\\\"a\"", L"C:\\a\tb", L"C:\\a\rb", L"C:\\a\nb",
                             L"C:\\a:b", L"//server/share"}) {
    SCOPED_TRACE(testing::PrintToString(testsupport::Narrow(bad)));
    EXPECT_EQ(stub::ValidateDestinationFolder(bad, out), stub::kDestinationInvalidChars);
  }
  std::wstring longest = L"C:\\" + std::wstring(255, L'a');  // 258 characters
  EXPECT_EQ(stub::ValidateDestinationFolder(longest.c_str(), out), stub::kDestinationOk);
  std::wstring noRoom = longest + L"a";  // 259: no room for the backslash
  EXPECT_EQ(stub::ValidateDestinationFolder(noRoom.c_str(), out), stub::kDestinationTooLong);
  std::wstring tooLong = L"C:\\" + std::wstring(300, L'a');
  EXPECT_EQ(stub::ValidateDestinationFolder(tooLong.c_str(), out), stub::kDestinationTooLong);
}

// A relative folder is made absolute from the current folder; one whose
// full path would not fit is too long.
TEST(ValidateDestinationFolder, RelativeFoldersBecomeFullPaths) {
  testsupport::TempDir dir(L"rel");
  wchar_t previous[MAX_PATH] = L"";
  GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryW(dir.path().c_str()));
  const std::wstring here = dir.path();
  const std::wstring drive = here.substr(0, 2);  // "C:"
  wchar_t out[MAX_PATH];
  struct Case {
    const wchar_t* typed;
    std::wstring expected;
  };
  const Case cases[] = {{L"relative\\path", here + L"relative\\path\\"},
                        {L"relative\\..\\other\\", here + L"other\\"},
                        {L".\\", here},
                        {L"\\Apps", drive + L"\\Apps\\"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testsupport::Narrow(c.typed));
    EXPECT_EQ(stub::ValidateDestinationFolder(c.typed, out), stub::kDestinationOk);
    EXPECT_EQ(std::wstring(out), c.expected);
  }
  // Short as typed, too long once the current folder is put in front.
  const std::wstring rest(MAX_PATH - here.size() + 5, L'r');
  EXPECT_EQ(stub::ValidateDestinationFolder(rest.c_str(), out), stub::kDestinationTooLong);
  SetCurrentDirectoryW(previous);
}

class CreateDirectoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    stub::g_Settings = nullptr;
    ASSERT_TRUE(stub::InitCreatedPathList());
  }
  void TearDown() override { stub::FreeCreatedPathList(); }
  testsupport::TempDir dir_{L"incd"};
};

TEST_F(CreateDirectoryTest, CreatesEveryMissingFolderAndRecordsThoseBelowTheBase) {
  std::wstring base = dir_.path() + L"Base";
  ASSERT_TRUE(CreateDirectoryW(base.c_str(), nullptr));
  std::wstring full = base + L"\\One\\Two\\Three";
  wchar_t before[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, before);
  ASSERT_TRUE(stub::InCreateDirectory((full + L"\\").c_str(), (base + L"\\").c_str()));
  EXPECT_TRUE(PathIsDirectoryW(full.c_str()));
  std::vector<std::wstring> recorded = stub::CopyCreatedPaths();
  ASSERT_EQ(recorded.size(), 3u);
  EXPECT_EQ(recorded[0], base + L"\\One\\");
  EXPECT_EQ(recorded[1], base + L"\\One\\Two\\");
  EXPECT_EQ(recorded[2], base + L"\\One\\Two\\Three\\");
  wchar_t after[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, after);
  EXPECT_STREQ(before, after);

  // Existing folders are not recorded, unless ForceUninstallDir; a path
  // already in the list is never recorded twice.
  ASSERT_TRUE(stub::InCreateDirectory((full + L"\\Four").c_str(), base.c_str()));
  EXPECT_EQ(stub::CopyCreatedPaths().size(), 4u);
  ASSERT_TRUE(CreateDirectoryW((base + L"\\Old").c_str(), nullptr));
  stub::StubSettings settings;
  settings.FlagsB = SfxFlagsB::ForceUninstallDir;
  stub::g_Settings = &settings;
  ASSERT_TRUE(stub::InCreateDirectory(full.c_str(), base.c_str()));
  ASSERT_TRUE(stub::InCreateDirectory((base + L"\\Old").c_str(), base.c_str()));
  stub::g_Settings = nullptr;
  recorded = stub::CopyCreatedPaths();
  ASSERT_EQ(recorded.size(), 5u);
  EXPECT_EQ(recorded[4], base + L"\\Old\\");
}

// A base that the call itself made is recorded with its new parents, so
// that the uninstaller takes the product folder too; every folder made is
// noted as new, with a base or without, and one that stood before is not.
TEST_F(CreateDirectoryTest, RecordsTheBaseAndTheParentsItMade) {
  const size_t notedBefore = stub::NewPaths().size();
  const std::wstring base = dir_.path() + L"Vendor\\App";
  ASSERT_TRUE(stub::InCreateDirectory((base + L"\\Docs").c_str(), (base + L"\\").c_str()));
  const std::vector<std::wstring> made = {dir_.path() + L"Vendor\\", base + L"\\",
                                          base + L"\\Docs\\"};
  EXPECT_EQ(stub::CopyCreatedPaths(), made);
  ASSERT_TRUE(stub::InCreateDirectory((base + L"\\Docs\\Deep").c_str(), nullptr));
  std::vector<std::wstring> noted = made;
  noted.push_back(base + L"\\Docs\\Deep\\");
  EXPECT_EQ(std::vector<std::wstring>(stub::NewPaths().begin() + notedBefore, stub::NewPaths().end()),
            noted);
  EXPECT_EQ(stub::CopyCreatedPaths().size(), 3u);
}

TEST_F(CreateDirectoryTest, PathOutsideTheBaseCreatesNothing) {
  std::wstring base = dir_.path() + L"Base";
  std::wstring outside = dir_.path() + L"Based\\x";
  EXPECT_FALSE(stub::InCreateDirectory(outside.c_str(), base.c_str()));
  EXPECT_FALSE(PathFileExistsW((dir_.path() + L"Based").c_str()));
  EXPECT_TRUE(stub::CopyCreatedPaths().empty());
}

TEST_F(CreateDirectoryTest, LongPathsAreCreatedThroughTheExtendedForm) {
  std::wstring full = dir_.path();
  while (full.size() < 250) full += L"segment_of_a_long_path\\";
  full.resize(250);
  if (full.back() == L'\\') full.back() = L'x';
  ASSERT_TRUE(stub::InCreateDirectory(full.c_str(), dir_.path().c_str()));
  EXPECT_NE(GetFileAttributesW((L"\\\\?\\" + full).c_str()), INVALID_FILE_ATTRIBUTES);
  // Below the extended form the tree removal needs it too.
  std::vector<std::wstring> recorded = stub::CopyCreatedPaths();
  for (size_t i = recorded.size(); i-- > 0;) RemoveDirectoryW((L"\\\\?\\" + recorded[i]).c_str());
}


}  // namespace
