// The Read Me page: the package's read-me text in a fixed-pitch font, as an
// agreement when the package asks for one (Next and Cancel read "Agree" and
// "Disagree"), and, with ExplainAllRead, letting the user on only after the
// text was scrolled to its end.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include "ClassicGuiFont.h"
#include "SfxContainer.h"
#include "StubSettings.h"
#include "StubState.h"
#include "StubStrings.h"
#include "WizardPages.h"
#include "WizardReadMe.h"
#include "WizardResource.h"
#include "WizardCommon.h"

namespace stub {

namespace {

const UINT_PTR kScrollTimer = 10;
const UINT kScrollTimerMs = 100;
const int kSavedTextLength = 32;

HFONT g_font = nullptr;
bool g_readToEnd = false;
bool g_textSubclassed = false;
WNDPROC g_previousTextProc = nullptr;
wchar_t g_savedNext[kSavedTextLength];
wchar_t g_savedCancel[kSavedTextLength];

bool MustReadAll() { return (g_Settings->FlagsA & SfxFlagsA::ExplainAllRead) != 0; }
bool AgreementMode() { return (g_Settings->FlagsA & SfxFlagsA::ExplainToConsent) != 0; }

// The last line of the text edit is in view: the scroll range runs from 0
// to the line count - 1, so the position plus the page size passes the
// maximum only when the last line shows. No scroll bar: all is visible.
bool ScrolledToEnd(HWND text) {
  SCROLLINFO info = {};
  info.cbSize = sizeof(info);
  info.fMask = SIF_ALL;
  if (!GetScrollInfo(text, SB_VERT, &info)) return true;
  return info.nPos + static_cast<int>(info.nPage) > info.nMax;
}

void CreateReadMeFont(HWND page) {
  wchar_t face[LF_FACESIZE];
  LoadStubString(g_SegoeDialogs ? IDS_README_FONT_SEGOE : IDS_README_FONT, face, LF_FACESIZE);
  LOGFONTW font = {};
  HFONT source =
      reinterpret_cast<HFONT>(SendDlgItemMessageW(page, IDC_README_NOTICE, WM_GETFONT, 0, 0));
  if (source && GetObjectW(source, sizeof(font), &font) == sizeof(font)) {
    if (g_SegoeDialogs) font.lfHeight = g_JapaneseUi ? -14 : -12;
  } else {
    font = LOGFONTW();
    font.lfHeight = (g_JapaneseUi ? 12 : 10) + (g_SegoeDialogs ? 2 : 0);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = SHIFTJIS_CHARSET;
  }
  lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
  g_font = CreateFontIndirectW(&font);
  if (g_font)
    SendDlgItemMessageW(page, IDC_README_TEXT, WM_SETFONT, reinterpret_cast<WPARAM>(g_font), TRUE);
}

// The whole text is readable: Back and Next. The timer may fire while
// another page is current; that page's buttons are left alone.
void MarkReadToEnd(HWND page) {
  g_readToEnd = true;
  HWND frame = GetParent(page);
  if (reinterpret_cast<HWND>(SendMessageW(frame, PSM_GETCURRENTPAGEHWND, 0, 0)) == page)
    PostMessageW(frame, PSM_SETWIZBUTTONS, 0, PSWIZB_BACK | PSWIZB_NEXT);
}

LRESULT CALLBACK ReadMeTextProc(HWND text, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      if (wParam != kScrollTimer) break;
      if (g_readToEnd || ScrolledToEnd(text)) {
        KillTimer(text, kScrollTimer);
        MarkReadToEnd(GetParent(text));
      }
      return 0;
    case WM_DESTROY:
      KillTimer(text, kScrollTimer);
      break;
    case WM_NCDESTROY: {
      WNDPROC previous = g_previousTextProc;
      SetWindowLongPtrW(text, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
      return CallWindowProcW(previous, text, message, wParam, lParam);
    }
  }
  return CallWindowProcW(g_previousTextProc, text, message, wParam, lParam);
}

void InitReadMePage(HWND page) {
  if (g_WizardNewStyle)
    ApplyClassicGuiFont(page, true);
  else
    SetClassicPanelBitmap(page);
  CreateReadMeFont(page);
  HWND text = GetDlgItem(page, IDC_README_TEXT);
  SendMessageW(text, EM_SETLIMITTEXT, 0, 0);
  SetWindowTextW(text, g_ReadMeText.c_str());
  if (ScrolledToEnd(text)) g_readToEnd = true;
  if (!g_WizardNewStyle && (!MustReadAll() || g_readToEnd)) {
    // Nothing to tell: the text takes the notice's place as well.
    RECT textRect, noticeRect;
    GetWindowRect(text, &textRect);
    GetWindowRect(GetDlgItem(page, IDC_README_NOTICE), &noticeRect);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&textRect), 2);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&noticeRect), 2);
    SetWindowPos(text, nullptr, 0, 0, textRect.right - textRect.left,
                 noticeRect.bottom - textRect.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void ActivateReadMePage(HWND page) {
  HWND frame = GetParent(page);
  ShowWizardHeader(page, kPageReadMe);
  if (!MustReadAll() || g_readToEnd) {
    g_readToEnd = true;
    PostMessageW(frame, PSM_SETWIZBUTTONS, 0, PSWIZB_BACK | PSWIZB_NEXT);
  } else {
    PostMessageW(frame, PSM_SETWIZBUTTONS, 0, PSWIZB_BACK);
    HWND text = GetDlgItem(page, IDC_README_TEXT);
    if (!g_textSubclassed) {
      g_textSubclassed = true;
      g_previousTextProc = reinterpret_cast<WNDPROC>(
          SetWindowLongPtrW(text, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ReadMeTextProc)));
      SetTimer(text, kScrollTimer, kScrollTimerMs, nullptr);
    }
    ShowWindow(GetDlgItem(page, IDC_README_NOTICE), SW_SHOW);
  }
  if (AgreementMode()) {
    GetDlgItemTextW(frame, IDC_WIZ_FRAME_NEXT, g_savedNext, kSavedTextLength);
    GetDlgItemTextW(frame, IDCANCEL, g_savedCancel, kSavedTextLength);
    wchar_t text[kSavedTextLength];
    SetDlgItemTextW(frame, IDC_WIZ_FRAME_NEXT, LoadStubString(IDS_AGREE, text, kSavedTextLength));
    SetDlgItemTextW(frame, IDCANCEL, LoadStubString(IDS_DISAGREE, text, kSavedTextLength));
  }
  PostMessageW(page, kWizardDeferredMessage, 0, 0);
  PostMessageW(page, kWizardCaptionMessage, 0, 0);
  PostMessageW(page, kWizardFocusMessage,
               reinterpret_cast<WPARAM>(GetDlgItem(frame, IDC_WIZ_FRAME_NEXT)), 0);
}

