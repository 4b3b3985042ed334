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
    TEXT_ENTRY(118, IDC_ARCHIVE_EDIT, SrcArchiveFile, Always),
    TEXT_ENTRY(118, IDC_OUTPUT_EDIT, DstExeFile, Always),
    TEXT_ENTRY(118, IDC_TITLE_EDIT, DialogTitle, Always),
    TEXT_ENTRY(118, IDC_TITLE_E_EDIT, DialogTitleE, Always),
    TEXT_ENTRY(118, IDC_GREETING_EDIT, Greeting, JapaneseOnly),
    TEXT_ENTRY(118, IDC_GREETING_E_EDIT, GreetingE, Always),
    TEXT_ENTRY(118, IDC_CREDIT_EDIT, VesmarinFor, Always),
    TEXT_ENTRY(118, IDC_CREDIT_E_EDIT, VesmarinForE, JapaneseElseEmptied),

    // "Extract".
    INT_ENTRY(120, 1005, Check, AskExtPath),
    INT_ENTRY(120, 1049, Check, UseExtractFolder),
    INT_ENTRY(120, 1069, List, BaseFolder),
    TEXT_ENTRY(120, 1002, ExtractFolder, Always),
    INT_ENTRY(120, 1007, Check, AskOverwrite),
    INT_ENTRY(120, 1009, Check, HideAskOverWrite),
    INT_ENTRY(120, 1011, Check, AddFileTitle),
    INT_ENTRY(120, 1012, Check, NoOverwriteNewTimeStamp),
    INT_ENTRY(120, 1014, Check, NoOpenFolderOnEnd),
    INT_ENTRY(120, 1015, Check, ShowForceOverwrite),
    INT_ENTRY(120, 1008, Check, WithAttribute),
    INT_ENTRY(120, 1013, Check, NoAskMakeDir),
    INT_ENTRY(120, 1149, Check, UseSavePath),
    INT_ENTRY(120, 1254, List, SavePath_RootKey),
    TEXT_ENTRY(120, 1255, SavePathKey, Always),
    TEXT_ENTRY(120, 1096, SavePathValue, Always),
    INT_ENTRY(120, 1167, List, OverWriteMethod),

    // "Description".
    INT_ENTRY(121, 1048, Check, UseExplain),
    TEXT_ENTRY(121, 1055, ExplainFile, Always),
    TEXT_ENTRY(121, 1057, ExplainFileE, Always),
    INT_ENTRY(121, 1018, Check, NoExtractExplainFile),
    INT_ENTRY(121, 1019, Check, ExplainToConsent),
    INT_ENTRY(121, 1049, Check, ExplainAllRead),
    INT_ENTRY(121, 1291, Check, ExplainNoSkipTextChanged),
    INT_ENTRY(121, 1229, Check, UseSaveExplainShowFlag),
    INT_ENTRY(121, 1233, List, SaveExplainShowFlag_RootKey),
    TEXT_ENTRY(121, 1234, SaveExplainShowFlagKey, Always),
    TEXT_ENTRY(121, 1235, SaveExplainShowFlagValue, Always),

    // "Register shortcut".
    INT_ENTRY(125, 1043, Check, UseStartMenu),
    TEXT_ENTRY(125, 1046, StartMenuGroup, JapaneseOnly),
    TEXT_ENTRY(125, 1047, StartMenuGroupE, Always),
    INT_ENTRY(125, 1161, Check, StartMenuToCommon),
    INT_ENTRY(125, 1162, Check, StartMenuDSQDefaultOn),
    INT_ENTRY(125, 1163, Check, StartMenuDSQNoConfirm),

    // "Automatic execution".
    INT_ENTRY(129, 1047, Check, UseAutoExecute),
    TEXT_ENTRY(129, 1003, CmdLine, Always),
    TEXT_ENTRY(129, 1004, CmdArgs, Always),
    INT_ENTRY(129, 1237, BoolCheck, CmdNonElevate),
    INT_ENTRY(129, 1010, Check, AfterDeleteFiles),
    INT_ENTRY(129, 1256, Check, SkipInstallCompletePageOnAutoExec),

    // "Banner".
    INT_ENTRY(144, 1052, Check, UseBannerFile),
    TEXT_ENTRY(144, 1014, BannerFile, Always),
    INT_ENTRY(144, 1056, Check, NoExtractBannerFile),
    INT_ENTRY(144, 1054, Check, UseURL),
    TEXT_ENTRY(144, 1017, HPTitle, Always),
    TEXT_ENTRY(144, 1018, HPTitleE, Always),
    TEXT_ENTRY(144, 1262, URL, Always),
    TEXT_ENTRY(144, 1019, URLE, Always),

    // "Background".
    INT_ENTRY(156, 1152, InvertedCheck, ExtractScreenLogo),
    INT_ENTRY(156, 1138, Check, UseBackScreen),
    INT_ENTRY(156, 1145, Color, BackScreenColor),
    INT_ENTRY(156, 1150, Check, UseBackScreenLogoBmp),
    TEXT_ENTRY(156, 1140, BackScreenText, Always),
    TEXT_ENTRY(156, 1142, BackScreenTextE, Always),
    TEXT_ENTRY(156, 1147, BackScreenLogoBmp, Always),

    // "Process before startup" (the OS check list and the validity list
    // are exchanged below).
    INT_ENTRY(162, 1165, Check, DenyUsers),
    INT_ENTRY(162, 1164, Check, OnlyAdmin),
    INT_ENTRY(162, 1169, Check, BootOSCheck),
    INT_ENTRY(162, 1176, Check, Deny64bitMode),
};

