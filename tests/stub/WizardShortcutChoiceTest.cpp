#include <gtest/gtest.h>

#include <memory>

#include "StubSettings.h"
#include "WizardPlan.h"
#include "WizardShortcutChoice.h"

namespace {

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

}  // namespace
