#include "SpinEdit.h"

#include <commctrl.h>

#include <cstdio>
#include <cwchar>
#include <new>

#include "BuilderUtil.h"
#include "ControlClass.h"

const wchar_t kSpinEditClass[] = L"ZQSpinEdit";

namespace {

const int kRangeLimit = 65535;
const int kTextCapacity = 101;  // 100 characters read back

struct SpinRecord {
  int maximum;
  int minimum;
  int value;
  HWND edit;
  HWND arrows;
  bool settingText;  // the control writes the edit's text itself
  bool pending;      // typed text waits for the commit timer
};

SpinRecord* RecordOf(HWND control) {
  return control ? reinterpret_cast<SpinRecord*>(GetWindowLongPtrW(control, 0)) : nullptr;
}

// The 33 signs after letters and digits, in table order.
const wchar_t kSignPairs[][2] = {
    {0xFF3B, L'['},    {0xFF3D, L']'},    {0xFF08, L'('},  {0xFF09, L')'},  {0x300C, 0xFF62},
    {0x300D, 0xFF63},  {0xFF5B, L'{'},    {0xFF5D, L'}'},  {0xFF1C, L'<'},  {0xFF1A, L':'},
    {0xFF3F, L'_'},    {0xFF1E, L'>'},    {0xFF0B, L'+'},  {0xFF0D, L'-'},  {0xFF0A, L'*'},
    {0xFF0F, L'/'},    {0xFF5C, L'|'},    {0xFF20, L'@'},  {0xFF1D, L'='},  {0xFF1B, L';'},
    {0xFF1F, L'?'},    {0xFFE5, L'\\'},   {0xFF01, L'!'},  {0xFF03, L'#'},  {0xFF04, L'$'},
    {0xFF05, L'%'},    {0xFF06, L'&'},    {0x2019, L'\''}, {0xFF3E, L'^'},  {0xFFE3, L'~'},
    {0xFF0C, L','},    {0xFF0E, L'.'},    {0x201D, L'"'},
};

wchar_t ToHalfWidth(wchar_t c) {
  if (c >= 0xFF21 && c <= 0xFF3A) return static_cast<wchar_t>(L'A' + (c - 0xFF21));
  if (c >= 0xFF41 && c <= 0xFF5A) return static_cast<wchar_t>(L'a' + (c - 0xFF41));
  if (c >= 0xFF10 && c <= 0xFF19) return static_cast<wchar_t>(L'0' + (c - 0xFF10));
  for (const auto& pair : kSignPairs)
    if (pair[0] == c) return pair[1];
  return c;
}

void ShowNumber(SpinRecord* record, int number) {
  wchar_t text[16];
  swprintf(text, 16, L"%d", number);
  record->settingText = true;
  SetWindowTextW(record->edit, text);
  record->settingText = false;
}

void SelectAll(SpinRecord* record) { SendMessageW(record->edit, EM_SETSEL, 0, -1); }

void Refuse(SpinRecord* record) {
  MessageBeep(0);
  ShowNumber(record, record->value);
  SelectAll(record);
}

void NotifyParent(HWND control) {
  HWND parent = GetParent(control);
  if (parent)
    PostMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), 0),
                 reinterpret_cast<LPARAM>(control));
}

void Commit(HWND control, SpinRecord* record) {
  record->pending = false;
  KillTimer(control, kSpinEditCommitTimer);
  wchar_t typed[kTextCapacity] = {};
  GetWindowTextW(record->edit, typed, kTextCapacity);
  if (!typed[0] || wcscmp(typed, L"-") == 0) {
    Refuse(record);
    return;
  }
  wchar_t text[kTextCapacity];
  wcscpy(text, typed);
  ToHalfWidthText(text);
  wchar_t* end = nullptr;
  long number = wcstol(text, &end, 10);
  if (end == text) {
    if (!(record->minimum < 0 && wcscmp(text, L"-") == 0)) {
      Refuse(record);
      return;
    }
    number = 0;
  }
  bool clamped = false;
  if (number < record->minimum) {
    number = record->minimum;
    clamped = true;
  } else if (number > record->maximum) {
    number = record->maximum;
    clamped = true;
  }
  const int value = static_cast<int>(number);
  if (clamped) {
    MessageBeep(0);
    ShowNumber(record, value);
    SelectAll(record);
  } else {
    wchar_t decimal[16];
    swprintf(decimal, 16, L"%d", value);
    if (wcscmp(decimal, typed) != 0) ShowNumber(record, value);
  }
  if (value != record->value) {
    record->value = value;
    SendMessageW(record->arrows, UDM_SETPOS32, 0, value);
    NotifyParent(control);
  }
}

