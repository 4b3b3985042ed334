// The Welcome page: the package's title, greeting, banner or web link and
// copyright line, and what it adds to the frame (background screen as its
// owner, icon, caption, About item, product mark, subclass).
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include "BackScreen.h"
#include "ClassicGuiFont.h"
#include "ExtensionRecord.h"
#include "Extraction.h"
#include "SfxContainer.h"
#include "StubSettings.h"
#include "StubState.h"
#include "StubStrings.h"
#include "TessalyResource.h"
#include "WizardFrameHooks.h"
#include "WizardPages.h"
#include "WindowCentering.h"
#include "WizardResource.h"
#include "WizardCommon.h"
#include "WizardWelcomeBanner.h"

namespace stub {

namespace {

void SetFrameIcons(HWND frame) {
  HICON big = static_cast<HICON>(LoadImageW(g_Instance, MAKEINTRESOURCEW(IDI_TESSALY), IMAGE_ICON,
                                            0, 0, LR_DEFAULTSIZE | LR_SHARED));
  HICON small = static_cast<HICON>(LoadImageW(g_Instance, MAKEINTRESOURCEW(IDI_TESSALY), IMAGE_ICON,
                                              GetSystemMetrics(SM_CXSMICON),
                                              GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  if (big) SendMessageW(frame, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  if (small) SendMessageW(frame, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
}

// The copyright line of the interface language (an English interface falls
// back to the plain text); hidden without one.
const wchar_t* CopyrightLine() {
  const StubSettings& s = *g_Settings;
  if (g_JapaneseUi) return s.VesmarinFor;
  return *s.VesmarinForE ? s.VesmarinForE : s.VesmarinFor;
}

RECT ChildRect(HWND page, HWND child) {
  RECT rect;
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// The copyright line, measured with word wrapping in its font, is centred
// in its place when it fits there.
void PlaceCopyrightLine(HWND page) {
  HWND line = GetDlgItem(page, IDC_WELCOME_COPYRIGHT);
  const wchar_t* text = CopyrightLine();
  if (!*text) {
    ShowWindow(GetDlgItem(page, IDC_WELCOME_COPYRIGHT_FRAME), SW_HIDE);
    ShowWindow(line, SW_HIDE);
    return;
  }
  SetWindowTextW(line, text);
  const RECT place = ChildRect(page, line);
  RECT measured = {0, 0, place.right - place.left, 0};
  HDC dc = GetDC(line);
  if (!dc) return;
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(line, WM_GETFONT, 0, 0));
  HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
  DrawTextW(dc, text, -1, &measured, DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT);
  if (old) SelectObject(dc, old);
  ReleaseDC(line, dc);
  const int width = measured.right - measured.left, height = measured.bottom - measured.top;
  if (width > place.right - place.left || height > place.bottom - place.top) return;
  SetWindowPos(line, nullptr, place.left + (place.right - place.left - width) / 2,
               place.top + (place.bottom - place.top - height) / 2, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

// With a banner the icon goes (the banner is painted instead); without one
// the link's place is centred on the icon.
void PlaceLink(HWND page) {
  HWND icon = GetDlgItem(page, IDC_WELCOME_LINK_ICON);
  HWND link = GetDlgItem(page, IDC_WELCOME_LINK);
  if (*g_Settings->BannerFile) {
    ShowWindow(icon, SW_HIDE);
    return;
  }
  if (!icon || !link) return;
  const RECT iconRect = ChildRect(page, icon);
  const RECT linkRect = ChildRect(page, link);
  const int height = linkRect.bottom - linkRect.top;
  const int top = iconRect.top + (iconRect.bottom - iconRect.top - height) / 2;
  SetWindowPos(link, nullptr, linkRect.left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

POINT MessagePoint(LPARAM lParam) {
  POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  return point;
}

void InitWelcomePage(HWND page) {
  const StubSettings& s = *g_Settings;
  HWND frame = GetParent(page);
  if (g_WizardNewStyle) ApplyClassicGuiFont(page, true);
  g_WizardFrame = frame;
  g_TaskbarWindow = frame;
  if (ExtensionModuleLoaded()) {
    ExtensionRecord* record = ExtensionRecordInUse();
    if (record) record->reserved = frame;
  }
  if (g_WizardNewStyle) {
    SetDlgItemTextW(page, IDC_WIZ_TITLE, PackageCaption());
    if (g_WizardTitleFont)
      SendDlgItemMessageW(page, IDC_WIZ_TITLE, WM_SETFONT,
                          reinterpret_cast<WPARAM>(g_WizardTitleFont), TRUE);
  } else {
    SetClassicPanelBitmap(page);
  }
  AddAboutMenuItem(frame);
  // The background screen, when there is one, becomes the frame's owner.
  ShowBackScreen(frame);
  CenterWindowOver(frame, GetWindow(frame, GW_OWNER));
  SetWindowTextW(frame, PackageCaption());
  SetFrameIcons(frame);
  SetDlgItemTextW(page, IDC_WELCOME_GREETING, g_JapaneseUi ? s.Greeting : s.GreetingE);
  SubclassWizardFrame(frame);
  LoadWelcomeBanner();
  PlaceLink(page);
  if (!(s.FlagsB & SfxFlagsB::DontShowQXLogoOnWiz))
    CreateProductMark(frame, GetDlgItem(page, IDC_WELCOME_COPYRIGHT));
  PlaceCopyrightLine(page);
}

// Event 1001: 3 stays on the page, any other non-zero answer cancels.
LONG WelcomeNext(HWND page) {
  if (!ExtensionModuleLoaded()) return 0;
  const LONG answer = SendExtensionEvent(ExtEventInstallWelcome);
  if (answer == 0) return 0;
  if (answer != kExtensionResultStayOnPage)
    PostMessageW(GetParent(page), PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
  return -1;
}

}  // namespace

INT_PTR CALLBACK WelcomePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      InitWelcomePage(page);
      return TRUE;
    case kWizardCaptionMessage:
      ApplyWizardCaption(page);
      return TRUE;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(page, &paint);
      if (dc) PaintWelcomeExtras(page, dc);
      EndPaint(page, &paint);
      return TRUE;
    }
    case WM_SETCURSOR: {
      if (reinterpret_cast<HWND>(wParam) != page || LOWORD(lParam) != HTCLIENT) return FALSE;
      POINT point;
      GetCursorPos(&point);
      ScreenToClient(page, &point);
      SetCursor(LoadCursorW(nullptr, WelcomeHandCursor(page, point) ? IDC_HAND : IDC_ARROW));
      SetWindowLongPtrW(page, DWLP_MSGRESULT, TRUE);
      return TRUE;
    }
    case WM_LBUTTONDOWN:
      WelcomeClick(page, MessagePoint(lParam));
      return TRUE;
    case WM_DESTROY:
      ReleaseWelcomeBanner();
      return FALSE;
    case WM_NOTIFY: {
      const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
      switch (header->code) {
        case PSN_SETACTIVE:
          PostMessageW(GetParent(page), PSM_SETWIZBUTTONS, 0, PSWIZB_NEXT);
          PostMessageW(page, kWizardCaptionMessage, 0, 0);
          SetWindowLongPtrW(page, DWLP_MSGRESULT, 0);
          return TRUE;
        case PSN_WIZNEXT:
          SetWindowLongPtrW(page, DWLP_MSGRESULT, WelcomeNext(page));
          return TRUE;
      }
      return FALSE;
    }
  }
  return FALSE;
}

}  // namespace stub
