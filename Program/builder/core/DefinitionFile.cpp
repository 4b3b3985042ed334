#include "DefinitionFile.h"

#include <shlobj.h>
#include <shlwapi.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>

#include "BuilderState.h"
#include "BuilderUtil.h"
#include "FileSystem.h"
#include "PathPieces.h"
#include "ResultCodes.h"
#include "SfxSettings.h"
#include "VersionQueries.h"

namespace {

const wchar_t kSection[] = L"Vesmarin";
const wchar_t kDefaultRegistryKey[] = L"Software\\Vesmarin Programs";
// Default text that no file holds: tells a missing key from an empty one.
const wchar_t kMissing[] = L"\x01\x02missing\x02\x01";

std::wstring Indexed(const wchar_t* group, int index, const wchar_t* field) {
  wchar_t key[96];
  if (field)
    swprintf(key, 96, L"%ls%d_%ls", group, index, field);
  else
    swprintf(key, 96, L"%ls%d", group, index);
  return key;
}

class Reader {
 public:
  explicit Reader(const wchar_t* file) : file_(file) {}

  int Int(const wchar_t* key, int missing) const {
    return static_cast<int>(GetPrivateProfileIntW(kSection, key, missing, file_));
  }
  int Int(const std::wstring& key, int missing) const { return Int(key.c_str(), missing); }
  // A 0/1 flag: any non-zero value is 1.
  int Flag(const wchar_t* key, int missing) const { return Int(key, missing) != 0 ? 1 : 0; }
  int Flag(const std::wstring& key, int missing) const { return Flag(key.c_str(), missing); }
  bool Present(const wchar_t* key) const {
    wchar_t probe[32];
    ReadProfileString(kSection, key, kMissing, probe, 32, file_);
    return wcscmp(probe, kMissing) != 0;
  }
  // Reads into a fixed member, cut to its width.
  template <size_t N>
  void Text(const wchar_t* key, wchar_t (&member)[N], const wchar_t* missing = L"") const {
    CopyText(member, String(key, static_cast<DWORD>(N), missing).c_str());
  }
  template <size_t N>
  void Text(const std::wstring& key, wchar_t (&member)[N], const wchar_t* missing = L"") const {
    Text(key.c_str(), member, missing);
  }
  // At most width - 1 characters. The buffer has room for one more: a
  // quoted value that fills the width then arrives whole before the profile
  // function takes its closing quote off (in a buffer just as wide it can
  // lose its last character instead).
  std::wstring String(const wchar_t* key, DWORD width, const wchar_t* missing = L"") const {
    std::wstring value(width + 1, L'\0');
    DWORD count = ReadProfileString(kSection, key, missing, &value[0], width + 1, file_);
    value.resize(count < width ? count : width - 1);
    return value;
  }
  std::wstring String(const std::wstring& key, DWORD width) const {
    return String(key.c_str(), width);
  }

