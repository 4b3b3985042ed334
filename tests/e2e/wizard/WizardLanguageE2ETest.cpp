// A package that the builder made in one interface language, installed
// through the wizard by a user of the other. Wine gives every program the
// language of the environment its process tree began in, so language.sh
// builds the package in one language and runs this program in the other,
// naming the package and what it must show:
//   VESMARIN_LANGUAGE_SETUP     the installer (Windows path)
//   VESMARIN_LANGUAGE_USER      "ja" or "en": the interface this run must have
//   VESMARIN_LANGUAGE_GREETING  the greeting the Welcome page must show
//   VESMARIN_LANGUAGE_GROUP     the Start-menu group its shortcut must go into
//   VESMARIN_LANGUAGE_TITLE     the shortcut's title
#include <gtest/gtest.h>

#include <windows.h>
#include <prsht.h>
#include <shlobj.h>

#include <string>

#include "DialogDriver.h"
#include "InstallerPackage.h"
#include "TestSupport.h"
#include "WizardSession.h"

namespace {

using testsupport::Narrow;
using testsupport::PathExists;

std::wstring Setting(const wchar_t* name) {
  wchar_t value[1024] = {};
  const DWORD length = GetEnvironmentVariableW(name, value, 1024);
  return length > 0 && length < 1024 ? std::wstring(value, length) : std::wstring();
}

std::wstring ProgramsFolder() {
  wchar_t path[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
}

TEST(WizardLanguage, ThePackageShowsItsOwnTextsToAUserOfTheOtherLanguage) {
  const std::wstring setup = Setting(L"VESMARIN_LANGUAGE_SETUP");
  const std::wstring user = Setting(L"VESMARIN_LANGUAGE_USER");
  const std::wstring greeting = Setting(L"VESMARIN_LANGUAGE_GREETING");
  const std::wstring group = Setting(L"VESMARIN_LANGUAGE_GROUP");
  const std::wstring title = Setting(L"VESMARIN_LANGUAGE_TITLE");
  ASSERT_TRUE(PathExists(setup)) << "run by language.sh, which builds the package";
  ASSERT_FALSE(greeting.empty() || group.empty() || title.empty());
  // The installer inherits this program's interface language.
  ASSERT_EQ(PRIMARYLANGID(GetUserDefaultUILanguage()),
            user == L"ja" ? LANG_JAPANESE : LANG_ENGLISH);

  const std::wstring groupFolder = ProgramsFolder() + L"\\" + group;
  testsupport::RemoveTree(groupFolder);
  testsupport::StubRunLock lock;
  wizardtest::WizardSession session;
  ASSERT_TRUE(session.Start(testsupport::InstallerPackage::CommandLine(setup)));
  ASSERT_NE(session.WaitFrame(), nullptr);
  HWND welcome = session.WaitPage(wizardtest::kWelcomePage);
  ASSERT_NE(welcome, nullptr);
  // The greeting's first line (the builder keeps three).
  EXPECT_EQ(session.Text(welcome, wizardtest::kWelcomePage).find(greeting), 0u)
      << Narrow(session.Text(welcome, wizardtest::kWelcomePage));
  session.Press(PSBTN_NEXT);
  ASSERT_NE(session.WaitPage(wizardtest::kCompletePage), nullptr);
  session.Press(PSBTN_FINISH);
  ASSERT_TRUE(session.WaitEnd());
  EXPECT_EQ(session.ExitCode(), 0u);
  for (const testsupport::SeenBox& box : session.Boxes()) ADD_FAILURE() << Narrow(box.text);
  EXPECT_TRUE(PathExists(groupFolder + L"\\" + title + L".lnk"))
      << "the shortcut is not in " << Narrow(groupFolder);
  testsupport::RemoveTree(groupFolder);
}

}  // namespace
