#include "Validation.h"

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

#include "ArchiveHandle.h"
#include "BuilderState.h"
#include "BuilderUtil.h"
#include "CabDecoder.h"
#include "FileSystem.h"
#include "PathPieces.h"
#include "ResultCodes.h"
#include "SfxSettings.h"
#include "VesmarinResource.h"

namespace {

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
    case kBaseProgramFiles:
    case kBaseWindows:
    case kBaseSystem:
    case kBaseWindowsDrive:
    case kBaseAllUsersHome:
    case kBaseCommonAppData:
    case kBaseCommonDesktop:
    case kBaseCommonDocuments:
      return true;
    default:
      return false;
  }
}

bool IsAsciiAlnum(wchar_t c) {
  return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9');
}


// A name that is a valid shortcut or group name: legal characters, then a
// relative path that stays where it is put.
bool CheckName(const wchar_t* name, UINT illegalCharId, UINT malformedId) {
  if (!IsValidFileName(name)) return Fail(illegalCharId);
  if (!TakeRelativeFolder(name, false, false, nullptr)) return Fail(malformedId);
  return true;
}

// A setting that names a file inside the archive.
bool CheckArchiveFile(ArchiveHandle* archive, const wchar_t* name, UINT missingNameId,
                      UINT notFoundId) {
  if (!name[0]) return Fail(missingNameId);
  if (!FindArchiveItem(archive, name)) return Fail(notFoundId, name);
  return true;
}

// A setting that names a folder (for a start-menu item a file or a folder)
// below a base, and the rule it is taken by: the one the sheet applies.
typedef bool (*TakePath)(const wchar_t* text, std::wstring* stored);
struct RelativePath {
  wchar_t* text;   // a 260-character member
  TakePath take;
  UINT refusedId;  // 0: judged by CheckName with its own messages
  bool store;      // the taken form replaces the text
};

bool TakeFolderBelowBase(const wchar_t* text, std::wstring* stored) {
  return TakeRelativeFolder(text, false, true, stored);
}
bool TakeStartMenuName(const wchar_t* text, std::wstring* stored) {
  return TakeRelativeFolder(text, false, false, stored);
}

int StartMenuItemCount(const CSfxSettings& s) {
  return s.StartMenuCount < 0 ? 0 : std::min(s.StartMenuCount, kMaxStartMenuItems);
}

// Every such setting the package uses, in the order they are checked.
std::vector<RelativePath> RelativePaths(CSfxSettings& s) {
  std::vector<RelativePath> paths;
  if (s.UseExtractFolder && s.BaseFolder != kBaseAbsolute)
    paths.push_back({s.ExtractFolder, TakeFolderBelowBase, IDS_EXTRACT_FOLDER_NOT_BELOW, true});
  for (ExtraCopyItem& item : s.ExtraCopy)
    if (item.BaseFolder != kBaseAbsolute)
      paths.push_back({item.ExtractFolder, TakeFolderBelowBase, IDS_COPY_FOLDER_NOT_BELOW, true});
  // Checked, but kept as written: the settings block drops its leading
  // backslashes itself, and a single backslash is how the sheet names the
  // extraction folder.
  if (s.UseUnInstall && s.UseVesmarinUninstaller)
    paths.push_back({s.UseVesmarinUninstallerFolder, TakeUninstallerFolder,
                     IDS_UNINSTALLER_FOLDER_NOT_BELOW, false});
  if (s.UseStartMenu) {
    for (int i = 0; i < StartMenuItemCount(s); ++i)
      for (wchar_t* file : {s.StartMenu[i].File, s.StartMenu[i].FileE})
        paths.push_back({file, TakeShortcutFile, IDS_START_MENU_FILE_NOT_BELOW, true});
    for (wchar_t* group : {s.StartMenuGroup, s.StartMenuGroupE})
      paths.push_back({group, TakeStartMenuName, 0, true});
    for (int i = 0; i < StartMenuItemCount(s); ++i)
      for (wchar_t* title : {s.StartMenu[i].Title, s.StartMenu[i].TitleE})
        paths.push_back({title, TakeStartMenuName, 0, true});
  }
  return paths;
}

// The longest file or folder name in a path, and the length of its last.
size_t LongestPart(const wchar_t* path, size_t* last) {
  size_t longest = 0, length = 0;
  for (const wchar_t* c = path; *c; ++c) {
    length = *c == L'\\' ? 0 : length + 1;
    longest = std::max(longest, length);
  }
  if (last) *last = length;
  return longest;
}