 private:
  const wchar_t* file_;
};

// Greeting0..2 joined with CR LF (also around empty lines), cut to the member.
template <size_t N>
void ReadGreeting(const Reader& in, const wchar_t* group, wchar_t (&member)[N]) {
  std::wstring text;
  for (int line = 0; line < 3; ++line) {
    if (line > 0) text += L"\r\n";
    text += in.String(Indexed(group, line, nullptr), 1024);
  }
  CopyText(member, text.c_str());
}

const wchar_t* IconTypeFromIndex(int index) {
  switch (index) {
    case 1: return L"green";
    case 2: return L"yellow";
    case 3: return L"red";
    case 4: return L"blue";
    case 5: return L"custom";
    default: return L"blue";
  }
}

bool IsKnownIconType(const std::wstring& type) {
  return type == L"blue" || type == L"green" || type == L"yellow" || type == L"red" ||
         type == L"custom";
}

// Old files kept 1 for HKEY_CURRENT_USER and 2 for HKEY_LOCAL_MACHINE.
int ConvertLegacyRootKey(int value, UINT warningId) {
  if (value == 1) return 0;
  if (value == 2) return 1;
  // A batch build never waits for a person: the warning is left out there.
  if (!g_UiState.BatchMode)
    MessageBoxW(g_UiState.MainWindow, LoadResString(warningId), kBuilderCaption,
                MB_OK | MB_ICONWARNING);
  return 0;
}

int ClampMajor(int value) {
  unsigned v = static_cast<unsigned>(value);
  if (v < 5) v = 5;
  if (v > 99) v = 99;
  return static_cast<int>(v);
}

int ClampMinor(int value) {
  unsigned v = static_cast<unsigned>(value);
  return static_cast<int>(v > 99 ? 99 : v);
}

int ReadBootableOS(const Reader& in, int versionMajor) {
  int mask = 0;
  if (in.Present(L"BootableOS")) {
    mask = in.Int(L"BootableOS", 0);
  } else {
    int bootOSFlags = in.Int(L"BootOSFlags", -1);
    int bootOSFlag = in.Int(L"BootOS_Flag", -1);
    if (bootOSFlags != -1) {
      mask = bootOSFlags;
      if (mask) {
        if (mask & 0x800) mask |= 0x10002000;
        if (mask & 0x400) mask |= 0x20004000;
      }
    } else if (bootOSFlag != -1) {
      mask = bootOSFlag;
      if (mask) {
        if (mask & 0x200) mask |= 0x10002800;
        if (mask & 0x100) mask |= 0x20004400;
      }
    } else {
      mask = in.Int(L"BootableOSFlag", 0);
      if (mask) {
        if (mask & 0x80) mask |= 0x10002A00;
        if (mask & 0x40) mask |= 0x20005500;
      }
    }
  }
  if (versionMajor == 0) {
    if (mask & 0x10000000) mask |= 0x8000;
    if (mask & 0x20000000) mask |= 0x6;
  }
  return mask;
}

bool ResolveDefinitionPath(const wchar_t* path, wchar_t* resolved) {
  if (!path || !*path) return false;
  if (PathIsRelativeW(path)) {
    wchar_t current[MAX_PATH] = {};
    DWORD got = GetCurrentDirectoryW(MAX_PATH, current);
    if (got == 0 || got >= MAX_PATH) return false;
    DWORD found = SearchPathW(current, path, nullptr, MAX_PATH, resolved, nullptr);
    return found > 0 && found < MAX_PATH;
  }
  if (wcslen(path) >= MAX_PATH) return false;
  wcscpy(resolved, path);
  return true;
}

void ReadStartMenu(const Reader& in, CSfxSettings& s) {
  s.StartMenuCount = 0;
  for (int i = 0; i < kMaxStartMenuItems; ++i) {
    StartMenuItem& item = s.StartMenu[i];
    in.Text(Indexed(L"StartMenu", i, L"Title"), item.Title);
    in.Text(Indexed(L"StartMenu", i, L"TitleE"), item.TitleE);
    in.Text(Indexed(L"StartMenu", i, L"File"), item.File);
    in.Text(Indexed(L"StartMenu", i, L"FileE"), item.FileE);
    in.Text(Indexed(L"StartMenu", i, L"Args"), item.Args);
    in.Text(Indexed(L"StartMenu", i, L"ArgsE"), item.ArgsE);
    in.Text(Indexed(L"StartMenu", i, L"Comment"), item.Comment);
    in.Text(Indexed(L"StartMenu", i, L"CommentE"), item.CommentE);
    in.Text(Indexed(L"StartMenu", i, L"Icon"), item.Icon);
    in.Text(Indexed(L"StartMenu", i, L"IconE"), item.IconE);
    item.CreateOnQuickLaunch = in.Flag(Indexed(L"StartMenu", i, L"CreateOnQuickLaunch"), 0);
    item.CreateOnDesktop = in.Flag(Indexed(L"StartMenu", i, L"CreateOnDesktop"), 0);
    item.CreateOnStartup = in.Flag(Indexed(L"StartMenu", i, L"CreateOnStartup"), 0);
    item.CreateOnStartRoot = in.Flag(Indexed(L"StartMenu", i, L"CreateOnStartRoot"), 0);
    item.NoCreateInGroup = in.Flag(Indexed(L"StartMenu", i, L"NoCreateInGroup"), 0);
    // A slot is in use when it holds any text, in either language.
    const wchar_t* texts[] = {item.Title,  item.TitleE,   item.File,    item.FileE,
                              item.Args,   item.ArgsE,    item.Comment, item.CommentE,
                              item.Icon,   item.IconE};
    bool used = false;
    for (const wchar_t* text : texts) used = used || text[0] != L'\0';
    if (!used) break;
    s.StartMenuCount = i + 1;
  }
}

}  // namespace

DWORD ReadProfileString(const wchar_t* section, const wchar_t* key, const wchar_t* defaultText,
                        wchar_t* output, DWORD size, const wchar_t* file) {
  return GetPrivateProfileStringW(section, key, defaultText, output, size, file);
}

