// Cancelling the wizard while it copies, driven from this process at a known
// file: the test extension module stops at the n-th written file until this
// process has sent its cancel, so the question arrives at the next file
// whatever the timing. A cancelled upgrade leaves every earlier file in its
// old or new version and takes back only what the run brought; a fresh
// installation leaves no folder it made; and whichever way the user closes
// the wizard, the question is asked once.
#include <gtest/gtest.h>

#include <windows.h>
#include <prsht.h>

#include <string>
#include <vector>

#include "InstallerPackage.h"
#include "TestSupport.h"
#include "WizardSession.h"

namespace {

using testsupport::InstallerPackage;
using testsupport::ListTree;
using testsupport::Narrow;
using testsupport::PathExists;
using testsupport::ScopedEnv;
using testsupport::SeenBox;
using wizardtest::WizardSession;

const DWORD kFinished = 0;
const DWORD kClosed = 17;
const wchar_t kQuestion[] = L"Do you want to abort installation?";
const wchar_t kAborted[] = L"Installation has been aborted.";

std::wstring UniqueId() {
  static LONG counter = 0;
  return std::to_wstring(GetCurrentProcessId()) + L"-" +
         std::to_wstring(InterlockedIncrement(&counter));
}

std::string Content(const std::wstring& path) {
  std::vector<uint8_t> bytes;
  if (!testsupport::ReadFileBytes(path, bytes)) return "(missing)";
  return std::string(bytes.begin(), bytes.end());
}

size_t Count(const std::vector<SeenBox>& boxes, const wchar_t* text) {
  size_t count = 0;
  for (const SeenBox& box : boxes)
    if (box.text == text) ++count;
  return count;
}

std::string BoxTexts(const std::vector<SeenBox>& boxes) {
  std::string text;
  for (const SeenBox& box : boxes) text += "[" + Narrow(box.text) + "] ";
  return text;
}

std::string Joined(const std::vector<std::wstring>& names) {
  std::string text;
  for (const std::wstring& name : names) text += Narrow(name) + "; ";
  return text;
}

// The module's stop at the n-th written file: the installer waits there
// until Open(), so what this process sends before is handled at the next
// file.
class FileGate {
 public:
  explicit FileGate(int file)
      : name_(L"VesmarinWizardGate-" + UniqueId()),
        reached_(CreateEventW(nullptr, TRUE, FALSE, (name_ + L"-reached").c_str())),
        go_(CreateEventW(nullptr, TRUE, FALSE, (name_ + L"-go").c_str())),
        gate_(L"VESMARIN_TESTEXT_GATE", name_),
        at_(L"VESMARIN_TESTEXT_GATE_AT", std::to_wstring(file)) {}
  ~FileGate() {
    SetEvent(go_);
    CloseHandle(reached_);
    CloseHandle(go_);
  }
  FileGate(const FileGate&) = delete;
  FileGate& operator=(const FileGate&) = delete;

  // Waits for the installer to stop there, answering its boxes meanwhile.
  bool WaitReached(WizardSession& session, DWORD timeoutMs = 240000) {
    const DWORD start = GetTickCount();
    while (WaitForSingleObject(reached_, 50) != WAIT_OBJECT_0) {
      if (GetTickCount() - start > timeoutMs) return false;
      session.AnswerBoxes();
    }
    return true;
  }
  void Open() { SetEvent(go_); }

 private:
  std::wstring name_;
  HANDLE reached_;
  HANDLE go_;
  ScopedEnv gate_;
  ScopedEnv at_;
};

// The ways a user cancels the copying, sent to the wizard frame.
enum class CancelWay { kButton, kCloseBox, kAltF4, kPostedCancel };

const char* WayName(CancelWay way) {
  switch (way) {
    case CancelWay::kButton: return "Cancel button";
    case CancelWay::kCloseBox: return "close box";
    case CancelWay::kAltF4: return "Alt+F4";
    case CancelWay::kPostedCancel: return "posted IDCANCEL";
  }
  return "";
}

void SendCancel(const WizardSession& session, CancelWay way) {
  HWND frame = session.frame();
  switch (way) {
    case CancelWay::kButton: session.Press(PSBTN_CANCEL); break;
    case CancelWay::kCloseBox: PostMessageW(frame, WM_SYSCOMMAND, SC_CLOSE, 0); break;
    case CancelWay::kAltF4:
      // Alt held (context bit 29), F4 down.
      PostMessageW(frame, WM_SYSKEYDOWN, VK_F4, (1 << 29) | 1);
      break;
    case CancelWay::kPostedCancel: PostMessageW(frame, WM_COMMAND, IDCANCEL, 0); break;
  }
}

class WizardCancelE2E : public ::testing::Test {
 protected:
  // A package whose extension module (ext\module.dll) is loaded and kept
  // back, with these members after it.
  std::wstring BuildWithModule(const std::vector<std::wstring>& more,
                               const testsupport::PackageMembers& files, const std::wstring& name) {
    testsupport::PackageMembers members = {
        InstallerPackage::BinMember(L"stubext_both.dll", L"ext\\module.dll")};
    members.insert(members.end(), files.begin(), files.end());
    std::vector<std::wstring> lines = {L"UseExtensionModuleFile=1",
                                       L"ExtensionModuleFile=ext\\module.dll"};
    lines.insert(lines.end(), more.begin(), more.end());
    const std::wstring setup = package_.Build(lines, members, name);
    EXPECT_FALSE(setup.empty()) << Narrow(package_.LastError());
    return setup;
  }

