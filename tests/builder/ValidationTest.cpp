// Every rule of the pre-build checks with the exact message it leaves.
#include <gtest/gtest.h>

#include <string>

#include "BuilderState.h"
#include "DefinitionKeys.h"
#include "ResultCodes.h"
#include "CabEncoder.h"
#include "SfxSettings.h"
#include "TestSupport.h"
#include "Validation.h"

namespace {

using testsupport::TempDir;

std::wstring ErrorText() { return g_BuildErrorText; }

class ValidateSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSfxSettings();
    g_BuildErrorText[0] = L'\0';
  }
  void ExpectFails(const std::wstring& message) {
    EXPECT_FALSE(ValidateSettings());
    EXPECT_EQ(ErrorText(), message);
  }
  void ExpectPasses() {
    EXPECT_TRUE(ValidateSettings()) << testsupport::Narrow(ErrorText());
  }
};

const wchar_t kNoManifestPrefix[] =
    L"\"Do not require promotion to administrative rights\" application manifest is specified, "
    L"but ";

TEST_F(ValidateSettingsTest, DefaultsPass) { ExpectPasses(); }

TEST_F(ValidateSettingsTest, OsCheckNeedsAVersion) {
  g_SfxSettings.BootOSCheck = 1;
  g_SfxSettings.BootableOS = 0;
  ExpectFails(L"No \"OS version capable of running the self-extracting file\" was specified.");
  g_SfxSettings.BootableOS = 0x8000;
  ExpectPasses();
}

TEST_F(ValidateSettingsTest, InvokerManifestRules) {
  CSfxSettings& s = g_SfxSettings;
  s.ManifestType = 1;
  s.StartMenuToCommon = 0;
  s.OnlyAdmin = 1;
  ExpectFails(L"\"Require administrative rights\" or \"Require Power Users rights or higher\" "
              L"settings cannot be used at the same time as the \"Do not require promotion to "
              L"administrative rights\" application manifest.");
  s.OnlyAdmin = 0;
  s.DenyUsers = 1;
  EXPECT_FALSE(ValidateSettings());
  s.DenyUsers = 0;

  s.UseExtractFolder = 1;
  for (int folder : {0, 1, 2, 4, 10, 12, 13, 15}) {
    s.BaseFolder = folder;
    ExpectFails(std::wstring(kNoManifestPrefix) +
                L"a folder requiring administrative privileges is specified in the \"Base "
                L"folder\" of the \"Specify default extract destination folder\".");
  }
  for (int folder : {3, 5, 7, 8, 9, 11, 14}) {
    s.BaseFolder = folder;
    ExpectPasses();
  }
  s.UseExtractFolder = 0;
  s.BaseFolder = 0;
  ExpectPasses();

  s.UseUnInstall = 1;
  s.AfterDeleteFiles = 1;  // reported as the manifest rule, not the delete rule
  ExpectFails(std::wstring(kNoManifestPrefix) +
              L"\"Use uninstaller\" is used. Use of uninstaller requires administrator privilege.");
  s.UseUnInstall = 0;

  s.UseStartMenu = 1;
  s.StartMenuToCommon = 1;
  ExpectFails(std::wstring(kNoManifestPrefix) +
              L"\"Create a shortcut to be shared by all users\" is used. Use of this function "
              L"requires administrator privilege.");
}

TEST_F(ValidateSettingsTest, UninstallerAndDeleteAfterExecution) {
  g_SfxSettings.UseUnInstall = 1;
  g_SfxSettings.AfterDeleteFiles = 1;
  ExpectFails(L"\"Use uninstaller\" and \"Delete all extracted files after execution\" cannot be "
              L"specified at the same time.");
  g_SfxSettings.ManifestType = 2;
  EXPECT_FALSE(ValidateSettings());
}

