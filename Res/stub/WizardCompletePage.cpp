// The Installation Complete page: the end of the wizard, which can open the
// destination folder as the wizard closes.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
#include <shellapi.h>

#include "ClassicGuiFont.h"
#include "SfxContainer.h"
#include "StubSettings.h"
#include "StubState.h"
#include "WizardPages.h"
#include "WizardResource.h"
#include "WizardCommon.h"

namespace stub {

namespace {

void InitCompletePage(HWND page) {
  if (g_WizardNewStyle) {
    ApplyClassicGuiFont(page, true);
    if (g_WizardTitleFont)
      SendDlgItemMessageW(page, IDC_WIZ_TITLE, WM_SETFONT,
                          reinterpret_cast<WPARAM>(g_WizardTitleFont), TRUE);
  } else {
    SetClassicPanelBitmap(page);
  }
  if (g_Settings->FlagsB & SfxFlagsB::NoOpenFolderOnEnd)
    ShowWindow(GetDlgItem(page, IDC_COMPLETE_OPEN_FOLDER), SW_HIDE);
  EnableWindow(GetDlgItem(GetParent(page), IDCANCEL), FALSE);
}

void OpenDestinationFolder(HWND page) {
  if (IsDlgButtonChecked(page, IDC_COMPLETE_OPEN_FOLDER) != BST_CHECKED) return;
  const wchar_t* folder = g_Settings->ExtractPath;
  ShellExecuteW(page, L"open", folder, nullptr, folder, SW_SHOWNORMAL);
}

}  // namespace

INT_PTR CALLBACK CompletePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  (void)wParam;
  switch (message) {
    case WM_INITDIALOG:
      InitCompletePage(page);
      return TRUE;
    case kWizardCaptionMessage:
      ApplyWizardCaption(page);
      // Coming from an interior page, the frame's header area is painted
      // over by this header-less page.
      RedrawWindow(GetParent(page), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
      return TRUE;
    case WM_NOTIFY: {
      const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
      switch (header->code) {
        case PSN_SETACTIVE:
          PostMessageW(GetParent(page), PSM_SETWIZBUTTONS, 0, PSWIZB_FINISH);
          PostMessageW(page, kWizardCaptionMessage, 0, 0);
          SetWindowLongPtrW(page, DWLP_MSGRESULT, 0);
          return TRUE;
        case PSN_QUERYCANCEL:
          // The installation is done: the close box and Alt+F4 finish the
          // wizard instead of cancelling it.
          PostMessageW(GetParent(page), PSM_PRESSBUTTON, PSBTN_FINISH, 0);
          SetWindowLongPtrW(page, DWLP_MSGRESULT, TRUE);
          return TRUE;
      }
      return FALSE;
    }
    case WM_DESTROY:
      OpenDestinationFolder(page);
      return FALSE;
  }
  return FALSE;
}

}  // namespace stub
