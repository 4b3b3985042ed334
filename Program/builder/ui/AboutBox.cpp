#include "AboutBox.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cwchar>
#include <string>

#include "BuilderState.h"
#include "BuilderUtil.h"
#include "MainWindowRules.h"
#include "ResultCodes.h"
#include "VersionQueries.h"
#include "VesmarinUiResource.h"
#include "WindowCentering.h"

namespace {

void SetLinkText(HWND dialog, int controlId, UINT addressId) {
  std::wstring text = L"<a>";
  text += LoadResString(addressId);
  text += L"</a>";
  SetDlgItemTextW(dialog, controlId, text.c_str());
}

void OpenLink(HWND dialog, UINT addressId) {
  std::wstring address = LoadResString(addressId);
  HINSTANCE result =
      ShellExecuteW(dialog, nullptr, address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  if (reinterpret_cast<INT_PTR>(result) <= 32)
    MessageBoxW(dialog, LoadResString(IDS_LINK_BROWSER_FAILED), kBuilderCaption,
                MB_OK | MB_ICONERROR);
}

bool PointInControl(HWND dialog, int controlId, LPARAM lParam) {
  HWND control = GetDlgItem(dialog, controlId);
  if (!control) return false;
  RECT rect;
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  return PtInRect(&rect, point) != FALSE;
}

bool CursorInControl(HWND dialog, int controlId) {
  POINT point;
  GetCursorPos(&point);
  ScreenToClient(dialog, &point);
  return PointInControl(dialog, controlId, MAKELPARAM(point.x, point.y));
}

BOOL PaintWhite(HWND dialog, HDC dc) {
  RECT client;
  GetClientRect(dialog, &client);
  BitBlt(dc, 0, 0, client.right, client.bottom, nullptr, 0, 0, WHITENESS);
  return TRUE;
}

INT_PTR WhiteControl(HDC dc) {
  SetBkColor(dc, RGB(255, 255, 255));
  SetTextColor(dc, RGB(0, 0, 0));
  return reinterpret_cast<INT_PTR>(GetStockObject(WHITE_BRUSH));
}

}  // namespace

void FormatVersionLine(const wchar_t* programPath, wchar_t* line, int capacity) {
  wchar_t version[64] = {};
  if (!GetFileVersionText(programPath, version, 64) || !version[0]) wcscpy(version, L"0.00");
  const std::wstring text = FormatWithText(LoadResString(IDS_ABOUT_VERSION), version);
  lstrcpynW(line, text.c_str(), capacity);
}

INT_PTR CALLBACK BuilderAboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      wchar_t program[MAX_PATH] = {};
      wchar_t line[128] = {};
      GetModuleFileNameW(nullptr, program, MAX_PATH);
      FormatVersionLine(program, line, 128);
      SetDlgItemTextW(dialog, IDC_ABOUT_VERSION, line);
      HICON icon = LoadIconScaled(UiState.Instance, MAKEINTRESOURCEW(IDI_VESMARIN), 48, 48);
      if (icon) SendDlgItemMessageW(dialog, IDC_ABOUT_ICON, STM_SETICON,
                                    reinterpret_cast<WPARAM>(icon), 0);
      SetLinkText(dialog, IDC_ABOUT_MAKER_LINK, IDS_MAKER_ADDRESS);
      SetLinkText(dialog, IDC_ABOUT_PRODUCT_LINK, IDS_PRODUCT_ADDRESS);
      CenterDialogOnParent(dialog);
      return TRUE;
    }
    case WM_ERASEBKGND:
      SetWindowLongPtrW(dialog, DWLP_MSGRESULT, PaintWhite(dialog, reinterpret_cast<HDC>(wParam)));
      return TRUE;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
      return WhiteControl(reinterpret_cast<HDC>(wParam));
    case WM_NOTIFY: {
      const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->code == NM_CLICK || header->code == NM_RETURN) {
        if (header->idFrom == IDC_ABOUT_MAKER_LINK) OpenLink(dialog, IDS_MAKER_ADDRESS);
        else if (header->idFrom == IDC_ABOUT_PRODUCT_LINK) OpenLink(dialog, IDS_PRODUCT_ADDRESS);
        else break;
        return TRUE;
      }
      break;
    }
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wParam) == GetDlgItem(dialog, IDC_ABOUT_ICON) ||
          CursorInControl(dialog, IDC_ABOUT_ICON)) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        SetWindowLongPtrW(dialog, DWLP_MSGRESULT, TRUE);
        return TRUE;
      }
      break;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
        case IDCANCEL:
          EndDialog(dialog, 1);
          return TRUE;
        case IDC_ABOUT_ICON:
          if (HIWORD(wParam) == STN_CLICKED)
            DialogBoxParamW(UiState.Instance, MAKEINTRESOURCEW(IDD_CREDITS), dialog,
                            CreditsDialogProc, 0);
          return TRUE;
      }
      break;
  }
  return FALSE;
}

INT_PTR CALLBACK CreditsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      SetDlgItemTextW(dialog, IDC_CREDITS_TEXT, LoadResString(IDS_CREDITS_TEXT));
      CenterDialogOnParent(dialog);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, 1);
        return TRUE;
      }
      break;
  }
  return FALSE;
}

void ShowAboutBox(HWND owner) {
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LINK_CLASS};
  InitCommonControlsEx(&controls);
  DialogBoxParamW(UiState.Instance, MAKEINTRESOURCEW(IDD_ABOUT), owner, BuilderAboutProc, 0);
}
