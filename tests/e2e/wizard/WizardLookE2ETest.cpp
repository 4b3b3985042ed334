// How the wizard of real builder output looks beyond its pages' texts: the
// background screen behind it (gradient read back pixel by pixel, its
// refusals, its close box, the logo's two seconds, the boxes after the
// copying that it owns), the Welcome page's
// banner in its area, the copyright line in each interface language, the
// product mark, and bitmaps in the archive that are not what they claim.
//
// With VESMARIN_WIZARD_SHOTS set to a folder, the screen is saved there.
#include <gtest/gtest.h>

#include <windows.h>
#include <prsht.h>

#include <string>
#include <vector>

#include "InstallerPackage.h"
#include "Screenshot.h"
#include "TestSupport.h"
#include "Waiting.h"
#include "WizardSession.h"

namespace {

using testsupport::InstallerPackage;
using testsupport::Narrow;
using testsupport::PathExists;
using testsupport::SeenBox;
using wizardtest::WizardSession;

const DWORD kClosed = 17;
const wchar_t kBackScreenClass[] = L"Vesmarin_BackScreen_Class";
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kGreen = RGB(0, 255, 0);

bool JapaneseUi() { return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE; }

std::string BoxTexts(const std::vector<SeenBox>& boxes) {
  std::string text;
  for (const SeenBox& box : boxes) text += "[" + Narrow(box.text) + "] ";
  return text;
}

void ShotOf(HWND window, const std::wstring& name) {
  wchar_t folder[MAX_PATH] = {};
  if (!GetEnvironmentVariableW(L"VESMARIN_WIZARD_SHOTS", folder, MAX_PATH)) return;
  Sleep(300);
  WizardSession::SaveWindowShot(window, std::wstring(folder) + L"\\" +
                                            (JapaneseUi() ? L"ja-" : L"en-") + name + L".bmp");
}

void Append(std::string* bytes, const void* data, size_t size) {
  bytes->append(static_cast<const char*>(data), size);
}

// A 24-bit .bmp file of one colour.
std::string Bmp(int width, int height, COLORREF colour) {
  const int stride = (width * 3 + 3) & ~3;
  BITMAPFILEHEADER file = {};
  BITMAPINFOHEADER info = {};
  info.biSize = sizeof(info);
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(file) + sizeof(info);
  file.bfSize = file.bfOffBits + stride * height;
  std::string bytes;
  Append(&bytes, &file, sizeof(file));
  Append(&bytes, &info, sizeof(info));
  std::string row(stride, '\0');
  for (int x = 0; x < width; ++x) {
    row[x * 3] = static_cast<char>(GetBValue(colour));
    row[x * 3 + 1] = static_cast<char>(GetGValue(colour));
    row[x * 3 + 2] = static_cast<char>(GetRValue(colour));
  }
  for (int y = 0; y < height; ++y) bytes += row;
  return bytes;
}

// Blocks that claim to be bitmaps and are not whole ones.
std::vector<std::pair<const char*, std::string>> HostileBitmaps() {
  std::vector<std::pair<const char*, std::string>> list;
  const std::string whole = Bmp(40, 20, kRed);
  list.push_back({"truncated", whole.substr(0, whole.size() / 2)});
  std::string flat = whole;
  BITMAPINFOHEADER* info = reinterpret_cast<BITMAPINFOHEADER*>(&flat[sizeof(BITMAPFILEHEADER)]);
  info->biHeight = 0;
  list.push_back({"zero height", flat});
  std::string palette = whole;
  info = reinterpret_cast<BITMAPINFOHEADER*>(&palette[sizeof(BITMAPFILEHEADER)]);
  info->biBitCount = 8;
  info->biClrUsed = 0x1000000;
  list.push_back({"16 million colours", palette});
  std::string fields = whole.substr(0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER));
  info = reinterpret_cast<BITMAPINFOHEADER*>(&fields[sizeof(BITMAPFILEHEADER)]);
  info->biBitCount = 16;
  info->biCompression = BI_BITFIELDS;
  list.push_back({"bitfields without masks", fields});
  return list;
}

