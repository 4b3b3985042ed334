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

StubSettings* g_Settings = nullptr;
OpenArchive* g_Archive = nullptr;

bool g_AbortRequested = false;
bool g_DeleteListPending = false;
bool g_RestartPending = false;
int g_ProgressPercent = 0;
unsigned long long g_InstalledSize = 0;
ITaskbarList3* g_TaskbarList = nullptr;
HWND g_TaskbarWindow = nullptr;
bool g_Installed = false;
std::wstring g_UninstallInfoDigest;

bool g_WizardNewStyle = false;
HWND g_WizardFrame = nullptr;
HBITMAP g_ClassicPanelBitmap = nullptr;
HBITMAP g_Wiz97PanelBitmap = nullptr;
HFONT g_WizardTitleFont = nullptr;
bool g_WizardInstallCompleted = false;
bool g_WizardWorkerStarted = false;
bool g_WizardFailureReported = false;
std::wstring g_ReadMeText;
uint16_t g_ReadMeCrc = 0;

void ComposeTempFolderName() {
  StringCchPrintfW(g_TempFolderName, ARRAYSIZE(g_TempFolderName), L"qxtemp.%u.$$$",
                   static_cast<unsigned>(GetCurrentProcessId()));
}

}  // namespace stub
