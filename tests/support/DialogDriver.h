// Drives another process's windows from outside, as a user would: runs a
// program and answers its message boxes (every box is read, caption and
// text, and closed with the button that the caller chooses), reads and sets
// control texts, presses buttons, and steps through wizards and property
// sheets.
//
// Rules that hold under Wine and on Windows alike:
// - A command whose handler opens a modal window is posted, never sent: a
//   sent message would not return until that window closes.
// - Another process's edit is read with WM_GETTEXT (GetWindowTextW returns
//   "" for it).
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "Waiting.h"

namespace testsupport {

struct SeenBox {
  std::wstring caption;
  std::wstring text;
  HWND window = nullptr;  // the box itself, still up while it is answered
};

// The button (IDOK, IDYES, IDNO, ...) that answers a box.
typedef std::function<int(const SeenBox&)> BoxAnswer;

// A started child process whose message boxes can be answered.
class DrivenProcess {
 public:
  DrivenProcess() = default;
  ~DrivenProcess();  // terminates a child still running
  DrivenProcess(const DrivenProcess&) = delete;
  DrivenProcess& operator=(const DrivenProcess&) = delete;

  bool Start(const std::wstring& commandLine);
  // Answers the boxes that are open now (each box once); returns how many.
  size_t AnswerBoxes(const BoxAnswer& answer);
  // Answers boxes until the process ends or the time is up; true when it
  // ended. Then ExitCode() holds its exit code.
  bool WaitAnswering(const BoxAnswer& answer, DWORD timeoutMs);
  bool Running() const;
  DWORD ExitCode() const;
  DWORD Id() const { return info_.dwProcessId; }
  // Top-level windows of the process that are dialogs with this control.
  std::vector<HWND> DialogsWithControl(int controlId) const;
  // The first such dialog whose control is visible, waited for; null when
  // none came in time or the process ended.
  HWND WaitForDialogWithControl(int controlId, DWORD timeoutMs) const;
  // The first message box of the process that has its buttons, waited for.
  HWND WaitForMessageBox(DWORD timeoutMs) const;
  // A message box of the process that was not answered here, shown or still
  // to be shown (a modal loop shows its box once its queue is empty); null
  // when there is none. After a RoundTrip this tells whether the handler
  // opened a box.
  HWND UnansweredMessageBox() const;
  const std::vector<SeenBox>& Boxes() const { return boxes_; }
  void Terminate();

