#include "StubStrings.h"

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

int ShowStubMessage(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
  if (g_UltraSilent) return (type & MB_TYPEMASK) == MB_YESNO ? IDNO : IDCANCEL;
  return MessageBoxW(owner, text, caption, type | MB_SETFOREGROUND);
}

int ShowStubStringMessage(HWND owner, UINT textId, UINT type) {
  wchar_t text[2000];
  LoadStubString(textId, text, ARRAYSIZE(text));
  return ShowStubMessage(owner, text, PackageCaption(), type);
}

}  // namespace stub