void LoadDefinitionFile(const wchar_t* path) {
  ResetSfxSettings();
  wchar_t file[MAX_PATH] = {};
  if (!ResolveDefinitionPath(path, file)) return;
  const Reader in(file);
  CSfxSettings& s = g_SfxSettings;
  const bool japanese = g_UiState.JapaneseUI;

  int versionMajor = 0;
  std::wstring version = in.String(L"Version", 100);
  if (swscanf(version.c_str(), L"%d", &versionMajor) != 1) versionMajor = 0;

  for (int i = 0;; ++i) {
    RegComSvrItem item = {};
    in.Text(Indexed(L"RegComSvr", i, L"FileName"), item.FileName);
    if (!item.FileName[0]) break;
    item.Uninstall = in.Flag(Indexed(L"RegComSvr", i, L"Uninstall"), 0);
    s.RegComSvr.push_back(item);
  }
  for (int i = 0;; ++i) {
    ExtraCopyItem item = {};
    in.Text(Indexed(L"ExtraCopy", i, L"FileName"), item.FileName);
    if (!item.FileName[0]) break;
    item.NoCopyOriginal = in.Flag(Indexed(L"ExtraCopy", i, L"NoCopyOriginal"), 0);
    int base = in.Int(Indexed(L"ExtraCopy", i, L"BaseFolder"), 0);
    item.BaseFolder = base < 0 ? 0 : (base > 15 ? 15 : base);
    in.Text(Indexed(L"ExtraCopy", i, L"ExtractFolder"), item.ExtractFolder);
    s.ExtraCopy.push_back(item);
  }

  s.UseExtensionModuleFile = in.Flag(L"UseExtensionModuleFile", 0);
  in.Text(L"ExtensionModuleFile", s.ExtensionModuleFile);
  in.Text(L"ExtensionModuleDatFile", s.ExtensionModuleDatFile);
  s.UseUninstallerExtensionModuleFile = in.Flag(L"UseUninstallerExtensionModuleFile", 0);
  in.Text(L"UninstallerExtensionModuleFile", s.UninstallerExtensionModuleFile);
  s.UseUninstallerPreProcess = in.Flag(L"UseUninstallerPreProcess", 0);
  in.Text(L"UninstallerPreProcessFile", s.UninstallerPreProcessFile);
  in.Text(L"UninstallerPreProcessArg", s.UninstallerPreProcessArg);
  in.Text(L"SrcArchiveFile", s.SrcArchiveFile);
  in.Text(L"DstExeFile", s.DstExeFile);
  in.Text(L"DialogTitle", s.DialogTitle);
  in.Text(L"DialogTitleE", s.DialogTitleE);
  if (japanese) ReadGreeting(in, L"Greeting", s.Greeting);
  ReadGreeting(in, L"GreetingE", s.GreetingE);
  in.Text(L"VesmarinFor", s.VesmarinFor, kDefaultVesmarinFor);
  if (japanese)
    in.Text(L"VesmarinForE", s.VesmarinForE, kDefaultVesmarinFor);
  else
    s.VesmarinForE[0] = L'\0';

  in.Text(L"IconFile", s.IconFile);
  int useIconFile = in.Int(L"UseIconFile", 0);
  int iconTypeIndex = in.Int(L"IconTypeIndex", -1);
  std::wstring iconType = in.String(L"IconType", 260, L"blue");
  if (useIconFile != 0)
    s.IconType = s.IconFile[0] ? L"custom" : L"blue";
  else if (iconTypeIndex != -1)
    s.IconType = IconTypeFromIndex(iconTypeIndex);
  else
    s.IconType = IsKnownIconType(iconType) ? iconType : L"blue";

  s.UseBannerFile = in.Int(L"UseBannerFile", 0);
  s.NoExtractBannerFile = in.Int(L"NoExtractBannerFile", 0);
  in.Text(L"BannerFile", s.BannerFile);
  s.UseURL = in.Int(L"UseURL", 0);
  in.Text(L"HPTitle", s.HPTitle);
  if (japanese) in.Text(L"HPTitleE", s.HPTitleE);
  in.Text(L"URL", s.URL);
  in.Text(L"URLE", s.URLE);
  if (!japanese && !s.URL[0]) {
    CopyText(s.URL, s.URLE);
    s.URLE[0] = L'\0';
  }
  s.FailIfPathRegNotExist = in.Int(L"FailIfPathRegNotExist", 0);
  s.OnlyAdmin = in.Int(L"OnlyAdmin", 0);
  s.DenyUsers = in.Int(L"DenyUsers", 0);
  s.NoCRCCheck = in.Int(L"NoCRCCheck", 0);
  s.BootOSCheck = in.Int(L"BootOSCheck", 0);
  s.BootableOS = ReadBootableOS(in, versionMajor);
  s.Deny64bitMode = in.Int(L"Deny64bitMode", 0);
  s.CheckTrust = in.Int(L"CheckTrust", 0);
  s.UseNewWizard = in.Flag(L"UseNewWizard", 1);
  s.NoUI = in.Flag(L"NoUI", 0);
  s.UltraSilentInstall = in.Flag(L"UltraSilentInstall", 0);
  in.Text(L"SilentizeSwitch", s.SilentizeSwitch);
  s.UsePanelBitmap = in.Int(L"UsePanelBitmap", 0);
  s.NoExtractPanelBitmap = in.Int(L"NoExtractPanelBitmap", 0);
  in.Text(L"PanelBitmap", s.PanelBitmap);
  s.UseWiz97PanelBitmap = in.Int(L"UseWiz97PanelBitmap", 0);
  s.NoExtractWiz97PanelBitmap = in.Int(L"NoExtractWiz97PanelBitmap", 0);
  in.Text(L"Wiz97PanelBitmap", s.Wiz97PanelBitmap);
  s.DontShowQXLogoOnWiz = in.Flag(L"DontShowQXLogoOnWiz", 0);
  s.UseBackScreen = in.Int(L"UseBackScreen", 0);
  in.Text(L"BackScreenText", s.BackScreenText);
  in.Text(L"BackScreenTextE", s.BackScreenTextE);
  {
    std::wstring colour = in.String(L"BackScreenColor", 100, L"0,0,255");
    int red = 0, green = 0, blue = 255;
    swscanf(colour.c_str(), L"%d,%d,%d", &red, &green, &blue);
    s.BackScreenColor = RGB(red & 0xFF, green & 0xFF, blue & 0xFF);
  }
  in.Text(L"BackScreenLogoBmp", s.BackScreenLogoBmp);
  s.UseBackScreenLogoBmp = in.Int(L"UseBackScreenLogoBmp", 0);
  s.ExtractScreenLogo = in.Int(L"ExtractScreenLogo", 1);
  s.UseExplain = in.Int(L"UseExplain", 0);
  in.Text(L"ExplainFile", s.ExplainFile);
  in.Text(L"ExplainFileE", s.ExplainFileE);
  s.NoExtractExplainFile = in.Int(L"NoExtractExplainFile", 0);
  s.ExplainToConsent = in.Int(L"ExplainToConsent", 0);
  s.ExplainAllRead = in.Int(L"ExplainAllRead", 0);
  s.ExplainNoSkipTextChanged = in.Int(L"ExplainNoSkipTextChanged", 0);
  s.UseSaveExplainShowFlag = in.Int(L"UseSaveExplainShowFlag", 0);
  {
    int legacy = in.Int(L"SaveExplainShowFlagRootKey", -1);
    if (legacy != -1)
      s.SaveExplainShowFlag_RootKey = ConvertLegacyRootKey(legacy, IDS_LEGACY_EXPLAIN_ROOTKEY);
    else
      s.SaveExplainShowFlag_RootKey = in.Int(L"SaveExplainShowFlag_RootKey", 1);
  }
  in.Text(L"SaveExplainShowFlagKey", s.SaveExplainShowFlagKey, kDefaultRegistryKey);
  in.Text(L"SaveExplainShowFlagValue", s.SaveExplainShowFlagValue, L"SetupShowExplainFlag");
  s.AskExtPath = in.Int(L"AskExtPath", 1);
  s.UseExtractFolder = in.Int(L"UseExtractFolder", 0);
  s.BaseFolder = in.Int(L"BaseFolder", 0);
  in.Text(L"ExtractFolder", s.ExtractFolder);
  s.AskOverwrite = in.Int(L"AskOverwrite", 0);
  s.HideAskOverWrite = in.Int(L"HideAskOverWrite", 0);
  s.AddFileTitle = in.Int(L"AddFileTitle", 0);
  s.WithAttribute = in.Int(L"WithAttribute", 0);
  s.NoAskMakeDir = in.Int(L"NoAskMakeDir", 0);
  s.ForceUninstallDir = in.Int(L"ForceUninstallDir", 0);
  s.OverWriteMethod = in.Int(L"OverWriteMethod", 0);
  if (s.OverWriteMethod == 2) s.OnlyAdmin = 1;
  s.NoSaveInstallPath = in.Int(L"NoSaveInstallPath", 0);
  s.NoOverwriteNewTimeStamp = in.Int(L"NoOverwriteNewTimeStamp", 0);
  s.NoOpenFolderOnEnd = in.Int(L"NoOpenFolderOnEnd", 0);
  s.ShowForceOverwrite = in.Int(L"ShowForceOverwrite", 0);
  s.UseSavePath = in.Int(L"UseSavePath", 0);
  {
    int legacy = in.Int(L"SavePathRootKey", -1);
    if (legacy != -1)
      s.SavePath_RootKey = ConvertLegacyRootKey(legacy, IDS_LEGACY_SAVEPATH_ROOTKEY);
    else
      s.SavePath_RootKey = in.Int(L"SavePath_RootKey", 0);
  }
  in.Text(L"SavePathKey", s.SavePathKey, kDefaultRegistryKey);
  in.Text(L"SavePathValue", s.SavePathValue, L"InstallPath");
  s.UseStartMenu = in.Int(L"UseStartMenu", 0);
  if (japanese)
    in.Text(L"StartMenuGroup", s.StartMenuGroup);
  else
    s.StartMenuGroup[0] = L'\0';
  in.Text(L"StartMenuGroupE", s.StartMenuGroupE);
  s.StartMenuToCommon = in.Int(L"StartMenuToCommon", 1);
  s.StartMenuDSQDefaultOn = in.Int(L"StartMenuDSQDefaultOn", 0);
  s.StartMenuDSQNoConfirm = in.Int(L"StartMenuDSQNoConfirm", 0);
  ReadStartMenu(in, s);

  s.UseUnInstall = in.Int(L"UseUnInstall", 0);
  s.UseVesmarinUninstaller = in.Int(L"UseVesmarinUninstaller", 0);
  if (s.UseUnInstall != 0)
    s.DenyUsers = 1;
  else
    s.UseVesmarinUninstaller = 0;
  in.Text(L"UseVesmarinUninstallerFolder", s.UseVesmarinUninstallerFolder);
  in.Text(L"UnInstallTitle", s.UnInstallTitle);
  in.Text(L"UnInstallTitleE", s.UnInstallTitleE);
  in.Text(L"UnInstallKey", s.UnInstallKey);
  in.Text(L"UnInstallFile", s.UnInstallFile);
  in.Text(L"UnInstallArgs", s.UnInstallArgs);
  in.Text(L"UninstIconFile", s.UninstIconFile);
  in.Text(L"UnInstallPublisher", s.UnInstallPublisher);
  in.Text(L"UnInstallSupportLink", s.UnInstallSupportLink);
  in.Text(L"UnInstallHelpLink", s.UnInstallHelpLink);
  in.Text(L"UnInstallUpdateLink", s.UnInstallUpdateLink);
  in.Text(L"UnInstallPublisherE", s.UnInstallPublisherE);
  in.Text(L"UnInstallSupportLinkE", s.UnInstallSupportLinkE);
  in.Text(L"UnInstallHelpLinkE", s.UnInstallHelpLinkE);
  in.Text(L"UnInstallUpdateLinkE", s.UnInstallUpdateLinkE);
  s.UnInstallSetVersion = in.Int(L"UnInstallSetVersion", 0);
  s.UnInstallAutoSetVersion = in.Int(L"UnInstallAutoSetVersion", 0);
  in.Text(L"UnInstallVersion", s.UnInstallVersion);
  in.Text(L"UnInstallAutoSetVersionFile", s.UnInstallAutoSetVersionFile);
  s.UnInstallAutoSetSize = in.Int(L"UnInstallAutoSetSize", 0);
  s.UninstallRebootable = in.Int(L"UninstallRebootable", 1);
  s.AutoUninstIni = in.Int(L"AutoUninstIni", 0);
  s.AutoDeleteDat = in.Int(L"AutoDeleteDat", 0);
  s.HollmereUserProvide = in.Int(L"HollmereUserProvide", 0);
  in.Text(L"HollmereUserProvideFile", s.HollmereUserProvideFile);

  s.Use64bitStub = in.Flag(L"64bitSFX", 0) != 0;
  s.ModifyOSVersion = in.Flag(L"ModifyOSVersion", 0) != 0;
  s.ModifySubSysVersion = in.Flag(L"ModifySubSysVersion", 0) != 0;
  s.SFXOSMajor = ClampMajor(in.Int(L"SFXOSMajor", 4));
  s.SFXOSMinor = ClampMinor(in.Int(L"SFXOSMinor", 0));
  s.SFXSubSysMajor = ClampMajor(in.Int(L"SFXSubSysMajor", 4));
  s.SFXSubSysMinor = ClampMinor(in.Int(L"SFXSubSysMinor", 0));
  if (in.Int(L"ModifyManifest", 0) != 0)
    s.ManifestType = 2;
  else
    s.ManifestType = in.Int(L"ManifestType", 0);
  in.Text(L"ManifestFile", s.ManifestFile);

  s.UninstallRegCount = 0;
  for (int i = 0; i < kMaxUninstallRegs; ++i) {
    std::wstring key = in.String(Indexed(L"UninstallReg", i, nullptr), 260);
    if (key.empty()) break;
    s.UninstallReg[i] = key;
    s.UninstallRegCount = i + 1;
  }

  s.UseAutoExecute = in.Int(L"UseAutoExecute", 0);
  in.Text(L"CmdLine", s.CmdLine);
  in.Text(L"CmdArgs", s.CmdArgs);
  s.CmdNonElevate = in.Flag(L"CmdNonElevate", 0) != 0;
  s.AfterDeleteFiles = in.Int(L"AfterDeleteFiles", 0);
  s.SkipInstallCompletePageOnAutoExec = in.Int(L"SkipInstallCompletePageOnAutoExec", 1);
  in.Text(L"PassRebootSwitch", s.PassRebootSwitch);
  s.WaitForAutoExecute = in.Int(L"WaitForAutoExecute", 0);
  s.AutoExecCount = kMaxAutoExecItems;
  for (int i = 0; i < kMaxAutoExecItems; ++i) {
    AutoExecItem& item = s.AutoExec[i];
    in.Text(Indexed(L"AutoExec", i, L"File"), item.File);
    in.Text(Indexed(L"AutoExec", i, L"Args"), item.Args);
    item.NonElevate = in.Flag(Indexed(L"AutoExec", i, L"NonElevate"), 0) != 0;
    if (!item.File[0] && !item.Args[0]) {
      s.AutoExecCount = i;
      break;
    }
  }

  {
    std::wstring message = in.String(L"OSCheckErrorMsg", 1000);
    std::wstring converted;
    for (size_t i = 0; i < message.size(); ++i) {
      if (message[i] == L'\\' && i + 1 < message.size() && message[i + 1] == L'n') {
        converted += L"\r\n";
        ++i;
      } else {
        converted += message[i];
      }
    }
    CopyText(s.OSCheckErrorMsg, converted.c_str());
  }
  s.HollmereHideLogButton = in.Int(L"HollmereHideLogButton", 0);
  s.UseCabTimeZoneBias = in.Flag(L"UseCabTimeZoneBias", 0) != 0;
  s.CabTimeZoneBias = in.Int(L"CabTimeZoneBias", 9);
}

