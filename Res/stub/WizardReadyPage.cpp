// The Ready page: where the files come from and go to, and the boxes of the
// desktop, Startup and Quick Launch shortcuts that the package asks for.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include "ClassicGuiFont.h"
#include "SfxContainer.h"
#include "StubSettings.h"
#include "StubState.h"
#include "WizardPages.h"
#include "WizardPathText.h"
#include "WizardResource.h"
#include "WizardShortcutChoice.h"
#include "WizardCommon.h"

namespace stub {

namespace {

ShortcutOffers g_offers = {false, false, false};

void SetPathTexts(HWND page) {
  SetShortenedPathText(GetDlgItem(page, IDC_READY_FROM), g_OwnPath);
  SetShortenedPathText(GetDlgItem(page, IDC_READY_TO), g_Settings->ExtractPath);
}

// Windows 7 and later (NT 6.1 and up, as the system reports it) have no
// Quick Launch bar.
bool QuickLaunchAvailable() {
  OSVERSIONINFOW version = {};
  version.dwOSVersionInfoSize = sizeof(version);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExW(&version)) return true;
#pragma GCC diagnostic pop
  if (version.dwPlatformId != VER_PLATFORM_WIN32_NT) return true;
  return version.dwMajorVersion < 6 || (version.dwMajorVersion == 6 && version.dwMinorVersion < 1);
}

void SetBox(HWND page, int id, bool offered, bool defaultOn) {
  HWND box = GetDlgItem(page, id);
  ShowWindow(box, offered ? SW_SHOW : SW_HIDE);
  CheckDlgButton(page, id, offered && defaultOn ? BST_CHECKED : BST_UNCHECKED);
}

void InitReadyPage(HWND page) {
  const StubSettings& s = *g_Settings;
  if (g_WizardNewStyle)
    ApplyClassicGuiFont(page, true);
  else
    SetClassicPanelBitmap(page);
  SetPathTexts(page);
  g_offers = CollectShortcutOffers(s);
  const bool defaultOn = (s.FlagsB & SfxFlagsB::StartMenuDSQDefaultOn) != 0;
  SetBox(page, IDC_READY_DESKTOP, g_offers.desktop, defaultOn);
  SetBox(page, IDC_READY_STARTUP, g_offers.startup, defaultOn);
  ShowWindow(GetDlgItem(page, IDC_READY_STARTUP_NOTE), g_offers.startup ? SW_SHOW : SW_HIDE);
  SetBox(page, IDC_READY_QUICKLAUNCH, g_offers.quickLaunch && QuickLaunchAvailable(), defaultOn);
  if (s.FlagsB & SfxFlagsB::StartMenuDSQNoConfirm) {
    const int ids[] = {IDC_READY_DESKTOP, IDC_READY_STARTUP, IDC_READY_STARTUP_NOTE,
                       IDC_READY_QUICKLAUNCH};
    for (int id : ids) ShowWindow(GetDlgItem(page, id), SW_HIDE);
  }
}

void LeaveReadyPage(HWND page) {
  const bool noConfirm = (g_Settings->FlagsB & SfxFlagsB::StartMenuDSQNoConfirm) != 0;
  const bool desktop = noConfirm || IsDlgButtonChecked(page, IDC_READY_DESKTOP) == BST_CHECKED;
  const bool startup = noConfirm || IsDlgButtonChecked(page, IDC_READY_STARTUP) == BST_CHECKED;
  const bool quick = noConfirm || IsDlgButtonChecked(page, IDC_READY_QUICKLAUNCH) == BST_CHECKED;
  ApplyShortcutChoice(g_Settings, g_offers, desktop, startup, quick);
}

}  // namespace

INT_PTR CALLBACK ReadyPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  (void)wParam;
  switch (message) {
    case WM_INITDIALOG:
      InitReadyPage(page);
      return TRUE;
    case kWizardCaptionMessage:
      ApplyWizardCaption(page);
      return TRUE;
    case WM_NOTIFY: {
      const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
      switch (header->code) {
        case PSN_SETACTIVE:
          ShowWizardHeader(page, kPageReady);
          SetPathTexts(page);
          PostMessageW(GetParent(page), PSM_SETWIZBUTTONS, 0, PSWIZB_BACK | PSWIZB_NEXT);
          PostMessageW(page, kWizardCaptionMessage, 0, 0);
          SetWindowLongPtrW(page, DWLP_MSGRESULT, 0);
          return TRUE;
        case PSN_WIZNEXT:
          LeaveReadyPage(page);
          SetWindowLongPtrW(page, DWLP_MSGRESULT, 0);
          return TRUE;
      }
      return FALSE;
    }
  }
  return FALSE;
}

}  // namespace stub