#undef TEXT_ENTRY
#undef INT_ENTRY

const int kValidityList = 1185;
const int kOsCheckList = 1241;

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
    case 118:
      wcscpy(g_UiState.GreetingBackup, settings.Greeting);
      wcscpy(g_UiState.GreetingEBackup, settings.GreetingE);
      if (g_UiState.JapaneseUI) {
        ApplyLanguageList(window, IDC_TITLE_LANGUAGE, IDC_TITLE_EDIT, IDC_TITLE_E_EDIT);
        ApplyLanguageList(window, IDC_GREETING_LANGUAGE, IDC_GREETING_EDIT, IDC_GREETING_E_EDIT);
      }
      ShowControl(window, IDC_CREDIT_LANGUAGE, g_UiState.JapaneseUI);
      ApplyLanguageList(window, IDC_CREDIT_LANGUAGE, IDC_CREDIT_EDIT, IDC_CREDIT_E_EDIT);
      break;
    case 120:
      if (g_StartupPageWindow && IsWindow(g_StartupPageWindow))
        Enable(g_StartupPageWindow, 1164, settings.OverWriteMethod != 2);
      break;
    case 162: {
      int index = settings.CheckTrust ? 2 : (settings.NoCRCCheck ? 0 : 1);
      SendDlgItemMessageW(window, kValidityList, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
      Enable(window, 1165, !(settings.UseUnInstall && settings.UseVesmarinUninstaller));
      Enable(window, 1164, settings.OverWriteMethod != 2);
      ShowOsBitsInList(GetDlgItem(window, kOsCheckList));
      break;
    }
  }
}

void ControlsToSettings(HWND window, int dialogId) {
  CSfxSettings& settings = g_SfxSettings;
  for (const Entry& entry : kEntries)
    if (entry.dialogId == dialogId) ControlToEntry(window, entry, settings, g_UiState.JapaneseUI);

  if (dialogId == 162) {
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
  EnableAll(page, {1068, 1002, 1070, 1069, 1071}, Checked(page, 1049));
}

void UpdateSavePathControls(HWND page) {
  EnableAll(page, {1129, 1131, 1132, 1254, 1255, 1096}, Checked(page, 1149));
}

void NormalizeExtractFolder(HWND page) {
  wchar_t text[260];
  ReadWindowText(GetDlgItem(page, 1002), text, 260);
  const LRESULT base = SendDlgItemMessageW(page, 1069, CB_GETCURSEL, 0, 0);
  if (base != 4 && base != 6) {
    while (wcslen(text) > 1 && text[1] == L':') wmemmove(text, text + 2, wcslen(text + 2) + 1);
    while (text[0] == L'\\') wmemmove(text, text + 1, wcslen(text + 1) + 1);
  }
  SetDlgItemTextW(page, 1002, text);
}

void UpdateDescriptionControls(HWND page) {
  const bool shown = Checked(page, 1048);
  EnableAll(page, {2, 1052, 3, 1055, 1056, 1057, 1058, 1018, 1019, 1049, 1229}, shown);
  const bool stored = shown && Checked(page, 1229);
  EnableAll(page, {1230, 1231, 1232, 1233, 1234, 1235, 1291}, stored);
  if (shown) {
    const bool haveArchive = g_SfxSettings.SrcArchiveFile[0] != L'\0';
    EnableAll(page, {1056, 1058}, haveArchive);
  }
}

void UpdateShortcutControls(HWND page) {
  const bool used = Checked(page, 1043);
  EnableAll(page, {1058, 1059, 1227, 1046, 1047, 1027, 1028, 1161, 1162, 1163, 1244}, used);
  EnableAll(page, {1029, 1030}, false);
  if (used) {
    if (Checked(page, 1163)) {
      CheckDlgButton(page, 1162, BST_CHECKED);
      Enable(page, 1162, false);
    } else {
      Enable(page, 1162, true);
    }
    EnableAll(page, {1029, 1030}, ListHasSelection(page, 1027));
  }
}

void UpdateShortcutListButtons(HWND page) {
  EnableAll(page, {1029, 1030}, ListHasSelection(page, 1027));
}

bool CheckAutoExecIsExe(HWND page) {
  wchar_t file[260];
  ReadWindowText(GetDlgItem(page, 1003), file, 260);
  const wchar_t* extension = FindFileExtension(file);
  const bool isExe = extension && _wcsicmp(extension, L".exe") == 0;
  if (isExe) {
    EnableAll(page, {1004, 1010}, true);
  } else {
    CheckDlgButton(page, 1010, BST_UNCHECKED);
    EnableAll(page, {1004, 1010}, false);
  }
  return isExe;
}

void UpdateAutoExecControls(HWND page) {
  const bool used = Checked(page, 1047);
  EnableAll(page, {1144, 1228, 1067, 1226, 1237, 1003, 1009, 1256}, used);
  EnableAll(page, {1004, 1010}, false);
  if (used) {
    Enable(page, 1009, g_SfxSettings.SrcArchiveFile[0] != L'\0');
    g_SfxSettings.AfterDeleteFiles = Checked(page, 1010) ? 1 : 0;
    if (CheckAutoExecIsExe(page)) EnableAll(page, {1010, 1004}, true);
  }
  UpdateAutoExecListControls(page);
}

void UpdateAutoExecListControls(HWND page) {
  const bool listUsable = Checked(page, 1047) && g_SfxSettings.AfterDeleteFiles == 0;
  EnableAll(page, {1228, 1111, 1112}, listUsable);
  EnableAll(page, {1113, 1114}, listUsable && ListHasSelection(page, 1111));
}
