#include "DefinitionKeys.h"

#include <cwchar>
#include <iterator>
#include <string>
#include <type_traits>
#include <utility>

#include "BuilderState.h"
#include "DefinitionSlots.h"
#include "DefinitionValues.h"
#include "ResultCodes.h"
#include "VersionQueries.h"

namespace {

using S = CSfxSettings;

const wchar_t kDefaultRegistryKey[] = L"Software\\Vesmarin Programs";

// How a key's value is read and written.
enum class Form : unsigned char {
  Text,      // as the member holds it; read cut to the member's width
  Int,       // read as a number, written as a flag "1"/"0"
  Flag,      // read as 0/1 (any non-zero value is 1), written as a flag
  Signed,    // a number, written "%d"
  Unsigned,  // a number, written "%u"
  Lines,     // three keys <name>0..2, one line each
  Own,       // read and written by the key's own functions
};

// Which interface languages read, write and default a key.
enum class Language : unsigned char {
  Any,
  JapaneseUi,        // only with a Japanese interface: else left out, not read, no default
  ReadInJapaneseUi,  // always written, read only with a Japanese interface
};

enum class Storage : unsigned char { None, Int, Bool, Colour, Text, String };

using ReadFn = void (*)(const DefinitionReader&, S&);
using WriteFn = void (*)(const DefinitionWriter&, const S&);

// One row of the table. The modifiers return a changed copy, so that a key
// is one line: Int<&S::AskExtPath>(L"AskExtPath").Missing(1).Reset(1).
struct Key {
  const wchar_t* name = nullptr;
  Form form = Form::Own;
  Storage storage = Storage::None;
  void* (*at)(S&) = nullptr;  // the member, when the key has one
  int width = 0;              // characters of a text member, its NUL included
  int missing = 0;
  const wchar_t* missingText = L"";
  bool hasReset = false;
  int reset = 0;
  const wchar_t* resetText = nullptr;
  Language language = Language::Any;
  const wchar_t* readAfter = nullptr;  // read right after this key, not in table order
  bool writtenWhenSet = false;         // left out while the member is 0 or empty
  bool (*writtenWhen)(const S&) = nullptr;
  int (*adjust)(int) = nullptr;        // applied to the number read
  void (*then)(S&, bool japanese) = nullptr;  // rule run once the value is read
  ReadFn read = nullptr;               // own reading (form Own, or ReadBy)
  WriteFn write = nullptr;             // own writing (form Own)

