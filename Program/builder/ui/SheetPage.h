// The protocol every page of the "Detailed settings" sheet follows: a page
// names its hooks once and its dialog procedure hands every message to
// RunSheetPage, which answers the sheet's notifications the same way for
// all pages and keeps C++ exceptions from unwinding through the sheet.
#pragma once
#include <windows.h>
#include <commctrl.h>

struct SheetPageHooks {
  int dialogId;                          // template id; also the help page
  void (*init)(HWND page);               // WM_INITDIALOG: lists, limits, subclassing
  void (*toControls)(HWND page);         // PSN_SETACTIVE: record to controls, enable rules
  // PSN_KILLACTIVE: false keeps the page (the hook has shown its warning).
  bool (*validate)(HWND page);
  void (*store)(HWND page);              // controls to record
  // WM_COMMAND; true when handled.
  bool (*command)(HWND page, int controlId, int code);
  // Other WM_NOTIFY; true when handled (with *result as the answer).
  bool (*notify)(HWND page, NMHDR* header, INT_PTR* result);
  void (*destroy)(HWND page);            // WM_DESTROY
  // PSN_APPLY when the page stores something else at OK than on leaving;
  // null: store.
  void (*apply)(HWND page);
};

// The body of a page's dialog procedure. Any hook may be null.
INT_PTR RunSheetPage(const SheetPageHooks& hooks, HWND page, UINT message, WPARAM wParam,
                     LPARAM lParam);

// The window of the sheet's page made from this template, null while the
// page has not been created (pages are created when first shown). A page
// that writes another page's member also sets that page's control, so
// that the other page's store at OK keeps what was written.
HWND SheetPageWindow(int dialogId);

// A fault caught inside a page or dialog procedure of the sheet: the sheet
// is cancelled and ShowDetailedSettings reports it. Called by the guards.
void NoteSheetFault(HWND windowInSheet);
// Whether a fault was noted since the last call; clears the flag.
bool TakeSheetFault();

// The body of a modal dialog procedure opened from a page: an exception
// ends the dialog with Cancel and cancels the sheet.
template <class Body>
INT_PTR GuardSheetDialog(HWND dialog, Body body) {
  try {
    return body();
  } catch (...) {
    HWND owner = GetWindow(dialog, GW_OWNER);
    EndDialog(dialog, IDCANCEL);
    NoteSheetFault(owner);
    return TRUE;
  }
}

// The procedure of such a dialog whose messages Handle answers, guarded.
template <INT_PTR (*Handle)(HWND, UINT, WPARAM, LPARAM)>
INT_PTR CALLBACK GuardedSheetDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  return GuardSheetDialog(dialog, [&] { return Handle(dialog, message, wParam, lParam); });
}
