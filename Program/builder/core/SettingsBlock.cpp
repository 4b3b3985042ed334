#include "SettingsBlock.h"

#include <cwchar>
#include <string>

#include "BuilderState.h"
#include "SettingsBlockFormat.h"
#include "SettingsRecords.h"
#include "SfxSettings.h"

namespace {

class BlockWriter {
 public:
  explicit BlockWriter(std::vector<uint8_t>& out) : out_(out), start_(out.size()) {}

  size_t Written() const { return out_.size() - start_; }

  void Tag(uint16_t tag) { U16(tag); }

  void U16(uint16_t value) {
    out_.push_back(static_cast<uint8_t>(value & 0xFF));
    out_.push_back(static_cast<uint8_t>(value >> 8));
  }

  // One NUL-terminated string of at most length units.
  void Text(const wchar_t* text, size_t length) {
    for (size_t i = 0; i < length; ++i) U16(static_cast<uint16_t>(text[i]));
    U16(0);
  }

  // A fixed text field: never more than its capacity less the terminator.
  template <size_t N>
  void Text(const wchar_t (&text)[N]) {
    Text(text, wcsnlen(text, N - 1));
  }

  void Text(const std::wstring& text) {
    Text(text.c_str(), text.size() < kSettingsTextCapacity ? text.size() : kSettingsTextCapacity - 1);
  }

  void Plain(const wchar_t* text) { Text(text, std::wcslen(text)); }

  void Flag(bool on) { Text(on ? L"1" : L"0", 1); }

