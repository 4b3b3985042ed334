#include "UninstallerSettingsDialog.h"

#include <commdlg.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cwchar>
#include <string>

#include "ArchivePicking.h"
#include "BuilderState.h"
#include "BuilderUtil.h"
#include "ContextHelp.h"
#include "FileDialogFields.h"
#include "FileIO.h"
#include "ResString.h"
#include "ResultCodes.h"
#include "SheetPage.h"
#include "SheetPatterns.h"
#include "VesmarinResource.h"
#include "WindowCentering.h"

namespace {

const int kMaxKeys = 32;
const int kDefaultRoot = 1;  // HKEY_CURRENT_USER

HWND Keys(HWND dialog) { return GetDlgItem(dialog, IDC_US_KEYS); }

void ButtonRule(HWND dialog) {
  EnableControls(dialog, {IDC_US_ADD}, GetWindowTextLengthW(GetDlgItem(dialog, IDC_US_SUBKEY)) > 0);
  const bool selected = SendMessageW(Keys(dialog), LB_GETCOUNT, 0, 0) > 0 &&
                        SendMessageW(Keys(dialog), LB_GETCURSEL, 0, 0) != LB_ERR;
  EnableControls(dialog, {IDC_US_DELETE}, selected);
}

void GroupRules(HWND dialog) {
  EnableControls(dialog, {IDC_US_MODULE_LABEL, IDC_US_MODULE_FILE, IDC_US_MODULE_BROWSE},
                 IsBoxChecked(dialog, IDC_US_MODULE_USE));
  EnableControls(dialog,
                 {IDC_US_PRE_LABEL, IDC_US_PRE_FILE, IDC_US_PRE_BROWSE, IDC_US_PRE_ARGS_LABEL,
                  IDC_US_PRE_ARGS},
                 IsBoxChecked(dialog, IDC_US_PRE_USE));
  EnableControls(dialog,
                 {IDC_US_SIGNED_NOTE, IDC_US_SAVE_GROUP, IDC_US_SAVE32, IDC_US_SAVE64,
                  IDC_US_SIGNED_FILE, IDC_US_SIGNED_BROWSE},
                 IsBoxChecked(dialog, IDC_US_SIGNED_USE));
}

void Init(HWND dialog) {
  const CSfxSettings& settings = g_SfxSettings;
  for (const std::wstring& root : g_UiState.RegistryRootPrefixes)
    SendDlgItemMessageW(dialog, IDC_US_ROOT, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(root.c_str()));
  SendDlgItemMessageW(dialog, IDC_US_ROOT, CB_SETCURSEL, kDefaultRoot, 0);
  LimitEdit(dialog, IDC_US_SUBKEY, 240);
  for (int i = 0; i < settings.UninstallRegCount && i < kMaxKeys; ++i) {
    wchar_t entry[MAX_PATH] = {};
    wcsncpy(entry, settings.UninstallReg[i].c_str(), MAX_PATH - 1);
    if (wcschr(entry, L'\\'))
      SendMessageW(Keys(dialog), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
  }
  SetDlgItemTextW(dialog, IDC_US_FOLDER, settings.UseVesmarinUninstallerFolder);
  CheckBox(dialog, IDC_US_SIGNED_USE, settings.HollmereUserProvide != 0);
  SetDlgItemTextW(dialog, IDC_US_SIGNED_FILE, settings.HollmereUserProvideFile);
  CheckBox(dialog, IDC_US_REBOOTABLE, settings.UninstallRebootable != 0);
  CheckBox(dialog, IDC_US_DELETE_INI, settings.AutoUninstIni != 0);
  CheckBox(dialog, IDC_US_DELETE_DAT, settings.AutoDeleteDat != 0);
  CheckBox(dialog, IDC_US_FORCE_DIR, settings.ForceUninstallDir != 0);
  CheckBox(dialog, IDC_US_MODULE_USE, settings.UseUninstallerExtensionModuleFile != 0);
  SetDlgItemTextW(dialog, IDC_US_MODULE_FILE, settings.UninstallerExtensionModuleFile);
  CheckBox(dialog, IDC_US_PRE_USE, settings.UseUninstallerPreProcess != 0);
  SetDlgItemTextW(dialog, IDC_US_PRE_FILE, settings.UninstallerPreProcessFile);
  SetDlgItemTextW(dialog, IDC_US_PRE_ARGS, settings.UninstallerPreProcessArg);
  ButtonRule(dialog);
  GroupRules(dialog);
  CenterDialogOnParent(dialog);
}

void AddKey(HWND dialog) {
  if (SendMessageW(Keys(dialog), LB_GETCOUNT, 0, 0) >= kMaxKeys) {
    const int maximum = kMaxKeys;
    std::wstring text = FillPlaceholders(LoadResString(IDS_UNINSTALL_KEY_LIMIT), nullptr, &maximum);
    MessageBoxW(dialog, text.c_str(), kBuilderCaption, MB_OK | MB_ICONWARNING);
    return;
  }
  wchar_t typed[MAX_PATH] = {};
  ReadWindowText(GetDlgItem(dialog, IDC_US_SUBKEY), typed, MAX_PATH);
  int root = DropDownIndex(dialog, IDC_US_ROOT);
  if (root < 0 || root >= static_cast<int>(g_UiState.RegistryRootPrefixes.size())) root = kDefaultRoot;
  wchar_t key[MAX_PATH] = {};
  const UINT fault = CheckUninstallRegistryKey(root, typed, key);
  if (fault) {
    ShowPageWarning(dialog, fault);
    SetFocus(GetDlgItem(dialog, IDC_US_SUBKEY));
    return;
  }
  SetDlgItemTextW(dialog, IDC_US_SUBKEY, key);
  std::wstring entry = g_UiState.RegistryRootPrefixes[static_cast<size_t>(root)] + key;
  if (entry.size() > 500) entry.resize(500);
  SendMessageW(Keys(dialog), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
  ButtonRule(dialog);
}

void KeySelected(HWND dialog) {
  HWND keys = Keys(dialog);
  const LRESULT index = SendMessageW(keys, LB_GETCURSEL, 0, 0);
  if (index != LB_ERR) {
    const LRESULT length = SendMessageW(keys, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    std::wstring entry(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    SendMessageW(keys, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&entry[0]));
    entry.resize(wcslen(entry.c_str()));
    const size_t slash = entry.find(L'\\');
    if (slash != std::wstring::npos) {
      const std::wstring root = entry.substr(0, slash + 1);
      LRESULT rootIndex = SendDlgItemMessageW(dialog, IDC_US_ROOT, CB_FINDSTRINGEXACT,
                                              static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(root.c_str()));
      if (rootIndex == CB_ERR) rootIndex = kDefaultRoot;
      SendDlgItemMessageW(dialog, IDC_US_ROOT, CB_SETCURSEL, static_cast<WPARAM>(rootIndex), 0);
      SetDlgItemTextW(dialog, IDC_US_SUBKEY, entry.substr(slash + 1).c_str());
    }
  }
  ButtonRule(dialog);
}

void SaveUninstaller(HWND dialog, bool sixtyFourBit) {
  std::wstring filter = LoadFilterString(IDS_PROGRAM_FILTER);
  std::wstring title = LoadResString(IDS_SAVE_UNINSTALLER_TITLE);
  wchar_t path[MAX_PATH] = {};
  wcscpy(path, sixtyFourBit ? L"Hollmere64.exe" : L"Hollmere32.exe");
  OPENFILENAMEW save =
      FileDialogFor(dialog, filter, title.c_str(), path, OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY);
  save.lpstrInitialDir = g_UiState.HollmereSaveCurrent;
  if (!GetSaveFileNameW(&save)) return;
  GetCurrentDirectoryW(MAX_PATH, g_UiState.HollmereSaveCurrent);
  if (!SaveEmbeddedUninstaller(sixtyFourBit, path)) {
    std::wstring text = std::wstring(LoadResString(IDS_RESULT_CREATE)) + L"\r\n\r\n" + path;
    MessageBoxW(dialog, text.c_str(), kBuilderCaption, MB_OK | MB_ICONERROR);
    return;
  }
  SHChangeNotify(SHCNE_CREATE, SHCNF_PATHW, path, nullptr);
}

void BrowseSigned(HWND dialog) {
  std::wstring filter = LoadFilterString(IDS_PROGRAM_FILTER);
  wchar_t path[MAX_PATH] = L"Hollmere.exe";
  OPENFILENAMEW open =
      FileDialogFor(dialog, filter, nullptr, path, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY);
  open.lpstrInitialDir = g_UiState.HollmereSaveCurrent;
  if (!GetOpenFileNameW(&open)) return;
  GetCurrentDirectoryW(MAX_PATH, g_UiState.HollmereSaveCurrent);
  SetDlgItemTextW(dialog, IDC_US_SIGNED_FILE, path);
}

bool Refuse(HWND dialog, UINT stringId, int focusId) {
  ShowPageWarning(dialog, stringId);
  SetFocus(GetDlgItem(dialog, focusId));
  return false;
}

bool Confirm(HWND dialog) {
  wchar_t folder[MAX_PATH] = {};
  ReadWindowText(GetDlgItem(dialog, IDC_US_FOLDER), folder, MAX_PATH);
  if (!RemoveInvalidPathChars(folder, false)) {
    SetDlgItemTextW(dialog, IDC_US_FOLDER, folder);
    return Refuse(dialog, IDS_UNINSTALLER_FOLDER_CHARS, IDC_US_FOLDER);
  }
  // The folder lies below the extract destination; leading backslashes
  // count from the destination itself.
  if (!TakeUninstallerFolder(folder, nullptr))
    return Refuse(dialog, IDS_UNINSTALLER_FOLDER_FORM, IDC_US_FOLDER);
  wchar_t signedFile[MAX_PATH] = {};
  ReadWindowText(GetDlgItem(dialog, IDC_US_SIGNED_FILE), signedFile, MAX_PATH);
  if (IsBoxChecked(dialog, IDC_US_SIGNED_USE) && !PathFileExistsW(signedFile)) {
    std::wstring text = FillPlaceholders(LoadResString(IDS_USER_UNINSTALLER_MISSING), signedFile, nullptr);
    MessageBoxW(dialog, text.c_str(), kBuilderCaption, MB_OK | MB_ICONWARNING);
    SetFocus(GetDlgItem(dialog, IDC_US_SIGNED_FILE));
    return false;
  }
  CSfxSettings& settings = g_SfxSettings;
  settings.HollmereUserProvide = IsBoxChecked(dialog, IDC_US_SIGNED_USE) ? 1 : 0;
  wcscpy(settings.HollmereUserProvideFile, signedFile);
  HWND keys = Keys(dialog);
  const int count = static_cast<int>(SendMessageW(keys, LB_GETCOUNT, 0, 0));
  settings.UninstallRegCount = 0;
  for (int i = 0; i < count && i < kMaxKeys; ++i) {
    const LRESULT length = SendMessageW(keys, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    std::wstring entry(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    SendMessageW(keys, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&entry[0]));
    entry.resize(wcslen(entry.c_str()));
    settings.UninstallReg[settings.UninstallRegCount++] = entry;
  }
  wcscpy(settings.UseVesmarinUninstallerFolder, folder);
  settings.UninstallRebootable = IsBoxChecked(dialog, IDC_US_REBOOTABLE) ? 1 : 0;
  settings.AutoUninstIni = IsBoxChecked(dialog, IDC_US_DELETE_INI) ? 1 : 0;
  settings.AutoDeleteDat = IsBoxChecked(dialog, IDC_US_DELETE_DAT) ? 1 : 0;
  settings.ForceUninstallDir = IsBoxChecked(dialog, IDC_US_FORCE_DIR) ? 1 : 0;
  settings.UseUninstallerExtensionModuleFile = IsBoxChecked(dialog, IDC_US_MODULE_USE) ? 1 : 0;
  ReadWindowText(GetDlgItem(dialog, IDC_US_MODULE_FILE), settings.UninstallerExtensionModuleFile, MAX_PATH);
  settings.UseUninstallerPreProcess = IsBoxChecked(dialog, IDC_US_PRE_USE) ? 1 : 0;
  ReadWindowText(GetDlgItem(dialog, IDC_US_PRE_FILE), settings.UninstallerPreProcessFile, MAX_PATH);
  ReadWindowText(GetDlgItem(dialog, IDC_US_PRE_ARGS), settings.UninstallerPreProcessArg, MAX_PATH);
  return true;
}

INT_PTR Handle(HWND dialog, UINT message, WPARAM wParam) {
  if (message == WM_INITDIALOG) {
    Init(dialog);
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  const int id = LOWORD(wParam);
  const int code = HIWORD(wParam);
  switch (id) {
    case IDOK:
      if (Confirm(dialog)) EndDialog(dialog, IDOK);
      return TRUE;
    case IDCANCEL:
      EndDialog(dialog, IDCANCEL);
      return TRUE;
    case IDHELP:
      ShowContextHelp(IDD_UNINSTALL_SETTINGS);
      return TRUE;
    case IDC_US_SUBKEY:
      if (code == EN_CHANGE) ButtonRule(dialog);
      return TRUE;
    case IDC_US_ADD:
      if (code == BN_CLICKED) AddKey(dialog);
      return TRUE;
    case IDC_US_DELETE:
      if (code == BN_CLICKED) {
        const LRESULT index = SendMessageW(Keys(dialog), LB_GETCURSEL, 0, 0);
        if (index != LB_ERR) SendMessageW(Keys(dialog), LB_DELETESTRING, static_cast<WPARAM>(index), 0);
        ButtonRule(dialog);
      }
      return TRUE;
    case IDC_US_KEYS:
      if (code == LBN_SELCHANGE) KeySelected(dialog);
      return TRUE;
    case IDC_US_MODULE_USE:
    case IDC_US_PRE_USE:
    case IDC_US_SIGNED_USE:
      if (code == BN_CLICKED) GroupRules(dialog);
      return TRUE;
    case IDC_US_PRE_BROWSE:
      if (code == BN_CLICKED) PickArchiveItemInto(dialog, IDC_US_PRE_FILE, L".exe", false);
      return TRUE;
    case IDC_US_MODULE_BROWSE:
      if (code == BN_CLICKED) PickArchiveItemInto(dialog, IDC_US_MODULE_FILE, L".dll", true);
      return TRUE;
    case IDC_US_FOLDER:
      if (code == EN_CHANGE) ValidatePathEdit(dialog, id, false);
      return TRUE;
    case IDC_US_MODULE_FILE:
      if (code == EN_CHANGE) ValidatePathEdit(dialog, id, true);
      return TRUE;
    case IDC_US_SAVE32:
    case IDC_US_SAVE64:
      if (code == BN_CLICKED) SaveUninstaller(dialog, id == IDC_US_SAVE64);
      return TRUE;
    case IDC_US_SIGNED_BROWSE:
      if (code == BN_CLICKED) BrowseSigned(dialog);
      return TRUE;
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK UninstallerSettingsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  return GuardSheetDialog(dialog, [&] { return Handle(dialog, message, wParam); });
}

}  // namespace

INT_PTR EditUninstallerSettings(HWND owner) {
  return DialogBoxParamW(g_UiState.Instance, MAKEINTRESOURCEW(IDD_UNINSTALL_SETTINGS), owner,
                         UninstallerSettingsProc, 0);
}

bool SaveEmbeddedUninstaller(bool sixtyFourBit, const wchar_t* path) {
  HMODULE self = g_UiState.Instance ? g_UiState.Instance : GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(self, MAKEINTRESOURCEW(sixtyFourBit ? IDR_UNINSTALLER64 : IDR_UNINSTALLER32),
                              L"BINARYRES");
  if (!found) return false;
  const DWORD size = SizeofResource(self, found);
  HGLOBAL loaded = LoadResource(self, found);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes || size == 0) return false;
  return WriteWholeFile(path, bytes, size);
}

UINT CheckUninstallRegistryKey(int rootIndex, const wchar_t* typed, wchar_t* key) {
  while (*typed == L'\\') ++typed;
  wcsncpy(key, typed, MAX_PATH - 1);
  key[MAX_PATH - 1] = L'\0';
  // An empty key would name the whole root.
  if (!key[0]) return IDS_SUB_KEY_NEEDED;
  if (rootIndex != 0) {
    const wchar_t* slash = wcschr(key, L'\\');
    if (!slash || slash[1] == L'\\' || slash[1] == L'\0') return IDS_UNINSTALL_KEY_LEVELS;
  }
  return 0;
}
