// The main window in this process: files dropped on it and paths handed to
// it. (Windows of another process deliver no WM_DROPFILES under Wine, so
// the drop is made here.) The window saves the per-user definition file and
// the Option key when it closes: these tests run alone and clean up.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "BuilderState.h"
#include "DefinitionKeys.h"
#include "MainWindow.h"
#include "SfxSettings.h"
#include "TestCabinet.h"
#include "TestSupport.h"
#include "VesmarinResource.h"
#include "Waiting.h"

namespace {

std::wstring PerUserDefinition() {
  wchar_t folder[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
  return std::wstring(folder) + L"\\Kelvadon\\Vesmarin 6\\Vesmarin.ini";
}

HGLOBAL MakeDrop(const std::vector<std::wstring>& paths) {
  size_t chars = 1;
  for (const std::wstring& path : paths) chars += path.size() + 1;
  HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
  DROPFILES* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  wchar_t* out = reinterpret_cast<wchar_t*>(drop + 1);
  for (const std::wstring& path : paths) {
    wcscpy(out, path.c_str());
    out += path.size() + 1;
  }
  GlobalUnlock(memory);
  return memory;
}

BOOL CALLBACK FindBox(HWND window, LPARAM out) {
  if (!GetDlgItem(window, 0xFFFF) || !IsWindowVisible(window)) return TRUE;
  *reinterpret_cast<HWND*>(out) = window;
  return FALSE;
}

// Answers the message boxes this thread shows, from a second thread. A box
// is modal: the call that shows it returns only once it is answered, so
// its text is here by then.
class BoxWatcher {
 public:
  BoxWatcher() : thread_(GetCurrentThreadId()), worker_([this] { Run(); }) {}
  ~BoxWatcher() {
    stop_ = true;
    worker_.join();
    EXPECT_FALSE(stuck_) << "a message box stayed after its answer";
  }
  std::vector<std::wstring> texts() {
    std::lock_guard<std::mutex> hold(lock_);
    return texts_;
  }

 private:
  HWND FindBoxOfThread() const {
    HWND box = nullptr;
    EnumThreadWindows(thread_, FindBox, reinterpret_cast<LPARAM>(&box));
    return box;
  }
  void Run() {
    while (!stop_) {
      HWND box = nullptr;
      // Looks again at least every second for the end of the test.
      if (!testsupport::WaitUntil([&] { return stop_ || (box = FindBoxOfThread()) != nullptr; },
                                  1000) ||
          !box) {
        continue;
      }
      wchar_t text[1024] = {};
      GetDlgItemTextW(box, 0xFFFF, text, 1024);
      {
        std::lock_guard<std::mutex> hold(lock_);
        texts_.push_back(text);
      }
      PostMessageW(box, WM_COMMAND, IDOK, 0);
      // Not answered twice: the box is gone before the next is looked for.
      if (!testsupport::WaitUntil([box] { return !IsWindow(box); }, 30000)) stuck_ = true;
    }
  }
  DWORD thread_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> stuck_{false};
  std::mutex lock_;
  std::vector<std::wstring> texts_;
  std::thread worker_;
};

std::wstring Text(HWND window, int id) {
  wchar_t text[1024] = {};
  GetDlgItemTextW(window, id, text, 1024);
  return text;
}

class MainWindowInProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    g_UiState.Reset();
    g_UiState.Instance = GetModuleHandleW(nullptr);
    g_UiState.WindowX = 100;
    g_UiState.WindowY = 100;
    ResetSfxSettings();
    window_ = CreateDialogParamW(g_UiState.Instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr,
                                 BuilderMainDialogProc, 0);
    ASSERT_NE(nullptr, window_);
  }
  void TearDown() override {
    if (window_) DestroyWindow(window_);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
    DeleteFileW(PerUserDefinition().c_str());
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Kelvadon\\Vesmarin 6\\Option");
    g_UiState.Reset();
  }
  void Drop(const std::vector<std::wstring>& paths) {
    SendMessageW(window_, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)), 0);
  }
  HWND window_ = nullptr;
  testsupport::TempDir dir_{L"drop"};
};

