// The Ready page's shortcut boxes as data: which kinds of shortcut the
// package offers, which boxes show, and what the user's choice does to the
// shortcut items.
#pragma once

namespace stub {

struct StubSettings;

struct ShortcutOffers {
  bool desktop;
  bool startup;
  bool quickLaunch;
};

// The kinds that at least one of the first StartMenuCount items asks for.
ShortcutOffers CollectShortcutOffers(const StubSettings& settings);

// Next on the Ready page: for every offered kind, each item that asked for
// it keeps it only when its box was ticked. An item never gains a kind it
// did not ask for; kinds that were not offered stay as they were.
void ApplyShortcutChoice(StubSettings* settings, const ShortcutOffers& offers, bool desktop,
                         bool startup, bool quickLaunch);

}  // namespace stub