TEST_F(ValidateSettingsTest, AbsoluteExtractFolderForm) {
  CSfxSettings& s = g_SfxSettings;
  s.UseExtractFolder = 1;
  s.BaseFolder = 6;
  const std::wstring message =
      L"You have selected \"Specify absolute path\" as the \"Reference Folder\" for the extract "
      L"destination, but there is a problem in the folder path format.\n\nSpecify one of the "
      L"following:\n- Local path starting from the drive name (example: \"C:\\\" or "
      L"\"C:\\Path\")\n- UNC path starting with \"\\\\\" (example: \\\\Machine\\ShareName\\Path)\n"
      L"- Paths that start with \"%\" and contain an environmental variable indicating a specific "
      L"path (example: \"%EnvName%\\Path\")";
  for (const wchar_t* bad : {L"C:", L"\\folder", L"", L"Apps", L"%x", L"C:/x"}) {
    CopyText(s.ExtractFolder, bad);
    ExpectFails(message);
  }
  for (const wchar_t* good : {L"%TEMP%\\x", L"\\\\server\\share", L"D:\\Apps", L"7:\\x", L"C:\\"}) {
    CopyText(s.ExtractFolder, good);
    ExpectPasses();
  }
  s.UseExtractFolder = 0;
  CopyText(s.ExtractFolder, L"C:");
  ExpectPasses();
}

TEST_F(ValidateSettingsTest, BaseFolderOutsideTheKnownFoldersIsRefused) {
  CSfxSettings& s = g_SfxSettings;
  s.UseExtractFolder = 1;
  s.BaseFolder = 16;
  ExpectFails(L"The \"Base folder\" of \"Specify default extract destination folder\" is 16, which "
              L"is not one of the base folders (0 to 15).");
  s.BaseFolder = -1;
  EXPECT_FALSE(ValidateSettings());
  s.BaseFolder = 261;  // its low 8 bits would read as the folder 5
  EXPECT_FALSE(ValidateSettings());
  s.UseExtractFolder = 0;
  ExpectPasses();

  ExtraCopyItem copy{};
  CopyText(copy.FileName, L"a.dll");
  copy.BaseFolder = 15;
  s.ExtraCopy.push_back(copy);
  ExpectPasses();
  s.ExtraCopy[0].BaseFolder = 20;
  ExpectFails(L"The base folder of the file to copy \"a.dll\" is 20, which is not one of the base "
              L"folders (0 to 15).");
}

TEST_F(ValidateSettingsTest, StartMenuNames) {
  CSfxSettings& s = g_SfxSettings;
  s.UseStartMenu = 1;
  const std::wstring groupChar = L"The group name contains an illegal character.";
  const std::wstring groupForm = L"The group name is not specified correctly.";
  CopyText(s.StartMenuGroup, L"Group\\Sub");
  ExpectPasses();
  CopyText(s.StartMenuGroup, L"Gr*up");
  ExpectFails(groupChar);
  CopyText(s.StartMenuGroup, L"..\\Group");
  ExpectFails(groupForm);
  CopyText(s.StartMenuGroup, L"Group\\");
  ExpectFails(groupForm);
  s.StartMenuGroup[0] = L'\0';
  CopyText(s.StartMenuGroupE, L"a|b");
  ExpectFails(groupChar);
  CopyText(s.StartMenuGroupE, L"a\\\\b");
  ExpectFails(groupForm);
  s.StartMenuGroupE[0] = L'\0';

  const std::wstring itemChar =
      L"The registration name of the start menu item contains an illegal character.";
  const std::wstring itemForm =
      L"The registration name of the start menu item was not properly specified.";
  s.StartMenuCount = 2;
  CopyText(s.StartMenu[0].Title, L"Tool");
  CopyText(s.StartMenu[1].Title, L"What?");
  ExpectFails(itemChar);
  CopyText(s.StartMenu[1].Title, L".\\Tool");
  ExpectFails(itemForm);
  CopyText(s.StartMenu[1].Title, L"Tool");
  CopyText(s.StartMenu[1].TitleE, L"a:b");
  ExpectFails(itemChar);
  CopyText(s.StartMenu[1].TitleE, L"a\\..");
  ExpectFails(itemForm);
  CopyText(s.StartMenu[2].Title, L"*");  // outside the count
  CopyText(s.StartMenu[1].TitleE, L"Tool");
  ExpectPasses();
  s.UseStartMenu = 0;
  CopyText(s.StartMenu[0].Title, L"*");
  ExpectPasses();
}