COLORREF ScreenPixel(HWND window, int x, int y) {
  POINT point = {x, y};
  ClientToScreen(window, &point);
  HDC screen = GetDC(nullptr);
  const COLORREF colour = GetPixel(screen, point.x, point.y);
  ReleaseDC(nullptr, screen);
  return colour;
}

// The pixel once the screen shows the expected colour there, or what it
// shows when the bound has passed: a painted window reaches the X server's
// screen some time after its paint returned, later on a loaded machine.
COLORREF ScreenPixelOnceShown(HWND window, int x, int y, COLORREF expected) {
  COLORREF seen = ScreenPixel(window, x, y);
  testsupport::WaitUntil([&] {
    seen = ScreenPixel(window, x, y);
    return seen == expected;
  }, 10000);
  return seen;
}

// upper lies above lower in the order of the screen's windows.
bool IsAbove(HWND upper, HWND lower) {
  if (!upper || !lower) return false;
  for (HWND at = GetWindow(upper, GW_HWNDNEXT); at; at = GetWindow(at, GW_HWNDNEXT))
    if (at == lower) return true;
  return false;
}

// The background's client area made h pixels high (width kept).
bool ResizeClient(HWND window, int height) {
  RECT outer, client;
  GetWindowRect(window, &outer);
  GetClientRect(window, &client);
  const int frame = (outer.bottom - outer.top) - client.bottom;
  SetWindowPos(window, nullptr, outer.left, 0, outer.right - outer.left, height + frame,
               SWP_NOZORDER | SWP_NOACTIVATE);
  // The size is the window's own once its thread answers again.
  const bool answered = testsupport::RoundTrip(window, 5000);
  GetClientRect(window, &client);
  return answered && client.bottom == height;
}

class WizardLookE2E : public ::testing::Test {
 protected:
  std::wstring Build(const std::vector<std::wstring>& more,
                     const testsupport::PackageMembers& extra = {},
                     const std::wstring& name = L"Setup.exe") {
    std::vector<std::wstring> lines = {L"GreetingE0=Look test", L"Greeting0=見た目のテスト"};
    lines.insert(lines.end(), more.begin(), more.end());
    testsupport::PackageMembers members = {{L"a.txt", "first file"}};
    members.insert(members.end(), extra.begin(), extra.end());
    const std::wstring setup = package_.Build(lines, members, name);
    EXPECT_FALSE(setup.empty()) << Narrow(package_.LastError());
    return setup;
  }
  // Starts the run and waits for the Welcome page.
  HWND StartToWelcome(WizardSession& session, const std::wstring& setup) {
    if (!session.Start(InstallerPackage::CommandLine(setup)) || !session.WaitFrame()) return nullptr;
    return session.WaitPage(wizardtest::kWelcomePage);
  }
  // The About box the system menu's item opens.
  static HWND WaitForAbout(const WizardSession& session) {
    HWND about = nullptr;
    testsupport::WaitUntil(
        [&] {
          std::vector<HWND> found = session.Dialogs(1022);
          if (!found.empty()) about = found[0];
          return about != nullptr;
        },
        6000);
    return about;
  }
  void CancelAndWait(WizardSession& session) {
    session.Press(PSBTN_CANCEL);
    ASSERT_TRUE(session.WaitEnd());
    EXPECT_EQ(session.ExitCode(), kClosed) << BoxTexts(session.Boxes());
  }
  // A control's rectangle in its page's coordinates.
  static RECT ChildRect(HWND page, int id) {
    RECT rect = {};
    GetWindowRect(GetDlgItem(page, id), &rect);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  }
  // A point of the Welcome page's banner area (1030), in page coordinates.
  static RECT BannerArea(HWND page) {
    RECT rect;
    GetWindowRect(GetDlgItem(page, 1030), &rect);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  }