  // Runs the wizard to the copying, stops at the gate's file, cancels that
  // way and lets the copying go on; the session answers the question.
  void CancelAt(WizardSession& session, const std::wstring& setup, FileGate& gate,
                CancelWay way) {
    ASSERT_TRUE(session.Start(InstallerPackage::CommandLine(setup)));
    ASSERT_NE(session.WaitFrame(), nullptr);
    ASSERT_NE(session.WaitPage(wizardtest::kWelcomePage), nullptr);
    session.Press(PSBTN_NEXT);
    // The installer's thread waits in the module now: only posted messages
    // reach it.
    ASSERT_TRUE(gate.WaitReached(session));
    SendCancel(session, way);
    gate.Open();
  }

  std::wstring Folder() const { return package_.InstallFolder(); }

  InstallerPackage package_{L"wizcancel"};
  testsupport::StubRunLock lock_;
};

std::wstring FileName(int i) {
  wchar_t name[64];
  swprintf(name, 64, L"d%02d\\file%04d.txt", i / 100, i);
  return name;
}

// An installation of 3,000 files, then a second package over it whose copy
// is cancelled at its 1,500th file: every file of the first installation is
// there in its old or its new version, the files and folders that only the
// second package brought are gone, the user's own file stays, exit code 17.
TEST_F(WizardCancelE2E, ACancelledUpgradeKeepsEveryEarlierFileOldOrNew) {
  const int kFiles = 3000;
  testsupport::PackageMembers oldFiles, newFiles;
  for (int i = 0; i < 10; ++i)
    newFiles.push_back({L"added\\new" + std::to_wstring(i) + L".txt", "added"});
  for (int i = 0; i < kFiles; ++i) {
    oldFiles.push_back({FileName(i), "old " + std::to_string(i)});
    newFiles.push_back({FileName(i), "new " + std::to_string(i)});
  }
  const std::wstring first = package_.Build({L"NoUI=1"}, oldFiles, L"First.exe");
  ASSERT_FALSE(first.empty()) << Narrow(package_.LastError());
  const std::wstring second = BuildWithModule({L"AskOverwrite=0"}, newFiles, L"Second.exe");
  ASSERT_FALSE(second.empty());

  const testsupport::DrivenResult installed = package_.Run(first, L"", nullptr, 600000);
  ASSERT_FALSE(installed.timedOut);
  ASSERT_EQ(installed.exitCode, kFinished) << BoxTexts(installed.boxes);
  ASSERT_EQ(Content(Folder() + FileName(kFiles - 1)), "old 2999");
  ASSERT_TRUE(testsupport::WriteTextFile(Folder() + L"d00\\mine.txt", "mine"));

  // The ten added files come first: the gate stops after the new version of
  // file 1,499 (the 1,500th of the earlier files) has been written.
  FileGate gate(10 + kFiles / 2);
  WizardSession session([](const SeenBox& box) { return box.text == kQuestion ? IDYES : IDOK; });
  ASSERT_NO_FATAL_FAILURE(CancelAt(session, second, gate, CancelWay::kButton));
  ASSERT_TRUE(session.WaitEnd(600000));
  EXPECT_EQ(session.ExitCode(), kClosed);
  EXPECT_EQ(Count(session.Boxes(), kQuestion), 1u) << BoxTexts(session.Boxes());
  EXPECT_EQ(Count(session.Boxes(), kAborted), 1u) << BoxTexts(session.Boxes());

  int older = 0, newer = 0;
  std::vector<std::wstring> wrong;
  for (int i = 0; i < kFiles; ++i) {
    const std::string content = Content(Folder() + FileName(i));
    if (content == "old " + std::to_string(i))
      ++older;
    else if (content == "new " + std::to_string(i))
      ++newer;
    else
      wrong.push_back(FileName(i) + L": " + testsupport::Widen(content));
  }
  EXPECT_TRUE(wrong.empty()) << wrong.size() << " files: " << Joined(wrong);
  // The copy stopped at the next file after the question: halfway.
  EXPECT_GE(newer, kFiles / 2);
  EXPECT_LE(newer, kFiles / 2 + 2);
  EXPECT_EQ(older + newer, kFiles);
  EXPECT_EQ(Content(Folder() + L"d00\\mine.txt"), "mine");
  EXPECT_FALSE(PathExists(Folder() + L"added")) << Joined(ListTree(Folder() + L"added\\"));
  EXPECT_FALSE(PathExists(Folder() + L"ext"));
}

// A fresh installation cancelled while it copies leaves no folder that it
// made: neither the installation folder nor the parents it needed. A folder
// that stood before stays with what was in it.
TEST_F(WizardCancelE2E, AFreshCancelledInstallationLeavesNoFolderItMade) {
  testsupport::PackageMembers files;
  for (int i = 0; i < 8; ++i)
    files.push_back({L"sub" + std::to_wstring(i % 2) + L"\\file" + std::to_wstring(i) + L".txt",
                     "file"});
  files.push_back({L"top.txt", "top"});
  const std::wstring made = package_.dir() / L"made";
  const std::wstring deep = made + L"\\deeper\\app\\";
  const std::wstring setup = BuildWithModule({L"ExtractFolder=" + deep.substr(0, deep.size() - 1),
                                              L"UseUnInstall=1", L"UseVesmarinUninstaller=1",
                                              L"UseVesmarinUninstallerFolder=\\",
                                              L"UnInstallTitle=Cancel Test",
                                              L"UnInstallTitleE=Cancel Test",
                                              L"UnInstallKey=VesmarinCancelE2E-" + UniqueId()},
                                             files, L"Setup.exe");
  ASSERT_FALSE(setup.empty());

  {
    SCOPED_TRACE("made by the run");
    FileGate gate(4);
    WizardSession session([](const SeenBox& box) { return box.text == kQuestion ? IDYES : IDOK; });
    ASSERT_NO_FATAL_FAILURE(CancelAt(session, setup, gate, CancelWay::kButton));
    ASSERT_TRUE(session.WaitEnd());
    EXPECT_EQ(session.ExitCode(), kClosed);
    EXPECT_EQ(Count(session.Boxes(), kQuestion), 1u) << BoxTexts(session.Boxes());
    EXPECT_FALSE(PathExists(made)) << Joined(ListTree(made + L"\\"));
    EXPECT_TRUE(PathExists(package_.dir().path()));
  }
  {
    SCOPED_TRACE("there before");
    ASSERT_TRUE(CreateDirectoryW(made.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((made + L"\\deeper").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((deep + L"sub1").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((deep + L"empty").c_str(), nullptr));
    ASSERT_TRUE(testsupport::WriteTextFile(deep + L"sub1\\mine.txt", "mine"));
    FileGate gate(4);
    WizardSession session([](const SeenBox& box) { return box.text == kQuestion ? IDYES : IDOK; });
    ASSERT_NO_FATAL_FAILURE(CancelAt(session, setup, gate, CancelWay::kButton));
    ASSERT_TRUE(session.WaitEnd());
    EXPECT_EQ(session.ExitCode(), kClosed);
    const std::vector<std::wstring> left = ListTree(deep);
    EXPECT_EQ(left, (std::vector<std::wstring>{L"empty\\", L"sub1\\", L"sub1\\mine.txt"}))
        << Joined(left);
  }
}

// The Cancel button, the close box, Alt+F4 and an IDCANCEL posted to the
// frame each ask once; No goes on to the end, Yes aborts.
TEST_F(WizardCancelE2E, EachWayOfClosingAsksOnce) {
  testsupport::PackageMembers files;
  for (int i = 0; i < 8; ++i) files.push_back({L"file" + std::to_wstring(i) + L".txt", "file"});
  const std::wstring setup = BuildWithModule({L"UseNewWizard=1"}, files, L"Setup.exe");
  ASSERT_FALSE(setup.empty());
  for (CancelWay way :
       {CancelWay::kButton, CancelWay::kCloseBox, CancelWay::kAltF4, CancelWay::kPostedCancel}) {
    for (int answer : {IDNO, IDYES}) {
      SCOPED_TRACE(std::string(WayName(way)) + (answer == IDYES ? ", yes" : ", no"));
      testsupport::RemoveTree(Folder());
      FileGate gate(3);
      WizardSession session(
          [answer](const SeenBox& box) { return box.text == kQuestion ? answer : IDOK; });
      ASSERT_NO_FATAL_FAILURE(CancelAt(session, setup, gate, way));
      if (answer == IDNO) {
        ASSERT_NE(session.WaitPage(wizardtest::kCompletePage), nullptr)
            << BoxTexts(session.Boxes());
        session.Press(PSBTN_FINISH);
      }
      ASSERT_TRUE(session.WaitEnd());
      EXPECT_EQ(Count(session.Boxes(), kQuestion), 1u) << BoxTexts(session.Boxes());
      if (answer == IDNO) {
        EXPECT_EQ(session.ExitCode(), kFinished);
        EXPECT_TRUE(PathExists(Folder() + L"file7.txt"));
      } else {
        EXPECT_EQ(session.ExitCode(), kClosed);
        EXPECT_FALSE(PathExists(Folder()));
      }
    }
  }
}

}  // namespace