TEST_F(MainWindowInProcess, DroppedDefinitionFileIsLoaded) {
  const std::wstring ini = dir_ / L"project.ini";
  ASSERT_TRUE(testsupport::WriteTextFile(ini, "[Vesmarin]\r\nDialogTitle=Dropped\r\n"));
  BoxWatcher boxes;
  Drop({ini});
  EXPECT_EQ(L"Dropped", Text(window_, IDC_TITLE_EDIT));
  EXPECT_EQ(dir_.path(), std::wstring(g_UiState.IniCurrent));
  // Anything else than .ini or .cab does nothing.
  ASSERT_TRUE(testsupport::WriteTextFile(dir_ / L"notes.txt", "x"));
  Drop({dir_ / L"notes.txt"});
  EXPECT_EQ(L"Dropped", Text(window_, IDC_TITLE_EDIT));
  EXPECT_TRUE(boxes.texts().empty());
}

TEST_F(MainWindowInProcess, DroppedArchiveFillsTheWindowAndTheSettings) {
  const std::wstring cab = dir_ / L"app.cab";
  testsupport::TestCabinet cabinet;
  cabinet.Add(L"readme.txt", "read");
  ASSERT_TRUE(cabinet.WriteTo(cab));
  wcscpy(g_SfxSettings.UnInstallTitle, L"Kept");
  BoxWatcher boxes;
  Drop({cab});
  EXPECT_EQ(cab, Text(window_, IDC_ARCHIVE_EDIT));
  EXPECT_EQ(dir_ / L"app.exe", Text(window_, IDC_OUTPUT_EDIT));
  EXPECT_EQ(L"app", Text(window_, IDC_TITLE_EDIT));
  EXPECT_STREQ(L"app", g_SfxSettings.ExtractFolder);
  EXPECT_STREQ(L"app", g_SfxSettings.UnInstallKey);
  EXPECT_STREQ(L"app", g_SfxSettings.StartMenuGroup);
  EXPECT_STREQ(L"Kept", g_SfxSettings.UnInstallTitle);
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(window_, IDM_CREATE)));

  // A cabinet that is gone: string 211, nothing taken.
  Drop({dir_ / L"gone.cab"});
  EXPECT_EQ(cab, Text(window_, IDC_ARCHIVE_EDIT));
  EXPECT_EQ(std::vector<std::wstring>({L"Target file cannot be opened."}), boxes.texts());
}

TEST_F(MainWindowInProcess, TwoFilesOrAnOverlongPathAreRefused) {
  BoxWatcher boxes;
  Drop({dir_ / L"a.cab", dir_ / L"b.cab"});
  EXPECT_EQ(std::vector<std::wstring>({L"Multiple files cannot be specified."}), boxes.texts());
  // A path longer than a path buffer is not taken at all.
  const std::wstring longPath = dir_.path() + std::wstring(300, L'x') + L".cab";
  Drop({longPath});
  EXPECT_EQ(L"", Text(window_, IDC_ARCHIVE_EDIT));
  EXPECT_EQ(1u, boxes.texts().size());
}

TEST_F(MainWindowInProcess, OpenPathMessageIsOnlyTheWindowsOwnHandOver) {
  const std::wstring ini = dir_ / L"project.ini";
  ASSERT_TRUE(testsupport::WriteTextFile(ini, "[Vesmarin]\r\nDialogTitle=Handed\r\n"));
  // Sent from another thread: not taken.
  std::atomic<bool> done{false};
  std::thread other([&] {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window_, OpenPathMessage, 0, reinterpret_cast<LPARAM>(ini.c_str()),
                        SMTO_NORMAL, 60000, &result);
    done = true;
  });
  // The message sent from the other thread arrives while this one pumps.
  EXPECT_TRUE(testsupport::PumpUntil([&] { return done.load(); }, 90000));
  other.join();
  EXPECT_EQ(L"", Text(window_, IDC_TITLE_EDIT));
  // Sent or posted on the window's own thread with a path the window did
  // not hand over itself: not taken either, and a wild address is never read.
  SendMessageW(window_, OpenPathMessage, 0, reinterpret_cast<LPARAM>(ini.c_str()));
  PostMessageW(window_, OpenPathMessage, 0, 0x12345678);
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  EXPECT_EQ(L"", Text(window_, IDC_TITLE_EDIT));
  // The window's own hand-over of a dropped path still opens it.
  BoxWatcher boxes;
  Drop({ini});
  EXPECT_EQ(L"Handed", Text(window_, IDC_TITLE_EDIT));
}

