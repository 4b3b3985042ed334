// What the sheet shows on the screen: the banner preview painted from the
// archive, and a screenshot of every page (under <bin>\screenshots) in the
// language of the run.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "SheetFixture.h"
#include "TestCabinet.h"
#include "TestSupport.h"

namespace {

using sheettest::SheetRun;

const int kBanner = 144, kBannerPreview = 1094;
const int kPageIds[] = {162, 187, 178, 119, 144, 156, 121, 120, 125, 130, 129, 166, 180};

// A 24-bit .bmp of one colour.
std::string SolidBitmap(int width, int height, uint8_t red, uint8_t green, uint8_t blue) {
  const uint32_t stride = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
  const uint32_t pixels = stride * static_cast<uint32_t>(height);
  std::string bytes(54 + pixels, '\0');
  auto put32 = [&](size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
  };
  bytes[0] = 'B';
  bytes[1] = 'M';
  put32(2, static_cast<uint32_t>(bytes.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(width));
  put32(22, static_cast<uint32_t>(height));
  bytes[26] = 1;
  bytes[28] = 24;
  put32(34, pixels);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const size_t at = 54 + y * stride + x * 3;
      bytes[at] = static_cast<char>(blue);
      bytes[at + 1] = static_cast<char>(green);
      bytes[at + 2] = static_cast<char>(red);
    }
  return bytes;
}

COLORREF ScreenPixel(int x, int y) {
  HDC screen = GetDC(nullptr);
  COLORREF colour = GetPixel(screen, x, y);
  ReleaseDC(nullptr, screen);
  return colour;
}

std::string BannerDefinition(const std::wstring& cabinet, const char* banner) {
  return "[Vesmarin]\r\nSrcArchiveFile=" + testsupport::Narrow(cabinet) +
         "\r\nUseBannerFile=1\r\nBannerFile=" + banner + "\r\n";
}

std::wstring WriteBannerCabinet(const std::wstring& path) {
  testsupport::TestCabinet cabinet;
  cabinet.Add(L"banner.bmp", SolidBitmap(100, 20, 255, 0, 0));
  // "BM" and a header whose pixels lie far beyond the block.
  std::string bad = SolidBitmap(100, 20, 255, 0, 0).substr(0, 60);
  bad[22] = 0x7F;
  cabinet.Add(L"bad.bmp", bad);
  cabinet.Add(L"text.bmp", "not a bitmap at all");
  return cabinet.WriteTo(path) ? path : L"";
}

TEST(SheetPictures, BannerPreviewShowsTheArchiveBannerLeftAlignedAndNothingForABadOne) {
  const testsupport::TempDir dir(L"sp");
  const std::wstring cabinet = WriteBannerCabinet(dir / L"pictures.cab");
  ASSERT_FALSE(cabinet.empty());
  {
    SheetRun run(BannerDefinition(cabinet, "banner.bmp"));
    ASSERT_TRUE(run.OpenAt(kBanner));
    ASSERT_TRUE(run.Visible(kBannerPreview));
    RECT area;
    GetWindowRect(GetDlgItem(run.Page(), kBannerPreview), &area);
    ASSERT_GT(area.right - area.left, 120);
    const int middle = (area.top + area.bottom) / 2;
    EXPECT_TRUE(builderwindow::WaitFor(
        [&] { return ScreenPixel(area.left + 5, middle) == RGB(255, 0, 0); }, 5000));
    EXPECT_EQ(RGB(255, 0, 0), ScreenPixel(area.left + 95, middle));
    EXPECT_NE(RGB(255, 0, 0), ScreenPixel(area.left + 110, middle));
    // A 20-pixel banner is centred: the top rows of a taller area stay empty.
    EXPECT_NE(RGB(255, 0, 0), ScreenPixel(area.left + 5, area.top + 1));
    builderwindow::SaveScreenshot(run.sheet().Sheet(), L"sheet-banner-preview");
    EXPECT_TRUE(run.Cancel());
    run.ExitAndRead();
  }
  for (const char* broken : {"bad.bmp", "text.bmp", "missing.bmp"}) {
    SheetRun run(BannerDefinition(cabinet, broken));
    ASSERT_TRUE(run.Open());
    ASSERT_TRUE(run.Select(kBanner)) << broken;
    RECT area;
    GetWindowRect(GetDlgItem(run.Page(), kBannerPreview), &area);
    ASSERT_TRUE(testsupport::PaintNow(run.Page())) << broken;
    EXPECT_NE(RGB(255, 0, 0), ScreenPixel(area.left + 5, (area.top + area.bottom) / 2)) << broken;
    // The page still works and the name stays as it was.
    EXPECT_EQ(testsupport::Widen(broken), run.Text(1014));
    EXPECT_TRUE(run.Ok()) << broken;
    EXPECT_TRUE(run.builder().process().Running()) << broken;
    run.ExitAndRead();
  }
}

TEST(SheetPictures, EveryPageShows) {
  const std::wstring tag = sheettest::JapaneseInterface() ? L"ja" : L"en";
  SheetRun run(
      "[Vesmarin]\r\nBootOSCheck=1\r\nBootableOS=8352\r\nUseNewWizard=1\r\nUsePanelBitmap=1\r\n"
      "PanelBitmap=panel.bmp\r\nUseBannerFile=0\r\nUseURL=1\r\nHPTitle=Visit us\r\n"
      "URL=http://example.test/\r\nUseBackScreen=1\r\nBackScreenTextE=Welcome\r\n"
      "BackScreenText=Welcome\r\nUseBackScreenLogoBmp=1\r\nBackScreenLogoBmp=logo.bmp\r\n");
  ASSERT_TRUE(run.Open());
  for (int id : kPageIds) {
    ASSERT_TRUE(run.Select(id)) << id;
    EXPECT_TRUE(builderwindow::SaveScreenshot(run.sheet().Sheet(),
                                              L"sheet-" + tag + L"-" + std::to_wstring(id)));
  }
  EXPECT_TRUE(run.Cancel());
}

// The dialogs the pages open, each captured alone.
TEST(SheetPictures, EveryPageDialogShows) {
  const std::wstring tag = sheettest::JapaneseInterface() ? L"ja" : L"en";
  SheetRun run(
      "[Vesmarin]\r\nUseUnInstall=1\r\nUseVesmarinUninstaller=1\r\nDenyUsers=1\r\n"
      "UnInstallKey=App\r\nUnInstallTitle=App\r\n");
  ASSERT_TRUE(run.Open());
  struct Opened {
    int page, button, control;
    const wchar_t* name;
  };
  // Page, the button that opens the dialog, a control unique to the dialog.
  const Opened dialogs[] = {{130, 1204, 1105, L"uninstaller-settings"},
                            {130, 1203, 1273, L"register-options"},
                            {166, 1191, 1069, L"extra-copy"},
                            {166, 1179, 1049, L"com-server"}};
  for (const Opened& opened : dialogs) {
    ASSERT_TRUE(run.Select(opened.page)) << opened.page;
    testsupport::PressButton(run.Page(), opened.button);
    HWND dialog = run.builder().WaitDialog(opened.control);
    ASSERT_NE(nullptr, dialog) << testsupport::Narrow(opened.name);
    EXPECT_TRUE(builderwindow::SaveScreenshot(dialog, std::wstring(L"dialog-") + opened.name + L"-" + tag));
    testsupport::PressButton(dialog, IDCANCEL);
    ASSERT_TRUE(testsupport::WaitForWindowGone(dialog, 10000)) << testsupport::Narrow(opened.name);
  }
  EXPECT_TRUE(run.Cancel());
}

}  // namespace
