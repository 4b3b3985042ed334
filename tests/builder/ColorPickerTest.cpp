// The colour picker: the colour through the check-box messages, its
// tooltip, the colour dialog and its shared custom colours, mouse tracking
// and both drawing paths.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <colordlg.h>

#include <atomic>
#include <string>
#include <thread>

#include "ColorPicker.h"
#include "ControlHost.h"
#include "VisualStyles.h"
#include "Waiting.h"

namespace {

using controlhost::ClientImage;
using controlhost::Host;

const int kId = 1145;

BOOL CALLBACK FindColorDialog(HWND window, LPARAM out) {
  if (!IsWindowVisible(window) || !GetDlgItem(window, COLOR_RED)) return TRUE;
  *reinterpret_cast<HWND*>(out) = window;
  return FALSE;
}

HWND WaitColorDialog(DWORD thread, int tries = 500) {
  HWND dialog = nullptr;
  for (int i = 0; i < tries && !dialog; ++i) {
    EnumThreadWindows(thread, FindColorDialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog) Sleep(10);
  }
  return dialog;
}

// Answers the colour dialog that the control's thread opens: types the
// colour into its red, green and blue edits, optionally adds it to the
// custom colours, and presses the button.
class ColorDialogAnswer {
 public:
  ColorDialogAnswer(COLORREF color, int button, bool addToCustom) {
    const DWORD thread = GetCurrentThreadId();
    worker_ = std::thread([=] {
      HWND dialog = WaitColorDialog(thread);
      if (!dialog) return;
      seen_ = true;
      SetDlgItemInt(dialog, COLOR_RED, GetRValue(color), FALSE);
      SetDlgItemInt(dialog, COLOR_GREEN, GetGValue(color), FALSE);
      SetDlgItemInt(dialog, COLOR_BLUE, GetBValue(color), FALSE);
      if (addToCustom)
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(COLOR_ADD, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, COLOR_ADD)));
      PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
    });
  }
  ~ColorDialogAnswer() {
    if (worker_.joinable()) worker_.join();
  }
  bool Seen() {
    if (worker_.joinable()) worker_.join();
    return seen_;
  }

 private:
  std::thread worker_;
  std::atomic<bool> seen_{false};
};

struct TooltipSearch {
  HWND picker;
  std::wstring text;
};

BOOL CALLBACK AskTooltip(HWND window, LPARAM data) {
  TooltipSearch* search = reinterpret_cast<TooltipSearch*>(data);
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (lstrcmpiW(name, TOOLTIPS_CLASSW) != 0) return TRUE;
  wchar_t text[80] = {};
  TTTOOLINFOW tool = {};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.hwnd = search->picker;
  tool.uId = reinterpret_cast<UINT_PTR>(search->picker);
  tool.lpszText = text;
  SendMessageW(window, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&tool));
  if (!text[0]) return TRUE;
  search->text = text;
  return FALSE;
}

struct ColorPickerFixture : ::testing::Test {
  void SetUp() override {
    controlhost::RegisterBuilderControls();
    picker = host.Create(kColorPickerClass, kId, 0, 20, 20, 120, 24);
    ASSERT_NE(nullptr, picker);
  }
  COLORREF Color() { return static_cast<COLORREF>(SendMessageW(picker, BM_GETCHECK, 0, 0)); }
  POINT ButtonMiddle() {
    RECT client;
    GetClientRect(picker, &client);
    return {client.right - 8, client.bottom / 2};
  }
  Host host;
  HWND picker = nullptr;
};

