#include "WizardShortcutChoice.h"

#include "StubSettings.h"

namespace stub {

namespace {

int ItemCount(const StubSettings& settings) {
  if (settings.StartMenuCount < 0) return 0;
  return settings.StartMenuCount < kMaxStartMenuItems ? settings.StartMenuCount
                                                      : kMaxStartMenuItems;
}

}  // namespace

ShortcutOffers CollectShortcutOffers(const StubSettings& settings) {
  ShortcutOffers offers = {false, false, false};
  for (int i = 0; i < ItemCount(settings); ++i) {
    const StartMenuItem& item = settings.StartMenu[i];
    offers.desktop = offers.desktop || item.CreateOnDesktop;
    offers.startup = offers.startup || item.CreateOnStartup;
    offers.quickLaunch = offers.quickLaunch || item.CreateOnQuickLaunch;
  }
  return offers;
}

void ApplyShortcutChoice(StubSettings* settings, const ShortcutOffers& offers, bool desktop,
                         bool startup, bool quickLaunch) {
  for (int i = 0; i < ItemCount(*settings); ++i) {
    StartMenuItem& item = settings->StartMenu[i];
    if (offers.desktop && item.CreateOnDesktop) item.CreateOnDesktop = desktop;
    if (offers.startup && item.CreateOnStartup) item.CreateOnStartup = startup;
    if (offers.quickLaunch && item.CreateOnQuickLaunch) item.CreateOnQuickLaunch = quickLaunch;
  }
}

}  // namespace stub
