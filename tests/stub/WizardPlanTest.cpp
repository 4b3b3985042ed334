// The wizard's decisions that need no window: which pages, which
// templates and sheet flags, the saved read-me flag, and the sheet's end as
// the run's result.
#include <gtest/gtest.h>

#include <vector>

#include "SfxContainer.h"
#include "WizardPlan.h"

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

}  // namespace
