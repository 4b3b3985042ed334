// dialogshow <program> <dialog id> <language id, hexadecimal> [seconds [picture.bmp]]
// Shows the program's dialog template of that language at the top left of
// the screen with a do-nothing dialog procedure, for the given time (10 s
// unless told), or, given a picture file, until it has written the dialog's
// picture there (scripts/dialog-screenshot.sh). Ends with 1 when the
// template is missing or cannot be created, or the picture is not written.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cwchar>

#include "Screenshot.h"

namespace {

INT_PTR CALLBACK DoNothing(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
    DestroyWindow(dialog);
    return TRUE;
  }
  return FALSE;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  int count = 0;
  LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!args || count < 4) return 2;
  const WORD id = static_cast<WORD>(wcstoul(args[2], nullptr, 10));
  const WORD language = static_cast<WORD>(wcstoul(args[3], nullptr, 16));
  const DWORD seconds = count > 4 ? wcstoul(args[4], nullptr, 10) : 10;

  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  HMODULE module = LoadLibraryExW(args[1], nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  HRSRC resource = module ? FindResourceExW(module, RT_DIALOG, MAKEINTRESOURCEW(id), language)
                          : nullptr;
  HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) return 1;
  HWND dialog = CreateDialogIndirectParamW(
      instance, static_cast<LPCDLGTEMPLATEW>(data), nullptr, &DoNothing, 0);
  if (!dialog) return 1;
  // Hidden controls show too, so that the whole layout can be seen.
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    ShowWindow(child, SW_SHOWNA);
  SetWindowPos(dialog, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
  if (count > 5) return testsupport::SaveWindowBitmap(dialog, args[5]) ? 0 : 1;
  const DWORD end = GetTickCount() + seconds * 1000;
  MSG message;
  while (IsWindow(dialog) && GetTickCount() < end) {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (!IsDialogMessageW(dialog, &message)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
  }
  return 0;
}
