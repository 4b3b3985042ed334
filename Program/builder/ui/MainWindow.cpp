#include "MainWindow.h"

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cwchar>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "AboutBox.h"
#include "BuildSfx.h"
#include "BuilderState.h"
#include "BuilderUtil.h"
#include "CompressorLaunch.h"
#include "ContextHelp.h"
#include "DefinitionFile.h"
#include "DefinitionKeys.h"
#include "DetailedSettings.h"
#include "FaultGuard.h"
#include "FileDialogFields.h"
#include "FileSystem.h"
#include "PathPieces.h"
#include "MainWindowRules.h"
#include "ResString.h"
#include "ResultCodes.h"
#include "SettingsExchange.h"
#include "SfxSettings.h"
#include "UpdaterLaunch.h"
#include "VesmarinResource.h"

namespace {

const int kMainDialogId = 118;
const wchar_t kMainTitle[] = L"Vesmarin 6";

struct EditLimit {
  int id;
  int limit;
};

const EditLimit kEditLimits[] = {
    {IDC_ARCHIVE_EDIT, 259}, {IDC_OUTPUT_EDIT, 259},       {IDC_TITLE_EDIT, 65},
    {IDC_TITLE_E_EDIT, 65},  {IDC_GREETING_EDIT, 1023},    {IDC_GREETING_E_EDIT, 1023},
    {IDC_CREDIT_EDIT, 192},  {IDC_CREDIT_E_EDIT, 192},
};

// The path the window is handing to itself with OpenPathMessage; the
// message's lParam is taken only when it is this address.
const wchar_t* g_handedPath = nullptr;

void HandPath(HWND window, const wchar_t* path) {
  g_handedPath = path;
  SendMessageW(window, OpenPathMessage, 0, reinterpret_cast<LPARAM>(path));
  g_handedPath = nullptr;
}

// The path of an OpenPathMessage, or null when the message is not the
// window's own hand-over (posted or sent by anyone else). The address is
// compared, never read: InSendMessage cannot tell, since the hand-back of
// the compressor is itself handled inside the compressor's send.
const wchar_t* HandedPath(LPARAM lParam) {
  const wchar_t* path = reinterpret_cast<const wchar_t*>(lParam);
  if (!path || path != g_handedPath) return nullptr;
  g_handedPath = nullptr;
  return path;
}

struct DropCheck {
  HDROP drop;
  bool wellFormed;
};

// A drop list is a movable global block with its DROPFILES header, the
// names starting inside the block and the list's closing double NUL
// within it.
void CheckDropStep(void* context) {
  DropCheck* check = static_cast<DropCheck*>(context);
  const SIZE_T size = GlobalSize(check->drop);
  if (size < sizeof(DROPFILES)) return;
  const BYTE* data = static_cast<const BYTE*>(GlobalLock(check->drop));
  if (!data) return;
  const DROPFILES* header = reinterpret_cast<const DROPFILES*>(data);
  const SIZE_T start = header->pFiles;
  if (start >= sizeof(DROPFILES) && start < size) {
    const SIZE_T unit = header->fWide ? sizeof(wchar_t) : 1;
    bool previousNul = false;
    for (SIZE_T at = start; at + unit <= size; at += unit) {
      const bool nul = unit == 1 ? data[at] == 0 : (data[at] | data[at + 1]) == 0;
      if (nul && (previousNul || at == start)) {
        check->wellFormed = true;
        break;
      }
      previousNul = nul;
    }
  }
  GlobalUnlock(check->drop);
}

bool IsWellFormedDrop(HDROP drop) {
  DropCheck check = {drop, false};
  return drop && vesmarin::RunGuarded(CheckDropStep, &check) && check.wellFormed;
}

int ShowBox(HWND window, UINT stringId, UINT flags) {
  std::wstring text = LoadResString(stringId);
  return MessageBoxW(window, text.c_str(), kBuilderCaption, flags);
}

std::wstring ControlText(HWND window, int id, int capacity) {
  std::wstring text(static_cast<size_t>(capacity), L'\0');
  int length = ReadWindowText(GetDlgItem(window, id), &text[0], capacity);
  text.resize(static_cast<size_t>(length > 0 ? length : 0));
  return text;
}

bool EditEmpty(HWND window, int id) { return GetWindowTextLengthW(GetDlgItem(window, id)) == 0; }

template <size_t N>
void FillIfEmpty(wchar_t (&member)[N], const std::wstring& value) {
  if (!member[0]) lstrcpynW(member, value.c_str(), static_cast<int>(N));
}

void FillLanguageLists(HWND window) {
  for (int id : {IDC_TITLE_LANGUAGE, IDC_GREETING_LANGUAGE, IDC_CREDIT_LANGUAGE}) {
    HWND list = GetDlgItem(window, id);
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(LoadResString(IDS_LANGUAGE_JAPANESE)));
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(LoadResString(IDS_LANGUAGE_ENGLISH)));
    SendMessageW(list, CB_SETCURSEL, 0, 0);
  }
}

