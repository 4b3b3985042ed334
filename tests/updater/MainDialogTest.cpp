// The main dialog of the real updater, driven from this process: what the
// two lists show, installing an update end to end (download, digest,
// signature, start) and every way that can fail, and the options dialogs.
#include "UpdaterRunFixture.h"
#include "Screenshot.h"

#include <algorithm>
#include <set>

#include <shlobj.h>

#include "MainDialog.h"
#include "Md5.h"
#include "PngBuilder.h"
#include "UpdaterState.h"
#include "UpdaterTestUtil.h"

namespace {

using namespace updatertest;

std::wstring ProgramsFolder() { return testsupport::BinDir() + L"..\\updater-programs\\"; }

std::string FileMd5(const std::wstring& path) {
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(testsupport::ReadFileBytes(path, bytes));
  Md5Context* context = Md5Create();
  Md5Update(context, bytes.data(), bytes.size());
  wchar_t digest[33];
  Md5FinishHex(context, digest);
  return Narrow(digest);
}

std::string Update(const std::string& url, const std::string& name, const std::string& md5) {
  return "<Component><VersionMajor>5</VersionMajor><VersionMinor>4</VersionMinor>"
         "<VersionBuild>0</VersionBuild><VersionString>5.4</VersionString><FileURL>" +
         url + "</FileURL><FileName>" + name + "</FileName><FileMD5>" + md5 +
         "</FileMD5><Description>&lt;b&gt;New&lt;/b&gt;</Description>"
         "<Date>Tue, 08 Dec 2026 09:00:00 +0900</Date><ID>VESMARIN6</ID></Component>";
}

// The user's local application data, where downloads go.
std::wstring LocalAppData() {
  wchar_t base[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, base);
  return base;
}

// Every file below a folder, by default the updater's download folder.
std::set<std::wstring> DownloadedFiles(const std::wstring& top = LocalAppData() +
                                                                 L"\\Kelvadon\\Updates") {
  std::set<std::wstring> files;
  std::vector<std::wstring> folders = {top};
  while (!folders.empty()) {
    const std::wstring folder = folders.back();
    folders.pop_back();
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) continue;
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        folders.push_back(folder + L"\\" + name);
      else
        files.insert(folder + L"\\" + name);
    } while (FindNextFileW(find, &found));
    FindClose(find);
  }
  return files;
}

class MainDialog : public UpdaterRun {
 protected:
  void SetUp() override {
    UpdaterRun::SetUp();
    record_ = dir_ / L"started.txt";
    SetEnvironmentVariableW(L"ENVPROBE_OUT", record_.c_str());
    before_ = DownloadedFiles();
  }
  void TearDown() override {
    SetEnvironmentVariableW(L"ENVPROBE_OUT", nullptr);
    RegDeleteTreeW(HKEY_CURRENT_USER, kOverrideKey);
    UpdaterRun::TearDown();
  }
  // Publishes one of the prepared update programs under a name of its own.
  std::string Publish(const wchar_t* program) {
    const std::wstring name = L"upd-" + tag_ + L"-" + program;
    return Narrow(PublishFile(name, ProgramsFolder() + program));
  }
  std::string Md5Of(const wchar_t* program) { return FileMd5(ProgramsFolder() + program); }
  // Keeps Wine from loading library into the updater (Nemdrift.exe only).
  void DisableLibrary(const wchar_t* library) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kOverrideKey, library, REG_SZ, L"", sizeof(wchar_t));
  }
  static constexpr const wchar_t* kOverrideKey =
      L"Software\\Wine\\AppDefaults\\Nemdrift.exe\\DllOverrides";

  // Starts the updater by hand, waits for its dialog and presses Update,
  // answering the question with Yes. Null when the dialog did not come.
  HWND StartAndUpdate(DrivenProcess& process) {
    NotFirstRun(1);
    if (!process.Start(Line(L""))) return nullptr;
    HWND dialog = WaitForMainDialog(process);
    if (!dialog) return nullptr;
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_UPDATE)));
    PostMessageW(dialog, WM_COMMAND, IDC_UPDATE, 0);
    HWND question = process.WaitForMessageBox(30000);
    EXPECT_NE(question, nullptr);
    if (question) {
      const testsupport::SeenBox seen = testsupport::ReadMessageBox(question);
      EXPECT_EQ(seen.caption, L"Update Program");
      EXPECT_NE(seen.text.find(L"Vesmarin 6 must be quitted"), std::wstring::npos);
      testsupport::AnswerMessageBox(question, IDYES);
      EXPECT_TRUE(testsupport::WaitForWindowGone(question, 10000));
    }
    return dialog;
  }

  // Starts the updater by hand and, should its dialog come, presses Update
  // and answers Yes as a user would; returns once the updater has ended.
  void RunTryingToUpdate(DrivenProcess& process) {
    NotFirstRun(1);
    ASSERT_TRUE(process.Start(Line(L"")));
    HWND dialog = nullptr;
    testsupport::WaitUntil(
        [&] {
          process.AnswerBoxes(nullptr);
          const std::vector<HWND> found = process.DialogsWithControl(IDC_UPDATE_LIST);
          if (!found.empty() && IsWindowVisible(GetDlgItem(found[0], IDOK))) dialog = found[0];
          return dialog || !process.Running();
        },
        60000);
    if (dialog) {
      PostMessageW(dialog, WM_COMMAND, IDC_UPDATE, 0);
      if (HWND question = process.WaitForMessageBox(30000)) {
        testsupport::AnswerMessageBox(question, IDYES);
        EXPECT_TRUE(testsupport::WaitForWindowGone(question, 10000));
      }
    }
    EXPECT_TRUE(process.WaitAnswering(nullptr, 60000)) << "the updater ends";
  }

  // The error the updater reports after Update; the dialog stays open.
  std::wstring ErrorAfterUpdate(const std::string& list,
                                const std::string& downloadPath = "Kelvadon\\Updates") {
    WriteSettings(VersionListXml(list), "", L"", downloadPath);
    DrivenProcess process;
    HWND dialog = StartAndUpdate(process);
    if (!dialog) return L"<no dialog>";
    return ErrorOf(process, dialog);
  }
  // Waits for the error box of an update that was started in process,
  // answers it and closes the dialog; gives the box's text.
  std::wstring ErrorOf(DrivenProcess& process, HWND dialog) {
    HWND box = nullptr;
    const DWORD start = GetTickCount();
    while (!box && GetTickCount() - start < 60000) {
      box = process.WaitForMessageBox(1000);
      if (box && testsupport::ReadMessageBox(box).caption != L"Update Program") box = nullptr;
    }
    if (!box) return L"<no box>";
    const std::wstring text = testsupport::ReadMessageBox(box).text;
    testsupport::AnswerMessageBox(box, IDOK);
    EXPECT_TRUE(testsupport::WaitForWindowGone(box, 10000));
    EXPECT_TRUE(IsWindow(dialog)) << "the dialog stays for another try";
    EXPECT_TRUE(IsWindowEnabled(dialog));
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(process.WaitAnswering(nullptr, 30000));
    return text;
  }
  // The one file below top once the download has made it; empty when none
  // came.
  std::wstring WaitForDownloadFile(const std::wstring& top) {
    std::wstring file;
    testsupport::WaitUntil(
        [&] {
          const std::set<std::wstring> files = DownloadedFiles(top);
          if (files.size() == 1) file = *files.begin();
          return !file.empty();
        },
        30000);
    return file;
  }
  void ExpectNothingLeft() {
    EXPECT_EQ(DownloadedFiles(), before_);
    EXPECT_FALSE(testsupport::PathExists(record_)) << "nothing was started";
  }

  std::wstring record_;
  std::set<std::wstring> before_;
};

