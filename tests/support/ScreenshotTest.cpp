// Pictures of windows show the window as it is drawn, its child windows
// included, whether it belongs to this program or to another, and also
// while another test keeps a window of its own above everything
// (screenshot-alone.sh runs these beside such a test).
#include "Screenshot.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "DialogDriver.h"
#include "TestSupport.h"

namespace {

const COLORREF kFace = RGB(0, 0, 255);
const COLORREF kInner = RGB(255, 0, 0);
const COLORREF kCover = RGB(255, 0, 255);
const wchar_t kTargetTitle[] = L"Screenshot target";

// A window filled with the colour kept in its user data. It paints only
// on WM_PAINT, as most controls draw themselves.
LRESULT CALLBACK SolidProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(GetWindowLongPtrW(window, GWLP_USERDATA)));
    FillRect(dc, &paint.rcPaint, brush);
    DeleteObject(brush);
    EndPaint(window, &paint);
    return 0;
  }
  if (message == WM_ERASEBKGND) return 1;
  return DefWindowProcW(window, message, wParam, lParam);
}

HWND SolidWindow(HWND parent, const wchar_t* title, COLORREF colour, DWORD exStyle, int x, int y,
                 int width, int height) {
  WNDCLASSW type = {};
  type.lpfnWndProc = SolidProc;
  type.hInstance = GetModuleHandleW(nullptr);
  type.lpszClassName = L"ScreenshotTestSolid";
  RegisterClassW(&type);
  HWND window = CreateWindowExW(exStyle, type.lpszClassName, title,
                                (parent ? WS_CHILD : WS_POPUP) | WS_VISIBLE, x, y, width, height,
                                parent, nullptr, type.hInstance, nullptr);
  SetWindowLongPtrW(window, GWLP_USERDATA, static_cast<LONG_PTR>(colour));
  InvalidateRect(window, nullptr, TRUE);
  return window;
}

// The window pictured: a blue face with a red child in its middle.
HWND MakeTarget() {
  HWND face = SolidWindow(nullptr, kTargetTitle, kFace, 0, 120, 90, 240, 160);
  SolidWindow(face, L"", kInner, 0, 80, 50, 80, 60);
  return face;
}

// The colour of one pixel of a 24-bit BMP file, counted from the top left.
COLORREF PixelOf(const std::vector<uint8_t>& file, int x, int y) {
  BITMAPINFOHEADER info;
  memcpy(&info, file.data() + sizeof(BITMAPFILEHEADER), sizeof info);
  const size_t stride = (static_cast<size_t>(info.biWidth) * 3 + 3) & ~size_t(3);
  const size_t at = sizeof(BITMAPFILEHEADER) + sizeof info +
                    stride * static_cast<size_t>(info.biHeight - 1 - y) + static_cast<size_t>(x) * 3;
  return RGB(file[at + 2], file[at + 1], file[at]);
}

void ExpectTargetPicture(HWND target) {
  testsupport::TempDir dir(L"shot");
  const std::wstring path = dir / L"target.bmp";
  ASSERT_TRUE(testsupport::SaveWindowBitmap(target, path));
  std::vector<uint8_t> file;
  ASSERT_TRUE(testsupport::ReadFileBytes(path, file));
  ASSERT_GT(file.size(), sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER));
  BITMAPINFOHEADER info;
  memcpy(&info, file.data() + sizeof(BITMAPFILEHEADER), sizeof info);
  ASSERT_EQ(info.biWidth, 240);
  ASSERT_EQ(info.biHeight, 160);
  ASSERT_EQ(file.size(), sizeof(BITMAPFILEHEADER) + sizeof info + 720u * 160u);
  for (POINT face : {POINT{4, 4}, POINT{235, 155}, POINT{60, 80}})
    EXPECT_EQ(PixelOf(file, face.x, face.y), kFace) << face.x << "," << face.y;
  for (POINT inner : {POINT{82, 52}, POINT{157, 107}, POINT{120, 80}})
    EXPECT_EQ(PixelOf(file, inner.x, inner.y), kInner) << inner.x << "," << inner.y;
}