void PlaceWindow(HWND window) {
  RECT rect;
  GetWindowRect(window, &rect);
  SIZE size = {rect.right - rect.left, rect.bottom - rect.top};
  POINT position = {g_UiState.WindowX, g_UiState.WindowY};
  position = ClampWindowToArea(position, size, VirtualScreenArea());
  SetWindowPos(window, nullptr, position.x, position.y, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
}

void MakeBoldFont(HWND window) {
  HFONT font = reinterpret_cast<HFONT>(SendDlgItemMessageW(window, IDM_CREATE, WM_GETFONT, 0, 0));
  LOGFONTW description = {};
  if (!font || !GetObjectW(font, sizeof description, &description)) return;
  description.lfWeight = FW_BOLD;
  g_UiState.BoldFont = CreateFontIndirectW(&description);
  if (!g_UiState.BoldFont) return;
  for (int id : {IDM_CREATE, IDC_DETAILED_SETTINGS})
    SendDlgItemMessageW(window, id, WM_SETFONT, reinterpret_cast<WPARAM>(g_UiState.BoldFont), TRUE);
}

void ApplyStartArchive(HWND window) {
  wchar_t path[MAX_PATH] = {};
  if (!CopyBoundedPath(path, g_UiState.StartArchivePath.c_str(), g_UiState.StartArchivePath.size()))
    return;
  SetArchivePath(window, path);
}

BOOL InitializeMainWindow(HWND window) {
  g_UiState.MainWindow = window;
  if (!g_UiState.JapaneseUI)
    for (int id : {IDC_TITLE_LANGUAGE, IDC_GREETING_LANGUAGE, IDC_CREDIT_LANGUAGE})
      ShowWindow(GetDlgItem(window, id), SW_HIDE);

  HICON big = LoadIconW(g_UiState.Instance, MAKEINTRESOURCEW(IDI_VESMARIN));
  HICON small = static_cast<HICON>(LoadImageW(g_UiState.Instance, MAKEINTRESOURCEW(IDI_VESMARIN),
                                              IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                              GetSystemMetrics(SM_CYSMICON), 0));
  SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
  for (const EditLimit& limit : kEditLimits)
    SendDlgItemMessageW(window, limit.id, EM_LIMITTEXT, static_cast<WPARAM>(limit.limit), 0);

  SettingsToControls(window, kMainDialogId);
  PlaceWindow(window);
  UpdateCreateCommand(window);

  ShowWindow(GetDlgItem(window, IDC_CREDIT_LANGUAGE), g_UiState.JapaneseUI ? SW_SHOW : SW_HIDE);
  ApplyLanguageList(window, IDC_CREDIT_LANGUAGE, IDC_CREDIT_EDIT, IDC_CREDIT_E_EDIT);
  UpdateMainTitle(window);
  FillLanguageLists(window);

  if (g_UiState.ResetOnStart) {
    ResetSfxSettings();
    SettingsToControls(window, kMainDialogId);
    ApplyStartArchive(window);
  } else if (g_UiState.ArchiveOnStart) {
    SettingsToControls(window, kMainDialogId);
    ApplyStartArchive(window);
  }
  MakeBoldFont(window);
  ShowWindow(window, SW_SHOWDEFAULT);
  UpdateWindow(window);
  return TRUE;
}

void ShowAfterLoad(HWND window) {
  SettingsToControls(window, kMainDialogId);
  UpdateMainTitle(window);
  UpdateCreateCommand(window);
}

void ReportBuildResult(HWND window) {
  if (g_UiState.LastResult == kResultReported) {
    if (g_BuildErrorText[0])
      MessageBoxW(window, g_BuildErrorText, kBuilderCaption, MB_OK | MB_ICONERROR);
    return;
  }
  const std::wstring text = BuildResultMessage(g_UiState.LastResult);
  MessageBoxW(window, text.c_str(), kBuilderCaption,
              MB_OK | (g_UiState.LastResult == kResultSuccess ? MB_ICONINFORMATION : MB_ICONERROR));
}

void CreateCommand(HWND window) {
  ControlsToSettings(window, kMainDialogId);
  CSfxSettings& settings = g_SfxSettings;

  wchar_t found[MAX_PATH] = {};
  wchar_t folder[MAX_PATH] = {};
  if (settings.SrcArchiveFile[0]) {
    DWORD got = SearchPathW(nullptr, settings.SrcArchiveFile, nullptr, MAX_PATH, found, nullptr);
    if (got > 0 && got < MAX_PATH) GetFolderPart(found, folder, MAX_PATH);
  }
  if (folder[0]) {
    // The build runs in the archive's folder: a relative output name is
    // written there, so ask about the file there.
    std::wstring output = ResolveOutputPath(settings.DstExeFile, folder);
    if (output.size() <= kMaxPathChars) lstrcpynW(settings.DstExeFile, output.c_str(), MAX_PATH);
  }

  if (FileExists(settings.DstExeFile)) {
    std::wstring question = FillPlaceholders(LoadResString(IDS_OVERWRITE_QUESTION), settings.DstExeFile, nullptr);
    if (MessageBoxW(window, question.c_str(), kBuilderCaption, MB_YESNO | MB_ICONWARNING) != IDYES)
      return;
  }

  wchar_t saved[MAX_PATH] = {};
  DWORD savedLength = GetCurrentDirectoryW(MAX_PATH, saved);
  g_BuildErrorText[0] = L'\0';
  if (PathIsRelativeW(settings.SrcArchiveFile)) {
    SetBuildError(IDS_ARCHIVE_NOT_FOUND, settings.SrcArchiveFile);
    g_UiState.LastResult = kResultReported;
  } else {
    if (PathFileExistsW(settings.SrcArchiveFile)) {
      wchar_t archiveFolder[MAX_PATH] = {};
      if (GetFolderPart(settings.SrcArchiveFile, archiveFolder, MAX_PATH) && archiveFolder[0])
        SetCurrentDirectoryW(archiveFolder);
    }
    g_UiState.LastResult = CreateSfxFile(false);
  }
  if (savedLength > 0 && savedLength < MAX_PATH) SetCurrentDirectoryW(saved);
  ReportBuildResult(window);
  SetFocus(GetDlgItem(window, IDM_CREATE));
}

void LoadSettingsCommand(HWND window) {
  std::wstring filter = LoadFilterString(IDS_SETTINGS_FILTER);
  std::wstring title = LoadResString(IDS_LOAD_SETTINGS_TITLE);
  wchar_t file[MAX_PATH] = {};
  OPENFILENAMEW dialog =
      FileDialogFor(window, filter, title.c_str(), file, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY);
  dialog.lpstrInitialDir = g_UiState.IniCurrent;
  if (!GetOpenFileNameW(&dialog)) return;
  LoadDefinitionFile(file);
  ShowAfterLoad(window);
  GetCurrentDirectoryW(MAX_PATH, g_UiState.IniCurrent);
}

void SaveSettingsCommand(HWND window) {
  ControlsToSettings(window, kMainDialogId);
  const wchar_t* archive = g_SfxSettings.SrcArchiveFile;
  std::wstring name = archive[0] ? FindFileNamePart(archive) : L"untitled";
  wchar_t file[MAX_PATH] = {};
  if (g_UiState.IniCurrent[0] && wcslen(g_UiState.IniCurrent) + name.size() + 1 < MAX_PATH) {
    wcscpy(file, g_UiState.IniCurrent);
    PathAppendW(file, name.c_str());
  } else {
    lstrcpynW(file, name.c_str(), MAX_PATH);
  }
  PathRenameExtensionW(file, L".ini");
  std::wstring filter = LoadFilterString(IDS_SETTINGS_FILTER);
  std::wstring title = LoadResString(IDS_SAVE_SETTINGS_TITLE);
  OPENFILENAMEW dialog =
      FileDialogFor(window, filter, title.c_str(), file, OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY);
  dialog.lpstrDefExt = L"ini";
  dialog.lpstrInitialDir = g_UiState.IniCurrent;
  if (!GetSaveFileNameW(&dialog)) return;
  SaveDefinitionFile(file);
  GetCurrentDirectoryW(MAX_PATH, g_UiState.IniCurrent);
}

void ResetCommand(HWND window) {
  if (ShowBox(window, IDS_RESET_QUESTION, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
    return;
  ResetSfxSettings();
  SettingsToControls(window, kMainDialogId);
}

void DetailedSettingsCommand(HWND window) {
  std::unique_ptr<CSfxSettings, void (*)(CSfxSettings*)> backup(new (std::nothrow) CSfxSettings(),
                                                                 &DeleteSfxSettings);
  if (!backup) {
    ShowBox(window, IDS_NO_MEMORY_FOR_PROCESS, MB_OK | MB_ICONWARNING);
    return;
  }
  ControlsToSettings(window, kMainDialogId);
  *backup = g_SfxSettings;
  if (!ShowDetailedSettings(window)) g_SfxSettings = *backup;
  UpdateCreateCommand(window);
}

// Takes a chosen archive: it must exist.
void TakeArchive(HWND window, const wchar_t* chosen) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(chosen, &data);
  if (find == INVALID_HANDLE_VALUE) {
    ShowBox(window, IDS_TARGET_CANNOT_OPEN, MB_OK | MB_ICONWARNING);
    return;
  }
  FindClose(find);
  wchar_t path[MAX_PATH] = {};
  if (!CopyBoundedPath(path, chosen, wcslen(chosen))) return;
  SetDlgItemTextW(window, IDC_ARCHIVE_EDIT, path);
  SetArchivePath(window, path);
}

void BrowseArchiveCommand(HWND window) {
  wchar_t file[MAX_PATH] = {};
  ReadWindowText(GetDlgItem(window, IDC_ARCHIVE_EDIT), file, MAX_PATH);
  std::wstring filter = LoadFilterString(IDS_ARCHIVE_FILTER);
  std::wstring title = LoadResString(IDS_ARCHIVE_TITLE);
  OPENFILENAMEW dialog =
      FileDialogFor(window, filter, title.c_str(), file, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY);
  if (!GetOpenFileNameW(&dialog)) return;
  TakeArchive(window, file);
}

void BrowseOutputCommand(HWND window) {
  wchar_t file[MAX_PATH] = {};
  ReadWindowText(GetDlgItem(window, IDC_OUTPUT_EDIT), file, MAX_PATH);
  if (!file[0]) {
    ReadWindowText(GetDlgItem(window, IDC_ARCHIVE_EDIT), file, MAX_PATH);
    if (file[0] && wcschr(file, L'\\')) {
      std::wstring name = FindFileNamePart(file);
      lstrcpynW(file, name.c_str(), MAX_PATH);
      PathRenameExtensionW(file, L".exe");
    }
  }
  if (!file[0]) wcscpy(file, L"untitled.exe");
  std::wstring filter = LoadFilterString(IDS_OUTPUT_FILTER);
  std::wstring title = LoadResString(IDS_OUTPUT_TITLE);
  OPENFILENAMEW dialog = FileDialogFor(window, filter, title.c_str(), file, OFN_HIDEREADONLY);
  dialog.lpstrDefExt = L"exe";
  if (!GetSaveFileNameW(&dialog)) return;
  SetDlgItemTextW(window, IDC_OUTPUT_EDIT, file);
}

void DropFiles(HWND window, HDROP drop) {
  // Anyone can post WM_DROPFILES: a handle that is no drop list is neither
  // read nor freed.
  if (!IsWellFormedDrop(drop)) return;
  SetForegroundWindow(window);
  if (DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) != 1) {
    DragFinish(drop);
    ShowBox(window, IDS_MULTIPLE_FILES, MB_OK | MB_ICONWARNING);
    return;
  }
  // A path longer than a path buffer is not taken.
  const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
  wchar_t path[MAX_PATH] = {};
  const bool fits = length > 0 && length <= kMaxPathChars &&
                    DragQueryFileW(drop, 0, path, MAX_PATH) == length;
  DragFinish(drop);
  if (fits) HandPath(window, path);
}

void SaveAtEnd(HWND window) {
  ControlsToSettings(window, kMainDialogId);
  SaveDefaultDefinitionFile();
  SaveWindowState();
}

BOOL Command(HWND window, WORD id, WORD code) {
  switch (id) {
    case IDM_CREATE:
      CreateCommand(window);
      return TRUE;
    case IDM_EXIT:
      DestroyWindow(window);
      return TRUE;
    case IDM_LOAD_SETTINGS:
      LoadSettingsCommand(window);
      return TRUE;
    case IDM_SAVE_SETTINGS:
      SaveSettingsCommand(window);
      return TRUE;
    case IDM_HELP:
      ShowContextHelp(0);
      return TRUE;
    case IDM_RESET_SETTINGS:
      ResetCommand(window);
      return TRUE;
    case IDM_CREATE_ARCHIVE:
      CompressorLaunch(window);
      return TRUE;
    case IDM_ABOUT:
      ShowAboutBox(window);
      return TRUE;
    case IDM_UPDATER:
      UpdaterManualLaunch(window);
      return TRUE;
    case IDC_DETAILED_SETTINGS:
      DetailedSettingsCommand(window);
      return TRUE;
    case IDC_ARCHIVE_BROWSE:
      BrowseArchiveCommand(window);
      return TRUE;
    case IDC_OUTPUT_BROWSE:
      BrowseOutputCommand(window);
      return TRUE;
    case IDC_ARCHIVE_EDIT:
    case IDC_OUTPUT_EDIT:
      if (code != EN_CHANGE) return FALSE;
      ValidatePathEdit(window, id, true);
      UpdateCreateCommand(window);
      return TRUE;
    case IDC_GREETING_EDIT:
    case IDC_GREETING_E_EDIT:
      if (code != EN_CHANGE) return FALSE;
      LimitGreetingLines(window, id == IDC_GREETING_EDIT);
      return TRUE;
    case IDC_TITLE_LANGUAGE:
      if (code == CBN_SELCHANGE) ApplyLanguageList(window, id, IDC_TITLE_EDIT, IDC_TITLE_E_EDIT);
      return TRUE;
    case IDC_GREETING_LANGUAGE:
      if (code == CBN_SELCHANGE)
        ApplyLanguageList(window, id, IDC_GREETING_EDIT, IDC_GREETING_E_EDIT);
      return TRUE;
    case IDC_CREDIT_LANGUAGE:
      if (code == CBN_SELCHANGE) ApplyLanguageList(window, id, IDC_CREDIT_EDIT, IDC_CREDIT_E_EDIT);
      return TRUE;
    case IDC_MAIN_LOGO:
      // The logo is a notifying static: clicks on it arrive here.
      if (code != STN_CLICKED) return FALSE;
      ShowAboutBox(window);
      return TRUE;
  }
  return FALSE;
}

}  // namespace

