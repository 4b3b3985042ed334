// Installations onto a drive that fills up (small-drive.sh makes a
// size-limited drive and names it in VESMARIN_FULL_DRIVE): the first write
// that fails ends the installation in silent, ultra-silent and wizard runs,
// with one report naming the file and the system's reason, the exit code
// of a failed installation and nothing of the run left; the same when the
// uninstaller or its information file is what no longer fits.
#include <gtest/gtest.h>

#include <windows.h>
#include <prsht.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "InstallerPackage.h"
#include "SystemMessage.h"
#include "TestSupport.h"
#include "WizardSession.h"

namespace {

using testsupport::InstallerPackage;
using testsupport::ListTree;
using testsupport::Narrow;
using testsupport::PathExists;
using testsupport::SeenBox;

const DWORD kInstallFailed = 9;

std::wstring Drive() {
  const wchar_t* drive = _wgetenv(L"VESMARIN_FULL_DRIVE");
  return drive ? drive : L"";
}

std::wstring UniqueId() {
  static LONG counter = 0;
  return std::to_wstring(GetCurrentProcessId()) + L"-" +
         std::to_wstring(InterlockedIncrement(&counter));
}

// Bytes that no compression makes smaller.
std::string Incompressible(size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  unsigned state = seed * 2654435761u + 1;
  for (char& c : bytes) {
    state = state * 1103515245u + 12345u;
    c = static_cast<char>(state >> 23);
  }
  return bytes;
}

std::wstring BoxTexts(const std::vector<SeenBox>& boxes) {
  std::wstring text;
  for (const SeenBox& box : boxes) text += L"[" + box.caption + L"] " + box.text + L"\n";
  return text;
}

ULONGLONG FreeBytes(const std::wstring& drive) {
  ULARGE_INTEGER free = {};
  GetDiskFreeSpaceExW(drive.c_str(), &free, nullptr, nullptr);
  return free.QuadPart;
}

// Fills the drive until at most `left` bytes stay free.
bool FillDriveLeaving(const std::wstring& filler, ULONGLONG left) {
  const ULONGLONG free = FreeBytes(filler.substr(0, 3));
  if (free <= left) return true;
  HANDLE file = CreateFileW(filler.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const std::string block(65536, 'f');
  ULONGLONG toWrite = free - left;
  bool ok = true;
  while (ok && toWrite > 0) {
    const DWORD piece = toWrite > block.size() ? static_cast<DWORD>(block.size())
                                               : static_cast<DWORD>(toWrite);
    DWORD put = 0;
    ok = WriteFile(file, block.data(), piece, &put, nullptr) && put == piece;
    toWrite -= piece;
  }
  CloseHandle(file);
  return ok;
}

class FullDrive : public ::testing::Test {
 protected:
  void SetUp() override {
    drive_ = Drive();
    if (drive_.empty()) GTEST_SKIP() << "no small drive named in VESMARIN_FULL_DRIVE";
    product_ = drive_ + L"Prod\\";
    key_ = L"VesmarinFullDrive-" + UniqueId();
    ClearDrive();
  }
  void TearDown() override {
    if (drive_.empty()) return;
    ClearDrive();
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, testsupport::UninstallEntryPath(key_).c_str());
  }
  void ClearDrive() {
    for (const std::wstring& name : ListTree(drive_)) {
      if (name.back() == L'\\') continue;
      const std::wstring path = drive_ + name;
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW(path.c_str());
    }
    testsupport::RemoveTree(drive_ + L"Prod");
  }

  std::wstring Build(const std::vector<std::wstring>& more,
                     const testsupport::PackageMembers& members) {
    std::vector<std::wstring> lines = {L"ExtractFolder=" + product_.substr(0, product_.size() - 1),
                                       L"UseUnInstall=1", L"UseVesmarinUninstaller=1",
                                       L"UseVesmarinUninstallerFolder=\\",
                                       L"UnInstallTitle=Full Drive", L"UnInstallTitleE=Full Drive",
                                       L"UnInstallKey=" + key_};
    lines.insert(lines.end(), more.begin(), more.end());
    const std::wstring setup = package_.Build(lines, members);
    EXPECT_FALSE(setup.empty()) << Narrow(package_.LastError());
    return setup;
  }

  // What a failed run must show: its exit code, no uninstall entry, nothing
  // of it on the drive but what stood there before.
  void ExpectNothingOfTheRun(DWORD exitCode, const std::vector<std::wstring>& before) {
    EXPECT_EQ(exitCode, kInstallFailed);
    EXPECT_EQ(ListTree(drive_), before) << Narrow(product_);
    EXPECT_FALSE(PathExists(product_));
    EXPECT_TRUE(testsupport::UninstallCommand(key_).empty());
  }

  // The one report: it names the file (a member of the product folder or
  // the named file) and the system's reason for a full disk, and never
  // says that the installation is complete.
  void ExpectOneReport(const std::vector<SeenBox>& boxes, const std::wstring& file) {
    ASSERT_EQ(boxes.size(), 1u) << Narrow(BoxTexts(boxes));
    const std::wstring& text = boxes[0].text;
    EXPECT_EQ(boxes[0].caption, InstallerPackage::Title());
    EXPECT_NE(text.find(file), std::wstring::npos) << Narrow(text);
    EXPECT_NE(text.find(vesmarin::SystemErrorText(ERROR_DISK_FULL)), std::wstring::npos)
        << Narrow(text);
    EXPECT_EQ(text.find(L"complete"), std::wstring::npos) << Narrow(text);
  }

  std::wstring drive_;
  std::wstring product_;
  std::wstring key_;
  InstallerPackage package_{L"fulldrive"};
};

// More files than the drive holds.
testsupport::PackageMembers ManyFiles(int count) {
  testsupport::PackageMembers members;
  for (int i = 0; i < count; ++i)
    members.push_back({L"data\\f" + std::to_wstring(1000 + i) + L".bin",
                       Incompressible(16 * 1024, static_cast<unsigned>(i))});
  return members;
}

TEST_F(FullDrive, DISABLED_ASilentOrUltraSilentRunEndsAtTheFirstWriteThatFails) {
  const testsupport::PackageMembers members = ManyFiles(420);
  for (bool ultra : {false, true}) {
    SCOPED_TRACE(ultra ? "ultra-silent" : "silent");
    std::vector<std::wstring> lines = {L"NoUI=1"};
    if (ultra) lines.push_back(L"UltraSilentInstall=1");
    const std::wstring setup = Build(lines, members);
    ASSERT_FALSE(setup.empty());
    const std::vector<std::wstring> before = ListTree(drive_);
    testsupport::DrivenResult run = package_.Run(setup);
    ASSERT_FALSE(run.timedOut);
    ExpectNothingOfTheRun(run.exitCode, before);
    if (ultra)
      EXPECT_TRUE(run.boxes.empty()) << Narrow(BoxTexts(run.boxes));
    else
      ExpectOneReport(run.boxes, product_ + L"data\\f");
  }
}

TEST_F(FullDrive, DISABLED_AWizardRunEndsAtTheFirstWriteThatFailsWithoutTheCompletePage) {
  const std::wstring setup = Build({L"NoUI=0"}, ManyFiles(420));
  ASSERT_FALSE(setup.empty());
  const std::vector<std::wstring> before = ListTree(drive_);
  {
    testsupport::StubRunLock lock;
    wizardtest::WizardSession session;
    ASSERT_TRUE(session.Start(InstallerPackage::CommandLine(setup)));
    ASSERT_NE(session.WaitFrame(), nullptr);
    ASSERT_NE(session.WaitPage(wizardtest::kWelcomePage), nullptr);
    session.Press(PSBTN_NEXT);
    // The report comes while the copying page is still up.
    const bool reported = session.WaitBoxes(1, 120000);
    HWND page = session.CurrentPage();
    const bool complete = page && GetDlgItem(page, wizardtest::kCompletePage);
    EXPECT_TRUE(reported);
    EXPECT_FALSE(complete);
    if (complete) session.Press(PSBTN_FINISH);
    ASSERT_TRUE(session.WaitEnd());
    ExpectOneReport(session.Boxes(), product_ + L"data\\f");
    ExpectNothingOfTheRun(session.ExitCode(), before);
  }
}

// Files that fit, then an uninstaller that does not (or an uninstaller that
// fits and an information file that does not): the run ends as failed, and
// the files it wrote go again.
TEST_F(FullDrive, DISABLED_AnUninstallerOrInformationFileThatDoesNotFitEndsTheInstallation) {
  const std::wstring filler = drive_ + L"filler.bin";
  std::vector<uint8_t> uninstaller;
  ASSERT_TRUE(testsupport::ReadFileBytes(testsupport::BinPath(L"Hollmere64.exe"), uninstaller));
  const ULONGLONG page = 4096;
  const ULONGLONG uninstallerPages = (uninstaller.size() + page - 1) / page * page;
  struct Case {
    const char* name;
    ULONGLONG left;
    std::wstring file;
  };
  const std::vector<Case> cases = {
      {"uninstaller", 16 * 1024 + page, product_ + L"Hollmere64.exe"},
      {"information file", 16 * 1024 + uninstallerPages, product_ + L"Hollmere64.$$$"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ClearDrive();
    const std::wstring setup = Build({L"NoUI=1"}, {{L"a.bin", Incompressible(16 * 1024, 7)}});
    ASSERT_FALSE(setup.empty());
    ASSERT_TRUE(FillDriveLeaving(filler, c.left));
    const std::vector<std::wstring> before = ListTree(drive_);
    testsupport::DrivenResult run = package_.Run(setup);
    ASSERT_FALSE(run.timedOut);
    ExpectNothingOfTheRun(run.exitCode, before);
    ExpectOneReport(run.boxes, c.file);
  }
}

}  // namespace
