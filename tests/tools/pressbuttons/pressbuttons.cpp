// pressbuttons <seconds> <caption>=<button id> [<caption>=<button id>...]
// Presses buttons of other programs' windows as a user would, one pair
// after the other: waits until a visible top-level window with that caption
// has a visible, enabled button with that id, and presses it. Ends with 0
// once every pair was pressed, with 1 when the time ran out first.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "Waiting.h"

namespace {

struct Wanted {
  std::wstring caption;
  int id;
  HWND button;
};

BOOL CALLBACK FindButton(HWND window, LPARAM context) {
  Wanted* wanted = reinterpret_cast<Wanted*>(context);
  wchar_t caption[256] = {};
  if (!IsWindowVisible(window) || !GetWindowTextW(window, caption, 256) ||
      wanted->caption != caption)
    return TRUE;
  HWND button = GetDlgItem(window, wanted->id);
  if (!button || !IsWindowVisible(button) || !IsWindowEnabled(button)) return TRUE;
  wanted->button = button;
  return FALSE;
}

}  // namespace

int wmain() {
  int count = 0;
  LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!args || count < 3) {
    fprintf(stderr, "usage: pressbuttons <seconds> <caption>=<button id>...\n");
    return 2;
  }
  const DWORD start = GetTickCount();
  const DWORD seconds = wcstoul(args[1], nullptr, 10);
  for (int i = 2; i < count; ++i) {
    const std::wstring pair = args[i];
    const size_t equals = pair.rfind(L'=');
    if (equals == std::wstring::npos) return 2;
    Wanted wanted = {pair.substr(0, equals), _wtoi(pair.c_str() + equals + 1), nullptr};
    const DWORD spent = GetTickCount() - start;
    const DWORD left = spent < seconds * 1000 ? seconds * 1000 - spent : 0;
    if (!testsupport::WaitUntil(
            [&wanted] {
              EnumWindows(FindButton, reinterpret_cast<LPARAM>(&wanted));
              return wanted.button != nullptr;
            },
            left)) {
      fprintf(stderr, "pressbuttons: no button %d in a window \"%ls\"\n", wanted.id,
              wanted.caption.c_str());
      return 1;
    }
    PostMessageW(GetParent(wanted.button), WM_COMMAND, MAKEWPARAM(wanted.id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(wanted.button));
    printf("pressbuttons: pressed %d in \"%ls\"\n", wanted.id, wanted.caption.c_str());
    fflush(stdout);
  }
  return 0;
}