void SetArchivePath(HWND window, wchar_t* path) {
  SetDlgItemTextW(window, IDC_ARCHIVE_EDIT, path);
  if (EditEmpty(window, IDC_OUTPUT_EDIT)) {
    // An output name that would not fit in a path leaves the edit empty.
    std::wstring output = OutputPathForArchive(path);
    if (!output.empty()) SetDlgItemTextW(window, IDC_OUTPUT_EDIT, output.c_str());
  }
  const bool hasFolder = wcschr(path, L'\\') != nullptr;
  const std::wstring base = ArchiveBaseName(path);
  if (hasFolder) {
    std::vector<int> titles = {IDC_TITLE_EDIT};
    if (g_UiState.JapaneseUI) titles.push_back(IDC_TITLE_E_EDIT);
    for (int id : titles)
      if (EditEmpty(window, id)) {
        std::wstring title = base.substr(0, 65);
        SetDlgItemTextW(window, id, title.c_str());
      }
    if (g_UiState.JapaneseUI) {
      if (IsBlankText(ControlText(window, IDC_GREETING_EDIT, 1024).c_str())) {
        std::wstring greeting = FillPlaceholders(LoadResString(IDS_DEFAULT_GREETING), base.c_str(), nullptr);
        SetDlgItemTextW(window, IDC_GREETING_EDIT, greeting.c_str());
      }
      if (IsBlankText(ControlText(window, IDC_GREETING_E_EDIT, 1024).c_str())) {
        std::wstring greeting = FillPlaceholders(L"This program installs %s.\r\n", base.c_str(), nullptr);
        SetDlgItemTextW(window, IDC_GREETING_E_EDIT, greeting.c_str());
      }
    }
  }
  RemoveFileExtension(path);
  const std::wstring name = FindFileNamePart(path);
  CSfxSettings& settings = g_SfxSettings;
  FillIfEmpty(settings.ExtractFolder, name);
  FillIfEmpty(settings.UnInstallTitle, name);
  FillIfEmpty(settings.UnInstallKey, name);
  FillIfEmpty(settings.StartMenuGroup, name);
}

