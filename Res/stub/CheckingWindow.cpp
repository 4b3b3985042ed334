#include "CheckingWindow.h"

#include <commctrl.h>

#include "MessagePump.h"
#include "StubState.h"
#include "StubStrings.h"
#include "TessalyResource.h"

namespace stub {

namespace {

HWND g_window = nullptr;
DWORD g_shownAt = 0;

INT_PTR CALLBACK CheckingProc(HWND dialog, UINT message, WPARAM, LPARAM) {
  if (message == WM_INITDIALOG) {
    HWND progress = GetDlgItem(dialog, IDC_CHECKING_PROGRESS);
    if (progress) {
      SetWindowLongPtrW(progress, GWL_STYLE, GetWindowLongPtrW(progress, GWL_STYLE) | PBS_MARQUEE);
      SendMessageW(progress, PBM_SETMARQUEE, TRUE, 30);
    }
    return TRUE;
  }
  return FALSE;
}

void CenterOnWorkArea(HWND window) {
  RECT area;
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0)) {
    area.left = area.top = 0;
    area.right = GetSystemMetrics(SM_CXSCREEN);
    area.bottom = GetSystemMetrics(SM_CYSCREEN);
  }
  RECT rect;
  GetWindowRect(window, &rect);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  SetWindowPos(window, nullptr, area.left + (area.right - area.left - width) / 2,
               area.top + (area.bottom - area.top - height) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

UINT PathDriveType(const wchar_t* path) {
  if (!path || !*path) return DRIVE_UNKNOWN;
  if (path[0] == L'\\') return DRIVE_REMOTE;
  wchar_t root[4] = {path[0], L':', L'\\', 0};
  return GetDriveTypeW(root);
}

bool NeedCheckingWindow(bool silent, bool ultraSilent, UINT driveType, bool sizeKnown,
                        ULONGLONG size) {
  if (ultraSilent) return false;
  if (silent) return true;
  if (!sizeKnown) return true;
  const bool local = driveType == DRIVE_FIXED || driveType == DRIVE_RAMDISK;
  return size > (local ? kCheckingThresholdLocal : kCheckingThresholdOther);
}

HWND CreateCheckingWindow() {
  if (g_window) return g_window;
  const UINT id = g_SegoeDialogs ? IDD_CHECKING_SEGOE : IDD_CHECKING;
  g_window = CreateDialogParamW(g_Instance, MAKEINTRESOURCEW(id), nullptr, &CheckingProc, 0);
  if (!g_window) return nullptr;
  CenterOnWorkArea(g_window);
  ShowWindow(g_window, SW_SHOW);
  UpdateWindow(g_window);
  g_shownAt = GetTickCount();
  PumpMessages();
  return g_window;
}

HWND CheckingWindow() { return g_window; }

void SetCheckingWindowText(UINT stringId) {
  if (!g_window) return;
  wchar_t text[256];
  LoadStubString(stringId, text, ARRAYSIZE(text));
  SetDlgItemTextW(g_window, IDC_CHECKING_TEXT, text);
  UpdateWindow(g_window);
}

void KeepCheckingWindowMinimum() {
  if (!g_window) return;
  for (;;) {
    DWORD elapsed = GetTickCount() - g_shownAt;
    if (elapsed >= kCheckingMinimumMs) break;
    PumpMessages();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, kCheckingMinimumMs - elapsed, QS_ALLINPUT);
  }
  PumpMessages();
}

void CloseCheckingWindow() {
  if (g_window) DestroyWindow(g_window);
  g_window = nullptr;
}

void PumpMessages() { PumpWaitingMessages(g_window); }

}  // namespace stub