// --- Saving ---------------------------------------------------------------------

namespace {

// Whether the profile functions drop the character at either end of a
// value they read: blanks (C1_SPACE) and control characters.
bool IsTrimmedAtValueEnds(wchar_t c) {
  WORD type = 0;
  return c <= L' ' || (GetStringTypeW(CT_CTYPE1, &c, 1, &type) && (type & C1_SPACE));
}

bool IsQuoteMark(wchar_t c) { return c == L'"' || c == L'\''; }

// A text value as it is written so that it reads back exactly: the profile
// functions trim blanks at both ends of a value and take one pair of
// enclosing quotes off it, so a value that begins or ends with a blank or a
// quote mark is written in one pair of double quotes. Every other value is
// written as it is, and files read as they always did.
std::wstring QuotedProfileValue(const wchar_t* value) {
  const size_t length = wcslen(value);
  if (length == 0) return value;
  const wchar_t first = value[0];
  const wchar_t last = value[length - 1];
  if (IsTrimmedAtValueEnds(first) || IsTrimmedAtValueEnds(last) || IsQuoteMark(first) ||
      IsQuoteMark(last))
    return L"\"" + std::wstring(value) + L"\"";
  return value;
}

class Writer {
 public:
  explicit Writer(const wchar_t* file) : file_(file) {}