  InstallerPackage package_{L"look"};
  testsupport::StubRunLock lock_;
};

// The background: maximised, titled with the package caption, owner of the
// wizard; its gradient starts at BackScreenColor and darkens by 2 per band
// of a 128th of the height; a window 100 pixels high paints with bands of
// one pixel; Move and Restore are refused; its close box is the wizard's
// Cancel.
TEST_F(WizardLookE2E, TheBackgroundCoversTheDesktopAndOwnsTheWizard) {
  const std::wstring setup =
      Build({L"UseBackScreen=1", L"BackScreenColor=0,0,160", L"BackScreenText=背景のテキスト",
             L"BackScreenTextE=Background text"});
  ASSERT_FALSE(setup.empty());
  WizardSession session;
  HWND welcome = StartToWelcome(session, setup);
  ASSERT_NE(welcome, nullptr);
  HWND background = FindWindowW(kBackScreenClass, nullptr);
  ASSERT_NE(background, nullptr);
  EXPECT_TRUE(IsWindowVisible(background));
  EXPECT_TRUE(IsZoomed(background));
  // It covers the whole work area from the moment it is there.
  RECT area = {}, whole = {};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  GetWindowRect(background, &whole);
  EXPECT_TRUE(whole.left <= area.left && whole.top <= area.top && whole.right >= area.right &&
              whole.bottom >= area.bottom)
      << whole.left << "," << whole.top << " - " << whole.right << "," << whole.bottom;
  EXPECT_EQ(testsupport::ControlText(background), InstallerPackage::Title());
  EXPECT_EQ(GetWindow(session.frame(), GW_OWNER), background);
  ShotOf(GetDesktopWindow(), L"background");

  // A client area 1024 pixels high where the screen has room for it (bands
  // of 8 pixels); on a screen of 1024 rows the maximised height instead.
  ResizeClient(background, 1024);
  RECT client;
  GetClientRect(background, &client);
  const int band = client.bottom / 128;
  ASSERT_GE(band, 1);
  const int x = client.right - 4;  // clear of the text and the wizard
  ASSERT_TRUE(testsupport::PaintNow(background));
  for (int y = 0; y < band; ++y)
    EXPECT_EQ(ScreenPixelOnceShown(background, x, y, RGB(0, 0, 160)), RGB(0, 0, 160))
        << "row " << y << " of " << client.bottom;
  EXPECT_EQ(ScreenPixelOnceShown(background, x, band, RGB(0, 0, 158)), RGB(0, 0, 158));
  EXPECT_EQ(ScreenPixelOnceShown(background, x, 80 * band - 1, RGB(0, 0, 2)), RGB(0, 0, 2));
  RECT outer;
  GetWindowRect(background, &outer);
  POINT origin = {0, 0};
  ClientToScreen(background, &origin);
  const int visible = GetSystemMetrics(SM_CYSCREEN) - origin.y;
  for (int y = 80 * band; y < visible && y < client.bottom; y += 29)
    EXPECT_EQ(ScreenPixelOnceShown(background, x, y, RGB(0, 0, 0)), RGB(0, 0, 0)) << "row " << y;

  ASSERT_TRUE(ResizeClient(background, 100)) << "a low window answers";
  ASSERT_TRUE(testsupport::PaintNow(background)) << "a low window paints";
  EXPECT_EQ(ScreenPixelOnceShown(background, x, 0, RGB(0, 0, 160)), RGB(0, 0, 160));
  EXPECT_EQ(ScreenPixelOnceShown(background, x, 50, RGB(0, 0, 60)), RGB(0, 0, 60));
  EXPECT_EQ(ScreenPixelOnceShown(background, x, 90, RGB(0, 0, 0)), RGB(0, 0, 0));

  // Move and Restore, by mouse or keyboard, are refused.
  GetWindowRect(background, &outer);
  for (WPARAM command : {WPARAM(SC_RESTORE), WPARAM(SC_MOVE | 2), WPARAM(SC_MOVE)}) {
    DWORD_PTR ignored = 0;
    EXPECT_NE(SendMessageTimeoutW(background, WM_SYSCOMMAND, command, 0, SMTO_ABORTIFHUNG, 3000,
                                  &ignored),
              0)
        << command;
    EXPECT_TRUE(IsZoomed(background)) << command;
  }
  RECT after;
  GetWindowRect(background, &after);
  EXPECT_TRUE(EqualRect(&outer, &after));

  PostMessageW(background, WM_SYSCOMMAND, SC_CLOSE, 0);
  ASSERT_TRUE(session.WaitEnd());
  EXPECT_EQ(session.ExitCode(), kClosed);
  EXPECT_FALSE(IsWindow(background));
  EXPECT_FALSE(PathExists(package_.InstallFolder()));
}

