#include "ShortcutItemDialog.h"

#include <cstdio>
#include <cwchar>
#include <string>

#include "BuilderState.h"
#include "BuilderUtil.h"
#include "IconChooser.h"
#include "ItemDialogButtons.h"
#include "ItemPicker.h"
#include "PathPieces.h"
#include "ResString.h"
#include "ResultCodes.h"
#include "SettingsExchange.h"
#include "VesmarinResource.h"
#include "WindowCentering.h"

namespace {

StartMenuItem g_editedItem;
// True while the dialog writes an edit itself: its EN_CHANGE is not a
// user's change.
bool g_rewriting = false;

struct TextRow {
  int primary;
  int english;
  int language;
  int limit;
};

const TextRow kRows[] = {
    {IDC_SHORTCUT_TITLE, IDC_SHORTCUT_TITLE_E, IDC_SHORTCUT_TITLE_LANGUAGE, 259},
    {IDC_SHORTCUT_FILE, IDC_SHORTCUT_FILE_E, IDC_SHORTCUT_FILE_LANGUAGE, 259},
    {IDC_SHORTCUT_ARGS, IDC_SHORTCUT_ARGS_E, IDC_SHORTCUT_ARGS_LANGUAGE, 259},
    {IDC_SHORTCUT_COMMENT, IDC_SHORTCUT_COMMENT_E, IDC_SHORTCUT_COMMENT_LANGUAGE, 199},
    {IDC_SHORTCUT_ICON, IDC_SHORTCUT_ICON_E, IDC_SHORTCUT_ICON_LANGUAGE, 269},
};

const int kLocationBoxes[] = {IDC_SHORTCUT_DESKTOP, IDC_SHORTCUT_STARTUP,
                              IDC_SHORTCUT_START_ROOT, IDC_SHORTCUT_QUICK_LAUNCH,
                              IDC_SHORTCUT_IN_GROUP};

HINSTANCE Instance() {
  return g_UiState.Instance ? g_UiState.Instance : GetModuleHandleW(nullptr);
}

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void Check(HWND dialog, int id, bool on) {
  CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED);
}

void SetEditText(HWND dialog, int id, const wchar_t* text) {
  g_rewriting = true;
  SetDlgItemTextW(dialog, id, text);
  g_rewriting = false;
}

bool EnglishShown(HWND dialog, int listId) {
  return SendDlgItemMessageW(dialog, listId, CB_GETCURSEL, 0, 0) == 1;
}

// OK needs a name, a file and a creation location; the arguments go only
// to a program.
void ApplyOkRule(HWND dialog) {
  wchar_t title[260], file[260];
  ReadWindowText(GetDlgItem(dialog, IDC_SHORTCUT_TITLE), title, 260);
  ReadWindowText(GetDlgItem(dialog, IDC_SHORTCUT_FILE), file, 260);
  if (UpdateShortcutOkButton(dialog) && (!title[0] || !file[0]))
    EnableWindow(GetDlgItem(dialog, IDOK), FALSE);
  const BOOL program = title[0] && file[0] && HasFileExtension(file, L".exe");
  EnableWindow(GetDlgItem(dialog, IDC_SHORTCUT_ARGS), program);
  EnableWindow(GetDlgItem(dialog, IDC_SHORTCUT_ARGS_E), program);
}

// A name, file or icon edit changed: characters that cannot stand in a
// path are taken out again, with a warning.
void CleanPathEdit(HWND dialog, int id) {
  if (g_rewriting) return;
  wchar_t text[272] = {};
  ReadWindowText(GetDlgItem(dialog, id), text, 272);
  if (!RemoveInvalidPathChars(text, false)) {
    SetEditText(dialog, id, text);
    const int length = static_cast<int>(wcslen(text));
    SendDlgItemMessageW(dialog, id, EM_SETSEL, length, length);
    const bool icon = id == IDC_SHORTCUT_ICON || id == IDC_SHORTCUT_ICON_E;
    ShowResMessage(dialog, Instance(), icon ? IDS_INVALID_PATH_CHARS : IDS_SHORTCUT_ILLEGAL_CHAR,
                   kBuilderCaption, MB_OK | MB_ICONWARNING);
  }
  ApplyOkRule(dialog);
}

