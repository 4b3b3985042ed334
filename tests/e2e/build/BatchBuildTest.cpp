// The builder's batch mode from outside: definition files and cabinets
// written here, the builder run as a program, its output read back with the
// container reader and compared with the stub, the uninstaller cabinet and
// the archive it was made from.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "CabDecoder.h"
#include "ContainerReader.h"
#include "DefinitionText.h"
#include "TestCabinet.h"
#include "TestSupport.h"

namespace {

using containerreader::Container;
using testsupport::TempDir;

const DWORD kBuildTimeoutMs = 120000;

std::wstring WindowsPath(const std::string& unixPath) {
  std::wstring path = L"Z:" + testsupport::Widen(unixPath);
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  return path;
}

std::vector<uint8_t> FileBytes(const std::wstring& path) {
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(testsupport::ReadFileBytes(path, bytes)) << testsupport::Narrow(path);
  return bytes;
}

uint32_t U32At(const std::vector<uint8_t>& bytes, size_t at) {
  uint32_t v = 0;
  if (at + 4 <= bytes.size()) std::memcpy(&v, bytes.data() + at, 4);
  return v;
}
uint16_t U16At(const std::vector<uint8_t>& bytes, size_t at) {
  uint16_t v = 0;
  if (at + 2 <= bytes.size()) std::memcpy(&v, bytes.data() + at, 2);
  return v;
}

bool Contains(const std::vector<uint8_t>& bytes, size_t end, const std::string& text) {
  if (end > bytes.size()) end = bytes.size();
  if (text.empty() || end < text.size()) return false;
  for (size_t i = 0; i + text.size() <= end; ++i)
    if (std::memcmp(bytes.data() + i, text.data(), text.size()) == 0) return true;
  return false;
}

std::vector<std::wstring> Fields(const Container& c, char tag) {
  const containerreader::Record* r = c.First(tag);
  return r ? r->fields : std::vector<std::wstring>{};
}

// The two overrides of the batch mode, each option quoted whole as a path
// with blanks needs.
std::wstring Options(const std::wstring& archive, const std::wstring& output) {
  return L"\"/ArchiveFile:" + archive + L"\" \"-OUTPUTFILE:" + output + L"\"";
}

class BatchBuildTest : public ::testing::Test {
 protected:
  void SetUp() override {
    temp_ = dir_ / L"tmp\\";
    ASSERT_TRUE(CreateDirectoryW(temp_.c_str(), nullptr));
    archive_ = dir_ / L"archive.cab";
    testsupport::TestCabinet cab;
    cab.Add(L"readme.txt", "Read me first.\r\n")
        .Add(L"bin\\tool.exe", std::string(3000, 'T'))
        .Add(L"bin\\server.dll", "server")
        .Add(L"run.bat", "@echo off\r\n")
        .Add(L"data\\deep\\table.dat", std::string(70000, 'D'));
    ASSERT_TRUE(cab.WriteTo(archive_));
  }

  // A definition file as the builder writes it: UTF-16LE with a byte-order
  // mark, CR LF line ends.
  std::wstring WriteDefinition(const std::vector<std::wstring>& lines,
                               const std::wstring& name = L"project.ini") {
    const std::wstring path = dir_ / name;
    EXPECT_TRUE(testsupport::DefinitionText(lines).WriteTo(path));
    return path;
  }

  // Runs the builder with a private temporary folder, which must be empty
  // again afterwards. Returns the exit code.
  DWORD Build(const std::wstring& definition, const std::wstring& options = L"") {
    wchar_t oldTmp[MAX_PATH] = L"", oldTemp[MAX_PATH] = L"";
    GetEnvironmentVariableW(L"TMP", oldTmp, MAX_PATH);
    GetEnvironmentVariableW(L"TEMP", oldTemp, MAX_PATH);
    SetEnvironmentVariableW(L"TMP", temp_.c_str());
    SetEnvironmentVariableW(L"TEMP", temp_.c_str());
    const std::wstring line = L"\"" + testsupport::BinPath(L"Vesmarin.exe") + L"\" \"" +
                              definition + L"\"" + (options.empty() ? L"" : L" " + options);
    const testsupport::ProcessResult run = testsupport::RunProcess(line, kBuildTimeoutMs);
    SetEnvironmentVariableW(L"TMP", oldTmp[0] ? oldTmp : nullptr);
    SetEnvironmentVariableW(L"TEMP", oldTemp[0] ? oldTemp : nullptr);
    EXPECT_TRUE(run.started);
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(TempLeftovers(), L"") << "temporary files left behind";
    return run.exitCode;
  }

