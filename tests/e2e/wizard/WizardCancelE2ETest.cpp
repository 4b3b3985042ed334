// Cancelling the wizard while it copies, driven from this process at a known
// file: the test extension module stops at the n-th written file until this
// process has sent its cancel, so the question arrives at the next file
// whatever the timing. A cancelled upgrade leaves every earlier file in its
// old or new version and takes back only what the run brought; a fresh
// installation leaves no folder it made; and whichever way the user closes
// the wizard, the question is asked once. Every other way an upgrade ends
// early (the overwrite question's Cancel, the module's stop, a file that
// cannot be written in a silent run) leaves the earlier installation as its
// uninstaller lists it.
#include <gtest/gtest.h>

#include <windows.h>
#include <prsht.h>
#include <shlobj.h>

#include <algorithm>
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

// The paths that an uninstall information file lists below folder, relative
// to it and sorted (the folder itself left out).
std::vector<std::wstring> ListedBelow(const std::wstring& info, const std::wstring& folder) {
  std::vector<uint8_t> stored;
  if (!testsupport::ReadFileBytes(info, stored)) return {};
  for (uint8_t& b : stored) b ^= 0xFF;
  const std::wstring text(reinterpret_cast<const wchar_t*>(stored.data()), stored.size() / 2);
  std::vector<std::wstring> listed;
  for (const std::wstring& line : testsupport::IniSection(testsupport::CrLfLines(text), L"Files")) {
    const std::wstring path = line.substr(line.find(L'=') + 1);
    if (path.size() > folder.size() && _wcsnicmp(path.c_str(), folder.c_str(), folder.size()) == 0)
      listed.push_back(path.substr(folder.size()));
  }
  std::sort(listed.begin(), listed.end());
  return listed;
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

// An installation of 1,000 files with its uninstaller, then an upgrade that
// brings new files (in a new folder and beside the earlier ones) and a
// shortcut in a new group, ended early in each way: "Cancel" at the overwrite
// question, the extension module's stop after the last step, a file held open
// in a silent run, the wizard's Cancel. Each time the folder holds exactly
// what the earlier uninstall information lists (that file unchanged), each
// earlier file in its old or new version, and the group is gone; the
// uninstaller then takes the whole folder.
TEST_F(WizardCancelE2E, EveryEarlyEndOfAnUpgradeLeavesWhatTheUninstallerLists) {
  const int kFiles = 1000;
  const std::wstring key = L"VesmarinEarlyEnd-" + UniqueId();
  wchar_t programs[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, programs);
  const std::wstring group = L"Vesmarin Early End " + UniqueId();
  const std::wstring groupFolder = std::wstring(programs) + L"\\" + group;
  const std::vector<std::wstring> uninstaller = {
      L"UseUnInstall=1",           L"UseVesmarinUninstaller=1", L"UseVesmarinUninstallerFolder=\\",
      L"UnInstallTitle=Early End", L"UnInstallTitleE=Early End", L"UnInstallKey=" + key};
  testsupport::PackageMembers oldFiles, newFiles;
  for (int i = 0; i < 5; ++i) {
    newFiles.push_back({L"added\\new" + std::to_wstring(i) + L".txt", "added"});
    newFiles.push_back({L"d00\\extra" + std::to_wstring(i) + L".txt", "extra"});
  }
  const int kAdded = static_cast<int>(newFiles.size());
  for (int i = 0; i < kFiles; ++i) {
    oldFiles.push_back({FileName(i), "old " + std::to_string(i)});
    newFiles.push_back({FileName(i), "new " + std::to_string(i)});
  }
  std::vector<std::wstring> firstLines = uninstaller;
  firstLines.push_back(L"NoUI=1");
  const std::wstring first = package_.Build(firstLines, oldFiles, L"First.exe");
  ASSERT_FALSE(first.empty()) << Narrow(package_.LastError());
  std::vector<std::wstring> upgrade = uninstaller;
  upgrade.insert(upgrade.end(), {L"UseStartMenu=1", L"StartMenuToCommon=0",
                                 L"StartMenuGroup=" + group, L"StartMenuGroupE=" + group,
                                 L"StartMenu0_Title=Tools\\Added", L"StartMenu0_File=added\\new0.txt",
                                 L"StartMenu0_TitleE=Tools\\Added",
                                 L"StartMenu0_FileE=added\\new0.txt", L"OverWriteMethod=0"});
  auto with = [&upgrade](std::vector<std::wstring> more) {
    more.insert(more.begin(), upgrade.begin(), upgrade.end());
    return more;
  };
  const std::wstring asking = BuildWithModule(with({L"NoUI=1", L"AskOverwrite=1"}), newFiles, L"Ask.exe");
  const std::wstring silent = BuildWithModule(with({L"NoUI=1", L"AskOverwrite=0"}), newFiles, L"Silent.exe");
  const std::wstring wizard = BuildWithModule(with({L"AskOverwrite=0"}), newFiles, L"Wizard.exe");
  ASSERT_FALSE(asking.empty() || silent.empty() || wizard.empty());

  const testsupport::DrivenResult installed = package_.Run(first, L"", nullptr, 600000);
  ASSERT_FALSE(installed.timedOut);
  ASSERT_EQ(installed.exitCode, kFinished) << BoxTexts(installed.boxes);
  const std::wstring folder = Folder();
  const std::wstring info = folder + L"Hollmere64.$$$";
  std::vector<uint8_t> infoBefore;
  ASSERT_TRUE(testsupport::ReadFileBytes(info, infoBefore));
  const std::vector<std::wstring> tree = ListTree(folder);
  std::vector<std::wstring> listed = ListedBelow(info, folder);
  listed.insert(listed.end(), {L"Hollmere64.$$$", L"Hollmere64.exe"});
  std::sort(listed.begin(), listed.end());
  ASSERT_EQ(tree, listed) << "listed: " << Joined(listed);

  auto expectAsListed = [&](DWORD exitCode, DWORD expected) {
    EXPECT_EQ(exitCode, expected);
    const std::vector<std::wstring> now = ListTree(folder);
    std::vector<std::wstring> orphans, missing;
    std::set_difference(now.begin(), now.end(), tree.begin(), tree.end(), std::back_inserter(orphans));
    std::set_difference(tree.begin(), tree.end(), now.begin(), now.end(), std::back_inserter(missing));
    EXPECT_TRUE(orphans.empty()) << orphans.size() << " not listed: " << Joined(orphans);
    EXPECT_TRUE(missing.empty()) << missing.size() << " missing: " << Joined(missing);
    int wrong = 0;
    for (int i = 0; i < kFiles; ++i) {
      const std::string content = Content(folder + FileName(i));
      if (content != "old " + std::to_string(i) && content != "new " + std::to_string(i)) ++wrong;
    }
    EXPECT_EQ(wrong, 0);
    std::vector<uint8_t> infoNow;
    EXPECT_TRUE(testsupport::ReadFileBytes(info, infoNow) && infoNow == infoBefore);
    EXPECT_FALSE(PathExists(groupFolder)) << Joined(ListTree(groupFolder));
  };
  {
    SCOPED_TRACE("Cancel at the overwrite question");
    testsupport::DrivenProcess process;
    ASSERT_TRUE(process.Start(InstallerPackage::CommandLine(asking)));
    HWND question = process.WaitForDialogWithControl(1004, 120000);
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(testsupport::ControlText(question, 1004), folder + FileName(0));
    ASSERT_TRUE(testsupport::PressButton(question, 4));
    ASSERT_TRUE(process.WaitAnswering(nullptr, 120000));
    expectAsListed(process.ExitCode(), kClosed);
  }
  {
    SCOPED_TRACE("the module stops after the last step");
    ScopedEnv stop(L"VESMARIN_TESTEXT_ANSWER_1004", L"1");
    const testsupport::DrivenResult run = package_.Run(silent, L"", nullptr, 600000);
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(Content(folder + FileName(kFiles - 1)), "new 999");
    expectAsListed(run.exitCode, kClosed);
  }
  {
    SCOPED_TRACE("a file that cannot be written in a silent run");
    HANDLE held = CreateFileW((folder + FileName(kFiles / 2)).c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const testsupport::DrivenResult run = package_.Run(silent, L"", nullptr, 600000);
    CloseHandle(held);
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.boxes.size(), 1u) << BoxTexts(run.boxes);
    expectAsListed(run.exitCode, 9);
  }
  {
    SCOPED_TRACE("the wizard's Cancel");
    FileGate gate(kAdded + kFiles / 2);
    WizardSession session([](const SeenBox& box) { return box.text == kQuestion ? IDYES : IDOK; });
    ASSERT_NO_FATAL_FAILURE(CancelAt(session, wizard, gate, CancelWay::kButton));
    ASSERT_TRUE(session.WaitEnd(600000));
    expectAsListed(session.ExitCode(), kClosed);
  }

  const std::wstring temp = package_.dir() / L"tmp\\";
  ASSERT_TRUE(CreateDirectoryW(temp.c_str(), nullptr));
  const testsupport::UninstDriverReport removal =
      testsupport::RunUninstDriver(testsupport::UninstallCommand(key), temp, L"--confirm yes");
  EXPECT_FALSE(removal.driver.timedOut);
  EXPECT_FALSE(removal.Has("error-text")) << removal.text;
  EXPECT_FALSE(PathExists(folder)) << Joined(ListTree(folder));
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, testsupport::UninstallEntryPath(key).c_str());
  testsupport::RemoveTree(groupFolder);
}

}  // namespace
