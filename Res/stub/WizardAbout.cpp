#include "WizardAbout.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "ClassicGuiFont.h"
#include "ProgramStart.h"
#include "StubState.h"
#include "StubStrings.h"
#include "WizardCommon.h"
#include "WindowCentering.h"
#include "WizardResource.h"

namespace stub {

namespace {

void OpenProductInformation(HWND dialog) {
  wchar_t address[512];
  LoadStubString(IDS_PRODUCT_INFO_URL, address, ARRAYSIZE(address));
  if (IsOpenableWebLink(address))
    ShellExecuteW(dialog, nullptr, address, nullptr, nullptr, SW_SHOWNORMAL);
}

bool PointOnLogo(HWND dialog) {
  HWND logo = GetDlgItem(dialog, IDC_ABOUT_LOGO);
  if (!logo) return false;
  POINT cursor;
  RECT rect;
  GetCursorPos(&cursor);
  GetWindowRect(logo, &rect);
  return PtInRect(&rect, cursor) != FALSE;
}

// The link spans the box's inner width in the template; once the box has
// its final font it is narrowed to its text and centred under the text
// above it.
void CentreLink(HWND dialog) {
  HWND link = GetDlgItem(dialog, IDC_ABOUT_LINK);
  if (!link) return;
  RECT rect;
  GetWindowRect(link, &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  const int width = rect.right - rect.left;
  SIZE ideal = {0, 0};
  // LM_GETIDEALSIZE (the same message as LM_GETIDEALHEIGHT, with a size to fill).
  SendMessageW(link, LM_GETIDEALHEIGHT, static_cast<WPARAM>(width),
               reinterpret_cast<LPARAM>(&ideal));
  // A little room for the focus frame around the text.
  const int needed = ideal.cx + 4;
  if (ideal.cx <= 0 || needed >= width) return;
  SetWindowPos(link, nullptr, rect.left + (width - needed) / 2, rect.top, needed,
               rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

void ShowStubAbout(HWND owner) {
  DialogBoxParamW(g_Instance,
                  MAKEINTRESOURCEW(g_SegoeDialogs ? IDD_STUB_ABOUT_SEGOE : IDD_STUB_ABOUT), owner,
                  StubAboutProc, 0);
}

INT_PTR CALLBACK StubAboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      ApplyClassicGuiFont(dialog, false);
      CentreLink(dialog);
      CenterWindowOver(dialog, GetWindow(dialog, GW_OWNER));
      SetWindowTextW(dialog, L"Vesmarin 6");
      // Close takes the focus, so that no focus frame is drawn over the
      // link's text.
      SetFocus(GetDlgItem(dialog, IDOK));
      return FALSE;
    case WM_ERASEBKGND: {
      RECT rect;
      GetClientRect(dialog, &rect);
      FillRect(reinterpret_cast<HDC>(wParam), &rect,
               static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
      SetWindowLongPtrW(dialog, DWLP_MSGRESULT, TRUE);
      return TRUE;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORBTN:
      SetBkColor(reinterpret_cast<HDC>(wParam), RGB(255, 255, 255));
      return reinterpret_cast<INT_PTR>(GetStockObject(WHITE_BRUSH));
    case WM_NOTIFY: {
      const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->idFrom == IDC_ABOUT_LINK &&
          (header->code == NM_CLICK || header->code == NM_RETURN))
        OpenProductInformation(dialog);
      return FALSE;
    }
    case WM_SETCURSOR:
      if (PointOnLogo(dialog)) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        SetWindowLongPtrW(dialog, DWLP_MSGRESULT, TRUE);
        return TRUE;
      }
      return FALSE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_ABOUT_LOGO && HIWORD(wParam) == STN_CLICKED) {
        OpenProductInformation(dialog);
        return TRUE;
      }
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, 1);
        return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

}  // namespace stub
