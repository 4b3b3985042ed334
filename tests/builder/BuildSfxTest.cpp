// The build inside the test program, which carries the builder's strings
// and version but none of its payload: the steps before the stub is taken,
// and the checks of a publisher-supplied uninstaller with their messages.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "BuildSfx.h"
#include "BuilderState.h"
#include "DefinitionKeys.h"
#include "ResultCodes.h"
#include "ResultCodes.h"
#include "SfxSettings.h"
#include "TestCabinet.h"
#include "TestSupport.h"

namespace {

using testsupport::TempDir;

const std::wstring kUserUninstallerOpening =
    L"\"Use uninstaller executable with digital signature\" is enabled, but specified program "
    L"file has probrems as following.\n(Error code : ";

class CreateSfxFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSfxSettings();
    g_BuildErrorText[0] = L'\0';
    archive_ = dir_ / L"archive.cab";
    testsupport::TestCabinet cab;
    cab.Add(L"readme.txt", "read me").Add(L"run.bat", "@echo off");
    ASSERT_TRUE(cab.WriteTo(archive_));
    CopyText(g_SfxSettings.SrcArchiveFile, archive_.c_str());
    CopyText(g_SfxSettings.DstExeFile, (dir_ / L"Setup.exe").c_str());
  }
  void UseUninstaller(const std::wstring& path, bool use64) {
    g_SfxSettings.HollmereUserProvide = 1;
    g_SfxSettings.Use64bitStub = use64;
    CopyText(g_SfxSettings.HollmereUserProvideFile, path.c_str());
  }
  TempDir dir_{L"cs"};
  std::wstring archive_;
};

TEST_F(CreateSfxFileTest, MissingArchiveIsExplained) {
  const std::wstring missing = dir_ / L"none.cab";
  CopyText(g_SfxSettings.SrcArchiveFile, missing.c_str());
  EXPECT_EQ(CreateSfxFile(true), kResultReported);
  EXPECT_EQ(std::wstring(g_BuildErrorText), missing + L"\nThe archive file could not be found.");
  CopyText(g_SfxSettings.SrcArchiveFile, dir_.path().c_str());  // a folder
  EXPECT_EQ(CreateSfxFile(true), kResultReported);
}

TEST_F(CreateSfxFileTest, ValidationStopsTheBuild) {
  g_SfxSettings.UseBannerFile = 1;
  EXPECT_EQ(CreateSfxFile(true), kResultReported);
  EXPECT_EQ(std::wstring(g_BuildErrorText), L"The banner file is not specified.");
  EXPECT_FALSE(testsupport::PathExists(dir_ / L"Setup.exe"));
}

TEST_F(CreateSfxFileTest, CutCabinetEndsWithTheOpenError) {
  std::vector<uint8_t> whole;
  ASSERT_TRUE(testsupport::ReadFileBytes(archive_, whole));
  // Cut inside the member table and cut inside the data: the installer
  // could unpack neither.
  for (size_t kept : {size_t{100}, whole.size() - 4}) {
    ASSERT_LT(kept, whole.size());
    ASSERT_TRUE(testsupport::WriteFileBytes(archive_, std::vector<uint8_t>(whole.begin(), whole.begin() + kept)));
    EXPECT_EQ(CreateSfxFile(true), kResultOpenFailed) << kept;
    EXPECT_FALSE(testsupport::PathExists(dir_ / L"Setup.exe"));
  }
  // Not a cabinet at all.
  ASSERT_TRUE(testsupport::WriteFileBytes(archive_, std::vector<uint8_t>(300, 'x')));
  EXPECT_EQ(CreateSfxFile(true), kResultOpenFailed);
}

// What the window and the batch message show for a build that ended so.
std::wstring Shown(int result) { return BuildResultMessage(result); }

