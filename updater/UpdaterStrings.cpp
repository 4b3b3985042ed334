#include "UpdaterStrings.h"

#include "UpdaterState.h"

std::wstring LoadStringResource(UINT id) {
  wchar_t buffer[1024] = {};
  HINSTANCE instance = Updater.Instance ? Updater.Instance : GetModuleHandleW(nullptr);
  int length = LoadStringW(instance, id, buffer, 1024);
  if (length <= 0) return std::wstring();
  buffer[1023] = L'\0';
  return buffer;
}
