// The builder's interactive start runs the real updater with "/AutoCheck
// /hwnd:<main window>" and waits for it: the updater's dialog is owned by
// the builder's main window, which is disabled until the dialog closes.
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <set>

#include "BuilderWindowFixture.h"
#include "UpdaterRunFixture.h"
#include "UpdaterSettings.h"
#include "UpdaterState.h"

namespace {

using namespace updatertest;

struct UpdaterSearch {
  HWND owner;
  HWND found;
};

BOOL CALLBACK FindUpdaterDialog(HWND window, LPARAM context) {
  wchar_t className[32] = {};
  GetClassNameW(window, className, 32);
  HWND host = GetDlgItem(window, IDC_BROWSER_HOST);
  wchar_t hostClass[32] = {};
  if (host) GetClassNameW(host, hostClass, 32);
  UpdaterSearch* search = reinterpret_cast<UpdaterSearch*>(context);
  if (lstrcmpW(className, L"#32770") == 0 && IsWindowVisible(window) &&
      lstrcmpW(hostClass, L"AtlAxWin140") == 0 && GetWindow(window, GW_OWNER) == search->owner) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

// The updater's dialog owned by owner (other tests may show theirs).
HWND WaitForUpdaterDialog(HWND owner, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < timeoutMs) {
    UpdaterSearch search = {owner, nullptr};
    EnumWindows(FindUpdaterDialog, reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    Sleep(50);
  }
  return nullptr;
}

TEST(BuilderStartsUpdater, AutomaticCheckOwnedByTheMainWindow) {
  builderwindow::BuilderRun run;
  const std::wstring tag = L"Builder" + std::to_wstring(GetCurrentProcessId());
  const std::wstring regKey = RegKeyOf(tag);
  RegDeleteTreeW(HKEY_CURRENT_USER, regKey.c_str());
  ASSERT_TRUE(CopyFileW(testsupport::BinPath(L"Nemdrift.exe").c_str(),
                        run.Path(L"Nemdrift.exe").c_str(), FALSE));
  ASSERT_TRUE(testsupport::WriteTextFile(
      run.Path(L"product.ini"), "[Nemdrift]\r\nVersionMajor=5\r\nVersionMinor=3\r\nVersionBuild=0\r\n"));
  const std::wstring list =
      PublishDocument(L"builder-" + tag + L".xml", VersionListXml(ComponentXml("VESMARIN6", 5, 4, 0)));
  ASSERT_TRUE(testsupport::WriteTextFile(
      run.Path(L"Nemdrift.xml"),
      SettingsXml(Narrow(regKey), "<VersionInfoURL>" + Narrow(list) +
                                      "</VersionInfoURL><Component><ID>VESMARIN6</ID><Name>Vesmarin "
                                      "6</Name><Module type=\"def\">product.ini</Module></Component>")));
  WriteDword(regKey, L"ShowHello", 1);
  WriteDword(regKey, L"ShowOption", 2);

  ASSERT_TRUE(run.Start());
  HWND main = run.WaitMainWindow();
  ASSERT_NE(main, nullptr);
  HWND updater = WaitForUpdaterDialog(main, 60000);
  ASSERT_NE(updater, nullptr) << "the update found shows the updater's dialog, owned by the builder";
  EXPECT_EQ(ReadString(regKey, L"LastExecDate"), Today()) << "started in automatic mode";
  EXPECT_EQ(ListRows(GetDlgItem(updater, IDC_UPDATE_LIST)),
            std::vector<std::wstring>{L"Vesmarin 6 Version5.4 (build 0) has been released (2026/12/08)"});
  builderwindow::WaitFor([&] { return !IsWindowEnabled(main); }, 5000);
  EXPECT_FALSE(IsWindowEnabled(main)) << "the builder's window waits for the updater";

  PostMessageW(updater, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(builderwindow::WaitFor([&] { return !IsWindow(updater); }, 15000));
  EXPECT_TRUE(builderwindow::WaitFor([&] { return IsWindowEnabled(main) != FALSE; }, 15000));
  EXPECT_EQ(run.Exit(), 0u);
  RegDeleteTreeW(HKEY_CURRENT_USER, regKey.c_str());
}

// The ids of the running Nemdrift.exe processes that parent started.
std::set<DWORD> UpdatersOf(DWORD parent) {
  std::set<DWORD> found;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return found;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
    if (entry.th32ParentProcessID == parent && lstrcmpiW(entry.szExeFile, L"Nemdrift.exe") == 0)
      found.insert(entry.th32ProcessID);
  CloseHandle(snapshot);
  return found;
}

struct BoxSearch {
  std::set<DWORD> processes;
  std::vector<HWND> boxes;
};

BOOL CALLBACK FindBoxes(HWND window, LPARAM context) {
  BoxSearch* search = reinterpret_cast<BoxSearch*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (search->processes.count(owner) && IsWindowVisible(window) && testsupport::IsMessageBox(window))
    search->boxes.push_back(window);
  return TRUE;
}

// The builder as built, started from its build folder with the settings
// files the build put beside Nemdrift.exe. Nothing answers at their
// addresses, so the automatic check fails, and a failed check in automatic
// mode shows nothing: no box from the builder or the updater.
TEST(BuilderStartsUpdater, TheBuiltBuilderStartsWithoutABoxWhenNoServerAnswers) {
  std::wstring regKey;
  {
    ComScope com;
    ASSERT_EQ(LoadUpdaterSettingsFrom(testsupport::BinPath(L"Nemdrift.xml").c_str()), kSettingsOk);
    ASSERT_EQ(LoadUpdaterSettingsFrom(testsupport::BinPath(L"Nemdrift.en.xml").c_str()), kSettingsOk);
    regKey = g_Updater.RegKey;
    ResetUpdaterState();
  }
  RegDeleteTreeW(HKEY_CURRENT_USER, regKey.c_str());
  // Not the first run, which greets the user by design.
  WriteDword(regKey, L"ShowHello", 1);
  builderwindow::ResetBuilderState();
  DeleteFileW(testsupport::BinPath(L"Vesmarin.ini").c_str());

  DrivenProcess builder;
  ASSERT_TRUE(builder.Start(L"\"" + testsupport::BinPath(L"Vesmarin.exe") + L"\""));
  std::vector<std::wstring> seen;
  std::set<DWORD> watched = {builder.Id()};
  bool checked = false;
  const DWORD start = GetTickCount();
  while (builder.Running() && GetTickCount() - start < 90000) {
    const std::set<DWORD> updaters = UpdatersOf(builder.Id());
    watched.insert(updaters.begin(), updaters.end());
    BoxSearch search{watched, {}};
    EnumWindows(FindBoxes, reinterpret_cast<LPARAM>(&search));
    for (HWND box : search.boxes) {
      seen.push_back(testsupport::ReadMessageBox(box).text);
      testsupport::AnswerMessageBox(box, IDOK);
      testsupport::WaitForWindowGone(box, 5000);
    }
    checked = ReadString(regKey, L"LastExecDate") == Today();
    if (checked && updaters.empty() && !builder.DialogsWithControl(1000).empty()) break;
    Sleep(50);
  }
  EXPECT_TRUE(builder.Running()) << "the builder's window stays";
  EXPECT_TRUE(checked) << "the updater ran its automatic check with the shipped settings";
  EXPECT_TRUE(UpdatersOf(builder.Id()).empty()) << "the updater ended by itself";
  for (const std::wstring& text : seen) ADD_FAILURE() << "a box: " << Narrow(text);

  builder.Terminate();
  builderwindow::ResetBuilderState();
  RegDeleteTreeW(HKEY_CURRENT_USER, regKey.c_str());
}

}  // namespace