// A silent run shows the background while it installs; an ultra-silent one
// never does. The test module slows the copying so that the watch sees it.
TEST_F(WizardLookE2E, OnlyAnUltraSilentRunGoesWithoutTheBackground) {
  testsupport::ScopedEnv slow(L"VESMARIN_TESTEXT_SLEEP_1003", L"300");
  for (bool ultra : {false, true}) {
    SCOPED_TRACE(ultra ? "ultra-silent" : "silent");
    std::vector<std::wstring> lines = {L"NoUI=1", L"UseBackScreen=1", L"UseExtensionModuleFile=1",
                                       L"ExtensionModuleFile=ext\\module.dll"};
    if (ultra) lines.push_back(L"UltraSilentInstall=1");
    const std::wstring setup =
        Build(lines,
              {InstallerPackage::BinMember(L"stubext_both.dll", L"ext\\module.dll"),
               {L"b.txt", "b"}, {L"c.txt", "c"}},
              ultra ? L"Ultra.exe" : L"Silent.exe");
    ASSERT_FALSE(setup.empty());
    bool seen = false;
    const testsupport::DrivenResult run =
        package_.Run(setup, L"", nullptr, 60000, [&seen](const testsupport::DrivenProcess&) {
          HWND background = FindWindowW(kBackScreenClass, nullptr);
          if (background && IsWindowVisible(background)) seen = true;
        });
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0u) << BoxTexts(run.boxes);
    EXPECT_EQ(seen, !ultra);
    EXPECT_TRUE(PathExists(package_.InstallFolder() + L"c.txt"));
    testsupport::RemoveTree(package_.InstallFolder());
  }
}