// An archive the installer could not unpack ends the build with the open
// error before anything is written, and the message names the member:
// a part of a set, data that does not decode.
TEST_F(CreateSfxFileTest, ArchiveTheInstallerCannotUnpackIsRefusedWithItsMember) {
  const std::string big(5000, 'b');
  testsupport::TestCabinet first, last, mszip;
  first.Add(L"readme.txt", "read me").Add(L"data\\big.bin", big).ContinueInto("archive2.cab");
  last.Add(L"data\\rest.bin", big).Add(L"end.txt", "end").ContinueFrom("archive1.cab");
  // The first member fills the first data block, so the second member is
  // the one whose block is broken.
  mszip.UseMszip().Add(L"whole.txt", std::string(32768, 'w')).Add(L"data\\broken.bin", big);
  const std::wstring inSet =
      L"\nThe archive is one cabinet of a set that spans several files (its header names another "
      L"cabinet of the set). An installer can only carry a single whole cabinet.";
  const std::wstring damaged =
      L"\nThis archive member cannot be extracted: its data in the archive is damaged or "
      L"incomplete, and the installer would stop with an error. Create the archive again.";

  // Whole, the MSZIP cabinet builds as far as this program can (it has no
  // stub): its data decodes.
  ASSERT_TRUE(mszip.WriteTo(archive_));
  EXPECT_EQ(CreateSfxFile(true), kResultAbnormalEnd);
  std::vector<uint8_t> broken = mszip.Build();
  // One byte of the second block's deflate header: its length check fails.
  broken[mszip.DataBlockOffset(1) + 8 + 2 + 3] ^= 0x01;

  struct Expected {
    std::vector<uint8_t> bytes;
    std::wstring text;
  } expected[] = {{first.Build(), L"data\\big.bin" + inSet},
                  {last.Build(), L"data\\rest.bin" + inSet},
                  {broken, L"data\\broken.bin" + damaged}};
  for (const Expected& e : expected) {
    ASSERT_TRUE(testsupport::WriteFileBytes(archive_, e.bytes));
    g_BuildErrorText[0] = L'\0';
    EXPECT_EQ(CreateSfxFile(true), kResultOpenFailed) << testsupport::Narrow(e.text);
    EXPECT_EQ(std::wstring(g_BuildErrorText), e.text);
    EXPECT_EQ(Shown(kResultOpenFailed), L"Failed to open archive file.\n\n" + e.text);
    EXPECT_FALSE(testsupport::PathExists(dir_ / L"Setup.exe"));
  }
  {
    testsupport::ThreadLanguage japanese(testsupport::kJapaneseLanguage);
    g_BuildErrorText[0] = L'\0';
    EXPECT_EQ(CreateSfxFile(true), kResultOpenFailed);
    EXPECT_EQ(Shown(kResultOpenFailed),
              L"アーカイブファイルを開けませんでした。\n\ndata\\broken.bin\nこの書庫内のファイルは展開で"
              L"きません: 書庫内のデータが壊れているか欠けているため、インストーラーはエラーで停止し"
              L"ます。書庫を作成し直してください。");
  }
}

// Every member name the installer refuses is refused by the build, with the
// member named: climbing, absolute, a drive, a device, a stream, too long.
TEST_F(CreateSfxFileTest, MemberNamesNoInstallationCanWriteAreRefused) {
  const std::wstring unsafe =
      L"\nNo installation can extract this archive member: its name climbs out of the "
      L"destination folder, names a drive, a network path, a device or a stream, holds a character no file name can "
      L"have, or is empty.";
  const std::wstring tooLong =
      L"\nNo installation can extract this archive member: its name is too long. Even below the "
      L"shortest destination folder (\"C:\\\") its path would reach 260 characters, or a folder "
      L"or file name in it is longer than 255 characters.";
  const struct {
    std::string name;
    const std::wstring& text;
  } cases[] = {
      {"..\\escaped.txt", unsafe},     {"sub\\..\\..\\up.txt", unsafe},
      {"C:\\absx.txt", unsafe},        {"\\rooted.txt", unsafe},
      {"\\\\server\\share\\x.txt", unsafe}, {"CON", unsafe},
      {"docs\\nul.txt", unsafe},       {"com1\\x.txt", unsafe},
      {"notes.txt:hidden", unsafe},      {"pipe|name.txt", unsafe},
      {std::string(256, 'n'), tooLong},  {std::string(200, 'a') + "\\" + std::string(56, 'b'), tooLong},
  };
  for (const auto& c : cases) {
    testsupport::TestCabinet cab;
    cab.AddRaw("readme.txt", "read me").AddRaw(c.name, "x");
    ASSERT_TRUE(cab.WriteTo(archive_));
    g_BuildErrorText[0] = L'\0';
    EXPECT_EQ(CreateSfxFile(true), kResultOpenFailed) << c.name;
    EXPECT_EQ(std::wstring(g_BuildErrorText), testsupport::Widen(c.name) + c.text);
    EXPECT_FALSE(testsupport::PathExists(dir_ / L"Setup.exe"));
  }
  // The longest names that still have a place.
  for (const std::string& name : {std::string(255, 'n'), std::string(200, 'a') + "\\" + std::string(55, 'b')}) {
    testsupport::TestCabinet cab;
    cab.AddRaw(name, "x");
    ASSERT_TRUE(cab.WriteTo(archive_));
    EXPECT_EQ(CreateSfxFile(true), kResultAbnormalEnd) << testsupport::Narrow(g_BuildErrorText);
  }
  testsupport::ThreadLanguage japanese(testsupport::kJapaneseLanguage);
  testsupport::TestCabinet cab;
  cab.AddRaw("..\\escaped.txt", "x");
  ASSERT_TRUE(cab.WriteTo(archive_));
  EXPECT_EQ(CreateSfxFile(true), kResultOpenFailed);
  EXPECT_EQ(std::wstring(g_BuildErrorText),
            L"..\\escaped.txt\nこの書庫内のファイルはどのインストールでも展開できません: 名前が展開先フォ"
            L"ルダーの外を指しているか、ドライブ、ネットワークパス、デバイスまたはストリームを指し"
            L"ているか、ファイル名に使用できない文字を含んでいるか、空です。");
}