// A definition file written by hand is held to the sheet's folder rule, and
// names no file system can create are refused; what passes is stored
// without leading backslashes, as the installer joins it to its folders.
TEST_F(ValidateSettingsTest, FoldersBelowTheInstallationAndNameLengths) {
  CSfxSettings& s = g_SfxSettings;
  const std::wstring refused = L"A drive, a network share, a single leading backslash or a \".\" "
                               L"or \"..\" folder cannot be used.";
  const std::wstring refusedHere = L"A drive, a network share or a \".\" or \"..\" folder cannot be used.";
  s.UseExtractFolder = 1;
  for (const wchar_t* bad : {L"\\\\srv\\share", L"\\Tools", L"C:\\Tools", L"a\\..\\..\\b"}) {
    CopyText(s.ExtractFolder, bad);
    ExpectFails(L"The sub folder of the extract destination \"" + std::wstring(bad) +
                L"\" is not a folder below the base folder. " + refused);
  }
  CopyText(s.ExtractFolder, L"\\\\Tools\\");
  ExpectPasses();
  const std::wstring longName = std::wstring(256, L'x');
  CopyText(s.ExtractFolder, longName.c_str());
  ExpectFails(L"The folder \"" + longName +
              L"\" holds a folder name longer than 255 characters, which Windows cannot create.");
  s.BaseFolder = 6;  // absolute: the form is its own rule's, the length is not
  CopyText(s.ExtractFolder, (L"C:\\" + longName).c_str());
  EXPECT_FALSE(ValidateSettings());
  CopyText(s.ExtractFolder, L"C:\\Apps");
  ExpectPasses();

  ExtraCopyItem copy{};
  CopyText(copy.FileName, L"a.dll");
  CopyText(copy.ExtractFolder, L"\\\\srv\\share\\");
  s.ExtraCopy.push_back(copy);
  ExpectFails(L"The destination folder \"\\\\srv\\share\\\" of a file extracted to another location is "
              L"not a folder below its base folder. " + refused);
  s.ExtraCopy[0].BaseFolder = 6;
  ExpectPasses();

  s.UseUnInstall = s.UseVesmarinUninstaller = 1;
  CopyText(s.UseVesmarinUninstallerFolder, L"C:\\srv");
  ExpectFails(L"The folder to store the uninstaller executable file \"C:\\srv\" is not a folder "
              L"below the extract destination. " + refusedHere);
  // Every leading backslash is dropped: the folder always lies below the
  // installation folder, never on a share.
  for (const wchar_t* below : {L"\\Uninst", L"\\\\\\Uninst", L"\\\\srv\\share", L"\\"}) {
    CopyText(s.UseVesmarinUninstallerFolder, below);
    ExpectPasses();
  }
  CopyText(s.UseVesmarinUninstallerFolder, L"\\Uninst");

  s.UseStartMenu = 1;
  s.StartMenuCount = 1;
  CopyText(s.StartMenu[0].Title, L"Tool");
  for (const wchar_t* bad : {L"\\\\srv\\share\\", L"C:\\Tools\\", L"\\\\\\Tools\\"}) {
    CopyText(s.StartMenu[0].File, bad);
    ExpectFails(L"The file to register in the start menu \"" + std::wstring(bad) +
                L"\" is not a file or folder below the extract destination. " + refusedHere);
  }
  CopyText(s.StartMenu[0].File, L"\\\\Tools\\");
  CopyText(s.StartMenu[0].FileE, L"\\Tools\\");
  CopyText(s.StartMenuGroup, L"\\\\Group");
  ExpectPasses();
  const std::wstring title(251, L't');
  CopyText(s.StartMenu[0].TitleE, title.c_str());
  ExpectPasses();
  CopyText(s.StartMenu[0].TitleE, (title + L"t").c_str());
  ExpectFails(L"The registration name of the start menu item \"" + title +
              L"t\" is too long: with \".lnk\" the name of the shortcut file would be longer than 255 "
              L"characters.");
  CopyText(s.StartMenu[0].TitleE, L"Tool");

  // What passed is kept as the installer needs it; a single backslash
  // stays the extraction folder itself.
  CopyText(s.ExtractFolder, L"\\\\Tools\\");
  s.BaseFolder = 0;
  StoreRelativeFolders();
  EXPECT_STREQ(s.ExtractFolder, L"Tools\\");
  EXPECT_STREQ(s.UseVesmarinUninstallerFolder, L"\\Uninst");  // the block drops it
  EXPECT_STREQ(s.StartMenu[0].File, L"Tools\\");
  EXPECT_STREQ(s.StartMenu[0].FileE, L"Tools\\");
  EXPECT_STREQ(s.StartMenuGroup, L"Group");
  CopyText(s.StartMenu[0].File, L"\\");
  StoreRelativeFolders();
  EXPECT_STREQ(s.StartMenu[0].File, L"\\");

  testsupport::ThreadLanguage japanese(testsupport::kJapaneseLanguage);
  CopyText(s.StartMenu[0].File, L"\\\\srv\\share\\");
  ExpectFails(L"スタートメニューに登録するファイル \"\\\\srv\\share\\\" は展開先の下のファイルまたはフォルダー"
              L"ではありません。ドライブ、ネットワーク共有、\".\" または \"..\" のフォルダーは使用できま"
              L"せん。");
}

