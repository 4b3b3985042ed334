#include "ContainerHeader.h"

#include <cstring>
#include <cwchar>

#include "BuilderState.h"
#include "PathPieces.h"
#include "SfxContainer.h"
#include "SfxSettings.h"

void FillContainerHeader(SfxContainerHeader* header) {
  const CSfxSettings& s = g_SfxSettings;
  using namespace SfxFlagsA;
  const bool explain = s.UseExplain && (s.ExplainFile[0] || s.ExplainFileE[0]);
  const bool logo = s.UseBackScreenLogoBmp && s.BackScreenLogoBmp[0];
  const bool savePath = s.UseSavePath && s.SavePathKey[0];
  const bool panel = s.UsePanelBitmap && s.PanelBitmap[0];
  const bool wiz97 = s.UseNewWizard && s.UseWiz97PanelBitmap && s.Wiz97PanelBitmap[0];
  uint32_t a = 0;
  if (s.AskExtPath) a |= AskExtPath;
  if (s.AskOverwrite) a |= AskOverwrite;
  if (s.AddFileTitle) a |= AddFileTitle;
  if (s.UseAutoExecute && s.AfterDeleteFiles && HasFileExtension(s.CmdLine, L".exe")) a |= AfterDeleteExe;
  if (explain && s.NoExtractExplainFile) a |= NoExtractExplainFile;
  if (explain && s.ExplainToConsent) a |= ExplainToConsent;
  if (s.NoExtractBannerFile) a |= NoExtractBannerFile;
  if (explain && s.ExplainAllRead) a |= ExplainAllRead;
  if (s.UseVesmarinUninstaller) a |= UseVesmarinUninstaller;
  if (s.UseBackScreen) a |= UseBackScreen;
  if (logo) a |= BackScreenLogo;
  if (logo && !s.ExtractScreenLogo) a |= NoExtractBackScreenLogo;
  if (savePath) a |= UseSavePath;
  if (panel) a |= UsePanelBitmap;
  if (panel && s.NoExtractPanelBitmap) a |= NoExtractPanelBitmap;
  if (s.WithAttribute) a |= WithAttribute;
  if (s.UseExtensionModuleFile) a |= UseExtensionModuleFile;
  if (s.StartMenuToCommon) a |= StartMenuToCommon;
  if (s.OnlyAdmin) a |= OnlyAdmin;
  if (s.NoCRCCheck) a |= NoCRCCheck;
  if (s.FailIfPathRegNotExist) a |= FailIfPathRegNotExist;
  if (s.DenyUsers) a |= DenyUsers;
  if (s.UninstallRebootable) a |= UninstallRebootable;
  if (s.NoSaveInstallPath) a |= NoSaveInstallPath;
  if (s.Deny64bitMode) a |= Deny64bitMode;
  if (s.CheckTrust) a |= CheckTrust;
  if (s.UseNewWizard) a |= UseNewWizard;
  if (wiz97) a |= UseWiz97PanelBitmap;
  if (wiz97 && s.NoExtractWiz97PanelBitmap) a |= NoExtractWiz97PanelBitmap;

  const bool explainFlag = s.UseSaveExplainShowFlag && s.SaveExplainShowFlagKey[0];
  uint32_t b = 0;
  if (s.AutoUninstIni) b |= SfxFlagsB::AutoUninstIni;
  if (s.AutoDeleteDat) b |= SfxFlagsB::AutoDeleteDat;
  if (s.NoUI) b |= SfxFlagsB::NoUI;
  if (s.NoUI && s.UltraSilentInstall) b |= SfxFlagsB::UltraSilentInstall;
  if (s.HollmereHideLogButton) b |= SfxFlagsB::HollmereHideLogButton;
  if (s.UnInstallSetVersion) b |= SfxFlagsB::UnInstallSetVersion;
  if (s.UnInstallAutoSetVersion) b |= SfxFlagsB::UnInstallAutoSetVersion;
  if (s.NoOverwriteNewTimeStamp) b |= SfxFlagsB::NoOverwriteNewTimeStamp;
  if (s.HideAskOverWrite) b |= SfxFlagsB::HideAskOverWrite;
  if (s.NoAskMakeDir) b |= SfxFlagsB::NoAskMakeDir;
  if (s.ForceUninstallDir) b |= SfxFlagsB::ForceUninstallDir;
  if (s.NoOpenFolderOnEnd) b |= SfxFlagsB::NoOpenFolderOnEnd;
  if (explainFlag) b |= SfxFlagsB::UseSaveExplainShowFlag;
  if (s.WaitForAutoExecute) b |= SfxFlagsB::WaitForAutoExecute;
  if (s.UseAutoExecute && s.SkipInstallCompletePageOnAutoExec)
    b |= SfxFlagsB::SkipInstallCompletePageOnAutoExec;
  if (s.UnInstallAutoSetSize) b |= SfxFlagsB::UnInstallAutoSetSize;
  if (s.StartMenuDSQDefaultOn) b |= SfxFlagsB::StartMenuDSQDefaultOn;
  if (s.StartMenuDSQNoConfirm) b |= SfxFlagsB::StartMenuDSQNoConfirm;
  if (s.DontShowQXLogoOnWiz) b |= SfxFlagsB::DontShowQXLogoOnWiz;
  if (s.ShowForceOverwrite) b |= SfxFlagsB::ShowForceOverwrite;
  if (explainFlag && s.ExplainNoSkipTextChanged) b |= SfxFlagsB::ExplainNoSkipTextChanged;

  header->Magic = kSfxContainerMagic;
  header->FlagsA = a;
  header->FlagsB = b;
  header->BackScreenColor = s.UseBackScreen ? s.BackScreenColor : 0;
  header->SavePathRootKey = savePath ? static_cast<uint16_t>(s.SavePath_RootKey & 0xFFFF) : 0;
  header->SaveExplainShowFlagRootKey =
      explainFlag ? static_cast<uint16_t>(s.SaveExplainShowFlag_RootKey & 0xFFFF) : 0;
  header->OverWriteMethod = static_cast<uint16_t>(s.OverWriteMethod & 0xFFFF);
  header->BootableOS = s.BootOSCheck ? s.BootableOS : kBootableOsNoCheck;
  header->CabTimeZone = MakeCabTimeZone(s.UseCabTimeZoneBias, s.CabTimeZoneBias);
  std::memset(header->SilentizeSwitch, 0, sizeof header->SilentizeSwitch);
  const size_t length = wcsnlen(s.SilentizeSwitch, kSilentizeSwitchLength - 1);
  std::memcpy(header->SilentizeSwitch, s.SilentizeSwitch, length * sizeof(wchar_t));
}
