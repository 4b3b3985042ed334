// COM servers registered in the process (DllRegisterServer), by a stand-in
// regsvr32, through the package's list and in the registration window.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "ComRegistration.h"
#include "ShellFixture.h"
#include "ShellResource.h"
#include "StubState.h"
#include "StubStrings.h"
#include "TessalyResource.h"

using testsupport::BinPath;

namespace {

const wchar_t kRegisteredKey[] = L"Software\\Vesmarin Tests\\ComRegistered";

// The value a registered copy of shellcom.dll left, split at '|': own path,
// current folder, mark of its dependency, thread id. Empty when missing.
std::vector<std::wstring> Registered(const std::wstring& name) {
  wchar_t data[2048] = {};
  DWORD size = sizeof(data) - sizeof(wchar_t);
  std::vector<std::wstring> parts;
  if (RegGetValueW(HKEY_CURRENT_USER, kRegisteredKey, name.c_str(), RRF_RT_REG_SZ, nullptr, data,
                   &size) != ERROR_SUCCESS)
    return parts;
  std::wstring text = data;
  size_t start = 0;
  for (size_t bar; (bar = text.find(L'|', start)) != std::wstring::npos; start = bar + 1)
    parts.push_back(text.substr(start, bar - start));
  parts.push_back(text.substr(start));
  return parts;
}

void Unregister(const std::wstring& name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kRegisteredKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
    RegDeleteValueW(key, name.c_str());
    RegCloseKey(key);
  }
}

class ComFixture : public shelltest::ShellFixture {
 protected:
  void TearDown() override {
    for (const std::wstring& name : names_) Unregister(name);
    ShellFixture::TearDown();
  }
  // A copy of shellcom.dll named <word><process id>.dll in folder (below the
  // extraction folder), with its dependency beside it unless told otherwise.
  // Returns the copy's file name.
  std::wstring Server(const std::wstring& word, const std::wstring& folder = L"srv",
                      bool withDependency = true) {
    const std::wstring name = Unique(word) + L".dll";
    const std::wstring where = extract() + folder;
    CreateDirectoryW(where.c_str(), nullptr);
    EXPECT_TRUE(CopyFileW(BinPath(L"shellcom.dll").c_str(), (where + L"\\" + name).c_str(), FALSE));
    if (withDependency)
      CopyFileW(BinPath(L"shellcomdeps\\shellcomdep.dll").c_str(),
                (where + L"\\shellcomdep.dll").c_str(), FALSE);
    names_.push_back(name);
    return name;
  }
  std::wstring InProcessPath(const std::wstring& name, const std::wstring& folder = L"srv") {
    return extract() + folder + L"\\" + name;
  }
  void AddToList(const std::wstring& archivePath) {
    stub::RegComSvrItem item = {};
    lstrcpynW(item.FileName, archivePath.c_str(), 260);
    settings().RegComSvr.push_back(item);
  }
  std::vector<std::wstring> names_;
};

class InProcessRegistrationTest : public ComFixture {};

TEST_F(InProcessRegistrationTest, CallsDllRegisterServerAndRestoresTheCurrentFolder) {
  const std::wstring name = Server(L"ok");
  wchar_t before[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, before);
  EXPECT_EQ(stub::RegisterServerInProcess(InProcessPath(name).c_str()), 0);
  std::vector<std::wstring> value = Registered(name);
  ASSERT_EQ(value.size(), 4u);
  EXPECT_EQ(value[0], InProcessPath(name));
  EXPECT_EQ(value[2], L"dep");
  wchar_t after[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, after);
  EXPECT_STREQ(after, before);
  // The library is freed again.
  EXPECT_EQ(GetModuleHandleW(InProcessPath(name).c_str()), nullptr);
}

