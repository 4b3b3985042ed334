#include "CheckListBox.h"

#include <commctrl.h>
#include <vssym32.h>
#include <windowsx.h>

#include <new>
#include <string>
#include <vector>

#include "ControlClass.h"
#include "ControlGlyph.h"
#include "VisualStyles.h"

const wchar_t kCheckListBoxClass[] = L"ZQCheckListBox";

namespace {

const int kCellWidth = 18;
const int kCellHeight = 17;
const int kIconSize = 16;
const int kMinItemHeight = 17;

struct ControlRecord {
  HWND list;
  bool showIcons;
  HIMAGELIST images;
  int lineHeight;
  WNDPROC previousListProc;
  HFONT font;
};

struct ItemRecord {
  int check;
  HICON icon;
  RECT label;
  int value;
};

ControlRecord* RecordOf(HWND control) {
  return control ? reinterpret_cast<ControlRecord*>(GetWindowLongPtrW(control, 0)) : nullptr;
}

ItemRecord* ItemOf(HWND list, int index) {
  LRESULT data = SendMessageW(list, LB_GETITEMDATA, static_cast<WPARAM>(index), 0);
  if (data == LB_ERR || data == 0) return nullptr;
  return reinterpret_cast<ItemRecord*>(data);
}

void Notify(HWND control, int code) {
  HWND parent = GetParent(control);
  if (!parent) return;
  const int id = GetDlgCtrlID(control);
  SendMessageW(parent, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control));
}

// Top of the check cell inside an item rectangle.
int CellTop(const RECT& item) { return item.top + (item.bottom - item.top - kCellHeight) / 2; }

// --- The classic check images: 11 x 11, 4 bits per pixel. ----------------

const int kImageSize = 11;
// '#' frame, '.' inside, 'x' check mark; top row first.
const char* const kCheckedRows[kImageSize] = {
    "###########", "#.........#", "#........x#", "#.......xx#", "#x.....xxx#", "#xx...xxx.#",
    "#xxx.xxx..#", "#.xxxxx...#", "#..xxx....#", "#...x.....#", "###########"};

ControlGlyph MakeImage(bool checked, bool enabled) {
  ControlGlyph image = MakeControlGlyph(kImageSize);
  image.colors[0] = GlyphColor(GetSysColor(COLOR_BTNSHADOW));                            // frame
  image.colors[1] = GlyphColor(GetSysColor(enabled ? COLOR_WINDOW : COLOR_BTNFACE));     // inside
  image.colors[2] = GlyphColor(GetSysColor(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));  // mark
  FillControlGlyph(image, kCheckedRows, [checked](char c) -> BYTE {
    if (!checked && c == 'x') c = '.';
    return c == '#' ? 0 : (c == 'x' ? 2 : 1);
  });
  return image;
}

// --- Drawing ----------------------------------------------------------------

void DrawCheckCell(HWND control, HDC dc, int x, int y, const ItemRecord& item, bool selected,
                   bool enabled) {
  visualstyles::ScopedTheme theme(control, L"BUTTON");
  if (theme) {
    int state;
    if (item.check)
      state = !enabled ? CBS_CHECKEDDISABLED : (selected ? CBS_CHECKEDHOT : CBS_CHECKEDNORMAL);
    else
      state = !enabled ? CBS_UNCHECKEDDISABLED : (selected ? CBS_UNCHECKEDHOT : CBS_UNCHECKEDNORMAL);
    RECT cell = {x + 4, y + 2, x + kCellWidth, y + 16};
    visualstyles::DrawThemedBackground(theme.get(), dc, BP_CHECKBOX, state, &cell, nullptr);
    return;
  }
  DrawControlGlyph(dc, x + 4, y + 3, MakeImage(item.check != 0, enabled));
}