TEST_F(ValidateSettingsTest, UninstallKeyAndUserUninstaller) {
  CSfxSettings& s = g_SfxSettings;
  CopyText(s.UnInstallKey, L"Vendor\\App");
  ExpectPasses();
  s.UseUnInstall = 1;
  ExpectFails(L"The registration destination registry key name for the uninstaller contains an "
              L"illegal character.");
  CopyText(s.UnInstallKey, L"VendorApp");
  ExpectPasses();

  TempDir dir;
  const std::wstring missing = dir / L"Hollmere64.exe";
  s.HollmereUserProvide = 1;
  CopyText(s.HollmereUserProvideFile, missing.c_str());
  ExpectFails(L"\"Use uninstaller executable with digital signature\" is enabled, but he "
              L"uninstaller executable file \"" + missing + L"\" does not exist.");
  testsupport::WriteTextFile(missing, "MZ");
  ExpectPasses();
}

// Checks against a real cabinet written here.
class ValidateArchiveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSfxSettings();
    g_BuildErrorText[0] = L'\0';
    const wchar_t* names[] = {L"readme.txt",    L"app\\tool.exe",  L"app\\data\\table.dat",
                              L"banner.bmp",    L"logo.bmp",       L"panel.bmp",
                              L"top.bmp",       L"license.txt",    L"license_en.txt",
                              L"Tools\\Hollmere.exe", L"setup.exe"};
    CCabEncoder encoder;
    for (const wchar_t* name : names) {
      std::wstring source = dir_ / (std::to_wstring(files_++) + L".src");
      testsupport::WriteTextFile(source, "content of " + testsupport::Narrow(name));
      encoder.AddFile(source.c_str(), name);
    }
    cab_ = dir_ / L"archive.cab";
    ASSERT_TRUE(encoder.CreateCabinet(cab_.c_str()));
    CopyText(g_SfxSettings.SrcArchiveFile, cab_.c_str());
  }
  void ExpectFails(const std::wstring& message) {
    EXPECT_FALSE(ValidateArchiveReferences());
    EXPECT_EQ(ErrorText(), message);
  }
  void ExpectPasses() {
    EXPECT_TRUE(ValidateArchiveReferences()) << testsupport::Narrow(ErrorText());
  }
  TempDir dir_;
  std::wstring cab_;
  int files_ = 0;
};