  void Text(const wchar_t* key, const wchar_t* value) const {
    WritePrivateProfileStringW(kSection, key, QuotedProfileValue(value).c_str(), file_);
  }
  void Text(const std::wstring& key, const wchar_t* value) const { Text(key.c_str(), value); }
  void Flag(const wchar_t* key, int value) const { Text(key, value ? L"1" : L"0"); }
  void Flag(const std::wstring& key, int value) const { Flag(key.c_str(), value); }
  void Signed(const wchar_t* key, int value) const {
    wchar_t text[16];
    swprintf(text, 16, L"%d", value);
    Text(key, text);
  }
  void Signed(const std::wstring& key, int value) const { Signed(key.c_str(), value); }
  void Unsigned(const wchar_t* key, int value) const {
    wchar_t text[16];
    swprintf(text, 16, L"%u", static_cast<unsigned>(value));
    Text(key, text);
  }

 private:
  const wchar_t* file_;
};

// Line k of the text goes to group{k}; at least three lines are written.
void WriteGreeting(const Writer& out, const wchar_t* group, const wchar_t* text) {
  std::wstring line;
  int index = 0;
  for (const wchar_t* p = text;; ++p) {
    if (*p == L'\n' || *p == L'\0') {
      out.Text(Indexed(group, index++, nullptr), line.c_str());
      line.clear();
      if (*p == L'\0') break;
    } else if (*p != L'\r') {
      line += *p;
    }
  }
  while (index < 3) out.Text(Indexed(group, index++, nullptr), L"");
}

bool CreateEmptyDefinitionFile(const wchar_t* path) {
  FILE* file = _wfopen(path, L"wb");
  if (!file) {
    int error = errno;
    if (!g_UiState.BatchMode) {
      std::wstring message = LoadResString(IDS_RESULT_CREATE);
      message += L"\n\n";
      message += _wcserror(error);
      MessageBoxW(g_UiState.MainWindow, message.c_str(), kBuilderCaption, MB_OK | MB_ICONERROR);
    }
    return false;
  }
  static const unsigned char kHead[] = {0xFF, 0xFE};
  fwrite(kHead, 1, sizeof kHead, file);
  const wchar_t* section = L"[Vesmarin]\r\n";
  for (const wchar_t* p = section; *p; ++p) {
    unsigned char bytes[2] = {static_cast<unsigned char>(*p & 0xFF),
                              static_cast<unsigned char>(*p >> 8)};
    fwrite(bytes, 1, 2, file);
  }
  fclose(file);
  return true;
}

}  // namespace

