#include "ColorPicker.h"

#include <commctrl.h>
#include <commdlg.h>
#include <vssym32.h>
#include <windowsx.h>

#include <cstdio>
#include <new>

#include "ControlClass.h"
#include "ControlGlyph.h"
#include "VisualStyles.h"

const wchar_t kColorPickerClass[] = L"ZQColorPicker";

namespace {

const COLORREF kWhite = 0xFFFFFF;

struct PickerRecord {
  COLORREF color;
  bool pressed;   // the button is drawn pushed
  bool tracking;  // the left button went down on the button; mouse captured
  bool hot;       // the mouse is over the control, leave tracking on
  HWND tooltip;
};

COLORREF g_customColors[16];
bool g_customColorsSet = false;

PickerRecord* RecordOf(HWND control) {
  return reinterpret_cast<PickerRecord*>(GetWindowLongPtrW(control, 0));
}

// The drop-down button: the rightmost 16 pixels, or 17 with visual styles,
// which also reach one pixel beyond the client area at top, right and
// bottom.
RECT ButtonRect(HWND control, bool themed) {
  RECT client;
  GetClientRect(control, &client);
  if (themed) return {client.right - 17, client.top - 1, client.right + 1, client.bottom + 1};
  return {client.right - 16, client.top, client.right, client.bottom};
}

bool HasTheme(HWND control) {
  visualstyles::ScopedTheme theme(control, L"BUTTON");
  return static_cast<bool>(theme);
}

void InvalidateButton(HWND control) {
  RECT button = ButtonRect(control, HasTheme(control));
  InvalidateRect(control, &button, FALSE);
}

// --- The arrow glyph: 12 x 12, 4 bits per pixel. ------------------------------
// Palette entries 7, 8 and 15 take the button face, shadow and highlight
// colours; 0 is black.
const int kGlyphSize = 12;
const char* const kArrowRows[kGlyphSize] = {
    "777777777777", "777777777777", "777777777777", "777777777777",
    "770000000777", "777000007777", "777700077777", "777770777777",
    "777777777777", "777777777777", "777777777777", "777777777777"};
const char* const kDisabledArrowRows[kGlyphSize] = {
    "777777777777", "777777777777", "777777777777", "777777777777",
    "778888888777", "77788888F777", "77778887F777", "77777877F777",
    "777777FF7777", "777777777777", "777777777777", "777777777777"};

ControlGlyph MakeGlyph(bool enabled) {
  ControlGlyph glyph = MakeControlGlyph(kGlyphSize);
  glyph.colors[0] = GlyphColor(RGB(0, 0, 0));
  glyph.colors[7] = GlyphColor(GetSysColor(COLOR_BTNFACE));
  glyph.colors[8] = GlyphColor(GetSysColor(COLOR_BTNSHADOW));
  glyph.colors[15] = GlyphColor(GetSysColor(COLOR_BTNHIGHLIGHT));
  FillControlGlyph(glyph, enabled ? kArrowRows : kDisabledArrowRows,
                   [](char c) { return static_cast<BYTE>(c == 'F' ? 15 : c - '0'); });
  return glyph;
}

void DrawGlyph(HDC dc, const RECT& button, bool pressed, bool enabled, bool themed) {
  const ControlGlyph glyph = MakeGlyph(enabled);
  int x = button.left + (button.right - button.left - kGlyphSize) / 2;
  int y = button.top + (button.bottom - button.top - kGlyphSize) / 2;
  if (pressed) {
    ++x;
    ++y;
  }
  if (!themed) {
    DrawControlGlyph(dc, x, y, glyph);
    return;
  }
  HDC memory = CreateCompatibleDC(dc);
  HBITMAP bitmap = memory ? CreateCompatibleBitmap(dc, kGlyphSize, kGlyphSize) : nullptr;
  if (bitmap) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    DrawControlGlyph(memory, 0, 0, glyph);
    GdiTransparentBlt(dc, x, y, kGlyphSize, kGlyphSize, memory, 0, 0, kGlyphSize, kGlyphSize,
                      GetSysColor(COLOR_BTNFACE));
    SelectObject(memory, old);
    DeleteObject(bitmap);
  }
  if (memory) DeleteDC(memory);
}