 private:
  std::vector<uint8_t>& out_;
  size_t start_;
};

template <size_t N>
std::wstring Field(const wchar_t (&text)[N]) {
  return std::wstring(text, wcsnlen(text, N - 1));
}

std::wstring Joined(const std::wstring& a, const std::wstring& b) { return a + L"|" + b; }

const wchar_t* SkipLeadingBackslashes(const wchar_t* text) {
  while (*text == L'\\') ++text;
  return text;
}

int LeadingCount(int count, int capacity) {
  if (count < 0) return 0;
  return count > capacity ? capacity : count;
}

const std::vector<std::wstring>& RootPrefixes() {
  if (g_UiState.RegistryRootPrefixes.size() < 3) FillRegistryRootPrefixes();
  return g_UiState.RegistryRootPrefixes;
}

// Whether the settings ask for the record; the records of lists are then
// written once per entry.
bool Writes(uint16_t tag, const CSfxSettings& s) {
  switch (tag) {
    case SettingsTag::PassRebootSwitch: return s.PassRebootSwitch[0] != 0;
    case SettingsTag::OsCheckErrorMessage: return s.OSCheckErrorMsg[0] != 0;
    case SettingsTag::ExplainFile:
    case SettingsTag::ExplainFileE: return s.UseExplain != 0;
    case SettingsTag::SaveExplainShowFlag: return s.UseExplain && s.UseSaveExplainShowFlag;
    case SettingsTag::ExtensionModule: return s.UseExtensionModuleFile != 0;
    case SettingsTag::UninstallerExtensionModule: return s.UseUninstallerExtensionModuleFile != 0;
    case SettingsTag::UninstallerPreProcessFile:
    case SettingsTag::UninstallerPreProcessArg: return s.UseUninstallerPreProcess != 0;
    case SettingsTag::BackScreenText:
    case SettingsTag::BackScreenTextE: return s.UseBackScreen != 0;
    case SettingsTag::BackScreenLogo: return s.UseBackScreenLogoBmp != 0;
    case SettingsTag::PanelBitmap: return s.UsePanelBitmap != 0;
    case SettingsTag::Wiz97PanelBitmap: return s.UseNewWizard && s.UseWiz97PanelBitmap;
    case SettingsTag::SavePath: return s.UseSavePath != 0;
    case SettingsTag::StartMenu: return s.UseStartMenu != 0;
    case SettingsTag::Uninstall:
      return s.UseUnInstall && (s.UnInstallFile[0] || s.UseVesmarinUninstaller);
    case SettingsTag::Command: return s.UseAutoExecute && s.CmdLine[0];
    case SettingsTag::AutoExec: return s.UseAutoExecute != 0;
    case SettingsTag::UninstallerFolder:
      return s.UseVesmarinUninstaller && s.UseVesmarinUninstallerFolder[0];
    case SettingsTag::UninstallReg: return s.UseVesmarinUninstaller != 0;
    case SettingsTag::CopyrightLine: return s.VesmarinFor[0] != 0;
    case SettingsTag::CopyrightLineE: return s.VesmarinForE[0] != 0;
    case SettingsTag::BannerFile: return s.UseBannerFile != 0;
    case SettingsTag::HomePage: return s.UseURL != 0;
    default: return true;
  }
}

// The records of kind OWN (SettingsRecords.h), each with its tag.

void WriteComServer(BlockWriter& w, const CSfxSettings& s) {
  for (const RegComSvrItem& item : s.RegComSvr) {
    w.Tag(SettingsTag::ComServer);
    w.Text(std::wstring(item.Uninstall ? L"1" : L"0") + L"|" + Field(item.FileName));
  }
}

void WriteExtraCopy(BlockWriter& w, const CSfxSettings& s) {
  for (const ExtraCopyItem& item : s.ExtraCopy) {
    w.Tag(SettingsTag::ExtraCopy);
    w.Text(std::wstring(item.NoCopyOriginal ? L"1" : L"0") + L"|" + Field(item.FileName) + L"|" +
           std::to_wstring(item.BaseFolder) + L"|" + Field(item.ExtractFolder));
  }
}

void WriteExtractFolder(BlockWriter& w, const CSfxSettings& s) {
  w.Tag(SettingsTag::ExtractFolder);
  if (s.UseExtractFolder) {
    w.U16(static_cast<uint16_t>(s.BaseFolder & 0xFF));
    w.Text(s.ExtractFolder);
  } else {
    w.U16(kBaseOwnFolder);
    w.Text(L"", 0);
  }
}

void WriteStartMenu(BlockWriter& w, const CSfxSettings& s) {
  const int count = LeadingCount(s.StartMenuCount, kMaxStartMenuItems);
  for (int i = 0; i < count; ++i) {
    const StartMenuItem& item = s.StartMenu[i];
    w.Tag(SettingsTag::StartMenu);
    if (i == 0) {
      w.Text(s.StartMenuGroup);
      w.Text(s.StartMenuGroupE);
    }
    w.Text(item.Title);
    w.Text(item.TitleE);
    w.Text(item.File);
    w.Text(item.FileE);
    w.Text(item.Args);
    w.Text(item.ArgsE);
    w.Text(item.Comment);
    w.Text(item.CommentE);
    w.Text(item.Icon);
    w.Text(item.IconE);
    wchar_t flags[6] = {
        item.CreateOnDesktop ? L'1' : L'0',   item.CreateOnStartup ? L'1' : L'0',
        item.CreateOnStartRoot ? L'1' : L'0', item.NoCreateInGroup ? L'1' : L'0',
        item.CreateOnQuickLaunch ? L'1' : L'0', L'\0'};
    w.Text(flags, 5);
  }
}

// The built-in uninstaller has no file or arguments of the publisher's.
void WriteUninstall(BlockWriter& w, const CSfxSettings& s) {
  w.Tag(SettingsTag::Uninstall);
  w.Text(s.UnInstallTitle);
  w.Text(s.UnInstallTitleE);
  w.Text(s.UnInstallKey);
  if (s.UseVesmarinUninstaller) {
    w.Text(L"", 0);
    w.Text(L"", 0);
  } else {
    w.Text(s.UnInstallFile);
    w.Text(s.UnInstallArgs);
  }
}

void WriteCommand(BlockWriter& w, const CSfxSettings& s) {
  w.Tag(SettingsTag::Command);
  w.Text(s.CmdLine);
  w.Text(s.CmdArgs);
  w.Flag(s.CmdNonElevate);
}

void WriteAutoExec(BlockWriter& w, const CSfxSettings& s) {
  const int count = LeadingCount(s.AutoExecCount, kMaxAutoExecItems);
  for (int i = 0; i < count; ++i) {
    const AutoExecItem& item = s.AutoExec[i];
    w.Tag(SettingsTag::AutoExec);
    w.Text(item.File);
    w.Text(item.Args);
    w.Flag(item.NonElevate);
  }
}

void WriteUninstallerFolder(BlockWriter& w, const CSfxSettings& s) {
  const std::wstring folder = Field(s.UseVesmarinUninstallerFolder);
  w.Tag(SettingsTag::UninstallerFolder);
  w.Plain(SkipLeadingBackslashes(folder.c_str()));
}

// Grouped by root, in the order of the root prefixes; entries under no root
// are left out.
void WriteUninstallReg(BlockWriter& w, const CSfxSettings& s) {
  const std::vector<std::wstring>& prefixes = RootPrefixes();
  const int count = LeadingCount(s.UninstallRegCount, kMaxUninstallRegs);
  for (size_t root = 0; root < 3; ++root) {
    const std::wstring& prefix = prefixes[root];
    int k = 0;
    for (int i = 0; i < count; ++i) {
      const std::wstring& entry = s.UninstallReg[i];
      if (entry.compare(0, prefix.size(), prefix) != 0) continue;
      std::wstring text = std::to_wstring(root) + std::to_wstring(k) + L"=" +
                          entry.substr(prefix.size());
      w.Tag(SettingsTag::UninstallReg);
      w.Text(text);
      ++k;
    }
  }
}

void WriteHomePage(BlockWriter& w, const CSfxSettings& s) {
  w.Tag(SettingsTag::HomePage);
  w.Text(s.HPTitle);
  w.Text(s.HPTitleE);
  w.Text(s.URL);
  w.Text(s.URLE);
}

}  // namespace

size_t WriteSettingsBlock(std::vector<uint8_t>& out) {
  const CSfxSettings& s = g_SfxSettings;
  BlockWriter w(out);
#define WRITE_TEXT(Name, tag, member) \
  if (Writes(tag, s)) {               \
    w.Tag(tag);                       \
    w.Text(s.member);                 \
  }
#define WRITE_TEXTS4(Name, tag, m1, m2, m3, m4) \
  if (Writes(tag, s)) {                         \
    w.Tag(tag);                                 \
    w.Text(s.m1);                               \
    w.Text(s.m2);                               \
    w.Text(s.m3);                               \
    w.Text(s.m4);                               \
  }
#define WRITE_PAIR(Name, tag, first, second)        \
  if (Writes(tag, s)) {                             \
    w.Tag(tag);                                     \
    w.Text(Joined(Field(s.first), Field(s.second))); \
  }
#define WRITE_OWN(Name, tag) \
  if (Writes(tag, s)) Write##Name(w, s);
  SETTINGS_BLOCK_RECORDS(WRITE_TEXT, WRITE_TEXTS4, WRITE_PAIR, WRITE_OWN)
#undef WRITE_TEXT
#undef WRITE_TEXTS4
#undef WRITE_PAIR
#undef WRITE_OWN
  w.Tag(SettingsTag::End);
  return w.Written();
}
