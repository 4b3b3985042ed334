// ZQSpinEdit: an integer field with up and down arrows (a child edit, id
// kSpinEditEditId, and an up-down control, id kSpinEditArrowsId). It keeps
// its value inside its range, takes full-width digits and signs typed with
// a Japanese input method, commits typed text one second after the last
// change or when the edit loses the focus, and then, when the value
// changed, posts WM_COMMAND with its id and notification 0 and its own
// handle to its parent.
#pragma once
#include <windows.h>

extern const wchar_t kSpinEditClass[];  // "ZQSpinEdit"

const int kSpinEditEditId = 101;
const int kSpinEditArrowsId = 102;
const UINT kSpinEditCommitTimer = 1001;

// Messages of the control.
// Set range: wParam minimum, lParam maximum (as int). Accepted (result 1)
// when minimum <= maximum and both lie within -65535..65535; the value is
// moved into the range. 0 otherwise.
const UINT SEM_SETRANGE = WM_USER + 1;
// Set value: wParam the value (as int); 1 when it lies inside the range,
// else 0. No notification.
const UINT SEM_SETVALUE = WM_USER + 2;
// Get value: commits text still waiting for its timer, then returns the
// value (as int).
const UINT SEM_GETVALUE = WM_USER + 3;

// Registers the window class once per process; true when it is registered.
bool RegisterSpinEditClass(HINSTANCE instance);

int SpinEditSetRange(HWND control, int minimum, int maximum);
// Sets the value and, when it is accepted, puts the caret back where the
// edit's selection started. Returns the set-value result.
int SpinEditSetValueKeepCaret(HWND control, int value);
int SpinEditGetValue(HWND control);
// EM_LIMITTEXT on the edit; 1, or 0 when the control has no record.
int SpinEditLimitText(HWND control, int count);

// Full-width letters, digits and signs replaced by their half-width forms
// in place (the input method's forms of what the field takes).
void ToHalfWidthText(wchar_t* text);
