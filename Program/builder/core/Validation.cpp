#include "Validation.h"

#include <algorithm>
#include <cwchar>
#include <string>

#include "ArchiveHandle.h"
#include "BuildSfx.h"
#include "BuilderUtil.h"
#include "FileSystem.h"
#include "PathPieces.h"
#include "SfxSettings.h"

namespace {

const int kBaseFolderAbsolute = 6;
const int kMaxBaseFolder = 15;

bool Fail(UINT stringId) {
  SetBuildError(stringId);
  return false;
}
bool Fail(UINT stringId, const wchar_t* text) {
  SetBuildError(stringId, text);
  return false;
}

// The base folders that only an administrator may write to.
bool NeedsAdministrator(int baseFolder) {
  switch (baseFolder) {
    case 0: case 1: case 2: case 4: case 10: case 12: case 13: case 15:
      return true;
    default:
      return false;
  }
}

bool IsAsciiAlnum(wchar_t c) {
  return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9');
}

// "C:\...", "\\server\..." or "%VARIABLE%...".
bool IsAbsoluteFolderForm(const wchar_t* path) {
  if (std::wcslen(path) < 3) return false;
  if (path[0] == L'\\' && path[1] == L'\\') return true;
  if (IsAsciiAlnum(path[0]) && path[1] == L':' && path[2] == L'\\') return true;
  return path[0] == L'%';
}

// A name that is a valid shortcut or group name: legal characters, then a
// relative path that stays where it is put.
bool CheckName(const wchar_t* name, UINT illegalCharId, UINT malformedId) {
  if (!IsValidFileName(name)) return Fail(illegalCharId);
  if (!IsValidRelativePath(name, false)) return Fail(malformedId);
  return true;
}

// A setting that names a file inside the archive.
bool CheckArchiveFile(ArchiveHandle* archive, const wchar_t* name, UINT missingNameId,
                      UINT notFoundId) {
  if (!name[0]) return Fail(missingNameId);
  if (!FindArchiveItem(archive, name)) return Fail(notFoundId, name);
  return true;
}

bool CheckUninstallerNames(ArchiveHandle* archive) {
  const CSfxSettings& s = SfxSettings;
  // The uninstaller the package installs, under the name of its bitness,
  // and its uninstall information file beside it.
  const wchar_t* program = s.Use64bitStub ? L"Hollmere64.exe" : L"Hollmere.exe";
  wchar_t path[MAX_PATH] = L"";
  if (!CombinePath(path, s.UseVesmarinUninstallerFolder, program)) return Fail(291);
  const wchar_t* start = path;
  while (*start == L'\\') ++start;
  std::wstring name(start);
  if (FindArchiveItem(archive, name.c_str())) return Fail(292, name.c_str());
  const size_t dot = name.find_last_of(L'.');
  const size_t slash = name.find_last_of(L'\\');
  if (dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash)) name.erase(dot);
  name += L".$$$";
  if (FindArchiveItem(archive, name.c_str())) return Fail(292, name.c_str());
  return true;
}

}  // namespace

