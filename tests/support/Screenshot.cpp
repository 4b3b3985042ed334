#include "Screenshot.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "TestSupport.h"

namespace testsupport {

namespace {

// Handles this thread's messages for a while: a window of this process
// paints only while its thread does.
void Pump(DWORD ms) {
  const DWORD start = GetTickCount();
  for (DWORD spent = 0; spent < ms; spent = GetTickCount() - start) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - spent, QS_ALLINPUT);
  }
}

// The screen's pixels in rect, bottom row first, 24 bits each, rows padded
// to four bytes.
bool CopyScreen(const RECT& rect, std::vector<uint8_t>* pixels) {
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  const bool copied =
      BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY) != FALSE;
  SelectObject(memory, old);
  BITMAPINFOHEADER info = {sizeof info, width, height, 1, 24, BI_RGB};
  const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  pixels->assign(stride * static_cast<DWORD>(height), 0);
  const bool read = GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels->data(),
                              reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) == height;
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return copied && read;
}

}  // namespace

// The window is lifted above every other window and its rectangle copied
// from the screen once two copies in a row agree, that is once it has
// painted. (PrintWindow is no way round the screen: it draws a window of
// another process black, and one of this process without its controls.)
// Under scripts/test.sh every test has a screen of its own, so only its own
// windows can be there.
bool SaveWindowBitmap(HWND window, const std::wstring& path) {
  RECT rect;
  if (!GetWindowRect(window, &rect)) return false;
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return false;
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  const bool own = owner == GetCurrentProcessId();
  const bool wasTopmost = (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  // Asynchronous for another process: one the test holds still must not
  // hold the test.
  const UINT keep = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | (own ? 0 : SWP_ASYNCWINDOWPOS);
  SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, keep);
  if (own)
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  // A window that never stops changing (an animation) is taken as it is
  // after about three seconds.
  std::vector<uint8_t> pixels, previous;
  bool copied = false;
  for (int attempt = 0; attempt < 30; ++attempt) {
    Pump(100);
    if (!CopyScreen(rect, &pixels)) break;
    const bool settled = copied && pixels == previous;
    copied = true;
    previous.swap(pixels);
    if (settled) break;
  }
  if (!wasTopmost) SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, keep);
  if (!copied) return false;

  BITMAPINFOHEADER info = {sizeof info, width, height, 1, 24, BI_RGB};
  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(previous.size());
  std::vector<uint8_t> bytes(file.bfSize);
  memcpy(bytes.data(), &file, sizeof file);
  memcpy(bytes.data() + sizeof file, &info, sizeof info);
  memcpy(bytes.data() + file.bfOffBits, previous.data(), previous.size());
  return WriteFileBytes(path, bytes);
}

bool SaveScreenshot(HWND window, const std::wstring& name) {
  const std::wstring folder = BinPath(L"screenshots");
  CreateDirectoryW(folder.c_str(), nullptr);
  return SaveWindowBitmap(window, folder + L"\\" + name + L".bmp");
}

}  // namespace testsupport