TEST_F(MainDialog, OnlyAnUpdateSignedWithThePinnedKeyStarts) {
  // Signed by a fresh certificate that carries the pinned signer's name:
  // refused, never started, and the download is gone.
  EXPECT_NE(ErrorAfterUpdate(Update(Publish(L"update-impostor.exe"), "Setup 5.4.exe",
                                    Md5Of(L"update-impostor.exe")))
                .find(L"[Code=2006]"), std::wstring::npos);
  ExpectNothingLeft();

  // The genuine signer's update downloads, verifies and starts.
  WriteSettings(VersionListXml(Update(Publish(L"update-signed.exe"), "Setup 5.4.exe",
                                      Md5Of(L"update-signed.exe"))));
  DrivenProcess process;
  NotFirstRun(1);
  ASSERT_TRUE(process.Start(Line(L"")));
  HWND dialog = WaitForMainDialog(process);
  ASSERT_NE(dialog, nullptr);
  const std::vector<std::wstring> rows = ListRows(GetDlgItem(dialog, IDC_UPDATE_LIST));
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0], L"Vesmarin 6 Version5.4 has been released (2026/12/08)");
  // The browser pane hosts the WebBrowser control.
  wchar_t hostClass[64] = {};
  GetClassNameW(GetDlgItem(dialog, IDC_BROWSER_HOST), hostClass, 64);
  EXPECT_STREQ(hostClass, L"AtlAxWin140");
  EXPECT_NE(GetWindow(GetDlgItem(dialog, IDC_BROWSER_HOST), GW_CHILD), nullptr);
  process.Terminate();

  DrivenProcess run;
  ASSERT_NE(StartAndUpdate(run), nullptr);
  ASSERT_TRUE(run.WaitAnswering(nullptr, 60000)) << "a started update ends the updater";
  EXPECT_EQ(run.ExitCode(), 0u);
  for (const testsupport::SeenBox& box : run.Boxes())
    ADD_FAILURE() << "unexpected box: " << Narrow(box.text);
  const std::string started = WebLinkProbe::WaitForRecord(record_, 1);
  EXPECT_NE(started.find("start"), std::string::npos) << "the update program ran";
  std::set<std::wstring> after = DownloadedFiles();
  std::vector<std::wstring> added;
  std::set_difference(after.begin(), after.end(), before_.begin(), before_.end(),
                      std::back_inserter(added));
  ASSERT_EQ(added.size(), 1u);
  EXPECT_NE(added[0].find(L"\\Setup 5.4.exe"), std::wstring::npos) << Narrow(added[0]);
  EXPECT_EQ(FileMd5(added[0]), Md5Of(L"update-signed.exe"));
  DeleteFileW(added[0].c_str());
  RemoveDirectoryW(added[0].substr(0, added[0].rfind(L'\\')).c_str());
}

