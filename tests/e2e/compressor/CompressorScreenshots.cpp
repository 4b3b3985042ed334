// Every window of the compressor in the test's interface language (CTest
// runs this once in English and once with a Japanese locale): screenshots
// under <bin>\screenshots, named compressor-<window>-<language>.
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>
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

// The messages about what a cabinet cannot hold: names too long for it,
// dropped on the window, and a file too large to be one of its members.
TEST(CompressorWindows, LimitMessagesShow) {
  ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
  ResetCompressorSettings();
  TempDir dir(L"limits");
  const std::wstring folder = dir / std::wstring(80, L'\u8cc7');
  MakeFile(folder + L"\\" + std::wstring(72, L'\u6599') + L".txt");
  MakeFile(folder + L"\\" + std::wstring(70, L'\u540d') + L".txt");
  {
    CompressorProcess sardok;
    ASSERT_TRUE(sardok.Start(SardokPath()));
    HWND main = sardok.WaitMainWindow();
    ASSERT_NE(nullptr, main);
    EXPECT_EQ(static_cast<int>(DROPEFFECT_COPY), DropFilesOn(PanesOf(main).archiveTree, {folder}));
    HWND box = sardok.process().WaitForMessageBox(30000);
    ASSERT_NE(nullptr, box);
    EXPECT_TRUE(Shot(box, L"message-names-too-long"));
    testsupport::AnswerMessageBox(box, IDOK);
    EXPECT_EQ(0u, sardok.Close());
  }
  ASSERT_TRUE(testsupport::MakeSparseFile(dir / L"disk.img", 4718592000ULL));
  const std::wstring project = dir / L"p.qxc";
  ASSERT_TRUE(testsupport::WriteTextFile(project,
                                         testsupport::Narrow(ProjectOf({dir / L"disk.img"}))));
  CompressorProcess sardok;
  ASSERT_TRUE(sardok.Start(SardokPath(), L"/compress " + Quote(project)));
  HWND box = sardok.process().WaitForMessageBox(30000);
  ASSERT_NE(nullptr, box);
  EXPECT_TRUE(Shot(box, L"message-file-too-large"));
  testsupport::AnswerMessageBox(box, IDOK);
  EXPECT_NE(0xFFFFFFFFu, sardok.WaitExit(30000));
  OleUninitialize();
}

// The face Windows picks for a font asked for by name.
std::wstring FaceFor(const wchar_t* face, BYTE charset) {
  LOGFONTW font = {};
  font.lfHeight = -13;
  font.lfCharSet = charset;
  lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
  HFONT handle = CreateFontIndirectW(&font);
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, handle);
  wchar_t chosen[LF_FACESIZE] = {};
  GetTextFaceW(dc, LF_FACESIZE, chosen);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  DeleteObject(handle);
  return chosen;
}

// The glyphs a font draws for two characters are the same.
bool SameGlyph(const wchar_t* face, wchar_t a, wchar_t b) {
  LOGFONTW font = {};
  font.lfHeight = -13;
  font.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
  HFONT handle = CreateFontIndirectW(&font);
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, handle);
  const wchar_t text[] = {a, b};
  WORD glyphs[2] = {};
  GetGlyphIndicesW(dc, text, 2, glyphs, GGI_MARK_NONEXISTING_GLYPHS);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  DeleteObject(handle);
  return glyphs[0] == glyphs[1];
}

// English windows draw with Latin fonts: the backslash of a path is no yen
// sign, and the caption buttons come from Marlett. The main window is taken
// from the screen with the save dialog over it holding a path.
TEST(CompressorWindows, EnglishWindowsDrawPathsAndCaptionButtons) {
  if (Tag() != L"en") GTEST_SKIP() << "the Latin faces are for English windows";
  for (const wchar_t* face : {L"MS Shell Dlg", L"MS Shell Dlg 2", L"Tahoma", L"MS Sans Serif"}) {
    const std::wstring chosen = FaceFor(face, DEFAULT_CHARSET);
    EXPECT_EQ(std::wstring::npos, chosen.find(L"IPA")) << testsupport::Narrow(face);
    EXPECT_FALSE(SameGlyph(face, L'\\', 0x00A5)) << testsupport::Narrow(face);
  }
  EXPECT_EQ(L"Marlett", FaceFor(L"Marlett", SYMBOL_CHARSET));

  ResetCompressorSettings();
  TempDir dir(L"latin");
  const std::wstring project = dir / L"p.qxc";
  ASSERT_TRUE(testsupport::WriteTextFile(
      project, testsupport::Narrow(ProjectOf({MakeFile(dir / L"readme.txt", "read me")}))));
  CompressorProcess sardok;
  ASSERT_TRUE(sardok.Start(SardokPath(), Quote(project)));
  HWND main = sardok.WaitMainWindow();
  ASSERT_NE(nullptr, main);
  ASSERT_TRUE(PumpUntil([&] { return TreeCount(PanesOf(main).archiveTree) == 3; }));
  PostMessageW(main, WM_COMMAND, 1002, 0);  // Create as...
  const int kFileName = 1148;
  HWND save = sardok.process().WaitForDialogWithControl(kFileName, 15000);
  ASSERT_NE(nullptr, save);
  const std::wstring path = L"C:\\Program Files\\Vesmarin\\Archives\\readme.cab";
  testsupport::SetControlText(save, kFileName, path);
  // The dialog over the main window, both in the main window's rectangle.
  RECT frame;
  GetWindowRect(main, &frame);
  SetWindowPos(save, HWND_TOP, frame.left + 40, frame.top + 60, 0, 0, SWP_NOSIZE);
  EXPECT_TRUE(Shot(main, L"main-with-path"));
  PostMessageW(save, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(testsupport::WaitForWindowGone(save, 10000));
  EXPECT_EQ(0u, sardok.Close());
}

}  // namespace