LRESULT SetRange(SpinRecord* record, int minimum, int maximum) {
  if (maximum < minimum || minimum < -kRangeLimit || maximum > kRangeLimit) return 0;
  record->minimum = minimum;
  record->maximum = maximum;
  SendMessageW(record->arrows, UDM_SETRANGE32, static_cast<WPARAM>(minimum), maximum);
  if (record->value < minimum || record->value > maximum) {
    record->value = record->value < minimum ? minimum : maximum;
    ShowNumber(record, record->value);
  }
  SendMessageW(record->arrows, UDM_SETPOS32, 0, record->value);
  const bool digitsOnly = minimum > 0 && maximum > 0;
  ModifyWindowStyle(record->edit, digitsOnly ? 0 : ES_NUMBER, digitsOnly ? ES_NUMBER : 0, 0);
  InvalidateRect(record->arrows, nullptr, TRUE);
  return 1;
}

LRESULT SetValue(SpinRecord* record, int value) {
  if (value < record->minimum || value > record->maximum) return 0;
  record->value = value;
  record->pending = false;
  SendMessageW(record->arrows, UDM_SETPOS32, 0, value);
  ShowNumber(record, value);
  return 1;
}

LRESULT Create(HWND control, const CREATESTRUCTW* create) {
  SpinRecord* record = new (std::nothrow) SpinRecord();
  if (!record) return -1;
  record->edit = CreateWindowExW(
      WS_EX_CLIENTEDGE, L"Edit", L"", WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | ES_AUTOHSCROLL,
      0, 0, create->cx, create->cy, control,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kSpinEditEditId)), create->hInstance, nullptr);
  if (record->edit)
    record->arrows = CreateUpDownControl(
        WS_CHILD | WS_VISIBLE | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_AUTOBUDDY | UDS_ARROWKEYS |
            UDS_NOTHOUSANDS,
        0, 0, 0, 0, control, kSpinEditArrowsId, create->hInstance, record->edit, 0, 0, 0);
  if (!record->edit || !record->arrows) {
    if (record->edit) DestroyWindow(record->edit);
    delete record;
    return -1;
  }
  SetWindowLongPtrW(control, 0, reinterpret_cast<LONG_PTR>(record));
  HWND parent = GetParent(control);
  const WPARAM font = parent ? static_cast<WPARAM>(SendMessageW(parent, WM_GETFONT, 0, 0)) : 0;
  SendMessageW(record->edit, WM_SETFONT, font, FALSE);
  SendMessageW(record->arrows, WM_SETFONT, font, FALSE);
  SendMessageW(record->arrows, UDM_SETRANGE32, 0, 0);
  SendMessageW(record->arrows, UDM_SETPOS32, 0, 0);
  ShowNumber(record, 0);
  return 0;
}

// An arrow step: refused at the ends of the range. Otherwise the value
// moves and the text still showing the previous number is committed at
// once; the up-down then writes the new position, committed a second later
// like typed text.
LRESULT DeltaPosition(HWND control, SpinRecord* record, const NMUPDOWN* change) {
  if ((change->iDelta < 0 && record->value <= record->minimum) ||
      (change->iDelta > 0 && record->value >= record->maximum)) {
    MessageBeep(0);
    return 1;
  }
  record->value = change->iPos + change->iDelta;
  Commit(control, record);
  return 0;
}

