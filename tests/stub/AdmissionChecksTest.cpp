// The admission checks' decisions and their system calls under Wine.
#include <gtest/gtest.h>

#include "AdmissionChecks.h"
#include "SfxContainer.h"
#include "StubState.h"
#include "TestSupport.h"

namespace {

TEST(AdmissionChecks, Deny64bitModeRefusesOnlyUnderWow64) {
  EXPECT_TRUE(stub::RefusesWow64(SfxFlagsA::Deny64bitMode, true));
  EXPECT_TRUE(stub::RefusesWow64(SfxFlagsA::Deny64bitMode | SfxFlagsA::CheckTrust, true));
  EXPECT_FALSE(stub::RefusesWow64(SfxFlagsA::Deny64bitMode, false));
  EXPECT_FALSE(stub::RefusesWow64(SfxFlagsA::CheckTrust, true));
}

TEST(AdmissionChecks, UnsignedProgramIsNotTrusted) {
  stub::g_UltraSilent = true;  // no trust user interface
  LONG status = 0;
  EXPECT_FALSE(stub::IsFileTrusted(testsupport::BinPath(L"stub_tests.exe").c_str(), &status));
  EXPECT_EQ(static_cast<unsigned long>(status), 0x800B0100ul);  // TRUST_E_NOSIGNATURE
  stub::g_UltraSilent = false;
}

TEST(AdmissionChecks, WinesUserIsAnAdministratorWithMachineRights) {
  // Wine's token is an administrator's and HKLM is writable; the refusals
  // cannot be shown here.
  EXPECT_TRUE(stub::CanWriteMachineRegistry());
  EXPECT_TRUE(stub::IsUserAdministrator());
}

}  // namespace
