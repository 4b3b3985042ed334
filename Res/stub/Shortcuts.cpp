#include "Shortcuts.h"

#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cwchar>

#include "CreatedPaths.h"
#include "Folders.h"
#include "InstalledLocation.h"
#include "StubLog.h"
#include "StubState.h"
#include "StubStrings.h"
#include "ShellResource.h"
#include "TessalyResource.h"

namespace stub {

namespace {

const size_t kIconLocationSize = 270;
wchar_t g_iconLocation[kIconLocationSize];

const wchar_t kQuickLaunch[] = L"Microsoft\\Internet Explorer\\Quick Launch";
const wchar_t kLinkExtension[] = L".lnk";

// A shell folder's file-system path (MAX_PATH characters).
bool GetShellFolder(HWND window, int csidl, wchar_t* path) {
  path[0] = 0;
  LPITEMIDLIST list = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(window, csidl, &list)) || !list) return false;
  const bool ok = SHGetPathFromIDListW(list, path) != FALSE;
  CoTaskMemFree(list);
  if (!ok) path[0] = 0;
  return ok && path[0];
}

// The installed place a shortcut points at: the extraction folder for a
// single backslash, else the installed copy of the archive file.
bool ShortcutTarget(const wchar_t* file, wchar_t* target) {
  if (wcscmp(file, L"\\") == 0) {
    if (!g_Settings) return false;
    lstrcpynW(target, g_Settings->ExtractPath, MAX_PATH);
    return target[0] != 0;
  }
  return GetInstalledLocation(file, target);
}

// folder\title.lnk into link (MAX_PATH); false when it cannot be joined or
// would be 260 characters or longer.
bool FormLinkPath(const wchar_t* folder, const wchar_t* title, wchar_t* link) {
  wchar_t joined[MAX_PATH] = {};
  if (!PathCombineW(joined, folder, title)) return false;
  const size_t length = wcslen(joined);
  if (length + wcslen(kLinkExtension) >= MAX_PATH) return false;
  lstrcpynW(link, joined, MAX_PATH);
  wcscat(link, kLinkExtension);
  return true;
}

struct ShortcutTexts {
  const wchar_t* title;
  const wchar_t* file;
  const wchar_t* args;
  const wchar_t* comment;
  const wchar_t* icon;  // resolved location or null
};

bool MakeInFolder(HWND window, int csidl, const wchar_t* subFolder, bool baseIsShellFolder,
                  const ShortcutTexts& texts) {
  wchar_t shellFolder[MAX_PATH];
  if (!GetShellFolder(window, csidl, shellFolder)) {
    StubLog(L"Shortcut folder %d is not available\n", csidl);
    return false;
  }
  wchar_t linkFolder[MAX_PATH];
  if (subFolder && *subFolder) {
    if (!PathCombineW(linkFolder, shellFolder, subFolder)) return false;
  } else {
    lstrcpynW(linkFolder, shellFolder, MAX_PATH);
  }
  return CreateShortcutLink(window, linkFolder, baseIsShellFolder ? shellFolder : linkFolder,
                            texts.file, texts.title, texts.args, texts.comment, texts.icon);
}

// The desktop shortcut of an all-users installation: made on the common
// desktop, and a shortcut of the same name on the user's own desktop that
// points at the same installed file is deleted.
bool MakeCommonDesktopShortcut(HWND window, const ShortcutTexts& texts) {
  wchar_t userDesktop[MAX_PATH];
  if (!GetShellFolder(window, CSIDL_DESKTOP, userDesktop)) return false;
  wchar_t commonDesktop[MAX_PATH];
  if (!GetShellFolder(window, CSIDL_COMMON_DESKTOPDIRECTORY, commonDesktop)) {
    return CreateShortcutLink(window, userDesktop, userDesktop, texts.file, texts.title,
                              texts.args, texts.comment, texts.icon);
  }
  if (!CreateShortcutLink(window, commonDesktop, commonDesktop, texts.file, texts.title,
                          texts.args, texts.comment, texts.icon))
    return false;
  wchar_t userLink[MAX_PATH];
  if (!FormLinkPath(userDesktop, texts.title, userLink)) return false;
  if (GetFileAttributesW(userLink) == INVALID_FILE_ATTRIBUTES) return true;
  wchar_t target[MAX_PATH] = {};
  wchar_t existing[MAX_PATH] = {};
  if (ShortcutTarget(texts.file, target) && ReadShellLinkTarget(userLink, existing) &&
      lstrcmpiW(existing, target) == 0) {
    StubLog(L"Deleting the user's own desktop shortcut %ls\n", userLink);
    DeleteFileW(userLink);
  }
  return true;
}

}  // namespace

const wchar_t* ChooseShortcutText(const wchar_t* plain, const wchar_t* english) {
  if (g_JapaneseUi) return plain;
  return english && *english ? english : plain;
}

const wchar_t* ShortcutGroupName() {
  if (!g_Settings) return L"";
  return ChooseShortcutText(g_Settings->StartMenuGroup, g_Settings->StartMenuGroupE);
}

bool ShortcutsForAllUsers() {
  return g_Settings && (g_Settings->FlagsA & SfxFlagsA::StartMenuToCommon) != 0;
}