TEST_F(InProcessRegistrationTest, FailingThrowingAndFaultingServersGive301AndNothingBreaks) {
  struct Case {
    const wchar_t* word;
    DWORD fault;  // 0: a failure result, no exception
  };
  const Case cases[] = {{L"fail", 0},
                        {L"throw", 0x20474343},  // a C++ exception of the GCC runtime
                        {L"raise", 0xE0564D31},
                        {L"fault", EXCEPTION_ACCESS_VIOLATION}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testsupport::Narrow(c.word));
    const std::wstring name = Server(c.word);
    DWORD fault = 0;
    EXPECT_EQ(stub::RegisterServerInProcess(InProcessPath(name).c_str(), &fault),
              stub::kComRegisterFailed);
    EXPECT_EQ(fault, c.fault);
    EXPECT_TRUE(Registered(name).empty());
    EXPECT_EQ(GetModuleHandleW(InProcessPath(name).c_str()), nullptr);
  }
  // The process goes on registering.
  const std::wstring ok = Server(L"after");
  EXPECT_EQ(stub::RegisterServerInProcess(InProcessPath(ok).c_str()), 0);
  EXPECT_EQ(Registered(ok).size(), 4u);
}

TEST_F(InProcessRegistrationTest, LibraryWithoutTheExportGives302) {
  const std::wstring dep = extract() + L"dep.dll";
  ASSERT_TRUE(CopyFileW(BinPath(L"shellcomdeps\\shellcomdep.dll").c_str(), dep.c_str(), FALSE));
  EXPECT_EQ(stub::RegisterServerInProcess(dep.c_str()), stub::kComNoRegisterExport);
}

TEST_F(InProcessRegistrationTest, UnloadableLibrariesGive303) {
  EXPECT_EQ(stub::RegisterServerInProcess(L"server.dll"), stub::kComCannotLoad);  // no folder
  EXPECT_EQ(stub::RegisterServerInProcess((extract() + L"none.dll").c_str()),
            stub::kComCannotLoad);
  const std::wstring text = extract() + L"text.dll";
  ASSERT_TRUE(testsupport::WriteTextFile(text, "MZ but nothing else"));
  EXPECT_EQ(stub::RegisterServerInProcess(text.c_str()), stub::kComCannotLoad);
  // Its dependency is not beside it (nor anywhere else the search looks).
  const std::wstring alone = Server(L"alone", L"alone", false);
  EXPECT_EQ(stub::RegisterServerInProcess(InProcessPath(alone, L"alone").c_str()),
            stub::kComCannotLoad);
}

TEST_F(InProcessRegistrationTest, DependencyBesideTheServerIsFoundUnderTheStubsRestrictedSearch) {
  // The stub limits the default search to the system folder at start-up;
  // this test process does the same.
  ASSERT_TRUE(SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32));
  const std::wstring name = Server(L"beside");
  SetCurrentDirectoryW((extract() + L"srv").c_str());
  HMODULE plain = LoadLibraryW(InProcessPath(name).c_str());
  if (plain) FreeLibrary(plain);
  SetCurrentDirectoryW(dir().path().c_str());
  EXPECT_EQ(plain, nullptr) << "a plain load finds the dependency even so";
  EXPECT_EQ(stub::RegisterServerInProcess(InProcessPath(name).c_str()), 0);
  EXPECT_EQ(Registered(name).size(), 4u);
}

class Regsvr32Test : public ComFixture {
 protected:
  DWORD Run(const std::wstring& exitCode, const std::wstring& regsvr32 = BinPath(L"fakeregsvr.exe")) {
    SetEnvironmentVariableW(L"VESMARIN_REGSVR_LOG", log().c_str());
    SetEnvironmentVariableW(L"VESMARIN_REGSVR_EXIT", exitCode.c_str());
    const std::wstring folder = dir() / L"work";
    CreateDirectoryW(folder.c_str(), nullptr);
    DWORD result = stub::RunRegsvr32(regsvr32.c_str(), L"C:\\some folder\\server.dll",
                                     folder.c_str());
    SetEnvironmentVariableW(L"VESMARIN_REGSVR_LOG", nullptr);
    SetEnvironmentVariableW(L"VESMARIN_REGSVR_EXIT", nullptr);
    return result;
  }
  std::wstring log() { return dir() / L"regsvr.log"; }
  std::wstring Logged() {
    std::vector<uint8_t> bytes;
    if (!testsupport::ReadFileBytes(log(), bytes)) return L"";
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
  }
};

TEST_F(Regsvr32Test, QuietCommandLineInTheServersFolderAndItsExitCode) {
  EXPECT_EQ(Run(L"0"), 0u);
  EXPECT_EQ(Logged(), L"\"" + BinPath(L"fakeregsvr.exe") +
                          L"\" /s \"C:\\some folder\\server.dll\"\r\ncwd=" + (dir() / L"work") +
                          L"\r\n");
  EXPECT_EQ(Run(L"3"), 3u);
  // A program that ends with the value of STILL_ACTIVE is not waited for forever.
  EXPECT_EQ(Run(L"259"), 259u);
}

