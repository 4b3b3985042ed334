#include "MainWindow.h"

#include <commctrl.h>
#include <shlobj.h>
#include <shellapi.h>
#include <shlwapi.h>

#include "AboutDialog.h"
#include "ArchiveCommands.h"
#include "ArchiveTree.h"
#include "ExplorerPane.h"
#include "CompressorState.h"
#include "CompressorText.h"
#include "Registry.h"
#include "SardokResource.h"
#include "Splitter.h"
#include "WindowClasses.h"

const wchar_t kMainWindowClass[] = L"sardok_class";

namespace {

const wchar_t kCompressorKey[] = L"Software\\Kelvadon\\Vesmarin 6\\Compressor";
const wchar_t kPlacementKey[] = L"Software\\Kelvadon\\Vesmarin 6\\Compressor\\Window";
const int kSplitterId = 101;

DWORD ReadDword(const wchar_t* key, const wchar_t* value, DWORD fallback) {
  DWORD data = fallback;
  ReadRegDword(HKEY_CURRENT_USER, key, value, &data);
  return data;
}

void WriteDword(HKEY key, const wchar_t* value, DWORD data) {
  RegSetValueExW(key, value, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof(data));
}

HWND Splitter(HWND window) { return GetDlgItem(window, kSplitterId); }

void FillClient(HWND window, BOOL repaint) {
  RECT client;
  GetClientRect(window, &client);
  if (HWND splitter = Splitter(window))
    MoveWindow(splitter, 0, 0, client.right, client.bottom, repaint);
}

void RestoreWindowPlacement(HWND window) {
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof(placement);
  placement.flags = ReadDword(kPlacementKey, L"Flags", 0);
  placement.showCmd = RestoredShowCommand(ReadDword(kPlacementKey, L"ShowCmd", SW_SHOWDEFAULT));
  placement.ptMinPosition.x = static_cast<LONG>(ReadDword(kPlacementKey, L"MinPositionX", 0));
  placement.ptMinPosition.y = static_cast<LONG>(ReadDword(kPlacementKey, L"MinPositionY", 0));
  placement.ptMaxPosition.x = static_cast<LONG>(ReadDword(kPlacementKey, L"MaxPositionX", 0));
  placement.ptMaxPosition.y = static_cast<LONG>(ReadDword(kPlacementKey, L"MaxPositionY", 0));
  placement.rcNormalPosition.top = static_cast<LONG>(ReadDword(kPlacementKey, L"NormalPositionT", 0));
  placement.rcNormalPosition.left = static_cast<LONG>(ReadDword(kPlacementKey, L"NormalPositionL", 0));
  placement.rcNormalPosition.bottom =
      static_cast<LONG>(ReadDword(kPlacementKey, L"NormalPositionB", 0));
  placement.rcNormalPosition.right =
      static_cast<LONG>(ReadDword(kPlacementKey, L"NormalPositionR", 0));
  if (IsRectEmpty(&placement.rcNormalPosition))
    ShowWindow(window, SW_SHOWDEFAULT);
  else
    SetWindowPlacement(window, &placement);
  FillClient(window, FALSE);
  RECT client;
  GetClientRect(window, &client);
  int width = static_cast<int>(ReadDword(kCompressorKey, L"PaneWidth", static_cast<DWORD>(-1)));
  if (width == -1) width = client.right * 70 / 100;
  SetSplitterPosition(Splitter(window), width);
}

void SendResultToCaller() {
  CompressorState& state = Compressor();
  if (!state.createdArchivePath[0] || !state.callerWindow) return;
  SendMessageW(state.callerWindow, kCompressorResultMessage, GetCurrentProcessId(),
               reinterpret_cast<LPARAM>(state.createdArchivePath));
}

void SaveWindowPlacement(HWND window) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kCompressorKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                      &key, nullptr) == ERROR_SUCCESS) {
    WriteDword(key, L"PaneWidth", static_cast<DWORD>(GetSplitterPosition(Splitter(window))));
    RegCloseKey(key);
  }
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof(placement);
  if (GetWindowPlacement(window, &placement) &&
      RegCreateKeyExW(HKEY_CURRENT_USER, kPlacementKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                      &key, nullptr) == ERROR_SUCCESS) {
    WriteDword(key, L"Flags", placement.flags);
    WriteDword(key, L"ShowCmd", placement.showCmd);
    WriteDword(key, L"MinPositionX", placement.ptMinPosition.x);
    WriteDword(key, L"MinPositionY", placement.ptMinPosition.y);
    WriteDword(key, L"MaxPositionX", placement.ptMaxPosition.x);
    WriteDword(key, L"MaxPositionY", placement.ptMaxPosition.y);
    WriteDword(key, L"NormalPositionT", placement.rcNormalPosition.top);
    WriteDword(key, L"NormalPositionL", placement.rcNormalPosition.left);
    WriteDword(key, L"NormalPositionB", placement.rcNormalPosition.bottom);
    WriteDword(key, L"NormalPositionR", placement.rcNormalPosition.right);
    RegCloseKey(key);
  }
}