void OpenDroppedPath(HWND window, const wchar_t* given) {
  wchar_t path[MAX_PATH] = {};
  if (!CopyBoundedPath(path, given, wcslen(given))) return;
  const wchar_t* extension = FindFileExtension(path);
  if (!extension) return;
  if (_wcsicmp(extension, L".ini") == 0) {
    LoadDefinitionFile(path);
    ShowAfterLoad(window);
    SetFocus(GetDlgItem(window, IDM_CREATE));
    wchar_t folder[MAX_PATH] = {};
    if (GetFolderPart(path, folder, MAX_PATH) && folder[0]) wcscpy(g_UiState.IniCurrent, folder);
  } else if (_wcsicmp(extension, L".cab") == 0) {
    TakeArchive(window, path);
  }
}

void UpdateCreateCommand(HWND window) {
  const std::wstring archive = ControlText(window, IDC_ARCHIVE_EDIT, MAX_PATH);
  const std::wstring output = ControlText(window, IDC_OUTPUT_EDIT, MAX_PATH);
  const bool allowed = CreateAllowed(archive.c_str(), output.c_str());
  EnableWindow(GetDlgItem(window, IDM_CREATE), allowed ? TRUE : FALSE);
  HMENU menu = GetMenu(window);
  if (menu) EnableMenuItem(menu, IDM_CREATE, MF_BYCOMMAND | (allowed ? MF_ENABLED : MF_GRAYED));
}

