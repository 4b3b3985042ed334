// The builder's "Detailed settings" sheet driven from a second process: a
// builder run with a per-user definition file written by the test, the
// sheet opened through the main window's command, its pages and controls
// set as a user does, and the definition file the builder saves at exit
// read back key by key.
#pragma once
#include <windows.h>

#include <map>
#include <string>

#include "BuilderWindowFixture.h"
#include "DialogDriver.h"

namespace sheettest {

typedef std::map<std::wstring, std::wstring> Definition;

// The keys and values of a definition file (UTF-16 with BOM or UTF-8).
Definition ReadDefinition(const std::wstring& path);
// Keys whose values differ, or that only one side has, sorted.
std::wstring DifferentKeys(const Definition& before, const Definition& after);

// A message to a window of the builder, given 5 s; 0 when it timed out.
LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
// WM_SETTEXT to a control of a dialog.
void SetText(HWND dialog, int controlId, const std::wstring& text);
// Clicks a button of a dialog and returns once the dialog has handled it;
// false for a missing, hidden or disabled control (BM_CLICK would click it).
bool Click(HWND dialog, int controlId);
// Clicks a box of a dialog until it has the state; false when it cannot.
bool SetCheck(HWND dialog, int controlId, bool checked);
// CB_SETCURSEL followed by CBN_SELCHANGE to the dialog, as a user's choice
// does.
void Choose(HWND dialog, int listId, int index);
// Selects and focuses a row of a list view of the builder (the item state
// lives in the builder's memory).
bool SelectListViewRow(HWND list, int row);

// A string of the builder in the interface language of this run.
std::wstring BuilderString(UINT id);
bool JapaneseInterface();

class SheetRun {
 public:
  // Writes the per-user definition file (UTF-8 text, section included)
  // and starts the builder on it; an empty text starts it without one.
  explicit SheetRun(const std::string& definition);
  ~SheetRun();

  bool started() const { return main_ != nullptr; }
  builderwindow::BuilderRun& builder() { return run_; }
  HWND main() const { return main_; }

  // Opens the sheet (command 1023, posted) and waits for it.
  bool Open();
  // Opens the sheet and moves to the page.
  bool OpenAt(int dialogId) { return Open() && Select(dialogId); }
  testsupport::PropertySheetDriver& sheet() { return sheet_; }
  HWND Page() const { return sheet_.CurrentPage(); }
  bool Select(int dialogId) const { return sheet_.SelectPage(dialogId); }
  // Posts the move (a page being left may show a warning) and answers the
  // next box; returns what the box showed (empty caption: none came).
  testsupport::SeenBox SelectExpectingBox(int dialogId);
  // OK or Cancel; true when the sheet closed.
  bool Ok();
  bool Cancel();
  // Presses OK expecting the current page to refuse with a box; returns it.
  testsupport::SeenBox OkExpectingBox();

  // Controls of the current page.
  bool Checked(int controlId) const;
  bool Enabled(int controlId) const;
  bool Visible(int controlId) const;
  // Clicks a box until it has the state; false when it is disabled.
  bool SetCheck(int controlId, bool checked);
  bool Click(int controlId);
  testsupport::SeenBox ClickExpectingBox(int controlId);
  void SetText(int controlId, const std::wstring& text);
  std::wstring Text(int controlId) const;
  // CB_SETCURSEL followed by CBN_SELCHANGE, as a user's choice does.
  void Choose(int listId, int index);
  // The same when the choice shows a box: answers it and returns it.
  testsupport::SeenBox ChooseExpectingBox(int listId, int index);
  int Chosen(int listId) const;
  testsupport::SeenBox NextBox(DWORD timeoutMs = 15000) { return run_.AnswerNextBox(IDOK, timeoutMs); }

  // Ends the builder (it saves the per-user definition) and reads it.
  Definition ExitAndRead();
  // OK, which must close the sheet, then ExitAndRead.
  Definition OkAndExit();

 private:
  builderwindow::BuilderRun run_;
  HWND main_ = nullptr;
  testsupport::PropertySheetDriver sheet_;
};

}  // namespace sheettest