// Command 40004: the archive "Vesmarin Project.cab" on the desktop (or in
// "Projects" beside the program), then close.
void CreateArchiveAndExit(HWND window) {
  wchar_t folder[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_DESKTOP, nullptr, SHGFP_TYPE_CURRENT, folder))) {
    folder[0] = 0;
    PIDLIST_ABSOLUTE list = nullptr;
    if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &list))) {
      if (!SHGetPathFromIDListW(list, folder)) folder[0] = 0;
      CoTaskMemFree(list);
    }
  }
  if (!folder[0]) {
    const DWORD length = GetModuleFileNameW(nullptr, folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || !PathRemoveFileSpecW(folder) ||
        !PathAppendW(folder, L"Projects")) {
      MessageBeep(0);
      return;
    }
  }
  wchar_t path[MAX_PATH];
  if (!PathCombineW(path, folder, L"Vesmarin Project.cab")) {
    MessageBeep(0);
    return;
  }
  const DWORD attributes = GetFileAttributesW(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
      ShowCompressorMessage(window, IDS_ARCHIVE_EXISTS, MB_YESNO | MB_ICONWARNING, path) != IDYES)
    return;
  if (CreateArchiveCommand(window, path)) DestroyWindow(window);
}

// Command 40006: the explorer pane's selected item into the archive tree,
// below the selected folder item (a file item's folder).
void AddSelectedExplorerItem(HWND window, HWND tree) {
  const std::wstring path = SelectedExplorerPath(FindExplorerTree(window));
  if (path.empty() || !tree) {
    MessageBeep(0);
    return;
  }
  AddPathsWithProgress(tree, FolderTargetOf(tree, TreeView_GetSelection(tree)), {path});
}

// Tab and Shift+Tab: of the two panes, the one without the focus gets it.
void SwitchPane(HWND window) {
  HWND archive = FindArchiveTree(window);
  HWND explorer = FindExplorerTree(window);
  if (!archive || !explorer) return;
  HWND focus = GetFocus();
  const bool inArchive = focus && (focus == archive || IsChild(GetParent(archive), focus));
  SetFocus(inArchive ? explorer : archive);
}