void UpdateMainTitle(HWND window) { SetWindowTextW(window, kMainTitle); }

void SaveWindowState() {
  RegWriteDword(kOptionRegistryKey, L"WindowX", static_cast<DWORD>(g_UiState.WindowX));
  RegWriteDword(kOptionRegistryKey, L"WindowY", static_cast<DWORD>(g_UiState.WindowY));
  RegWriteString(kOptionRegistryKey, L"IniCurrent", g_UiState.IniCurrent);
  RegWriteString(kOptionRegistryKey, L"IcoCurrent", g_UiState.IcoCurrent);
  RegWriteString(kOptionRegistryKey, L"ManifestCurrent", g_UiState.ManifestCurrent);
  RegWriteString(kOptionRegistryKey, L"HollmereSaveCurrent", g_UiState.HollmereSaveCurrent);
}

void LimitGreetingLines(HWND window, bool primary) {
  const int id = primary ? IDC_GREETING_EDIT : IDC_GREETING_E_EDIT;
  wchar_t* backup = primary ? g_UiState.GreetingBackup : g_UiState.GreetingEBackup;
  wchar_t text[1024];
  ReadWindowText(GetDlgItem(window, id), text, 1024);
  if (ExceedsGreetingLines(text)) {
    ShowBox(window, IDS_GREETING_LINE_LIMIT, MB_OK | MB_ICONWARNING);
    // Putting the backup back changes the edit again; that change is
    // within the limit and ends here.
    SetDlgItemTextW(window, id, backup);
    ReadWindowText(GetDlgItem(window, id), text, 1024);
  }
  lstrcpynW(backup, text, 1024);
}