  std::wstring TempLeftovers() {
    std::wstring names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((temp_ + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
      if (std::wcscmp(found.cFileName, L".") && std::wcscmp(found.cFileName, L".."))
        names += std::wstring(found.cFileName) + L" ";
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
  }

  Container Read(const std::wstring& output) {
    Container c;
    std::string error;
    EXPECT_TRUE(containerreader::ReadContainerFile(output, c, &error)) << error;
    return c;
  }

  // The output against its parts: size, CRC, offsets and the archive.
  void ExpectWellFormed(const Container& c, const std::wstring& output) {
    const std::vector<uint8_t> file = FileBytes(output);
    EXPECT_EQ(c.header.totalSize, file.size());
    EXPECT_TRUE(c.sizeMatches);
    EXPECT_TRUE(c.crcMatches) << std::hex << c.computedCrc << " stored " << c.header.crc16;
    if (c.header.uninstCabSize) {
      EXPECT_EQ(c.header.uninstCabOffset, 92 + c.header.settingsSize);
      EXPECT_EQ(c.header.archiveOffset, c.header.uninstCabOffset + c.header.uninstCabSize);
    } else {
      EXPECT_EQ(c.header.uninstCabOffset, 0u);
      EXPECT_EQ(c.header.archiveOffset, 92 + c.header.settingsSize);
    }
    EXPECT_EQ(c.archive, FileBytes(archive_)) << "the archive byte for byte";
  }

  TempDir dir_{L"bb"};
  std::wstring temp_;
  std::wstring archive_;
};

TEST_F(BatchBuildTest, FullPackageMatchesItsParts) {
  CreateDirectoryW((dir_ / L"out").c_str(), nullptr);
  const std::wstring ini = WriteDefinition({
      L"SrcArchiveFile=archive.cab",  // relative: the definition file's folder
      L"DstExeFile=out\\Setup.exe",
      L"DialogTitle=Titel", L"DialogTitleE=Title", L"GreetingE0=Hello", L"GreetingE1=World",
      L"64bitSFX=1", L"NoUI=1", L"UltraSilentInstall=1",
      L"ModifyOSVersion=1", L"SFXOSMajor=6", L"SFXOSMinor=1",
      L"AskExtPath=0", L"AskOverwrite=1", L"StartMenuToCommon=0", L"UninstallRebootable=0",
      L"UseNewWizard=0", L"OverWriteMethod=3",
      L"UseExtractFolder=1", L"BaseFolder=0", L"ExtractFolder=Example",
      L"UseUnInstall=1", L"UseVesmarinUninstaller=1", L"UseVesmarinUninstallerFolder=\\bin",
      L"UnInstallTitle=Example", L"UnInstallTitleE=Example E", L"UnInstallKey=ExampleKey",
      L"UninstallReg0=HKEY_CURRENT_USER\\Software\\Example",
      L"UninstallReg1=HKEY_USERS\\Software\\Ignored",
      L"BootOSCheck=1", L"BootableOS=32768",
      L"UseCabTimeZoneBias=1", L"CabTimeZoneBias=-5",
      L"SilentizeSwitch=quiet",
      L"UseBackScreen=1", L"BackScreenColor=1,2,3", L"BackScreenTextE=Installing",
      L"RegComSvr0_FileName=bin\\server.dll", L"RegComSvr0_Uninstall=1",
      L"ExtraCopy0_FileName=readme.txt", L"ExtraCopy0_BaseFolder=6",
      L"ExtraCopy0_ExtractFolder=C:\\Target",
  });
  ASSERT_EQ(Build(ini), 0u);
  const std::wstring output = dir_ / L"out\\Setup.exe";
  const Container c = Read(output);
  ExpectWellFormed(c, output);

  // 0x2 AskOverwrite, 0x200 own uninstaller, 0x400 background screen,
  // 0x400000 DenyUsers (an own uninstaller turns it on when loaded).
  EXPECT_EQ(c.header.flagsA, 0x400602u);
  EXPECT_EQ(c.header.flagsB, 0x4u | 0x8u);
  EXPECT_EQ(c.header.backScreenColor, 0x030201u);
  EXPECT_EQ(c.header.overWriteMethod, 3);
  EXPECT_EQ(c.header.bootableOS, 0x8000);
  EXPECT_EQ(c.header.cabTimeZone, 0x1FFFBu);
  EXPECT_EQ(c.header.SilentizeSwitchText(), L"quiet");
  EXPECT_EQ(c.header.savePathRootKey, 0);

  // The stub: Tessaly64 with only its version fields changed.
  std::vector<uint8_t> stub = FileBytes(testsupport::BinPath(L"Tessaly64.exe"));
  const std::vector<uint8_t> file = FileBytes(output);
  ASSERT_EQ(c.headerOffset, stub.size());
  const uint32_t e = U32At(stub, 0x3C);
  ASSERT_LT(e + 0x4C, stub.size());
  const uint16_t versions[4] = {6, 1, 5, 1};
  std::memcpy(&stub[e + 0x40], &versions[0], 4);
  std::memcpy(&stub[e + 0x48], &versions[2], 4);
  EXPECT_TRUE(std::equal(stub.begin(), stub.end(), file.begin()));

  // The uninstaller cabinet: Hollmere64.cab with its signature zeroed.
  const std::vector<uint8_t> cab = FileBytes(testsupport::BinPath(L"Hollmere64.cab"));
  ASSERT_EQ(c.uninstallerCab.size(), cab.size());
  EXPECT_EQ(std::vector<uint8_t>(c.uninstallerCab.begin(), c.uninstallerCab.begin() + 4),
            std::vector<uint8_t>(4, 0));
  EXPECT_TRUE(std::equal(cab.begin() + 4, cab.end(), c.uninstallerCab.begin() + 4));

  EXPECT_EQ(Fields(c, 't'), std::vector<std::wstring>{L"Titel"});
  EXPECT_EQ(Fields(c, 'E'), std::vector<std::wstring>{L"Title"});
  EXPECT_EQ(Fields(c, 'D'), std::vector<std::wstring>{L"Hello\r\nWorld\r\n"});
  const containerreader::Record* p = c.First('p');
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->number, 0);
  EXPECT_EQ(p->fields, std::vector<std::wstring>{L"Example"});
  EXPECT_EQ(Fields(c, 'k'), std::vector<std::wstring>{L""});
  EXPECT_EQ(Fields(c, 'G'), std::vector<std::wstring>{L"Installing"});
  EXPECT_EQ(Fields(c, '1'), std::vector<std::wstring>{L"1|bin\\server.dll"});
  EXPECT_EQ(Fields(c, '3'), std::vector<std::wstring>{L"0|readme.txt|6|C:\\Target"});
  EXPECT_EQ(Fields(c, 'u'),
            (std::vector<std::wstring>{L"Example", L"Example E", L"ExampleKey", L"", L""}));
  EXPECT_EQ(Fields(c, 'x'), std::vector<std::wstring>{L"bin"});
  ASSERT_EQ(c.Find('n').size(), 1u);
  EXPECT_EQ(Fields(c, 'n'), std::vector<std::wstring>{L"10=Software\\Example"});
  EXPECT_EQ(c.First('e'), nullptr);
  EXPECT_EQ(c.First('s'), nullptr);
}

TEST_F(BatchBuildTest, PackageWithoutUninstallerTakesThe32BitStub) {
  const std::wstring ini = WriteDefinition({L"64bitSFX=0", L"UseUnInstall=0"});
  const std::wstring output = dir_ / L"Setup32.exe";
  ASSERT_EQ(Build(ini, Options(archive_, output)), 0u);
  const Container c = Read(output);
  ExpectWellFormed(c, output);
  EXPECT_EQ(c.header.uninstCabSize, 0u);
  EXPECT_TRUE(c.uninstallerCab.empty());
  EXPECT_EQ(c.header.bootableOS, -1);
  EXPECT_EQ(c.header.cabTimeZone, 0u);
  const std::vector<uint8_t> file = FileBytes(output);
  const uint32_t e = U32At(file, 0x3C);
  EXPECT_EQ(U16At(file, e + 4), 0x014C) << "i386 stub";
  EXPECT_EQ(U16At(file, e + 0x40), 5);
  EXPECT_EQ(U16At(file, e + 0x42), 1);
  EXPECT_EQ(U16At(file, e + 0x48), 5);
  EXPECT_EQ(U16At(file, e + 0x4A), 1);
}

TEST_F(BatchBuildTest, CommandArgumentsOnlyForPrograms) {
  const std::wstring output = dir_ / L"Setup.exe";
  const std::wstring options = Options(archive_, output);
  const std::vector<std::wstring> common = {L"64bitSFX=1", L"UseAutoExecute=1",
                                            L"AfterDeleteFiles=1", L"CmdArgs=--fast"};
  std::vector<std::wstring> batchFile = common;
  batchFile.push_back(L"CmdLine=run.bat");
  ASSERT_EQ(Build(WriteDefinition(batchFile), options), 0u);
  Container c = Read(output);
  ExpectWellFormed(c, output);
  EXPECT_EQ(c.header.flagsA & 0x8, 0u);
  EXPECT_EQ(Fields(c, 'e'), (std::vector<std::wstring>{L"run.bat", L"", L"0"}));

  std::vector<std::wstring> program = common;
  program.push_back(L"CmdLine=bin\\TOOL.EXE");
  ASSERT_EQ(Build(WriteDefinition(program), options), 0u);
  c = Read(output);
  EXPECT_EQ(c.header.flagsA & 0x8, 0x8u);
  EXPECT_EQ(Fields(c, 'e'), (std::vector<std::wstring>{L"bin\\TOOL.EXE", L"--fast", L"0"}));
}

TEST_F(BatchBuildTest, FailuresLeaveNoOutput) {
  const std::wstring ini = WriteDefinition({L"64bitSFX=1"});
  // The output's folder does not exist.
  const std::wstring nowhere = dir_ / L"missing\\Setup.exe";
  EXPECT_EQ(Build(ini, Options(archive_, nowhere)), 1u);
  EXPECT_FALSE(testsupport::PathExists(dir_ / L"missing"));

  // The archive is not a cabinet.
  const std::wstring output = dir_ / L"Setup.exe";
  const std::wstring bogus = dir_ / L"bogus.cab";
  testsupport::WriteTextFile(bogus, std::string(5000, 'x'));
  EXPECT_EQ(Build(ini, Options(bogus, output)), 5u);
  EXPECT_FALSE(testsupport::PathExists(output));

  // The archive does not exist.
  EXPECT_EQ(Build(ini, Options((dir_ / L"none.cab"), output)),
            10u);
  EXPECT_FALSE(testsupport::PathExists(output));

  // A rule of the validation fails.
  const std::wstring bad = WriteDefinition({L"UseBannerFile=1", L"BannerFile=nothere.bmp"}, L"bad.ini");
  EXPECT_EQ(Build(bad, Options(archive_, output)), 10u);
  EXPECT_FALSE(testsupport::PathExists(output));
}

// A definition file written by hand is held to the sheet's rules: files and
// folders below the installation reach the installer without the leading
// backslashes that would make them a drive's root or a share; a share, and
// names no file system can create, end the build with 10 before anything
// is written.
TEST_F(BatchBuildTest, HandWrittenPathsBelowTheInstallation) {
  const std::wstring output = dir_ / L"Setup.exe";
  const std::wstring options = Options(archive_, output);
  std::vector<std::wstring> lines = {
      L"64bitSFX=1", L"UseStartMenu=1", L"StartMenuToCommon=0", L"StartMenuGroupE=\\\\Example",
      L"StartMenu0_Title=Tools", L"StartMenu0_File=\\\\Tools\\", L"StartMenu0_FileE=\\Tools\\",
      L"StartMenu1_Title=Read me", L"StartMenu1_File=\\readme.txt",
      L"UseExtractFolder=1", L"BaseFolder=0", L"ExtractFolder=\\\\Example\\"};
  ASSERT_EQ(Build(WriteDefinition(lines), options), 0u);
  const Container c = Read(output);
  const std::vector<const containerreader::Record*> items = c.Find('s');
  ASSERT_EQ(items.size(), 2u);
  ASSERT_EQ(items[0]->fields.size(), 13u);
  EXPECT_EQ(items[0]->fields[1], L"Example");
  EXPECT_EQ(items[0]->fields[4], L"Tools\\");
  EXPECT_EQ(items[0]->fields[5], L"Tools\\");
  ASSERT_GE(items[1]->fields.size(), 3u);
  EXPECT_EQ(items[1]->fields[2], L"readme.txt");
  EXPECT_EQ(Fields(c, 'p'), std::vector<std::wstring>{L"Example\\"});

  ASSERT_TRUE(DeleteFileW(output.c_str()));
  const std::vector<std::wstring> refused = {
      L"StartMenu0_File=\\\\server\\share\\", L"StartMenu0_FileE=C:\\Tools\\",
      L"ExtractFolder=" + std::wstring(256, L'x'), L"StartMenu1_Title=" + std::wstring(259, L't')};
  for (const std::wstring& line : refused) {
    // The profile reader takes a key's first line: the new value replaces it.
    std::vector<std::wstring> bad = lines;
    const std::wstring key = line.substr(0, line.find(L'=') + 1);
    auto same = std::find_if(bad.begin(), bad.end(),
                             [&](const std::wstring& l) { return l.compare(0, key.size(), key) == 0; });
    if (same != bad.end())
      *same = line;
    else
      bad.push_back(line);
    EXPECT_EQ(Build(WriteDefinition(bad, L"bad.ini"), options), 10u) << testsupport::Narrow(line);
    EXPECT_FALSE(testsupport::PathExists(output));
  }
}

// The uninstaller's folder counts from the installation folder: a
// definition file that gives it with leading backslashes builds, and the
// installer gets it without them.
TEST_F(BatchBuildTest, UninstallerFolderWithLeadingBackslashes) {
  const std::wstring output = dir_ / L"Setup.exe";
  const struct {
    const wchar_t* folder;
    const wchar_t* stored;
  } cases[] = {{L"\\\\\\Tools", L"Tools"}, {L"\\Tools", L"Tools"}, {L"\\", L""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testsupport::Narrow(c.folder));
    const std::wstring ini = WriteDefinition(
        {L"64bitSFX=1", L"UseUnInstall=1", L"UseVesmarinUninstaller=1",
         L"UseVesmarinUninstallerFolder=" + std::wstring(c.folder), L"UnInstallTitle=Example",
         L"UnInstallKey=Example"});
    ASSERT_EQ(Build(ini, Options(archive_, output)), 0u);
    const Container container = Read(output);
    EXPECT_EQ(Fields(container, 'x'), std::vector<std::wstring>{c.stored});
    ASSERT_TRUE(DeleteFileW(output.c_str()));
  }
  // Climbing out is still refused, and nothing is written.
  const std::wstring ini = WriteDefinition(
      {L"64bitSFX=1", L"UseUnInstall=1", L"UseVesmarinUninstaller=1",
       L"UseVesmarinUninstallerFolder=\\\\\\..\\Tools", L"UnInstallTitle=Example",
       L"UnInstallKey=Example"});
  EXPECT_EQ(Build(ini, Options(archive_, output)), 10u);
  EXPECT_FALSE(testsupport::PathExists(output));
}

// Archives the installer could not place end the batch build before
// anything is written: a member too long for the fixed installation
// folder (10), a forward slash in a name and a file and folder of one
// name (5).
TEST_F(BatchBuildTest, MembersWithoutAPlaceAreRefused) {
  const std::wstring output = dir_ / L"Setup.exe";
  const std::wstring fixed = WriteDefinition(
      {L"64bitSFX=1", L"AskExtPath=0", L"UseExtractFolder=1", L"BaseFolder=6",
       L"ExtractFolder=C:\\a"});
  const std::wstring chosen = WriteDefinition(
      {L"64bitSFX=1", L"AskExtPath=1", L"UseExtractFolder=1", L"BaseFolder=6",
       L"ExtractFolder=C:\\a"}, L"chosen.ini");
  const std::wstring cab = dir_ / L"names.cab";
  testsupport::TestCabinet longName;
  longName.AddRaw("readme.txt", "r").AddRaw(std::string(255, 'n'), "x");
  ASSERT_TRUE(longName.WriteTo(cab));
  EXPECT_EQ(Build(fixed, Options(cab, output)), 10u);
  EXPECT_FALSE(testsupport::PathExists(output));
  // The user may choose a shorter folder: the destination page judges it.
  EXPECT_EQ(Build(chosen, Options(cab, output)), 0u);
  ASSERT_TRUE(DeleteFileW(output.c_str()));

  testsupport::TestCabinet slash, clash;
  slash.AddRaw("readme.txt", "r").AddRaw("a/b.txt", "x");
  clash.AddRaw("d", "file").AddRaw("d\\x.txt", "x");
  for (const testsupport::TestCabinet* refused : {&slash, &clash}) {
    ASSERT_TRUE(refused->WriteTo(cab));
    EXPECT_EQ(Build(chosen, Options(cab, output)), 5u);
    EXPECT_FALSE(testsupport::PathExists(output));
  }
}

TEST_F(BatchBuildTest, OutputBeyondFourGigabytesIsRefused) {
  // A real cabinet followed by a tail that nothing is written to (sparse
  // on the host): the file is almost 4 GiB long.
  const std::wstring huge = dir_ / L"huge.cab";
  ASSERT_TRUE(CopyFileW(archive_.c_str(), huge.c_str(), FALSE));
  HANDLE file = CreateFileW(huge.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  LARGE_INTEGER end;
  end.QuadPart = 0x100000000LL - 4096;  // the stub and the header push it past the limit
  ASSERT_TRUE(SetFilePointerEx(file, end, nullptr, FILE_BEGIN));
  ASSERT_TRUE(SetEndOfFile(file));
  CloseHandle(file);
  const std::wstring output = dir_ / L"Huge.exe";
  EXPECT_EQ(Build(WriteDefinition({L"64bitSFX=1"}),
                  Options(huge, output)),
            10u);
  EXPECT_FALSE(testsupport::PathExists(output));
  DeleteFileW(huge.c_str());
}

// A 16 x 16 icon of 32-bit pixels whose pixel bytes can carry a text.
std::vector<uint8_t> MakeIcon(const std::string& inPixels) {
  const uint32_t pixelBytes = 16 * 16 * 4, maskBytes = 16 * 4;
  const uint32_t imageSize = 40 + pixelBytes + maskBytes;
  std::vector<uint8_t> ico(6 + 16 + imageSize, 0);
  auto put16 = [&](size_t at, uint16_t v) { std::memcpy(&ico[at], &v, 2); };
  auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&ico[at], &v, 4); };
  put16(2, 1);
  put16(4, 1);
  ico[6] = 16;
  ico[7] = 16;
  put16(6 + 4, 1);
  put16(6 + 6, 32);
  put32(6 + 8, imageSize);
  put32(6 + 12, 22);
  put32(22, 40);
  put32(22 + 4, 16);
  put32(22 + 8, 32);
  put16(22 + 12, 1);
  put16(22 + 14, 32);
  put32(22 + 20, pixelBytes + maskBytes);
  for (uint32_t i = 0; i < pixelBytes; ++i) ico[62 + i] = static_cast<uint8_t>(0x40 + i % 64);
  std::memcpy(&ico[62 + 100], inPixels.data(), inPixels.size());
  return ico;
}

TEST_F(BatchBuildTest, CustomIconIsPatchedAndAMarkerInItFailsTheBuild) {
  const std::wstring icon = dir_ / L"app.ico";
  const std::wstring output = dir_ / L"Setup.exe";
  const std::wstring options = Options(archive_, output);
  ASSERT_TRUE(testsupport::WriteFileBytes(icon, MakeIcon("ICONPIXELS")));
  const std::wstring ini =
      WriteDefinition({L"64bitSFX=1", L"IconType=custom", L"IconFile=" + icon});
  ASSERT_EQ(Build(ini, options), 0u);
  const Container c = Read(output);
  ExpectWellFormed(c, output);
  EXPECT_TRUE(Contains(FileBytes(output), c.headerOffset, "ICONPIXELS"));

  // The extractor finds its header by the first marker: a stub image that
  // holds one would open a wrong header, so the build stops.
  ASSERT_TRUE(testsupport::WriteFileBytes(icon, MakeIcon(std::string("ls") + "fx")));
  ASSERT_TRUE(DeleteFileW(output.c_str()));
  EXPECT_EQ(Build(ini, options), 9u);
  EXPECT_FALSE(testsupport::PathExists(output));
}

TEST_F(BatchBuildTest, BuiltInInvokerManifest) {
  const std::wstring output = dir_ / L"Setup.exe";
  const std::wstring ini = WriteDefinition({L"64bitSFX=1", L"ManifestType=1"});
  ASSERT_EQ(Build(ini, Options(archive_, output)), 0u);
  const Container c = Read(output);
  ExpectWellFormed(c, output);
  const std::vector<uint8_t> file = FileBytes(output);
  EXPECT_TRUE(Contains(file, c.headerOffset, "level=\"asInvoker\""));
  EXPECT_TRUE(Contains(file, c.headerOffset, "processorArchitecture=\"amd64\""));
  EXPECT_TRUE(Contains(file, c.headerOffset, "Microsoft.Windows.Common-Controls"));
}

// The publisher's own signed uninstaller goes into the package in place of
// the builder's.
TEST_F(BatchBuildTest, UserSuppliedUninstaller) {
  const std::wstring output = dir_ / L"Setup.exe";
  const std::wstring options = Options(archive_, output);
  const std::wstring signedFile = testsupport::BinPath(L"SignedHollmere64.exe");
  std::vector<std::wstring> lines = {
      L"64bitSFX=1", L"UseUnInstall=1", L"UseVesmarinUninstaller=1", L"UnInstallTitle=Example",
      L"UnInstallKey=Example", L"HollmereUserProvide=1",
      L"HollmereUserProvideFile=" + signedFile};
  ASSERT_EQ(Build(WriteDefinition(lines), options), 0u);
  const Container c = Read(output);
  ExpectWellFormed(c, output);
  ASSERT_GT(c.uninstallerCab.size(), 4u);
  std::vector<uint8_t> cab = c.uninstallerCab;
  std::memcpy(cab.data(), "MSCF", 4);
  const std::wstring cabPath = dir_ / L"uninstaller.cab";
  ASSERT_TRUE(testsupport::WriteFileBytes(cabPath, cab));
  CCabDecoder decoder(false, 0);
  ASSERT_TRUE(decoder.Open(cabPath.c_str(), 0));
  EXPECT_EQ(decoder.GetItemCount(), 1);
  DWORD size = 0;
  HGLOBAL member = decoder.ExtractToMemory(L"Hollmere64.exe", &size);
  ASSERT_NE(member, nullptr);
  const std::vector<uint8_t> expected = FileBytes(signedFile);
  ASSERT_EQ(size, expected.size());
  EXPECT_EQ(std::memcmp(GlobalLock(member), expected.data(), size), 0);
  GlobalUnlock(member);
  GlobalFree(member);
  decoder.Close();

  // Without a signature, or for the other bitness, nothing is built (a
  // failed build leaves no output behind; an earlier output stays until the
  // new one is written, so remove it first).
  ASSERT_TRUE(DeleteFileW(output.c_str()));
  lines.back() = L"HollmereUserProvideFile=" + testsupport::BinPath(L"UnsignedHollmere64.exe");
  EXPECT_EQ(Build(WriteDefinition(lines), options), 10u);
  EXPECT_FALSE(testsupport::PathExists(output));
  lines.back() = L"HollmereUserProvideFile=" + signedFile;
  lines[0] = L"64bitSFX=0";
  EXPECT_EQ(Build(WriteDefinition(lines), options), 10u);
  EXPECT_FALSE(testsupport::PathExists(output));
  // Checked even when the package carries no uninstaller.
  lines[0] = L"64bitSFX=1";
  lines[1] = L"UseUnInstall=0";
  lines.back() = L"HollmereUserProvideFile=" + testsupport::BinPath(L"Hollmere64.exe");
  EXPECT_EQ(Build(WriteDefinition(lines), options), 10u);
  EXPECT_FALSE(testsupport::PathExists(output));
}

// The example package of the repository, as the quick start builds it.
TEST_F(BatchBuildTest, ExamplePackage) {
  const std::string root = VESMARIN_SOURCE_DIR;
  const std::wstring app = WindowsPath(root + "/examples/ExampleApp/");
  testsupport::TestCabinet cab;
  for (const wchar_t* name : {L"bin\\greet.cmd", L"data\\samples\\names.txt",
                              L"data\\settings.ini", L"readme.txt"}) {
    std::vector<uint8_t> bytes = FileBytes(app + name);
    cab.Add(name, std::string(bytes.begin(), bytes.end()));
  }
  ASSERT_TRUE(cab.WriteTo(archive_));
  const std::wstring output = dir_ / L"ExampleSetup.exe";
  ASSERT_EQ(Build(WindowsPath(root + "/examples/Example.ini"),
                  Options(archive_, output)),
            0u);
  const Container c = Read(output);
  ExpectWellFormed(c, output);
  EXPECT_EQ(c.header.flagsB & 0x4, 0x4u) << "silent";
  EXPECT_EQ(c.headerOffset, FileBytes(testsupport::BinPath(L"Tessaly64.exe")).size());
  EXPECT_GT(c.header.uninstCabSize, 0u);
  EXPECT_EQ(Fields(c, 't'), std::vector<std::wstring>{L"Example App Setup"});
  const containerreader::Record* s = c.First('s');
  ASSERT_NE(s, nullptr);
  ASSERT_EQ(s->fields.size(), 13u);
  EXPECT_EQ(s->fields[1], L"Example App");
  EXPECT_EQ(s->fields[4], L"readme.txt");
}

}  // namespace

namespace {

TEST_F(BatchBuildTest, OutputOverItsOwnDefinitionIsRefused) {
  const std::wstring ini = WriteDefinition({L"64bitSFX=1"});
  const std::vector<uint8_t> before = FileBytes(ini);
  EXPECT_EQ(Build(ini, Options(archive_, ini)), 10u);
  EXPECT_EQ(FileBytes(ini), before);
  EXPECT_EQ(Build(ini, Options(archive_, archive_)), 10u);
}

TEST_F(BatchBuildTest, DeviceNamesAreNoInput) {
  const std::wstring ini = WriteDefinition({L"64bitSFX=1"});
  const std::wstring output = dir_ / L"Setup.exe";
  // Reading from a device would block the builder forever.
  EXPECT_EQ(Build(ini, Options(L"COM1", output)), 5u);
  EXPECT_FALSE(testsupport::PathExists(output));
}

}  // namespace
