// The wizard's decisions that need no window: which pages, which
// templates and sheet flags, the saved read-me flag, the shortcut boxes'
// effect on the items, and the sheet's end as the run's result.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "BackScreen.h"
#include "SfxContainer.h"
#include "StubSettings.h"
#include "WizardPercentBar.h"
#include "WizardPlan.h"
#include "WizardReadMe.h"
#include "WizardShortcutChoice.h"
#include "WizardWelcomeBanner.h"

namespace {

using stub::WizardPage;

std::vector<WizardPage> Plan(unsigned flagsA, unsigned flagsB, bool readMe, bool shortcuts,
                             bool cmdLine) {
  return stub::PlanWizardPages({flagsA, flagsB, readMe, shortcuts, cmdLine});
}

TEST(WizardPlan, PagesFollowTheFolderQuestionShortcutsAndTheProgramRunAfterwards) {
  using namespace stub;
  const unsigned skip = SfxFlagsB::SkipInstallCompletePageOnAutoExec;
  // Group shortcuts only: Welcome, Performing, Complete.
  EXPECT_EQ(Plan(0, 0, false, false, false),
            (std::vector<WizardPage>{kPageWelcome, kPagePerforming, kPageComplete}));
  // A desktop, Startup or Quick Launch request adds Ready.
  EXPECT_EQ(Plan(0, 0, false, true, false),
            (std::vector<WizardPage>{kPageWelcome, kPageReady, kPagePerforming, kPageComplete}));
  // The folder question brings Destination and Ready, shortcuts or not.
  EXPECT_EQ(Plan(SfxFlagsA::AskExtPath, 0, true, false, false),
            (std::vector<WizardPage>{kPageWelcome, kPageReadMe, kPageDestination, kPageReady,
                                     kPagePerforming, kPageComplete}));
  // The Complete page goes only with a program to run and the flag.
  EXPECT_EQ(Plan(0, skip, false, false, true),
            (std::vector<WizardPage>{kPageWelcome, kPagePerforming}));
  EXPECT_EQ(Plan(0, skip, false, false, false).back(), kPageComplete);
  EXPECT_EQ(Plan(0, 0, false, false, true).back(), kPageComplete);
}

TEST(WizardPlan, TemplatesAndSheetFlagsOfBothStyles) {
  using namespace stub;
  EXPECT_EQ(WizardPageTemplate(kPageWelcome, false, false), 109);
  EXPECT_EQ(WizardPageTemplate(kPageWelcome, false, true), 109) << "classic with Segoe UI";
  EXPECT_EQ(WizardPageTemplate(kPageWelcome, true, false), 136);
  EXPECT_EQ(WizardPageTemplate(kPageWelcome, true, true), 168);
  EXPECT_EQ(WizardPageTemplate(kPageReadMe, true, true), 169);
  EXPECT_EQ(WizardPageTemplate(kPageDestination, false, false), 101);
  EXPECT_EQ(WizardPageTemplate(kPageReady, true, false), 142);
  EXPECT_EQ(WizardPageTemplate(kPagePerforming, false, false), 102);
  EXPECT_EQ(WizardPageTemplate(kPagePerforming, true, true), 174);
  EXPECT_EQ(WizardPageTemplate(kPageComplete, true, false), 140);
  EXPECT_EQ(WizardPageTemplate(kPageComplete, true, true), 167);
  EXPECT_TRUE(IsExteriorPage(kPageWelcome));
  EXPECT_TRUE(IsExteriorPage(kPageComplete));
  EXPECT_FALSE(IsExteriorPage(kPagePerforming));
  EXPECT_EQ(WizardSheetFlags(false), 0x24u);
  EXPECT_EQ(WizardSheetFlags(true), 0x1198004u);
}

TEST(WizardPlan, SheetEndBecomesTheRunsResult) {
  EXPECT_EQ(stub::MapWizardResult(1, false), 0);
  EXPECT_EQ(stub::MapWizardResult(2, false), 0);
  EXPECT_EQ(stub::MapWizardResult(0, false), 17);
  EXPECT_EQ(stub::MapWizardResult(-1, false), 16);
  // A completed installation is never reported as cancelled or failed.
  EXPECT_EQ(stub::MapWizardResult(0, true), 0);
  EXPECT_EQ(stub::MapWizardResult(-1, true), 0);
}

TEST(WizardPlan, SavedReadMeFlagSkipsThePageOnlyWhenItStillHolds) {
  const unsigned use = SfxFlagsB::UseSaveExplainShowFlag;
  const unsigned changed = use | SfxFlagsB::ExplainNoSkipTextChanged;
  EXPECT_FALSE(stub::ReadMeSkipped(0, true, 7, 7)) << "flag not used";
  EXPECT_TRUE(stub::ReadMeSkipped(use, true, 7, 7));
  EXPECT_TRUE(stub::ReadMeSkipped(use, true, 1, 7)) << "a changed text is skipped without the flag";
  EXPECT_FALSE(stub::ReadMeSkipped(changed, true, 1, 7)) << "and shown with it";
  EXPECT_TRUE(stub::ReadMeSkipped(changed, true, 7, 7));
  EXPECT_FALSE(stub::ReadMeSkipped(use, true, 0, 7)) << "0 shows the page";
  EXPECT_FALSE(stub::ReadMeSkipped(use, false, 7, 7)) << "no value shows the page";
}

TEST(WizardPlan, ReadMeCrcCoversTheUtf16BytesInLittleEndianOrder) {
  // CRC-16/ARC of "1" "\0" "2" "\0": the code units as little-endian bytes.
  const uint8_t bytes[] = {'1', 0, '2', 0};
  uint16_t expected = 0;
  for (uint8_t b : bytes) {
    expected ^= b;
    for (int i = 0; i < 8; ++i)
      expected = (expected & 1) ? (expected >> 1) ^ 0xA001 : expected >> 1;
  }
  EXPECT_EQ(stub::ReadMeTextCrc(L"12"), expected);
  EXPECT_EQ(stub::ReadMeTextCrc(L""), 0);
  EXPECT_NE(stub::ReadMeTextCrc(L"\x3042"), stub::ReadMeTextCrc(L"\x4230"));
}

class ShortcutChoice : public ::testing::Test {
 protected:
  ShortcutChoice() : s(new stub::StubSettings()) {
    s->StartMenuCount = 3;
    s->StartMenu[0].CreateOnDesktop = true;
    s->StartMenu[0].CreateOnStartup = true;
    s->StartMenu[1].CreateOnDesktop = true;
    s->StartMenu[2].CreateOnQuickLaunch = true;
    // Beyond the count: never looked at.
    s->StartMenu[3].CreateOnDesktop = true;
  }
  std::unique_ptr<stub::StubSettings> s;
};

TEST_F(ShortcutChoice, OffersComeFromTheCountedItems) {
  stub::ShortcutOffers offers = stub::CollectShortcutOffers(*s);
  EXPECT_TRUE(offers.desktop);
  EXPECT_TRUE(offers.startup);
  EXPECT_TRUE(offers.quickLaunch);
  EXPECT_TRUE(stub::OffersExtraShortcuts(*s));
  s->StartMenuCount = 0;
  EXPECT_FALSE(stub::OffersExtraShortcuts(*s)) << "item 3 is beyond the count";
}

TEST_F(ShortcutChoice, UntickedBoxesClearOnlyWhatWasAskedAndNothingIsGained) {
  const stub::ShortcutOffers offers = stub::CollectShortcutOffers(*s);
  stub::ApplyShortcutChoice(s.get(), offers, false, true, true);
  EXPECT_FALSE(s->StartMenu[0].CreateOnDesktop);
  EXPECT_FALSE(s->StartMenu[1].CreateOnDesktop);
  EXPECT_TRUE(s->StartMenu[0].CreateOnStartup);
  EXPECT_FALSE(s->StartMenu[1].CreateOnStartup) << "a ticked box gives nothing new";
  EXPECT_FALSE(s->StartMenu[1].CreateOnQuickLaunch);
  EXPECT_TRUE(s->StartMenu[2].CreateOnQuickLaunch);
  EXPECT_TRUE(s->StartMenu[3].CreateOnDesktop) << "beyond the count";
  // A kind that was not offered is left alone even when its box reads false.
  stub::ShortcutOffers none = {false, false, false};
  stub::ApplyShortcutChoice(s.get(), none, false, false, false);
  EXPECT_TRUE(s->StartMenu[0].CreateOnStartup);
  EXPECT_TRUE(s->StartMenu[2].CreateOnQuickLaunch);
}

TEST(WizardPercentBar, FilledWidthAndPaintedColours) {
  EXPECT_EQ(stub::PercentBarFilledWidth(200, 25), 50);
  EXPECT_EQ(stub::PercentBarFilledWidth(201, 50), 100);
  // Painted into a memory bitmap: at 0 % the left edge stays white, at 100 %
  // the right edge is the highlight colour.
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 100, 12);
  SelectObject(dc, bitmap);
  SelectObject(dc, GetStockObject(WHITE_BRUSH));
  RECT rect = {0, 0, 100, 12};
  const COLORREF highlight = GetNearestColor(dc, GetSysColor(COLOR_HIGHLIGHT));
  stub::PaintPercentBar(dc, rect, 0);
  EXPECT_EQ(GetPixel(dc, 5, 1), RGB(255, 255, 255));
  stub::PaintPercentBar(dc, rect, 100);
  EXPECT_EQ(GetPixel(dc, 95, 1), highlight);
  // Above 100 nothing is painted.
  stub::PaintPercentBar(dc, rect, 0);
  stub::PaintPercentBar(dc, rect, 101);
  EXPECT_EQ(GetPixel(dc, 95, 1), RGB(255, 255, 255));
  DeleteDC(dc);
  DeleteObject(bitmap);
  ReleaseDC(nullptr, screen);
}

}  // namespace