std::wstring ItemText(HWND list, int index) {
  LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == LB_ERR || length <= 0) return std::wstring();
  std::vector<wchar_t> text(static_cast<size_t>(length) + 1);
  LRESULT got = SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index),
                             reinterpret_cast<LPARAM>(text.data()));
  if (got == LB_ERR) return std::wstring();
  return std::wstring(text.data());
}

void DrawLabel(HWND control, HDC dc, const std::wstring& text, const RECT& textRect,
               const RECT& label, bool selected, bool focused, bool enabled) {
  const DWORD themedFlags = DT_SINGLELINE | DT_VCENTER | DT_CENTER;
  visualstyles::ScopedTheme theme(control, L"LISTVIEW");
  // A theme whose selected item draws nothing would leave the selection
  // unseen: such an item takes the classic look below.
  const int selectedState = focused ? LISS_SELECTED : LISS_SELECTEDNOTFOCUS;
  if (theme && !(enabled && selected &&
                 !visualstyles::PartDrawsAnything(theme.get(), LVP_LISTITEM, selectedState))) {
    if (!enabled) {
      SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
      SetBkMode(dc, TRANSPARENT);
      RECT r = label;
      DrawTextW(dc, text.c_str(), -1, &r, themedFlags);
    } else if (selected) {
      visualstyles::DrawThemedBackground(theme.get(), dc, LVP_LISTITEM, selectedState, &label,
                                         nullptr);
      visualstyles::DrawThemedText(theme.get(), dc, LVP_LISTITEM, selectedState, text.c_str(),
                                   themedFlags, &label);
    } else {
      visualstyles::DrawThemedText(theme.get(), dc, LVP_LISTITEM, LISS_NORMAL, text.c_str(),
                                   themedFlags, &label);
    }
    return;
  }
  if (!enabled) {
    SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  } else if (selected) {
    FillRect(dc, &label, GetSysColorBrush(COLOR_HIGHLIGHT));
    SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
  } else {
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  }
  SetBkMode(dc, TRANSPARENT);
  RECT r = textRect;
  DrawTextW(dc, text.c_str(), -1, &r, DT_SINGLELINE | DT_VCENTER);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  SetBkColor(dc, GetSysColor(COLOR_WINDOW));
  if (focused) DrawFocusRect(dc, &label);
}

LRESULT DrawItem(HWND control, ControlRecord* record, const DRAWITEMSTRUCT* draw) {
  if (draw->itemID == static_cast<UINT>(-1)) return TRUE;
  ItemRecord* item = reinterpret_cast<ItemRecord*>(draw->itemData);
  if (!item) return TRUE;
  HDC dc = draw->hDC;
  const RECT& rect = draw->rcItem;
  const int x = rect.left;
  const int y = CellTop(rect);
  const int iconWidth = record->showIcons ? kIconSize : 0;
  const bool selected = (draw->itemState & ODS_SELECTED) != 0;
  const bool focused = (draw->itemState & ODS_FOCUS) != 0;
  const bool enabled = IsWindowEnabled(control) != FALSE;

  RECT rest = {x + iconWidth + kCellWidth, rect.top, rect.right, rect.bottom};
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rest, nullptr, 0, nullptr);

  DrawCheckCell(control, dc, x, y, *item, selected, enabled);

  if (record->showIcons && item->icon && record->images) {
    const int index = ImageList_AddIcon(record->images, item->icon);
    if (index >= 0) {
      ImageList_Draw(record->images, index, dc, x + kCellWidth, y,
                     selected ? ILD_SELECTED : ILD_NORMAL);
      ImageList_Remove(record->images, index);
    }
  }

  const std::wstring text = ItemText(draw->hwndItem, static_cast<int>(draw->itemID));
  RECT textRect = {x + iconWidth + 21, rect.top, rect.right, rect.bottom};
  RECT measured = textRect;
  DrawTextW(dc, text.c_str(), -1, &measured, DT_CALCRECT | DT_SINGLELINE | DT_VCENTER);
  textRect.right = measured.right;
  RECT label = {x + iconWidth + 19, rect.top, measured.right + 4, rect.bottom};
  DrawLabel(control, dc, text, textRect, label, selected, focused, enabled);

  if (record->showIcons) label.left -= 17;
  item->label = label;
  return TRUE;
}