void Paint(HWND control, PickerRecord* record, HDC dc) {
  const bool focused = GetFocus() == control;
  const bool enabled = IsWindowEnabled(control) != FALSE;
  const bool pressed = record->pressed || (focused && GetKeyState(VK_SPACE) < 0);
  visualstyles::ScopedTheme theme(control, L"BUTTON");
  const bool themed = static_cast<bool>(theme);
  const RECT button = ButtonRect(control, themed);
  RECT client;
  GetClientRect(control, &client);
  RECT swatch = {client.left, client.top, button.left, client.bottom};

  HBRUSH brush = CreateSolidBrush(record->color);
  FillRect(dc, &swatch, brush);
  DeleteObject(brush);
  if (focused) DrawFocusRect(dc, &swatch);

  if (themed) {
    int state = PBS_NORMAL;
    if (!enabled)
      state = PBS_DISABLED;
    else if (pressed)
      state = PBS_PRESSED;
    else if (record->hot)
      state = PBS_HOT;
    else if (focused)
      state = PBS_DEFAULTED;
    visualstyles::DrawThemedBackground(theme.get(), dc, BP_PUSHBUTTON, state, &button, nullptr);
  } else {
    RECT frame = button;
    DrawFrameControl(dc, &frame, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
  }
  DrawGlyph(dc, button, pressed, enabled, themed);
  if (!themed && focused) {
    RECT focus = button;
    InflateRect(&focus, -1, -1);
    if (pressed) OffsetRect(&focus, 1, 1);
    DrawFocusRect(dc, &focus);
  }
}

void SetColor(HWND control, COLORREF color) {
  SendMessageW(control, BM_SETCHECK, static_cast<WPARAM>(color), 0);
}

void OpenColorDialog(HWND control, PickerRecord* record) {
  record->pressed = false;
  record->tracking = false;
  InvalidateRect(control, nullptr, FALSE);
  CHOOSECOLORW choose = {};
  choose.lStructSize = sizeof choose;
  choose.hwndOwner = GetParent(control);
  choose.rgbResult = record->color;
  choose.lpCustColors = g_customColors;
  choose.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ANYCOLOR;
  if (ChooseColorW(&choose)) SetColor(control, choose.rgbResult);
}

bool InButton(HWND control, LPARAM point) {
  const RECT button = ButtonRect(control, HasTheme(control));
  const POINT p = {GET_X_LPARAM(point), GET_Y_LPARAM(point)};
  return PtInRect(&button, p) != FALSE;
}

LRESULT Create(HWND control) {
  PickerRecord* record = new (std::nothrow) PickerRecord();
  if (!record) return -1;
  if (!g_customColorsSet) {
    for (COLORREF& color : g_customColors) color = kWhite;
    g_customColorsSet = true;
  }
  record->color = kWhite;
  SetWindowLongPtrW(control, 0, reinterpret_cast<LONG_PTR>(record));
  record->tooltip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                    control, nullptr, nullptr, nullptr);
  if (!record->tooltip) {
    MessageBeep(0);
    return 0;
  }
  TTTOOLINFOW tool = {};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = control;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = LPSTR_TEXTCALLBACKW;
  SendMessageW(record->tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  return 0;
}

// --- Message handlers ------------------------------------------------------------

LRESULT OnPaint(HWND control, PickerRecord* record) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(control, &paint);
  if (dc) Paint(control, record, dc);
  EndPaint(control, &paint);
  return 0;
}

// BM_SETCHECK: stores the colour and tells the parent, as a click would.
LRESULT OnSetColor(HWND control, PickerRecord* record, COLORREF color) {
  const COLORREF previous = record->color;
  record->color = color;
  InvalidateRect(control, nullptr, FALSE);
  HWND parent = GetParent(control);
  if (parent)
    SendMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), BN_CLICKED),
                 reinterpret_cast<LPARAM>(control));
  return static_cast<LRESULT>(previous);
}

// The tooltip's text; false for every other notification.
bool OnTooltipText(PickerRecord* record, NMHDR* header) {
  if (header->code != TTN_GETDISPINFOW) return false;
  NMTTDISPINFOW* info = reinterpret_cast<NMTTDISPINFOW*>(header);
  swprintf(info->szText, sizeof info->szText / sizeof info->szText[0], L"RGB (%u, %u, %u)",
           static_cast<unsigned>(GetRValue(record->color)),
           static_cast<unsigned>(GetGValue(record->color)),
           static_cast<unsigned>(GetBValue(record->color)));
  info->lpszText = info->szText;
  return true;
}

