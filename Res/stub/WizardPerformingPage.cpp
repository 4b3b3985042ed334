// The Performing Installation page: runs the extraction and the install
// worker from its own window, with the step markers and labels, the current
// file, the progress bar and the taskbar progress, and asks before an abort.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
#include <shobjidl.h>

#include "ClassicGuiFont.h"
#include "ExtractResource.h"
#include "Extraction.h"
#include "InstallSteps.h"
#include "InstallWorker.h"
#include "LastError.h"
#include "StepMarkers.h"
#include "StubExtension.h"
#include "StubLog.h"
#include "StubSettings.h"
#include "StubState.h"
#include "StubStrings.h"
#include "TessalyResource.h"
#include "WizardPages.h"
#include "WizardPercentBar.h"
#include "WizardResource.h"
#include "WizardCommon.h"

namespace stub {

namespace {

HBITMAP g_checkMark = nullptr;
bool g_installStarted = false;
bool g_workerDone = false;
bool g_asking = false;

void SetStepLabels(HWND page) {
  const StubSettings& s = *g_Settings;
  wchar_t text[256];
  int label = IDC_PERFORM_LABEL1;
  SetDlgItemTextW(page, label++, LoadStubString(IDS_STEP_COPYING, text, ARRAYSIZE(text)));
  if (*s.UnInstallTitle)
    SetDlgItemTextW(page, label++, LoadStubString(IDS_STEP_UNINSTALL, text, ARRAYSIZE(text)));
  if (s.StartMenuCount > 0)
    SetDlgItemTextW(page, label++, LoadStubString(IDS_STEP_SHORTCUTS, text, ARRAYSIZE(text)));
}

void InitPerformingPage(HWND page) {
  if (g_WizardNewStyle) {
    ApplyClassicGuiFont(page, true);
    SendDlgItemMessageW(page, IDC_PROGRESS_BAR, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
  } else {
    SetClassicPanelBitmap(page);
    SubclassPercentBar(GetDlgItem(page, IDC_PROGRESS_BAR));
  }
  COLORMAP none = {};
  g_checkMark = CreateMappedBitmap(g_Instance, IDB_WIZ_CHECK, 0, &none, 0);
  if (g_checkMark) {
    for (int id = IDC_PERFORM_MARKER1; id <= IDC_PERFORM_MARKER4; ++id)
      SendDlgItemMessageW(page, id, STM_SETIMAGE, IMAGE_BITMAP,
                          reinterpret_cast<LPARAM>(g_checkMark));
  }
  SetStepLabels(page);
}

// A failed or aborted extraction: reported here once (event 1007 and, for a
// failure, the box), then the wizard ends as cancelled.
void ExtractionFailed(HWND page) {
  if (g_AbortRequested) SetLastErrorCode(kErrorAborted);
  const int code = GetLastErrorCode();
  StubLog(L"Wizard: extraction ended with code %d\n", code);
  if (code != kErrorAborted) {
    wchar_t text[kMessageBufferSize];
    lstrcpynW(text, *GetFailureText() ? GetFailureText() : GetLastErrorMessage(),
              ARRAYSIZE(text));
    bool suppressed = false;
    SendInstallErrorEvent(code, text, &suppressed);
    if (!suppressed) ShowStubMessage(nullptr, text, PackageCaption(), MB_OK | MB_ICONERROR);
    g_WizardFailureReported = true;
  }
  PostMessageW(GetParent(page), PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
}

void RunInstallation(HWND page) {
  if (g_installStarted) return;
  g_installStarted = true;
  ShowNextStepMarker(page);
  const bool extracted = ExtractArchive(page);
  if (!extracted) {
    ExtractionFailed(page);
    return;
  }
  HWND frame = GetParent(page);
  if (g_WizardNewStyle) SendDlgItemMessageW(page, IDC_PROGRESS_BAR, PBM_SETPOS, 100, 0);
  EnableWindow(GetDlgItem(frame, IDCANCEL), FALSE);
  if (g_TaskbarList) g_TaskbarList->SetProgressState(frame, TBPF_INDETERMINATE);
  g_WizardWorkerStarted = true;
  const bool completed = RunInstallWorker(page);
  g_WizardInstallCompleted = completed && GetLastErrorCode() == kErrorNone;
  g_Installed = g_WizardInstallCompleted;
  g_workerDone = true;
  if (g_TaskbarList) g_TaskbarList->SetProgressState(frame, TBPF_NOPROGRESS);
  // The worker has posted its press of Next (or Finish, or Cancel): Next is
  // enabled for that press only now, when nothing else can come first.
  if (g_WizardInstallCompleted) SendMessageW(frame, PSM_SETWIZBUTTONS, 0, PSWIZB_NEXT);
}

// Cancel or the close box: during the copying the user is asked; once the
// worker has started the installation can no longer be cancelled; after a
// failure the wizard closes without a question. One question at a time: a
// cancel that arrives while it is shown is refused, and one after a Yes
// goes on without asking again.
BOOL QueryCancel(HWND page) {
  if (GetLastErrorCode() != kErrorNone) return FALSE;
  if (g_WizardWorkerStarted) return TRUE;
  if (g_AbortRequested) return FALSE;
  if (g_asking) return TRUE;
  wchar_t text[256];
  LoadStubString(IDS_ABORT_QUESTION, text, ARRAYSIZE(text));
  g_asking = true;
  const int answer =
      ShowStubMessage(page, text, PackageCaption(), MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2);
  g_asking = false;
  if (answer == IDYES) {
    g_AbortRequested = true;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

INT_PTR CALLBACK PerformingPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  (void)wParam;
  switch (message) {
    case WM_INITDIALOG:
      InitPerformingPage(page);
      return TRUE;
    case kWizardCaptionMessage:
      ApplyWizardCaption(page);
      return TRUE;
    case kWizardStartMessage:
      RunInstallation(page);
      return TRUE;
    case WM_NOTIFY: {
      const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
      switch (header->code) {
        case PSN_SETACTIVE:
          ShowWizardHeader(page, kPagePerforming);
          PostMessageW(GetParent(page), PSM_SETWIZBUTTONS, 0, 0);
          PostMessageW(page, kWizardStartMessage, 0, 0);
          PostMessageW(page, kWizardCaptionMessage, 0, 0);
          SetWindowLongPtrW(page, DWLP_MSGRESULT, 0);
          return TRUE;
        case PSN_WIZNEXT:
          // Only the worker's own press leaves the page.
          SetWindowLongPtrW(page, DWLP_MSGRESULT, g_workerDone ? 0 : -1);
          return TRUE;
        case PSN_QUERYCANCEL:
          SetWindowLongPtrW(page, DWLP_MSGRESULT, QueryCancel(page));
          return TRUE;
      }
      return FALSE;
    }
    case WM_DESTROY:
      if (g_checkMark) DeleteObject(g_checkMark);
      g_checkMark = nullptr;
      return FALSE;
  }
  return FALSE;
}

}  // namespace stub