TEST_F(CreateSfxFileTest, MissingPayloadResourceIsAnAbnormalEnd) {
  // This program carries no uninstaller cabinet and no stub.
  EXPECT_EQ(CreateSfxFile(true), kResultAbnormalEnd);
  EXPECT_FALSE(testsupport::PathExists(dir_ / L"Setup.exe"));
}

TEST_F(CreateSfxFileTest, ArgumentsAreDroppedForAnythingButAProgram) {
  CSfxSettings& s = g_SfxSettings;
  s.UseAutoExecute = 1;
  CopyText(s.CmdLine, L"run.bat");
  CopyText(s.CmdArgs, L"--fast");
  CreateSfxFile(true);
  EXPECT_STREQ(s.CmdArgs, L"");

  CopyText(s.CmdLine, L"readme.txt");
  CopyText(s.CmdArgs, L"--fast");
  s.UseAutoExecute = 0;  // the rule does not depend on the switch
  CreateSfxFile(true);
  EXPECT_STREQ(s.CmdArgs, L"");
}

TEST_F(CreateSfxFileTest, UserUninstallerThatIsNoUninstaller) {
  const std::wstring text = dir_ / L"fake.exe";
  testsupport::WriteTextFile(text, "MZ not really a program");
  UseUninstaller(text, true);
  EXPECT_EQ(CreateSfxFile(true), kResultReported);
  EXPECT_EQ(std::wstring(g_BuildErrorText),
            kUserUninstallerOpening + L"DESC001)\n\n* File is not genuine Vesmarin Uninstaller.");

  // This test program carries the builder's own version block.
  UseUninstaller(testsupport::BinPath(L"build_tests.exe"), true);
  EXPECT_EQ(CreateSfxFile(true), kResultReported);
  EXPECT_EQ(std::wstring(g_BuildErrorText),
            kUserUninstallerOpening + L"VER002)\n\n* File is not genuine Vesmarin Uninstaller.");
}

TEST_F(CreateSfxFileTest, UserUninstallerOfTheOtherBitness) {
  UseUninstaller(testsupport::BinPath(L"SignedHollmere64.exe"), false);
  EXPECT_EQ(CreateSfxFile(true), kResultReported);
  EXPECT_EQ(std::wstring(g_BuildErrorText),
            kUserUninstallerOpening +
                L"BIT001)\n\n* Program type (32bit / 64bit) does not match with \"Program type of "
                L"the self-extracting file\".");
}

TEST_F(CreateSfxFileTest, UnsignedUserUninstaller) {
  UseUninstaller(testsupport::BinPath(L"UnsignedHollmere64.exe"), true);
  EXPECT_EQ(CreateSfxFile(true), kResultReported);
  EXPECT_EQ(std::wstring(g_BuildErrorText),
            kUserUninstallerOpening + L"SIGN001)\n\n* File is not digital signed.");
}

TEST_F(CreateSfxFileTest, SignedUserUninstallerPassesItsChecks) {
  UseUninstaller(testsupport::BinPath(L"SignedHollmere64.exe"), true);
  // Every check holds and the cabinet is made; then the build stops at the
  // stub this program does not carry.
  EXPECT_EQ(CreateSfxFile(true), kResultAbnormalEnd);
  EXPECT_STREQ(g_BuildErrorText, L"");
}

}  // namespace

