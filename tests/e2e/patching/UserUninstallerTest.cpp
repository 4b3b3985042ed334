// A publisher-supplied uninstaller (HollmereUserProvide) through the build
// itself, run in this process: each check that a file can fail refuses the
// build with result 10 and its message and code in the build's error text;
// a genuine, signed uninstaller of the right bitness passes and is packed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "BuildSfx.h"
#include "ResultCodes.h"
#include "ContainerReader.h"
#include "DefinitionText.h"
#include "DefinitionFile.h"
#include "PatchE2eUtil.h"
#include "TestCabinet.h"
#include "TestSupport.h"

namespace patche2e {
namespace {

using patchtest::Bytes;

class UserUninstaller : public ::testing::Test {
 protected:
  void SetUp() override {
    archive_ = work_ / L"archive.cab";
    testsupport::TestCabinet cab;
    cab.Add(L"readme.txt", "Read me.\r\n").Add(L"bin\\tool.exe", std::string(5000, 'T'));
    ASSERT_TRUE(cab.WriteTo(archive_));
    output_ = work_ / L"Setup.exe";
  }

  void TearDown() override {
    EXPECT_TRUE(temp_.Files().empty()) << "a temporary file was left behind";
  }

  // Loads a definition that names the uninstaller and builds in batch mode.
  int Build(const std::wstring& uninstaller, bool is64 = true,
            const std::vector<std::wstring>& more = {}) {
    std::vector<std::wstring> lines = {
        L"SrcArchiveFile=" + archive_, L"DstExeFile=" + output_, L"DialogTitleE=Checks",
        std::wstring(L"64bitSFX=") + (is64 ? L"1" : L"0"), L"HollmereUserProvide=1",
        L"HollmereUserProvideFile=" + uninstaller};
    lines.insert(lines.end(), more.begin(), more.end());
    std::wstring definition = work_ / L"project.ini";
    EXPECT_TRUE(testsupport::DefinitionText(lines).WriteTo(definition));
    LoadDefinitionFile(definition.c_str());
    g_BuildErrorText[0] = L'\0';
    return CreateSfxFile(true);
  }

  // The build was refused with this text and left no output.
  void ExpectRefused(const std::wstring& uninstaller, const std::wstring& text, bool is64 = true) {
    EXPECT_EQ(Build(uninstaller, is64), 10);
    EXPECT_EQ(testsupport::Narrow(g_BuildErrorText), testsupport::Narrow(text));
    EXPECT_FALSE(testsupport::PathExists(output_));
  }

  // A copy of a program grown with zero bytes to exactly size bytes.
  std::wstring Padded(const std::wstring& program, size_t size, const std::wstring& name) {
    Bytes bytes;
    EXPECT_TRUE(testsupport::ReadFileBytes(program, bytes));
    EXPECT_LE(bytes.size(), size);
    bytes.resize(size, 0);
    std::wstring path = work_ / name;
    EXPECT_TRUE(testsupport::WriteFileBytes(path, bytes));
    return path;
  }

