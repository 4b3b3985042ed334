#include "ProgressDialog.h"

#include "CompressorState.h"
#include "CompressorText.h"
#include "MessagePump.h"
#include "SardokResource.h"
#include "WindowCentering.h"

namespace {

INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      CenterOverMainWindow(dialog);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL) {
        CompressorState& state = Compressor();
        state.abort = true;
        if (state.progressDialog == dialog) state.progressDialog = nullptr;
        HWND owner = GetWindow(dialog, GW_OWNER);
        if (owner) EnableWindow(owner, TRUE);
        DestroyWindow(dialog);
        return TRUE;
      }
      break;
  }
  return FALSE;
}

}  // namespace

HWND OpenProgressDialog(HWND owner) {
  CompressorState& state = Compressor();
  HWND dialog = CreateDialogParamW(state.instance, MAKEINTRESOURCEW(IDD_PROGRESS), owner,
                                   ProgressDialogProc, 0);
  if (!dialog) return nullptr;
  state.progressDialog = dialog;
  ShowWindow(dialog, SW_SHOW);
  UpdateWindow(dialog);
  return dialog;
}

void CloseProgressDialog(HWND owner) {
  CompressorState& state = Compressor();
  if (!state.progressDialog) return;
  if (owner) EnableWindow(owner, TRUE);
  if (IsWindow(state.progressDialog)) DestroyWindow(state.progressDialog);
  state.progressDialog = nullptr;
}

void SetProgressFirstLine(UINT stringId) {
  HWND dialog = Compressor().progressDialog;
  if (dialog) SetDlgItemTextW(dialog, IDC_PROGRESS_FIRST_LINE, LoadText(stringId).c_str());
}

void SetProgressText(const wchar_t* text) {
  HWND dialog = Compressor().progressDialog;
  if (!dialog || !text) return;
  wchar_t current[201] = {};
  GetDlgItemTextW(dialog, IDC_PROGRESS_SECOND_LINE, current, 201);
  if (wcscmp(current, text) != 0) SetDlgItemTextW(dialog, IDC_PROGRESS_SECOND_LINE, text);
}

void PumpProgressMessages() { PumpWaitingMessages(Compressor().progressDialog); }

void CenterOverMainWindow(HWND window) {
  HWND main = Compressor().mainWindow;
  CenterWindowOver(window, main && IsWindowVisible(main) ? main : nullptr);
}
