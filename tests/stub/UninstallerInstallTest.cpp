// The built-in uninstaller taken out of its cabinet, put beside the product
// and described by its information file.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "CabTestHelpers.h"
#include "CreatedPaths.h"
#include "LastError.h"
#include "PostInstallTestUtil.h"
#include "SfxContainer.h"
#include "StubState.h"
#include "TestCabinet.h"
#include "TestSupport.h"
#include "UninstallInfo.h"
#include "UninstallerInstall.h"

namespace {

using postinsttest::ScopedSettings;
using postinsttest::Set;

const std::string kImage = std::string("MZ uninstaller image ") + std::string(3000, 'x');

// The cabinet as the container stores it: "MSCF" zeroed.
std::vector<uint8_t> StoredCab(const std::wstring& member, const std::string& content) {
  testsupport::TestCabinet cab;
  cab.Add(member, content);
  std::vector<uint8_t> bytes = cab.Build();
  for (int i = 0; i < 4; ++i) bytes[i] = 0;
  return bytes;
}

void GiveCab(stub::StubSettings& s, const std::vector<uint8_t>& stored) {
  s.UninstCab = static_cast<uint8_t*>(HeapAlloc(GetProcessHeap(), 0, stored.size()));
  memcpy(s.UninstCab, stored.data(), stored.size());
  s.UninstCabSize = static_cast<uint32_t>(stored.size());
}

// The temporary folder of this process alone while it lives, so that other
// tests running at the same time cannot change the count of its files.
struct PrivateTemporaryFolder {
  testsupport::TempDir dir{L"utmp"};
  cabtest::TempFolderOverride use{dir.path()};
};

size_t CountTemporaryCabs() {
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((std::wstring(folder) + L"qxu*.tmp").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return 0;
  size_t count = 0;
  do ++count;
  while (FindNextFileW(find, &data));
  FindClose(find);
  return count;
}

TEST(UninstallerPlace, BuiltInUninstallerGoesBelowTheExtractionFolder) {
  ScopedSettings s(L"C:\\Apps\\Example\\");
  s->FlagsA = SfxFlagsA::UseVesmarinUninstaller;
  struct Case {
    const wchar_t* folder;
    const wchar_t* path;
  };
  const Case cases[] = {
      {L"\\", L"C:\\Apps\\Example\\Hollmere64.exe"},
      {L"", L"C:\\Apps\\Example\\Hollmere64.exe"},
      {L"Tools", L"C:\\Apps\\Example\\Tools\\Hollmere64.exe"},
      {L"\\Tools\\", L"C:\\Apps\\Example\\Tools\\Hollmere64.exe"},
      {L"a\\..\\b\\", L"C:\\Apps\\Example\\b\\Hollmere64.exe"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testsupport::Narrow(c.folder));
    Set(s->UseVesmarinUninstallerFolder, c.folder);
    stub::UninstallerPlace place;
    ASSERT_TRUE(stub::ComposeUninstallerPlace(*s, &place));
    EXPECT_STREQ(place.path, c.path);
    EXPECT_TRUE(place.builtIn);
    EXPECT_STREQ(place.args, L"/s");
    std::wstring folder = c.path;
    folder.resize(folder.rfind(L'\\') + 1);
    EXPECT_EQ(std::wstring(place.folder), folder);
  }
  // Nothing the package says puts the uninstaller outside.
  for (const wchar_t* escape : {L"..\\", L"..\\Other\\", L"Tools\\..\\..\\..\\Windows"}) {
    SCOPED_TRACE(testsupport::Narrow(escape));
    Set(s->UseVesmarinUninstallerFolder, escape);
    stub::UninstallerPlace place;
    EXPECT_FALSE(stub::ComposeUninstallerPlace(*s, &place));
  }
  // Too long for a path.
  Set(s->UseVesmarinUninstallerFolder, std::wstring(250, L'f'));
  stub::UninstallerPlace place;
  EXPECT_FALSE(stub::ComposeUninstallerPlace(*s, &place));
}

// The check made before anything is written, for any chosen folder: the
// uninstaller's whole path must fit below it.
TEST(UninstallerPlace, FitsBelowAChosenFolderOnlyWithRoomForItsPath) {
  ScopedSettings s(L"C:\\Short\\");
  s->FlagsA |= SfxFlagsA::UseVesmarinUninstaller;
  Set(s->UseVesmarinUninstallerFolder, L"\\Uninstall\\");
  // "C:\" + folder + "\Uninstall\Hollmere64.exe" (or Hollmere.exe).
  const size_t tail = 1 + 10 + wcslen(stub::kUninstallerFileName);
  const std::wstring fits = L"C:\\" + std::wstring(MAX_PATH - 1 - 3 - tail, L'a');
  EXPECT_TRUE(stub::UninstallerPathFits(*s, fits.c_str()));
  EXPECT_TRUE(stub::UninstallerPathFits(*s, (fits + L"\\").c_str())) << "with its backslash";
  EXPECT_FALSE(stub::UninstallerPathFits(*s, (fits + L"a").c_str()));
  // The package's own folder plays no part.
  EXPECT_FALSE(stub::UninstallerPathFits(*s, (L"C:\\" + std::wstring(250, L'b')).c_str()));
  Set(s->UseVesmarinUninstallerFolder, L"..\\..\\");
  EXPECT_FALSE(stub::UninstallerPathFits(*s, L"C:\\Apps\\Example\\"));
  // Without the built-in uninstaller there is nothing to fit.
  s->FlagsA &= ~SfxFlagsA::UseVesmarinUninstaller;
  EXPECT_TRUE(stub::UninstallerPathFits(*s, (L"C:\\" + std::wstring(300, L'c')).c_str()));
}

TEST(UninstallerPlace, PackagesOwnUninstallerIsNamedByItsSettings) {
  ScopedSettings s(L"C:\\Apps\\Example\\");
  Set(s->UnInstallFile, L"bin\\remove.exe");
  Set(s->UnInstallArgs, L"-quiet");
  stub::UninstallerPlace place;
  ASSERT_TRUE(stub::ComposeUninstallerPlace(*s, &place));
  EXPECT_FALSE(place.builtIn);
  EXPECT_STREQ(place.path, L"C:\\Apps\\Example\\bin\\remove.exe");
  EXPECT_STREQ(place.args, L"-quiet");
  Set(s->UnInstallFile, L"");
  EXPECT_FALSE(stub::ComposeUninstallerPlace(*s, &place));
}

TEST(UninstallInfoContent, TakesEveryOptionListAndTheGroupOfTheLanguage) {
  ScopedSettings s(L"C:\\Apps\\Example\\");
  s->FlagsA = SfxFlagsA::UninstallRebootable | SfxFlagsA::StartMenuToCommon;
  s->FlagsB = SfxFlagsB::AutoUninstIni | SfxFlagsB::HollmereHideLogButton;
  Set(s->UninstallerExtensionModuleFile, L"ext.dll");
  Set(s->UninstallerPreProcessFile, L"pre.exe");
  Set(s->UnInstallKey, L"ExampleKey");
  s->UninstallRegCount = 2;
  Set(s->UninstallReg[0], L"20=SOFTWARE\\Example");
  Set(s->UninstallReg[1], L"10=Software\\Example");
  Set(s->UninstallReg[2], L"11=stale slot beyond the count");
  stub::RegComSvrItem server = {};
  Set(server.FileName, L"a.dll");
  server.Uninstall = true;
  s->RegComSvr.push_back(server);
  Set(server.FileName, L"kept.dll");
  server.Uninstall = false;
  s->RegComSvr.push_back(server);
  Set(server.FileName, L"moved\\b.dll");
  server.Uninstall = true;
  s->RegComSvr.push_back(server);
  stub::ExtraCopyItem copy = {};
  Set(copy.FileName, L"moved\\");
  copy.BaseFolder = 6;  // absolute
  Set(copy.ExtractFolder, L"D:\\Shared\\");
  s->ExtraCopy.push_back(copy);
  Set(s->StartMenuGroup, L"Plain Group");
  Set(s->StartMenuGroupE, L"English Group");

  UninstallInfoContent c = stub::ComposeUninstallInfo(*s, {L"C:\\Apps\\Example\\a.txt"});
  EXPECT_TRUE(c.AutoUninstIni);
  EXPECT_FALSE(c.AutoUninstDat);
  EXPECT_TRUE(c.HideLogButton);
  EXPECT_EQ(c.ExtModuleFile, L"ext.dll");
  EXPECT_EQ(c.PreProcessFile, L"pre.exe");
  EXPECT_EQ(c.PreProcessArg, L"");
  EXPECT_TRUE(c.UninstallRebootable);
  EXPECT_EQ(c.UninstallKey, L"ExampleKey");
  EXPECT_EQ(c.CreatedPaths, std::vector<std::wstring>{L"C:\\Apps\\Example\\a.txt"});
  EXPECT_EQ(c.RegistryRecords,
            (std::vector<std::wstring>{L"20=SOFTWARE\\Example", L"10=Software\\Example"}));
  EXPECT_TRUE(c.HasRegServerList);
  EXPECT_EQ(c.RegServers, (std::vector<std::wstring>{L"C:\\Apps\\Example\\a.dll",
                                                     L"D:\\Shared\\moved\\b.dll"}));
  EXPECT_TRUE(c.CommonGroup);
  EXPECT_EQ(c.GroupName, L"English Group");

  stub::g_JapaneseUi = true;
  EXPECT_EQ(stub::ComposeUninstallInfo(*s, {}).GroupName, L"Plain Group");
  stub::g_JapaneseUi = false;

  s->RegComSvr.clear();
  s->FlagsA = 0;
  c = stub::ComposeUninstallInfo(*s, {});
  EXPECT_FALSE(c.HasRegServerList);
  EXPECT_FALSE(c.CommonGroup);
}

TEST(UninstallerCabinet, TheStoredCabinetGivesTheUninstallerAndLeavesNoTemporaryFile) {
  PrivateTemporaryFolder temporary;
  const size_t before = CountTemporaryCabs();
  const std::vector<uint8_t> stored = StoredCab(L"Hollmere64.exe", kImage);
  std::vector<uint8_t> image;
  ASSERT_TRUE(stub::ExtractUninstallerImage(stored.data(), stored.size(), L"Hollmere64.exe", &image));
  EXPECT_EQ(std::string(image.begin(), image.end()), kImage);
  EXPECT_EQ(stored[0], 0) << "the stored bytes stay as they are";

  EXPECT_FALSE(stub::ExtractUninstallerImage(stored.data(), stored.size(), L"Hollmere.exe", &image));
  EXPECT_TRUE(image.empty());
  std::vector<uint8_t> damaged = stored;
  damaged.resize(damaged.size() / 2);
  EXPECT_FALSE(stub::ExtractUninstallerImage(damaged.data(), damaged.size(), L"Hollmere64.exe", &image));
  std::vector<uint8_t> garbage(4000, 0x5A);
  EXPECT_FALSE(stub::ExtractUninstallerImage(garbage.data(), garbage.size(), L"Hollmere64.exe", &image));
  EXPECT_FALSE(stub::ExtractUninstallerImage(stored.data(), 4, L"Hollmere64.exe", &image));
  EXPECT_FALSE(stub::ExtractUninstallerImage(nullptr, 0, L"Hollmere64.exe", &image));
  EXPECT_EQ(CountTemporaryCabs(), before);
}

class InstallUninstallerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(stub::InitCreatedPathList());
    stub::SetLastErrorCode(stub::kErrorNone);
  }
  void TearDown() override {
    stub::FreeCreatedPathList();
    stub::SetLastErrorCode(stub::kErrorNone);
  }
  testsupport::TempDir dir_{L"uinst"};
};

