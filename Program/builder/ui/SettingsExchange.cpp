#include "SettingsExchange.h"

#include <commctrl.h>

#include <cwchar>
#include <initializer_list>

#include "BuilderState.h"
#include "BuilderUtil.h"
#include "OsCheckList.h"
#include "PathPieces.h"
#include "SfxSettings.h"
#include "VesmarinResource.h"

namespace {

enum class Kind { Check, InvertedCheck, BoolCheck, List, Text, Color };

// When a control is read back into its member.
enum class ReadBack {
  Always,
  JapaneseOnly,          // left alone with an English interface
  JapaneseElseEmptied,   // emptied with an English interface
};

struct Entry {
  int dialogId;
  int controlId;
  Kind kind;
  void* (*member)(CSfxSettings&);
  int capacity;  // characters, NUL included (texts only)
  ReadBack readBack;
};

#define TEXT_ENTRY(dialog, control, name, readBack)                                 \
  {dialog, control, Kind::Text, [](CSfxSettings& s) -> void* { return s.name; },      \
   static_cast<int>(sizeof(CSfxSettings::name) / sizeof(wchar_t)), ReadBack::readBack}
#define INT_ENTRY(dialog, control, kind, name) \
  {dialog, control, Kind::kind, [](CSfxSettings& s) -> void* { return &s.name; }, 0, ReadBack::Always}

const Entry kEntries[] = {
    // Main window.
    TEXT_ENTRY(IDD_MAIN, IDC_ARCHIVE_EDIT, SrcArchiveFile, Always),
    TEXT_ENTRY(IDD_MAIN, IDC_OUTPUT_EDIT, DstExeFile, Always),
    TEXT_ENTRY(IDD_MAIN, IDC_TITLE_EDIT, DialogTitle, Always),
    TEXT_ENTRY(IDD_MAIN, IDC_TITLE_E_EDIT, DialogTitleE, Always),
    TEXT_ENTRY(IDD_MAIN, IDC_GREETING_EDIT, Greeting, JapaneseOnly),
    TEXT_ENTRY(IDD_MAIN, IDC_GREETING_E_EDIT, GreetingE, Always),
    TEXT_ENTRY(IDD_MAIN, IDC_CREDIT_EDIT, VesmarinFor, Always),
    TEXT_ENTRY(IDD_MAIN, IDC_CREDIT_E_EDIT, VesmarinForE, JapaneseElseEmptied),

    // "Extract".
    INT_ENTRY(IDD_PAGE_EXTRACT, IDC_EXTRACT_ASK_PATH, Check, AskExtPath),
    INT_ENTRY(IDD_PAGE_EXTRACT, IDC_EXTRACT_USE_FOLDER, Check, UseExtractFolder),
    INT_ENTRY(IDD_PAGE_EXTRACT, IDC_EXTRACT_BASE, List, BaseFolder),
    TEXT_ENTRY(IDD_PAGE_EXTRACT, IDC_EXTRACT_FOLDER, ExtractFolder, Always),
    INT_ENTRY(IDD_PAGE_EXTRACT, IDC_EXTRACT_ASK_OVERWRITE, Check, AskOverwrite),
    INT_ENTRY(IDD_PAGE_EXTRACT, IDC_EXTRACT_HIDE_ASK_OVERWRITE, Check, HideAskOverWrite),
    INT_ENTRY(IDD_PAGE_EXTRACT, IDC_EXTRACT_ADD_TITLE, Check, AddFileTitle),
    INT_ENTRY(IDD_PAGE_EXTRACT, IDC_EXTRACT_NO_OVERWRITE_NEWER, Check, NoOverwriteNewTimeStamp),
    INT_ENTRY(IDD_PAGE_EXTRACT, IDC_EXTRACT_NO_OPEN_FOLDER, Check, NoOpenFolderOnEnd),
    INT_ENTRY(IDD_PAGE_EXTRACT, IDC_EXTRACT_SHOW_FORCE, Check, ShowForceOverwrite),
    INT_ENTRY(IDD_PAGE_EXTRACT, IDC_EXTRACT_ATTRIBUTES, Check, WithAttribute),
    INT_ENTRY(IDD_PAGE_EXTRACT, IDC_EXTRACT_NO_ASK_MKDIR, Check, NoAskMakeDir),
    INT_ENTRY(IDD_PAGE_EXTRACT, IDC_EXTRACT_SAVE_PATH, Check, UseSavePath),
    INT_ENTRY(IDD_PAGE_EXTRACT, IDC_EXTRACT_ROOT, List, SavePath_RootKey),
    TEXT_ENTRY(IDD_PAGE_EXTRACT, IDC_EXTRACT_KEY, SavePathKey, Always),
    TEXT_ENTRY(IDD_PAGE_EXTRACT, IDC_EXTRACT_VALUE, SavePathValue, Always),
    INT_ENTRY(IDD_PAGE_EXTRACT, IDC_EXTRACT_OVERWRITE_METHOD, List, OverWriteMethod),

    // "Description".
    INT_ENTRY(IDD_PAGE_DESCRIPTION, IDC_DESC_USE, Check, UseExplain),
    TEXT_ENTRY(IDD_PAGE_DESCRIPTION, IDC_DESC_FILE, ExplainFile, Always),
    TEXT_ENTRY(IDD_PAGE_DESCRIPTION, IDC_DESC_FILE_E, ExplainFileE, Always),
    INT_ENTRY(IDD_PAGE_DESCRIPTION, IDC_DESC_NO_EXTRACT, Check, NoExtractExplainFile),
    INT_ENTRY(IDD_PAGE_DESCRIPTION, IDC_DESC_CONSENT, Check, ExplainToConsent),
    INT_ENTRY(IDD_PAGE_DESCRIPTION, IDC_DESC_READ_ALL, Check, ExplainAllRead),
    INT_ENTRY(IDD_PAGE_DESCRIPTION, IDC_DESC_NO_SKIP_CHANGED, Check, ExplainNoSkipTextChanged),
    INT_ENTRY(IDD_PAGE_DESCRIPTION, IDC_DESC_SAVE_FLAG, Check, UseSaveExplainShowFlag),
    INT_ENTRY(IDD_PAGE_DESCRIPTION, IDC_DESC_ROOT, List, SaveExplainShowFlag_RootKey),
    TEXT_ENTRY(IDD_PAGE_DESCRIPTION, IDC_DESC_KEY, SaveExplainShowFlagKey, Always),
    TEXT_ENTRY(IDD_PAGE_DESCRIPTION, IDC_DESC_VALUE, SaveExplainShowFlagValue, Always),

    // "Register shortcut".
    INT_ENTRY(IDD_PAGE_SHORTCUT, IDC_SC_USE, Check, UseStartMenu),
    TEXT_ENTRY(IDD_PAGE_SHORTCUT, IDC_SC_GROUP, StartMenuGroup, JapaneseOnly),
    TEXT_ENTRY(IDD_PAGE_SHORTCUT, IDC_SC_GROUP_E, StartMenuGroupE, Always),
    INT_ENTRY(IDD_PAGE_SHORTCUT, IDC_SC_COMMON, Check, StartMenuToCommon),
    INT_ENTRY(IDD_PAGE_SHORTCUT, IDC_SC_DSQ_ON, Check, StartMenuDSQDefaultOn),
    INT_ENTRY(IDD_PAGE_SHORTCUT, IDC_SC_DSQ_NO_CONFIRM, Check, StartMenuDSQNoConfirm),

    // "Automatic execution".
    INT_ENTRY(IDD_PAGE_AUTOEXEC, IDC_AUTO_USE, Check, UseAutoExecute),
    TEXT_ENTRY(IDD_PAGE_AUTOEXEC, IDC_AUTO_FILE, CmdLine, Always),
    TEXT_ENTRY(IDD_PAGE_AUTOEXEC, IDC_AUTO_ARGS, CmdArgs, Always),
    INT_ENTRY(IDD_PAGE_AUTOEXEC, IDC_AUTO_NON_ELEVATE, BoolCheck, CmdNonElevate),
    INT_ENTRY(IDD_PAGE_AUTOEXEC, IDC_AUTO_DELETE_AFTER, Check, AfterDeleteFiles),
    INT_ENTRY(IDD_PAGE_AUTOEXEC, IDC_AUTO_SKIP_COMPLETE, Check, SkipInstallCompletePageOnAutoExec),

    // "Banner".
    INT_ENTRY(IDD_PAGE_BANNER, IDC_BANNER_USE, Check, UseBannerFile),
    TEXT_ENTRY(IDD_PAGE_BANNER, IDC_BANNER_FILE_EDIT, BannerFile, Always),
    INT_ENTRY(IDD_PAGE_BANNER, IDC_BANNER_NO_EXTRACT, Check, NoExtractBannerFile),
    INT_ENTRY(IDD_PAGE_BANNER, IDC_BANNER_USE_URL, Check, UseURL),
    TEXT_ENTRY(IDD_PAGE_BANNER, IDC_BANNER_MESSAGE, HPTitle, Always),
    TEXT_ENTRY(IDD_PAGE_BANNER, IDC_BANNER_MESSAGE_E, HPTitleE, Always),
    TEXT_ENTRY(IDD_PAGE_BANNER, IDC_BANNER_URL, URL, Always),
    TEXT_ENTRY(IDD_PAGE_BANNER, IDC_BANNER_URL_E, URLE, Always),

    // "Background".
    INT_ENTRY(IDD_PAGE_BACKGROUND, IDC_BACK_LOGO_NO_EXTRACT, InvertedCheck, ExtractScreenLogo),
    INT_ENTRY(IDD_PAGE_BACKGROUND, IDC_BACK_USE, Check, UseBackScreen),
    INT_ENTRY(IDD_PAGE_BACKGROUND, IDC_BACK_COLOR, Color, BackScreenColor),
    INT_ENTRY(IDD_PAGE_BACKGROUND, IDC_BACK_LOGO_USE, Check, UseBackScreenLogoBmp),
    TEXT_ENTRY(IDD_PAGE_BACKGROUND, IDC_BACK_TEXT, BackScreenText, Always),
    TEXT_ENTRY(IDD_PAGE_BACKGROUND, IDC_BACK_TEXT_E, BackScreenTextE, Always),
    TEXT_ENTRY(IDD_PAGE_BACKGROUND, IDC_BACK_LOGO_EDIT, BackScreenLogoBmp, Always),

    // "Process before startup" (the OS check list and the validity list
    // are exchanged below).
    INT_ENTRY(IDD_PAGE_STARTUP, IDC_STARTUP_POWER_USERS, Check, DenyUsers),
    INT_ENTRY(IDD_PAGE_STARTUP, IDC_STARTUP_ADMIN, Check, OnlyAdmin),
    INT_ENTRY(IDD_PAGE_STARTUP, IDC_STARTUP_OS_CHECK, Check, BootOSCheck),
    INT_ENTRY(IDD_PAGE_STARTUP, IDC_STARTUP_DENY_WOW64, Check, Deny64bitMode),
};

#undef TEXT_ENTRY
#undef INT_ENTRY

const int kValidityList = IDC_STARTUP_VALIDITY;
const int kOsCheckList = IDC_STARTUP_OS_LIST;

bool Checked(HWND window, int id) { return IsDlgButtonChecked(window, id) == BST_CHECKED; }

void Enable(HWND window, int id, bool enabled) {
  HWND control = GetDlgItem(window, id);
  if (control) EnableWindow(control, enabled ? TRUE : FALSE);
}

void EnableAll(HWND window, std::initializer_list<int> ids, bool enabled) {
  for (int id : ids) Enable(window, id, enabled);
}

bool ListHasSelection(HWND window, int listId) {
  HWND list = GetDlgItem(window, listId);
  return list && SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0) > 0;
}

