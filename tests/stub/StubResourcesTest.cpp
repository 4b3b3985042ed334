// The stub's own pictures as the wizard gets them. The two large ones are
// stored run-length encoded: each way the stub loads them (LoadBitmapW for
// the new-style sheet, a dialog's bitmap static for the classic pages, a
// DIB section) must give the whole picture the right way up: the blue ramp
// from dark at the top to light at the bottom, the white arrow at a third of
// the height.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "WizardResource.h"

namespace {

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<COLORREF> pixels;  // rows top first
  COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

Picture Read(HBITMAP bitmap) {
  Picture picture;
  BITMAP info = {};
  if (!bitmap || !GetObjectW(bitmap, sizeof info, &info)) return picture;
  BITMAPINFO request = {};
  request.bmiHeader.biSize = sizeof(request.bmiHeader);
  request.bmiHeader.biWidth = info.bmWidth;
  request.bmiHeader.biHeight = -info.bmHeight;
  request.bmiHeader.biPlanes = 1;
  request.bmiHeader.biBitCount = 32;
  request.bmiHeader.biCompression = BI_RGB;
  std::vector<DWORD> bits(static_cast<size_t>(info.bmWidth) * info.bmHeight);
  HDC screen = GetDC(nullptr);
  const int rows = GetDIBits(screen, bitmap, 0, info.bmHeight, bits.data(), &request,
                             DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (rows != info.bmHeight) return picture;
  picture.width = info.bmWidth;
  picture.height = info.bmHeight;
  for (DWORD bgr : bits) picture.pixels.push_back(RGB(bgr >> 16 & 0xFF, bgr >> 8 & 0xFF, bgr & 0xFF));
  return picture;
}

bool Near(COLORREF a, COLORREF b) {
  return abs(GetRValue(a) - GetRValue(b)) <= 8 && abs(GetGValue(a) - GetGValue(b)) <= 8 &&
         abs(GetBValue(a) - GetBValue(b)) <= 8;
}

// The drawing's first and last ramp colours (resources/stub/make_bitmaps.py).
const COLORREF kTopBlue = RGB(0x10, 0x30, 0x80);
const COLORREF kBottomBlue = RGB(0x10 + 11 * 9, 0x30 + 11 * 11, 0x80 + 11 * 8);
const COLORREF kWhite = RGB(255, 255, 255);

void ExpectPanelPicture(const Picture& picture, int width, int height, const char* how) {
  SCOPED_TRACE(how);
  ASSERT_EQ(picture.width, width);
  ASSERT_EQ(picture.height, height);
  for (int x : {0, width / 4, width - 1}) {
    EXPECT_TRUE(Near(picture.At(x, 0), kTopBlue)) << x << " " << std::hex << picture.At(x, 0);
    EXPECT_TRUE(Near(picture.At(x, height - 1), kBottomBlue))
        << x << " " << std::hex << picture.At(x, height - 1);
  }
  // The arrow's shaft ends at the box's top edge in the middle.
  EXPECT_TRUE(Near(picture.At(width / 2, height / 3), kWhite));
  EXPECT_TRUE(Near(picture.At(width / 2, height / 3 - width / 8), kWhite));
  // Each row left of the picture is one colour, darker above than below.
  for (int y = 1; y < height; ++y) {
    ASSERT_LE(GetGValue(picture.At(0, y - 1)), GetGValue(picture.At(0, y))) << y;
  }
}

INT_PTR CALLBACK PlainPage(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

TEST(StubResources, LargeWizardPicturesLoadWholeEveryWay) {
  HINSTANCE module = GetModuleHandleW(nullptr);
  const struct {
    UINT id;
    int width, height;
  } pictures[] = {{IDB_WIZ97_WATERMARK, 164, 314}, {IDB_WIZ_PANEL, 138, 253}};
  for (const auto& p : pictures) {
    SCOPED_TRACE(p.id);
    HBITMAP loaded = LoadBitmapW(module, MAKEINTRESOURCEW(p.id));
    ExpectPanelPicture(Read(loaded), p.width, p.height, "LoadBitmapW");
    DeleteObject(loaded);
    HBITMAP section = static_cast<HBITMAP>(
        LoadImageW(module, MAKEINTRESOURCEW(p.id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ExpectPanelPicture(Read(section), p.width, p.height, "DIB section");
    DeleteObject(section);
  }

  // The classic pages show the panel through their bitmap static, in both
  // languages' templates.
  HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               module, nullptr);
  ASSERT_NE(owner, nullptr);
  for (LANGID language : {MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                          MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)}) {
    SCOPED_TRACE(language);
    HRSRC found = FindResourceExW(module, RT_DIALOG, MAKEINTRESOURCEW(IDD_WIZ_WELCOME), language);
    ASSERT_NE(found, nullptr);
    auto dialog = static_cast<const DLGTEMPLATE*>(LockResource(LoadResource(module, found)));
    HWND page = CreateDialogIndirectParamW(module, dialog, owner, PlainPage, 0);
    ASSERT_NE(page, nullptr);
    HBITMAP shown = reinterpret_cast<HBITMAP>(
        SendDlgItemMessageW(page, IDC_WIZ_PANEL, STM_GETIMAGE, IMAGE_BITMAP, 0));
    ExpectPanelPicture(Read(shown), 138, 253, "bitmap static");
    DestroyWindow(page);
  }
  DestroyWindow(owner);
}

}  // namespace