TEST_F(MainDialog, ChecksFailWithTheirCodesAndLeaveNothing) {
  const std::string signedUrl = Publish(L"update-signed.exe");
  const std::string goodMd5 = Md5Of(L"update-signed.exe");
  std::string upperMd5 = goodMd5;
  std::transform(upperMd5.begin(), upperMd5.end(), upperMd5.begin(), ::toupper);

  EXPECT_NE(ErrorAfterUpdate(Update(signedUrl, "setup.exe", std::string(32, '0')))
                .find(L"[Code=2002]"), std::wstring::npos);
  ExpectNothingLeft();
  EXPECT_NE(ErrorAfterUpdate(Update(Publish(L"update-unsigned.exe"), "setup.exe",
                                    Md5Of(L"update-unsigned.exe")))
                .find(L"[Code=2006]"), std::wstring::npos);
  ExpectNothingLeft();
  EXPECT_NE(ErrorAfterUpdate(Update(Publish(L"update-foreign.exe"), "setup.exe",
                                    Md5Of(L"update-foreign.exe")))
                .find(L"[Code=2006]"), std::wstring::npos)
      << "a valid signature of another publisher";
  ExpectNothingLeft();
  // The server names where to write: only a bare name is taken.
  for (const char* name : {"..\\x.exe", "../x.exe", "C:x.exe", "CON", "sub\\x.exe"}) {
    EXPECT_NE(ErrorAfterUpdate(Update(signedUrl, name, goodMd5)).find(L"[Code=2001]"),
              std::wstring::npos)
        << name;
    ExpectNothingLeft();
  }
  wchar_t base[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, base);
  EXPECT_FALSE(testsupport::PathExists(std::wstring(base) + L"\\Kelvadon\\x.exe"));
  // A redirect out of the download domain.
  const std::string away = Narrow(ServerBase()) + "/redirect/0?to=http://localhost:1/x.exe";
  EXPECT_NE(ErrorAfterUpdate(Update(away, "setup.exe", goodMd5)).find(L"[Code=2004]"),
            std::wstring::npos);
  ExpectNothingLeft();
  // An address without a host.
  EXPECT_NE(ErrorAfterUpdate(Update("setup.exe", "setup.exe", goodMd5)).find(L"[Code=2003]"),
            std::wstring::npos);
  // A host outside the domain from the start.
  EXPECT_NE(ErrorAfterUpdate(Update("http://localhost/x.exe", "setup.exe", goodMd5))
                .find(L"[Code=2004]"), std::wstring::npos);
  // A failed transfer.
  EXPECT_NE(ErrorAfterUpdate(Update(Narrow(ServerBase()) + "/short/4000", "setup.exe", goodMd5))
                .find(L"[Code=2001]"), std::wstring::npos);
  ExpectNothingLeft();
  // Without the signature check on the system; the digest in upper case
  // still matches, so the signature step is reached.
  DisableLibrary(L"wintrust");
  EXPECT_NE(ErrorAfterUpdate(Update(signedUrl, "setup.exe", upperMd5)).find(L"[Code=2005]"),
            std::wstring::npos);
  ExpectNothingLeft();
}

// A download folder that names another place than a folder below the
// download area is refused at start-up as a broken settings file is: no
// version list is fetched, nothing is downloaded, nothing is started.
TEST_F(MainDialog, ADownloadPathLeadingElsewhereIsRefusedAtStart) {
  const std::string url = Publish(L"update-signed.exe");
  const std::string list = VersionListXml(Update(url, "Setup 5.4.exe", Md5Of(L"update-signed.exe")));
  const std::string outside = "vst-escape-" + Narrow(tag_);
  const std::string forms[] = {
      "..\\..\\..\\..\\..\\..\\..\\" + outside,  // climbing out
      "C:\\" + outside,                              // absolute
      "C:" + outside,                                // drive-relative
      "\\\\127.0.0.1\\C$\\" + outside,               // a share
      "\\\\?\\C:\\" + outside,                       // no path rules at all
      "Kelvadon:" + outside,                         // a stream of a folder
  };
  for (const std::string& form : forms) {
    SCOPED_TRACE(form);
    WriteSettings(list, "", L"", form);
    DrivenProcess process;
    RunTryingToUpdate(process);
    EXPECT_EQ(process.ExitCode(), kExitAborted);
    std::vector<std::wstring> texts;
    for (const testsupport::SeenBox& box : process.Boxes()) texts.push_back(box.text);
    EXPECT_EQ(texts, std::vector<std::wstring>{L"Could not read definition information. Update cancelled."});
  }
  EXPECT_EQ(ListHits(), 0) << "no version list was fetched";
  EXPECT_EQ(ServerHits(Widen(url.substr(url.find("/doc/")))), 0) << "nothing was downloaded";
  EXPECT_FALSE(testsupport::PathExists(Widen("C:\\" + outside)));
  ExpectNothingLeft();
}

// A folder of the download path that is a link to a place outside the
// download area is refused before anything is made or written there; a
// plain nested folder path still installs.
TEST_F(MainDialog, ALinkOutOfTheAreaIsRefusedAndANestedFolderStillInstalls) {
  const std::string url = Publish(L"update-signed.exe");
  const std::string list = Update(url, "Setup 5.4.exe", Md5Of(L"update-signed.exe"));
  const std::wstring outside = L"C:\\vst-outside-" + tag_;
  const std::wstring link = L"vst-link-" + tag_;
  ASSERT_TRUE(CreateDirectoryW(outside.c_str(), nullptr));
  ASSERT_TRUE(testsupport::MakeFolderLink(LocalAppData() + L"\\" + link, outside));
  EXPECT_EQ(ErrorAfterUpdate(list, Narrow(link) + "\\Updates"),
            L"Could not write updated file to disk.\r\n\r\n" + LocalAppData() + L"\\" + link +
                L"\\Updates");
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((outside + L"\\*").c_str(), &found);
  int entries = 0;
  if (find != INVALID_HANDLE_VALUE) {
    do entries += wcscmp(found.cFileName, L".") != 0 && wcscmp(found.cFileName, L"..") != 0;
    while (FindNextFileW(find, &found));
    FindClose(find);
  }
  EXPECT_EQ(entries, 0) << "nothing was made behind the link";
  EXPECT_EQ(ServerHits(Widen(url.substr(url.find("/doc/")))), 0) << "nothing was downloaded";
  ExpectNothingLeft();
  EXPECT_TRUE(testsupport::RemoveFolderLink(LocalAppData() + L"\\" + link));
  EXPECT_TRUE(RemoveDirectoryW(outside.c_str()));

  const std::wstring nested = L"Kelvadon\\Vesmarin 6\\Nested " + tag_ + L"\\Updates";
  const std::wstring top = LocalAppData() + L"\\Kelvadon\\Vesmarin 6\\Nested " + tag_;
  WriteSettings(VersionListXml(list), "", L"", Narrow(nested));
  DrivenProcess run;
  RunTryingToUpdate(run);
  EXPECT_EQ(run.ExitCode(), 0u);
  EXPECT_TRUE(run.Boxes().empty()) << Narrow(run.Boxes().empty() ? L"" : run.Boxes()[0].text);
  EXPECT_NE(WebLinkProbe::WaitForRecord(record_, 1).find("start"), std::string::npos)
      << "the update program ran";
  const std::set<std::wstring> added = DownloadedFiles(top);
  ASSERT_EQ(added.size(), 1u);
  const std::wstring file = *added.begin();
  EXPECT_EQ(file.rfind(LocalAppData() + L"\\" + nested + L"\\update-", 0), 0u) << Narrow(file);
  EXPECT_EQ(FileMd5(file), Md5Of(L"update-signed.exe"));
  DeleteFileW(file.c_str());
  for (std::wstring folder = file.substr(0, file.rfind(L'\\')); folder.size() > top.size() - 1;
       folder = folder.substr(0, folder.rfind(L'\\')))
    RemoveDirectoryW(folder.c_str());
}