void SaveDefinitionFile(const wchar_t* path) {
  if (!path || !*path) return;
  if (!CreateEmptyDefinitionFile(path)) return;
  // The profile functions look a bare name up in the Windows folder.
  wchar_t file[MAX_PATH] = {};
  DWORD got = GetFullPathNameW(path, MAX_PATH, file, nullptr);
  if (got == 0 || got >= MAX_PATH) return;
  const Writer out(file);
  const CSfxSettings& s = g_SfxSettings;
  const bool japanese = g_UiState.JapaneseUI;

  {
    wchar_t own[MAX_PATH] = {};
    wchar_t version[100] = {};
    GetModuleFileNameW(nullptr, own, MAX_PATH);
    if (!GetFileVersionText(own, version, 100) || !version[0]) wcscpy(version, L"0.00");
    out.Text(L"Version", version);
  }
  for (size_t i = 0; i < s.RegComSvr.size(); ++i) {
    int n = static_cast<int>(i);
    out.Text(Indexed(L"RegComSvr", n, L"FileName"), s.RegComSvr[i].FileName);
    out.Flag(Indexed(L"RegComSvr", n, L"Uninstall"), s.RegComSvr[i].Uninstall);
  }
  for (size_t i = 0; i < s.ExtraCopy.size(); ++i) {
    int n = static_cast<int>(i);
    const ExtraCopyItem& item = s.ExtraCopy[i];
    out.Text(Indexed(L"ExtraCopy", n, L"FileName"), item.FileName);
    out.Flag(Indexed(L"ExtraCopy", n, L"NoCopyOriginal"), item.NoCopyOriginal);
    out.Signed(Indexed(L"ExtraCopy", n, L"BaseFolder"), item.BaseFolder);
    out.Text(Indexed(L"ExtraCopy", n, L"ExtractFolder"), item.ExtractFolder);
  }
  out.Flag(L"UseExtensionModuleFile", s.UseExtensionModuleFile);
  out.Text(L"ExtensionModuleFile", s.ExtensionModuleFile);
  out.Text(L"ExtensionModuleDatFile", s.ExtensionModuleDatFile);
  out.Flag(L"UseUninstallerExtensionModuleFile", s.UseUninstallerExtensionModuleFile);
  out.Text(L"UninstallerExtensionModuleFile", s.UninstallerExtensionModuleFile);
  out.Flag(L"UseUninstallerPreProcess", s.UseUninstallerPreProcess);
  out.Text(L"UninstallerPreProcessFile", s.UninstallerPreProcessFile);
  out.Text(L"UninstallerPreProcessArg", s.UninstallerPreProcessArg);
  out.Text(L"SrcArchiveFile", s.SrcArchiveFile);
  out.Text(L"DstExeFile", s.DstExeFile);
  out.Text(L"DialogTitle", s.DialogTitle);
  out.Text(L"DialogTitleE", s.DialogTitleE);
  out.Text(L"VesmarinFor", s.VesmarinFor);
  if (japanese) {
    out.Text(L"VesmarinForE", s.VesmarinForE);
    WriteGreeting(out, L"Greeting", s.Greeting);
  }
  WriteGreeting(out, L"GreetingE", s.GreetingE);
  out.Text(L"IconFile", s.IconFile);
  out.Text(L"IconType", s.IconType.c_str());
  out.Flag(L"UseBannerFile", s.UseBannerFile);
  out.Flag(L"NoExtractBannerFile", s.NoExtractBannerFile);
  out.Text(L"BannerFile", s.BannerFile);
  out.Flag(L"UseURL", s.UseURL);
  out.Text(L"HPTitle", s.HPTitle);
  out.Text(L"HPTitleE", s.HPTitleE);
  out.Text(L"URL", s.URL);
  out.Text(L"URLE", s.URLE);
  out.Flag(L"NoSaveInstallPath", s.NoSaveInstallPath);
  out.Flag(L"FailIfPathRegNotExist", s.FailIfPathRegNotExist);
  out.Flag(L"OnlyAdmin", s.OnlyAdmin);
  out.Flag(L"DenyUsers", s.DenyUsers);
  out.Flag(L"NoCRCCheck", s.NoCRCCheck);
  out.Flag(L"BootOSCheck", s.BootOSCheck);
  out.Signed(L"BootableOS", s.BootableOS);
  out.Flag(L"Deny64bitMode", s.Deny64bitMode);
  out.Flag(L"CheckTrust", s.CheckTrust);
  out.Flag(L"UseNewWizard", s.UseNewWizard);
  out.Flag(L"NoUI", s.NoUI);
  out.Flag(L"UltraSilentInstall", s.UltraSilentInstall);
  out.Text(L"SilentizeSwitch", s.SilentizeSwitch);
  out.Flag(L"UsePanelBitmap", s.UsePanelBitmap);
  out.Flag(L"NoExtractPanelBitmap", s.NoExtractPanelBitmap);
  out.Text(L"PanelBitmap", s.PanelBitmap);
  out.Flag(L"UseWiz97PanelBitmap", s.UseWiz97PanelBitmap);
  out.Flag(L"NoExtractWiz97PanelBitmap", s.NoExtractWiz97PanelBitmap);
  out.Text(L"Wiz97PanelBitmap", s.Wiz97PanelBitmap);
  out.Flag(L"DontShowQXLogoOnWiz", s.DontShowQXLogoOnWiz);
  out.Flag(L"UseBackScreen", s.UseBackScreen);
  out.Text(L"BackScreenText", s.BackScreenText);
  out.Text(L"BackScreenTextE", s.BackScreenTextE);
  {
    wchar_t colour[48];
    swprintf(colour, 48, L"%u,%u,%u", GetRValue(s.BackScreenColor),
             GetGValue(s.BackScreenColor), GetBValue(s.BackScreenColor));
    out.Text(L"BackScreenColor", colour);
  }
  out.Text(L"BackScreenLogoBmp", s.BackScreenLogoBmp);
  out.Flag(L"UseBackScreenLogoBmp", s.UseBackScreenLogoBmp);
  out.Flag(L"ExtractScreenLogo", s.ExtractScreenLogo);
  out.Flag(L"UseExplain", s.UseExplain);
  out.Text(L"ExplainFile", s.ExplainFile);
  out.Text(L"ExplainFileE", s.ExplainFileE);
  out.Flag(L"NoExtractExplainFile", s.NoExtractExplainFile);
  out.Flag(L"ExplainToConsent", s.ExplainToConsent);
  out.Flag(L"ExplainAllRead", s.ExplainAllRead);
  out.Flag(L"ExplainNoSkipTextChanged", s.ExplainNoSkipTextChanged);
  out.Flag(L"UseSaveExplainShowFlag", s.UseSaveExplainShowFlag);
  out.Signed(L"SaveExplainShowFlag_RootKey", s.SaveExplainShowFlag_RootKey);
  out.Text(L"SaveExplainShowFlagKey", s.SaveExplainShowFlagKey);
  out.Text(L"SaveExplainShowFlagValue", s.SaveExplainShowFlagValue);
  out.Flag(L"AskExtPath", s.AskExtPath);
  out.Flag(L"UseExtractFolder", s.UseExtractFolder);
  out.Signed(L"BaseFolder", s.BaseFolder);
  out.Text(L"ExtractFolder", s.ExtractFolder);
  out.Flag(L"AskOverwrite", s.AskOverwrite);
  out.Flag(L"HideAskOverWrite", s.HideAskOverWrite);
  out.Flag(L"AddFileTitle", s.AddFileTitle);
  out.Flag(L"WithAttribute", s.WithAttribute);
  out.Flag(L"NoAskMakeDir", s.NoAskMakeDir);
  out.Flag(L"ForceUninstallDir", s.ForceUninstallDir);
  out.Signed(L"OverWriteMethod", s.OverWriteMethod);
  out.Flag(L"NoOverwriteNewTimeStamp", s.NoOverwriteNewTimeStamp);
  out.Flag(L"NoOpenFolderOnEnd", s.NoOpenFolderOnEnd);
  out.Flag(L"ShowForceOverwrite", s.ShowForceOverwrite);
  out.Flag(L"UseSavePath", s.UseSavePath);
  out.Signed(L"SavePath_RootKey", s.SavePath_RootKey);
  out.Text(L"SavePathKey", s.SavePathKey);
  out.Text(L"SavePathValue", s.SavePathValue);
  out.Flag(L"StartMenuToCommon", s.StartMenuToCommon);
  out.Flag(L"StartMenuDSQDefaultOn", s.StartMenuDSQDefaultOn);
  out.Flag(L"StartMenuDSQNoConfirm", s.StartMenuDSQNoConfirm);
  out.Flag(L"UseStartMenu", s.UseStartMenu);
  if (japanese) out.Text(L"StartMenuGroup", s.StartMenuGroup);
  out.Text(L"StartMenuGroupE", s.StartMenuGroupE);
  for (int i = 0; i < s.StartMenuCount && i < kMaxStartMenuItems; ++i) {
    const StartMenuItem& item = s.StartMenu[i];
    out.Text(Indexed(L"StartMenu", i, L"Title"), item.Title);
    out.Text(Indexed(L"StartMenu", i, L"TitleE"), item.TitleE);
    out.Text(Indexed(L"StartMenu", i, L"File"), item.File);
    out.Text(Indexed(L"StartMenu", i, L"FileE"), item.FileE);
    out.Text(Indexed(L"StartMenu", i, L"Args"), item.Args);
    out.Text(Indexed(L"StartMenu", i, L"ArgsE"), item.ArgsE);
    out.Text(Indexed(L"StartMenu", i, L"Comment"), item.Comment);
    out.Text(Indexed(L"StartMenu", i, L"CommentE"), item.CommentE);
    out.Text(Indexed(L"StartMenu", i, L"Icon"), item.Icon);
    out.Text(Indexed(L"StartMenu", i, L"IconE"), item.IconE);
    out.Flag(Indexed(L"StartMenu", i, L"CreateOnQuickLaunch"), item.CreateOnQuickLaunch);
    out.Flag(Indexed(L"StartMenu", i, L"CreateOnDesktop"), item.CreateOnDesktop);
    out.Flag(Indexed(L"StartMenu", i, L"CreateOnStartup"), item.CreateOnStartup);
    out.Flag(Indexed(L"StartMenu", i, L"CreateOnStartRoot"), item.CreateOnStartRoot);
    out.Flag(Indexed(L"StartMenu", i, L"NoCreateInGroup"), item.NoCreateInGroup);
  }
  out.Flag(L"UseUnInstall", s.UseUnInstall);
  out.Flag(L"UseVesmarinUninstaller", s.UseVesmarinUninstaller);
  out.Text(L"UseVesmarinUninstallerFolder", s.UseVesmarinUninstallerFolder);
  out.Text(L"UnInstallTitle", s.UnInstallTitle);
  out.Text(L"UnInstallTitleE", s.UnInstallTitleE);
  out.Text(L"UnInstallKey", s.UnInstallKey);
  out.Text(L"UnInstallFile", s.UnInstallFile);
  out.Text(L"UnInstallArgs", s.UnInstallArgs);
  out.Text(L"UninstIconFile", s.UninstIconFile);
  out.Flag(L"UninstallRebootable", s.UninstallRebootable);
  out.Flag(L"AutoUninstIni", s.AutoUninstIni);
  out.Flag(L"AutoDeleteDat", s.AutoDeleteDat);
  out.Flag(L"HollmereUserProvide", s.HollmereUserProvide);
  out.Text(L"HollmereUserProvideFile", s.HollmereUserProvideFile);
  out.Text(L"UnInstallPublisher", s.UnInstallPublisher);
  out.Text(L"UnInstallSupportLink", s.UnInstallSupportLink);
  out.Text(L"UnInstallHelpLink", s.UnInstallHelpLink);
  out.Text(L"UnInstallUpdateLink", s.UnInstallUpdateLink);
  out.Text(L"UnInstallPublisherE", s.UnInstallPublisherE);
  out.Text(L"UnInstallSupportLinkE", s.UnInstallSupportLinkE);
  out.Text(L"UnInstallHelpLinkE", s.UnInstallHelpLinkE);
  out.Text(L"UnInstallUpdateLinkE", s.UnInstallUpdateLinkE);
  out.Flag(L"UnInstallSetVersion", s.UnInstallSetVersion);
  out.Flag(L"UnInstallAutoSetVersion", s.UnInstallAutoSetVersion);
  out.Text(L"UnInstallVersion", s.UnInstallVersion);
  out.Text(L"UnInstallAutoSetVersionFile", s.UnInstallAutoSetVersionFile);
  out.Flag(L"UnInstallAutoSetSize", s.UnInstallAutoSetSize);
  for (int i = 0; i < s.UninstallRegCount && i < kMaxUninstallRegs; ++i)
    out.Text(Indexed(L"UninstallReg", i, nullptr), s.UninstallReg[i].c_str());
  out.Flag(L"UseAutoExecute", s.UseAutoExecute);
  out.Text(L"CmdLine", s.CmdLine);
  out.Text(L"CmdArgs", s.CmdArgs);
  out.Flag(L"CmdNonElevate", s.CmdNonElevate);
  out.Flag(L"AfterDeleteFiles", s.AfterDeleteFiles);
  out.Flag(L"SkipInstallCompletePageOnAutoExec", s.SkipInstallCompletePageOnAutoExec);
  if (s.PassRebootSwitch[0]) out.Text(L"PassRebootSwitch", s.PassRebootSwitch);
  if (s.WaitForAutoExecute) out.Text(L"WaitForAutoExecute", L"1");
  for (int i = 0; i < s.AutoExecCount && i < kMaxAutoExecItems; ++i) {
    out.Text(Indexed(L"AutoExec", i, L"File"), s.AutoExec[i].File);
    out.Text(Indexed(L"AutoExec", i, L"Args"), s.AutoExec[i].Args);
    out.Flag(Indexed(L"AutoExec", i, L"NonElevate"), s.AutoExec[i].NonElevate);
  }
  out.Flag(L"64bitSFX", s.Use64bitStub);
  out.Flag(L"ModifyOSVersion", s.ModifyOSVersion);
  out.Flag(L"ModifySubSysVersion", s.ModifySubSysVersion);
  out.Unsigned(L"SFXOSMajor", s.SFXOSMajor);
  out.Unsigned(L"SFXOSMinor", s.SFXOSMinor);
  out.Unsigned(L"SFXSubSysMajor", s.SFXSubSysMajor);
  out.Unsigned(L"SFXSubSysMinor", s.SFXSubSysMinor);
  out.Unsigned(L"ManifestType", s.ManifestType);
  out.Text(L"ManifestFile", s.ManifestFile);
  if (s.OSCheckErrorMsg[0]) {
    std::wstring message;
    for (const wchar_t* p = s.OSCheckErrorMsg; *p; ++p) {
      if (p[0] == L'\r' && p[1] == L'\n') {
        message += L"\\n";
        ++p;
      } else {
        message += *p;
      }
    }
    out.Text(L"OSCheckErrorMsg", message.c_str());
  }
  if (s.HollmereHideLogButton) out.Text(L"HollmereHideLogButton", L"1");
  if (s.UseCabTimeZoneBias) {
    out.Text(L"UseCabTimeZoneBias", L"1");
    out.Signed(L"CabTimeZoneBias", s.CabTimeZoneBias);
  }
  WritePrivateProfileStringW(nullptr, nullptr, nullptr, file);
}