TEST_F(Regsvr32Test, ProgramThatCannotStartGives22) {
  EXPECT_EQ(Run(L"0", dir() / L"no-regsvr32.exe"), static_cast<DWORD>(stub::kComRegsvrNotStarted));
}

class ServerListTest : public ComFixture {};

TEST_F(ServerListTest, EveryFailureHasItsCodeAndTheNextServerIsStillRegistered) {
  const std::wstring fail = Server(L"fail");
  const std::wstring ok = Server(L"ok");
  ASSERT_TRUE(testsupport::WriteTextFile(extract() + L"readme.dll", "This is no library.\r\n"));
  wchar_t path[MAX_PATH] = {};
  EXPECT_EQ(stub::RegisterComServer((L"srv\\" + fail).c_str(), path), stub::kComRegisterFailed);
  EXPECT_EQ(std::wstring(path), InProcessPath(fail));
  EXPECT_EQ(stub::RegisterComServer(L"readme.dll", path), stub::kComNoPeSignature);
  EXPECT_EQ(stub::RegisterComServer(L"missing.dll", path), stub::kComCannotOpen);
  EXPECT_EQ(stub::RegisterComServer(std::wstring(259, L'n').c_str(), path),
            stub::kComNoInstalledPath);

  AddToList(L"srv\\" + fail);
  AddToList(L"readme.dll");
  AddToList(L"missing.dll");
  AddToList(std::wstring(259, L'n'));
  AddToList(L"srv\\" + ok);
  EXPECT_EQ(stub::RegisterComServers(nullptr), 4);
  EXPECT_EQ(Registered(ok).size(), 4u);
}

TEST_F(ServerListTest, ServerMovedByAnExtraCopyItemIsRegisteredWhereItWasInstalled) {
  const std::wstring name = Server(L"moved", L"dest");
  stub::ExtraCopyItem copy = {};
  lstrcpynW(copy.FileName, (L"com\\" + name).c_str(), 260);
  copy.BaseFolder = 6;
  lstrcpynW(copy.ExtractFolder, (extract() + L"dest\\").c_str(), 260);
  settings().ExtraCopy.push_back(copy);
  AddToList(L"com\\" + name);
  EXPECT_EQ(stub::RegisterComServers(nullptr), 0);
  std::vector<std::wstring> value = Registered(name);
  ASSERT_EQ(value.size(), 4u);
  EXPECT_EQ(value[0], InProcessPath(name, L"dest"));
}

TEST_F(ServerListTest, X86ServerGoesToTheRegsvr32OfThe32BitSystemFolder) {
  // A 32-bit library is never loaded into the 64-bit stub: whatever the
  // 32-bit regsvr32 answers, no in-process code comes back.
  std::vector<uint8_t> bytes(0x200, 0);
  bytes[0] = 'M';
  bytes[1] = 'Z';
  bytes[0x3C] = 0x80;
  bytes[0x80] = 'P';
  bytes[0x81] = 'E';
  bytes[0x84] = 0x4C;
  bytes[0x85] = 0x01;
  ASSERT_TRUE(testsupport::WriteFileBytes(extract() + L"x86.dll", bytes));
  const int code = stub::RegisterComServer(L"x86.dll", nullptr);
  EXPECT_NE(code, 0);
  EXPECT_NE(code, stub::kComRegisterFailed);
  EXPECT_NE(code, stub::kComNoRegisterExport);
  EXPECT_NE(code, stub::kComCannotLoad);
  EXPECT_NE(code, stub::kComNoSystemX86Folder);
  EXPECT_NE(code, stub::kComNoServerFolder);
}

// The window as another program sees it while the servers are registered.
struct SeenWindow {
  std::atomic<bool> found{false};
  std::atomic<bool> responsive{false};
  std::wstring caption, text;
  bool marquee = false;
};

BOOL CALLBACK FindRegistrationWindow(HWND window, LPARAM param) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
  HWND text = GetDlgItem(window, IDC_CHECKING_TEXT);
  if (!text) return TRUE;
  *reinterpret_cast<HWND*>(param) = window;
  return FALSE;
}

