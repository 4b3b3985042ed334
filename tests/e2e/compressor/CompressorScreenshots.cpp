// Every window of the compressor in the test's interface language (CTest
// runs this once in English and once with a Japanese locale): screenshots
// under <bin>\screenshots, named compressor-<window>-<language>.
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include "CompressorRun.h"
#include "CompressorWindowDriver.h"
#include "Screenshot.h"
#include "TestSupport.h"

namespace {

using namespace compressortest;
using testsupport::TempDir;

const int kAbout = 40003, kSaveProject = 57603;
const int kAboutVersion = 1008, kProgressFirstLine = 1007;

std::wstring Tag() {
  return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE ? L"ja" : L"en";
}

bool Shot(HWND window, const std::wstring& name) {
  return testsupport::SaveScreenshot(window, L"compressor-" + name + L"-" + Tag());
}

// Suspends or resumes every thread of a process, so that a window that is
// only up for a moment stays still while it is taken.
void HoldProcess(DWORD process, bool hold) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return;
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID != process) continue;
    HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID);
    if (!thread) continue;
    if (hold)
      SuspendThread(thread);
    else
      ResumeThread(thread);
    CloseHandle(thread);
  }
  CloseHandle(snapshot);
}

std::wstring ProjectOf(const std::vector<std::wstring>& files) {
  std::wstring text =
      L"<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<VesmarinCompressorProject>\n"
      L"<Folder Name=\"bin\">";
  for (const std::wstring& file : files) text += L"<File>" + file + L"</File>\n";
  return text + L"</Folder>\n</VesmarinCompressorProject>\n";
}

TEST(CompressorWindows, EveryWindowShows) {
  ResetCompressorSettings();
  TempDir dir(L"shots");
  std::vector<std::wstring> files;
  for (int i = 1; i <= 6; ++i)
    files.push_back(MakeBigFile(dir / (L"data" + std::to_wstring(i) + L".bin"), 6000000));
  const std::wstring project = dir / L"p.qxc";
  ASSERT_TRUE(testsupport::WriteTextFile(project, testsupport::Narrow(ProjectOf(files))));

  {
    // The main window with a project loaded, its About box, and the answer
    // to saving an empty tree.
    CompressorProcess sardok;
    ASSERT_TRUE(sardok.Start(SardokPath(), Quote(project)));
    HWND main = sardok.WaitMainWindow();
    ASSERT_NE(nullptr, main);
    ASSERT_TRUE(PumpUntil([&] { return TreeCount(PanesOf(main).archiveTree) == 8; }));
    EXPECT_TRUE(Shot(main, L"main"));

    PostMessageW(main, WM_COMMAND, kAbout, 0);
    HWND about = sardok.process().WaitForDialogWithControl(kAboutVersion, 15000);
    ASSERT_NE(nullptr, about);
    const std::wstring version = testsupport::ControlText(about, kAboutVersion);
    EXPECT_EQ(0u, version.find(L"Version ")) << testsupport::Narrow(version);
    EXPECT_NE(L"Version 0.00", version);
    EXPECT_TRUE(Shot(about, L"about"));
    testsupport::PressButton(about, IDOK);
    ASSERT_TRUE(testsupport::WaitForWindowGone(about, 10000));

    PostMessageW(main, WM_COMMAND, 57600, 0);  // New: the loaded tree was not changed
    ASSERT_TRUE(PumpUntil([&] { return TreeCount(PanesOf(main).archiveTree) == 1; }));
    PostMessageW(main, WM_COMMAND, kSaveProject, 0);
    HWND box = sardok.process().WaitForMessageBox(15000);
    ASSERT_NE(nullptr, box);
    EXPECT_TRUE(Shot(box, L"message-no-files"));
    testsupport::AnswerMessageBox(box, IDOK);
    EXPECT_EQ(0u, sardok.Close());
  }
  // The progress dialog, held still, then cancelled: the abort message. A
  // run may end before it is held: then once more.
  bool shot = false;
  for (int attempt = 0; attempt < 3 && !shot; ++attempt) {
    CompressorProcess sardok;
    ASSERT_TRUE(sardok.Start(SardokPath(), L"/compress " + Quote(project) + L" " +
                                               Quote(dir / L"out.cab")));
    HWND progress = sardok.process().WaitForDialogWithControl(kProgressFirstLine, 30000);
    if (progress) {
      HoldProcess(sardok.process().Id(), true);
      shot = IsWindow(progress) && Shot(progress, L"progress");
      PostMessageW(progress, WM_COMMAND, IDCANCEL, 0);
      HoldProcess(sardok.process().Id(), false);
      if (HWND box = sardok.process().WaitForMessageBox(shot ? 30000 : 2000)) {
        Shot(box, L"message-aborted");
        testsupport::AnswerMessageBox(box, IDOK);
      }
    }
    EXPECT_NE(0xFFFFFFFFu, sardok.WaitExit(60000));
  }
  EXPECT_TRUE(shot) << "the progress dialog was never held in time";
}

}  // namespace
