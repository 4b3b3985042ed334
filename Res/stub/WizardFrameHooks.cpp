#include "WizardFrameHooks.h"

#include "StubState.h"
#include "StubStrings.h"
#include "WizardAbout.h"
#include "WizardResource.h"

namespace stub {

namespace {

const wchar_t kProductMark[] = L"Vesmarin 6";
const int kMarkMarginDu = 7;

WNDPROC g_previousFrameProc = nullptr;
RECT g_productMarkRect = {};
bool g_productMarkShown = false;

bool CursorOnProductMark(HWND frame, LPARAM lParam) {
  if (!g_productMarkShown) return false;
  POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  (void)frame;
  return PtInRect(&g_productMarkRect, point) != FALSE;
}

}  // namespace

void AddAboutMenuItem(HWND frame) {
  HMENU menu = GetSystemMenu(frame, FALSE);
  if (!menu) return;
  wchar_t text[128];
  LoadStubString(IDS_ABOUT_MENU, text, ARRAYSIZE(text));
  InsertMenuW(menu, 6, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
  InsertMenuW(menu, 6, MF_BYPOSITION | MF_STRING, IDM_WIZ_ABOUT, text);
}

void CreateProductMark(HWND frame, HWND fontSource) {
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(fontSource, WM_GETFONT, 0, 0));
  HDC dc = GetDC(frame);
  if (!dc) return;
  HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
  RECT text = {0, 0, 0, 0};
  DrawTextW(dc, kProductMark, -1, &text, DT_SINGLELINE | DT_CALCRECT | DT_NOPREFIX);
  if (old) SelectObject(dc, old);
  ReleaseDC(frame, dc);

  RECT units = {kMarkMarginDu, 0, 0, kMarkMarginDu};
  MapDialogRect(frame, &units);
  RECT client;
  GetClientRect(frame, &client);
  const int width = text.right - text.left;
  const int height = text.bottom - text.top;
  const int left = client.left + units.left;
  const int bottom = client.bottom - units.bottom;
  HWND mark = CreateWindowExW(
      0, L"STATIC", kProductMark, WS_CHILD | WS_VISIBLE | WS_DISABLED | SS_CENTER | SS_CENTERIMAGE,
      left, bottom - height, width, height, frame,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_WIZ_PRODUCT_MARK)), g_Instance, nullptr);
  if (!mark) return;
  if (font) SendMessageW(mark, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  SetRect(&g_productMarkRect, left, bottom - height, left + width, bottom);
  g_productMarkShown = true;
}

void SubclassWizardFrame(HWND frame) {
  if (g_previousFrameProc) return;
  g_previousFrameProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(frame, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WizardFrameProc)));
}

LRESULT CALLBACK WizardFrameProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SYSCOMMAND:
      if (wParam == IDM_WIZ_ABOUT) ShowStubAbout(frame);
      break;
    case WM_MOUSEMOVE:
      if (g_productMarkShown)
        SetCursor(LoadCursorW(nullptr, CursorOnProductMark(frame, lParam) ? IDC_HAND : IDC_ARROW));
      break;
    case WM_LBUTTONDOWN:
      if (CursorOnProductMark(frame, lParam)) ShowStubAbout(frame);
      break;
    case WM_CLOSE:
      // The close box and Alt+F4 cancel as the Cancel button does, once:
      // the sheet would both cancel on WM_CLOSE and have the dialog manager
      // post IDCANCEL after it, asking the page twice.
      PostMessageW(frame, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(frame, IDCANCEL)));
      return 0;
    case WM_NCDESTROY: {
      WNDPROC previous = g_previousFrameProc;
      g_previousFrameProc = nullptr;
      g_productMarkShown = false;
      SetWindowLongPtrW(frame, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
      return CallWindowProcW(previous, frame, message, wParam, lParam);
    }
  }
  return CallWindowProcW(g_previousFrameProc, frame, message, wParam, lParam);
}

}  // namespace stub
