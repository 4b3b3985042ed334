#include "Screenshot.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "TestSupport.h"

namespace testsupport {

bool SaveWindowBitmap(HWND window, const std::wstring& path, PictureSource source) {
  RECT rect;
  if (!GetWindowRect(window, &rect)) return false;
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return false;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  if (source == PictureSource::Window)
    PrintWindow(window, memory, 0);
  else
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFOHEADER info = {sizeof info, width, height, 1, 24, BI_RGB};
  const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  std::vector<uint8_t> pixels(stride * static_cast<DWORD>(height));
  GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(),
            reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);

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

bool SaveScreenshot(HWND window, const std::wstring& name, PictureSource source) {
  Sleep(400);  // let the window finish painting
  const std::wstring folder = BinPath(L"screenshots");
  CreateDirectoryW(folder.c_str(), nullptr);
  return SaveWindowBitmap(window, folder + L"\\" + name + L".bmp", source);
}

}  // namespace testsupport