namespace {

TEST_F(CreateSfxFileTest, OutputNamingTheArchiveOrTheBuilderIsRefused) {
  std::vector<uint8_t> original;
  ASSERT_TRUE(testsupport::ReadFileBytes(archive_, original));
  // The archive under another spelling of its name.
  const std::wstring spelled = dir_ / L".\\ARCHIVE.CAB";
  CopyText(g_SfxSettings.DstExeFile, spelled.c_str());
  EXPECT_EQ(CreateSfxFile(true), kResultReported);
  EXPECT_EQ(std::wstring(g_BuildErrorText),
            L"The output file\n\"" + spelled +
                L"\"\nis the definition file, the archive or the builder itself. Choose another "
                L"output file.");
  std::vector<uint8_t> after;
  ASSERT_TRUE(testsupport::ReadFileBytes(archive_, after));
  EXPECT_EQ(after, original);

  wchar_t self[MAX_PATH] = {};
  ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
  CopyText(g_SfxSettings.DstExeFile, self);
  EXPECT_EQ(CreateSfxFile(true), kResultReported);
}

TEST_F(CreateSfxFileTest, DeviceAsArchiveEndsAtOnceWithTheOpenError) {
  for (const wchar_t* device : {L"COM1", L"CON", L"nul.cab", L"\\\\.\\COM1"}) {
    CopyText(g_SfxSettings.SrcArchiveFile, device);
    // A read from a device would wait forever: the test's time limit
    // catches that.
    EXPECT_EQ(CreateSfxFile(true), kResultOpenFailed) << testsupport::Narrow(device);
  }
  EXPECT_FALSE(testsupport::PathExists(dir_ / L"Setup.exe"));
}

}  // namespace