void LeaveReadMePage(HWND page) {
  if (!AgreementMode()) return;
  HWND frame = GetParent(page);
  SetDlgItemTextW(frame, IDC_WIZ_FRAME_NEXT, g_savedNext);
  SetDlgItemTextW(frame, IDCANCEL, g_savedCancel);
}

}  // namespace

INT_PTR CALLBACK ReadMePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      InitReadMePage(page);
      return TRUE;
    case kWizardCaptionMessage:
      ApplyWizardCaption(page);
      return TRUE;
    case kWizardDeferredMessage:
      SendDlgItemMessageW(page, IDC_README_TEXT, EM_SETSEL, static_cast<WPARAM>(-1), 0);
      return TRUE;
    case kWizardFocusMessage:
      if (wParam) SetFocus(reinterpret_cast<HWND>(wParam));
      return TRUE;
    case WM_DESTROY:
      if (g_font) DeleteObject(g_font);
      g_font = nullptr;
      return FALSE;
    case WM_NOTIFY: {
      const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
      switch (header->code) {
        case PSN_SETACTIVE:
          ActivateReadMePage(page);
          SetWindowLongPtrW(page, DWLP_MSGRESULT, 0);
          return TRUE;
        case PSN_KILLACTIVE:
          LeaveReadMePage(page);
          SetWindowLongPtrW(page, DWLP_MSGRESULT, FALSE);
          return TRUE;
      }
      return FALSE;
    }
  }
  return FALSE;
}

}  // namespace stub
