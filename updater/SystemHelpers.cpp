#include "SystemHelpers.h"

#include <algorithm>

namespace {

struct VersionAnswer {
  bool known;
  bool answer;
};

VersionAnswer vistaAnswer = {false, false};
VersionAnswer xpAnswer = {false, false};

bool QueryVersion(OSVERSIONINFOW* info) {
  ZeroMemory(info, sizeof *info);
  info->dwOSVersionInfoSize = sizeof *info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  return GetVersionExW(info) != FALSE;
#pragma GCC diagnostic pop
}

}  // namespace

bool IsVistaOrLater() {
  if (vistaAnswer.known) return vistaAnswer.answer;
  OSVERSIONINFOW info;
  if (!QueryVersion(&info)) return false;
  vistaAnswer.answer = info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion > 5;
  vistaAnswer.known = true;
  return vistaAnswer.answer;
}

bool IsXPOrLater() {
  if (xpAnswer.known) return xpAnswer.answer;
  OSVERSIONINFOW info;
  if (!QueryVersion(&info)) return false;
  xpAnswer.answer = info.dwPlatformId == VER_PLATFORM_WIN32_NT &&
                    (info.dwMajorVersion >= 6 ||
                     (info.dwMajorVersion == 5 && info.dwMinorVersion != 0));
  xpAnswer.known = true;
  return xpAnswer.answer;
}

void PumpPendingMessages(HWND dialog) {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(0);
      return;
    }
    if (dialog && IsDialogMessageW(dialog, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

bool GetProcAddressChecked(HMODULE module, const char* name, FARPROC* address) {
  if (!module || !name) return false;
  FARPROC found = GetProcAddress(module, name);
  if (!found) return false;
  if (address) *address = found;
  return true;
}

bool CalcCentredPosition(HWND window, HWND reference, int* x, int* y) {
  if (!IsWindow(window) || IsIconic(window) || IsZoomed(window)) return false;
  RECT area;
  if (reference && IsWindowVisible(reference) && IsWindow(reference)) {
    GetWindowRect(reference, &area);
  } else {
    area.left = 0;
    area.top = 0;
    area.right = GetSystemMetrics(SM_CXSCREEN);
    area.bottom = GetSystemMetrics(SM_CYSCREEN);
    typedef HMONITOR(WINAPI * MonitorFromWindowFn)(HWND, DWORD);
    typedef BOOL(WINAPI * GetMonitorInfoFn)(HMONITOR, LPMONITORINFO);
    HMODULE user = GetModuleHandleW(L"user32.dll");
    FARPROC fromWindow = nullptr;
    FARPROC monitorInfo = nullptr;
    if (GetProcAddressChecked(user, "MonitorFromWindow", &fromWindow) &&
        GetProcAddressChecked(user, "GetMonitorInfoW", &monitorInfo)) {
      HMONITOR monitor = reinterpret_cast<MonitorFromWindowFn>(reinterpret_cast<void*>(fromWindow))(
          window, MONITOR_DEFAULTTOPRIMARY);
      MONITORINFO info = {};
      info.cbSize = sizeof info;
      if (monitor &&
          reinterpret_cast<GetMonitorInfoFn>(reinterpret_cast<void*>(monitorInfo))(monitor, &info))
        area = info.rcWork;
    }
  }
  RECT own;
  GetWindowRect(window, &own);
  const int w = own.right - own.left;
  const int h = own.bottom - own.top;
  int left = area.left + ((area.right - area.left) - w) / 2;
  int top = area.top + ((area.bottom - area.top) - h) / 2;
  int originX = GetSystemMetrics(SM_XVIRTUALSCREEN);
  int originY = GetSystemMetrics(SM_YVIRTUALSCREEN);
  int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  if (width == 0) {
    originX = 0;
    originY = 0;
    width = GetSystemMetrics(SM_CXFULLSCREEN);
    height = GetSystemMetrics(SM_CYFULLSCREEN);
  }
  left = std::max(originX, std::min(left, originX + width - w));
  top = std::max(originY, std::min(top, originY + height - h));
  *x = left;
  *y = top;
  return true;
}

void CentreWindow(HWND window, HWND reference) {
  int x = 0;
  int y = 0;
  if (!CalcCentredPosition(window, reference, &x, &y)) return;
  UINT flags = SWP_NOSIZE | SWP_NOZORDER;
  if (!IsWindowVisible(window)) flags |= SWP_NOACTIVATE;
  SetWindowPos(window, nullptr, x, y, 0, 0, flags);
}

LRESULT GetSelectedListItem(HWND list, LVITEMW* item) {
  if (!item) return 0;
  const int row = static_cast<int>(
      SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  if (row < 0) return 0;
  item->iItem = row;
  return SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(item));
}