 private:
  PROCESS_INFORMATION info_ = {};
  std::vector<HWND> answered_;
  std::vector<SeenBox> boxes_;
};

// Starts, answers every box with answer (OK for all when none is given) and
// waits. exitCode is 0xFFFFFFFF... as GetExitCodeProcess reports it.
struct DrivenResult {
  bool started = false;
  bool timedOut = false;
  DWORD exitCode = 0;
  std::vector<SeenBox> boxes;
};
DrivenResult RunAnsweringBoxes(const std::wstring& commandLine, const BoxAnswer& answer = nullptr,
                               DWORD timeoutMs = 60000);

// Controls of any process.

// The text of a window or control, read with WM_GETTEXT; "" when it does not
// answer within five seconds.
std::wstring ControlText(HWND window);
std::wstring ControlText(HWND dialog, int controlId);
// Sets a control's text with WM_SETTEXT (an edit then reports EN_CHANGE,
// read-only or not).
bool SetControlText(HWND dialog, int controlId, const std::wstring& text);
// Clicks a button, check box or radio button (a posted BM_CLICK: the box
// changes its state and the dialog gets BN_CLICKED, as from the mouse);
// false when the control is missing, hidden or disabled (BM_CLICK itself
// would click a disabled control).
bool PressButton(HWND dialog, int controlId);
// Posts a command with no control behind it (a menu item, IDCANCEL).
void PostCommand(HWND window, int commandId);
bool IsChecked(HWND dialog, int controlId);  // BM_GETCHECK
// Waits until the dialog has the control and it is visible.
HWND WaitForControl(HWND dialog, int controlId, DWORD timeoutMs);
// Waits until the window is gone (destroyed).
bool WaitForWindowGone(HWND window, DWORD timeoutMs);
// Waits until the text of the window, or of the dialog's control, is the
// expected one; returns the text last read, so that a failed wait shows
// what was there instead.
std::wstring WaitForText(HWND window, const std::wstring& expected, DWORD timeoutMs = 10000);
std::wstring WaitForText(HWND dialog, int controlId, const std::wstring& expected,
                         DWORD timeoutMs = 10000);

// A message sent to the window's thread and answered: what that thread was
// doing when it came has got back to taking messages (a handler that opened
// a modal window is in that window's loop, and the window exists). Sent
// messages are taken before posted ones, so messages posted to the thread
// before it may still be waiting: what a test checks the outcome of is
// sent where it can be (SendCommand), or waited for by its own sign.
bool RoundTrip(HWND window, DWORD timeoutMs = 10000);
// Sends WM_COMMAND and waits until its handler has returned; false when it
// had not within the time (a modal window it opened is still up).
bool SendCommand(HWND window, int commandId, DWORD timeoutMs = 10000);
// Has the window and its children paint themselves now, in their own
// thread (each is sent WM_PAINT in turn), and lets that thread take its
// messages again, when it hands what it drew to the screen: what the screen
// shows afterwards is what the window draws now, there or not.
bool PaintNow(HWND window, DWORD timeoutMs = 10000);

// Message boxes: a #32770 dialog with the static text 0xFFFF.
bool IsMessageBox(HWND window);
SeenBox ReadMessageBox(HWND box);
// Presses the button, or the first of OK, Cancel, No, Yes that the box has.
void AnswerMessageBox(HWND box, int button);

// A property sheet (comctl32) in another process.
class PropertySheetDriver {
 public:
  explicit PropertySheetDriver(HWND sheet = nullptr) : sheet_(sheet) {}
  HWND Sheet() const { return sheet_; }
  // The current page (PSM_GETCURRENTPAGEHWND) and its index.
  HWND CurrentPage() const;
  int CurrentIndex() const;
  // A control of the current page; null when the page has none.
  HWND PageControl(int controlId) const;
  // True when the current page holds the control: pages have control id 0
  // and no name, so a page is named by a control unique to it.
  bool OnPage(int controlId) const { return PageControl(controlId) != nullptr; }
  bool WaitForPage(int controlId, DWORD timeoutMs) const;
  // Moves to the page made from this dialog template id (PSM_IDTOINDEX and
  // PSM_SETCURSEL, which send PSN_KILLACTIVE and PSN_SETACTIVE); true when
  // PSM_GETCURRENTPAGEHWND then reports that page. PSM_SETCURSELID is not
  // used: under Wine it moves but returns 0.
  bool SelectPage(int templateId) const;
  // Posts PSM_PRESSBUTTON (PSBTN_OK, PSBTN_APPLYNOW, PSBTN_CANCEL, PSBTN_NEXT ...).
  void Press(int psbtn) const;
  // The frame's caption (a wizard shows the current page's title there).
  std::wstring Caption() const { return ControlText(sheet_); }

 protected:
  HWND sheet_;
};

// A wizard (a property sheet in wizard mode) in another process: its frame
// is the process's top-level dialog with the Next button.
class WizardDriver : public PropertySheetDriver {
 public:
  static const int kBack = 12323;
  static const int kNext = 12324;
  static const int kFinish = 12325;

  WizardDriver() = default;
  // Waits for the frame of the process's wizard; false when none came.
  bool Find(const DrivenProcess& process, DWORD timeoutMs);
  HWND Frame() const { return sheet_; }
  // Presses Back, Next, Finish or Cancel through PSM_PRESSBUTTON (posted,
  // so that a page may open a message box in its handler).
  void Back() const { Press(PSBTN_BACK); }
  void Next() const { Press(PSBTN_NEXT); }
  void Finish() const { Press(PSBTN_FINISH); }
  void Cancel() const { Press(PSBTN_CANCEL); }
  // Whether the frame's button (kBack, kNext, kFinish, IDCANCEL) is shown
  // and enabled.
  bool ButtonEnabled(int buttonId) const;
  // Waits until the button is shown and enabled: a page may show before
  // its PSN_SETACTIVE handler has set the buttons.
  bool WaitForButton(int buttonId, DWORD timeoutMs) const;
};

// Every run of an output program holds the stub's single-instance mutex, and
// an interactive run refuses to start while another run holds it. Tests
// that run output programs take this lock (a named mutex, so it holds
// across test processes) around each run; the owning thread may take it
// again.
class StubRunLock {
 public:
  StubRunLock();
  ~StubRunLock();
  StubRunLock(const StubRunLock&) = delete;
  StubRunLock& operator=(const StubRunLock&) = delete;

 private:
  HANDLE mutex_;
};

}  // namespace testsupport
