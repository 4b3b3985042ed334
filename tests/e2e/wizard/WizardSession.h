// One run of an installer whose wizard the test drives from outside with
// the shared WizardDriver (frame found by its Next button, pages named by a
// control unique to each, PSM_PRESSBUTTON, WM_GETTEXT), answering the run's
// message boxes while it waits.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "DialogDriver.h"

namespace wizardtest {

// Controls that name the pages.
const int kWelcomePage = 1008;
const int kReadMePage = 1009;
const int kDestinationPage = 1000;
const int kReadyPage = 1020;
const int kPerformingPage = 1010;
const int kCompletePage = 1042;

class WizardSession {
 public:
  explicit WizardSession(const testsupport::BoxAnswer& answer = nullptr) : answer_(answer) {}

  bool Start(const std::wstring& commandLine);
  // Waits for the wizard frame (Next button 12324) while answering boxes.
  HWND WaitFrame(DWORD timeoutMs = 30000);
  // Waits until the current page has the control; its window, or null.
  HWND WaitPage(int controlId, DWORD timeoutMs = 30000);
  // The current page's window.
  HWND CurrentPage() const;
  void Press(int button) const;  // PSBTN_*
  // Posts a command to the frame (IDCANCEL, WM_CLOSE through SC_CLOSE).
  void Close() const;
  std::wstring Caption() const;
  std::wstring Text(HWND page, int controlId) const;
  bool Visible(HWND page, int controlId) const;
  bool Enabled(HWND page, int controlId) const;
  bool Checked(HWND page, int controlId) const;
  void Click(HWND page, int controlId) const;
  // Waits for the end, answering boxes; true when it ended.
  bool WaitEnd(DWORD timeoutMs = 60000);
  DWORD ExitCode() const { return process_.ExitCode(); }
  const std::vector<testsupport::SeenBox>& Boxes() const { return process_.Boxes(); }
  void AnswerBoxes() { process_.AnswerBoxes(answer_); }
  // Answers boxes until count boxes have been seen; false when the time is
  // up or the process ended first.
  bool WaitBoxes(size_t count, DWORD timeoutMs = 15000);
  // Sets an edit's text from here; a box that the change opens does not
  // block (the send gives up after a moment and the box is answered later).
  void SetTextNoWait(HWND page, int controlId, const std::wstring& text) const;
  void SetAnswer(const testsupport::BoxAnswer& answer) { answer_ = answer; }
  HWND frame() const { return driver_.Frame(); }
  // Saves the frame (or another window) as a 24-bit BMP, for looking at.
  bool SaveShot(const std::wstring& path) const { return SaveWindowShot(frame(), path); }
  static bool SaveWindowShot(HWND window, const std::wstring& path);
  // Top-level dialogs of the process with this control.
  std::vector<HWND> Dialogs(int controlId) const { return process_.DialogsWithControl(controlId); }

 private:
  testsupport::DrivenProcess process_;
  testsupport::BoxAnswer answer_;
  testsupport::WizardDriver driver_;
};

}  // namespace wizardtest
