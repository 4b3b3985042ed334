// The builder's interactive start runs the real updater with "/AutoCheck
// /hwnd:<main window>" and waits for it: the updater's dialog is owned by
// the builder's main window, which is disabled until the dialog closes.
#include <gtest/gtest.h>

#include "BuilderWindowFixture.h"
#include "UpdaterRunFixture.h"

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

}  // namespace