void OnButtonDown(HWND control, PickerRecord* record, LPARAM point) {
  if (!InButton(control, point)) return;
  record->pressed = true;
  record->tracking = true;
  InvalidateButton(control);
  SetCapture(control);
}

void OnMouseMove(HWND control, PickerRecord* record, LPARAM point) {
  if (!record->hot) {
    record->hot = true;
    TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, control, 0};
    TrackMouseEvent(&track);
    if (HasTheme(control)) InvalidateButton(control);
  }
  if (record->tracking) {
    const bool inside = InButton(control, point);
    if (inside != record->pressed) {
      record->pressed = inside;
      InvalidateButton(control);
    }
  }
}

void OnButtonUp(HWND control, PickerRecord* record, LPARAM point) {
  if (GetCapture() == control) ReleaseCapture();
  record->pressed = false;
  record->tracking = false;
  InvalidateButton(control);
  if (InButton(control, point)) OpenColorDialog(control, record);
}

// Space pushes the button and opens the dialog when it is let go; false
// for every other key.
bool OnKeyDown(HWND control, PickerRecord* record, WPARAM key) {
  if (key != VK_SPACE) return false;
  record->pressed = true;
  InvalidateButton(control);
  return true;
}

bool OnKeyUp(HWND control, PickerRecord* record, WPARAM key) {
  if (key != VK_SPACE || !record->pressed || record->tracking) return false;
  record->pressed = false;
  InvalidateButton(control);
  OpenColorDialog(control, record);
  return true;
}

void OnMouseLeave(HWND control, PickerRecord* record) {
  record->hot = false;
  if (HasTheme(control)) InvalidateButton(control);
}

void OnDestroy(HWND control, PickerRecord* record) {
  if (GetCapture() == control) ReleaseCapture();
  if (record->tooltip) DestroyWindow(record->tooltip);
  SetWindowLongPtrW(control, 0, 0);
  delete record;
}

LRESULT CALLBACK ColorPickerProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  PickerRecord* record = RecordOf(control);
  if (!record && message != WM_NCCREATE && message != WM_CREATE)
    return DefWindowProcW(control, message, wParam, lParam);
  switch (message) {
    case WM_NCCREATE:
      AddClientEdge(control);
      break;
    case WM_CREATE:
      return Create(control);
    case WM_PAINT:
      return OnPaint(control, record);
    case WM_PRINTCLIENT:
      Paint(control, record, reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_NCPAINT:
      DefWindowProcW(control, message, wParam, lParam);
      visualstyles::DrawThemedBorder(control, L"EDIT", EP_EDITTEXT, ETS_FOCUSED);
      return 0;
    case BM_GETCHECK:
      return static_cast<LRESULT>(record->color);
    case BM_SETCHECK:
      return OnSetColor(control, record, static_cast<COLORREF>(wParam));
    case WM_NOTIFY:
      if (OnTooltipText(record, reinterpret_cast<NMHDR*>(lParam))) return 0;
      break;
    case WM_LBUTTONDOWN:
      OnButtonDown(control, record, lParam);
      return 0;
    case WM_MOUSEMOVE:
      OnMouseMove(control, record, lParam);
      return 0;
    case WM_LBUTTONUP:
      OnButtonUp(control, record, lParam);
      return 0;
    case WM_LBUTTONDBLCLK:
      OpenColorDialog(control, record);
      return 0;
    case WM_KEYDOWN:
      if (OnKeyDown(control, record, wParam)) return 0;
      break;
    case WM_KEYUP:
      if (OnKeyUp(control, record, wParam)) return 0;
      break;
    case WM_MOUSELEAVE:
      OnMouseLeave(control, record);
      return 0;
    case WM_MOUSEACTIVATE:
      SetFocus(control);
      InvalidateRect(control, nullptr, FALSE);
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
      InvalidateRect(control, nullptr, FALSE);
      return 0;
    case WM_DESTROY:
      OnDestroy(control, record);
      return 0;
  }
  return DefWindowProcW(control, message, wParam, lParam);
}

}  // namespace

bool RegisterColorPickerClass(HINSTANCE instance) {
  return RegisterControlClass(instance, kColorPickerClass, CS_GLOBALCLASS | CS_OWNDC | CS_DBLCLKS,
                              ColorPickerProc);
}

const COLORREF* ColorPickerCustomColors() { return g_customColors; }