TEST_F(MainDialog, AStartThatFailsKeepsTheDialogAndSaysSo) {
  // Signed by the maker and intact, but a library: it cannot be started.
  const std::wstring text = ErrorAfterUpdate(
      Update(Publish(L"update-library.exe"), "setup.exe", Md5Of(L"update-library.exe")));
  EXPECT_EQ(text, L"The update program could not be started.");
  ExpectNothingLeft();
}

TEST_F(MainDialog, CancelEndsADrippingDownloadAtOnceAndLeavesNothing) {
  // 400 bytes announced, one sent every two seconds.
  WriteSettings(VersionListXml(Update(Narrow(ServerBase()) + "/drip/400", "setup.exe",
                                      std::string(32, '0'))));
  DrivenProcess process;
  HWND dialog = StartAndUpdate(process);
  ASSERT_NE(dialog, nullptr);
  HWND progress = WaitForDialogWith(process, IDC_DOWNLOAD_PROGRESS);
  ASSERT_NE(progress, nullptr);
  EXPECT_FALSE(IsWindowEnabled(dialog)) << "the main dialog waits for the download";
  HWND cancel = GetDlgItem(progress, IDCANCEL);
  EXPECT_TRUE(IsWindowVisible(cancel));
  EXPECT_TRUE(IsWindowEnabled(cancel));
  // The progress dialog answers all the while the bytes drip.
  int unanswered = 0;
  for (int i = 0; i < 25; ++i) {
    if (!AnswersWithinASecond(progress)) ++unanswered;
    Sleep(200);
  }
  EXPECT_EQ(unanswered, 0);
  EXPECT_TRUE(IsWindow(progress));
  EXPECT_TRUE(testsupport::SaveWindowBitmap(progress, PictureFolder() + L"nemdrift-download-drip-en.bmp"));
  const DWORD clicked = GetTickCount();
  PostMessageW(progress, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(testsupport::WaitForWindowGone(progress, 20000));
  EXPECT_TRUE(testsupport::WaitUntil([&] { return IsWindowEnabled(dialog) != FALSE; }, 2000));
  EXPECT_LT(GetTickCount() - clicked, 2000u) << "Cancel ends the download at once";
  ExpectNothingLeft();
  // Back at its messages, the dialog's thread would have opened its box.
  EXPECT_TRUE(testsupport::RoundTrip(dialog));
  EXPECT_EQ(process.UnansweredMessageBox(), nullptr) << "a cancelled download says nothing";
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(process.WaitAnswering(nullptr, 30000));
}

// A folder outside the download area holding a file of the update's name,
// where a link swapped in during the download leads.
class OutsideFolder {
 public:
  OutsideFolder(const std::wstring& root, const std::wstring& sub) : root_(root) {
    folder_ = sub.empty() ? root : root + L"\\" + sub;
    made_ = CreateDirectoryW(root.c_str(), nullptr) &&
            (sub.empty() || CreateDirectoryW(folder_.c_str(), nullptr)) &&
            testsupport::WriteTextFile(folder_ + L"\\setup.exe", "outside");
  }
  ~OutsideFolder() {
    DeleteFileW((folder_ + L"\\setup.exe").c_str());
    RemoveDirectoryW(folder_.c_str());
    RemoveDirectoryW(root_.c_str());
  }
  bool made() const { return made_; }
  const std::wstring& root() const { return root_; }
  // The file and its folder are still there, the file as it was.
  void ExpectKept() const {
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(testsupport::ReadFileBytes(folder_ + L"\\setup.exe", bytes))
        << "the file outside was deleted";
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "outside");
    EXPECT_TRUE(testsupport::PathExists(folder_)) << "the folder outside was deleted";
  }

 private:
  std::wstring root_;
  std::wstring folder_;
  bool made_ = false;
};