  testsupport::TempDir work_{L"uu"};
  patchtest::PrivateTemp temp_;
  std::wstring archive_, output_;
};

#ifndef PATCHING_NO_OWN_VERSION

std::wstring Poser(const wchar_t* name) {
  return testsupport::BinPath(std::wstring(L"patching_uninstaller_") + name + L".exe");
}


TEST_F(UserUninstaller, WithoutVersionResourceIsNotGenuine) {
  ExpectRefused(testsupport::BinPath(L"patching_fixture_plain.exe"), NotGenuineMessage(L"DESC001"));
}

TEST_F(UserUninstaller, OtherNamesAreNotGenuine) {
  ExpectRefused(Poser(L"WrongCase"), NotGenuineMessage(L"VER002"));
  ExpectRefused(Poser(L"WrongDescription"), NotGenuineMessage(L"VER002"));
  // A version resource whose first translation has no InternalName.
  ExpectRefused(testsupport::BinPath(L"patching_fixture_version.exe"), NotGenuineMessage(L"VER002"));
}

TEST_F(UserUninstaller, VersionMustBeReadableAndEqualToTheBuilders) {
  // The right names but no fixed file version.
  std::wstring noFixed = work_ / L"nofixed.exe";
  ASSERT_TRUE(CopyFileW(testsupport::BinPath(L"patching_fixture_plain.exe").c_str(),
                        noFixed.c_str(), FALSE));
  ASSERT_TRUE(patchtest::PutResource(noFixed, RT_VERSION, 1, 1033,
                                     VersionWithoutFixedInfo(L"Vesmarin Uninstaller", L"HOLLMERE")));
  ExpectRefused(noFixed, VersionMessage(L"VER001"));
  ExpectRefused(Poser(L"OtherVersion"), VersionMessage(L"VER003"));
}

TEST_F(UserUninstaller, ShorterThan100000BytesIsRefused) {
  ExpectRefused(Poser(L"Genuine"), ErrorMessage(L"FILEMAP002"));
  ExpectRefused(Padded(Poser(L"Genuine"), 99999, L"short.exe"), ErrorMessage(L"FILEMAP002"));
  // 100,000 bytes is long enough: the next check (the signature) fails.
  ExpectRefused(Padded(Poser(L"Genuine"), 100000, L"long.exe"), UnsignedMessage(L"SIGN001"));
}

TEST_F(UserUninstaller, MachineMustMatchTheBitness) {
  std::wstring signedPath = testsupport::BinPath(L"patching_uninstaller_signed.exe");
  Bytes bytes;
  ASSERT_TRUE(testsupport::ReadFileBytes(signedPath, bytes));
  const size_t pe = bytes[0x3C] | (bytes[0x3D] << 8);
  const bool own64 = (bytes[pe + 4] | (bytes[pe + 5] << 8)) == IMAGE_FILE_MACHINE_AMD64;
  // The program of the other bitness.
  ExpectRefused(signedPath, BitnessMessage(L"BIT001"), !own64);
  // A machine field that is neither.
  bytes[pe + 4] = 0xC4;
  bytes[pe + 5] = 0x01;
  std::wstring arm = work_ / L"arm.exe";
  ASSERT_TRUE(testsupport::WriteFileBytes(arm, bytes));
  ExpectRefused(arm, BitnessMessage(L"BIT001"), own64);
}

TEST_F(UserUninstaller, SignatureMustVerify) {
  ExpectRefused(Padded(Poser(L"Genuine"), 120000, L"unsigned.exe"), UnsignedMessage(L"SIGN001"));
  // A signed file changed after signing.
  Bytes bytes;
  ASSERT_TRUE(testsupport::ReadFileBytes(testsupport::BinPath(L"patching_uninstaller_signed.exe"),
                                         bytes));
  bytes[0x480] ^= 0x5A;
  std::wstring changed = work_ / L"changed.exe";
  ASSERT_TRUE(testsupport::WriteFileBytes(changed, bytes));
  ExpectRefused(changed, UnsignedMessage(L"SIGN001"));
}

TEST_F(UserUninstaller, NoTemporaryFolderIsRefused) {
  temp_.PointAtMissingFolder();
  ExpectRefused(testsupport::BinPath(L"patching_uninstaller_signed.exe"), ErrorMessage(L"TEMP001"));
}

TEST_F(UserUninstaller, CabinetLargerThanOneMillionBytesIsRefused) {
  ExpectRefused(testsupport::BinPath(L"patching_uninstaller_signed_big.exe"),
                ErrorMessage(L"TEMP003"));
}

// With the uninstaller off the checks still run.
TEST_F(UserUninstaller, ChecksRunWithoutUninstallerToo) {
  EXPECT_EQ(Build(Poser(L"WrongCase"), true, {L"UseUnInstall=0"}), 10);
  EXPECT_EQ(testsupport::Narrow(g_BuildErrorText), testsupport::Narrow(NotGenuineMessage(L"VER002")));
}

TEST_F(UserUninstaller, GenuineSignedUninstallerIsPacked) {
  const std::wstring uninstaller = testsupport::BinPath(L"patching_uninstaller_signed.exe");
  const bool is64 = sizeof(void*) == 8;
  ASSERT_EQ(Build(uninstaller, is64,
                  {L"UseUnInstall=1", L"UseVesmarinUninstaller=1", L"UnInstallTitle=Checks",
                   L"UnInstallTitleE=Checks", L"UnInstallKey=ChecksKey"}),
            0)
      << testsupport::Narrow(g_BuildErrorText);
  containerreader::Container container;
  std::string error;
  ASSERT_TRUE(containerreader::ReadContainerFile(output_, container, &error)) << error;
  EXPECT_TRUE(container.crcMatches);
  Bytes cab = container.uninstallerCab;
  ASSERT_GT(cab.size(), 4u);
  EXPECT_EQ(Bytes(cab.begin(), cab.begin() + 4), Bytes(4, 0));  // stored without its signature
  std::memcpy(cab.data(), "MSCF", 4);
  testsupport::CabinetSummary summary;
  ASSERT_TRUE(testsupport::ReadCabinetSummary(cab, &summary));
  EXPECT_EQ(summary.cabinetSize, cab.size());
  EXPECT_EQ(summary.fileCount, 1);
  const std::string name = is64 ? "Hollmere64.exe" : "Hollmere.exe";
  EXPECT_NE(std::search(cab.begin(), cab.end(), name.begin(), name.end()), cab.end());
  EXPECT_GE(cab.size(), 100u);
  EXPECT_LE(cab.size(), 1000000u);
}

#else

// This program has no version block: the builder's own version is unknown.
TEST_F(UserUninstaller, BuilderWithoutOwnVersionRefuses) {
  ExpectRefused(testsupport::BinPath(L"patching_uninstaller_signed.exe"),
                ErrorMessage(L"FILEVER001"));
}

#endif

}  // namespace
}  // namespace patche2e