// Height of a line of text in the font (the stock system font for none).
int MeasureLineHeight(HFONT font) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  if (!dc) return kMinItemHeight;
  HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(SYSTEM_FONT));
  RECT r = {0, 0, 0, 0};
  DrawTextW(dc, L"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789\u3042\u3044\u3046\u3048\u304A", -1, &r,
            DT_CALCRECT | DT_SINGLELINE);
  SelectObject(dc, old);
  DeleteDC(dc);
  return r.bottom - r.top;
}

void InvalidateCheckCell(HWND list, int index, const ControlRecord* record) {
  RECT item;
  if (SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index),
                   reinterpret_cast<LPARAM>(&item)) == LB_ERR)
    return;
  const int top = CellTop(item);
  RECT cell = {item.left, top, item.left + kCellWidth + (record->showIcons ? kIconSize : 0),
               top + kCellHeight};
  InvalidateRect(list, &cell, TRUE);
}

int SetOneCheck(HWND list, const ControlRecord* record, int index, int check) {
  ItemRecord* item = ItemOf(list, index);
  if (!item) return 0;
  RECT rect;
  if (SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index),
                   reinterpret_cast<LPARAM>(&rect)) == LB_ERR)
    return 0;
  item->check = check;
  InvalidateCheckCell(list, index, record);
  return 1;
}

// --- The inner list ----------------------------------------------------------

enum class HitArea { Label, Cell, Elsewhere };

HitArea HitTest(HWND list, LPARAM point, int* index) {
  const LRESULT hit = SendMessageW(list, LB_ITEMFROMPOINT, 0, point);
  *index = LOWORD(hit);
  if (HIWORD(hit) != 0) return HitArea::Elsewhere;
  RECT item;
  if (SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(*index),
                   reinterpret_cast<LPARAM>(&item)) == LB_ERR)
    return HitArea::Elsewhere;
  const int x = GET_X_LPARAM(point);
  const int y = GET_Y_LPARAM(point);
  const int top = CellTop(item);
  if (y < top || y >= top + kCellHeight) return HitArea::Elsewhere;
  if (x >= item.left && x < item.left + kCellWidth) return HitArea::Cell;
  const ItemRecord* record = ItemOf(list, *index);
  const int labelWidth = record ? record->label.right - record->label.left : 0;
  if (x >= item.left + kCellWidth && x < item.left + kCellWidth + labelWidth)
    return HitArea::Label;
  return HitArea::Elsewhere;
}

LRESULT CALLBACK CheckListInnerProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND control = GetParent(list);
  ControlRecord* record = RecordOf(control);
  if (!record || !record->previousListProc) return DefWindowProcW(list, message, wParam, lParam);
  const WNDPROC previous = record->previousListProc;
  switch (message) {
    case WM_KEYDOWN:
      if (wParam == VK_SPACE) {
        // Without a selection the key does nothing: the list's own handling
        // would select the caret item.
        const LRESULT selected = SendMessageW(list, LB_GETCURSEL, 0, 0);
        if (selected != LB_ERR) {
          const int index = static_cast<int>(selected);
          CheckListSetCheck(control, index, CheckListGetCheck(control, index) ? 0 : 1);
          Notify(control, kCheckListCheckChanged);
        }
        return 0;
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: {
      SetFocus(list);
      int index = 0;
      switch (HitTest(list, lParam, &index)) {
        case HitArea::Label:
          break;
        case HitArea::Cell:
          CheckListSetCheck(control, index, CheckListGetCheck(control, index) ? 0 : 1);
          SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
          Notify(control, kCheckListSelChanged);
          Notify(control, kCheckListCheckChanged);
          return 0;
        case HitArea::Elsewhere:
          SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
          Notify(control, kCheckListSelCleared);
          return DefWindowProcW(list, message, wParam, lParam);
      }
      break;
    }
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK: {
      int index = 0;
      if (HitTest(list, lParam, &index) != HitArea::Label) return 0;
      break;
    }
    case WM_MOUSEMOVE:
      return DefWindowProcW(list, message, wParam, lParam);
    case WM_DESTROY:
      SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
      record->previousListProc = nullptr;
      return CallWindowProcW(previous, list, message, wParam, lParam);
  }
  return CallWindowProcW(previous, list, message, wParam, lParam);
}