  constexpr Key Missing(int v) const { Key k = *this; k.missing = v; return k; }
  constexpr Key Missing(const wchar_t* v) const { Key k = *this; k.missingText = v; return k; }
  constexpr Key Reset(int v) const { Key k = *this; k.hasReset = true; k.reset = v; return k; }
  constexpr Key Reset(const wchar_t* v) const { Key k = Reset(0); k.resetText = v; return k; }
  constexpr Key In(Language v) const { Key k = *this; k.language = v; return k; }
  constexpr Key JapaneseUiOnly() const { return In(Language::JapaneseUi); }
  constexpr Key ReadInJapaneseUiOnly() const { return In(Language::ReadInJapaneseUi); }
  constexpr Key ReadAfter(const wchar_t* v) const { Key k = *this; k.readAfter = v; return k; }
  constexpr Key WrittenWhenSet() const { Key k = *this; k.writtenWhenSet = true; return k; }
  constexpr Key WrittenWhen(bool (*v)(const S&)) const {
    Key k = *this;
    k.writtenWhen = v;
    return k;
  }
  constexpr Key Adjust(int (*v)(int)) const { Key k = *this; k.adjust = v; return k; }
  constexpr Key Then(void (*v)(S&, bool)) const { Key k = *this; k.then = v; return k; }
  constexpr Key ReadBy(ReadFn v) const { Key k = *this; k.read = v; return k; }
};

template <auto M>
void* At(S& s) { return &(s.*M); }

// A key of the member M, of a form that suits the member's type.
template <Form F, auto M>
constexpr Key MemberKey(const wchar_t* name) {
  using T = std::remove_reference_t<decltype(std::declval<S&>().*M)>;
  constexpr bool text = std::is_same_v<std::remove_extent_t<T>, wchar_t> && std::is_array_v<T>;
  constexpr bool number = std::is_same_v<T, int> || std::is_same_v<T, bool>;
  static_assert(F == Form::Own || ((F == Form::Text || F == Form::Lines) ? text : number),
                "the form does not suit the member");
  Key k;
  k.name = name;
  k.form = F;
  k.at = &At<M>;
  if constexpr (std::is_same_v<T, bool>) k.storage = Storage::Bool;
  else if constexpr (std::is_same_v<T, COLORREF>) k.storage = Storage::Colour;
  else if constexpr (std::is_same_v<T, std::wstring>) k.storage = Storage::String;
  else if constexpr (!text) k.storage = Storage::Int;
  else {
    k.storage = Storage::Text;
    k.width = static_cast<int>(std::extent_v<T>);
  }
  return k;
}

template <auto M> constexpr Key Text(const wchar_t* n) { return MemberKey<Form::Text, M>(n); }
template <auto M> constexpr Key Lines(const wchar_t* n) { return MemberKey<Form::Lines, M>(n); }
template <auto M> constexpr Key Int(const wchar_t* n) { return MemberKey<Form::Int, M>(n); }
template <auto M> constexpr Key Flag(const wchar_t* n) { return MemberKey<Form::Flag, M>(n); }
template <auto M> constexpr Key Signed(const wchar_t* n) { return MemberKey<Form::Signed, M>(n); }
template <auto M> constexpr Key Unsigned(const wchar_t* n) {
  return MemberKey<Form::Unsigned, M>(n);
}
template <auto M>
constexpr Key Own(const wchar_t* name, ReadFn read, WriteFn write) {
  Key k = MemberKey<Form::Own, M>(name);
  k.read = read;
  k.write = write;
  return k;
}
// Keys of no single member: the repeated slots and the version.
constexpr Key Own(const wchar_t* name, ReadFn read, WriteFn write) {
  Key k;
  k.name = name;
  k.read = read;
  k.write = write;
  return k;
}

// --- The keys' own reading and writing ----------------------------------------

// The builder's own FileVersion; of a file read, only its first number
// counts (in the OS mask).
void WriteVersion(const DefinitionWriter& out, const S&) {
  wchar_t own[MAX_PATH] = {};
  wchar_t version[100] = {};
  GetModuleFileNameW(nullptr, own, MAX_PATH);
  if (!GetFileVersionText(own, version, 100) || !version[0]) wcscpy(version, L"0.00");
  out.Text(L"Version", version);
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

// Older files chose the icon with UseIconFile or IconTypeIndex; IconFile is
// read before.
void ReadIconType(const DefinitionReader& in, S& s) {
  int useIconFile = in.Int(L"UseIconFile", 0);
  int iconTypeIndex = in.Int(L"IconTypeIndex", -1);
  std::wstring iconType = in.String(L"IconType", 260, L"blue");
  if (useIconFile != 0)
    s.IconType = s.IconFile[0] ? L"custom" : L"blue";
  else if (iconTypeIndex != -1)
    s.IconType = IconTypeFromIndex(iconTypeIndex);
  else
    s.IconType = IsKnownIconType(iconType) ? iconType : L"blue";
}

void WriteIconType(const DefinitionWriter& out, const S& s) {
  out.Text(L"IconType", s.IconType.c_str());
}

// "red,green,blue"; a part that does not parse keeps 0, 0, 255.
void ReadColour(const DefinitionReader& in, S& s) {
  std::wstring colour = in.String(L"BackScreenColor", 100, L"0,0,255");
  int red = 0, green = 0, blue = 255;
  swscanf(colour.c_str(), L"%d,%d,%d", &red, &green, &blue);
  s.BackScreenColor = RGB(red & 0xFF, green & 0xFF, blue & 0xFF);
}

void WriteColour(const DefinitionWriter& out, const S& s) {
  wchar_t colour[48];
  swprintf(colour, 48, L"%u,%u,%u", GetRValue(s.BackScreenColor), GetGValue(s.BackScreenColor),
           GetBValue(s.BackScreenColor));
  out.Text(L"BackScreenColor", colour);
}

// The OS mask, or what older files kept in its place.
void ReadBootableOS(const DefinitionReader& in, S& s) {
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
  // Files of the first versions had no bits of their own for these.
  int versionMajor = 0;
  std::wstring version = in.String(L"Version", 100);
  if (swscanf(version.c_str(), L"%d", &versionMajor) != 1) versionMajor = 0;
  if (versionMajor == 0) {
    if (mask & 0x10000000) mask |= 0x8000;
    if (mask & 0x20000000) mask |= 0x6;
  }
  s.BootableOS = mask;
}

// Older files kept 1 for HKEY_CURRENT_USER and 2 for HKEY_LOCAL_MACHINE
// under a key of their own, which wins when present.
int ReadRootKey(const DefinitionReader& in, const wchar_t* legacyKey, const wchar_t* key,
                int missing, UINT warningId) {
  int legacy = in.Int(legacyKey, -1);
  if (legacy == -1) return in.Int(key, missing);
  if (legacy == 1) return 0;
  if (legacy == 2) return 1;
  // A batch build never waits for a person: the warning is left out there.
  if (!g_UiState.BatchMode)
    MessageBoxW(g_UiState.MainWindow, LoadResString(warningId), kBuilderCaption,
                MB_OK | MB_ICONWARNING);
  return 0;
}

void ReadExplainShowFlagRootKey(const DefinitionReader& in, S& s) {
  s.SaveExplainShowFlag_RootKey = ReadRootKey(in, L"SaveExplainShowFlagRootKey",
                                              L"SaveExplainShowFlag_RootKey", 1,
                                              IDS_LEGACY_EXPLAIN_ROOTKEY);
}

void ReadSavePathRootKey(const DefinitionReader& in, S& s) {
  s.SavePath_RootKey = ReadRootKey(in, L"SavePathRootKey", L"SavePath_RootKey", 0,
                                   IDS_LEGACY_SAVEPATH_ROOTKEY);
}

// Older files asked for the manifest file with ModifyManifest.
void ReadManifestType(const DefinitionReader& in, S& s) {
  s.ManifestType = in.Int(L"ModifyManifest", 0) != 0 ? 2 : in.Int(L"ManifestType", 0);
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

// The file keeps each line break of the message as the two characters \n.
void ReadOSCheckErrorMsg(const DefinitionReader& in, S& s) {
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

void WriteOSCheckErrorMsg(const DefinitionWriter& out, const S& s) {
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

// --- Rules between keys --------------------------------------------------------

// An English interface shows URL: it takes URLE's address when it has none.
void TakeEnglishUrl(S& s, bool japanese) {
  if (!japanese && !s.URL[0]) {
    CopyText(s.URL, s.URLE);
    s.URLE[0] = L'\0';
  }
}

void OverwriteMethodNeedsAdmin(S& s, bool) {
  if (s.OverWriteMethod == 2) s.OnlyAdmin = 1;
}

void UninstallerNeedsUninstall(S& s, bool) {
  if (s.UseUnInstall != 0)
    s.DenyUsers = 1;
  else
    s.UseVesmarinUninstaller = 0;
}

bool CabTimeZoneBiasUsed(const S& s) { return s.UseCabTimeZoneBias; }

// --- The table, in the order of writing ------------------------------------------

constexpr Key kKeys[] = {
    Own(L"Version", nullptr, WriteVersion),
    Own(L"RegComSvr", ReadRegComSvr, WriteRegComSvr),
    Own(L"ExtraCopy", ReadExtraCopy, WriteExtraCopy),
    Flag<&S::UseExtensionModuleFile>(L"UseExtensionModuleFile"),
    Text<&S::ExtensionModuleFile>(L"ExtensionModuleFile"),
    Text<&S::ExtensionModuleDatFile>(L"ExtensionModuleDatFile"),
    Flag<&S::UseUninstallerExtensionModuleFile>(L"UseUninstallerExtensionModuleFile"),
    Text<&S::UninstallerExtensionModuleFile>(L"UninstallerExtensionModuleFile"),
    Flag<&S::UseUninstallerPreProcess>(L"UseUninstallerPreProcess"),
    Text<&S::UninstallerPreProcessFile>(L"UninstallerPreProcessFile"),
    Text<&S::UninstallerPreProcessArg>(L"UninstallerPreProcessArg"),
    Text<&S::SrcArchiveFile>(L"SrcArchiveFile"),
    Text<&S::DstExeFile>(L"DstExeFile"),
    Text<&S::DialogTitle>(L"DialogTitle"),
    Text<&S::DialogTitleE>(L"DialogTitleE"),
    Text<&S::VesmarinFor>(L"VesmarinFor").Missing(kDefaultVesmarinFor)
        .Reset(kDefaultVesmarinFor).ReadAfter(L"GreetingE"),
    Text<&S::VesmarinForE>(L"VesmarinForE").Missing(kDefaultVesmarinFor)
        .Reset(kDefaultVesmarinFor).JapaneseUiOnly().ReadAfter(L"GreetingE"),
    Lines<&S::Greeting>(L"Greeting").JapaneseUiOnly(),
    Lines<&S::GreetingE>(L"GreetingE"),
    Text<&S::IconFile>(L"IconFile"),
    Own<&S::IconType>(L"IconType", ReadIconType, WriteIconType).Reset(L"blue"),
    Int<&S::UseBannerFile>(L"UseBannerFile"),
    Int<&S::NoExtractBannerFile>(L"NoExtractBannerFile"),
    Text<&S::BannerFile>(L"BannerFile"),
    Int<&S::UseURL>(L"UseURL"),
    Text<&S::HPTitle>(L"HPTitle").Reset(L""),
    Text<&S::HPTitleE>(L"HPTitleE").Reset(L"").ReadInJapaneseUiOnly(),
    Text<&S::URL>(L"URL").Reset(L"http://"),
    Text<&S::URLE>(L"URLE").Then(TakeEnglishUrl),
    Int<&S::NoSaveInstallPath>(L"NoSaveInstallPath").ReadAfter(L"OverWriteMethod"),
    Int<&S::FailIfPathRegNotExist>(L"FailIfPathRegNotExist"),
    Int<&S::OnlyAdmin>(L"OnlyAdmin"),
    Int<&S::DenyUsers>(L"DenyUsers"),
    Int<&S::NoCRCCheck>(L"NoCRCCheck"),
    Int<&S::BootOSCheck>(L"BootOSCheck"),
    Signed<&S::BootableOS>(L"BootableOS").ReadBy(ReadBootableOS),
    Int<&S::Deny64bitMode>(L"Deny64bitMode"),
    Int<&S::CheckTrust>(L"CheckTrust"),
    Flag<&S::UseNewWizard>(L"UseNewWizard").Missing(1).Reset(1),
    Flag<&S::NoUI>(L"NoUI"),
    Flag<&S::UltraSilentInstall>(L"UltraSilentInstall"),
    Text<&S::SilentizeSwitch>(L"SilentizeSwitch"),
    Int<&S::UsePanelBitmap>(L"UsePanelBitmap"),
    Int<&S::NoExtractPanelBitmap>(L"NoExtractPanelBitmap"),
    Text<&S::PanelBitmap>(L"PanelBitmap"),
    Int<&S::UseWiz97PanelBitmap>(L"UseWiz97PanelBitmap"),
    Int<&S::NoExtractWiz97PanelBitmap>(L"NoExtractWiz97PanelBitmap"),
    Text<&S::Wiz97PanelBitmap>(L"Wiz97PanelBitmap"),
    Flag<&S::DontShowQXLogoOnWiz>(L"DontShowQXLogoOnWiz"),
    Int<&S::UseBackScreen>(L"UseBackScreen"),
    Text<&S::BackScreenText>(L"BackScreenText"),
    Text<&S::BackScreenTextE>(L"BackScreenTextE"),
    Own<&S::BackScreenColor>(L"BackScreenColor", ReadColour, WriteColour).Reset(RGB(0, 0, 255)),
    Text<&S::BackScreenLogoBmp>(L"BackScreenLogoBmp"),
    Int<&S::UseBackScreenLogoBmp>(L"UseBackScreenLogoBmp"),
    Int<&S::ExtractScreenLogo>(L"ExtractScreenLogo").Missing(1),
    Int<&S::UseExplain>(L"UseExplain"),
    Text<&S::ExplainFile>(L"ExplainFile"),
    Text<&S::ExplainFileE>(L"ExplainFileE"),
    Int<&S::NoExtractExplainFile>(L"NoExtractExplainFile"),
    Int<&S::ExplainToConsent>(L"ExplainToConsent"),
    Int<&S::ExplainAllRead>(L"ExplainAllRead"),
    Int<&S::ExplainNoSkipTextChanged>(L"ExplainNoSkipTextChanged"),
    Int<&S::UseSaveExplainShowFlag>(L"UseSaveExplainShowFlag"),
    Signed<&S::SaveExplainShowFlag_RootKey>(L"SaveExplainShowFlag_RootKey")
        .ReadBy(ReadExplainShowFlagRootKey).Reset(0),
    Text<&S::SaveExplainShowFlagKey>(L"SaveExplainShowFlagKey").Missing(kDefaultRegistryKey)
        .Reset(kDefaultRegistryKey),
    Text<&S::SaveExplainShowFlagValue>(L"SaveExplainShowFlagValue")
        .Missing(L"SetupShowExplainFlag").Reset(L"SetupShowExplainFlag"),
    Int<&S::AskExtPath>(L"AskExtPath").Missing(1).Reset(1),
    Int<&S::UseExtractFolder>(L"UseExtractFolder"),
    Signed<&S::BaseFolder>(L"BaseFolder"),
    Text<&S::ExtractFolder>(L"ExtractFolder"),
    Int<&S::AskOverwrite>(L"AskOverwrite").Reset(1),
    Int<&S::HideAskOverWrite>(L"HideAskOverWrite"),
    Int<&S::AddFileTitle>(L"AddFileTitle"),
    Int<&S::WithAttribute>(L"WithAttribute"),
    Int<&S::NoAskMakeDir>(L"NoAskMakeDir"),
    Int<&S::ForceUninstallDir>(L"ForceUninstallDir"),
    Signed<&S::OverWriteMethod>(L"OverWriteMethod").Then(OverwriteMethodNeedsAdmin),
    Int<&S::NoOverwriteNewTimeStamp>(L"NoOverwriteNewTimeStamp"),
    Int<&S::NoOpenFolderOnEnd>(L"NoOpenFolderOnEnd"),
    Int<&S::ShowForceOverwrite>(L"ShowForceOverwrite"),
    Int<&S::UseSavePath>(L"UseSavePath"),
    Signed<&S::SavePath_RootKey>(L"SavePath_RootKey").ReadBy(ReadSavePathRootKey).Reset(0),
    Text<&S::SavePathKey>(L"SavePathKey").Missing(kDefaultRegistryKey).Reset(kDefaultRegistryKey),
    Text<&S::SavePathValue>(L"SavePathValue").Missing(L"InstallPath").Reset(L"InstallPath"),
    Int<&S::StartMenuToCommon>(L"StartMenuToCommon").Missing(1).Reset(1)
        .ReadAfter(L"StartMenuGroupE"),
    Int<&S::StartMenuDSQDefaultOn>(L"StartMenuDSQDefaultOn").ReadAfter(L"StartMenuGroupE"),
    Int<&S::StartMenuDSQNoConfirm>(L"StartMenuDSQNoConfirm").ReadAfter(L"StartMenuGroupE"),
    Int<&S::UseStartMenu>(L"UseStartMenu"),
    Text<&S::StartMenuGroup>(L"StartMenuGroup").JapaneseUiOnly(),
    Text<&S::StartMenuGroupE>(L"StartMenuGroupE"),
    Own(L"StartMenu", ReadStartMenu, WriteStartMenu),
    Int<&S::UseUnInstall>(L"UseUnInstall"),
    Int<&S::UseVesmarinUninstaller>(L"UseVesmarinUninstaller").Then(UninstallerNeedsUninstall),
    Text<&S::UseVesmarinUninstallerFolder>(L"UseVesmarinUninstallerFolder").Reset(L"\\"),
    Text<&S::UnInstallTitle>(L"UnInstallTitle"),
    Text<&S::UnInstallTitleE>(L"UnInstallTitleE"),
    Text<&S::UnInstallKey>(L"UnInstallKey"),
    Text<&S::UnInstallFile>(L"UnInstallFile"),
    Text<&S::UnInstallArgs>(L"UnInstallArgs"),
    Text<&S::UninstIconFile>(L"UninstIconFile"),
    Int<&S::UninstallRebootable>(L"UninstallRebootable").Missing(1).Reset(1)
        .ReadAfter(L"UnInstallAutoSetSize"),
    Int<&S::AutoUninstIni>(L"AutoUninstIni").ReadAfter(L"UnInstallAutoSetSize"),
    Int<&S::AutoDeleteDat>(L"AutoDeleteDat").ReadAfter(L"UnInstallAutoSetSize"),
    Int<&S::HollmereUserProvide>(L"HollmereUserProvide").ReadAfter(L"UnInstallAutoSetSize"),
    Text<&S::HollmereUserProvideFile>(L"HollmereUserProvideFile")
        .ReadAfter(L"UnInstallAutoSetSize"),
    Text<&S::UnInstallPublisher>(L"UnInstallPublisher"),
    Text<&S::UnInstallSupportLink>(L"UnInstallSupportLink"),
    Text<&S::UnInstallHelpLink>(L"UnInstallHelpLink"),
    Text<&S::UnInstallUpdateLink>(L"UnInstallUpdateLink"),
    Text<&S::UnInstallPublisherE>(L"UnInstallPublisherE"),
    Text<&S::UnInstallSupportLinkE>(L"UnInstallSupportLinkE"),
    Text<&S::UnInstallHelpLinkE>(L"UnInstallHelpLinkE"),
    Text<&S::UnInstallUpdateLinkE>(L"UnInstallUpdateLinkE"),
    Int<&S::UnInstallSetVersion>(L"UnInstallSetVersion"),
    Int<&S::UnInstallAutoSetVersion>(L"UnInstallAutoSetVersion"),
    Text<&S::UnInstallVersion>(L"UnInstallVersion"),
    Text<&S::UnInstallAutoSetVersionFile>(L"UnInstallAutoSetVersionFile"),
    Int<&S::UnInstallAutoSetSize>(L"UnInstallAutoSetSize"),
    Own(L"UninstallReg", ReadUninstallReg, WriteUninstallReg),
    Int<&S::UseAutoExecute>(L"UseAutoExecute"),
    Text<&S::CmdLine>(L"CmdLine"),
    Text<&S::CmdArgs>(L"CmdArgs"),
    Flag<&S::CmdNonElevate>(L"CmdNonElevate"),
    Int<&S::AfterDeleteFiles>(L"AfterDeleteFiles"),
    Int<&S::SkipInstallCompletePageOnAutoExec>(L"SkipInstallCompletePageOnAutoExec").Missing(1)
        .Reset(1),
    Text<&S::PassRebootSwitch>(L"PassRebootSwitch").WrittenWhenSet(),
    Int<&S::WaitForAutoExecute>(L"WaitForAutoExecute").WrittenWhenSet(),
    Own(L"AutoExec", ReadAutoExec, WriteAutoExec),
    Flag<&S::Use64bitStub>(L"64bitSFX").ReadAfter(L"HollmereUserProvideFile"),
    Flag<&S::ModifyOSVersion>(L"ModifyOSVersion").ReadAfter(L"HollmereUserProvideFile"),
    Flag<&S::ModifySubSysVersion>(L"ModifySubSysVersion").ReadAfter(L"HollmereUserProvideFile"),
    Unsigned<&S::SFXOSMajor>(L"SFXOSMajor").Missing(4).Adjust(ClampMajor).Reset(5)
        .ReadAfter(L"HollmereUserProvideFile"),
    Unsigned<&S::SFXOSMinor>(L"SFXOSMinor").Adjust(ClampMinor).Reset(0)
        .ReadAfter(L"HollmereUserProvideFile"),
    Unsigned<&S::SFXSubSysMajor>(L"SFXSubSysMajor").Missing(4).Adjust(ClampMajor).Reset(5)
        .ReadAfter(L"HollmereUserProvideFile"),
    Unsigned<&S::SFXSubSysMinor>(L"SFXSubSysMinor").Adjust(ClampMinor).Reset(0)
        .ReadAfter(L"HollmereUserProvideFile"),
    Unsigned<&S::ManifestType>(L"ManifestType").ReadBy(ReadManifestType)
        .ReadAfter(L"HollmereUserProvideFile"),
    Text<&S::ManifestFile>(L"ManifestFile").ReadAfter(L"HollmereUserProvideFile"),
    Own<&S::OSCheckErrorMsg>(L"OSCheckErrorMsg", ReadOSCheckErrorMsg, WriteOSCheckErrorMsg)
        .WrittenWhenSet(),
    Int<&S::HollmereHideLogButton>(L"HollmereHideLogButton").WrittenWhenSet(),
    Flag<&S::UseCabTimeZoneBias>(L"UseCabTimeZoneBias").WrittenWhenSet(),
    Signed<&S::CabTimeZoneBias>(L"CabTimeZoneBias").Missing(9).Reset(9)
        .WrittenWhen(CabTimeZoneBiasUsed),
};

// --- Checks of the table, at compile time -------------------------------------------

constexpr bool SameName(const wchar_t* a, const wchar_t* b) {
  while (*a && *a == *b) ++a, ++b;
  return *a == *b;
}

constexpr int RowNamed(const wchar_t* name) {
  for (int i = 0; i < static_cast<int>(std::size(kKeys)); ++i)
    if (SameName(kKeys[i].name, name)) return i;
  return -1;
}

// Every name once; every key read after another reaches, in a few steps, a
// key read in table order (else it would never be read).
constexpr bool TableIsSound() {
  const int count = static_cast<int>(std::size(kKeys));
  for (int i = 0; i < count; ++i) {
    if (RowNamed(kKeys[i].name) != i) return false;
    int row = i;
    for (int step = 0; kKeys[row].readAfter; ++step) {
      row = RowNamed(kKeys[row].readAfter);
      if (row < 0 || step > count) return false;
    }
  }
  return true;
}
static_assert(TableIsSound(), "definition keys: a name twice, or a key never read");

// --- Reading, writing and defaults driven by the table ------------------------------

wchar_t* TextAt(const Key& k, S& s) { return static_cast<wchar_t*>(k.at(s)); }

int NumberAt(const Key& k, const S& s) {
  const void* p = k.at(const_cast<S&>(s));
  switch (k.storage) {
    case Storage::Bool: return *static_cast<const bool*>(p) ? 1 : 0;
    case Storage::Colour: return static_cast<int>(*static_cast<const COLORREF*>(p));
    default: return *static_cast<const int*>(p);
  }
}

void SetNumber(const Key& k, S& s, int value) {
  void* p = k.at(s);
  switch (k.storage) {
    case Storage::Bool: *static_cast<bool*>(p) = value != 0; break;
    case Storage::Colour: *static_cast<COLORREF*>(p) = static_cast<COLORREF>(value); break;
    default: *static_cast<int*>(p) = value;
  }
}

bool IsSet(const Key& k, const S& s) {
  if (k.storage == Storage::Text) return TextAt(k, const_cast<S&>(s))[0] != L'\0';
  return NumberAt(k, s) != 0;
}

void ReadValue(const Key& k, const DefinitionReader& in, S& s) {
  if (k.read) {
    k.read(in, s);
    return;
  }
  switch (k.form) {
    case Form::Text: in.Text(k.name, TextAt(k, s), k.width, k.missingText); break;
    case Form::Flag: SetNumber(k, s, in.Flag(k.name, k.missing)); break;
    case Form::Int:
    case Form::Signed:
    case Form::Unsigned: {
      int value = in.Int(k.name, k.missing);
      SetNumber(k, s, k.adjust ? k.adjust(value) : value);
      break;
    }
    case Form::Lines: ReadLines(in, k.name, TextAt(k, s), k.width); break;
    case Form::Own: break;
  }
}

void WriteValue(const Key& k, const DefinitionWriter& out, const S& s) {
  if (k.write) {
    k.write(out, s);
    return;
  }
  switch (k.form) {
    case Form::Text: out.Text(k.name, TextAt(k, const_cast<S&>(s))); break;
    case Form::Int:
    case Form::Flag: out.Flag(k.name, NumberAt(k, s)); break;
    case Form::Signed: out.Signed(k.name, NumberAt(k, s)); break;
    case Form::Unsigned: out.Unsigned(k.name, NumberAt(k, s)); break;
    case Form::Lines: WriteLines(out, k.name, TextAt(k, const_cast<S&>(s))); break;
    case Form::Own: break;
  }
}

// Reads one key, then the keys that are read right after it.
void ReadKey(const Key& k, const DefinitionReader& in, S& s, bool japanese) {
  if (k.language == Language::Any || japanese) {
    ReadValue(k, in, s);
    if (k.then) k.then(s, japanese);
  }
  for (const Key& next : kKeys)
    if (next.readAfter && SameName(next.readAfter, k.name)) ReadKey(next, in, s, japanese);
}

}  // namespace

void ReadDefinitionKeys(const wchar_t* file, CSfxSettings& settings, bool japaneseUi) {
  const DefinitionReader in(file);
  for (const Key& k : kKeys)
    if (!k.readAfter) ReadKey(k, in, settings, japaneseUi);
}

void WriteDefinitionKeys(const wchar_t* file, const CSfxSettings& settings, bool japaneseUi) {
  const DefinitionWriter out(file);
  for (const Key& k : kKeys) {
    if (k.language == Language::JapaneseUi && !japaneseUi) continue;
    if (k.writtenWhenSet && !IsSet(k, settings)) continue;
    if (k.writtenWhen && !k.writtenWhen(settings)) continue;
    WriteValue(k, out, settings);
  }
}

void ResetSfxSettings() {
  g_SfxSettings.Clear();
  SetDefinitionDefaults(g_SfxSettings, g_UiState.JapaneseUI);
}

void SetDefinitionDefaults(CSfxSettings& settings, bool japaneseUi) {
  for (const Key& k : kKeys) {
    if (!k.hasReset || (k.language == Language::JapaneseUi && !japaneseUi)) continue;
    if (k.resetText && k.storage == Storage::String)
      *static_cast<std::wstring*>(k.at(settings)) = k.resetText;
    else if (k.resetText)
      lstrcpynW(TextAt(k, settings), k.resetText, k.width);
    else
      SetNumber(k, settings, k.reset);
  }
}
