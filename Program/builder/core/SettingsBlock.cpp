#include "SettingsBlock.h"

#include <cwchar>
#include <string>

#include "BuilderState.h"
#include "SettingsBlockFormat.h"
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

void WriteUninstallRegs(BlockWriter& w, const CSfxSettings& s) {
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

}  // namespace

size_t WriteSettingsBlock(std::vector<uint8_t>& out) {
  const CSfxSettings& s = g_SfxSettings;
  BlockWriter w(out);

  w.Tag(SettingsTag::UninstallVersion);
  w.Text(s.UnInstallVersion);
  w.Tag(SettingsTag::UninstallAutoSetVersionFile);
  w.Text(s.UnInstallAutoSetVersionFile);
  w.Tag(SettingsTag::UninstallLinks);
  w.Text(s.UnInstallPublisher);
  w.Text(s.UnInstallSupportLink);
  w.Text(s.UnInstallHelpLink);
  w.Text(s.UnInstallUpdateLink);
  w.Tag(SettingsTag::UninstallLinksE);
  w.Text(s.UnInstallPublisherE);
  w.Text(s.UnInstallSupportLinkE);
  w.Text(s.UnInstallHelpLinkE);
  w.Text(s.UnInstallUpdateLinkE);
  w.Tag(SettingsTag::UninstallIcon);
  w.Text(s.UninstIconFile);
  if (s.PassRebootSwitch[0]) {
    w.Tag(SettingsTag::PassRebootSwitch);
    w.Text(s.PassRebootSwitch);
  }
  for (const RegComSvrItem& item : s.RegComSvr) {
    w.Tag(SettingsTag::ComServer);
    w.Text(std::wstring(item.Uninstall ? L"1" : L"0") + L"|" + Field(item.FileName));
  }
  for (const ExtraCopyItem& item : s.ExtraCopy) {
    w.Tag(SettingsTag::ExtraCopy);
    w.Text(std::wstring(item.NoCopyOriginal ? L"1" : L"0") + L"|" + Field(item.FileName) + L"|" +
           std::to_wstring(item.BaseFolder) + L"|" + Field(item.ExtractFolder));
  }
  if (s.OSCheckErrorMsg[0]) {
    w.Tag(SettingsTag::OsCheckErrorMessage);
    w.Text(s.OSCheckErrorMsg);
  }
  w.Tag(SettingsTag::DialogTitle);
  w.Text(s.DialogTitle);
  w.Tag(SettingsTag::DialogTitleE);
  w.Text(s.DialogTitleE);
  w.Tag(SettingsTag::Greeting);
  w.Text(s.Greeting);
  w.Tag(SettingsTag::GreetingE);
  w.Text(s.GreetingE);
  if (s.UseExplain) {
    w.Tag(SettingsTag::ExplainFile);
    w.Text(s.ExplainFile);
    w.Tag(SettingsTag::ExplainFileE);
    w.Text(s.ExplainFileE);
    if (s.UseSaveExplainShowFlag) {
      w.Tag(SettingsTag::SaveExplainShowFlag);
      w.Text(Joined(Field(s.SaveExplainShowFlagKey), Field(s.SaveExplainShowFlagValue)));
    }
  }
  if (s.UseExtensionModuleFile) {
    w.Tag(SettingsTag::ExtensionModule);
    w.Text(Joined(Field(s.ExtensionModuleFile), Field(s.ExtensionModuleDatFile)));
  }
  if (s.UseUninstallerExtensionModuleFile) {
    w.Tag(SettingsTag::UninstallerExtensionModule);
    w.Text(s.UninstallerExtensionModuleFile);
  }
  if (s.UseUninstallerPreProcess) {
    w.Tag(SettingsTag::UninstallerPreProcessFile);
    w.Text(s.UninstallerPreProcessFile);
    w.Tag(SettingsTag::UninstallerPreProcessArg);
    w.Text(s.UninstallerPreProcessArg);
  }
  if (s.UseBackScreen) {
    w.Tag(SettingsTag::BackScreenText);
    w.Text(s.BackScreenText);
    w.Tag(SettingsTag::BackScreenTextE);
    w.Text(s.BackScreenTextE);
  }
  if (s.UseBackScreenLogoBmp) {
    w.Tag(SettingsTag::BackScreenLogo);
    w.Text(s.BackScreenLogoBmp);
  }
  if (s.UsePanelBitmap) {
    w.Tag(SettingsTag::PanelBitmap);
    w.Text(s.PanelBitmap);
  }
  if (s.UseNewWizard && s.UseWiz97PanelBitmap) {
    w.Tag(SettingsTag::Wiz97PanelBitmap);
    w.Text(s.Wiz97PanelBitmap);
  }
  w.Tag(SettingsTag::ExtractFolder);
  if (s.UseExtractFolder) {
    w.U16(static_cast<uint16_t>(s.BaseFolder & 0xFF));
    w.Text(s.ExtractFolder);
  } else {
    w.U16(kBaseOwnFolder);
    w.Text(L"", 0);
  }
  if (s.UseSavePath) {
    w.Tag(SettingsTag::SavePath);
    w.Text(Joined(Field(s.SavePathKey), Field(s.SavePathValue)));
  }
  if (s.UseStartMenu) {
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
  if (s.UseUnInstall && (s.UnInstallFile[0] || s.UseVesmarinUninstaller)) {
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
  if (s.UseAutoExecute) {
    if (s.CmdLine[0]) {
      w.Tag(SettingsTag::Command);
      w.Text(s.CmdLine);
      w.Text(s.CmdArgs);
      w.Flag(s.CmdNonElevate);
    }
    const int count = LeadingCount(s.AutoExecCount, kMaxAutoExecItems);
    for (int i = 0; i < count; ++i) {
      const AutoExecItem& item = s.AutoExec[i];
      w.Tag(SettingsTag::AutoExec);
      w.Text(item.File);
      w.Text(item.Args);
      w.Flag(item.NonElevate);
    }
  }
  if (s.UseVesmarinUninstaller) {
    if (s.UseVesmarinUninstallerFolder[0]) {
      const std::wstring folder = Field(s.UseVesmarinUninstallerFolder);
      w.Tag(SettingsTag::UninstallerFolder);
      w.Plain(SkipLeadingBackslashes(folder.c_str()));
    }
    WriteUninstallRegs(w, s);
  }
  if (s.VesmarinFor[0]) {
    w.Tag(SettingsTag::CopyrightLine);
    w.Text(s.VesmarinFor);
  }
  if (s.VesmarinForE[0]) {
    w.Tag(SettingsTag::CopyrightLineE);
    w.Text(s.VesmarinForE);
  }
  if (s.UseBannerFile) {
    w.Tag(SettingsTag::BannerFile);
    w.Text(s.BannerFile);
  }
  if (s.UseURL) {
    w.Tag(SettingsTag::HomePage);
    w.Text(s.HPTitle);
    w.Text(s.HPTitleE);
    w.Text(s.URL);
    w.Text(s.URLE);
  }
  w.Tag(SettingsTag::End);
  return w.Written();
}
