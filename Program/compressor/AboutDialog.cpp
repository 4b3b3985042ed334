#include "AboutDialog.h"

#include "CompressorState.h"
#include "ProgressDialog.h"
#include "SardokResource.h"
#include "VersionInfo.h"

namespace {

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: {
      wchar_t program[MAX_PATH] = {};
      const DWORD length = GetModuleFileNameW(nullptr, program, MAX_PATH);
      if (length > 0 && length < MAX_PATH) {
        const std::wstring line = AboutVersionLine(program);
        if (!line.empty()) SetDlgItemTextW(dialog, IDC_ABOUT_VERSION, line.c_str());
      }
      CenterOverMainWindow(dialog);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
      }
      break;
  }
  return FALSE;
}

}  // namespace

std::wstring AboutVersionLine(const wchar_t* programPath) {
  wchar_t version[41] = {};
  if (ReadVersionString(SystemVersionApi(), programPath, L"FileVersion", version, 41) !=
      VersionReadResult::kRead)
    return std::wstring();
  return std::wstring(L"Version ") + version;
}

void ShowAboutDialog(HWND owner) {
  DialogBoxParamW(Compressor().instance, MAKEINTRESOURCEW(IDD_ABOUT), owner, AboutDialogProc, 0);
}