bool GetDefaultDefinitionPath(wchar_t* output) {
  if (!output) return false;
  wchar_t folder[MAX_PATH] = {};
  if (GetShellFolderPath(nullptr, CSIDL_APPDATA, folder)) {
    wchar_t maker[MAX_PATH] = {};
    wchar_t product[MAX_PATH] = {};
    wchar_t file[MAX_PATH] = {};
    if (!CombinePath(maker, folder, L"Kelvadon")) return false;
    if (!CombinePath(product, maker, L"Vesmarin 6")) return false;
    CreateDirectoryTree(product);
    if (!CombinePath(file, product, L"Vesmarin.ini")) return false;
    wcscpy(output, file);
    return true;
  }
  wchar_t own[MAX_PATH] = {};
  DWORD got = GetModuleFileNameW(nullptr, own, MAX_PATH);
  if (got == 0 || got >= MAX_PATH) return false;
  if (!RemoveFileNamePart(own)) return false;
  wchar_t file[MAX_PATH] = {};
  if (!CombinePath(file, own, L"Vesmarin.ini")) return false;
  wcscpy(output, file);
  return true;
}

void SaveDefaultDefinitionFile() {
  wchar_t path[MAX_PATH] = {};
  if (GetDefaultDefinitionPath(path)) SaveDefinitionFile(path);
}