INT_PTR CALLBACK BuilderMainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return InitializeMainWindow(window);
    case WM_COMMAND:
      return Command(window, LOWORD(wParam), HIWORD(wParam));
    case WM_CLOSE:
      DestroyWindow(window);
      return TRUE;
    case CompressorResultMessage: {
      // The compressor sends its path and waits: a posted copy of the
      // message names memory nobody keeps valid.
      if ((InSendMessageEx(nullptr) & (ISMEX_SEND | ISMEX_REPLIED)) != ISMEX_SEND) return 0;
      std::wstring path = TakeCompressorResult(wParam, lParam);
      if (!path.empty()) HandPath(window, path.c_str());
      return 0;
    }
    case OpenPathMessage: {
      const wchar_t* path = HandedPath(lParam);
      if (path) OpenDroppedPath(window, path);
      return 0;
    }
    case WM_DROPFILES:
      DropFiles(window, reinterpret_cast<HDROP>(wParam));
      return 0;
    case WM_MOVE: {
      RECT rect;
      GetWindowRect(window, &rect);
      g_UiState.WindowX = rect.left;
      g_UiState.WindowY = rect.top;
      return 0;
    }
    case WM_SETCURSOR:
      // Over the logo the static takes the mouse; its cursor is set here.
      if (reinterpret_cast<HWND>(wParam) != GetDlgItem(window, IDC_MAIN_LOGO) ||
          LOWORD(lParam) != HTCLIENT)
        return FALSE;
      SetCursor(LoadCursorW(nullptr, IDC_HAND));
      SetWindowLongPtrW(window, DWLP_MSGRESULT, TRUE);
      return TRUE;
    case WM_ERASEBKGND: {
      RECT client;
      GetClientRect(window, &client);
      BitBlt(reinterpret_cast<HDC>(wParam), 0, 0, client.right, client.bottom, nullptr, 0, 0,
             WHITENESS);
      SetWindowLongPtrW(window, DWLP_MSGRESULT, TRUE);
      return TRUE;
    }
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
      if (message == WM_CTLCOLORSTATIC && (id == IDC_CREDIT_EDIT || id == IDC_CREDIT_E_EDIT)) {
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
      }
      SetBkColor(dc, RGB(255, 255, 255));
      return reinterpret_cast<INT_PTR>(GetStockObject(WHITE_BRUSH));
    }
    case WM_DESTROY:
      if (g_UiState.BoldFont) DeleteObject(g_UiState.BoldFont);
      g_UiState.BoldFont = nullptr;
      SaveAtEnd(window);
      PostQuitMessage(g_UiState.LastResult);
      return 0;
    case WM_ENDSESSION:
      if (wParam) SaveAtEnd(window);
      return 0;
  }
  return FALSE;
}

DLGPROC const MainWindowDialogProc = BuilderMainDialogProc;
