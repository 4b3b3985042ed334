// ZQCheckListBox: a list whose items each carry a check box and, with the
// style bit kCheckListShowIcons, a 16 x 16 icon. Dialog templates place it
// by class name. The control owns an owner-drawn list box (child id
// kCheckListInnerId) and tells its parent about changes with WM_COMMAND:
// the control's id in the low word, one of the codes below in the high
// word and the control's handle in lParam.
#pragma once
#include <windows.h>

extern const wchar_t kCheckListBoxClass[];  // "ZQCheckListBox"

// Style bit of the control: draw each item's icon after its check cell.
const DWORD kCheckListShowIcons = 0x1;
const int kCheckListInnerId = 101;

enum CheckListNotification {
  kCheckListCheckChanged = 1,   // the user changed an item's check
  kCheckListSelChanged = 2,     // the selection changed
  kCheckListLabelDblClk = 3,    // an item's label was double-clicked
  kCheckListSelCleared = 4,     // a click beside the items cleared the selection
};

// Registers the window class once per process; true when it is registered.
bool RegisterCheckListBoxClass(HINSTANCE instance);

// Appends an item; the control draws the icon but never destroys it.
// Returns the new index, or -1.
int CheckListAddItem(HWND control, const wchar_t* text, int check, HICON icon);
// The item's check value; 0 for a missing control or item.
int CheckListGetCheck(HWND control, int index);
// Sets one item's check, or every item's for index -1 (1 also for an empty
// list), and redraws the check cells. 1 on success, 0 for a missing
// control or item.
int CheckListSetCheck(HWND control, int index, int check);
