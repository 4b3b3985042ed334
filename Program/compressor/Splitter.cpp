#include "Splitter.h"

#include <windowsx.h>

#include "WindowClasses.h"

const wchar_t kSplitterClass[] = L"Sardok_Splitter";

namespace {

struct SplitterState {
  HWND first;
  HWND second;
  int position;
  int dragPosition;
  int dragging;
  int stacked;
  HCURSOR sideBySideCursor;
  HCURSOR stackedCursor;
};

SplitterState* StateOf(HWND window) {
  return reinterpret_cast<SplitterState*>(GetWindowLongPtrW(window, 0));
}

bool HasPanes(const SplitterState* state) {
  return state && IsWindow(state->first) && IsWindow(state->second);
}

// The client extent along the split.
int Extent(HWND window, const SplitterState* state) {
  RECT client;
  GetClientRect(window, &client);
  return state->stacked ? client.bottom : client.right;
}

int Clamp(int value, int extent) {
  if (value > extent - kSplitterBarWidth) value = extent - kSplitterBarWidth;
  if (value < kSplitterMinimum) value = kSplitterMinimum;
  return value;
}

void Layout(HWND window, const SplitterState* state) {
  RECT client;
  GetClientRect(window, &client);
  const int position = state->position;
  if (state->stacked) {
    if (IsWindow(state->first)) MoveWindow(state->first, 0, 0, client.right, position, TRUE);
    if (IsWindow(state->second))
      MoveWindow(state->second, 0, position + kSplitterBarWidth, client.right,
                 client.bottom - position - kSplitterBarWidth, TRUE);
  } else {
    if (IsWindow(state->first)) MoveWindow(state->first, 0, 0, position, client.bottom, TRUE);
    if (IsWindow(state->second))
      MoveWindow(state->second, position + kSplitterBarWidth, 0,
                 client.right - position - kSplitterBarWidth, client.bottom, TRUE);
  }
}

// Two nested focus rectangles on the top-level window: drawn twice, erased.
void DrawBar(HWND window, const SplitterState* state, int position) {
  HWND top = window;
  while (HWND parent = GetParent(top)) top = parent;
  RECT client;
  GetClientRect(window, &client);
  RECT bar = state->stacked ? RECT{0, position, client.right, position + kSplitterBarWidth}
                            : RECT{position, 0, position + kSplitterBarWidth, client.bottom};
  MapWindowPoints(window, top, reinterpret_cast<POINT*>(&bar), 2);
  HDC dc = GetDC(top);
  if (!dc) return;
  DrawFocusRect(dc, &bar);
  InflateRect(&bar, -1, -1);
  DrawFocusRect(dc, &bar);
  ReleaseDC(top, dc);
}

LRESULT CALLBACK SplitterProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  SplitterState* state = StateOf(window);
  switch (message) {
    case WM_CREATE: {
      state = static_cast<SplitterState*>(
          HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(SplitterState)));
      if (!state) return -1;
      SetWindowLongPtrW(window, 0, reinterpret_cast<LONG_PTR>(state));
      SetWindowLongPtrW(window, GWL_STYLE, GetWindowLongPtrW(window, GWL_STYLE) | WS_CLIPCHILDREN);
      SetWindowLongPtrW(window, GWL_EXSTYLE,
                        GetWindowLongPtrW(window, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
      state->stacked = (GetWindowLongPtrW(window, GWL_STYLE) & kSplitterStacked) ? 1 : 0;
      state->sideBySideCursor = LoadCursorW(nullptr, IDC_SIZEWE);
      state->stackedCursor = LoadCursorW(nullptr, IDC_SIZENS);
      state->position = 30;
      return 0;
    }
    case WM_DESTROY:
      if (state) {
        SetWindowLongPtrW(window, 0, 0);
        HeapFree(GetProcessHeap(), 0, state);
      }
      return 0;
    case WM_SIZE:
      if (state) Layout(window, state);
      return 0;
    case WM_SETFOCUS:
      if (state && IsWindow(state->first)) SetFocus(state->first);
      return 0;
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wParam) == window && LOWORD(lParam) == HTCLIENT) {
        SetCursor(!state ? LoadCursorW(nullptr, IDC_ARROW)
                         : state->stacked ? state->stackedCursor : state->sideBySideCursor);
        return TRUE;
      }
      break;
    case WM_STYLECHANGED:
      if (state && wParam == static_cast<WPARAM>(GWL_STYLE)) {
        const STYLESTRUCT* styles = reinterpret_cast<const STYLESTRUCT*>(lParam);
        state->stacked = (styles->styleNew & kSplitterStacked) ? 1 : 0;
        Layout(window, state);
      }
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTTAB;
    case WM_LBUTTONDOWN:
      if (HasPanes(state)) {
        const int extent = Extent(window, state);
        state->dragging = 1;
        state->dragPosition = state->position < 0 ? 0
                              : state->position > extent ? extent : state->position;
        DrawBar(window, state, state->dragPosition);
        SetCapture(window);
      }
      return 0;
    case WM_MOUSEMOVE:
      if (state && state->dragging) {
        const int at = state->stacked ? static_cast<short>(HIWORD(lParam))
                                      : static_cast<short>(LOWORD(lParam));
        if (at != state->dragPosition) {
          DrawBar(window, state, state->dragPosition);
          state->dragPosition = Clamp(at, Extent(window, state));
          DrawBar(window, state, state->dragPosition);
        }
      }
      return 0;
    case WM_LBUTTONUP:
      if (state && state->dragging) {
        DrawBar(window, state, state->dragPosition);
        state->position = state->dragPosition;
        Layout(window, state);
        ReleaseCapture();
        state->dragging = 0;
      }
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

void RegisterSplitterClass(HINSTANCE instance) {
  RegisterCompressorClass(instance, {kSplitterClass, SplitterProc, CS_GLOBALCLASS | CS_OWNDC,
                                     COLOR_BTNFACE, sizeof(void*), 0, 0});
}

bool SetSplitterPanes(HWND splitter, HWND first, HWND second) {
  SplitterState* state = StateOf(splitter);
  if (!state || !IsWindow(first) || !IsWindow(second)) return false;
  state->first = first;
  state->second = second;
  Layout(splitter, state);
  return true;
}

bool SetSplitterPosition(HWND splitter, int position) {
  SplitterState* state = StateOf(splitter);
  if (!HasPanes(state)) return false;
  RECT client;
  GetClientRect(splitter, &client);
  state->position = Clamp(position, client.right);
  Layout(splitter, state);
  return true;
}

int GetSplitterPosition(HWND splitter) {
  SplitterState* state = StateOf(splitter);
  return HasPanes(state) ? state->position : 0;
}