// --- The outer window ----------------------------------------------------------

void FreeRecord(HWND control, ControlRecord* record) {
  SetWindowLongPtrW(control, 0, 0);
  if (record->images) ImageList_Destroy(record->images);
  delete record;
}

LRESULT Create(HWND control, const CREATESTRUCTW* create) {
  ControlRecord* record = new (std::nothrow) ControlRecord();
  if (!record) return -1;
  record->showIcons = (create->style & kCheckListShowIcons) != 0;
  record->lineHeight = kMinItemHeight;
  // Stored first: the list asks its parent to measure its items while it
  // is created.
  SetWindowLongPtrW(control, 0, reinterpret_cast<LONG_PTR>(record));
  record->list = CreateWindowExW(
      0, L"ListBox", L"",
      WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS |
          LBS_NOINTEGRALHEIGHT,
      0, 0, 1, 1, control, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kCheckListInnerId)),
      create->hInstance, nullptr);
  record->images = ImageList_Create(kIconSize, kIconSize, ILC_COLOR32 | ILC_MASK, 0, 1);
  if (!record->list || !record->images) {
    if (record->list) DestroyWindow(record->list);
    FreeRecord(control, record);
    return -1;
  }
  record->previousListProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
      record->list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CheckListInnerProc)));
  SendMessageW(control, WM_SETFONT, SendMessageW(control, WM_GETFONT, 0, 0), FALSE);
  visualstyles::ApplyWindowTheme(control, L"explorer", nullptr);
  return 0;
}

