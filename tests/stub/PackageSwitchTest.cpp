// The package's own switch: after "/" or "-", a whole token, any case.
#include <gtest/gtest.h>

#include "PackageSwitch.h"
#include "SfxContainer.h"

namespace {

TEST(PackageSwitch, MatchesAWholeOptionTokenInAnyCase) {
  EXPECT_TRUE(stub::HasPackageSwitch(L"/Silent", L"silent"));
  EXPECT_TRUE(stub::HasPackageSwitch(L"-SILENT", L"Silent"));
  EXPECT_TRUE(stub::HasPackageSwitch(L"other /x \"-silent\"", L"silent"));
  EXPECT_TRUE(stub::HasPackageSwitch(L"  /a   /silent  ", L"silent"));
}

TEST(PackageSwitch, AbbreviationsValuesAndArgumentsDoNotMatch) {
  EXPECT_FALSE(stub::HasPackageSwitch(L"/sil", L"silent"));
  EXPECT_FALSE(stub::HasPackageSwitch(L"/silently", L"silent"));
  EXPECT_FALSE(stub::HasPackageSwitch(L"/silent:1", L"silent"));
  EXPECT_FALSE(stub::HasPackageSwitch(L"silent", L"silent"));
  EXPECT_FALSE(stub::HasPackageSwitch(L"", L"silent"));
  EXPECT_FALSE(stub::HasPackageSwitch(nullptr, L"silent"));
  EXPECT_FALSE(stub::HasPackageSwitch(L"/ /-", L""));
}

TEST(PackageSwitch, FlipTurnsWizardSilentAndSilentIntoTheNewWizard) {
  uint32_t a = 0, b = 0;
  stub::FlipSilentMode(&a, &b);
  EXPECT_EQ(b, SfxFlagsB::NoUI);
  EXPECT_EQ(a, 0u);
  uint32_t a2 = SfxFlagsA::CheckTrust, b2 = SfxFlagsB::NoUI | SfxFlagsB::UltraSilentInstall;
  stub::FlipSilentMode(&a2, &b2);
  EXPECT_EQ(b2, SfxFlagsB::UltraSilentInstall);
  EXPECT_EQ(a2, SfxFlagsA::CheckTrust | SfxFlagsA::UseNewWizard);
}

}  // namespace