// Removes a download folder tree that a test moved aside, and the folders
// above it up to top.
void RemoveMovedDownload(const std::wstring& folder, const std::wstring& top) {
  for (const std::wstring& file : DownloadedFiles(folder)) DeleteFileW(file.c_str());
  std::vector<std::wstring> folders;
  std::vector<std::wstring> pending = {folder};
  while (!pending.empty()) {
    const std::wstring next = pending.back();
    pending.pop_back();
    folders.push_back(next);
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((next + L"\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) continue;
    do {
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && wcscmp(found.cFileName, L".") &&
          wcscmp(found.cFileName, L".."))
        pending.push_back(next + L"\\" + found.cFileName);
    } while (FindNextFileW(find, &found));
    FindClose(find);
  }
  for (auto it = folders.rbegin(); it != folders.rend(); ++it) RemoveDirectoryW(it->c_str());
  for (std::wstring up = folder.substr(0, folder.rfind(L'\\')); up.size() >= top.size();
       up = up.substr(0, up.rfind(L'\\')))
    RemoveDirectoryW(up.c_str());
}

// The download's own folder is moved away while the file in it is open,
// and a link to a folder outside the download area takes its place; Cancel
// then deletes nothing that the link leads to.
TEST_F(MainDialog, CancelAfterALinkWasSwappedInKeepsWhatItLeadsTo) {
  const std::wstring relative = L"Kelvadon\\Swap " + tag_;
  const std::wstring top = LocalAppData() + L"\\" + relative;
  OutsideFolder outside(L"C:\\vst-swap-" + tag_, L"");
  ASSERT_TRUE(outside.made());
  // 400 bytes announced, one sent every two seconds.
  WriteSettings(VersionListXml(Update(Narrow(ServerBase()) + "/drip/400", "setup.exe",
                                      std::string(32, '0'))),
                "", L"", Narrow(relative));
  DrivenProcess process;
  HWND dialog = StartAndUpdate(process);
  ASSERT_NE(dialog, nullptr);
  HWND progress = WaitForDialogWith(process, IDC_DOWNLOAD_PROGRESS);
  ASSERT_NE(progress, nullptr);
  const std::wstring file = WaitForDownloadFile(top);
  ASSERT_FALSE(file.empty());
  const std::wstring folder = file.substr(0, file.rfind(L'\\'));
  ASSERT_TRUE(MoveFileW(folder.c_str(), (folder + L"-moved").c_str()));
  ASSERT_TRUE(testsupport::MakeFolderLink(folder, outside.root()));
  PostMessageW(progress, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(testsupport::WaitForWindowGone(progress, 20000));
  // Back at its messages, the dialog's thread has done its clean-up.
  EXPECT_TRUE(testsupport::RoundTrip(dialog));
  EXPECT_EQ(process.UnansweredMessageBox(), nullptr) << "a cancelled download says nothing";
  outside.ExpectKept();
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(process.WaitAnswering(nullptr, 30000));
  EXPECT_TRUE(testsupport::RemoveFolderLink(folder));
  RemoveMovedDownload(folder + L"-moved", top);
  ExpectNothingLeft();
}

// The folder of the DownloadPath setting is moved away while the download
// runs, and a link to a folder outside that holds a folder and a file of the
// same names takes its place; the digest check fails (2002) and deletes
// nothing that the link leads to.
TEST_F(MainDialog, AFailedDigestAfterALinkWasSwappedInKeepsWhatItLeadsTo) {
  const std::wstring relative = L"Kelvadon\\Swap " + tag_ + L"\\Updates";
  const std::wstring top = LocalAppData() + L"\\Kelvadon\\Swap " + tag_;
  const std::wstring gate = ServerFolder() + L"gates\\" + tag_;
  DeleteFileW(gate.c_str());
  // Half the body comes at once, the rest once the gate file exists.
  WriteSettings(VersionListXml(Update(Narrow(ServerBase()) + "/gate/600?name=" + Narrow(tag_),
                                      "setup.exe", std::string(32, '0'))),
                "", L"", Narrow(relative));
  DrivenProcess process;
  HWND dialog = StartAndUpdate(process);
  ASSERT_NE(dialog, nullptr);
  ASSERT_NE(WaitForDialogWith(process, IDC_DOWNLOAD_PROGRESS), nullptr);
  const std::wstring file = WaitForDownloadFile(top);
  ASSERT_FALSE(file.empty());
  const std::wstring folder = file.substr(0, file.rfind(L'\\'));
  const std::wstring updates = top + L"\\Updates";
  OutsideFolder outside(L"C:\\vst-swap-" + tag_, folder.substr(folder.rfind(L'\\') + 1));
  ASSERT_TRUE(outside.made());
  ASSERT_TRUE(MoveFileW(updates.c_str(), (updates + L"-moved").c_str()));
  ASSERT_TRUE(testsupport::MakeFolderLink(updates, outside.root()));
  ASSERT_TRUE(testsupport::WriteTextFile(gate, ""));
  EXPECT_NE(ErrorOf(process, dialog).find(L"[Code=2002]"), std::wstring::npos);
  outside.ExpectKept();
  EXPECT_TRUE(testsupport::RemoveFolderLink(updates));
  RemoveMovedDownload(updates + L"-moved", top);
  DeleteFileW(gate.c_str());
  ExpectNothingLeft();
}

// A '%' in the download folder or in the file's name is part of the name:
// the file written under that name is the one verified and started.
TEST_F(MainDialog, APercentInAFolderOrFileNameStartsTheVerifiedFile) {
  wchar_t user[256] = {};
  ASSERT_GT(GetEnvironmentVariableW(L"USERNAME", user, 256), 0u) << "nothing to expand";
  const std::string url = Publish(L"update-signed.exe");
  const std::string md5 = Md5Of(L"update-signed.exe");
  const std::wstring own = L"Kelvadon\\Percent " + tag_;
  const struct {
    std::wstring relative;
    std::string name;
  } cases[] = {{own + L"\\%USERNAME%", "Setup 5.4.exe"},
               {own, "%USERNAME%x.exe"},
               {own, "100%.exe"}};
  for (const auto& each : cases) {
    SCOPED_TRACE(Narrow(each.relative) + " " + each.name);
    DeleteFileW(record_.c_str());
    WriteSettings(VersionListXml(Update(url, each.name, md5)), "", L"", Narrow(each.relative));
    DrivenProcess run;
    RunTryingToUpdate(run);
    EXPECT_EQ(run.ExitCode(), 0u);
    for (const testsupport::SeenBox& box : run.Boxes())
      ADD_FAILURE() << "unexpected box: " << Narrow(box.text);
    EXPECT_NE(WebLinkProbe::WaitForRecord(record_, 1).find("start"), std::string::npos)
        << "the update program ran";
    const std::wstring folder = LocalAppData() + L"\\" + each.relative;
    const std::set<std::wstring> added = DownloadedFiles(folder);
    ASSERT_EQ(added.size(), 1u);
    const std::wstring file = *added.begin();
    EXPECT_EQ(file.rfind(folder + L"\\update-", 0), 0u) << Narrow(file);
    EXPECT_EQ(file.substr(file.rfind(L'\\') + 1), Widen(each.name)) << "written as named";
    EXPECT_EQ(FileMd5(file), md5);
    DeleteFileW(file.c_str());
    RemoveMovedDownload(file.substr(0, file.rfind(L'\\')), LocalAppData() + L"\\Kelvadon\\Percent");
  }
}

// A download folder that can never hold a download (a part longer than a
// name can be, a path longer than a path can be) is refused at start-up as
// a broken settings file is, and nothing is made on its way.
TEST_F(MainDialog, ADownloadPathThatCanNeverFitIsRefusedAtStart) {
  const std::string url = Publish(L"update-signed.exe");
  const std::string list = VersionListXml(Update(url, "Setup 5.4.exe", Md5Of(L"update-signed.exe")));
  const std::string lead = "vst-long-" + Narrow(tag_);
  std::string deep = lead;
  while (deep.size() < 300) deep += "\\abcdefghi";
  for (const std::string& form : {lead + "\\" + std::string(255, 'n'), deep}) {
    SCOPED_TRACE(form.size());
    WriteSettings(list, "", L"", form);
    DrivenProcess process;
    RunTryingToUpdate(process);
    EXPECT_EQ(process.ExitCode(), kExitAborted);
    std::vector<std::wstring> texts;
    for (const testsupport::SeenBox& box : process.Boxes()) texts.push_back(box.text);
    EXPECT_EQ(texts, std::vector<std::wstring>{L"Could not read definition information. Update cancelled."});
    EXPECT_FALSE(testsupport::PathExists(LocalAppData() + L"\\" + Widen(lead)))
        << "no folder was made";
  }
  EXPECT_EQ(ServerHits(Widen(url.substr(url.find("/doc/")))), 0) << "nothing was downloaded";
  ExpectNothingLeft();
}

// A download refused once its folders are made (here a file name that
// does not fit beside them) takes back every folder it made.
TEST_F(MainDialog, ARefusedDownloadLeavesNoFolderItMade) {
  const std::wstring lead = L"Kelvadon\\Fresh " + tag_;
  const std::string name = std::string(240, 'x') + ".exe";
  EXPECT_NE(ErrorAfterUpdate(Update(Publish(L"update-signed.exe"), name, Md5Of(L"update-signed.exe")),
                             Narrow(lead + L"\\Updates"))
                .find(L"[Code=2001]"),
            std::wstring::npos);
  EXPECT_FALSE(testsupport::PathExists(LocalAppData() + L"\\" + lead)) << "a folder was left";
  // The same after a failed digest check.
  EXPECT_NE(ErrorAfterUpdate(Update(Publish(L"update-signed.exe"), "setup.exe", std::string(32, '0')),
                             Narrow(lead + L"\\Updates"))
                .find(L"[Code=2002]"),
            std::wstring::npos);
  EXPECT_FALSE(testsupport::PathExists(LocalAppData() + L"\\" + lead)) << "a folder was left";
  ExpectNothingLeft();
}

std::string NewsItemXml(const std::string& title, const std::string& category,
                        const std::string& domain, const std::string& date, bool complete = true) {
  return "<item><title>" + title + "</title><link>http://127.0.0.1:1/</link><category domain=\"" +
         domain + "\">" + category + "</category><pubDate>" + date + "</pubDate>" +
         (complete ? "<description>&lt;p&gt;" + title + "&lt;/p&gt;</description>" : "") +
         "</item>";
}

TEST_F(MainDialog, NewsTabListsTheFeedNewestFirstAndRecordsTheStamp) {
  const std::wstring iconFolder = L"icons-" + tag_;
  CreateDirectoryW((ServerFolder() + L"www\\" + iconFolder).c_str(), nullptr);
  PublishDocument(iconFolder + L"\\release.png", RgbaIcon());
  const std::string domain = Narrow(ServerBase()) + "/doc/" + Narrow(iconFolder) + "/";
  const std::string feed =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><rss version=\"2.0\"><channel>" +
      NewsItemXml("Older news", "release", domain, "Thu, 02 Jan 2020 10:00:00 GMT") +
      NewsItemXml("Incomplete", "release", domain, "Fri, 03 Jan 2020 10:00:00 GMT", false) +
      NewsItemXml("Newest news", "tips", domain, "Thu, 06 May 2021 10:00:00 GMT") +
      NewsItemXml("Undated", "release", domain, "not a date") + "</channel></rss>";
  const std::wstring feedUrl = PublishDocument(L"feed-" + tag_ + L".xml", feed);
  const std::wstring commonKey = L"Software\\Kelvadon\\Kelvadon Update";
  RegDeleteKeyValueW(HKEY_CURRENT_USER, commonKey.c_str(), L"LastRSSItemDate");
  listUrl_ = PublishDocument(L"list-" + tag_ + L".xml",
                             VersionListXml(ComponentXml("VESMARIN6", 5, 3, 0)));
  ASSERT_TRUE(testsupport::WriteTextFile(
      dir_ / L"Nemdrift.xml",
      SettingsXml(Narrow(regKey_),
                  "<VersionInfoURL>" + Narrow(listUrl_) +
                      "</VersionInfoURL><Component><ID>VESMARIN6</ID><Name>Vesmarin 6</Name>"
                      "<Module type=\"def\">product.ini</Module></Component>",
                  Narrow(feedUrl))));
  NotFirstRun(2);
  DrivenProcess process;
  ASSERT_TRUE(process.Start(Line(L"")));
  HWND dialog = WaitForMainDialog(process);
  ASSERT_NE(dialog, nullptr);
  HWND tabs = GetDlgItem(dialog, IDC_TABS);
  HWND news = GetDlgItem(dialog, IDC_NEWS_LIST);
  // No update and news: the news tab comes first and records the stamp.
  EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 1);
  EXPECT_TRUE(IsWindowVisible(news));
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_UPDATE)));
  const std::vector<std::wstring> rows = ListRows(news);
  const std::vector<std::wstring> expected = {L"[2021/05/06] Newest news",
                                              L"[2020/01/02] Older news", L"[0000/00/00] Undated"};
  EXPECT_EQ(rows, expected);
  EXPECT_TRUE(testsupport::SaveWindowBitmap(dialog, PictureFolder() + L"nemdrift-news-en.bmp"));
  EXPECT_EQ(ReadString(commonKey, L"LastRSSItemDate"), L"2021/05/06 10:00:00");
  EXPECT_EQ(ServerHits(L"/doc/" + iconFolder + L"/release.png"), 1);
  EXPECT_EQ(ServerHits(L"/doc/" + iconFolder + L"/tips.png"), 1) << "a missing icon";
  // The image list holds the default icon and the fetched one.
  HIMAGELIST images = reinterpret_cast<HIMAGELIST>(SendMessageW(news, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
  EXPECT_NE(images, nullptr);

  // Back to the updates tab (the tab change comes with its notifications).
  SendMessageW(tabs, TCM_SETCURFOCUS, 0, 0);
  EXPECT_TRUE(testsupport::WaitUntil(
      [&] { return IsWindowVisible(GetDlgItem(dialog, IDC_UPDATE_LIST)) != FALSE; }, 5000));
  EXPECT_FALSE(IsWindowVisible(news));
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, IDC_UPDATE)));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_UPDATE))) << "no update to install";
  // The stamp is stored once a run: a changed value stays changed.
  RegSetKeyValueW(HKEY_CURRENT_USER, commonKey.c_str(), L"LastRSSItemDate", REG_SZ, L"changed",
                  8 * sizeof(wchar_t));
  SendMessageW(tabs, TCM_SETCURFOCUS, 1, 0);
  EXPECT_TRUE(testsupport::WaitUntil([&] { return IsWindowVisible(news) != FALSE; }, 5000));
  EXPECT_EQ(ReadString(commonKey, L"LastRSSItemDate"), L"changed");
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(process.WaitAnswering(nullptr, 30000));
  RegDeleteKeyValueW(HKEY_CURRENT_USER, commonKey.c_str(), L"LastRSSItemDate");
}