void WatchWindow(SeenWindow* seen) {
  for (int i = 0; i < 400 && !seen->found; ++i) {
    HWND window = nullptr;
    EnumWindows(&FindRegistrationWindow, reinterpret_cast<LPARAM>(&window));
    if (window) {
      wchar_t buffer[256] = {};
      GetWindowTextW(window, buffer, 256);
      seen->caption = buffer;
      GetDlgItemTextW(window, IDC_CHECKING_TEXT, buffer, 256);
      seen->text = buffer;
      HWND progress = GetDlgItem(window, IDC_CHECKING_PROGRESS);
      seen->marquee = progress && (GetWindowLongPtrW(progress, GWL_STYLE) & PBS_MARQUEE);
      DWORD_PTR result = 0;
      seen->responsive =
          SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 500, &result) != 0;
      seen->found = true;
      // Esc must not end the window while the servers are registered.
      PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
      PostMessageW(window, WM_CLOSE, 0, 0);
      return;
    }
    Sleep(10);
  }
}

class RegistrationWindowTest : public ComFixture, public ::testing::WithParamInterface<bool> {};

TEST_P(RegistrationWindowTest, RegistersOnItsOwnThreadWhileTheWindowShowsItsText) {
  stub::g_SegoeDialogs = GetParam();
  const std::wstring first = Server(L"slow1");
  const std::wstring second = Server(L"slow2");
  AddToList(L"srv\\" + first);
  AddToList(L"srv\\" + second);
  SeenWindow seen;
  std::thread watcher(&WatchWindow, &seen);
  const DWORD start = GetTickCount();
  EXPECT_EQ(stub::RunRegistrationWindow(nullptr), 1);
  const DWORD took = GetTickCount() - start;
  watcher.join();
  EXPECT_GE(took, 2900u);  // both servers, after the Esc and close attempts

  ASSERT_TRUE(seen.found);
  EXPECT_EQ(seen.caption, L"Shell Test");
  EXPECT_EQ(seen.text, L"Registering Components...");
  EXPECT_TRUE(seen.marquee);
  EXPECT_TRUE(seen.responsive);
  for (const std::wstring& name : {first, second}) {
    std::vector<std::wstring> value = Registered(name);
    ASSERT_EQ(value.size(), 4u);
    EXPECT_NE(value[3], std::to_wstring(GetCurrentThreadId()));
  }
}

INSTANTIATE_TEST_SUITE_P(DialogSets, RegistrationWindowTest, ::testing::Values(false, true));

TEST_F(ComFixture, RegistrationWindowWithoutServersEndsAtOnce) {
  EXPECT_EQ(stub::RunRegistrationWindow(nullptr), 1);
}

TEST(ShellStrings, EnglishAndJapaneseTexts) {
  stub::g_Instance = GetModuleHandleW(nullptr);
  const LCID locale = GetThreadLocale();
  wchar_t text[256];
  SetThreadLocale(MAKELCID(0x409, SORT_DEFAULT));
  EXPECT_STREQ(stub::LoadStubString(IDS_SHORTCUTS_FAILED, text, 256), L"Could not add shortcuts.");
  EXPECT_STREQ(stub::LoadStubString(IDS_REGISTER_SERVER_FAILED, text, 256),
               L"Could not register server \"%s\". (Error code: %d)");
  EXPECT_STREQ(stub::LoadStubString(IDS_REGISTERING_COMPONENTS, text, 256),
               L"Registering Components...");
  SetThreadLocale(MAKELCID(0x411, SORT_DEFAULT));
  for (UINT id : {IDS_SHORTCUTS_FAILED, IDS_REGISTER_SERVER_FAILED, IDS_REGISTERING_COMPONENTS}) {
    stub::LoadStubString(id, text, 256);
    bool japanese = false;
    for (const wchar_t* c = text; *c; ++c) japanese |= *c >= 0x3000;
    EXPECT_TRUE(japanese) << id;
  }
  stub::LoadStubString(IDS_REGISTER_SERVER_FAILED, text, 256);
  const std::wstring format = text;
  EXPECT_LT(format.find(L"%s"), format.find(L"%d"));
  SetThreadLocale(locale);
}

}  // namespace