BOOL Initialize(HWND dialog) {
  const StartMenuItem& item = g_editedItem;
  g_rewriting = true;
  if (!g_UiState.JapaneseUI)
    for (const TextRow& row : kRows) ShowWindow(GetDlgItem(dialog, row.language), SW_HIDE);
  Check(dialog, IDC_SHORTCUT_IN_GROUP, !item.NoCreateInGroup);
  Check(dialog, IDC_SHORTCUT_DESKTOP, item.CreateOnDesktop);
  Check(dialog, IDC_SHORTCUT_STARTUP, item.CreateOnStartup);
  Check(dialog, IDC_SHORTCUT_START_ROOT, item.CreateOnStartRoot);
  Check(dialog, IDC_SHORTCUT_QUICK_LAUNCH, item.CreateOnQuickLaunch);
  const wchar_t* const texts[][2] = {{item.Title, item.TitleE},     {item.File, item.FileE},
                                     {item.Args, item.ArgsE},       {item.Comment, item.CommentE},
                                     {item.Icon, item.IconE}};
  for (size_t i = 0; i < sizeof kRows / sizeof kRows[0]; ++i) {
    SetDlgItemTextW(dialog, kRows[i].primary, texts[i][0]);
    SetDlgItemTextW(dialog, kRows[i].english, texts[i][1]);
  }
  const BOOL haveArchive = g_SfxSettings.SrcArchiveFile[0] ? TRUE : FALSE;
  EnableWindow(GetDlgItem(dialog, IDC_SHORTCUT_FILE_BROWSE), haveArchive);
  EnableWindow(GetDlgItem(dialog, IDC_SHORTCUT_ICON_BROWSE), haveArchive);
  CenterDialogOnParent(dialog);
  wchar_t japanese[64], english[64];
  LoadResText(Instance(), IDS_LANGUAGE_JAPANESE, japanese, 64);
  LoadResText(Instance(), IDS_LANGUAGE_ENGLISH, english, 64);
  for (const TextRow& row : kRows) {
    SendDlgItemMessageW(dialog, row.primary, EM_LIMITTEXT, row.limit, 0);
    SendDlgItemMessageW(dialog, row.english, EM_LIMITTEXT, row.limit, 0);
    HWND list = GetDlgItem(dialog, row.language);
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(japanese));
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(english));
    SendMessageW(list, CB_SETCURSEL, 0, 0);
  }
  g_rewriting = false;
  ApplyOkRule(dialog);
  return TRUE;
}

// The file picked for the shortcut: into the English or the primary edit,
// and, for an item inside a folder of the archive, its name without the
// extension into an empty name edit.
void BrowseFile(HWND dialog) {
  SetPickerArchive(g_SfxSettings.SrcArchiveFile);
  SetPickerFilter(L".exe", 0);
  if (RunItemPicker(dialog, kPickFoldersWithRoot) != 1) return;
  const wchar_t* picked = GetPickedItem();
  const bool english = EnglishShown(dialog, IDC_SHORTCUT_FILE_LANGUAGE);
  SetDlgItemTextW(dialog, english ? IDC_SHORTCUT_FILE_E : IDC_SHORTCUT_FILE, picked);
  const int nameId = english ? IDC_SHORTCUT_TITLE_E : IDC_SHORTCUT_TITLE;
  wchar_t name[260];
  ReadWindowText(GetDlgItem(dialog, nameId), name, 260);
  if (name[0] || !wcschr(picked, L'\\')) return;
  lstrcpynW(name, FindFileNamePart(picked), 260);
  RemoveFileExtension(name);
  SetDlgItemTextW(dialog, nameId, name);
}

void BrowseIcon(HWND dialog) {
  SetPickerArchive(g_SfxSettings.SrcArchiveFile);
  SetPickerFilter(L".exe", 0);
  if (RunItemPicker(dialog, kPickFiles) != 1) return;
  std::wstring picked = GetPickedItem();
  const INT_PTR index = RunIconChooser(dialog, picked.c_str());
  if (index < 0) return;
  wchar_t text[300];
  swprintf(text, 300, L"%ls,%d", picked.c_str(), static_cast<int>(index));
  const bool english = EnglishShown(dialog, IDC_SHORTCUT_ICON_LANGUAGE);
  SetDlgItemTextW(dialog, english ? IDC_SHORTCUT_ICON_E : IDC_SHORTCUT_ICON, text);
}

void Warn(HWND dialog, UINT id) {
  ShowResMessage(dialog, Instance(), id, kBuilderCaption, MB_OK | MB_ICONWARNING);
}

