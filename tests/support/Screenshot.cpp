#include "Screenshot.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "TestSupport.h"

namespace testsupport {

namespace {

// A window of this process draws itself into the picture. A window of
// another process cannot draw into a device context of this one (Wine
// refuses it): it is lifted above every other window for the moment its
// own rectangle is copied from the screen.
bool CaptureWindow(HWND window, HDC screen, HDC memory, const RECT& rect) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == GetCurrentProcessId()) return PrintWindow(window, memory, 0) != FALSE;
  const bool wasTopmost = (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  // Asynchronous: a process the test holds still must not hold the test.
  const UINT keep = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS;
  SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, keep);
  Sleep(300);  // the other process paints what came to light
  const bool copied = BitBlt(memory, 0, 0, rect.right - rect.left, rect.bottom - rect.top, screen,
                             rect.left, rect.top, SRCCOPY) != FALSE;
  if (!wasTopmost) SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, keep);
  return copied;
}

}  // namespace

bool SaveWindowBitmap(HWND window, const std::wstring& path) {
  RECT rect;
  if (!GetWindowRect(window, &rect)) return false;
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return false;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  const bool drawn = CaptureWindow(window, screen, memory, rect);
  SelectObject(memory, old);
  BITMAPINFOHEADER info = {sizeof info, width, height, 1, 24, BI_RGB};
  const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  std::vector<uint8_t> pixels(stride * static_cast<DWORD>(height));
  GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(),
            reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (!drawn) return false;

  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  std::vector<uint8_t> bytes(file.bfSize);
  memcpy(bytes.data(), &file, sizeof file);
  memcpy(bytes.data() + sizeof file, &info, sizeof info);
  memcpy(bytes.data() + file.bfOffBits, pixels.data(), pixels.size());
  return WriteFileBytes(path, bytes);
}

bool SaveScreenshot(HWND window, const std::wstring& name) {
  Sleep(400);  // let the window finish painting
  const std::wstring folder = BinPath(L"screenshots");
  CreateDirectoryW(folder.c_str(), nullptr);
  return SaveWindowBitmap(window, folder + L"\\" + name + L".bmp");
}

}  // namespace testsupport