TEST_F(ColorPickerFixture, ColourTravelsThroughTheCheckMessages) {
  EXPECT_EQ(0xFFFFFFu, Color()) << "a new picker is white";
  EXPECT_EQ(0xFFFFFF, SendMessageW(picker, BM_SETCHECK, 0x00FF8040, 0));
  EXPECT_EQ(0x00FF8040u, Color());
  EXPECT_EQ(0x00FF8040, SendMessageW(picker, BM_SETCHECK, 0x00FF8040, 0));
  ASSERT_EQ(2u, host.commands().size()) << "every set notifies, also the same colour";
  EXPECT_EQ(BN_CLICKED, host.commands()[1].code);
  EXPECT_EQ(picker, host.commands()[1].from);
  EXPECT_EQ(kId, host.commands()[1].id);
  EXPECT_NE(0, GetWindowLongPtrW(picker, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
}

TEST_F(ColorPickerFixture, TooltipNamesTheColour) {
  SendMessageW(picker, BM_SETCHECK, 0x00FF8040, 0);
  // The tooltip belongs to this thread; it answers for the picker's tool.
  TooltipSearch search = {picker, L""};
  EnumThreadWindows(GetCurrentThreadId(), AskTooltip, reinterpret_cast<LPARAM>(&search));
  const std::wstring text = search.text;
  EXPECT_EQ(L"RGB (64, 128, 255)", text);
}

TEST_F(ColorPickerFixture, ColourDialogSetsTheColourOnOkOnly) {
  {
    ColorDialogAnswer answer(RGB(10, 20, 30), IDOK, false);
    SendMessageW(picker, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    ASSERT_TRUE(answer.Seen());
  }
  EXPECT_EQ(RGB(10, 20, 30), Color());
  ASSERT_FALSE(host.commands().empty());
  EXPECT_EQ(BN_CLICKED, host.commands().back().code);

  host.ClearCommands();
  {
    ColorDialogAnswer answer(RGB(200, 0, 0), IDCANCEL, false);
    const POINT p = ButtonMiddle();
    SendMessageW(picker, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    SendMessageW(picker, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
    ASSERT_TRUE(answer.Seen()) << "a click on the button opens the dialog";
  }
  EXPECT_EQ(RGB(10, 20, 30), Color());
  EXPECT_TRUE(host.commands().empty());

  // The space key opens it too.
  {
    ColorDialogAnswer answer(RGB(1, 2, 3), IDOK, false);
    SetFocus(picker);
    SendMessageW(picker, WM_KEYDOWN, VK_SPACE, 0);
    SendMessageW(picker, WM_KEYUP, VK_SPACE, 0);
    ASSERT_TRUE(answer.Seen());
  }
  EXPECT_EQ(RGB(1, 2, 3), Color());
}

TEST_F(ColorPickerFixture, ReleasingOutsideTheButtonOpensNothing) {
  const DWORD thread = GetCurrentThreadId();
  std::atomic<bool> opened{false};
  std::atomic<bool> done{false};
  std::thread watch([&] {
    while (!done) {
      HWND dialog = WaitColorDialog(thread, 1);
      if (dialog) {
        opened = true;
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
      }
    }
  });
  const POINT p = ButtonMiddle();
  SendMessageW(picker, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
  SendMessageW(picker, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(10, 10));
  SendMessageW(picker, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
  // A click on the swatch alone opens nothing either.
  SendMessageW(picker, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  SendMessageW(picker, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
  // The dialog opens inside the handling of the message that opens it:
  // had one opened, the watcher has answered it before the message
  // returned (what the clicks posted is handled here).
  testsupport::DispatchQueued();
  done = true;
  watch.join();
  EXPECT_FALSE(opened);
  EXPECT_NE(picker, GetCapture());
}

TEST_F(ColorPickerFixture, CustomColoursAreSharedByEveryPicker) {
  HWND second = host.Create(kColorPickerClass, kId + 1, 0, 20, 60, 120, 24);
  ASSERT_NE(nullptr, second);
  const COLORREF* custom = ColorPickerCustomColors();
  {
    ColorDialogAnswer answer(RGB(12, 34, 56), IDCANCEL, true);
    SendMessageW(picker, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    ASSERT_TRUE(answer.Seen());
  }
  bool kept = false;
  for (int i = 0; i < 16; ++i) kept = kept || custom[i] == RGB(12, 34, 56);
  EXPECT_TRUE(kept) << "a custom colour outlives its dialog, even a cancelled one";
  {
    ColorDialogAnswer answer(RGB(12, 34, 56), IDOK, false);
    SendMessageW(second, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    ASSERT_TRUE(answer.Seen());
  }
  bool still = false;
  for (int i = 0; i < 16; ++i) still = still || custom[i] == RGB(12, 34, 56);
  EXPECT_TRUE(still);
  EXPECT_EQ(RGB(12, 34, 56), SendMessageW(second, BM_GETCHECK, 0, 0));
}

void ExpectPickerDrawing(HWND picker, const char* path) {
  SendMessageW(picker, BM_SETCHECK, RGB(255, 0, 0), 0);
  ClientImage red(picker);
  RECT client;
  GetClientRect(picker, &client);
  const RECT swatch = {0, 0, client.right - 18, client.bottom};
  EXPECT_EQ((swatch.right - swatch.left) * (swatch.bottom - swatch.top),
            red.CountColor(swatch, RGB(255, 0, 0)))
      << path;
  // The arrow is black on an enabled button, never on a disabled one.
  const RECT button = {client.right - 16, 0, client.right, client.bottom};
  EXPECT_GT(red.CountColor(button, RGB(0, 0, 0)), 5) << path;
  EnableWindow(picker, FALSE);
  ClientImage disabled(picker);
  EXPECT_EQ(0, disabled.CountColor(button, RGB(0, 0, 0))) << path;
  EnableWindow(picker, TRUE);
}

TEST_F(ColorPickerFixture, DrawsThemedAndClassic) {
  if (visualstyles::IsThemed()) ExpectPickerDrawing(picker, "themed");
  visualstyles::ApplyWindowTheme(picker, L" ", L" ");
  {
    visualstyles::ScopedTheme theme(picker, L"BUTTON");
    ASSERT_FALSE(static_cast<bool>(theme));
  }
  ExpectPickerDrawing(picker, "classic");
}

TEST(ColorPickerClass, KeepsAWholePointerInItsExtraBytes) {
  controlhost::RegisterBuilderControls();
  WNDCLASSEXW info = {sizeof info};
  ASSERT_TRUE(GetClassInfoExW(GetModuleHandleW(nullptr), kColorPickerClass, &info));
  EXPECT_EQ(static_cast<int>(sizeof(void*)), info.cbWndExtra);
  EXPECT_NE(0u, info.style & CS_GLOBALCLASS);
  EXPECT_NE(0u, info.style & CS_DBLCLKS);
}

}  // namespace
