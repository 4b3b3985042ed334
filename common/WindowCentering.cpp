#include "WindowCentering.h"

bool ComputeCenteredPosition(HWND window, HWND other, int* x, int* y) {
  if (!IsWindow(window) || IsIconic(window) || IsZoomed(window)) return false;
  RECT own;
  if (!GetWindowRect(window, &own)) return false;
  const int width = own.right - own.left;
  const int height = own.bottom - own.top;
  RECT reference;
  if (other && IsWindow(other) && IsWindowVisible(other) && GetWindowRect(other, &reference)) {
  } else {
    // The work area of the window's monitor (the taskbar left out), or the
    // primary screen when that is unknown.
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    HMONITOR handle = MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY);
    if (handle && GetMonitorInfoW(handle, &monitor)) {
      reference = monitor.rcWork;
    } else {
      reference.left = 0;
      reference.top = 0;
      reference.right = GetSystemMetrics(SM_CXSCREEN);
      reference.bottom = GetSystemMetrics(SM_CYSCREEN);
    }
  }
  CenterInArea(width, height, reference, x, y);
  return true;
}

void CenterInArea(int width, int height, const RECT& area, int* x, int* y) {
  int left = area.left + (area.right - area.left - width) / 2;
  int top = area.top + (area.bottom - area.top - height) / 2;
  int boundsLeft = GetSystemMetrics(SM_XVIRTUALSCREEN);
  int boundsTop = GetSystemMetrics(SM_YVIRTUALSCREEN);
  int boundsWidth = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  int boundsHeight = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  if (boundsWidth == 0) {
    boundsLeft = 0;
    boundsTop = 0;
    boundsWidth = GetSystemMetrics(SM_CXFULLSCREEN);
    boundsHeight = GetSystemMetrics(SM_CYFULLSCREEN);
  }
  const int boundsRight = boundsLeft + boundsWidth;
  const int boundsBottom = boundsTop + boundsHeight;
  left = left < boundsRight - width ? left : boundsRight - width;
  top = top < boundsBottom - height ? top : boundsBottom - height;
  if (left < boundsLeft) left = boundsLeft;
  if (top < boundsTop) top = boundsTop;
  if (x) *x = left;
  if (y) *y = top;
}

void CenterWindowOver(HWND window, HWND other) {
  int x = 0, y = 0;
  if (!ComputeCenteredPosition(window, other, &x, &y)) return;
  UINT flags = SWP_NOSIZE | SWP_NOZORDER;
  if (!IsWindowVisible(window)) flags |= SWP_NOACTIVATE;
  SetWindowPos(window, nullptr, x, y, 0, 0, flags);
}

void CenterDialogOnParent(HWND dialog) { CenterWindowOver(dialog, GetParent(dialog)); }