// The message box that follows the copying (here: the program to start is
// no program) belongs to the background, in a wizard run once the frame has
// closed (the wizard ends by itself) and in a silent run: the background owns
// it, and raising the background leaves the box above it, never hidden.
TEST_F(WizardLookE2E, BoxesAfterTheCopyingStayAboveTheBackground) {
  for (bool silent : {false, true}) {
    SCOPED_TRACE(silent ? "silent" : "wizard");
    std::vector<std::wstring> lines = {L"UseBackScreen=1", L"BackScreenColor=0,0,160",
                                       L"UseAutoExecute=1", L"CmdLine=broken.exe",
                                       L"SkipInstallCompletePageOnAutoExec=1"};
    if (silent) lines.push_back(L"NoUI=1");
    const std::wstring setup = Build(lines, {{L"broken.exe", "not a program"}},
                                     silent ? L"Silent.exe" : L"Wizard.exe");
    ASSERT_FALSE(setup.empty());
    struct Seen {
      bool box = false;
      HWND background = nullptr;
      HWND owner = nullptr;
      bool above = false;
      bool aboveAfterRaise = false;
      bool frameOpen = false;
    } seen;
    HWND frame = nullptr;
    WizardSession session([&seen, &frame, silent](const SeenBox& box) {
      if (box.text != L"Could not execute files." || seen.box) return IDOK;
      seen.box = true;
      seen.frameOpen = frame && IsWindow(frame);
      seen.background = FindWindowW(kBackScreenClass, nullptr);
      seen.owner = GetWindow(box.window, GW_OWNER);
      seen.above = IsAbove(box.window, seen.background);
      SetWindowPos(seen.background, HWND_TOP, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      seen.aboveAfterRaise = testsupport::WaitUntil(
          [&] { return IsAbove(box.window, seen.background); }, 3000);
      ShotOf(GetDesktopWindow(), silent ? L"background-box-silent" : L"background-box");
      return IDOK;
    });
    if (silent) {
      ASSERT_TRUE(session.Start(InstallerPackage::CommandLine(setup)));
    } else {
      ASSERT_NE(StartToWelcome(session, setup), nullptr);
      frame = session.frame();
      session.Press(PSBTN_NEXT);
    }
    ASSERT_TRUE(session.WaitEnd());
    EXPECT_EQ(session.ExitCode(), 0u) << BoxTexts(session.Boxes());
    ASSERT_TRUE(seen.box) << BoxTexts(session.Boxes());
    ASSERT_NE(seen.background, nullptr);
    EXPECT_EQ(seen.owner, seen.background);
    EXPECT_TRUE(seen.above);
    EXPECT_TRUE(seen.aboveAfterRaise);
    EXPECT_FALSE(seen.frameOpen);
    EXPECT_TRUE(PathExists(package_.InstallFolder() + L"a.txt"));
    testsupport::RemoveTree(package_.InstallFolder());
  }
}

// A logo holds the wizard back while it shows for two seconds, in the
// middle of the background.
TEST_F(WizardLookE2E, TheLogoShowsForTwoSecondsBeforeTheWizard) {
  const std::wstring setup = Build({L"UseBackScreen=1", L"UseBackScreenLogoBmp=1",
                                    L"BackScreenLogoBmp=logo.bmp", L"BackScreenColor=0,0,160"},
                                   {{L"logo.bmp", Bmp(60, 40, kRed)}});
  ASSERT_FALSE(setup.empty());
  WizardSession session;
  ASSERT_TRUE(session.Start(InstallerPackage::CommandLine(setup)));
  HWND background = nullptr;
  testsupport::WaitUntil(
      [&] {
        background = FindWindowW(kBackScreenClass, nullptr);
        if (background && !IsWindowVisible(background)) background = nullptr;
        return background != nullptr;
      },
      12000);
  ASSERT_NE(background, nullptr);
  const DWORD shown = GetTickCount();
  RECT client;
  GetClientRect(background, &client);
  ASSERT_TRUE(testsupport::PaintNow(background));
  EXPECT_EQ(ScreenPixel(background, client.right / 2, client.bottom / 2), kRed);
  EXPECT_EQ(ScreenPixel(background, client.right - 4, 2), RGB(0, 0, 160));
  ShotOf(GetDesktopWindow(), L"background-logo");
  HWND frame = session.WaitFrame();
  ASSERT_NE(frame, nullptr);
  testsupport::WaitUntil([&] { return IsWindowVisible(frame) != FALSE; }, 10000);
  EXPECT_GE(GetTickCount() - shown, 1800u) << "the wizard waits for the logo";
  ASSERT_NE(session.WaitPage(wizardtest::kWelcomePage), nullptr);
  CancelAndWait(session);
}

// The banner fills its area when it is larger, and keeps its size at the
// area's left edge, centred vertically, when it is smaller.
TEST_F(WizardLookE2E, TheBannerIsShrunkToItsAreaOrCentredAtItsLeftEdge) {
  struct Case {
    const char* name;
    std::string bitmap;
    COLORREF colour;
    bool larger;
  };
  const Case cases[] = {{"larger", Bmp(600, 200, kRed), kRed, true},
                        {"smaller", Bmp(30, 10, kGreen), kGreen, false}};
  for (const wchar_t* style : {L"UseNewWizard=0", L"UseNewWizard=1"}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + " " + Narrow(style));
      const std::wstring setup =
          Build({style, L"UseBannerFile=1", L"BannerFile=banner.bmp"}, {{L"banner.bmp", c.bitmap}});
      ASSERT_FALSE(setup.empty());
      WizardSession session;
      HWND page = StartToWelcome(session, setup);
      ASSERT_NE(page, nullptr);
      const RECT area = BannerArea(page);
      const int middle = (area.top + area.bottom) / 2;
      // Once painted now, the screen shows the banner at once (as it shows
      // the lack of one where a bitmap is refused, below).
      ASSERT_TRUE(testsupport::PaintNow(page));
      EXPECT_FALSE(session.Visible(page, 1034)) << "the banner replaces the link icon";
      EXPECT_EQ(ScreenPixel(page, area.left + 1, middle), c.colour);
      if (c.larger) {
        EXPECT_EQ(ScreenPixel(page, area.right - 2, area.top + 1), c.colour);
        EXPECT_EQ(ScreenPixel(page, area.right - 2, area.bottom - 2), c.colour);
      } else {
        EXPECT_EQ(ScreenPixel(page, area.left + 29, middle), c.colour);
        EXPECT_NE(ScreenPixel(page, area.left + 31, middle), c.colour);
        EXPECT_NE(ScreenPixel(page, area.left + 1, middle - 6), c.colour);
      }
      ShotOf(session.frame(), std::wstring(L"banner-") + (c.larger ? L"larger-" : L"smaller-") +
                                  (style[13] == L'0' ? L"classic" : L"new"));
      CancelAndWait(session);
    }
  }
}

