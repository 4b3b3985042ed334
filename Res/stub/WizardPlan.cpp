#include "WizardPlan.h"

#include <windows.h>
#include <prsht.h>

#include "SfxContainer.h"
#include "StubSettings.h"
#include "WizardResource.h"
#include "WizardShortcutChoice.h"

namespace stub {

namespace {

struct PageTemplates {
  WORD classic;
  WORD newStyle;
  WORD newStyleSegoe;
};

const PageTemplates kTemplates[] = {
    {IDD_WIZ_WELCOME, IDD_WIZ97_WELCOME, IDD_WIZ97_WELCOME_SEGOE},
    {IDD_WIZ_README, IDD_WIZ97_README, IDD_WIZ97_README_SEGOE},
    {IDD_WIZ_DESTINATION, IDD_WIZ97_DESTINATION, IDD_WIZ97_DESTINATION_SEGOE},
    {IDD_WIZ_READY, IDD_WIZ97_READY, IDD_WIZ97_READY_SEGOE},
    {IDD_WIZ_PERFORMING, IDD_WIZ97_PERFORMING, IDD_WIZ97_PERFORMING_SEGOE},
    {IDD_WIZ_COMPLETE, IDD_WIZ97_COMPLETE, IDD_WIZ97_COMPLETE_SEGOE},
};

const int kResultFinished = 0;
const int kResultWizardFailed = 16;
const int kResultClosed = 17;

}  // namespace

WORD WizardPageTemplate(WizardPage page, bool newStyle, bool segoeDialogs) {
  const PageTemplates& t = kTemplates[page];
  if (!newStyle) return t.classic;
  return segoeDialogs ? t.newStyleSegoe : t.newStyle;
}

bool IsExteriorPage(WizardPage page) { return page == kPageWelcome || page == kPageComplete; }

std::vector<WizardPage> PlanWizardPages(const WizardPlanInput& input) {
  std::vector<WizardPage> pages;
  pages.push_back(kPageWelcome);
  if (input.showReadMe) pages.push_back(kPageReadMe);
  if (input.flagsA & SfxFlagsA::AskExtPath) {
    pages.push_back(kPageDestination);
    pages.push_back(kPageReady);
  } else if (input.offersShortcuts) {
    pages.push_back(kPageReady);
  }
  pages.push_back(kPagePerforming);
  if (!(input.hasCmdLine && (input.flagsB & SfxFlagsB::SkipInstallCompletePageOnAutoExec)))
    pages.push_back(kPageComplete);
  return pages;
}

bool OffersExtraShortcuts(const StubSettings& settings) {
  const ShortcutOffers offers = CollectShortcutOffers(settings);
  return offers.desktop || offers.startup || offers.quickLaunch;
}

DWORD WizardSheetFlags(bool newStyle) {
  if (!newStyle) return PSH_WIZARD | PSH_USEICONID;
  return PSH_WIZARD97 | PSH_WATERMARK | PSH_USEHBMWATERMARK | PSH_HEADER | PSH_USEHBMHEADER |
         PSH_USEICONID;
}

bool ReadMeSkipped(unsigned flagsB, bool valueRead, DWORD value, unsigned readMeCrc) {
  if (!(flagsB & SfxFlagsB::UseSaveExplainShowFlag)) return false;
  if (!valueRead || value == 0) return false;
  if ((flagsB & SfxFlagsB::ExplainNoSkipTextChanged) && value != readMeCrc) return false;
  return true;
}

int MapWizardResult(INT_PTR sheetResult, bool installationCompleted) {
  if (installationCompleted) return kResultFinished;
  if (sheetResult > 0) return kResultFinished;
  if (sheetResult == 0) return kResultClosed;
  return kResultWizardFailed;
}

}  // namespace stub