bool ValidateSettings() {
  const CSfxSettings& s = SfxSettings;
  if (s.UseExtractFolder && (s.BaseFolder < 0 || s.BaseFolder > kMaxBaseFolder)) {
    SetBuildError(440, s.BaseFolder);
    return false;
  }
  for (const ExtraCopyItem& item : s.ExtraCopy) {
    if (item.BaseFolder < 0 || item.BaseFolder > kMaxBaseFolder) {
      SetBuildError(441, item.FileName, item.BaseFolder);
      return false;
    }
  }
  if (s.BootOSCheck && s.BootableOS == 0) return Fail(188);
  if (s.ManifestType == 1) {
    if (s.DenyUsers || s.OnlyAdmin) return Fail(187);
    if (s.UseExtractFolder && NeedsAdministrator(s.BaseFolder)) return Fail(409);
    if (s.UseUnInstall) return Fail(410);
    if (s.UseStartMenu && s.StartMenuToCommon) return Fail(411);
  } else if (s.UseUnInstall && s.AfterDeleteFiles) {
    return Fail(183);
  }
  if (s.UseExtractFolder && s.BaseFolder == kBaseFolderAbsolute &&
      !IsAbsoluteFolderForm(s.ExtractFolder))
    return Fail(186);
  if (s.UseStartMenu) {
    if (s.StartMenuGroup[0] && !CheckName(s.StartMenuGroup, 265, 266)) return false;
    if (s.StartMenuGroupE[0] && !CheckName(s.StartMenuGroupE, 267, 268)) return false;
    const int count = s.StartMenuCount < 0 ? 0 : std::min(s.StartMenuCount, kMaxStartMenuItems);
    for (int i = 0; i < count; ++i) {
      if (!CheckName(s.StartMenu[i].Title, 269, 270)) return false;
      if (!CheckName(s.StartMenu[i].TitleE, 271, 272)) return false;
    }
  }
  if (s.UseUnInstall && std::wcschr(s.UnInstallKey, L'\\')) return Fail(273);
  if (s.HollmereUserProvide && !FileExists(s.HollmereUserProvideFile))
    return Fail(402, s.HollmereUserProvideFile);
  return true;
}

bool ValidateArchiveReferences() {
  const CSfxSettings& s = SfxSettings;
  ScopedArchive held(OpenArchive(s.SrcArchiveFile));
  if (!held.valid()) return true;
  ArchiveHandle* archive = held.get();

  if (s.ManifestType == 2) {
    if (!s.ManifestFile[0]) return Fail(274);
    if (!FileExists(s.ManifestFile)) return Fail(275, s.ManifestFile);
  }
  if (s.IconType == L"custom") {
    if (!s.IconFile[0]) return Fail(276);
    if (!FileExists(s.IconFile)) return Fail(277, s.IconFile);
  }
  if (s.UseBannerFile && !CheckArchiveFile(archive, s.BannerFile, 278, 279)) return false;
  if (s.UseBackScreen && s.UseBackScreenLogoBmp &&
      !CheckArchiveFile(archive, s.BackScreenLogoBmp, 280, 281))
    return false;
  if (!s.NoUI && s.UsePanelBitmap && !CheckArchiveFile(archive, s.PanelBitmap, 282, 283))
    return false;
  if (s.UseNewWizard && s.UseWiz97PanelBitmap &&
      !CheckArchiveFile(archive, s.Wiz97PanelBitmap, 284, 285))
    return false;
  if (s.UseExplain) {
    if (!s.ExplainFile[0] && !s.ExplainFileE[0]) return Fail(215);
    if (s.ExplainFile[0] && !FindArchiveItem(archive, s.ExplainFile))
      return Fail(287, s.ExplainFile);
    if (s.ExplainFileE[0] && !FindArchiveItem(archive, s.ExplainFileE))
      return Fail(287, s.ExplainFileE);
  }
  if (s.UseStartMenu) {
    const int count = s.StartMenuCount < 0 ? 0 : std::min(s.StartMenuCount, kMaxStartMenuItems);
    for (int i = 0; i < count; ++i) {
      for (const wchar_t* file : {s.StartMenu[i].File, s.StartMenu[i].FileE}) {
        const size_t length = std::wcslen(file);
        if (length == 0 || file[length - 1] == L'\\') continue;  // a folder
        if (!FindArchiveItem(archive, file)) return Fail(288, file);
      }
    }
  }
  if (s.UseUnInstall) {
    if (!s.UnInstallTitle[0]) return Fail(289);
    if (!s.UnInstallKey[0]) return Fail(290);
    if (s.UseVesmarinUninstaller && !CheckUninstallerNames(archive)) return false;
  }
  if (s.UseAutoExecute) {
    if (s.CmdLine[0] && !FindArchiveItem(archive, s.CmdLine)) return Fail(293, s.CmdLine);
    const int count = s.AutoExecCount < 0 ? 0 : std::min(s.AutoExecCount, kMaxAutoExecItems);
    for (int i = 0; i < count; ++i) {
      const wchar_t* file = s.AutoExec[i].File;
      if (!file[0] || !FindArchiveItem(archive, file)) return Fail(293, file);
    }
  }
  return true;
}