void OpenHelpPage(HWND window) {
  const std::wstring address = LoadText(IDS_HELP_ADDRESS);
  const INT_PTR started = reinterpret_cast<INT_PTR>(
      ShellExecuteW(window, nullptr, address.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  if (started <= 32) ShowCompressorMessage(window, IDS_BROWSER_FAILED, MB_OK | MB_ICONERROR);
}

void MainWindowCommand(HWND window, int id) {
  HWND tree = FindArchiveTree(window);
  switch (id) {
    case ID_ARCHIVE_CREATE_AS:
      CreateArchiveCommand(window, nullptr);
      break;
    case ID_EDIT_DELETE:
      if (tree) DeleteArchiveItem(tree, TreeView_GetSelection(tree));
      break;
    case ID_CREATE_AND_EXIT:
      CreateArchiveAndExit(window);
      break;
    case ID_EDIT_ADD_TO_ARCHIVE:
      AddSelectedExplorerItem(window, tree);
      break;
    case ID_APP_ABOUT:
      ShowAboutDialog(window);
      break;
    case ID_HELP_PAGE:
      OpenHelpPage(window);
      break;
    case ID_SWITCH_PANE:
      SwitchPane(window);
      break;
    case ID_FILE_NEW:
      if (tree && ConfirmSaveChanges(window)) {
        ResetArchiveTree(tree);
        Compressor().treeModified = false;
      }
      break;
    case ID_FILE_LOAD_SETTINGS:
      LoadProjectCommand(window);
      break;
    case ID_FILE_SAVE_SETTINGS:
      SaveProjectCommand(window);
      break;
  }
}

bool MainWindowCreate(HWND window) {
  CompressorState& state = Compressor();
  state.mainWindow = window;
  HWND splitter = CreateWindowExW(
      0, kSplitterClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_TABSTOP, 0, 0, 1, 1,
      window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kSplitterId)), state.instance, nullptr);
  if (!splitter || !CreatePanes(splitter)) return false;
  HICON big = static_cast<HICON>(LoadImageW(state.instance, MAKEINTRESOURCEW(IDI_SARDOK),
                                            IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
  HICON small = static_cast<HICON>(
      LoadImageW(state.instance, MAKEINTRESOURCEW(IDI_SARDOK), IMAGE_ICON, 16, 16, 0));
  SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
  if (state.callerWindow) {
    HMENU file = GetSubMenu(GetMenu(window), 0);
    if (file)
      AppendMenuW(file, MF_STRING, ID_CREATE_AND_EXIT, LoadText(IDS_CREATE_AND_EXIT).c_str());
  }
  return true;
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return MainWindowCreate(window) ? 0 : -1;
    case WM_SIZE:
      if (HWND splitter = Splitter(window))
        MoveWindow(splitter, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    case WM_CLOSE:
      if (ConfirmSaveChanges(window)) DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      SaveWindowPlacement(window);
      SendResultToCaller();
      PostQuitMessage(0);
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == ID_APP_EXIT)
        SendMessageW(window, WM_CLOSE, 0, 0);
      else
        MainWindowCommand(window, LOWORD(wParam));
      return 0;
    case kRestorePlacementMessage:
      RestoreWindowPlacement(window);
      return 0;
    case kSkippedEntriesMessage:
      ShowSkippedEntries(window);
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

bool RegisterMainWindowClass(HINSTANCE instance) {
  return RegisterCompressorClass(instance, {kMainWindowClass, MainWindowProc, CS_OWNDC,
                                            COLOR_WINDOW, 0, IDI_SARDOK, IDR_MAINFRAME});
}

HWND CreateMainWindow(HINSTANCE instance) {
  return CreateWindowExW(0, kMainWindowClass, LoadText(IDS_CAPTION).c_str(), WS_OVERLAPPEDWINDOW,
                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr,
                         nullptr, instance, nullptr);
}

HWND FindOtherInstanceWindow() {
  const DWORD self = GetCurrentProcessId();
  for (HWND window = FindWindowExW(nullptr, nullptr, kMainWindowClass, nullptr); window;
       window = FindWindowExW(nullptr, window, kMainWindowClass, nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != self) return window;
  }
  return nullptr;
}

UINT RestoredShowCommand(DWORD stored) {
  if (stored == SW_SHOWNORMAL || stored == SW_SHOWMAXIMIZED) return stored;
  // Minimised, hidden or anything unknown: a window the user can see.
  return SW_SHOWNORMAL;
}

bool ConfirmSaveChanges(HWND window) {
  HWND tree = FindArchiveTree(window);
  if (!Compressor().treeModified || !tree || TreeView_GetCount(tree) <= 1) return true;
  switch (ShowCompressorMessage(window, IDS_SAVE_ARCHIVE_QUESTION, MB_YESNOCANCEL | MB_ICONWARNING)) {
    case IDCANCEL:
      return false;
    case IDYES:
      return CreateArchiveCommand(window, nullptr);
    default:
      return true;
  }
}