void Confirm(HWND dialog) {
  StartMenuItem& item = g_editedItem;
  auto read = [dialog](int id, wchar_t* text, int capacity) {
    ReadWindowText(GetDlgItem(dialog, id), text, capacity);
  };
  read(IDC_SHORTCUT_TITLE, item.Title, 260);
  read(IDC_SHORTCUT_TITLE_E, item.TitleE, 260);
  read(IDC_SHORTCUT_FILE, item.File, 260);
  read(IDC_SHORTCUT_FILE_E, item.FileE, 260);
  read(IDC_SHORTCUT_ARGS, item.Args, 260);
  read(IDC_SHORTCUT_ARGS_E, item.ArgsE, 260);
  read(IDC_SHORTCUT_COMMENT, item.Comment, 200);
  read(IDC_SHORTCUT_COMMENT_E, item.CommentE, 200);
  read(IDC_SHORTCUT_ICON, item.Icon, 270);
  read(IDC_SHORTCUT_ICON_E, item.IconE, 270);
  item.NoCreateInGroup = !Checked(dialog, IDC_SHORTCUT_IN_GROUP);
  item.CreateOnDesktop = Checked(dialog, IDC_SHORTCUT_DESKTOP);
  item.CreateOnStartup = Checked(dialog, IDC_SHORTCUT_STARTUP);
  item.CreateOnStartRoot = Checked(dialog, IDC_SHORTCUT_START_ROOT);
  item.CreateOnQuickLaunch = Checked(dialog, IDC_SHORTCUT_QUICK_LAUNCH);
  if (!IsValidFileName(item.Title)) return Warn(dialog, IDS_SHORTCUT_TITLE_ILLEGAL);
  if (!TakeRelativeFolder(item.Title, false, false, nullptr)) return Warn(dialog, IDS_SHORTCUT_TITLE_MALFORMED);
  if (!IsValidFileName(item.TitleE)) return Warn(dialog, IDS_SHORTCUT_TITLE_E_ILLEGAL);
  if (!TakeRelativeFolder(item.TitleE, false, false, nullptr))
    return Warn(dialog, IDS_SHORTCUT_TITLE_E_MALFORMED);
  // The installer joins the file to its extraction folder: kept without
  // leading backslashes, which would name a drive's root or a share.
  std::wstring file, fileE;
  if (!TakeShortcutFile(item.File, &file)) return Warn(dialog, IDS_SHORTCUT_FILE_MALFORMED);
  if (!TakeShortcutFile(item.FileE, &fileE)) return Warn(dialog, IDS_SHORTCUT_FILE_E_MALFORMED);
  CopyText(item.File, file.c_str());
  CopyText(item.FileE, fileE.c_str());
  EndDialog(dialog, 1);
}

}  // namespace

StartMenuItem& EditedShortcutItem() { return g_editedItem; }

bool UpdateShortcutOkButton(HWND dialog) {
  bool any = false;
  for (int id : kLocationBoxes) any = any || Checked(dialog, id);
  EnableWindow(GetDlgItem(dialog, IDOK), any ? TRUE : FALSE);
  return any;
}

INT_PTR CALLBACK ShortcutItemDialogProc(HWND dialog, UINT message, WPARAM wParam,
                                        LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return Initialize(dialog);
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      const int code = HIWORD(wParam);
      if (HandleItemDialogButton(dialog, id, Confirm, IDD_SHORTCUT_ITEM)) return TRUE;
      switch (id) {
        case IDC_SHORTCUT_TITLE:
        case IDC_SHORTCUT_TITLE_E:
        case IDC_SHORTCUT_FILE:
        case IDC_SHORTCUT_FILE_E:
        case IDC_SHORTCUT_ICON:
        case IDC_SHORTCUT_ICON_E:
          if (code == EN_CHANGE) CleanPathEdit(dialog, id);
          return TRUE;
        case IDC_SHORTCUT_DESKTOP:
        case IDC_SHORTCUT_STARTUP:
        case IDC_SHORTCUT_START_ROOT:
        case IDC_SHORTCUT_QUICK_LAUNCH:
        case IDC_SHORTCUT_IN_GROUP:
          if (code == BN_CLICKED) ApplyOkRule(dialog);
          return TRUE;
        case IDC_SHORTCUT_FILE_BROWSE:
          BrowseFile(dialog);
          return TRUE;
        case IDC_SHORTCUT_ICON_BROWSE:
          BrowseIcon(dialog);
          return TRUE;
      }
      if (code == CBN_SELCHANGE)
        for (const TextRow& row : kRows)
          if (row.language == id) ApplyLanguageList(dialog, row.language, row.primary, row.english);
      break;
    }
  }
  return FALSE;
}

INT_PTR RunShortcutItemDialog(HWND owner) {
  return DialogBoxParamW(Instance(), MAKEINTRESOURCEW(IDD_SHORTCUT_ITEM), owner,
                         ShortcutItemDialogProc, 0);
}
