// Outputs of the real builder in batch mode with a manifest or an icon set
// chosen: the stub image at the head of the output is read back with the
// Win32 resource functions and compared with what was asked for.
#include <gtest/gtest.h>

#include <algorithm>

#include "ContainerReader.h"
#include "DefinitionText.h"
#include "DialogDriver.h"
#include "PatchE2eUtil.h"
#include "TestCabinet.h"
#include "TestSupport.h"

namespace patche2e {
namespace {

using patchtest::Group;
using patchtest::GroupEntry;
using patchtest::ResourceReader;

const WORD kEnglish = 1033;

class PatchedOutput : public ::testing::Test {
 protected:
  void SetUp() override {
    temp_ = work_ / L"tmp";
    ASSERT_TRUE(CreateDirectoryW(temp_.c_str(), nullptr));
    archive_ = work_ / L"archive.cab";
    testsupport::TestCabinet cab;
    cab.Add(L"readme.txt", "Read me.\r\n").Add(L"bin\\tool.exe", std::string(20000, 'T'));
    ASSERT_TRUE(cab.WriteTo(archive_));
    output_ = work_ / L"Setup.exe";
  }

  // Builds with the given lines added to a small definition; returns the
  // exit code. The temporary folder must be empty again afterwards.
  DWORD Build(const std::vector<std::wstring>& more, bool is64 = true) {
    std::vector<std::wstring> lines = {L"SrcArchiveFile=" + archive_, L"DstExeFile=" + output_,
                                       L"DialogTitleE=Patched",
                                       std::wstring(L"64bitSFX=") + (is64 ? L"1" : L"0")};
    lines.insert(lines.end(), more.begin(), more.end());
    std::wstring definition = work_ / L"project.ini";
    EXPECT_TRUE(testsupport::DefinitionText(lines).WriteTo(definition));
    last_ = RunBuilder(definition, temp_);
    EXPECT_TRUE(last_.started);
    EXPECT_FALSE(last_.timedOut);
    EXPECT_TRUE(FilesIn(temp_).empty()) << "a temporary file was left behind";
    return last_.exitCode;
  }

  // The output's stub image, saved as a program file for the resource
  // reader; the output must be well formed and carry the archive intact.
  std::wstring SavedStub() {
    containerreader::Container container;
    std::string error;
    EXPECT_TRUE(containerreader::ReadContainerFile(output_, container, &error)) << error;
    EXPECT_TRUE(container.crcMatches);
    EXPECT_TRUE(container.sizeMatches);
    Bytes archive;
    EXPECT_TRUE(testsupport::ReadFileBytes(archive_, archive));
    EXPECT_TRUE(container.archive == archive);
    Bytes image = StubImageOf(output_);
    EXPECT_FALSE(image.empty());
    std::wstring path = work_ / L"stub.exe";
    EXPECT_TRUE(testsupport::WriteFileBytes(path, image));
    return path;
  }

  std::wstring ManifestFile(size_t size) {
    std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\n<!-- ";
    const std::string tail = " -->\n</assembly>\n";
    while (text.size() + tail.size() < size) text.push_back('a' + text.size() % 26);
    text += tail;
    text.resize(size);
    std::wstring path = work_ / L"app.manifest";
    EXPECT_TRUE(testsupport::WriteFileBytes(path, text.data(), text.size()));
    return path;
  }

  void ExpectNoBox() {
    for (const std::wstring& box : last_.boxes) ADD_FAILURE() << testsupport::Narrow(box);
  }

