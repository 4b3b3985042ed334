// The Welcome page: the package's title and greeting, and what it adds to
// the frame (icon, caption, About item, product mark, subclass). The banner,
// the web link and the copyright line keep their controls hidden until the
// package can carry them.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

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
#include "WizardState.h"

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

// The copyright line, the banner and the web link: the package carries none
// of them yet, so their controls stay hidden and the link's place is kept
// centred on its icon.
void PlaceOptionalParts(HWND page) {
  ShowWindow(GetDlgItem(page, IDC_WELCOME_COPYRIGHT_FRAME), SW_HIDE);
  ShowWindow(GetDlgItem(page, IDC_WELCOME_COPYRIGHT), SW_HIDE);
  HWND icon = GetDlgItem(page, IDC_WELCOME_LINK_ICON);
  HWND link = GetDlgItem(page, IDC_WELCOME_LINK);
  if (icon && link) {
    RECT iconRect, linkRect;
    GetWindowRect(icon, &iconRect);
    GetWindowRect(link, &linkRect);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&iconRect), 2);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&linkRect), 2);
    const int height = linkRect.bottom - linkRect.top;
    const int top = iconRect.top + (iconRect.bottom - iconRect.top - height) / 2;
    SetWindowPos(link, nullptr, linkRect.left, top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
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
  // The background screen, once there is one, becomes the frame's owner
  // here.
  CenterWindowOver(frame, GetWindow(frame, GW_OWNER));
  SetWindowTextW(frame, PackageCaption());
  SetFrameIcons(frame);
  SetDlgItemTextW(page, IDC_WELCOME_GREETING, g_JapaneseUi ? s.Greeting : s.GreetingE);
  SubclassWizardFrame(frame);
  PlaceOptionalParts(page);
  if (!(s.FlagsB & SfxFlagsB::DontShowQXLogoOnWiz))
    CreateProductMark(frame, GetDlgItem(page, IDC_WELCOME_COPYRIGHT));
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
  (void)wParam;
  switch (message) {
    case WM_INITDIALOG:
      InitWelcomePage(page);
      return TRUE;
    case kWizardCaptionMessage:
      ApplyWizardCaption(page);
      return TRUE;
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
