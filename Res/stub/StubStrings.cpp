#include "StubStrings.h"

#include "BackScreen.h"
#include "MessageLines.h"
#include "ResString.h"
#include "StubSettings.h"
#include "StubState.h"

namespace stub {

const wchar_t* LoadStubString(UINT id, wchar_t* buffer, size_t capacity) {
  return LoadResText(g_Instance, id, buffer, capacity);
}

const wchar_t* PackageCaption() {
  if (!g_Settings) return L"";
  const wchar_t* preferred = g_JapaneseUi ? g_Settings->DialogTitle : g_Settings->DialogTitleE;
  const wchar_t* other = g_JapaneseUi ? g_Settings->DialogTitleE : g_Settings->DialogTitle;
  return *preferred ? preferred : other;
}

namespace {

// window is top, lies inside it or is owned by it, directly or through
// other windows.
bool BelongsTo(HWND window, HWND top) {
  for (HWND at = window ? GetAncestor(window, GA_ROOT) : nullptr; at; at = GetWindow(at, GW_OWNER))
    if (at == top) return true;
  return false;
}

}  // namespace

HWND MessageBoxOwner(HWND owner) {
  HWND top = g_WizardFrame && IsWindow(g_WizardFrame) ? g_WizardFrame : BackScreenWindow();
  if (!top) return owner;
  return BelongsTo(owner, top) ? owner : top;
}

int ShowStubMessage(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
  if (g_UltraSilent) return (type & MB_TYPEMASK) == MB_YESNO ? IDNO : IDCANCEL;
  // A long path would make the box wider than the screen.
  const std::wstring fitted = FitMessageToScreen(text);
  return MessageBoxW(MessageBoxOwner(owner), fitted.c_str(), caption, type | MB_SETFOREGROUND);
}

int ShowStubStringMessage(HWND owner, UINT textId, UINT type) {
  wchar_t text[2000];
  LoadStubString(textId, text, ARRAYSIZE(text));
  return ShowStubMessage(owner, text, PackageCaption(), type);
}

}  // namespace stub
