#include "ProgressDialog.h"

#include "HollmereResource.h"
#include "MessagePump.h"
#include "UninstallerApp.h"

namespace {

RECT g_initialClient = {};
const int kExpandedHeightDialogUnits = 214;

void ResizeClient(HWND dialog, int width, int height) {
  RECT frame = {0, 0, width, height};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_EXSTYLE)));
  SetWindowPos(dialog, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER);
}

}  // namespace

INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      GetClientRect(dialog, &g_initialClient);
      return TRUE;
    case WM_DESTROY:
      PostQuitMessage(0);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
        case IDCANCEL:
          if (g_WorkDone) {
            DestroyWindow(dialog);
            g_ProgressDialog = nullptr;
          }
          return TRUE;
        case IDC_DETAIL: {
          const int width = g_initialClient.right - g_initialClient.left;
          if (IsDlgButtonChecked(dialog, IDC_DETAIL) == BST_CHECKED) {
            RECT units = {0, 0, 0, kExpandedHeightDialogUnits};
            MapDialogRect(dialog, &units);
            ResizeClient(dialog, width, units.bottom - g_initialClient.top);
          } else {
            ResizeClient(dialog, width, g_initialClient.bottom - g_initialClient.top);
          }
          return FALSE;
        }
      }
      return FALSE;
  }
  return FALSE;
}

void PumpMessages() { PumpWaitingMessages(g_ProgressDialog); }

void PumpUntilElapsed(DWORD start, DWORD milliseconds) {
  for (;;) {
    PumpMessages();
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= milliseconds) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - elapsed, QS_ALLINPUT);
  }
}

void PumpUntilSignalled(HANDLE handle) {
  for (;;) {
    DWORD which = MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_ALLINPUT);
    if (which == WAIT_OBJECT_0) break;
    PumpMessages();
    if (which == WAIT_FAILED) {
      WaitForSingleObject(handle, INFINITE);
      break;
    }
  }
  PumpMessages();
}