void EntryToControl(HWND window, const Entry& entry, CSfxSettings& settings) {
  void* member = entry.member(settings);
  HWND control = GetDlgItem(window, entry.controlId);
  switch (entry.kind) {
    case Kind::Check:
      CheckDlgButton(window, entry.controlId, *static_cast<int*>(member) ? BST_CHECKED : BST_UNCHECKED);
      break;
    case Kind::InvertedCheck:
      CheckDlgButton(window, entry.controlId, *static_cast<int*>(member) ? BST_UNCHECKED : BST_CHECKED);
      break;
    case Kind::BoolCheck:
      CheckDlgButton(window, entry.controlId, *static_cast<bool*>(member) ? BST_CHECKED : BST_UNCHECKED);
      break;
    case Kind::List:
      if (control) SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(*static_cast<int*>(member)), 0);
      break;
    case Kind::Text:
      if (control) SetWindowTextW(control, static_cast<wchar_t*>(member));
      break;
    case Kind::Color:
      if (control) SendMessageW(control, BM_SETCHECK, *static_cast<COLORREF*>(member), 0);
      break;
  }
}

void ControlToEntry(HWND window, const Entry& entry, CSfxSettings& settings, bool japanese) {
  void* member = entry.member(settings);
  HWND control = GetDlgItem(window, entry.controlId);
  if (!control) return;
  switch (entry.kind) {
    case Kind::Check:
      *static_cast<int*>(member) = Checked(window, entry.controlId) ? 1 : 0;
      break;
    case Kind::InvertedCheck:
      *static_cast<int*>(member) = Checked(window, entry.controlId) ? 0 : 1;
      break;
    case Kind::BoolCheck:
      *static_cast<bool*>(member) = Checked(window, entry.controlId);
      break;
    case Kind::List: {
      // A list without a selection (a stored value the list does not hold)
      // leaves the member as it was.
      LRESULT index = SendMessageW(control, CB_GETCURSEL, 0, 0);
      if (index != CB_ERR) *static_cast<int*>(member) = static_cast<int>(index);
      break;
    }
    case Kind::Text: {
      wchar_t* text = static_cast<wchar_t*>(member);
      if (!japanese && entry.readBack == ReadBack::JapaneseOnly) break;
      if (!japanese && entry.readBack == ReadBack::JapaneseElseEmptied) {
        text[0] = L'\0';
        break;
      }
      ReadWindowText(control, text, entry.capacity);
      break;
    }
    case Kind::Color:
      *static_cast<COLORREF*>(member) = static_cast<COLORREF>(SendMessageW(control, BM_GETCHECK, 0, 0));
      break;
  }
}

