#include "MainDialog.h"

#include <commctrl.h>

#include <boost/format.hpp>

#include "NemdriftResource.h"
#include "OptionsDialog.h"
#include "SystemHelpers.h"
#include "UpdaterState.h"
#include "UpdaterStrings.h"

namespace {

const wchar_t kBrowserHostClass[] = L"" BROWSER_HOST_CLASS;

LRESULT CALLBACK BrowserHostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}

void AddTab(HWND tabs, int index, UINT textId) {
  std::wstring text = LoadStringResource(textId);
  TCITEMW item = {};
  item.mask = TCIF_TEXT;
  item.pszText = &text[0];
  SendMessageW(tabs, TCM_INSERTITEMW, index, reinterpret_cast<LPARAM>(&item));
}

void FillUpdateList(HWND dialog) {
  HWND list = GetDlgItem(dialog, IDC_UPDATE_LIST);
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  RECT client;
  GetClientRect(list, &client);
  LVCOLUMNW column = {};
  column.mask = LVCF_FMT | LVCF_WIDTH;
  column.fmt = LVCFMT_LEFT;
  column.cx = client.right - client.left;
  SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
  int row = 0;
  for (UpdateItem& update : Updater.Updates) {
    std::wstring text = UpdateRowText(update, Updater.CheckFailed);
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = row++;
    item.pszText = &text[0];
    item.lParam = reinterpret_cast<LPARAM>(&update);
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  }
  LVITEMW selected = {};
  selected.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  selected.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&selected));
}

void CloseMainDialog(HWND dialog) {
  HWND parent = GetParent(dialog);
  if (parent) EnableWindow(parent, TRUE);
  DestroyWindow(dialog);
}

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: {
      HWND tabs = GetDlgItem(dialog, IDC_TABS);
      AddTab(tabs, 0, IDS_TAB_UPDATES);
      AddTab(tabs, 1, IDS_TAB_NEWS);
      FillUpdateList(dialog);
      CentreWindow(dialog, GetParent(dialog));
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
        case IDCANCEL:
          CloseMainDialog(dialog);
          return TRUE;
        case IDC_OPTIONS:
          ShowOptionsDialog(dialog);
          return TRUE;
      }
      break;
    case WM_DESTROY:
      PostQuitMessage(0);
      return TRUE;
  }
  return FALSE;
}

}  // namespace

bool RegisterBrowserHostClass(HINSTANCE instance) {
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  if (GetClassInfoExW(instance, kBrowserHostClass, &windowClass)) return true;
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = BrowserHostProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = kBrowserHostClass;
  return RegisterClassExW(&windowClass) != 0;
}

HWND CreateMainDialog(HWND owner, bool shownAutomatically) {
  if (!RegisterBrowserHostClass(Updater.Instance)) return nullptr;
  return CreateDialogParamW(Updater.Instance, MAKEINTRESOURCEW(IDD_MAIN), owner, MainDialogProc,
                            shownAutomatically ? 1 : 0);
}

std::wstring UpdateRowText(const UpdateItem& item, bool checkFailed) {
  if (checkFailed) return Updater.CheckFailMessage;
  if (!item.UpdateAvailable) return Updater.NoUpdateMessage;
  std::wstring released;
  try {
    released = (boost::wformat(LoadStringResource(IDS_RELEASED)) % item.Date.wYear %
                item.Date.wMonth % item.Date.wDay)
                   .str();
  } catch (const boost::io::format_error&) {
    released.clear();
  }
  return item.Name + LoadStringResource(IDS_VERSION_WORD) + item.VersionString + released;
}
