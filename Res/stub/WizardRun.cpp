#include "WizardRun.h"

#include <windows.h>
#include <shobjidl.h>

#include "Extraction.h"
#include "InstallSteps.h"
#include "LastError.h"
#include "SfxContainer.h"
#include "StubLog.h"
#include "StubSettings.h"
#include "StubState.h"
#include "WizardBitmaps.h"
#include "WizardCommon.h"

namespace stub {

namespace {

const int kExitInstallFailed = 9;
const int kExitClosed = 17;

void CreateTaskbarProgress() {
  ITaskbarList3* list = nullptr;
  if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                              reinterpret_cast<void**>(&list))) ||
      !list)
    return;
  if (FAILED(list->HrInit())) {
    list->Release();
    return;
  }
  g_TaskbarList = list;
}

void ReleaseTaskbarProgress() {
  if (g_TaskbarList) g_TaskbarList->Release();
  g_TaskbarList = nullptr;
  g_TaskbarWindow = nullptr;
}

}  // namespace

int RunInteractiveInstallation() {
  LoadWizardPanelBitmaps();
  if (g_Settings->FlagsA & SfxFlagsA::UseNewWizard) CreateWizardTitleFont();
  CreateTaskbarProgress();
  int result = RunWizard();
  ReleaseTaskbarProgress();

  if (g_WizardInstallCompleted) return 0;
  if (!g_WizardWorkerStarted && !g_AbortRequested && GetLastErrorCode() == kErrorUnknown) {
    // Closed before the copying began: nothing happened to report.
    SetLastErrorCode(kErrorNone);
    return result;
  }
  if (result == 0 || result == kExitClosed) {
    if (g_AbortRequested) {
      SetLastErrorCode(kErrorAborted);
      StubLog(L"Wizard: installation aborted by the user\n");
    }
    result = GetLastErrorCode() > 0 ? kExitInstallFailed : kExitClosed;
  }
  return result;
}

}  // namespace stub
