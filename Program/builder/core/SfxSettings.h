// The project settings of one self-extracting program: everything a
// definition file stores. One process-wide instance lives for the whole run.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

#include "SettingsBlockFormat.h"

// The further values of the uninstaller's registration with Windows: the
// settings hold them, and the "Uninstaller register option" dialog edits a
// copy of them.
struct RegisterOptions {
  wchar_t UninstIconFile[270];
  wchar_t UnInstallPublisher[200];
  wchar_t UnInstallSupportLink[400];
  wchar_t UnInstallHelpLink[400];
  wchar_t UnInstallUpdateLink[400];
  wchar_t UnInstallPublisherE[200];
  wchar_t UnInstallSupportLinkE[400];
  wchar_t UnInstallHelpLinkE[400];
  wchar_t UnInstallUpdateLinkE[400];
  int UnInstallSetVersion;
  int UnInstallAutoSetVersion;
  wchar_t UnInstallVersion[31];
  wchar_t UnInstallAutoSetVersionFile[260];
  int UnInstallAutoSetSize;
};

class CSfxSettings : public RegisterOptions {
 public:
  CSfxSettings();
  ~CSfxSettings();
  CSfxSettings(const CSfxSettings& other);
  CSfxSettings& operator=(const CSfxSettings& other);

  // Every text empty, every number 0, tables emptied. A new project's
  // defaults come from the table of definition keys (ResetSfxSettings).
  void Clear();

  int UltraSilentInstall;
  int HollmereHideLogButton;
  wchar_t OSCheckErrorMsg[1000];  // line breaks as CR LF
  wchar_t SrcArchiveFile[260];
  wchar_t DstExeFile[260];
  wchar_t DialogTitle[66];
  wchar_t DialogTitleE[66];
  wchar_t ExtractFolder[260];
  wchar_t CmdLine[260];
  wchar_t CmdArgs[260];
  bool CmdNonElevate;
  wchar_t BannerFile[260];
  wchar_t HPTitle[260];
  wchar_t HPTitleE[260];
  wchar_t URL[260];
  wchar_t URLE[260];
  wchar_t ExplainFile[260];
  wchar_t ExplainFileE[260];
  wchar_t Greeting[1024];   // up to three lines joined with CR LF
  wchar_t GreetingE[1024];
  wchar_t UnInstallTitle[151];
  wchar_t UnInstallTitleE[151];
  wchar_t UnInstallKey[81];
  wchar_t UnInstallFile[260];
  wchar_t UnInstallArgs[260];
  int UninstallRegCount;  // 0..32 valid leading entries of UninstallReg
  std::wstring UninstallReg[kMaxUninstallRegs];
  wchar_t UseVesmarinUninstallerFolder[260];
  wchar_t VesmarinFor[255];
  wchar_t VesmarinForE[255];
  int BaseFolder;  // base-folder number 0..15
  int AskExtPath;
  int AskOverwrite;
  int HideAskOverWrite;
  int AfterDeleteFiles;
  int AddFileTitle;
  int SkipInstallCompletePageOnAutoExec;
  int NoExtractExplainFile;
  int ExplainToConsent;
  int ExplainAllRead;
  int NoExtractBannerFile;
  int NoOverwriteNewTimeStamp;
  int NoOpenFolderOnEnd;
  int ShowForceOverwrite;
  int ExplainNoSkipTextChanged;
  int UseBannerFile;
  int UseURL;
  int UseExplain;
  int UseExtractFolder;
  int UseStartMenu;
  int UseUnInstall;
  int UseVesmarinUninstaller;
  int UseAutoExecute;
  wchar_t StartMenuGroup[260];
  wchar_t StartMenuGroupE[260];
  int StartMenuCount;  // 0..32 valid leading slots of StartMenu
  StartMenuItem StartMenu[kMaxStartMenuItems];
  int AutoExecCount;   // 0..32 valid leading slots of AutoExec
  AutoExecItem AutoExec[kMaxAutoExecItems];
  std::vector<RegComSvrItem> RegComSvr;
  std::vector<ExtraCopyItem> ExtraCopy;
  wchar_t PassRebootSwitch[260];
  int WaitForAutoExecute;
  int NoSaveInstallPath;
  int UninstallRebootable;
  int FailIfPathRegNotExist;
  int UseBackScreen;
  COLORREF BackScreenColor;  // 0x00BBGGRR
  wchar_t BackScreenText[101];
  wchar_t BackScreenTextE[101];
  wchar_t BackScreenLogoBmp[260];
  int UseBackScreenLogoBmp;
  int ExtractScreenLogo;
  int UseSavePath;
  int SavePath_RootKey;  // 0 HKEY_CURRENT_USER, 1 HKEY_LOCAL_MACHINE
  wchar_t SavePathKey[128];
  wchar_t SavePathValue[128];
  int WithAttribute;
  int NoAskMakeDir;
  int ForceUninstallDir;
  int UseExtensionModuleFile;
  wchar_t ExtensionModuleFile[260];
  wchar_t ExtensionModuleDatFile[260];
  int UseUninstallerExtensionModuleFile;
  wchar_t UninstallerExtensionModuleFile[260];
  int UseUninstallerPreProcess;
  wchar_t UninstallerPreProcessFile[260];
  wchar_t UninstallerPreProcessArg[260];
  int HollmereUserProvide;
  wchar_t HollmereUserProvideFile[260];
  int NoUI;
  int UseSaveExplainShowFlag;
  int SaveExplainShowFlag_RootKey;  // 0 HKEY_CURRENT_USER, 1 HKEY_LOCAL_MACHINE
  wchar_t SaveExplainShowFlagKey[128];
  wchar_t SaveExplainShowFlagValue[128];
  std::wstring IconType;  // "blue", "green", "yellow", "red" or "custom"
  wchar_t IconFile[260];
  int StartMenuToCommon;
  int StartMenuDSQDefaultOn;
  int StartMenuDSQNoConfirm;
  int DenyUsers;
  int OnlyAdmin;
  int NoCRCCheck;
  int BootOSCheck;
  int Deny64bitMode;
  int CheckTrust;
  wchar_t PanelBitmap[260];
  int UsePanelBitmap;
  int NoExtractPanelBitmap;
  int UseNewWizard;
  wchar_t Wiz97PanelBitmap[260];
  int UseWiz97PanelBitmap;
  int NoExtractWiz97PanelBitmap;
  int DontShowQXLogoOnWiz;
  int OverWriteMethod;
  int BootableOS;  // Windows-version bit mask of the container header
  int AutoUninstIni;
  int AutoDeleteDat;
  bool UseCabTimeZoneBias;
  int CabTimeZoneBias;  // hours
  bool Use64bitStub;    // key "64bitSFX"
  bool ModifyOSVersion;
  int SFXOSMajor;
  int SFXOSMinor;
  bool ModifySubSysVersion;
  int SFXSubSysMajor;
  int SFXSubSysMinor;
  int ManifestType;  // 0 none, 1 built-in (invoker's rights), 2 ManifestFile
  wchar_t ManifestFile[260];
  wchar_t SilentizeSwitch[20];
};

// The credit line of a new project: "Self Extractable Archive by Vesmarin 6".
extern const wchar_t kDefaultVesmarinFor[];


// Destroys and frees a heap copy; null is accepted.
void DeleteSfxSettings(CSfxSettings* settings);

// Copies text into a fixed array of N characters, cut to N - 1.
template <size_t N>
inline void CopyText(wchar_t (&target)[N], const wchar_t* text) {
  lstrcpynW(target, text ? text : L"", static_cast<int>(N));
}