namespace {

// The reason a build left, in English and in Japanese.
struct Reason {
  std::wstring english;
  std::wstring japanese;
};

void ExpectRefused(int expected, const Reason& reason, const std::string& trace) {
  g_BuildErrorText[0] = L'\0';
  EXPECT_EQ(CreateSfxFile(true), expected) << trace;
  EXPECT_EQ(std::wstring(g_BuildErrorText), reason.english) << trace;
  testsupport::ThreadLanguage japanese(testsupport::kJapaneseLanguage);
  g_BuildErrorText[0] = L'\0';
  EXPECT_EQ(CreateSfxFile(true), expected) << trace;
  EXPECT_EQ(std::wstring(g_BuildErrorText), reason.japanese) << trace;
}

// The uninstaller's folder counts from the installation folder itself:
// however many backslashes lead it, the build goes on (to the stub this
// program does not carry).
TEST_F(CreateSfxFileTest, UninstallerFolderWithLeadingBackslashesBuilds) {
  CSfxSettings& s = g_SfxSettings;
  s.UseUnInstall = 1;
  s.UseVesmarinUninstaller = 1;
  CopyText(s.UnInstallTitle, L"Example");
  CopyText(s.UnInstallKey, L"Example");
  for (const wchar_t* folder : {L"\\\\\\Tools", L"\\Tools", L"\\", L"\\\\\\\\"}) {
    CopyText(s.UseVesmarinUninstallerFolder, folder);
    g_BuildErrorText[0] = L'\0';
    EXPECT_EQ(CreateSfxFile(true), kResultAbnormalEnd) << testsupport::Narrow(folder) << " "
                                                       << testsupport::Narrow(g_BuildErrorText);
  }
  for (const wchar_t* folder : {L"\\\\\\..\\x", L"Tools\\..\\..", L"C:\\Tools"}) {
    CopyText(s.UseVesmarinUninstallerFolder, folder);
    ExpectRefused(kResultReported,
                  {L"The folder to store the uninstaller executable file \"" + std::wstring(folder) +
                       L"\" is not a folder below the extract destination. A drive, a network "
                       L"share or a \".\" or \"..\" folder cannot be used.",
                   L"アンインストーラーの実行ファイルを格納するフォルダー \"" + std::wstring(folder) +
                       L"\" は展開先の下のフォルダーではありません。ドライブ、ネットワーク共有、"
                       L"\".\" または \"..\" のフォルダーは使用できません。"},
                  testsupport::Narrow(folder));
  }
}

// Under a folder the package fixes, a member whose path would pass what an
// extraction writes ends the build, named; where the user chooses the
// folder on the destination page, the page judges it.
TEST_F(CreateSfxFileTest, MemberTooLongForAFixedFolderIsRefused) {
  CSfxSettings& s = g_SfxSettings;
  s.UseExtractFolder = 1;
  s.BaseFolder = 6;
  CopyText(s.ExtractFolder, L"C:\\a");
  s.AskExtPath = 0;
  const std::string tooLong(255, 'n');  // "C:\a\" and 255 characters: 260
  testsupport::TestCabinet cab;
  cab.AddRaw("readme.txt", "read me").AddRaw(tooLong, "x");
  ASSERT_TRUE(cab.WriteTo(archive_));
  const std::wstring member = testsupport::Widen(tooLong);
  const Reason noRoom = {
      member + L"\nThis archive member does not fit below the installation folder: its path "
               L"there would be longer than 259 characters, the most an installation can write.",
      member + L"\nこの書庫内のファイルはインストール先フォルダーの下に収まりません: そこでのパス"
               L"が、インストールで書き込める最大の 259 文字を超えます。"};
  ExpectRefused(kResultReported, noRoom, "fixed folder");
  // With a trailing backslash, and silent though the page is asked for.
  CopyText(s.ExtractFolder, L"C:\\a\\");
  s.AskExtPath = 1;
  s.NoUI = 1;
  ExpectRefused(kResultReported, noRoom, "silent");
  EXPECT_FALSE(testsupport::PathExists(dir_ / L"Setup.exe"));

  // Whatever can still move the folder lets the build go on.
  s.NoUI = 0;  // the destination page
  EXPECT_EQ(CreateSfxFile(true), kResultAbnormalEnd);
  s.AskExtPath = 0;
  for (int CSfxSettings::*movable : {&CSfxSettings::UseSavePath, &CSfxSettings::AddFileTitle,
                                     &CSfxSettings::UseExtensionModuleFile}) {
    s.*movable = 1;
    EXPECT_NE(CreateSfxFile(true), kResultReported) << testsupport::Narrow(g_BuildErrorText);
    s.*movable = 0;
  }
  CopyText(s.ExtractFolder, L"%TEMP%\\a");
  EXPECT_EQ(CreateSfxFile(true), kResultAbnormalEnd);
  // One character less fits the fixed folder.
  CopyText(s.ExtractFolder, L"C:\\a");
  testsupport::TestCabinet fits;
  fits.AddRaw(std::string(254, 'n'), "x");
  ASSERT_TRUE(fits.WriteTo(archive_));
  EXPECT_EQ(CreateSfxFile(true), kResultAbnormalEnd) << testsupport::Narrow(g_BuildErrorText);
}

// Archives an installer cannot place, named for what they are: a forward
// slash in a name, a file and a folder of one name, no files at all.
TEST_F(CreateSfxFileTest, MembersTheInstallerCannotPlaceAreRefusedNamed) {
  testsupport::TestCabinet slash;
  slash.AddRaw("readme.txt", "read me").AddRaw("a/b.txt", "x");
  ASSERT_TRUE(slash.WriteTo(archive_));
  ExpectRefused(kResultOpenFailed,
                {L"a/b.txt\nNo installation can extract this archive member: its name climbs out "
                 L"of the destination folder, names a drive, a network path, a device or a "
                 L"stream, holds a character no file name can have, or is empty.",
                 L"a/b.txt\nこの書庫内のファイルはどのインストールでも展開できません: 名前が展開"
                 L"先フォルダーの外を指しているか、ドライブ、ネットワークパス、デバイスまたはス"
                 L"トリームを指しているか、ファイル名に使用できない文字を含んでいるか、空です。"},
                "slash");

  const std::wstring both =
      L"\nThese two archive members cannot both be installed: the first is a file, and the "
      L"second lies in a folder of the same name.";
  const std::wstring bothJapanese =
      L"\nこの 2 つの書庫内のファイルは両方をインストールすることはできません: 1 つ目はファイル"
      L"で、2 つ目は同じ名前のフォルダーの中にあります。";
  const struct {
    std::vector<std::string> names;
    std::wstring named;
  } clashes[] = {{{"d", "d\\x.txt"}, L"d\nd\\x.txt"},
                 {{"sub\\deep\\y.txt", "Sub\\Deep"}, L"Sub\\Deep\nsub\\deep\\y.txt"},
                 {{"e\\f\\g.txt", "E"}, L"E\ne\\f\\g.txt"}};
  for (const auto& c : clashes) {
    testsupport::TestCabinet cab;
    cab.AddRaw("readme.txt", "read me");
    for (const std::string& name : c.names) cab.AddRaw(name, "x");
    ASSERT_TRUE(cab.WriteTo(archive_));
    ExpectRefused(kResultOpenFailed, {c.named + both, c.named + bothJapanese},
                  testsupport::Narrow(c.named));
  }
  // A folder and a file beside it whose name only begins the same is fine.
  testsupport::TestCabinet apart;
  apart.AddRaw("d", "x").AddRaw("dx\\y.txt", "y").AddRaw("d.txt", "z");
  ASSERT_TRUE(apart.WriteTo(archive_));
  EXPECT_EQ(CreateSfxFile(true), kResultAbnormalEnd) << testsupport::Narrow(g_BuildErrorText);

  ASSERT_TRUE(testsupport::TestCabinet().WriteTo(archive_));
  ExpectRefused(kResultOpenFailed,
                {archive_ + L"\nThe archive contains no files. An installer needs at least one "
                            L"file to install.",
                 archive_ + L"\n書庫にファイルが 1 つも含まれていません。インストーラーには、"
                            L"インストールするファイルが少なくとも 1 つ必要です。"},
                "empty");
  EXPECT_FALSE(testsupport::PathExists(dir_ / L"Setup.exe"));
}

// Broken archives and a missing archive name, each refused with its real
// cause.
TEST_F(CreateSfxFileTest, BrokenArchivesNameTheirCause) {
  testsupport::TestCabinet cab;
  cab.Add(L"readme.txt", "read me").Add(L"data\\second.txt", "second");
  const std::vector<uint8_t> whole = cab.Build();

  std::vector<uint8_t> noFolders = whole;
  noFolders[26] = noFolders[27] = 0;
  ASSERT_TRUE(testsupport::WriteFileBytes(archive_, noFolders));
  ExpectRefused(kResultOpenFailed,
                {archive_ + L"\nThe archive is damaged: it lists members but holds no folder for "
                            L"their data.",
                 archive_ + L"\n書庫が壊れています: ファイルが一覧にありますが、そのデータを収め"
                            L"るフォルダーがありません。"},
                "no folders");

  // Cut inside the second member's name.
  const std::string second = "data\\second.txt";
  size_t at = 0;
  for (; at + second.size() <= whole.size(); ++at)
    if (std::equal(second.begin(), second.end(), whole.begin() + at)) break;
  ASSERT_LT(at + second.size(), whole.size());
  ASSERT_TRUE(testsupport::WriteFileBytes(
      archive_, std::vector<uint8_t>(whole.begin(), whole.begin() + at + 4)));
  ExpectRefused(kResultOpenFailed,
                {archive_ + L"\nThe archive is damaged: its table of member names ends before "
                            L"its last name (the file was cut short or its header is wrong).",
                 archive_ + L"\n書庫が壊れています: ファイル名の一覧が最後の名前の前で途切れて"
                            L"います (ファイルが途中で切れているか、ヘッダーが正しくありませ"
                            L"ん)。"},
                "cut names");

  for (const std::string prefix : {"MSCF", "\x01\x02\x03\x04"}) {
    ASSERT_TRUE(cab.WriteTo(archive_, std::vector<uint8_t>(prefix.begin(), prefix.end())));
    ExpectRefused(kResultOpenFailed,
                  {archive_ + L"\nThe archive file does not begin with its cabinet: the cabinet "
                              L"starts 4 bytes into the file. An installer can only carry a file "
                              L"that is a cabinet from its first byte.",
                   archive_ + L"\n書庫ファイルの先頭がキャビネットではありません: キャビネット"
                              L"はファイルの先頭から 4 バイトの位置で始まっています。インストー"
                              L"ラーに格納できるのは、最初のバイトからキャビネットであるファイル"
                              L"だけです。"},
                  "offset " + prefix);
  }

  g_SfxSettings.SrcArchiveFile[0] = L'\0';
  ExpectRefused(kResultReported,
                {L"No archive file is specified. Name the cabinet that the self-extracting file "
                 L"is to carry.",
                 L"書庫ファイルが指定されていません。自己解凍ファイルに格納するキャビネットを指"
                 L"定してください。"},
                "no archive");
  EXPECT_FALSE(testsupport::PathExists(dir_ / L"Setup.exe"));
}

}  // namespace