// The copyright line shows the package's text of the interface language
// (English falls back to the plain text) and is hidden without one; the
// product mark goes with DontShowQXLogoOnWiz while the system menu still
// opens the About box. Runs in both CTest entries, English and Japanese.
TEST_F(WizardLookE2E, CopyrightLineAndProductMarkInEnglishAndJapanese) {
  const std::wstring japanese = L"著作権表示のテスト";
  const std::wstring english = L"Copyright line of the test";
  struct Case {
    std::vector<std::wstring> lines;
    std::wstring expected;  // empty: hidden
  };
  const Case cases[] = {
      // A builder with an English interface keeps only the plain text.
      {{L"VesmarinFor=" + (JapaneseUi() ? japanese : english), L"VesmarinForE=" + english,
        L"UseURL=1", L"URL=https://example.com/ja/", L"URLE=https://example.com/en/"},
       JapaneseUi() ? japanese : english},
      {{L"VesmarinFor=" + japanese, L"VesmarinForE="}, japanese},
      {{L"VesmarinFor=", L"VesmarinForE=", L"DontShowQXLogoOnWiz=1"}, L""}};
  int index = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(index);
    std::vector<std::wstring> lines = c.lines;
    lines.push_back(index % 2 ? L"UseNewWizard=0" : L"UseNewWizard=1");
    const std::wstring setup = Build(lines, {}, L"Setup" + std::to_wstring(index++) + L".exe");
    ASSERT_FALSE(setup.empty());
    WizardSession session;
    HWND page = StartToWelcome(session, setup);
    ASSERT_NE(page, nullptr);
    if (c.expected.empty()) {
      EXPECT_FALSE(session.Visible(page, 1017));
      EXPECT_FALSE(session.Visible(page, 1032));
      EXPECT_EQ(GetDlgItem(session.frame(), 104), nullptr) << "no product mark";
      PostMessageW(session.frame(), WM_SYSCOMMAND, 104, 0);
      HWND about = WaitForAbout(session);
      ASSERT_NE(about, nullptr) << "About box";
      PostMessageW(about, WM_COMMAND, IDOK, 0);
      testsupport::WaitForWindowGone(about, 3000);
    } else {
      EXPECT_TRUE(session.Visible(page, 1017));
      EXPECT_EQ(session.Text(page, 1017), c.expected);
      EXPECT_EQ(session.Text(session.frame(), 104), L"Vesmarin 6");
      if (index == 1) {
        // The web link is drawn on white where its hidden control lies.
        RECT link;
        GetWindowRect(GetDlgItem(page, 1033), &link);
        MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&link), 2);
        ASSERT_TRUE(testsupport::PaintNow(page));
        EXPECT_EQ(ScreenPixel(page, link.left - 4, link.top - 4), RGB(255, 255, 255));
      }
      ShotOf(session.frame(), L"copyright-" + std::to_wstring(index));
    }
    CancelAndWait(session);
  }
}