TEST_F(MainDialog, ALongNewsListScrollsOnlyVertically) {
  std::string items;
  for (int day = 1; day <= 14; ++day)
    items += NewsItemXml("News of day " + std::to_string(day), "release", "",
                         "Thu, " + std::to_string(day) + " Jan 2026 10:00:00 GMT");
  const std::wstring feedUrl = PublishDocument(
      L"long-feed-" + tag_ + L".xml",
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><rss version=\"2.0\"><channel>" + items +
          "</channel></rss>");
  listUrl_ = PublishDocument(L"list-" + tag_ + L".xml",
                             VersionListXml(ComponentXml("VESMARIN6", 5, 3, 0)));
  ASSERT_TRUE(testsupport::WriteTextFile(
      dir_ / L"Nemdrift.xml",
      SettingsXml(Narrow(regKey_),
                  "<VersionInfoURL>" + Narrow(listUrl_) +
                      "</VersionInfoURL><Component><ID>VESMARIN6</ID><Name>Vesmarin 6</Name>"
                      "<Module type=\"def\">product.ini</Module></Component>",
                  Narrow(feedUrl))));
  NotFirstRun(2);
  DrivenProcess process;
  ASSERT_TRUE(process.Start(Line(L"")));
  HWND dialog = WaitForMainDialog(process);
  ASSERT_NE(dialog, nullptr);
  HWND news = GetDlgItem(dialog, IDC_NEWS_LIST);
  ASSERT_TRUE(testsupport::WaitUntil([&] { return IsWindowVisible(news) != FALSE; }, 5000));
  ASSERT_EQ(ListRows(news).size(), 14u);
  const LONG_PTR style = GetWindowLongPtrW(news, GWL_STYLE);
  EXPECT_TRUE(style & WS_VSCROLL) << "14 rows do not fit";
  EXPECT_FALSE(style & WS_HSCROLL) << "the one column fits beside the vertical bar";
  RECT client;
  GetClientRect(news, &client);
  EXPECT_LE(SendMessageW(news, LVM_GETCOLUMNWIDTH, 0, 0), client.right);
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(process.WaitAnswering(nullptr, 30000));
}