TEST_F(ValidateArchiveTest, NotACabinetPassesUnchecked) {
  const std::wstring bogus = dir_ / L"bogus.cab";
  testsupport::WriteTextFile(bogus, "this is not a cabinet at all");
  CopyText(g_SfxSettings.SrcArchiveFile, bogus.c_str());
  g_SfxSettings.UseBannerFile = 1;
  g_SfxSettings.UseExplain = 1;
  ExpectPasses();
  CopyText(g_SfxSettings.SrcArchiveFile, (dir_ / L"missing.cab").c_str());
  ExpectPasses();
}

TEST_F(ValidateArchiveTest, ManifestAndIconFilesOnDisk) {
  CSfxSettings& s = g_SfxSettings;
  s.ManifestType = 2;
  ExpectFails(L"The manifest file is not specified.");
  const std::wstring manifest = dir_ / L"app.manifest";
  CopyText(s.ManifestFile, manifest.c_str());
  ExpectFails(L"The manifest file\n\"" + manifest + L"\"cannot be found.");
  testsupport::WriteTextFile(manifest, "<assembly/>");
  ExpectPasses();

  s.IconType = L"custom";
  ExpectFails(L"The custom icon file is not specified.");
  const std::wstring icon = dir_ / L"app.ico";
  CopyText(s.IconFile, icon.c_str());
  ExpectFails(L"The custom icon file \"" + icon + L"\" cannot be found.");
  testsupport::WriteTextFile(icon, "ico");
  ExpectPasses();
  s.IconType = L"green";
  s.IconFile[0] = L'\0';
  ExpectPasses();
}

TEST_F(ValidateArchiveTest, PicturesInTheArchive) {
  CSfxSettings& s = g_SfxSettings;
  s.UseBannerFile = 1;
  ExpectFails(L"The banner file is not specified.");
  CopyText(s.BannerFile, L"nobanner.bmp");
  ExpectFails(L"The banner file \"nobanner.bmp\" could not be found in the archive.");
  CopyText(s.BannerFile, L"BANNER.BMP");
  ExpectPasses();

  s.UseBackScreenLogoBmp = 1;
  ExpectPasses();  // needs UseBackScreen too
  s.UseBackScreen = 1;
  ExpectFails(L"The back screen logo file is not specified.");
  CopyText(s.BackScreenLogoBmp, L"x.bmp");
  ExpectFails(L"The back screen logo file \"x.bmp\" could not be found in the archive.");
  CopyText(s.BackScreenLogoBmp, L"logo.bmp");
  ExpectPasses();

  s.UsePanelBitmap = 1;
  ExpectFails(L"The panel image file for the wizard is not specified.");
  CopyText(s.PanelBitmap, L"x.bmp");
  ExpectFails(L"The panel image file for the wizard \"x.bmp\" could not be found in the archive.");
  s.NoUI = 1;
  ExpectPasses();
  s.NoUI = 0;
  CopyText(s.PanelBitmap, L"panel.bmp");

  s.UseWiz97PanelBitmap = 1;
  ExpectFails(L"The top right image file for the wizard is not specified.");
  CopyText(s.Wiz97PanelBitmap, L"x.bmp");
  ExpectFails(
      L"The top right image file for the wizard \"x.bmp\" could not be found in the archive.");
  s.UseNewWizard = 0;
  ExpectPasses();
}

TEST_F(ValidateArchiveTest, DescriptionFiles) {
  CSfxSettings& s = g_SfxSettings;
  s.UseExplain = 1;
  ExpectFails(L"Please specify the description filename.");
  CopyText(s.ExplainFileE, L"license_en.txt");
  ExpectPasses();
  CopyText(s.ExplainFile, L"nolicense.txt");
  CopyText(s.ExplainFileE, L"nolicense_en.txt");
  ExpectFails(L"The description file \"nolicense.txt\" could not be found in the archive.");
  CopyText(s.ExplainFile, L"license.txt");
  ExpectFails(L"The description file \"nolicense_en.txt\" could not be found in the archive.");
}