TEST_F(InstallUninstallerTest, WritesTheUninstallerAndItsInformationBesideIt) {
  ScopedSettings s(dir_.path());
  s->FlagsA = SfxFlagsA::UseVesmarinUninstaller;
  Set(s->UseVesmarinUninstallerFolder, L"Tools\\Remove\\");
  Set(s->UnInstallKey, L"Example");
  s->UninstallRegCount = 3;
  Set(s->UninstallReg[0], L"20=SOFTWARE\\A");
  Set(s->UninstallReg[1], L"21=SOFTWARE\\B");
  Set(s->UninstallReg[2], L"10=Software\\C");  // after another root: left out
  Set(s->StartMenuGroupE, L"Example Group");
  GiveCab(*s, StoredCab(L"Hollmere64.exe", kImage));

  // What the extraction recorded, with a repeat in other letter case and a
  // file that carries the uninstaller's name.
  const std::wstring root = dir_.path();
  ASSERT_TRUE(stub::PushFileName((root + L"Data\\").c_str()));
  ASSERT_TRUE(stub::PushFileName((root + L"Data\\one.txt").c_str()));
  ASSERT_TRUE(stub::PushFileName((root + L"DATA\\ONE.TXT").c_str()));
  ASSERT_TRUE(stub::PushFileName((root + L"Data\\hollmere64.EXE").c_str()));
  ASSERT_TRUE(stub::PushFileName((root + L"two.txt").c_str()));

  stub::UninstallerPlace place;
  ASSERT_TRUE(stub::ComposeUninstallerPlace(*s, &place));
  unsigned long long written = 0;
  PrivateTemporaryFolder temporary;
  const size_t before = CountTemporaryCabs();
  ASSERT_TRUE(stub::InstallUninstaller(place, &written));
  EXPECT_EQ(stub::GetLastErrorCode(), stub::kErrorNone);
  EXPECT_EQ(CountTemporaryCabs(), before);

  const std::wstring exe = root + L"Tools\\Remove\\Hollmere64.exe";
  const std::wstring info = root + L"Tools\\Remove\\Hollmere64.$$$";
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(testsupport::ReadFileBytes(exe, bytes));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), kImage);
  std::vector<uint8_t> stored;
  ASSERT_TRUE(testsupport::ReadFileBytes(info, stored));
  EXPECT_EQ(written, kImage.size() + stored.size());
  ASSERT_GE(stored.size(), 2u);
  EXPECT_NE(stored[0] ^ 0xFF, 0xFF) << "no byte-order mark";

  std::wstring text;
  ASSERT_TRUE(ReadUninstallInfoText(info.c_str(), &text));
  EXPECT_EQ(text.compare(0, 11, L"[Options]\r\n"), 0);
  const std::vector<std::wstring> lines = testsupport::CrLfLines(text);
  EXPECT_EQ(testsupport::IniSection(lines, L"Options"),
            (std::vector<std::wstring>{L"DeleteSubFolders=0", L"UninstallKey=Example"}));
  // Newest first: the uninstaller's folders were made last.
  EXPECT_EQ(testsupport::IniSection(lines, L"Files"),
            (std::vector<std::wstring>{L"0=" + root + L"Tools\\Remove\\", L"1=" + root + L"Tools\\",
                                       L"2=" + root + L"two.txt", L"3=" + root + L"Data\\one.txt",
                                       L"4=" + root + L"Data\\"}));
  EXPECT_EQ(testsupport::IniSection(lines, L"Registry_LOCAL_MACHINE"),
            (std::vector<std::wstring>{L"0=SOFTWARE\\A", L"1=SOFTWARE\\B"}));
  EXPECT_TRUE(testsupport::IniSection(lines, L"Registry_CURRENT_USER").empty());
  EXPECT_EQ(testsupport::IniSection(lines, L"Group"),
            (std::vector<std::wstring>{L"CommonGroup=0", L"0=Example Group"}));
  EXPECT_EQ(std::count(lines.begin(), lines.end(), L"[RegServer]"), 0);
}

