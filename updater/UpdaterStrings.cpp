#include "UpdaterStrings.h"

#include "ResString.h"
#include "UpdaterState.h"

std::wstring LoadStringResource(UINT id) {
  wchar_t buffer[1024];
  HINSTANCE instance = g_Updater.Instance ? g_Updater.Instance : GetModuleHandleW(nullptr);
  return LoadResText(instance, id, buffer, 1024);
}