// The Welcome page's link: its icon and the white margin drawn around its
// text end above the copyright frame, in both styles; the frame and the
// About box are saved under <bin>\screenshots (their own rectangles of the
// screen: these tests run alone, and a window of another process does not
// draw itself into this one's PrintWindow under Wine). Runs in both CTest
// entries, English and Japanese.
TEST_F(WizardLookE2E, TheLinkStaysClearOfTheCopyrightFrameInEnglishAndJapanese) {
  const std::wstring address = JapaneseUi() ? L"https://example.com/ja/" : L"https://example.com/en/";
  const std::wstring language = JapaneseUi() ? L"ja" : L"en";
  for (const wchar_t* style : {L"UseNewWizard=0", L"UseNewWizard=1"}) {
    SCOPED_TRACE(Narrow(style));
    const std::wstring tag = style[13] == L'0' ? L"classic" : L"new";
    const std::wstring setup =
        Build({style, L"UseURL=1", L"URL=https://example.com/ja/", L"URLE=https://example.com/en/",
               L"VesmarinFor=© 見た目テスト社", L"VesmarinForE=© Look Test Ltd."},
              {}, L"Link" + tag + L".exe");
    ASSERT_FALSE(setup.empty());
    WizardSession session;
    HWND page = StartToWelcome(session, setup);
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(session.Visible(page, 1034));
    ASSERT_TRUE(session.Visible(page, 1032));
    const RECT icon = ChildRect(page, 1034);
    const RECT frame = ChildRect(page, 1032);
    const RECT link = ChildRect(page, 1033);
    EXPECT_GE(icon.bottom - icon.top, 32) << "the icon at its size";
    EXPECT_LE(icon.bottom, frame.top) << "icon " << icon.top << ".." << icon.bottom;
    // The address is drawn from the link area's top-left corner in the
    // default GUI font, on white reaching 8 pixels past the text.
    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, GetStockObject(DEFAULT_GUI_FONT));
    SIZE text = {};
    GetTextExtentPoint32W(screen, address.c_str(), static_cast<int>(address.size()), &text);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    EXPECT_LE(link.top + text.cy + 8, frame.top) << "white margin over the frame";
    EXPECT_LE(icon.right, link.left - 8) << "white margin over the icon";
    EXPECT_TRUE(testsupport::SaveScreenshot(session.frame(), L"stub-welcome-" + tag + L"-" + language));
    PostMessageW(session.frame(), WM_SYSCOMMAND, 104, 0);
    HWND about = WaitForAbout(session);
    ASSERT_NE(about, nullptr) << "About box";
    EXPECT_TRUE(testsupport::SaveScreenshot(about, L"stub-about-" + tag + L"-" + language));
    PostMessageW(about, WM_COMMAND, IDOK, 0);
    testsupport::WaitForWindowGone(about, 3000);
    CancelAndWait(session);
  }
}