LRESULT CALLBACK SpinEditProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  SpinRecord* record = RecordOf(control);
  if (!record && message != WM_CREATE) return DefWindowProcW(control, message, wParam, lParam);
  switch (message) {
    case WM_CREATE:
      return Create(control, reinterpret_cast<const CREATESTRUCTW*>(lParam));
    case WM_SIZE:
      MoveWindow(record->edit, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      SendMessageW(record->arrows, UDM_SETBUDDY, reinterpret_cast<WPARAM>(record->edit), 0);
      return 0;
    case WM_SETFOCUS:
      SetFocus(record->edit);
      SelectAll(record);
      return 0;
    case WM_ENABLE:
      EnableWindow(record->edit, static_cast<BOOL>(wParam));
      EnableWindow(record->arrows, static_cast<BOOL>(wParam));
      return 0;
    case WM_SETFONT:
      SendMessageW(record->edit, WM_SETFONT, wParam, lParam);
      return 0;
    case WM_GETFONT:
      return SendMessageW(record->edit, WM_GETFONT, 0, 0);
    case WM_COMMAND:
      if (reinterpret_cast<HWND>(lParam) == record->edit) {
        if (HIWORD(wParam) == EN_CHANGE && !record->settingText) {
          record->pending = true;
          SetTimer(control, kSpinEditCommitTimer, 1000, nullptr);
        } else if (HIWORD(wParam) == EN_KILLFOCUS) {
          Commit(control, record);
        }
        return 0;
      }
      break;
    case WM_TIMER:
      if (wParam == kSpinEditCommitTimer) {
        KillTimer(control, kSpinEditCommitTimer);
        Commit(control, record);
        return 0;
      }
      break;
    case WM_NOTIFY: {
      const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->hwndFrom == record->arrows && header->code == UDN_DELTAPOS)
        return DeltaPosition(control, record, reinterpret_cast<const NMUPDOWN*>(lParam));
      break;
    }
    case SEM_SETRANGE:
      return SetRange(record, static_cast<int>(wParam), static_cast<int>(lParam));
    case SEM_SETVALUE:
      return SetValue(record, static_cast<int>(wParam));
    case SEM_GETVALUE:
      if (record->pending) Commit(control, record);
      return record->value;
    case WM_DESTROY:
      KillTimer(control, kSpinEditCommitTimer);
      SetWindowLongPtrW(control, 0, 0);
      delete record;
      return 0;
  }
  return DefWindowProcW(control, message, wParam, lParam);
}

}  // namespace

void ToHalfWidthText(wchar_t* text) {
  for (; text && *text; ++text) *text = ToHalfWidth(*text);
}

bool RegisterSpinEditClass(HINSTANCE instance) {
  return RegisterControlClass(instance, kSpinEditClass,
                              CS_GLOBALCLASS | CS_OWNDC | CS_HREDRAW | CS_VREDRAW, SpinEditProc);
}

int SpinEditSetRange(HWND control, int minimum, int maximum) {
  return static_cast<int>(SendMessageW(control, SEM_SETRANGE, static_cast<WPARAM>(minimum),
                                       static_cast<LPARAM>(maximum)));
}

int SpinEditSetValueKeepCaret(HWND control, int value) {
  SpinRecord* record = RecordOf(control);
  if (!record) return 0;
  DWORD start = 0;
  SendMessageW(record->edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
  const int result =
      static_cast<int>(SendMessageW(control, SEM_SETVALUE, static_cast<WPARAM>(value), 0));
  if (result) SendMessageW(record->edit, EM_SETSEL, start, start);
  return result;
}

int SpinEditGetValue(HWND control) {
  return static_cast<int>(SendMessageW(control, SEM_GETVALUE, 0, 0));
}

int SpinEditLimitText(HWND control, int count) {
  SpinRecord* record = RecordOf(control);
  if (!record) return 0;
  SendMessageW(record->edit, EM_LIMITTEXT, static_cast<WPARAM>(count), 0);
  return 1;
}