TEST_F(ValidateArchiveTest, StartMenuFiles) {
  CSfxSettings& s = g_SfxSettings;
  s.UseStartMenu = 1;
  s.StartMenuCount = 2;
  CopyText(s.StartMenu[0].File, L"app\\tool.exe");
  CopyText(s.StartMenu[0].FileE, L"Tools\\");  // a folder: not looked up
  CopyText(s.StartMenu[1].FileE, L"app\\missing.exe");
  ExpectFails(
      L"The file to register in the start menu \"app\\missing.exe\" could not be found in the "
      L"archive.");
  CopyText(s.StartMenu[1].FileE, L"README.TXT");
  CopyText(s.StartMenu[2].File, L"outside-the-count.exe");
  ExpectPasses();
}

TEST_F(ValidateArchiveTest, UninstallerNamesAndKeys) {
  CSfxSettings& s = g_SfxSettings;
  s.UseUnInstall = 1;
  ExpectFails(L"A registration name for \"Add and Delete Application\" is not specified. \nPlease "
              L"be sure to specify one when the uninstaller is used.");
  CopyText(s.UnInstallTitle, L"Example");
  ExpectFails(L"A sub-key for uninstaller data registration is not specified.\nPlease be sure to "
              L"specify one when the uninstaller is used.");
  CopyText(s.UnInstallKey, L"Example");
  ExpectPasses();

  s.UseVesmarinUninstaller = 1;
  CopyText(s.UseVesmarinUninstallerFolder, L"\\Tools");
  ExpectFails(L"A file with the same name as the Vesmarin uninstaller \"Tools\\Hollmere.exe\" "
              L"exists in the archive.");
  // The 64-bit package installs Hollmere64.exe, which the archive lacks.
  s.Use64bitStub = true;
  ExpectPasses();
  CopyText(s.UseVesmarinUninstallerFolder, L"app");
  ExpectPasses();
  CopyText(s.UseVesmarinUninstallerFolder, std::wstring(255, L'f').c_str());
  ExpectFails(L"The string for \"Folder to store the uninstaller executable file\" is too long.");
}

TEST_F(ValidateArchiveTest, UninstallInformationFileName) {
  TempDir other;
  CCabEncoder encoder;
  const std::wstring source = other / L"x";
  testsupport::WriteTextFile(source, "x");
  encoder.AddFile(source.c_str(), L"bin\\Hollmere64.$$$");
  encoder.AddFile(source.c_str(), L"Hollmere.$$$");
  const std::wstring cab = other / L"info.cab";
  ASSERT_TRUE(encoder.CreateCabinet(cab.c_str()));
  CSfxSettings& s = g_SfxSettings;
  CopyText(s.SrcArchiveFile, cab.c_str());
  s.UseUnInstall = s.UseVesmarinUninstaller = 1;
  CopyText(s.UnInstallTitle, L"Example");
  CopyText(s.UnInstallKey, L"Example");
  CopyText(s.UseVesmarinUninstallerFolder, L"\\");
  ExpectFails(L"A file with the same name as the Vesmarin uninstaller \"Hollmere.$$$\" exists in "
              L"the archive.");
  s.Use64bitStub = true;
  ExpectPasses();
  CopyText(s.UseVesmarinUninstallerFolder, L"\\\\bin");
  ExpectFails(L"A file with the same name as the Vesmarin uninstaller \"bin\\Hollmere64.$$$\" "
              L"exists in the archive.");
}

TEST_F(ValidateArchiveTest, AutomaticExecution) {
  CSfxSettings& s = g_SfxSettings;
  s.UseAutoExecute = 1;
  ExpectPasses();
  CopyText(s.CmdLine, L"app\\nothere.exe");
  ExpectFails(L"The automatically executing file \"app\\nothere.exe\" could not be found in the "
              L"archive.");
  CopyText(s.CmdLine, L"app\\TOOL.exe");
  s.AutoExecCount = 2;
  CopyText(s.AutoExec[0].File, L"setup.exe");
  CopyText(s.AutoExec[1].Args, L"/only-args");
  ExpectFails(L"The automatically executing file \"\" could not be found in the archive.");
  CopyText(s.AutoExec[1].File, L"readme.txt");
  ExpectPasses();
}

}  // namespace