// Names the file system can never create: a folder name over 255
// characters, or a shortcut whose file name with ".lnk" would be.
bool CheckNameLengths(const CSfxSettings& s) {
  const size_t limit = kMaxPathComponent;
  std::vector<const wchar_t*> folders;
  if (s.UseExtractFolder) folders.push_back(s.ExtractFolder);
  for (const ExtraCopyItem& item : s.ExtraCopy) folders.push_back(item.ExtractFolder);
  if (s.UseUnInstall && s.UseVesmarinUninstaller) folders.push_back(s.UseVesmarinUninstallerFolder);
  if (s.UseStartMenu) {
    folders.push_back(s.StartMenuGroup);
    folders.push_back(s.StartMenuGroupE);
  }
  for (const wchar_t* folder : folders)
    if (LongestPart(folder, nullptr) > limit) return Fail(IDS_FOLDER_NAME_TOO_LONG, folder);
  if (s.UseStartMenu) {
    const size_t extension = std::wcslen(L".lnk");
    for (int i = 0; i < StartMenuItemCount(s); ++i)
      for (const wchar_t* title : {s.StartMenu[i].Title, s.StartMenu[i].TitleE}) {
        size_t last = 0;
        if (LongestPart(title, &last) > limit || last + extension > limit)
          return Fail(IDS_ITEM_TITLE_TOO_LONG, title);
      }
  }
  return true;
}

bool CheckUninstallerNames(ArchiveHandle* archive) {
  const CSfxSettings& s = g_SfxSettings;
  // The uninstaller the package installs, under the name of its bitness,
  // and its uninstall information file beside it.
  const wchar_t* program = s.Use64bitStub ? L"Hollmere64.exe" : L"Hollmere.exe";
  wchar_t path[MAX_PATH] = L"";
  if (!CombinePath(path, s.UseVesmarinUninstallerFolder, program)) return Fail(IDS_UNINSTALLER_FOLDER_LONG);
  const wchar_t* start = path;
  while (*start == L'\\') ++start;
  std::wstring name(start);
  if (FindArchiveItem(archive, name.c_str())) return Fail(IDS_UNINSTALLER_NAME_TAKEN, name.c_str());
  const size_t dot = name.find_last_of(L'.');
  const size_t slash = name.find_last_of(L'\\');
  if (dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash)) name.erase(dot);
  name += L".$$$";
  if (FindArchiveItem(archive, name.c_str())) return Fail(IDS_UNINSTALLER_NAME_TAKEN, name.c_str());
  return true;
}

}  // namespace

bool ValidateSettings() {
  const CSfxSettings& s = g_SfxSettings;
  if (s.UseExtractFolder && (s.BaseFolder < 0 || s.BaseFolder > kBaseLastId)) {
    SetBuildError(IDS_BASE_FOLDER_INVALID, s.BaseFolder);
    return false;
  }
  for (const ExtraCopyItem& item : s.ExtraCopy) {
    if (item.BaseFolder < 0 || item.BaseFolder > kBaseLastId) {
      SetBuildError(IDS_COPY_BASE_FOLDER_INVALID, item.FileName, item.BaseFolder);
      return false;
    }
  }
  if (s.BootOSCheck && s.BootableOS == 0) return Fail(IDS_NO_BOOTABLE_OS);
  if (s.ManifestType == 1) {
    if (s.DenyUsers || s.OnlyAdmin) return Fail(IDS_ASINVOKER_RIGHTS_CHECK);
    if (s.UseExtractFolder && NeedsAdministrator(s.BaseFolder)) return Fail(IDS_ASINVOKER_ADMIN_FOLDER);
    if (s.UseUnInstall) return Fail(IDS_ASINVOKER_UNINSTALLER);
    if (s.UseStartMenu && s.StartMenuToCommon) return Fail(IDS_ASINVOKER_COMMON_MENU);
  } else if (s.UseUnInstall && s.AfterDeleteFiles) {
    return Fail(IDS_UNINSTALLER_WITH_DELETE);
  }
  if (s.UseExtractFolder && s.BaseFolder == kBaseAbsolute &&
      !IsAbsoluteFolderForm(s.ExtractFolder))
    return Fail(IDS_BAD_ABSOLUTE_FOLDER);
  if (s.UseStartMenu) {
    if (s.StartMenuGroup[0] && !CheckName(s.StartMenuGroup, IDS_GROUP_ILLEGAL_CHAR, IDS_GROUP_MALFORMED)) return false;
    if (s.StartMenuGroupE[0] && !CheckName(s.StartMenuGroupE, IDS_GROUP_E_ILLEGAL_CHAR, IDS_GROUP_E_MALFORMED)) return false;
    for (int i = 0; i < StartMenuItemCount(s); ++i) {
      if (!CheckName(s.StartMenu[i].Title, IDS_ITEM_ILLEGAL_CHAR, IDS_ITEM_MALFORMED)) return false;
      if (!CheckName(s.StartMenu[i].TitleE, IDS_ITEM_E_ILLEGAL_CHAR, IDS_ITEM_E_MALFORMED)) return false;
    }
  }
  if (s.UseUnInstall && std::wcschr(s.UnInstallKey, L'\\')) return Fail(IDS_UNINSTALL_KEY_ILLEGAL);
  if (s.HollmereUserProvide && !FileExists(s.HollmereUserProvideFile))
    return Fail(IDS_USER_UNINSTALLER_MISSING, s.HollmereUserProvideFile);
  // A definition file written by hand is held to the rules of the sheet.
  for (const RelativePath& path : RelativePaths(g_SfxSettings))
    if (path.refusedId && !path.take(path.text, nullptr)) return Fail(path.refusedId, path.text);
  return CheckNameLengths(s);
}