TEST_F(MainWindowInProcess, HandleThatIsNoDropListIsNeitherReadNorFreed) {
  BoxWatcher boxes;
  const std::wstring cab = dir_ / L"a.cab";
  // A wild handle value, a block too small for the header, names that
  // start outside the block, and a list without its closing NUL.
  SendMessageW(window_, WM_DROPFILES, 0x12345678, 0);
  HGLOBAL tiny = GlobalAlloc(GHND, 4);
  SendMessageW(window_, WM_DROPFILES, reinterpret_cast<WPARAM>(tiny), 0);
  HGLOBAL outside = MakeDrop({cab});
  static_cast<DROPFILES*>(GlobalLock(outside))->pFiles = 0x7FFFFFF0;
  GlobalUnlock(outside);
  SendMessageW(window_, WM_DROPFILES, reinterpret_cast<WPARAM>(outside), 0);
  const SIZE_T size = sizeof(DROPFILES) + 6 * sizeof(wchar_t);
  HGLOBAL unterminated = GlobalAlloc(GHND, size);
  DROPFILES* header = static_cast<DROPFILES*>(GlobalLock(unterminated));
  header->pFiles = sizeof(DROPFILES);
  header->fWide = TRUE;
  wmemcpy(reinterpret_cast<wchar_t*>(header + 1), L"ab.cab", 6);
  GlobalUnlock(unterminated);
  SendMessageW(window_, WM_DROPFILES, reinterpret_cast<WPARAM>(unterminated), 0);
  EXPECT_TRUE(IsWindow(window_));
  EXPECT_EQ(L"", Text(window_, IDC_ARCHIVE_EDIT));
  EXPECT_TRUE(boxes.texts().empty());
  // The window did not free what was not a drop list of its own.
  for (HGLOBAL block : {tiny, outside, unterminated}) {
    EXPECT_NE(0u, GlobalSize(block));
    GlobalFree(block);
  }
}

TEST_F(MainWindowInProcess, LogoShowsTheHandCursor) {
  HWND logo = GetDlgItem(window_, IDC_MAIN_LOGO);
  ASSERT_NE(nullptr, logo);
  EXPECT_NE(0, GetWindowLongPtrW(logo, GWL_STYLE) & SS_NOTIFY);
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  EXPECT_TRUE(SendMessageW(logo, WM_SETCURSOR, reinterpret_cast<WPARAM>(logo),
                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
  EXPECT_EQ(LoadCursorW(nullptr, IDC_HAND), GetCursor());
  // Elsewhere on the window the cursor is left to the control under it.
  HWND archive = GetDlgItem(window_, IDC_ARCHIVE_EDIT);
  SendMessageW(archive, WM_SETCURSOR, reinterpret_cast<WPARAM>(archive),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_NE(LoadCursorW(nullptr, IDC_HAND), GetCursor());
}

TEST_F(MainWindowInProcess, ClosingSavesTheDefinitionAndQuitsWithTheLastResult) {
  SetDlgItemTextW(window_, IDC_TITLE_EDIT, L"Saved at close");
  g_UiState.LastResult = 7;
  DestroyWindow(window_);
  window_ = nullptr;
  MSG message = {};
  ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(7u, message.wParam);
  wchar_t title[64] = {};
  GetPrivateProfileStringW(L"Vesmarin", L"DialogTitle", L"", title, 64, PerUserDefinition().c_str());
  EXPECT_STREQ(L"Saved at close", title);
}

}  // namespace
