#include "OverwriteDialogs.h"

#include <strsafe.h>

#include "ClassicGuiFont.h"
#include "ExtractResource.h"
#include "StubState.h"
#include "StubStrings.h"

namespace stub {

namespace {

const int kBelowCentre = 64;

void PlaceDialog(HWND dialog) {
  RECT area;
  HWND owner = GetWindow(dialog, GW_OWNER);
  if (!owner || !GetWindowRect(owner, &area))
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  RECT own;
  GetWindowRect(dialog, &own);
  const int width = own.right - own.left;
  const int height = own.bottom - own.top;
  const int x = area.left + ((area.right - area.left) - width) / 2;
  const int y = area.top + ((area.bottom - area.top) - height) / 2 + kBelowCentre;
  SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK OverwriteProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      ApplyClassicGuiFont(dialog, false);
      PlaceDialog(dialog);
      // The control shortens the path with an ellipsis to its own width.
      SetDlgItemTextW(dialog, IDC_OVERWRITE_PATH, reinterpret_cast<const wchar_t*>(lParam));
      SetForegroundWindow(dialog);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_OVERWRITE_YES: EndDialog(dialog, kOverwriteYes); return TRUE;
        case IDC_OVERWRITE_SKIP: EndDialog(dialog, kOverwriteSkip); return TRUE;
        case IDC_OVERWRITE_ALL: EndDialog(dialog, kOverwriteYesToAll); return TRUE;
        case IDC_OVERWRITE_CANCEL: EndDialog(dialog, kOverwriteCancel); return TRUE;
      }
      break;
  }
  return FALSE;
}

}  // namespace

OverwriteAnswer AskOverwriteFile(HWND owner, const wchar_t* path) {
  if (g_UltraSilent) return kOverwriteNoDialog;
  const int id = g_SegoeDialogs ? IDD_OVERWRITE_SEGOE : IDD_OVERWRITE;
  INT_PTR result = DialogBoxParamW(g_Instance, MAKEINTRESOURCEW(id), owner, OverwriteProc,
                                   reinterpret_cast<LPARAM>(path ? path : L""));
  if (result < kOverwriteYes || result > kOverwriteCancel) return kOverwriteNoDialog;
  return static_cast<OverwriteAnswer>(result);
}

bool AskRetryWrite(HWND owner, const wchar_t* path) {
  wchar_t format[256];
  LoadStubString(IDS_WRITE_RETRY, format, ARRAYSIZE(format));
  wchar_t shown[1024];
  lstrcpynW(shown, path ? path : L"", ARRAYSIZE(shown));
  wchar_t text[1024 + 256];
  StringCchPrintfW(text, ARRAYSIZE(text), format, shown);
  return ShowStubMessage(owner, text, PackageCaption(), MB_RETRYCANCEL | MB_ICONWARNING) ==
         IDRETRY;
}

}  // namespace stub
