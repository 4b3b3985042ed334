#include "InstallWorker.h"

#include <commctrl.h>
#include <prsht.h>

#include <cwchar>

#include "CheckingWindow.h"
#include "MessagePump.h"
#include "ComRegistration.h"
#include "DeleteList.h"
#include "ExtensionRecord.h"
#include "ExtractResource.h"
#include "Extraction.h"
#include "LastError.h"
#include "SavedInstallPath.h"
#include "SfxContainer.h"
#include "Shortcuts.h"
#include "StepMarkers.h"
#include "StubExtension.h"
#include "StubLog.h"
#include "StubSettings.h"
#include "StubState.h"
#include "StubStrings.h"

namespace stub {

namespace {

const int kPauseRounds = 15;
const int kAutoExecPauseRounds = 30;
const DWORD kPauseMs = 100;

void Pause(HWND window, int rounds) {
  for (int i = 0; i < rounds; ++i) {
    PumpWaitingMessages(window);
    Sleep(kPauseMs);
  }
}

void PressWizardButton(HWND window, WPARAM button) {
  if (window) PostMessageW(GetParent(window), PSM_PRESSBUTTON, button, 0);
}

// Events 1008 and 1004: a non-zero answer stops the installation.
bool WorkEventAccepted(HWND window, uint32_t event) {
  if (!ExtensionActive()) return true;
  SetExtensionEvent(event, 0, 0);
  LONG answer = CallExtension();
  if (answer == 0) return true;
  StubLog(L"Extension module: event %lu answered %ld\n", static_cast<unsigned long>(event),
          static_cast<long>(answer));
  SetLastErrorCode(kErrorAborted);
  PressWizardButton(window, PSBTN_CANCEL);
  return false;
}

}  // namespace

bool WriteRegistryString(HKEY root, const wchar_t* key, const wchar_t* name,
                         const wchar_t* data) {
  HKEY handle = nullptr;
  if (RegCreateKeyExW(root, key, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                      &handle, nullptr) != ERROR_SUCCESS)
    return false;
  const DWORD bytes = static_cast<DWORD>((wcslen(data) + 1) * sizeof(wchar_t));
  const bool set = RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                                  bytes) == ERROR_SUCCESS;
  RegCloseKey(handle);
  return set;
}

bool WriteRegistryDword(HKEY root, const wchar_t* key, const wchar_t* name, DWORD data) {
  HKEY handle = nullptr;
  if (RegCreateKeyExW(root, key, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                      &handle, nullptr) != ERROR_SUCCESS)
    return false;
  const bool set = RegSetValueExW(handle, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                                  sizeof(data)) == ERROR_SUCCESS;
  RegCloseKey(handle);
  return set;
}

bool RunInstallWorker(HWND window) {
  const StubSettings& s = *g_Settings;
  if (!WorkEventAccepted(window, ExtEventInstallBegin)) return false;

  if (g_DeleteListPending) ProcessDeleteList(window);

  if (window && *s.UnInstallTitle) ShowNextStepMarker(window);

  if (s.StartMenuCount != 0) {
    if (window) ShowNextStepMarker(window);
    CreateShortcuts(window);
  }

  PumpWaitingMessages(window);
  if (window) UpdateWindow(window);

  if (!s.RegComSvr.empty() && RunRegistrationWindow(window) == -1) RegisterComServers(window);

  Pause(window, kPauseRounds);

  if ((s.FlagsA & SfxFlagsA::UseSavePath) && !(s.FlagsA & SfxFlagsA::NoSaveInstallPath)) {
    if (!WriteRegistryString(SavedPathRoot(s.SavePathRootKey), s.SavePathKey, s.SavePathValue,
                             s.ExtractPath))
      StubLog(L"Install folder not saved under %ls\\%ls\n", s.SavePathKey, s.SavePathValue);
  }
  if (s.FlagsB & SfxFlagsB::UseSaveExplainShowFlag) {
    WriteRegistryDword(SavedPathRoot(s.SaveExplainShowFlagRootKey), s.SaveExplainShowFlagKey,
                       s.SaveExplainShowFlagValue, g_ReadMeCrc ? g_ReadMeCrc : 1);
  }

  if (!WorkEventAccepted(window, ExtEventInstallWorkEnd)) return false;

  if (window) {
    if (*s.CmdLine && (s.FlagsB & SfxFlagsB::SkipInstallCompletePageOnAutoExec)) {
      wchar_t text[256];
      SetDlgItemTextW(window, IDC_PROGRESS_FILE,
                      LoadStubString(IDS_PREPARING_EXECUTE, text, ARRAYSIZE(text)));
      Pause(window, kAutoExecPauseRounds);
      PressWizardButton(window, PSBTN_FINISH);
    } else {
      PressWizardButton(window, PSBTN_NEXT);
    }
  }
  return true;
}

}  // namespace stub
