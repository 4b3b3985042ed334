#include "StubState.h"

#include <strsafe.h>

namespace stub {

HINSTANCE g_Instance = nullptr;
bool g_JapaneseUi = false;
bool g_SegoeDialogs = false;
bool g_UltraSilent = false;
bool g_Wow64 = false;
wchar_t g_OwnPath[MAX_PATH];
wchar_t g_TempFolderName[32];
wchar_t g_FailingItem[MAX_PATH];
bool g_RestartRequested = false;

void ComposeTempFolderName() {
  StringCchPrintfW(g_TempFolderName, ARRAYSIZE(g_TempFolderName), L"qxtemp.%u.$$$",
                   static_cast<unsigned>(GetCurrentProcessId()));
}

}  // namespace stub