TEST(Screenshot, ShowsAWindowOfThisProgramWithItsChildren) {
  HWND target = MakeTarget();
  ASSERT_NE(target, nullptr);
  ExpectTargetPicture(target);
  DestroyWindow(target);
}

TEST(Screenshot, ShowsAWindowOfAnotherProgramWithItsChildren) {
  testsupport::DrivenProcess other;
  ASSERT_TRUE(other.Start(L"\"" + testsupport::BinPath(L"support_tests.exe") +
                          L"\" --gtest_also_run_disabled_tests "
                          L"--gtest_filter=ScreenshotHelper.DISABLED_ShowsTheTarget"));
  HWND target = nullptr;
  testsupport::WaitUntil(
      [&] {
        HWND found = FindWindowW(L"ScreenshotTestSolid", kTargetTitle);
        DWORD owner = 0;
        if (found) GetWindowThreadProcessId(found, &owner);
        if (owner == other.Id() && IsWindowVisible(found)) target = found;
        return target || !other.Running();
      },
      30000);
  ASSERT_NE(target, nullptr);
  ExpectTargetPicture(target);
  PostMessageW(target, WM_CLOSE, 0, 0);
  EXPECT_TRUE(other.WaitAnswering(nullptr, 30000));
}

// Started by the test above: the target window until it is closed.
TEST(ScreenshotHelper, DISABLED_ShowsTheTarget) {
  HWND target = MakeTarget();
  ASSERT_NE(target, nullptr);
  MSG message;
  while (IsWindow(target) && GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
}

// screenshot-alone.sh runs the pictures above beside another test that
// keeps a window over the whole screen and lifts it above every other window
// all the time. The two runs share two events, named by SCREENSHOT_COVER in
// the cover's run and by SCREENSHOT_BESIDE_COVER in the pictures' run: the
// cover's ("<name>-up", set once it shows), which the pictures' run waits
// for before its first test, and the pictures' ("<name>-done", set once
// their run ends), which the cover waits for.
HANDLE CoverEvent(const wchar_t* variable, const wchar_t* suffix) {
  wchar_t name[200] = {};
  const DWORD length = GetEnvironmentVariableW(variable, name, 160);
  if (length == 0 || length >= 160) return nullptr;
  return CreateEventW(nullptr, TRUE, FALSE, (std::wstring(name) + suffix).c_str());
}

class BesideTheCover : public testing::Environment {
 public:
  void SetUp() override {
    up_ = CoverEvent(L"SCREENSHOT_BESIDE_COVER", L"-up");
    done_ = CoverEvent(L"SCREENSHOT_BESIDE_COVER", L"-done");
    if (up_) {
      ASSERT_EQ(WaitForSingleObject(up_, 60000), WAIT_OBJECT_0) << "the cover never showed";
    }
  }
  void TearDown() override {
    if (done_) SetEvent(done_);
  }

 private:
  HANDLE up_ = nullptr;
  HANDLE done_ = nullptr;
};

const testing::Environment* const kBesideTheCover =
    testing::AddGlobalTestEnvironment(new BesideTheCover);

TEST(ScreenshotHelper, DISABLED_CoversTheScreen) {
  const HANDLE up = CoverEvent(L"SCREENSHOT_COVER", L"-up");
  const HANDLE done = CoverEvent(L"SCREENSHOT_COVER", L"-done");
  ASSERT_TRUE(up && done) << "SCREENSHOT_COVER names no events";
  HWND cover = SolidWindow(nullptr, L"Screenshot cover", kCover, WS_EX_TOPMOST, 0, 0,
                           GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  ASSERT_NE(cover, nullptr);
  UpdateWindow(cover);
  SetEvent(up);
  const DWORD start = GetTickCount();
  bool ended = false;
  while (!ended && GetTickCount() - start < 120000) {
    SetWindowPos(cover, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    ended = MsgWaitForMultipleObjects(1, &done, FALSE, 10, QS_ALLINPUT) == WAIT_OBJECT_0;
  }
  DestroyWindow(cover);
  EXPECT_TRUE(ended) << "the pictures' run never ended";
}

}  // namespace
