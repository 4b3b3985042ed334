#include "TreeStyle.h"

#include <shellapi.h>
#include <uxtheme.h>

#include "SystemDlls.h"

namespace {

bool IsNewerThanXp() {
  static int cached = -1;
  if (cached < 0) {
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const BOOL known = GetVersionExW(&version);
#pragma GCC diagnostic pop
    cached = known && version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion > 5;
  }
  return cached == 1;
}

}  // namespace

HIMAGELIST SystemSmallImageList() {
  SHFILEINFOW info = {};
  return reinterpret_cast<HIMAGELIST>(SHGetFileInfoW(
      L"C:\\", 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
}

void ApplyExplorerTreeStyle(HWND tree) {
  if (!IsNewerThanXp()) return;
  // uxtheme.dll from the system folder, never one beside the program.
  static const auto setTheme =
      vesmarin::SystemProc<decltype(&::SetWindowTheme)>(L"uxtheme.dll", "SetWindowTheme");
  if (setTheme) setTheme(tree, L"explorer", nullptr);
  SetWindowLongPtrW(tree, GWL_STYLE,
                    GetWindowLongPtrW(tree, GWL_STYLE) & ~(TVS_HASLINES | TVS_LINESATROOT));
  const DWORD extended = TVS_EX_DOUBLEBUFFER | TVS_EX_AUTOHSCROLL | TVS_EX_FADEINOUTEXPANDOS;
  SendMessageW(tree, TVM_SETEXTENDEDSTYLE, extended, extended);
}