TEST_F(InstallUninstallerTest, WithoutACabinetNothingIsWritten) {
  ScopedSettings s(dir_.path());
  s->FlagsA = SfxFlagsA::UseVesmarinUninstaller;
  stub::UninstallerPlace place;
  ASSERT_TRUE(stub::ComposeUninstallerPlace(*s, &place));
  unsigned long long written = 1;
  EXPECT_TRUE(stub::InstallUninstaller(place, &written));
  EXPECT_EQ(written, 0u);
  EXPECT_FALSE(testsupport::PathExists(dir_ / L"Hollmere64.exe"));
  EXPECT_FALSE(testsupport::PathExists(dir_ / L"Hollmere64.$$$"));
}

TEST_F(InstallUninstallerTest, FailuresSetTheirCodes) {
  ScopedSettings s(dir_.path());
  s->FlagsA = SfxFlagsA::UseVesmarinUninstaller;
  stub::UninstallerPlace place;
  unsigned long long written = 0;

  // A cabinet without this build's uninstaller.
  GiveCab(*s, StoredCab(L"Other.exe", kImage));
  ASSERT_TRUE(stub::ComposeUninstallerPlace(*s, &place));
  EXPECT_FALSE(stub::InstallUninstaller(place, &written));
  EXPECT_EQ(stub::GetLastErrorCode(), stub::kErrorCreateFile);
  HeapFree(GetProcessHeap(), 0, s->UninstCab);
  s->UninstCab = nullptr;

  // The uninstaller's place held by another program.
  stub::SetLastErrorCode(stub::kErrorNone);
  GiveCab(*s, StoredCab(L"Hollmere64.exe", kImage));
  const std::wstring exe = dir_ / L"Hollmere64.exe";
  HANDLE held = CreateFileW(exe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(stub::InstallUninstaller(place, &written));
  EXPECT_EQ(stub::GetLastErrorCode(), stub::kErrorCreateFile);
  CloseHandle(held);

  // A folder that cannot be made (a file is in the way).
  stub::SetLastErrorCode(stub::kErrorNone);
  ASSERT_TRUE(testsupport::WriteFileBytes(dir_ / L"Blocked", "x", 1));
  Set(s->UseVesmarinUninstallerFolder, L"Blocked\\");
  ASSERT_TRUE(stub::ComposeUninstallerPlace(*s, &place));
  EXPECT_FALSE(stub::InstallUninstaller(place, &written));
  EXPECT_EQ(stub::GetLastErrorCode(), stub::kErrorCreateFolder);

  // An earlier failure: nothing is attempted.
  Set(s->UseVesmarinUninstallerFolder, L"");
  ASSERT_TRUE(stub::ComposeUninstallerPlace(*s, &place));
  stub::SetLastErrorCode(stub::kErrorWriteFile);
  DeleteFileW(exe.c_str());
  EXPECT_FALSE(stub::InstallUninstaller(place, &written));
  EXPECT_FALSE(testsupport::PathExists(exe));
}

TEST(CreatedPathList, RecordsEachPathOnceAndNeverTheUninstaller) {
  ASSERT_TRUE(stub::InitCreatedPathList());
  for (const wchar_t* path : {L"C:\\A\\", L"C:\\A\\x.txt", L"c:\\a\\X.TXT", L"C:\\A\\", L"C:\\A\\Hollmere64.exe",
                              L"C:\\B\\HOLLMERE64.EXE", L"C:\\A\\Hollmere64.exe.bak", L"C:\\A\\\x00E9.txt",
                              L"C:\\A\\\x00C9.TXT"})
    EXPECT_TRUE(stub::PushFileName(path));
  EXPECT_EQ(stub::CopyCreatedPaths(),
            (std::vector<std::wstring>{L"C:\\A\\", L"C:\\A\\x.txt", L"C:\\A\\Hollmere64.exe.bak",
                                       L"C:\\A\\\x00E9.txt"}));
  stub::FreeCreatedPathList();
  ASSERT_TRUE(stub::InitCreatedPathList());
  EXPECT_TRUE(stub::PushFileName(L"C:\\A\\x.txt")) << "a new list forgets the old paths";
  EXPECT_EQ(stub::CopyCreatedPaths().size(), 1u);
  stub::FreeCreatedPathList();
}

}  // namespace
