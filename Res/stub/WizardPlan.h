// Which pages the installer wizard has, in which templates, with which
// sheet flags, and what its end means for the run: the decisions of the
// wizard frame that need no window.
#pragma once
#include <windows.h>

#include <vector>

namespace stub {

struct StubSettings;

enum WizardPage {
  kPageWelcome,
  kPageReadMe,
  kPageDestination,
  kPageReady,
  kPagePerforming,
  kPageComplete,
};

// The template of a page in the classic style, the new style, or the new
// style with the Segoe UI dialog set (the classic style uses its templates
// with either set).
WORD WizardPageTemplate(WizardPage page, bool newStyle, bool segoeDialogs);

// Whether the page is a header-less exterior page of the new style.
bool IsExteriorPage(WizardPage page);

// What the page inclusion needs to know besides the flag words.
struct WizardPlanInput {
  unsigned flagsA;
  unsigned flagsB;
  bool showReadMe;       // a read-me is set and the saved flag does not skip it
  bool offersShortcuts;  // an item asks for a desktop, Startup or Quick Launch shortcut
  bool hasCmdLine;       // a program runs after the installation
};

// The pages in order.
std::vector<WizardPage> PlanWizardPages(const WizardPlanInput& input);

// Some shortcut item among the first `count` asks for a desktop, Startup or
// Quick Launch shortcut.
bool OffersExtraShortcuts(const StubSettings& settings);

// The property sheet's flags: classic (wizard, icon by id) or new style
// (Wizard97 with watermark and header given as bitmap handles).
DWORD WizardSheetFlags(bool newStyle);

// The saved read-me flag skips the page: UseSaveExplainShowFlag is set, the
// value was read (valueRead) and is not 0, and with ExplainNoSkipTextChanged
// it equals the text's CRC-16.
bool ReadMeSkipped(unsigned flagsB, bool valueRead, DWORD value, unsigned readMeCrc);

// The wizard's result from the property sheet's: positive (Finish) gives 0,
// 0 (closed) gives 17, negative (error) gives 16. An installation that
// completed is never reported as cancelled.
int MapWizardResult(INT_PTR sheetResult, bool installationCompleted);

}  // namespace stub