TEST_F(MainDialog, WithoutNewsTheNewsTabIsRefused) {
  WriteSettings(VersionListXml(ComponentXml("VESMARIN6", 5, 3, 0)));
  NotFirstRun(1);
  DrivenProcess process;
  ASSERT_TRUE(process.Start(Line(L"")));
  HWND dialog = WaitForMainDialog(process);
  ASSERT_NE(dialog, nullptr);
  HWND tabs = GetDlgItem(dialog, IDC_TABS);
  PostMessageW(tabs, TCM_SETCURFOCUS, 1, 0);
  HWND box = process.WaitForMessageBox(20000);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(testsupport::ReadMessageBox(box).text, L"Could not find announcement.");
  testsupport::AnswerMessageBox(box, IDOK);
  testsupport::WaitForWindowGone(box, 10000);
  EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 0);
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, IDC_UPDATE_LIST)));
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(process.WaitAnswering(nullptr, 30000));
}

TEST_F(MainDialog, OptionsDialogsStoreTheirChoices) {
  WriteSettings(VersionListXml(ComponentXml("VESMARIN6", 5, 3, 0)));
  NotFirstRun(5);
  {
    DrivenProcess process;
    ASSERT_TRUE(process.Start(Line(L"/Option")));
    HWND options = WaitForDialogWith(process, IDC_SHOW_NONE);
    ASSERT_NE(options, nullptr);
    EXPECT_TRUE(testsupport::IsChecked(options, IDC_SHOW_NONE)) << "an unknown value shows None";
    EXPECT_FALSE(testsupport::IsChecked(options, IDC_SHOW_NEW_INFORMATION));
    ASSERT_TRUE(testsupport::PressButton(options, IDC_SHOW_UPDATES_ONLY));
    ASSERT_TRUE(testsupport::WaitUntil(
        [&] { return testsupport::IsChecked(options, IDC_SHOW_UPDATES_ONLY); }, 5000));
    PostMessageW(options, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(process.WaitAnswering(nullptr, 30000));
    EXPECT_EQ(ReadDword(regKey_, L"ShowOption", 99), 5u) << "Cancel stores nothing";
  }
  {
    DrivenProcess process;
    ASSERT_TRUE(process.Start(Line(L"/Option")));
    HWND options = WaitForDialogWith(process, IDC_SHOW_NONE);
    ASSERT_NE(options, nullptr);
    ASSERT_TRUE(testsupport::PressButton(options, IDC_SHOW_UPDATES_ONLY));
    ASSERT_TRUE(testsupport::WaitUntil(
        [&] { return testsupport::IsChecked(options, IDC_SHOW_UPDATES_ONLY); }, 5000));
    PostMessageW(options, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(process.WaitAnswering(nullptr, 30000));
    EXPECT_EQ(ReadDword(regKey_, L"ShowOption", 99), 2u);
  }
  // Integrated mode: the main dialog's Options button opens the two
  // switches, which never touch ShowOption.
  WriteSettings(VersionListXml(ComponentXml("VESMARIN6", 5, 3, 0)), "<IntegrateMode>1</IntegrateMode>");
  WriteDword(regKey_, L"AutoCheckUpdate", 1);
  WriteDword(regKey_, L"ShowOnNewInformation", 0);
  DrivenProcess process;
  ASSERT_TRUE(process.Start(Line(L"")));
  HWND dialog = WaitForMainDialog(process);
  ASSERT_NE(dialog, nullptr);
  PostMessageW(dialog, WM_COMMAND, IDC_OPTIONS, 0);
  HWND options = WaitForDialogWith(process, IDC_AUTO_CHECK_UPDATE);
  ASSERT_NE(options, nullptr);
  EXPECT_EQ(GetWindow(options, GW_OWNER), dialog);
  EXPECT_TRUE(testsupport::IsChecked(options, IDC_AUTO_CHECK_UPDATE));
  EXPECT_FALSE(testsupport::IsChecked(options, IDC_SHOW_ON_NEW_INFORMATION));
  ASSERT_TRUE(testsupport::PressButton(options, IDC_AUTO_CHECK_UPDATE));
  ASSERT_TRUE(testsupport::PressButton(options, IDC_SHOW_ON_NEW_INFORMATION));
  ASSERT_TRUE(testsupport::WaitUntil(
      [&] {
        return !testsupport::IsChecked(options, IDC_AUTO_CHECK_UPDATE) &&
               testsupport::IsChecked(options, IDC_SHOW_ON_NEW_INFORMATION);
      },
      5000));
  PostMessageW(options, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(testsupport::WaitForWindowGone(options, 10000));
  EXPECT_EQ(ReadDword(regKey_, L"AutoCheckUpdate", 99), 0u);
  EXPECT_EQ(ReadDword(regKey_, L"ShowOnNewInformation", 99), 1u);
  EXPECT_EQ(ReadDword(regKey_, L"ShowOption", 99), 2u);
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(process.WaitAnswering(nullptr, 30000));
}

// The texts of the update rows, in this process.
class UpdateRows : public ::testing::Test {
 protected:
  void SetUp() override { updatertest::ResetUpdaterState(); }
  void TearDown() override { updatertest::ResetUpdaterState(); }
};

TEST_F(UpdateRows, DescriptionsFillTheirPlaceholders) {
  g_Updater.NoUpdateDescription = L"<p>$$APPVERSION$$ and again $$APPVERSION$$</p>";
  g_Updater.CheckFailDescription = L"<p>Error $$CHECKERRORCODE$$</p>";
  UpdateItem installed;
  installed.InstalledVersion = L"5.3.0";
  g_Updater.Updates.push_back(installed);
  g_Updater.CheckFailed = false;
  EXPECT_EQ(UpdateDescriptionHtml(g_Updater.Updates.front()), L"<p>5.3.0 and again 5.3.0</p>");
  g_Updater.CheckFailed = true;
  g_Updater.CheckStatus = 104;
  EXPECT_EQ(UpdateDescriptionHtml(g_Updater.Updates.front()), L"<p>Error 104</p>");
  UpdateItem newer;
  newer.UpdateAvailable = true;
  newer.Description = L"<b>New</b>";
  g_Updater.CheckFailed = false;
  EXPECT_EQ(UpdateDescriptionHtml(newer), L"<b>New</b>");
  g_Updater.CheckFailed = false;
}

}  // namespace