LRESULT CALLBACK CheckListBoxProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  ControlRecord* record = RecordOf(control);
  switch (message) {
    case WM_NCCREATE:
      AddClientEdge(control);
      return TRUE;
    case WM_CREATE:
      return Create(control, reinterpret_cast<const CREATESTRUCTW*>(lParam));
    case WM_SIZE:
      if (record && record->list)
        MoveWindow(record->list, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    case WM_ENABLE:
      InvalidateRect(control, nullptr, TRUE);
      if (record && record->list) InvalidateRect(record->list, nullptr, TRUE);
      return 0;
    case WM_SETFOCUS:
      if (record && record->list) SetFocus(record->list);
      return 0;
    case WM_ACTIVATE:
      if ((LOWORD(wParam) == WA_ACTIVE || LOWORD(wParam) == WA_CLICKACTIVE) && record &&
          record->list)
        SetFocus(record->list);
      return 0;
    case WM_SETFONT:
      if (record) {
        record->font = reinterpret_cast<HFONT>(wParam);
        record->lineHeight = MeasureLineHeight(record->font);
        if (record->list) {
          SendMessageW(record->list, WM_SETFONT, wParam, lParam);
          const int height = record->lineHeight < kMinItemHeight ? kMinItemHeight
                                                                 : record->lineHeight;
          SendMessageW(record->list, LB_SETITEMHEIGHT, 0, MAKELPARAM(height, 0));
        }
        InvalidateRect(control, nullptr, TRUE);
      }
      return 0;
    case WM_GETFONT:
      return record ? reinterpret_cast<LRESULT>(record->font) : 0;
    case WM_MEASUREITEM: {
      // The list measures its one fixed height while it is being created,
      // before any font is known; WM_SETFONT sets the real height.
      MEASUREITEMSTRUCT* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      measure->itemHeight = kMinItemHeight;
      return TRUE;
    }
    case WM_DRAWITEM:
      if (!record) return FALSE;
      return DrawItem(control, record, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_DELETEITEM: {
      DELETEITEMSTRUCT* deleted = reinterpret_cast<DELETEITEMSTRUCT*>(lParam);
      ItemRecord* item = reinterpret_cast<ItemRecord*>(deleted->itemData);
      DELETEITEMSTRUCT forwarded = *deleted;
      forwarded.CtlID = static_cast<UINT>(GetDlgCtrlID(control));
      forwarded.hwndItem = control;
      forwarded.itemData = item ? static_cast<ULONG_PTR>(item->value) : 0;
      HWND parent = GetParent(control);
      if (parent)
        SendMessageW(parent, WM_DELETEITEM, forwarded.CtlID, reinterpret_cast<LPARAM>(&forwarded));
      delete item;
      return TRUE;
    }
    case WM_CTLCOLORLISTBOX: {
      HWND parent = GetParent(control);
      if (parent) return SendMessageW(parent, message, wParam, lParam);
      break;
    }
    case WM_NCPAINT:
      if (visualstyles::DrawThemedBorder(control, L"LISTBOX", LBCP_BORDER_NOSCROLL,
                                         IsWindowEnabled(control) ? LBPSN_NORMAL
                                                                  : LBPSN_DISABLED))
        return 0;
      break;
    case WM_COMMAND:
      if (record && reinterpret_cast<HWND>(lParam) == record->list) {
        if (HIWORD(wParam) == LBN_SELCHANGE) Notify(control, kCheckListSelChanged);
        if (HIWORD(wParam) == LBN_DBLCLK) Notify(control, kCheckListLabelDblClk);
        return 0;
      }
      break;
    case WM_DESTROY:
      if (record) {
        if (record->list) DestroyWindow(record->list);
        record->list = nullptr;
        FreeRecord(control, record);
      }
      return 0;
  }
  return DefWindowProcW(control, message, wParam, lParam);
}

}  // namespace

bool RegisterCheckListBoxClass(HINSTANCE instance) {
  return RegisterControlClass(instance, kCheckListBoxClass, CS_OWNDC, CheckListBoxProc);
}

int CheckListAddItem(HWND control, const wchar_t* text, int check, HICON icon) {
  ControlRecord* record = RecordOf(control);
  if (!record || !record->list) return -1;
  ItemRecord* item = new (std::nothrow) ItemRecord();
  if (!item) return -1;
  item->check = check;
  item->icon = icon;
  const LRESULT index = SendMessageW(record->list, LB_INSERTSTRING, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(text ? text : L""));
  if (index == LB_ERR || index == LB_ERRSPACE) {
    delete item;
    return -1;
  }
  if (SendMessageW(record->list, LB_SETITEMDATA, static_cast<WPARAM>(index),
                   reinterpret_cast<LPARAM>(item)) == LB_ERR) {
    SendMessageW(record->list, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
    delete item;
    return -1;
  }
  return static_cast<int>(index);
}

int CheckListGetCheck(HWND control, int index) {
  ControlRecord* record = RecordOf(control);
  if (!record || !record->list) return 0;
  const ItemRecord* item = ItemOf(record->list, index);
  return item ? item->check : 0;
}

int CheckListSetCheck(HWND control, int index, int check) {
  ControlRecord* record = RecordOf(control);
  if (!record || !record->list) return 0;
  if (index != -1) return SetOneCheck(record->list, record, index, check);
  const LRESULT count = SendMessageW(record->list, LB_GETCOUNT, 0, 0);
  int result = 1;
  for (LRESULT i = 0; i < count; ++i)
    if (!SetOneCheck(record->list, record, static_cast<int>(i), check)) result = 0;
  return result;
}
