#include "ClassicGuiFont.h"

#include "StubState.h"
#include "WindowsVersion.h"

namespace stub {
namespace {

INIT_ONCE g_once = INIT_ONCE_STATIC_INIT;
HFONT g_font = nullptr;  // null on Windows 10 and later, or when it cannot be made

bool IsWindows10OrLater() {
  OsVersion os = {};
  if (!GetRunningOsVersion(&os)) return false;
  if (os.server) return os.major > 9;
  return os.major > 6 || (os.major == 6 && os.minor > 3);
}

BOOL CALLBACK MakeFont(PINIT_ONCE, PVOID, PVOID*) {
  if (IsWindows10OrLater()) return TRUE;
  LOGFONTW description = {};
  if (!GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(description), &description))
    return TRUE;
  lstrcpynW(description.lfFaceName, g_JapaneseUi ? L"MS UI Gothic" : L"Tahoma", LF_FACESIZE);
  g_font = CreateFontIndirectW(&description);
  return TRUE;
}

BOOL CALLBACK SetFontOnChild(HWND child, LPARAM font) {
  SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(font), TRUE);
  return TRUE;  // EnumChildWindows walks every descendant
}

}  // namespace

void ApplyClassicGuiFont(HWND dialog, bool alsoParent) {
  InitOnceExecuteOnce(&g_once, &MakeFont, nullptr, nullptr);
  if (!g_font || !dialog) return;
  const LPARAM font = reinterpret_cast<LPARAM>(g_font);
  EnumChildWindows(dialog, &SetFontOnChild, font);
  if (alsoParent) {
    HWND parent = GetParent(dialog);
    if (parent) EnumChildWindows(parent, &SetFontOnChild, font);
  }
}

}  // namespace stub