// A package with everything the wizard can show besides its texts, installed
// through its wizard: background, banner, panel bitmaps of both styles, web
// link and copyright line. Runs in both CTest entries.
TEST_F(WizardLookE2E, AFullyDressedPackageInstallsInEnglishAndJapanese) {
  const COLORREF panel = RGB(0, 128, 64);
  for (const wchar_t* style : {L"UseNewWizard=0", L"UseNewWizard=1"}) {
    SCOPED_TRACE(Narrow(style));
    const std::wstring tag = style[13] == L'0' ? L"classic" : L"new";
    const std::wstring setup =
        Build({style, L"UseBackScreen=1", L"BackScreenColor=0,64,160",
               L"BackScreenText=インストールしています", L"BackScreenTextE=Installing Look Test",
               L"UseBannerFile=1", L"BannerFile=banner.bmp", L"UsePanelBitmap=1",
               L"PanelBitmap=panel.bmp", L"UseWiz97PanelBitmap=1", L"Wiz97PanelBitmap=head.bmp",
               L"UseURL=1", L"URL=https://example.com/ja/", L"URLE=https://example.com/en/",
               std::wstring(L"VesmarinFor=") + (JapaneseUi() ? L"© 見た目テスト社" : L"© Look Test Ltd."),
               L"VesmarinForE=© Look Test Ltd."},
              {{L"banner.bmp", Bmp(200, 30, RGB(200, 40, 40))},
               {L"panel.bmp", Bmp(138, 253, panel)},
               {L"head.bmp", Bmp(49, 49, RGB(240, 200, 0))}});
    ASSERT_FALSE(setup.empty());
    WizardSession session;
    HWND page = StartToWelcome(session, setup);
    ASSERT_NE(page, nullptr);
    if (tag == L"classic") {
      RECT panelRect;
      GetClientRect(GetDlgItem(page, 1031), &panelRect);
      ASSERT_TRUE(testsupport::PaintNow(page));
      EXPECT_EQ(ScreenPixel(GetDlgItem(page, 1031), panelRect.right / 2, panelRect.bottom / 2),
                panel);
    }
    EXPECT_EQ(session.Text(page, 1017), JapaneseUi() ? L"© 見た目テスト社" : L"© Look Test Ltd.");
    ShotOf(GetDesktopWindow(), L"dressed-" + tag + L"-1-welcome");
    session.Press(PSBTN_NEXT);
    ASSERT_NE(session.WaitPage(wizardtest::kCompletePage), nullptr);
    ShotOf(session.frame(), L"dressed-" + tag + L"-3-complete");
    session.Press(PSBTN_FINISH);
    ASSERT_TRUE(session.WaitEnd());
    EXPECT_EQ(session.ExitCode(), 0u) << BoxTexts(session.Boxes());
    EXPECT_TRUE(PathExists(package_.InstallFolder() + L"a.txt"));
    testsupport::RemoveTree(package_.InstallFolder());
  }
}

// Bitmaps in the archive that are cut, flat, claim a colour table of 16
// million entries or lack their bit-field masks give no bitmap anywhere
// (banner, panel bitmaps, background logo): the built-in bitmaps or an
// empty area instead, and the run goes on.
TEST_F(WizardLookE2E, HostileBitmapsGiveNoBitmapAndNoCrash) {
  for (const auto& hostile : HostileBitmaps()) {
    for (const wchar_t* style : {L"UseNewWizard=0", L"UseNewWizard=1"}) {
      SCOPED_TRACE(std::string(hostile.first) + " " + Narrow(style));
      const std::wstring setup =
          Build({style, L"UseBannerFile=1", L"BannerFile=bad.bmp", L"UsePanelBitmap=1",
                 L"PanelBitmap=bad.bmp", L"UseWiz97PanelBitmap=1", L"Wiz97PanelBitmap=bad.bmp",
                 L"UseBackScreen=1", L"UseBackScreenLogoBmp=1", L"BackScreenLogoBmp=bad.bmp"},
                {{L"bad.bmp", hostile.second}});
      ASSERT_FALSE(setup.empty());
      WizardSession session;
      HWND page = StartToWelcome(session, setup);
      ASSERT_NE(page, nullptr);
      ASSERT_TRUE(testsupport::PaintNow(page));
      const RECT area = BannerArea(page);
      EXPECT_NE(ScreenPixel(page, area.left + 1, (area.top + area.bottom) / 2), kRed);
      CancelAndWait(session);
    }
  }
}

}  // namespace
