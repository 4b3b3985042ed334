#include "ProgressDialog.h"

#include "CompressorState.h"
#include "CompressorText.h"
#include "SardokResource.h"

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

void PumpProgressMessages() {
  HWND dialog = Compressor().progressDialog;
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(0);
      return;
    }
    if (dialog && IsWindow(dialog) && IsDialogMessageW(dialog, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void CenterOverMainWindow(HWND window) {
  if (IsIconic(window) || IsZoomed(window)) return;
  RECT own;
  if (!GetWindowRect(window, &own)) return;
  const int width = own.right - own.left;
  const int height = own.bottom - own.top;
  RECT reference = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  HWND main = Compressor().mainWindow;
  if (main && IsWindow(main) && IsWindowVisible(main)) GetWindowRect(main, &reference);
  int x = reference.left + (reference.right - reference.left - width) / 2;
  int y = reference.top + (reference.bottom - reference.top - height) / 2;
  const int maxX = GetSystemMetrics(SM_CXFULLSCREEN) - width;
  const int maxY = GetSystemMetrics(SM_CYFULLSCREEN) - height;
  if (x >= maxX) x = maxX;
  if (y >= maxY) y = maxY;
  if (x < 0) x = 0;
  if (y < 0) y = 0;
  UINT flags = SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;
  if (!IsWindowVisible(window)) flags |= SWP_NOREDRAW;
  SetWindowPos(window, nullptr, x, y, 0, 0, flags);
}