  testsupport::TempDir work_{L"po"};
  std::wstring temp_, archive_, output_;
  BuilderRun last_;
};

TEST_F(PatchedOutput, BuiltInManifestOfEachBitness) {
  for (bool is64 : {true, false}) {
    SCOPED_TRACE(is64 ? "64-bit" : "32-bit");
    ASSERT_EQ(Build({L"ManifestType=1"}, is64), 0u);
    ExpectNoBox();
    ResourceReader stub(SavedStub());
    Bytes manifest, expected;
    ASSERT_TRUE(stub.Get(RT_MANIFEST, 1, kEnglish, &manifest));
    HMODULE module = LoadLibraryExW(testsupport::BinPath(L"Vesmarin.exe").c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    HRSRC found = FindResourceW(module, is64 ? L"ASINVOKER_MANIFEST64" : L"ASINVOKER_MANIFEST32",
                                L"BINARYRES");
    ASSERT_NE(found, nullptr);
    const uint8_t* data = static_cast<const uint8_t*>(LockResource(LoadResource(module, found)));
    expected.assign(data, data + SizeofResource(module, found));
    FreeLibrary(module);
    EXPECT_TRUE(manifest == expected);
    // The stub kept its version resource and the machine of its bitness.
    EXPECT_TRUE(stub.Has(RT_VERSION, 1));
    Bytes image = StubImageOf(output_);
    const size_t pe = image[0x3C] | (image[0x3D] << 8) | (image[0x3E] << 16);
    ASSERT_LT(pe + 6, image.size());
    EXPECT_EQ(image[pe + 4] | (image[pe + 5] << 8), is64 ? 0x8664 : 0x014C);
  }
}

TEST_F(PatchedOutput, ManifestFileUpTo500000Bytes) {
  for (size_t size : {size_t(300), size_t(500000)}) {
    SCOPED_TRACE(size);
    std::wstring file = ManifestFile(size);
    ASSERT_EQ(Build({L"ManifestType=2", L"ManifestFile=" + file}), 0u);
    ExpectNoBox();
    ResourceReader stub(SavedStub());
    Bytes manifest, expected;
    ASSERT_TRUE(stub.Get(RT_MANIFEST, 1, kEnglish, &manifest));
    ASSERT_TRUE(testsupport::ReadFileBytes(file, expected));
    EXPECT_TRUE(manifest == expected);
  }
}

TEST_F(PatchedOutput, ManifestFileOf500001BytesGives9WithoutABox) {
  std::wstring file = ManifestFile(500001);
  EXPECT_EQ(Build({L"ManifestType=2", L"ManifestFile=" + file}), 9u);
  EXPECT_FALSE(testsupport::PathExists(output_));
  // A batch build never waits for a person, not even for the manifest failure.
  ExpectNoBox();
}

// The stub's lowest icon group after a build with a custom icon file.
class CustomIcon : public PatchedOutput {
 protected:
  void BuildWith(const std::vector<patchtest::IcoEntry>& entries, Group* group,
                 std::vector<Bytes>* images) {
    std::wstring ico = work_ / L"app.ico";
    ASSERT_TRUE(testsupport::WriteFileBytes(ico, patchtest::MakeIco(0, 1, entries)));
    ASSERT_EQ(Build({L"IconType=custom", L"IconFile=" + ico}), 0u);
    ExpectNoBox();
    ResourceReader original(testsupport::BinPath(L"Tessaly64.exe"));
    ResourceReader stub(SavedStub());
    std::vector<WORD> groups = original.Ids(RT_GROUP_ICON);
    ASSERT_FALSE(groups.empty());
    EXPECT_EQ(stub.Ids(RT_GROUP_ICON), groups);
    Bytes data;
    ASSERT_TRUE(stub.Get(RT_GROUP_ICON, groups.front(), 0, &data));
    ASSERT_TRUE(patchtest::ParseGroup(data, group));
    const WORD firstNew = original.Ids(RT_ICON).back() + 1;
    for (size_t i = 0; i < group->entries.size(); ++i) {
      EXPECT_EQ(group->entries[i].id, firstNew + i);
      Bytes image;
      ASSERT_TRUE(stub.Get(RT_ICON, group->entries[i].id, 0, &image));
      images->push_back(image);
    }
    // Other groups are unchanged.
    for (size_t i = 1; i < groups.size(); ++i) {
      Bytes a, b;
      ASSERT_TRUE(original.Get(RT_GROUP_ICON, groups[i], 0xFFFF, &a));
      ASSERT_TRUE(stub.Get(RT_GROUP_ICON, groups[i], 0xFFFF, &b));
      EXPECT_TRUE(a == b);
    }
  }
};

TEST_F(CustomIcon, OnePngImage) {
  patchtest::IcoEntry png;
  png.data = patchtest::MakePng(256, 256);
  Group group;
  std::vector<Bytes> images;
  BuildWith({png}, &group, &images);
  ASSERT_EQ(group.entries.size(), 1u);
  EXPECT_EQ(group.type, 1);
  EXPECT_EQ(group.entries[0].width, 0);
  EXPECT_EQ(group.entries[0].planes, 0);
  EXPECT_EQ(group.entries[0].bitCount, 0);
  EXPECT_EQ(group.entries[0].bytesInRes, png.data.size());
  ASSERT_EQ(images.size(), 1u);
  EXPECT_TRUE(images[0] == png.data);
}

TEST_F(CustomIcon, SeveralImages) {
  std::vector<patchtest::IcoEntry> entries(4);
  const int sizes[] = {48, 32, 16, 16}, bits[] = {32, 32, 8, 4};
  for (size_t i = 0; i < entries.size(); ++i) {
    entries[i].width = entries[i].height = static_cast<uint8_t>(sizes[i]);
    entries[i].colorCount = bits[i] == 4 ? 16 : 0;
    entries[i].planes = 1;
    entries[i].bitCount = static_cast<uint16_t>(bits[i]);
    entries[i].data = patchtest::MakeBitmapImage(sizes[i], bits[i]);
  }
  Group group;
  std::vector<Bytes> images;
  BuildWith(entries, &group, &images);
  ASSERT_EQ(group.entries.size(), entries.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    SCOPED_TRACE(i);
    const GroupEntry& e = group.entries[i];
    EXPECT_EQ(e.width, sizes[i]);
    EXPECT_EQ(e.height, sizes[i]);
    EXPECT_EQ(e.colorCount, entries[i].colorCount);
    EXPECT_EQ(e.planes, 1);
    EXPECT_EQ(e.bitCount, bits[i]);
    EXPECT_EQ(e.bytesInRes, entries[i].data.size());
    EXPECT_TRUE(images[i] == entries[i].data);
  }
}

TEST_F(PatchedOutput, BuiltInIconSet) {
  ASSERT_EQ(Build({L"IconType=yellow"}), 0u);
  ExpectNoBox();
  ResourceReader original(testsupport::BinPath(L"Tessaly64.exe"));
  ResourceReader builder(testsupport::BinPath(L"Vesmarin.exe"));
  ResourceReader stub(SavedStub());
  std::vector<WORD> groups = original.Ids(RT_GROUP_ICON);
  ASSERT_FALSE(groups.empty());
  Bytes data, setData;
  Group group, set;
  ASSERT_TRUE(stub.Get(RT_GROUP_ICON, groups.front(), 0, &data));
  ASSERT_TRUE(patchtest::ParseGroup(data, &group));
  ASSERT_TRUE(builder.Get(RT_GROUP_ICON, 182, 0xFFFF, &setData));
  ASSERT_TRUE(patchtest::ParseGroup(setData, &set));
  ASSERT_EQ(group.entries.size(), set.entries.size());
  for (size_t i = 0; i < set.entries.size(); ++i) {
    Bytes a, b;
    ASSERT_TRUE(stub.Get(RT_ICON, group.entries[i].id, 0, &a));
    ASSERT_TRUE(builder.Get(RT_ICON, set.entries[i].id, 0xFFFF, &b));
    EXPECT_TRUE(a == b) << "image " << i;
    EXPECT_EQ(group.entries[i].bitCount, set.entries[i].bitCount);
  }
}

TEST_F(PatchedOutput, UnusableIconSourceGives7) {
  Bytes broken = patchtest::MakeIco(0, 3, {});  // type 3, no images
  std::wstring ico = work_ / L"broken.ico";
  ASSERT_TRUE(testsupport::WriteFileBytes(ico, broken));
  patchtest::IcoEntry outside;
  outside.data = patchtest::MakeBitmapImage(16, 4);
  outside.forceSize = true;
  outside.size = 0x10000000;
  std::wstring ico2 = work_ / L"outside.ico";
  ASSERT_TRUE(testsupport::WriteFileBytes(ico2, patchtest::MakeIco(0, 1, {outside})));
  std::wstring empty = work_ / L"empty.ico";
  ASSERT_TRUE(testsupport::WriteFileBytes(empty, "", 0));
  for (const std::vector<std::wstring>& lines :
       {std::vector<std::wstring>{L"IconType=custom", L"IconFile=" + ico},
        std::vector<std::wstring>{L"IconType=custom", L"IconFile=" + ico2},
        std::vector<std::wstring>{L"IconType=custom", L"IconFile=" + empty}}) {
    SCOPED_TRACE(testsupport::Narrow(lines[1]));
    EXPECT_EQ(Build(lines), 7u);
    ExpectNoBox();
    EXPECT_FALSE(testsupport::PathExists(output_));
  }
}

// Outputs whose stub image was patched still run: each installs silently
// with exit code 0 and writes the archive's files. One carries a manifest
// file and a built-in icon set, the other the built-in manifest and a custom
// icon file, so every kind of patch is in one of them. Neither the build
// nor the installation leaves a file in the temporary folder.
TEST_F(PatchedOutput, PatchedOutputsStillInstallSilently) {
  patchtest::IcoEntry png;
  png.data = patchtest::MakePng(32, 32);
  png.width = png.height = 32;
  const std::wstring ico = work_ / L"app.ico";
  ASSERT_TRUE(testsupport::WriteFileBytes(ico, patchtest::MakeIco(0, 1, {png})));
  const std::wstring manifest = ManifestFile(300);
  const std::vector<std::vector<std::wstring>> patches = {
      {L"ManifestType=2", L"ManifestFile=" + manifest, L"IconType=red"},
      {L"ManifestType=1", L"IconType=custom", L"IconFile=" + ico}};
  for (size_t i = 0; i < patches.size(); ++i) {
    SCOPED_TRACE(testsupport::Narrow(patches[i][0] + L" " + patches[i].back()));
    const std::wstring folder = work_ / (L"installed" + std::to_wstring(i));
    std::vector<std::wstring> lines = {L"NoUI=1",         L"UltraSilentInstall=1",
                                       L"AskExtPath=0",   L"UseExtractFolder=1",
                                       L"BaseFolder=6",   L"ExtractFolder=" + folder};
    lines.insert(lines.end(), patches[i].begin(), patches[i].end());
    ASSERT_EQ(Build(lines), 0u);
    ExpectNoBox();
    Bytes image = StubImageOf(output_);
    Bytes original;
    ASSERT_TRUE(testsupport::ReadFileBytes(testsupport::BinPath(L"Tessaly64.exe"), original));
    EXPECT_FALSE(image == original) << "the stub image was patched";

    testsupport::DrivenResult run;
    {
      testsupport::StubRunLock lock;
      wchar_t oldTmp[MAX_PATH] = L"", oldTemp[MAX_PATH] = L"";
      const DWORD hadTmp = GetEnvironmentVariableW(L"TMP", oldTmp, MAX_PATH);
      const DWORD hadTemp = GetEnvironmentVariableW(L"TEMP", oldTemp, MAX_PATH);
      SetEnvironmentVariableW(L"TMP", temp_.c_str());
      SetEnvironmentVariableW(L"TEMP", temp_.c_str());
      run = testsupport::RunAnsweringBoxes(L"\"" + output_ + L"\"", nullptr, 120000);
      SetEnvironmentVariableW(L"TMP", hadTmp ? oldTmp : nullptr);
      SetEnvironmentVariableW(L"TEMP", hadTemp ? oldTemp : nullptr);
    }
    EXPECT_TRUE(run.started);
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(run.boxes.empty());
    Bytes readme, tool;
    EXPECT_TRUE(testsupport::ReadFileBytes(folder + L"\\readme.txt", readme));
    EXPECT_EQ(std::string(readme.begin(), readme.end()), "Read me.\r\n");
    EXPECT_TRUE(testsupport::ReadFileBytes(folder + L"\\bin\\tool.exe", tool));
    EXPECT_EQ(tool.size(), 20000u);
    EXPECT_TRUE(FilesIn(temp_).empty()) << "the installation left a temporary file";
    DeleteFileW(output_.c_str());
  }
}

// The builder's batch mode refuses an unsigned uninstaller with 10 and
// builds with a signed one.
TEST_F(PatchedOutput, UserUninstallerInBatchMode) {
  std::wstring poser = testsupport::BinPath(L"patching_uninstaller_Genuine.exe");
  EXPECT_EQ(Build({L"HollmereUserProvide=1", L"HollmereUserProvideFile=" + poser}), 10u);
  EXPECT_FALSE(testsupport::PathExists(output_));
  std::wstring signedPoser = testsupport::BinPath(L"patching_uninstaller_signed.exe");
  EXPECT_EQ(Build({L"HollmereUserProvide=1", L"HollmereUserProvideFile=" + signedPoser}), 0u);
  ExpectNoBox();
  EXPECT_TRUE(testsupport::PathExists(output_));
}

}  // namespace
}  // namespace patche2e