bool WriteShellLink(const wchar_t* linkPath, const wchar_t* target, const wchar_t* args,
                    const wchar_t* comment, const wchar_t* iconLocation) {
  IShellLinkW* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&link))) ||
      !link)
    return false;
  IPersistFile* file = nullptr;
  bool saved = false;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) && file) {
    link->SetPath(target);
    if (args && *args) link->SetArguments(args);
    const wchar_t* slash = wcsrchr(target, L'\\');
    if (slash) {
      wchar_t folder[MAX_PATH];
      lstrcpynW(folder, target, static_cast<int>(slash - target) + 2);
      PathRemoveBackslashW(folder);
      link->SetWorkingDirectory(folder);
    }
    if (comment && *comment) link->SetDescription(comment);
    if (iconLocation) {
      wchar_t icon[kIconLocationSize];
      lstrcpynW(icon, iconLocation, kIconLocationSize);
      const int index = PathParseIconLocationW(icon);
      link->SetIconLocation(icon, index);
    }
    saved = SUCCEEDED(file->Save(linkPath, TRUE));
    file->Release();
  }
  link->Release();
  return saved;
}

bool ReadShellLinkTarget(const wchar_t* linkPath, wchar_t* target) {
  target[0] = 0;
  IShellLinkW* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&link))) ||
      !link)
    return false;
  bool read = false;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) && file) {
    if (SUCCEEDED(file->Load(linkPath, STGM_READ)))
      read = SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH));
    file->Release();
  }
  link->Release();
  if (!read) target[0] = 0;
  return read;
}

const wchar_t* ResolveShortcutIcon(const StartMenuItem& item) {
  const wchar_t* text = ChooseShortcutText(item.Icon, item.IconE);
  if (!text || !*text) return nullptr;
  wchar_t copy[kIconLocationSize];
  lstrcpynW(copy, text, kIconLocationSize);
  wchar_t* comma = wcsrchr(copy, L',');
  if (comma) *comma = 0;
  wchar_t resolved[MAX_PATH];
  if (!GetInstalledLocation(copy, resolved)) return nullptr;
  const size_t length = wcslen(resolved);
  const size_t tail = comma ? 1 + wcslen(comma + 1) : 0;
  // An index that would not fit leaves the icon out rather than cut it.
  if (length + tail >= kIconLocationSize) return nullptr;
  wcscpy(g_iconLocation, resolved);
  if (comma) {
    wcscat(g_iconLocation, L",");
    wcscat(g_iconLocation, comma + 1);
  }
  return g_iconLocation;
}

bool CreateShortcutLink(HWND window, const wchar_t* linkFolder, const wchar_t* baseFolder,
                        const wchar_t* file, const wchar_t* title, const wchar_t* args,
                        const wchar_t* comment, const wchar_t* iconLocation) {
  wchar_t linkPath[MAX_PATH];
  if (!FormLinkPath(linkFolder, title, linkPath)) {
    wchar_t reason[1024];
    LoadStubString(IDS_ERROR_PATH, reason, ARRAYSIZE(reason));
    wchar_t text[MAX_PATH * 2 + 1100];
    _snwprintf(text, ARRAYSIZE(text) - 1, L"%ls\\%ls%ls\n\n%ls", linkFolder, title,
               kLinkExtension, reason);
    text[ARRAYSIZE(text) - 1] = 0;
    ShowStubMessage(window, text, PackageCaption(), MB_OK | MB_ICONERROR);
    return false;
  }
  wchar_t target[MAX_PATH];
  if (!ShortcutTarget(file, target)) return false;

  wchar_t linkDir[MAX_PATH];
  lstrcpynW(linkDir, linkPath, MAX_PATH);
  PathRemoveFileSpecW(linkDir);
  InCreateDirectory(linkDir, baseFolder);

  PushFileName(linkPath);
  if (GetFileAttributesW(linkPath) == INVALID_FILE_ATTRIBUTES) NoteNewPath(linkPath);
  const bool written = WriteShellLink(linkPath, target, args, comment, iconLocation);
  StubLog(L"Shortcut %ls -> %ls: %ls\n", linkPath, target, written ? L"made" : L"FAILED");
  return written;
}

void CreateShortcuts(HWND window) {
  if (!g_Settings) return;
  const bool common = ShortcutsForAllUsers();
  const wchar_t* group = ShortcutGroupName();
  int count = g_Settings->StartMenuCount;
  if (count > kMaxStartMenuItems) count = kMaxStartMenuItems;
  bool failed = false;
  for (int i = 0; i < count; ++i) {
    const StartMenuItem& item = g_Settings->StartMenu[i];
    ShortcutTexts texts;
    texts.title = ChooseShortcutText(item.Title, item.TitleE);
    texts.file = ChooseShortcutText(item.File, item.FileE);
    texts.args = ChooseShortcutText(item.Args, item.ArgsE);
    texts.comment = ChooseShortcutText(item.Comment, item.CommentE);
    texts.icon = ResolveShortcutIcon(item);

    if (!item.NoCreateInGroup &&
        !MakeInFolder(window, common ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS, group, true, texts))
      failed = true;
    if (item.CreateOnQuickLaunch &&
        !MakeInFolder(window, CSIDL_APPDATA, kQuickLaunch, false, texts))
      failed = true;
    if (item.CreateOnDesktop) {
      const bool made = common ? MakeCommonDesktopShortcut(window, texts)
                               : MakeInFolder(window, CSIDL_DESKTOP, nullptr, false, texts);
      if (!made) failed = true;
    }
    if (item.CreateOnStartup &&
        !MakeInFolder(window, common ? CSIDL_COMMON_STARTUP : CSIDL_STARTUP, nullptr, false, texts))
      failed = true;
    if (item.CreateOnStartRoot &&
        !MakeInFolder(window, common ? CSIDL_COMMON_STARTMENU : CSIDL_STARTMENU, nullptr, false,
                      texts))
      failed = true;
  }
  if (failed) ShowStubStringMessage(window, IDS_SHORTCUTS_FAILED, MB_OK | MB_ICONWARNING);
}

}  // namespace stub