namespace {

// The background's gradient bands: a 128th of the height, never 0, so that
// a low window is still painted band by band.
TEST(BackScreen, BandsAreAHundredAndTwentyEighthOfTheHeightAndNeverEmpty) {
  EXPECT_EQ(stub::BackScreenBandHeight(1024), 8);
  EXPECT_EQ(stub::BackScreenBandHeight(1000), 7);
  EXPECT_EQ(stub::BackScreenBandHeight(127), 1);
  EXPECT_EQ(stub::BackScreenBandHeight(100), 1);
  EXPECT_EQ(stub::BackScreenBandHeight(0), 1);
}

// The banner never leaves its area; a lower one keeps its height.
TEST(WelcomeBanner, DrawnSizeStaysInsideTheArea) {
  auto drawn = [](LONG w, LONG h) {
    const SIZE size = stub::BannerDrawnSize({w, h}, {260, 40});
    return std::make_pair(size.cx, size.cy);
  };
  EXPECT_EQ(drawn(400, 100), std::make_pair(260L, 40L)) << "larger both ways: the area";
  EXPECT_EQ(drawn(20, 10), std::make_pair(20L, 10L)) << "smaller: its own size";
  EXPECT_EQ(drawn(400, 10), std::make_pair(260L, 10L)) << "only wider";
  EXPECT_EQ(drawn(20, 100), std::make_pair(20L, 40L)) << "only taller";
}

}  // namespace