void ShowControl(HWND window, int id, bool visible) {
  HWND control = GetDlgItem(window, id);
  if (control) ShowWindow(control, visible ? SW_SHOW : SW_HIDE);
}

}  // namespace

void ApplyLanguageList(HWND window, int listId, int primaryEditId, int englishEditId) {
  const bool english = SendDlgItemMessageW(window, listId, CB_GETCURSEL, 0, 0) == 1;
  ShowControl(window, englishEditId, english);
  ShowControl(window, primaryEditId, !english);
}

void SettingsToControls(HWND window, int dialogId) {
  CSfxSettings& settings = g_SfxSettings;
  for (const Entry& entry : kEntries)
    if (entry.dialogId == dialogId) EntryToControl(window, entry, settings);

  switch (dialogId) {
    case IDD_MAIN:
      wcscpy(g_UiState.GreetingBackup, settings.Greeting);
      wcscpy(g_UiState.GreetingEBackup, settings.GreetingE);
      if (g_UiState.JapaneseUI) {
        ApplyLanguageList(window, IDC_TITLE_LANGUAGE, IDC_TITLE_EDIT, IDC_TITLE_E_EDIT);
        ApplyLanguageList(window, IDC_GREETING_LANGUAGE, IDC_GREETING_EDIT, IDC_GREETING_E_EDIT);
      }
      ShowControl(window, IDC_CREDIT_LANGUAGE, g_UiState.JapaneseUI);
      ApplyLanguageList(window, IDC_CREDIT_LANGUAGE, IDC_CREDIT_EDIT, IDC_CREDIT_E_EDIT);
      break;
    case IDD_PAGE_EXTRACT:
      if (g_StartupPageWindow && IsWindow(g_StartupPageWindow))
        Enable(g_StartupPageWindow, IDC_STARTUP_ADMIN, settings.OverWriteMethod != 2);
      break;
    case IDD_PAGE_STARTUP: {
      int index = settings.CheckTrust ? 2 : (settings.NoCRCCheck ? 0 : 1);
      SendDlgItemMessageW(window, kValidityList, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
      Enable(window, IDC_STARTUP_POWER_USERS, !(settings.UseUnInstall && settings.UseVesmarinUninstaller));
      Enable(window, IDC_STARTUP_ADMIN, settings.OverWriteMethod != 2);
      ShowOsBitsInList(GetDlgItem(window, kOsCheckList));
      break;
    }
  }
}

void ControlsToSettings(HWND window, int dialogId) {
  CSfxSettings& settings = g_SfxSettings;
  for (const Entry& entry : kEntries)
    if (entry.dialogId == dialogId) ControlToEntry(window, entry, settings, g_UiState.JapaneseUI);

  if (dialogId == IDD_PAGE_STARTUP) {
    ReadOsBitsFromList(GetDlgItem(window, kOsCheckList));
    switch (SendDlgItemMessageW(window, kValidityList, CB_GETCURSEL, 0, 0)) {
      case 0:
        settings.NoCRCCheck = 1;
        settings.CheckTrust = 0;
        break;
      case 1:
        settings.NoCRCCheck = 0;
        settings.CheckTrust = 0;
        break;
      case 2:
        settings.NoCRCCheck = 1;
        settings.CheckTrust = 1;
        break;
      default:
        break;  // no selection: both stay
    }
  }
}

void UpdateExtractFolderControls(HWND page) {
  EnableAll(page,
            {IDC_EXTRACT_FOLDER_LABEL, IDC_EXTRACT_FOLDER, IDC_EXTRACT_BASE_LABEL, IDC_EXTRACT_BASE,
             IDC_EXTRACT_PLUS},
            Checked(page, IDC_EXTRACT_USE_FOLDER));
}

void UpdateSavePathControls(HWND page) {
  EnableAll(page,
            {IDC_EXTRACT_ROOT_LABEL, IDC_EXTRACT_KEY_LABEL, IDC_EXTRACT_VALUE_LABEL,
             IDC_EXTRACT_ROOT, IDC_EXTRACT_KEY, IDC_EXTRACT_VALUE},
            Checked(page, IDC_EXTRACT_SAVE_PATH));
}

void NormalizeExtractFolder(HWND page) {
  wchar_t text[260];
  ReadWindowText(GetDlgItem(page, IDC_EXTRACT_FOLDER), text, 260);
  const LRESULT base = SendDlgItemMessageW(page, IDC_EXTRACT_BASE, CB_GETCURSEL, 0, 0);
  if (base != 4 && base != 6) {
    while (wcslen(text) > 1 && text[1] == L':') wmemmove(text, text + 2, wcslen(text + 2) + 1);
    while (text[0] == L'\\') wmemmove(text, text + 1, wcslen(text + 1) + 1);
  }
  SetDlgItemTextW(page, IDC_EXTRACT_FOLDER, text);
}

void UpdateDescriptionControls(HWND page) {
  const bool shown = Checked(page, IDC_DESC_USE);
  EnableAll(page,
            {IDC_DESC_FILE_LABEL, IDC_DESC_CONSENT_NOTE, IDC_DESC_FILE_E_LABEL, IDC_DESC_FILE,
             IDC_DESC_BROWSE, IDC_DESC_FILE_E, IDC_DESC_BROWSE_E, IDC_DESC_NO_EXTRACT,
             IDC_DESC_CONSENT, IDC_DESC_READ_ALL, IDC_DESC_SAVE_FLAG},
            shown);
  const bool stored = shown && Checked(page, IDC_DESC_SAVE_FLAG);
  EnableAll(page,
            {IDC_DESC_ROOT_LABEL, IDC_DESC_KEY_LABEL, IDC_DESC_VALUE_LABEL, IDC_DESC_ROOT,
             IDC_DESC_KEY, IDC_DESC_VALUE, IDC_DESC_NO_SKIP_CHANGED},
            stored);
  if (shown) {
    const bool haveArchive = g_SfxSettings.SrcArchiveFile[0] != L'\0';
    EnableAll(page, {IDC_DESC_BROWSE, IDC_DESC_BROWSE_E}, haveArchive);
  }
}

void UpdateShortcutControls(HWND page) {
  const bool used = Checked(page, IDC_SC_USE);
  EnableAll(page,
            {IDC_SC_GROUP_LABEL, IDC_SC_LIST_LABEL, IDC_SC_GROUP_NOTE, IDC_SC_GROUP, IDC_SC_GROUP_E,
             IDC_SC_LIST, IDC_SC_ADD, IDC_SC_COMMON, IDC_SC_DSQ_ON, IDC_SC_DSQ_NO_CONFIRM,
             IDC_SC_GROUP_LANGUAGE},
            used);
  EnableAll(page, {IDC_SC_DELETE, IDC_SC_EDIT}, false);
  if (used) {
    if (Checked(page, IDC_SC_DSQ_NO_CONFIRM)) {
      CheckDlgButton(page, IDC_SC_DSQ_ON, BST_CHECKED);
      Enable(page, IDC_SC_DSQ_ON, false);
    } else {
      Enable(page, IDC_SC_DSQ_ON, true);
    }
    EnableAll(page, {IDC_SC_DELETE, IDC_SC_EDIT}, ListHasSelection(page, IDC_SC_LIST));
  }
}

void UpdateShortcutListButtons(HWND page) {
  EnableAll(page, {IDC_SC_DELETE, IDC_SC_EDIT}, ListHasSelection(page, IDC_SC_LIST));
}

bool CheckAutoExecIsExe(HWND page) {
  wchar_t file[260];
  ReadWindowText(GetDlgItem(page, IDC_AUTO_FILE), file, 260);
  const wchar_t* extension = FindFileExtension(file);
  const bool isExe = extension && _wcsicmp(extension, L".exe") == 0;
  if (isExe) {
    EnableAll(page, {IDC_AUTO_ARGS, IDC_AUTO_DELETE_AFTER}, true);
  } else {
    CheckDlgButton(page, IDC_AUTO_DELETE_AFTER, BST_UNCHECKED);
    EnableAll(page, {IDC_AUTO_ARGS, IDC_AUTO_DELETE_AFTER}, false);
  }
  return isExe;
}

void UpdateAutoExecControls(HWND page) {
  const bool used = Checked(page, IDC_AUTO_USE);
  EnableAll(page,
            {IDC_AUTO_FILE_LABEL, IDC_AUTO_LIST_LABEL, IDC_AUTO_ARGS_LABEL, IDC_AUTO_DELETE_NOTE,
             IDC_AUTO_NON_ELEVATE, IDC_AUTO_FILE, IDC_AUTO_BROWSE, IDC_AUTO_SKIP_COMPLETE},
            used);
  EnableAll(page, {IDC_AUTO_ARGS, IDC_AUTO_DELETE_AFTER}, false);
  if (used) {
    Enable(page, IDC_AUTO_BROWSE, g_SfxSettings.SrcArchiveFile[0] != L'\0');
    g_SfxSettings.AfterDeleteFiles = Checked(page, IDC_AUTO_DELETE_AFTER) ? 1 : 0;
    if (CheckAutoExecIsExe(page)) EnableAll(page, {IDC_AUTO_DELETE_AFTER, IDC_AUTO_ARGS}, true);
  }
  UpdateAutoExecListControls(page);
}

void UpdateAutoExecListControls(HWND page) {
  const bool listUsable = Checked(page, IDC_AUTO_USE) && g_SfxSettings.AfterDeleteFiles == 0;
  EnableAll(page, {IDC_AUTO_LIST_LABEL, IDC_AUTO_LIST, IDC_AUTO_ADD}, listUsable);
  EnableAll(page, {IDC_AUTO_DELETE, IDC_AUTO_EDIT},
            listUsable && ListHasSelection(page, IDC_AUTO_LIST));
}
