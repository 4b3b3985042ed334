// Nemdrift.exe run as the builder runs it: a copy beside its settings file
// and product module, against the loopback server, with its windows read
// and answered from the test process.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DialogDriver.h"
#include "NemdriftResource.h"
#include "TestSupport.h"
#include "UpdaterTestUtil.h"

namespace updatertest {

using testsupport::DrivenProcess;
using testsupport::Narrow;
using testsupport::Widen;

const DWORD kExitAborted = static_cast<DWORD>(-1);

// The rows of a list view in another process.
std::vector<std::wstring> ListRows(HWND list);
std::wstring RegKeyOf(const std::wstring& tag);
DWORD ReadDword(const std::wstring& key, const wchar_t* name, DWORD fallback);
// "<absent>" when there is no such string value.
std::wstring ReadString(const std::wstring& key, const wchar_t* name);
void WriteDword(const std::wstring& key, const wchar_t* name, DWORD value);
// Today's local date as the updater stores it.
std::wstring Today();
// The folder for pictures of windows (build/x86_64/screenshots\).
std::wstring PictureFolder();
// The first visible dialog of process that has control; answers message
// boxes meanwhile and lets the dialog paint before returning it.
HWND WaitForDialogWith(DrivenProcess& process, int control);
std::wstring WindowText(HWND window);
// True when the thread of window takes a message within a second, or the
// window is gone meanwhile.
bool AnswersWithinASecond(HWND window);
// A visible top-level window of this process that records the updater's
// notify message as the window property "notified".
HWND MakeCallerWindow();
// Dispatches this thread's messages and answers boxes of process until it
// ends or the time is up.
void PumpFor(DrivenProcess& process, DWORD timeoutMs);

class UpdaterRun : public ::testing::Test {
 protected:
  void SetUp() override {
    tag_ = std::to_wstring(GetCurrentProcessId()) + L"_" +
           Widen(::testing::UnitTest::GetInstance()->current_test_info()->name());
    regKey_ = RegKeyOf(tag_);
    RegDeleteTreeW(HKEY_CURRENT_USER, regKey_.c_str());
    program_ = dir_ / L"Nemdrift.exe";
    ASSERT_TRUE(CopyFileW(testsupport::BinPath(L"Nemdrift.exe").c_str(), program_.c_str(), FALSE));
    ASSERT_TRUE(testsupport::WriteTextFile(
        dir_ / L"product.ini", "[Nemdrift]\r\nVersionMajor=5\r\nVersionMinor=3\r\nVersionBuild=0\r\n"));
  }
  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, regKey_.c_str()); }

  // Settings naming a version list at listUrl (published here when empty)
  // and the download folder downloadPath (XML text).
  void WriteSettings(const std::string& list, const std::string& extra = "",
                     const std::wstring& listUrl = L"",
                     const std::string& downloadPath = "Kelvadon\\Updates") {
    listUrl_ = listUrl.empty() ? updatertest::PublishDocument(L"run-" + tag_ + L".xml", list)
                               : listUrl;
    const std::string settings = updatertest::WithDownloadPath(updatertest::SettingsXml(
        Narrow(regKey_), "<VersionInfoURL>" + Narrow(listUrl_) +
                             "</VersionInfoURL><Component><ID>VESMARIN6</ID><Name>Vesmarin 6</Name>"
                             "<Module type=\"def\">product.ini</Module></Component>" +
                             extra), downloadPath);
    ASSERT_TRUE(testsupport::WriteTextFile(dir_ / L"Nemdrift.xml", settings));
  }
  void NotFirstRun(DWORD showOption = 1) {
    WriteDword(regKey_, L"ShowHello", 1);
    WriteDword(regKey_, L"ShowOption", showOption);
  }
  std::wstring Line(const std::wstring& arguments) { return L"\"" + program_ + L"\" " + arguments; }
  int ListHits() {
    const size_t at = listUrl_.find(L"/doc/");
    return at == std::wstring::npos ? -1 : updatertest::ServerHits(listUrl_.substr(at));
  }

  // Waits for the main dialog of process, answering message boxes meanwhile.
  HWND WaitForMainDialog(DrivenProcess& process, DWORD timeoutMs = 60000) {
    const DWORD start = GetTickCount();
    while (process.Running() && GetTickCount() - start < timeoutMs) {
      process.AnswerBoxes(nullptr);
      std::vector<HWND> found = process.DialogsWithControl(IDC_UPDATE_LIST);
      if (!found.empty() && IsWindowVisible(GetDlgItem(found[0], IDOK))) return found[0];
      Sleep(50);
    }
    return nullptr;
  }

  testsupport::TempDir dir_{L"nemdrift"};
  std::wstring tag_;
  std::wstring regKey_;
  std::wstring program_;
  std::wstring listUrl_;
};


}  // namespace updatertest