void StoreRelativeFolders() {
  for (const RelativePath& path : RelativePaths(g_SfxSettings)) {
    std::wstring stored;
    if (path.store && path.take(path.text, &stored)) lstrcpynW(path.text, stored.c_str(), MAX_PATH);
  }
}

bool ValidateArchiveReferences() {
  const CSfxSettings& s = g_SfxSettings;
  ScopedArchive held(OpenArchive(s.SrcArchiveFile));
  if (!held.valid()) return true;
  ArchiveHandle* archive = held.get();

  if (s.ManifestType == 2) {
    if (!s.ManifestFile[0]) return Fail(IDS_MANIFEST_FILE_MISSING);
    if (!FileExists(s.ManifestFile)) return Fail(IDS_MANIFEST_FILE_NOT_FOUND, s.ManifestFile);
  }
  if (s.IconType == L"custom") {
    if (!s.IconFile[0]) return Fail(IDS_ICON_FILE_MISSING);
    if (!FileExists(s.IconFile)) return Fail(IDS_ICON_FILE_NOT_FOUND, s.IconFile);
  }
  if (s.UseBannerFile && !CheckArchiveFile(archive, s.BannerFile, IDS_BANNER_MISSING, IDS_BANNER_NOT_IN_ARCHIVE)) return false;
  if (s.UseBackScreen && s.UseBackScreenLogoBmp &&
      !CheckArchiveFile(archive, s.BackScreenLogoBmp, IDS_LOGO_MISSING, IDS_LOGO_NOT_IN_ARCHIVE))
    return false;
  if (!s.NoUI && s.UsePanelBitmap && !CheckArchiveFile(archive, s.PanelBitmap, IDS_PANEL_MISSING, IDS_PANEL_NOT_IN_ARCHIVE))
    return false;
  if (s.UseNewWizard && s.UseWiz97PanelBitmap &&
      !CheckArchiveFile(archive, s.Wiz97PanelBitmap, IDS_WIZ97_PANEL_MISSING, IDS_WIZ97_PANEL_NOT_IN_ARCHIVE))
    return false;
  if (s.UseExplain) {
    if (!s.ExplainFile[0] && !s.ExplainFileE[0]) return Fail(IDS_EXPLAIN_FILE_MISSING);
    if (s.ExplainFile[0] && !FindArchiveItem(archive, s.ExplainFile))
      return Fail(IDS_EXPLAIN_NOT_IN_ARCHIVE, s.ExplainFile);
    if (s.ExplainFileE[0] && !FindArchiveItem(archive, s.ExplainFileE))
      return Fail(IDS_EXPLAIN_NOT_IN_ARCHIVE, s.ExplainFileE);
  }
  if (s.UseStartMenu) {
    for (int i = 0; i < StartMenuItemCount(s); ++i) {
      for (const wchar_t* file : {s.StartMenu[i].File, s.StartMenu[i].FileE}) {
        const size_t length = std::wcslen(file);
        if (length == 0 || file[length - 1] == L'\\') continue;  // a folder
        if (!FindArchiveItem(archive, file)) return Fail(IDS_START_MENU_NOT_IN_ARCHIVE, file);
      }
    }
  }
  if (s.UseUnInstall) {
    if (!s.UnInstallTitle[0]) return Fail(IDS_UNINSTALL_TITLE_MISSING);
    if (!s.UnInstallKey[0]) return Fail(IDS_UNINSTALL_KEY_MISSING);
    if (s.UseVesmarinUninstaller && !CheckUninstallerNames(archive)) return false;
  }
  if (s.UseAutoExecute) {
    if (s.CmdLine[0] && !FindArchiveItem(archive, s.CmdLine)) return Fail(IDS_AUTO_EXEC_NOT_IN_ARCHIVE, s.CmdLine);
    const int count = s.AutoExecCount < 0 ? 0 : std::min(s.AutoExecCount, kMaxAutoExecItems);
    for (int i = 0; i < count; ++i) {
      const wchar_t* file = s.AutoExec[i].File;
      if (!file[0] || !FindArchiveItem(archive, file)) return Fail(IDS_AUTO_EXEC_NOT_IN_ARCHIVE, file);
    }
  }
  return true;
}

bool IsAbsoluteFolderForm(const wchar_t* path) {
  if (std::wcslen(path) < 3) return false;
  if (path[0] == L'\\' && path[1] == L'\\') return true;
  if (IsAsciiAlnum(path[0]) && path[1] == L':' && path[2] == L'\\') return true;
  return path[0] == L'%';
}
