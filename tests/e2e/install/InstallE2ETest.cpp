// Silent installers built by the real builder from cabinets written here,
// installed for real: files, folders, times and attributes, the marker
// files and the delete list, extra copies, the saved install folder, the
// newer-file rule, the overwrite question, files in use, hostile member
// names, paths too long for the folder and the clean-up after the started
// program.
#include <gtest/gtest.h>

#include <windows.h>
#include <aclapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ContainerReader.h"
#include "DefinitionText.h"
#include "InstallerPackage.h"
#include "PendingRenames.h"
#include "ScopedHandles.h"
#include "TestCabinet.h"
#include "TestSupport.h"

namespace {

using testsupport::DrivenResult;
using testsupport::ListTree;
using testsupport::Narrow;
using testsupport::PathExists;
using testsupport::SeenBox;
using testsupport::TempDir;
using testsupport::TestCabinet;

const uint16_t kOldDate = testsupport::DosDate(2019, 3, 4);
const uint16_t kMidDate = testsupport::DosDate(2021, 7, 8);
const uint16_t kNewDate = testsupport::DosDate(2023, 11, 12);
const uint16_t kTime = testsupport::DosTime(10, 20, 30);

const wchar_t kInstallError[] = L"An error occured while installation.";

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

// The UTC time the stub gives a member stored with this DOS time (the
// package uses no fixed time zone: the stored time is this machine's).
FILETIME CabTime(uint16_t date, uint16_t time) {
  FILETIME local = {}, utc = {};
  DosDateTimeToFileTime(date, time, &local);
  LocalFileTimeToFileTime(&local, &utc);
  return utc;
}

ULONGLONG WriteTime(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32) |
         data.ftLastWriteTime.dwLowDateTime;
}

ULONGLONG AsNumber(const FILETIME& time) {
  return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

bool SetWriteTime(const std::wstring& path, const FILETIME& time) {
  HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool set = SetFileTime(file, nullptr, nullptr, &time) != FALSE;
  CloseHandle(file);
  return set;
}

DWORD Attributes(const std::wstring& path) { return GetFileAttributesW(path.c_str()); }

std::wstring Joined(const std::vector<std::wstring>& names) {
  std::wstring text;
  for (const std::wstring& name : names) text += name + L"; ";
  return text;
}

std::wstring BoxTexts(const DrivenResult& result) {
  std::wstring text;
  for (const SeenBox& box : result.boxes) text += L"[" + box.caption + L"] " + box.text + L"\n";
  return text;
}

// A file held open without sharing, as a running program holds its image.
HANDLE HoldFile(const std::wstring& path) {
  return CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

// One silent package: a cabinet of this test, the builder's output and its
// run under the stub-run lock.
class Package {
 public:
  explicit Package(const std::wstring& tag) : dir_(tag) {}

  const TempDir& dir() const { return dir_; }

  std::wstring Build(const TestCabinet& cab, const std::wstring& installFolder,
                     const std::vector<std::wstring>& lines) {
    const std::wstring archive = dir_ / L"archive.cab";
    if (!cab.WriteTo(archive)) return std::wstring();
    std::wstring folder = installFolder;
    if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    const testsupport::DefinitionText text = testsupport::DefinitionText({
        L"SrcArchiveFile=archive.cab", L"DstExeFile=Setup.exe",  L"64bitSFX=1",
        L"DialogTitle=Install Test",    L"DialogTitleE=Install Test", L"AskExtPath=0",
        L"UseExtractFolder=1",          L"BaseFolder=6", L"ExtractFolder=" + folder,
        L"ManifestType=0",              L"IconType=blue", L"NoUI=1"}).Add(lines);
    const std::wstring definition = dir_ / L"package.ini";
    if (!text.WriteTo(definition)) return std::wstring();
    const std::wstring output = dir_ / L"Setup.exe";
    DeleteFileW(output.c_str());
    testsupport::ProcessResult built = testsupport::RunProcess(
        L"\"" + testsupport::BinPath(L"Vesmarin.exe") + L"\" \"" + definition + L"\"", 120000,
        dir_.path());
    if (!built.started || built.timedOut || built.exitCode != 0 || !PathExists(output))
      return std::wstring();
    return output;
  }

  static DrivenResult Run(const std::wstring& setup,
                          const testsupport::BoxAnswer& answer = nullptr) {
    testsupport::StubRunLock lock;
    return testsupport::RunAnsweringBoxes(L"\"" + setup + L"\"", answer, 120000);
  }

 private:
  TempDir dir_;
};

bool MakeFile(const std::wstring& path, const std::string& bytes, uint16_t date) {
  return testsupport::WriteTextFile(path, bytes) && SetWriteTime(path, CabTime(date, kTime));
}

// True when the DACL of the path holds an access-allowed entry of the
// well-known group with all access.
bool GroupHasFullAccess(const std::wstring& path, WELL_KNOWN_SID_TYPE group) {
  BYTE sidBytes[SECURITY_MAX_SID_SIZE];
  DWORD sidSize = sizeof(sidBytes);
  if (!CreateWellKnownSid(group, nullptr, sidBytes, &sidSize)) return false;
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                            nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
    return false;
  bool found = false;
  for (DWORD i = 0; dacl && i < dacl->AceCount && !found; ++i) {
    ACE_HEADER* header = nullptr;
    if (!GetAce(dacl, i, reinterpret_cast<void**>(&header))) continue;
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
    ACCESS_ALLOWED_ACE* ace = reinterpret_cast<ACCESS_ALLOWED_ACE*>(header);
    const DWORD all = GENERIC_ALL | FILE_ALL_ACCESS;
    found = EqualSid(&ace->SidStart, sidBytes) && (ace->Mask & all) != 0 &&
            ((ace->Mask & GENERIC_ALL) || (ace->Mask & FILE_ALL_ACCESS) == FILE_ALL_ACCESS);
  }
  LocalFree(descriptor);
  return found;
}

// Wine accepts SetFileSecurityW but keeps no DACL of its own for a file: the
// access-rights checks need a system that stores what was set.
bool KeepsFileDacls(const std::wstring& probe) {
  if (!testsupport::WriteTextFile(probe, "probe")) return false;
  BYTE sidBytes[SECURITY_MAX_SID_SIZE];
  DWORD sidSize = sizeof(sidBytes);
  BYTE aclBytes[256];
  PACL acl = reinterpret_cast<PACL>(aclBytes);
  SECURITY_DESCRIPTOR descriptor;
  const bool set =
      CreateWellKnownSid(WinBuiltinUsersSid, nullptr, sidBytes, &sidSize) &&
      InitializeAcl(acl, sizeof(aclBytes), ACL_REVISION) &&
      AddAccessAllowedAce(acl, ACL_REVISION, GENERIC_ALL, sidBytes) &&
      InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
      SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE) &&
      SetFileSecurityW(probe.c_str(), DACL_SECURITY_INFORMATION, &descriptor);
  const bool kept = set && GroupHasFullAccess(probe, WinBuiltinUsersSid);
  DeleteFileW(probe.c_str());
  if (!kept) std::printf("note: file DACLs are not kept here; access rights not checked\n");
  return kept;
}

std::wstring CommonAppData() {
  wchar_t path[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path);
  return std::wstring(path) + L"\\";
}

// A first installation lays out files, folders, times and attributes, keeps
// the markers back, runs the delete list, sends the extra copies to their
// base folder and saves the install folder; a second package finds that
// folder again and keeps what the newer-file rule protects.
TEST(InstallE2E, LayoutMarkersDeleteListExtraCopiesAndSavedFolder) {
  const std::wstring id = UniqueId();
  const std::wstring savedKey = L"Software\\VesmarinInstallE2E-" + id;
  const std::wstring copyFolder = CommonAppData() + L"VesmarinInstallE2E-" + id + L"\\";
  Package first(L"inst-layout");
  const std::wstring app = first.dir() / L"app\\";
  ASSERT_TRUE(CreateDirectoryW(app.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW((app + L"old").c_str(), nullptr));
  ASSERT_TRUE(testsupport::WriteTextFile(app + L"old\\gone.txt", "old"));
  ASSERT_TRUE(testsupport::WriteTextFile(app + L"lf1.txt", "lf1"));
  ASSERT_TRUE(testsupport::WriteTextFile(app + L"lf2.txt", "lf2"));

  std::string binary;
  for (int i = 0; i < 70000; ++i) binary += static_cast<char>((i * 7 + i / 256) & 0xFF);
  TestCabinet cab;
  cab.Add(L"top.txt", "top level\r\n", 0x20, kMidDate, kTime);
  cab.Add(L"sub\\deeper\\nested.bin", binary, 0x20, kNewDate, kTime);
  cab.Add(L"sub\\ro.txt", "read only", 0x01 | 0x20, kOldDate, kTime);
  cab.Add(L"sub\\hidden.txt", "hidden", 0x02, kOldDate, kTime);
  cab.Add(L"logs\\$qxskip$.$$$", "");
  cab.Add(L"data\\shared.txt", "shared", 0x20, kOldDate, kTime);
  // Lines end in CR LF, except the two joined by a lone LF: one line that
  // names no file. The file goes first, then its emptied folder.
  cab.Add(L"$qxdelete$.$$$", "old\\gone.txt\r\nold\\\r\nlf1.txt\nlf2.txt\r\n");
  const std::wstring setup = first.Build(
      cab, app,
      {L"WithAttribute=1", L"UseSavePath=1", L"SavePathKey=" + savedKey,
       L"SavePathValue=InstallPath", L"ExtraCopy0_FileName=data\\", L"ExtraCopy0_BaseFolder=12",
       L"ExtraCopy0_ExtractFolder=VesmarinInstallE2E-" + id});
  ASSERT_FALSE(setup.empty());

  DrivenResult run = Package::Run(setup);
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitCode, 0u) << Narrow(BoxTexts(run));
  EXPECT_TRUE(run.boxes.empty()) << Narrow(BoxTexts(run));

  const std::vector<std::wstring> expected = {
      L"lf1.txt",  L"lf2.txt",          L"logs\\",          L"sub\\",
      L"sub\\deeper\\", L"sub\\deeper\\nested.bin", L"sub\\hidden.txt", L"sub\\ro.txt",
      L"top.txt"};
  EXPECT_EQ(ListTree(app), expected) << Narrow(Joined(ListTree(app)));
  EXPECT_EQ(Content(app + L"top.txt"), "top level\r\n");
  EXPECT_EQ(Content(app + L"sub\\deeper\\nested.bin"), binary);
  EXPECT_EQ(Content(app + L"sub\\ro.txt"), "read only");
  EXPECT_EQ(WriteTime(app + L"top.txt"), AsNumber(CabTime(kMidDate, kTime)));
  EXPECT_EQ(WriteTime(app + L"sub\\deeper\\nested.bin"), AsNumber(CabTime(kNewDate, kTime)));
  EXPECT_EQ(WriteTime(app + L"sub\\ro.txt"), AsNumber(CabTime(kOldDate, kTime)));
  const DWORD kShown = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                       FILE_ATTRIBUTE_ARCHIVE;
  EXPECT_EQ(Attributes(app + L"top.txt") & kShown, FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_EQ(Attributes(app + L"sub\\ro.txt") & kShown,
            static_cast<DWORD>(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
  EXPECT_EQ(Attributes(app + L"sub\\hidden.txt") & kShown,
            static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
  // The LF-only pair stayed one line naming nothing.
  EXPECT_EQ(Content(app + L"lf1.txt"), "lf1");
  EXPECT_EQ(Content(app + L"lf2.txt"), "lf2");

  // The extra copy lands only below its own base folder, with shared access.
  EXPECT_EQ(Content(copyFolder + L"data\\shared.txt"), "shared");
  EXPECT_EQ(ListTree(copyFolder), (std::vector<std::wstring>{L"data\\", L"data\\shared.txt"}));
  if (KeepsFileDacls(first.dir() / L"dacl-probe.txt")) {
    EXPECT_TRUE(GroupHasFullAccess(copyFolder + L"data\\shared.txt", WinBuiltinUsersSid));
    EXPECT_TRUE(GroupHasFullAccess(copyFolder + L"data\\", WinBuiltinAdministratorsSid));
  }

  auto values = testsupport::ReadKeyValues(HKEY_CURRENT_USER, savedKey);
  EXPECT_EQ(values[L"InstallPath"], L"sz:" + app);

  // The second package names another folder but installs into the saved
  // one; its top.txt is no newer and its nested.bin older than what is
  // there, so both stay as they are; the read-only ro.txt is newer and is
  // replaced.
  Package second(L"inst-second");
  const std::wstring other = second.dir() / L"other\\";
  TestCabinet next;
  next.Add(L"top.txt", "second top", 0x20, kMidDate, kTime);
  next.Add(L"sub\\deeper\\nested.bin", "older", 0x20, kMidDate, kTime);
  next.Add(L"sub\\ro.txt", "newer", 0x20, kNewDate, kTime);
  next.Add(L"second.txt", "second", 0x20, kNewDate, kTime);
  const std::wstring setup2 = second.Build(
      next, other,
      {L"UseSavePath=1", L"SavePathKey=" + savedKey, L"SavePathValue=InstallPath",
       L"NoOverwriteNewTimeStamp=1"});
  ASSERT_FALSE(setup2.empty());
  DrivenResult run2 = Package::Run(setup2);
  ASSERT_FALSE(run2.timedOut);
  EXPECT_EQ(run2.exitCode, 0u) << Narrow(BoxTexts(run2));
  EXPECT_FALSE(PathExists(other));
  EXPECT_EQ(Content(app + L"second.txt"), "second");
  EXPECT_EQ(Content(app + L"top.txt"), "top level\r\n");
  EXPECT_EQ(WriteTime(app + L"top.txt"), AsNumber(CabTime(kMidDate, kTime)));
  EXPECT_EQ(Content(app + L"sub\\deeper\\nested.bin"), binary);
  EXPECT_EQ(WriteTime(app + L"sub\\deeper\\nested.bin"), AsNumber(CabTime(kNewDate, kTime)));
  EXPECT_EQ(Content(app + L"sub\\ro.txt"), "newer");
  EXPECT_EQ(WriteTime(app + L"sub\\ro.txt"), AsNumber(CabTime(kNewDate, kTime)));
  EXPECT_EQ(Attributes(app + L"sub\\ro.txt") & FILE_ATTRIBUTE_READONLY, 0u);

  RegDeleteTreeW(HKEY_CURRENT_USER, savedKey.c_str());
  testsupport::RemoveTree(copyFolder);
}

// A file that another process holds open: method 0 fails the installation,
// method 1 asks Retry/Cancel (Retry succeeds once the file is free, Cancel
// fails like method 0), method 2 writes the replacement beside it and
// leaves it to the restart.
TEST(InstallE2E, FilesInUseByOverwriteMethod) {
  {
    SCOPED_TRACE("method 0");
    Package package(L"inst-use0");
    const std::wstring app = package.dir() / L"app\\";
    ASSERT_TRUE(CreateDirectoryW(app.c_str(), nullptr));
    ASSERT_TRUE(testsupport::WriteTextFile(app + L"busy.txt", "mine"));
    TestCabinet cab;
    cab.Add(L"busy.txt", "package").Add(L"after.txt", "after");
    const std::wstring setup = package.Build(cab, app, {L"OverWriteMethod=0"});
    ASSERT_FALSE(setup.empty());
    vesmarin::ScopedFile held(HoldFile(app + L"busy.txt"));
    ASSERT_TRUE(held.valid());
    DrivenResult run = Package::Run(setup);
    held.Close();
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 9u);
    EXPECT_EQ(Content(app + L"busy.txt"), "mine");
    EXPECT_FALSE(PathExists(app + L"after.txt"));
    ASSERT_EQ(run.boxes.size(), 1u) << Narrow(BoxTexts(run));
    EXPECT_NE(run.boxes[0].text.find(kInstallError), std::wstring::npos);
    EXPECT_EQ(run.boxes[0].caption, L"Install Test");
  }
  {
    SCOPED_TRACE("method 1");
    Package package(L"inst-use1");
    const std::wstring app = package.dir() / L"app\\";
    ASSERT_TRUE(CreateDirectoryW(app.c_str(), nullptr));
    ASSERT_TRUE(testsupport::WriteTextFile(app + L"busy1.txt", "mine 1"));
    ASSERT_TRUE(testsupport::WriteTextFile(app + L"busy2.txt", "mine 2"));
    TestCabinet cab;
    cab.Add(L"busy1.txt", "package 1").Add(L"busy2.txt", "package 2").Add(L"after.txt", "a");
    const std::wstring setup = package.Build(cab, app, {L"OverWriteMethod=1"});
    ASSERT_FALSE(setup.empty());
    vesmarin::ScopedFile held1(HoldFile(app + L"busy1.txt"));
    vesmarin::ScopedFile held2(HoldFile(app + L"busy2.txt"));
    ASSERT_TRUE(held1.valid() && held2.valid());
    int retries = 0;
    DrivenResult run = Package::Run(setup, [&](const SeenBox& box) {
      if (box.text == app + L"busy1.txt\nCould not write the file.") {
        // The first question finds the file still held; the second is
        // answered after it was let go.
        if (++retries == 2) held1.Close();
        return IDRETRY;
      }
      if (box.text == app + L"busy2.txt\nCould not write the file.") return IDCANCEL;
      return IDOK;
    });
    held1.Close();
    held2.Close();
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 9u) << Narrow(BoxTexts(run));
    EXPECT_EQ(Content(app + L"busy1.txt"), "package 1");
    EXPECT_EQ(Content(app + L"busy2.txt"), "mine 2");
    EXPECT_FALSE(PathExists(app + L"after.txt"));
    ASSERT_EQ(run.boxes.size(), 4u) << Narrow(BoxTexts(run));
    EXPECT_EQ(run.boxes[2].text, app + L"busy2.txt\nCould not write the file.");
    EXPECT_NE(run.boxes[3].text.find(kInstallError), std::wstring::npos);
  }
  {
    SCOPED_TRACE("method 2");
    Package package(L"inst-use2");
    const std::wstring app = package.dir() / L"app\\";
    const std::wstring busy = app + L"busy.txt";
    const std::wstring pending = busy + L".writepending";
    ASSERT_TRUE(CreateDirectoryW(app.c_str(), nullptr));
    ASSERT_TRUE(testsupport::WriteTextFile(busy, "mine"));
    ASSERT_TRUE(testsupport::WriteTextFile(pending, "stale pending file of an earlier run"));
    TestCabinet cab;
    cab.Add(L"busy.txt", "package", 0x02, kNewDate, kTime).Add(L"free.txt", "free");
    const std::wstring setup =
        package.Build(cab, app, {L"OverWriteMethod=2", L"WithAttribute=1"});
    ASSERT_FALSE(setup.empty());
    vesmarin::ScopedFile held(HoldFile(busy));
    ASSERT_TRUE(held.valid());
    DrivenResult run = Package::Run(setup);
    held.Close();
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0u) << Narrow(BoxTexts(run));
    EXPECT_TRUE(run.boxes.empty()) << Narrow(BoxTexts(run));
    EXPECT_EQ(Content(busy), "mine");
    EXPECT_EQ(Content(pending), "package");
    EXPECT_EQ(WriteTime(pending), AsNumber(CabTime(kNewDate, kTime)));
    EXPECT_EQ(Attributes(pending) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE),
              static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(Content(app + L"free.txt"), "free");
    bool scheduled = false;
    for (const auto& rename : testsupport::PendingFileRenames()) {
      std::wstring source = rename.first, target = rename.second;
      if (source.compare(0, 4, L"\\??\\") == 0) source.erase(0, 4);
      if (!target.empty() && target[0] == L'!') target.erase(0, 1);
      if (target.compare(0, 4, L"\\??\\") == 0) target.erase(0, 4);
      if (_wcsicmp(source.c_str(), pending.c_str()) == 0 &&
          _wcsicmp(target.c_str(), busy.c_str()) == 0)
        scheduled = true;
    }
    EXPECT_TRUE(scheduled);
  }
}

// With AskOverwrite the question comes in a silent run too: "Skip" keeps
// the file as it was, "Cancel" aborts the installation with exit code 17.
TEST(InstallE2E, OverwriteQuestionSkipKeepsFileAndCancelAborts) {
  Package package(L"inst-ask");
  const std::wstring app = package.dir() / L"app\\";
  ASSERT_TRUE(CreateDirectoryW(app.c_str(), nullptr));
  ASSERT_TRUE(MakeFile(app + L"a.txt", "user a", kOldDate));
  ASSERT_TRUE(MakeFile(app + L"b.txt", "user b", kOldDate));
  TestCabinet cab;
  cab.Add(L"a.txt", "package a", 0x20, kNewDate, kTime)
      .Add(L"b.txt", "package b", 0x20, kNewDate, kTime)
      .Add(L"c.txt", "package c", 0x20, kNewDate, kTime);
  const std::wstring setup = package.Build(cab, app, {L"AskOverwrite=1"});
  ASSERT_FALSE(setup.empty());
  // The question is a dialog of its own (control 1004 shows the path):
  // "Skip" (2) for a.txt, "Cancel" (4) for b.txt.
  std::vector<std::wstring> questions;
  DrivenResult run;
  {
    testsupport::StubRunLock lock;
    testsupport::DrivenProcess process;
    run.started = process.Start(L"\"" + setup + L"\"");
    ASSERT_TRUE(run.started);
    std::vector<HWND> answered;
    const DWORD start = GetTickCount();
    while (process.Running() && GetTickCount() - start < 120000) {
      process.AnswerBoxes(nullptr);
      for (HWND dialog : process.DialogsWithControl(1004)) {
        HWND cancel = GetDlgItem(dialog, 4);
        if (std::find(answered.begin(), answered.end(), dialog) != answered.end() || !cancel ||
            !IsWindowVisible(cancel))
          continue;
        answered.push_back(dialog);
        wchar_t caption[128] = {}, path[MAX_PATH] = {};
        GetWindowTextW(dialog, caption, 128);
        GetDlgItemTextW(dialog, 1004, path, MAX_PATH);
        questions.push_back(std::wstring(caption) + L"|" + path);
        const int button = questions.size() == 1 ? 2 : 4;
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
      }
      Sleep(50);
    }
    run.timedOut = process.Running();
    process.Terminate();
    run.exitCode = process.ExitCode();
    run.boxes = process.Boxes();
  }
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(questions, (std::vector<std::wstring>{L"Overwrite Confirmation|" + app + L"a.txt",
                                                  L"Overwrite Confirmation|" + app + L"b.txt"}));
  EXPECT_EQ(run.exitCode, 17u) << Narrow(BoxTexts(run));
  EXPECT_EQ(Content(app + L"a.txt"), "user a");
  EXPECT_EQ(WriteTime(app + L"a.txt"), AsNumber(CabTime(kOldDate, kTime)));
  EXPECT_EQ(Content(app + L"b.txt"), "user b");
  EXPECT_FALSE(PathExists(app + L"c.txt"));
  ASSERT_EQ(run.boxes.size(), 1u) << Narrow(BoxTexts(run));
  EXPECT_EQ(run.boxes[0].text, L"Installation has been aborted.");
}

// Runs the package answering every overwrite question with the button;
// the paths asked about, in order.
std::vector<std::wstring> OverwriteQuestionsAnswered(const std::wstring& setup, int button,
                                                     DrivenResult* run) {
  std::vector<std::wstring> questions;
  testsupport::StubRunLock lock;
  testsupport::DrivenProcess process;
  run->started = process.Start(L"\"" + setup + L"\"");
  if (!run->started) return questions;
  std::vector<HWND> answered;
  const DWORD start = GetTickCount();
  while (process.Running() && GetTickCount() - start < 120000) {
    process.AnswerBoxes(nullptr);
    for (HWND dialog : process.DialogsWithControl(1004)) {
      HWND pressed = GetDlgItem(dialog, button);
      if (std::find(answered.begin(), answered.end(), dialog) != answered.end() || !pressed ||
          !IsWindowVisible(pressed))
        continue;
      answered.push_back(dialog);
      wchar_t path[MAX_PATH] = {};
      GetDlgItemTextW(dialog, 1004, path, MAX_PATH);
      questions.push_back(path);
      PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                   reinterpret_cast<LPARAM>(pressed));
    }
    Sleep(50);
  }
  run->timedOut = process.Running();
  process.Terminate();
  run->exitCode = process.ExitCode();
  run->boxes = process.Boxes();
  return questions;
}

// In folders the installation creates itself, a file that an earlier
// member of the same archive wrote is still an existing file: a member of
// the same name in other letters brings the question, and "Yes" writes it
// over the first. A member that would replace a folder (which the builder
// refuses, so it is put into the finished package by hand) brings no
// question and fails the installation, which then takes back everything it
// made.
TEST(InstallE2E, MembersMeetingEarlierMembersInNewFoldersAreAskedAbout) {
  Package package(L"inst-again");
  const std::wstring app = package.dir() / L"fresh\\";
  TestCabinet cab;
  cab.Add(L"docs\\a.txt", "first a", 0x20, kOldDate, kTime)
      .Add(L"docs\\b.txt", "first b", 0x20, kOldDate, kTime)
      .Add(L"docs\\deep\\c.txt", "only c", 0x20, kOldDate, kTime)
      .Add(L"DOCS\\A.TXT", "second a", 0x20, kNewDate, kTime)
      .Add(L"Docs\\B.txt", "second b", 0x20, kNewDate, kTime);
  for (bool overFolder : {false, true}) {
    SCOPED_TRACE(overFolder ? "then a file over a folder" : "asked about");
    if (overFolder) cab.Add(L"docs\\QQQQ", "no file over a folder", 0x20, kNewDate, kTime);
    const std::wstring setup = package.Build(cab, app, {L"AskOverwrite=1"});
    ASSERT_FALSE(setup.empty());
    if (overFolder) {
      ASSERT_TRUE(containerreader::ReplaceInArchive(setup, "docs\\QQQQ", "docs\\DEEP"));
    }
    DrivenResult run;
    const std::vector<std::wstring> questions = OverwriteQuestionsAnswered(setup, 1, &run);
    ASSERT_TRUE(run.started);
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(questions, (std::vector<std::wstring>{app + L"DOCS\\A.TXT", app + L"Docs\\B.txt"}));
    if (overFolder) {
      EXPECT_NE(run.exitCode, 0u) << Narrow(BoxTexts(run));
      EXPECT_FALSE(PathExists(app)) << Narrow(Joined(ListTree(app)));
      continue;
    }
    EXPECT_EQ(run.exitCode, 0u) << Narrow(BoxTexts(run));
    EXPECT_EQ(Content(app + L"docs\\a.txt"), "second a");
    EXPECT_EQ(Content(app + L"docs\\b.txt"), "second b");
    EXPECT_EQ(Content(app + L"docs\\deep\\c.txt"), "only c");
    testsupport::RemoveTree(app);
  }
}

// The event numbers an extension module saw, in order.
std::vector<int> EventsSeen(const std::wstring& log) {
  std::vector<int> events;
  std::string text = Content(log);
  for (size_t at = text.find("event="); at != std::string::npos; at = text.find("event=", at + 1))
    events.push_back(std::atoi(text.c_str() + at + 6));
  return events;
}

std::string EventLine(const std::wstring& log, int event) {
  const std::string text = Content(log);
  const size_t at = text.find("event=" + std::to_string(event) + " ");
  return at == std::string::npos ? std::string() : text.substr(at, text.find('\n', at) - at);
}

// The extension module sees 1002 and 1003 around every file and 1008 and
// 1004 around the install worker; its module file is never installed. An
// answer 2 to 1002 keeps the files back; a refusal of 1008 aborts before
// any of the worker's steps (exit code 17, event 1007 with code -1) and
// takes back the files the run wrote.
TEST(InstallE2E, ExtensionModuleEventsAroundFilesAndWorker) {
  struct Case {
    const char* name;
    const wchar_t* variable;  // the answer that changes the run, or null
    const wchar_t* answer;
    DWORD exitCode;
    std::vector<int> events;
    bool filesWritten;
    bool folderSaved;
  };
  const std::vector<Case> cases = {
      {"plain", nullptr, nullptr, 0, {1000, 1006, 1002, 1003, 1002, 1003, 1008, 1004}, true, true},
      {"keep back", L"VESMARIN_TESTEXT_ANSWER_1002", L"2", 0, {1000, 1006, 1002, 1002, 1008, 1004},
       false, true},
      {"refused begin", L"VESMARIN_TESTEXT_ANSWER_1008", L"1", 17,
       {1000, 1006, 1002, 1003, 1002, 1003, 1008, 1007}, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::wstring savedKey = L"Software\\VesmarinInstallE2E-ext-" + UniqueId();
    Package package(L"inst-ext");
    const std::wstring app = package.dir() / L"app\\";
    const std::wstring log = package.dir() / L"events.log";
    TestCabinet cab;
    auto module = testsupport::InstallerPackage::BinMember(L"stubext_both.dll", L"ext\\module.dll");
    cab.Add(module.first, module.second).Add(L"a.txt", "a").Add(L"docs\\b.txt", "b");
    const std::wstring setup = package.Build(
        cab, app,
        {L"UseExtensionModuleFile=1", L"ExtensionModuleFile=ext\\module.dll", L"UseSavePath=1",
         L"SavePathKey=" + savedKey, L"SavePathValue=InstallPath"});
    ASSERT_FALSE(setup.empty());
    SetEnvironmentVariableW(L"VESMARIN_TESTEXT_LOG", log.c_str());
    if (c.variable) SetEnvironmentVariableW(c.variable, c.answer);
    DrivenResult run = Package::Run(setup);
    SetEnvironmentVariableW(L"VESMARIN_TESTEXT_LOG", nullptr);
    if (c.variable) SetEnvironmentVariableW(c.variable, nullptr);
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, c.exitCode) << Narrow(BoxTexts(run));
    std::vector<int> events = EventsSeen(log);
    // Events the start-up and the shut-down send besides.
    events.erase(std::remove_if(events.begin(), events.end(),
                                [](int e) { return e == 1001 || e == 1005; }),
                 events.end());
    EXPECT_EQ(events, c.events);
    EXPECT_FALSE(PathExists(app + L"ext\\module.dll"));
    EXPECT_EQ(PathExists(app + L"a.txt"), c.filesWritten);
    EXPECT_EQ(PathExists(app + L"docs\\b.txt"), c.filesWritten);
    EXPECT_EQ(testsupport::ReadKeyValues(HKEY_CURRENT_USER, savedKey).count(L"InstallPath"),
              c.folderSaved ? 1u : 0u);
    if (c.exitCode == 17) {
      EXPECT_NE(EventLine(log, 1007).find("code=-1 text=Installation has been aborted."),
                std::string::npos)
          << EventLine(log, 1007);
      ASSERT_EQ(run.boxes.size(), 1u) << Narrow(BoxTexts(run));
      EXPECT_EQ(run.boxes[0].text, L"Installation has been aborted.");
    } else {
      EXPECT_TRUE(run.boxes.empty()) << Narrow(BoxTexts(run));
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, savedKey.c_str());
  }
}

// Member names that leave the install folder: nothing of the package is
// written, neither inside nor outside, and the run fails with code 8
// (exit code 9) and says why.
TEST(InstallE2E, HostileMemberNamesInstallNothing) {
  const std::wstring id = UniqueId();
  const std::wstring name = L"vesmarin-escape-" + id + L".txt";
  Package package(L"inst-hostile");
  const std::wstring app = package.dir() / L"deep\\app\\";
  ASSERT_TRUE(CreateDirectoryW((package.dir() / L"deep").c_str(), nullptr));
  const std::vector<std::string> hostile = {
      "..\\" + Narrow(name), "sub\\..\\..\\" + Narrow(name), "C:\\" + Narrow(name),
      "\\" + Narrow(name), "/" + Narrow(name)};
  for (const std::string& member : hostile) {
    SCOPED_TRACE(member);
    // The builder refuses such a name: it is put into the package afterwards.
    const std::string placeholder(member.size(), 'q');
    TestCabinet cab;
    cab.AddRaw("good.txt", "good").AddRaw(placeholder, "escaped").AddRaw("last.txt", "last");
    const std::wstring setup = package.Build(cab, app, {});
    ASSERT_FALSE(setup.empty());
    ASSERT_TRUE(containerreader::ReplaceInArchive(setup, placeholder, member));
    DrivenResult run = Package::Run(setup);
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 9u);
    EXPECT_TRUE(ListTree(app).empty()) << Narrow(Joined(ListTree(app)));
    for (const std::wstring& place :
         {package.dir() / L"deep\\" + name, package.dir().path() + name, L"C:\\" + name,
          L"Z:\\" + name})
      EXPECT_FALSE(PathExists(place)) << Narrow(place);
    // One box, and it names the member and why.
    ASSERT_EQ(run.boxes.size(), 1u) << Narrow(BoxTexts(run));
    EXPECT_EQ(run.boxes[0].text.find(testsupport::Widen(member) + L"\n\n"), 0u)
        << Narrow(run.boxes[0].text);
    EXPECT_NE(run.boxes[0].text.find(L"points outside the installation folder"),
              std::wstring::npos)
        << Narrow(run.boxes[0].text);
    EXPECT_EQ(run.boxes[0].text.find(L"Could not write a file."), std::wstring::npos);
  }
}

// The uninstaller's folder given with leading backslashes counts from the
// installation folder: the uninstaller lands in Tools below it, or in the
// installation folder itself.
TEST(InstallE2E, UninstallerFolderWithLeadingBackslashesLiesBelowTheInstallation) {
  Package package(L"inst-uninst");
  const struct {
    const wchar_t* folder;
    const wchar_t* below;
  } cases[] = {{L"\\\\\\Tools", L"Tools\\"}, {L"\\Tools", L"Tools\\"}, {L"\\", L""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(Narrow(c.folder));
    const std::wstring app = package.dir() / L"app\\";
    const std::wstring key = L"VesmarinInstallE2E-" + UniqueId();
    TestCabinet cab;
    cab.AddRaw("good.txt", "good");
    const std::wstring setup = package.Build(
        cab, app,
        {L"UseUnInstall=1", L"UseVesmarinUninstaller=1",
         L"UseVesmarinUninstallerFolder=" + std::wstring(c.folder), L"UnInstallTitle=Install Test",
         L"UnInstallTitleE=Install Test", L"UnInstallKey=" + key});
    ASSERT_FALSE(setup.empty());
    DrivenResult run = Package::Run(setup);
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0u) << Narrow(BoxTexts(run));
    EXPECT_EQ(Content(app + L"good.txt"), "good");
    EXPECT_TRUE(PathExists(app + c.below + L"Hollmere64.exe")) << Narrow(Joined(ListTree(app)));
    EXPECT_FALSE(PathExists(package.dir() / L"Tools")) << "nothing beside the installation";
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, testsupport::UninstallEntryPath(key).c_str());
    testsupport::RemoveTree(app);
  }
}

// A destination folder that makes a member's path too long is no unsafe
// package: the run says that the path is too long (the folder, the member's
// name, string 59), writes nothing and fails with code 8 (exit code 9). A
// name that climbs out is still refused as unsafe there, and a shorter name
// fits the same folder.
TEST(InstallE2E, APathTooLongIsReportedAsSuchNotAsUnsafe) {
  Package package(L"inst-long");
  // 245 characters: with its backslash and "bin\marker.exe" 260, one too
  // many; "bin\m.exe" fits.
  std::wstring app = package.dir().path() + L"long";
  while (app.size() + 61 <= 245) app += L"\\" + std::wstring(60, L'p');
  if (app.size() + 2 <= 245) app += L"\\" + std::wstring(245 - app.size() - 1, L'q');
  if (app.size() < 245) app.append(245 - app.size(), L'q');
  ASSERT_EQ(app.size(), 245u);
  app += L"\\";
  struct Case {
    std::string member;
    const wchar_t* message;  // nullptr: installs
  };
  const std::vector<Case> cases = {
      {"bin\\marker.exe", L"Could not extract files.\nExtract path name is too long."},
      {"..\\escape.txt", L"points outside the installation folder"},
      {"bin\\m.exe", nullptr}};
  // Named through a variable, the folder is only known when the package
  // installs: a fixed folder that leaves a member no room ends the build.
  testsupport::ScopedEnv longFolder(L"VESMARIN_LONG_FOLDER", app);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.member);
    const std::string placeholder(c.member.size(), 'q');
    TestCabinet cab;
    cab.AddRaw("good.txt", "good").AddRaw(placeholder, "member");
    const std::wstring setup = package.Build(cab, L"%VESMARIN_LONG_FOLDER%", {});
    ASSERT_FALSE(setup.empty());
    ASSERT_TRUE(containerreader::ReplaceInArchive(setup, placeholder, c.member));
    testsupport::RemoveTree(package.dir() / L"long");
    DrivenResult run = Package::Run(setup);
    ASSERT_FALSE(run.timedOut);
    if (!c.message) {
      EXPECT_EQ(run.exitCode, 0u) << Narrow(BoxTexts(run));
      EXPECT_EQ(Content(app + L"bin\\m.exe"), "member");
      continue;
    }
    EXPECT_EQ(run.exitCode, 9u);
    EXPECT_TRUE(ListTree(app).empty()) << Narrow(Joined(ListTree(app)));
    ASSERT_EQ(run.boxes.size(), 1u) << Narrow(BoxTexts(run));
    EXPECT_NE(run.boxes[0].text.find(c.message), std::wstring::npos) << Narrow(run.boxes[0].text);
    if (c.message[0] == L'C') {
      // The box breaks the long path into lines that fit the screen.
      EXPECT_EQ(testsupport::WithoutLineBreaks(run.boxes[0].text).find(app + L"bin\\marker.exe"), 0u)
          << Narrow(run.boxes[0].text);
      EXPECT_EQ(run.boxes[0].text.find(L"outside"), std::wstring::npos);
    }
    EXPECT_EQ(run.boxes[0].text.find(L"Could not write a file."), std::wstring::npos);
  }
}

// A damaged archive that no builder writes, put into a package of the same
// size in place of the cabinet the builder took: the first cabinet of a
// set (its last member goes on in a next cabinet) and a cabinet whose
// header declares no folders. Either ends the run at once with the
// damaged-archive report, and nothing is left in the folder.
TEST(InstallE2E, ADamagedCabinetEndsTheRunAsDamaged) {
  Package package(L"inst-damaged");
  const std::wstring app = package.dir() / L"app\\";
  const std::string body(3000, 'b');
  TestCabinet set;
  set.AddRaw("a.txt", "first").AddRaw("b.bin", body).ContinueInto("part2.cab");
  TestCabinet plain;
  plain.AddRaw("a.txt", "first").AddRaw("b.bin", body);
  std::vector<uint8_t> noFolders = plain.Build();
  noFolders[0x1A] = noFolders[0x1B] = 0;
  const std::vector<std::pair<const char*, std::vector<uint8_t>>> damaged = {
      {"first cabinet of a set", set.Build()}, {"no folders", noFolders}};
  for (const auto& c : damaged) {
    SCOPED_TRACE(c.first);
    // A sound cabinet of the same size: the first member's name takes up
    // the difference.
    std::string name = "a.txt";
    TestCabinet sound;
    for (;;) {
      sound = TestCabinet();
      sound.AddRaw(name, "first").AddRaw("b.bin", body);
      if (sound.Build().size() >= c.second.size()) break;
      name = "x" + name;
    }
    ASSERT_EQ(sound.Build().size(), c.second.size());
    const std::vector<uint8_t> soundBytes = sound.Build();
    const std::wstring setup = package.Build(sound, app, {});
    ASSERT_FALSE(setup.empty());
    ASSERT_TRUE(containerreader::ReplaceInArchive(
        setup, std::string(soundBytes.begin(), soundBytes.end()),
        std::string(c.second.begin(), c.second.end())));
    testsupport::RemoveTree(package.dir() / L"app");
    testsupport::StubRunLock lock;
    DrivenResult run = testsupport::RunAnsweringBoxes(L"\"" + setup + L"\"", nullptr, 30000);
    ASSERT_FALSE(run.timedOut) << "the run waited";
    EXPECT_NE(run.exitCode, 0u);
    EXPECT_TRUE(ListTree(app).empty()) << Narrow(Joined(ListTree(app)));
    ASSERT_EQ(run.boxes.size(), 1u) << Narrow(BoxTexts(run));
    EXPECT_NE(run.boxes[0].text.find(L"Archive header is incorrect."), std::wstring::npos)
        << Narrow(run.boxes[0].text);
    EXPECT_EQ(run.boxes[0].text.find(L"outside"), std::wstring::npos) << Narrow(run.boxes[0].text);
  }
}

// A member of 255 characters below a folder where it does not fit: the box
// that says so breaks the path into lines, and no wider than the screen.
TEST(InstallE2E, ABoxWithALongPathIsNoWiderThanTheScreen) {
  Package package(L"inst-wide");
  const std::wstring app = package.dir() / L"app\\";
  const std::string member = std::string(255, 'w');
  const std::string placeholder(member.size(), 'q');
  TestCabinet cab;
  cab.AddRaw("good.txt", "good").AddRaw(placeholder, "member");
  // Named through a variable, the folder is only known when the package
  // installs: a fixed folder that leaves a member no room ends the build.
  testsupport::ScopedEnv wideFolder(L"VESMARIN_LONG_FOLDER", app);
  const std::wstring setup = package.Build(cab, L"%VESMARIN_LONG_FOLDER%", {});
  ASSERT_FALSE(setup.empty());
  ASSERT_TRUE(containerreader::ReplaceInArchive(setup, placeholder, member));
  const int screen = GetSystemMetrics(SM_CXSCREEN);
  int widest = 0;
  DrivenResult run = Package::Run(setup, [&widest](const SeenBox& box) {
    RECT rect = {};
    if (box.window && GetWindowRect(box.window, &rect) && rect.right - rect.left > widest)
      widest = rect.right - rect.left;
    return IDOK;
  });
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitCode, 9u);
  ASSERT_EQ(run.boxes.size(), 1u) << Narrow(BoxTexts(run));
  EXPECT_NE(run.boxes[0].text.find(L"Extract path name is too long."), std::wstring::npos);
  EXPECT_NE(testsupport::WithoutLineBreaks(run.boxes[0].text).find(testsupport::Widen(member)), std::wstring::npos);
  EXPECT_GT(widest, 0);
  EXPECT_LE(widest, screen) << "a box " << widest << " pixels wide on a screen of " << screen;
}

// A folder of the target that is a link to another place: nothing reaches
// the other place, whether the link is the first folder of its member or one
// below a folder the run already wrote into; the failed run takes back the
// files it wrote before and leaves what stood there.
TEST(InstallE2E, NothingIsWrittenThroughALinkInTheTarget) {
  for (const std::string& linkPart : {std::string("sub"), std::string("a\\b")}) {
    SCOPED_TRACE(linkPart);
    Package package(L"inst-link");
    const std::wstring app = package.dir() / L"app\\";
    const std::wstring elsewhere = package.dir() / L"elsewhere";
    const std::wstring link = app + testsupport::Widen(linkPart);
    ASSERT_TRUE(CreateDirectoryW(app.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(elsewhere.c_str(), nullptr));
    if (linkPart.find('\\') != std::string::npos) {
      ASSERT_TRUE(CreateDirectoryW((app + L"a").c_str(), nullptr));
    }
    ASSERT_TRUE(testsupport::MakeFolderLink(link, elsewhere));
    TestCabinet cab;
    cab.AddRaw("a\\one.txt", "one").AddRaw("a\\two.txt", "two");
    cab.AddRaw(linkPart + "\\x.txt", "x").AddRaw(linkPart + "\\y.txt", "y");
    const std::wstring setup = package.Build(cab, app, {L"UltraSilentInstall=1"});
    ASSERT_FALSE(setup.empty());
    DrivenResult run = Package::Run(setup);
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 9u);
    EXPECT_FALSE(PathExists(app + L"a\\one.txt"));
    EXPECT_FALSE(PathExists(app + L"a\\two.txt"));
    EXPECT_TRUE(PathExists(link));
    EXPECT_EQ(PathExists(app + L"a"), linkPart != "sub");
    EXPECT_TRUE(ListTree(elsewhere + L"\\").empty()) << Narrow(Joined(ListTree(elsewhere + L"\\")));
    RemoveDirectoryW(link.c_str());
  }
}

// Members whose folders alternate: a folder found free of links is not
// looked at again, but with an extension module, which may change the
// target between two files, it is. Here a folder is turned into a link
// while the module holds the second file.
TEST(InstallE2E, AFolderMetAgainIsLookedAtForLinksAgainAfterTheModuleRan) {
  Package package(L"inst-relink");
  const std::wstring app = package.dir() / L"app\\";
  const std::wstring elsewhere = package.dir() / L"elsewhere";
  ASSERT_TRUE(CreateDirectoryW(elsewhere.c_str(), nullptr));
  TestCabinet cab;
  auto module = testsupport::InstallerPackage::BinMember(L"stubext_both.dll", L"ext\\module.dll");
  cab.Add(module.first, module.second)
      .Add(L"a\\one.txt", "one")
      .Add(L"b\\one.txt", "one")
      .Add(L"a\\two.txt", "two");
  const std::wstring setup = package.Build(
      cab, app,
      {L"UltraSilentInstall=1", L"UseExtensionModuleFile=1", L"ExtensionModuleFile=ext\\module.dll"});
  ASSERT_FALSE(setup.empty());
  const std::wstring gate = L"VesmarinInstallGate-" + UniqueId();
  HANDLE reached = CreateEventW(nullptr, TRUE, FALSE, (gate + L"-reached").c_str());
  HANDLE go = CreateEventW(nullptr, TRUE, FALSE, (gate + L"-go").c_str());
  testsupport::ScopedEnv gateName(L"VESMARIN_TESTEXT_GATE", gate);
  testsupport::ScopedEnv gateAt(L"VESMARIN_TESTEXT_GATE_AT", L"2");  // after b\one.txt
  testsupport::StubRunLock lock;
  testsupport::DrivenProcess run;
  ASSERT_TRUE(run.Start(L"\"" + setup + L"\""));
  const DWORD start = GetTickCount();
  while (WaitForSingleObject(reached, 50) != WAIT_OBJECT_0 && run.Running() &&
         GetTickCount() - start < 60000)
    run.AnswerBoxes(nullptr);
  const bool stopped = WaitForSingleObject(reached, 0) == WAIT_OBJECT_0;
  EXPECT_TRUE(stopped && MoveFileW((app + L"a").c_str(), (app + L"a-moved").c_str()) &&
              testsupport::MakeFolderLink(app + L"a", elsewhere));
  SetEvent(go);
  EXPECT_TRUE(run.WaitAnswering(nullptr, 120000));
  CloseHandle(reached);
  CloseHandle(go);
  EXPECT_EQ(run.ExitCode(), 9u);
  // The run's own files are taken back; the moved folder is out of its sight.
  EXPECT_TRUE(PathExists(app + L"a-moved\\one.txt"));
  EXPECT_FALSE(PathExists(app + L"b\\one.txt"));
  EXPECT_TRUE(ListTree(elsewhere + L"\\").empty()) << Narrow(Joined(ListTree(elsewhere + L"\\")));
  EXPECT_TRUE(testsupport::RemoveFolderLink(app + L"a"));
}

// AfterDeleteFiles: once the started program has ended, what this run wrote
// or created goes; the user's files (one of them registered for the
// uninstaller by the extension module), the file the newer-file rule kept,
// the folders that existed before and the program's own output stay.
TEST(InstallE2E, AfterRunCleanUpRemovesOnlyWhatTheRunWrote) {
  Package package(L"inst-after");
  const std::wstring app = package.dir() / L"app\\";
  ASSERT_TRUE(CreateDirectoryW(app.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW((app + L"existing").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW((app + L"existing\\inner").c_str(), nullptr));
  ASSERT_TRUE(testsupport::WriteTextFile(app + L"mine.txt", "mine"));
  ASSERT_TRUE(MakeFile(app + L"kept.txt", "newer file of the user", kNewDate));
  TestCabinet cab;
  auto probe = testsupport::InstallerPackage::BinMember(L"envprobe.exe", L"probe.exe");
  auto module = testsupport::InstallerPackage::BinMember(L"stubext_both.dll", L"ext\\module.dll");
  cab.Add(probe.first, probe.second)
      .Add(module.first, module.second)
      .Add(L"kept.txt", "older package file", 0x20, kOldDate, kTime)
      .Add(L"existing\\f.txt", "f")
      .Add(L"existing\\inner\\h.txt", "h")
      .Add(L"new\\deep\\g.txt", "g");
  const std::wstring setup =
      package.Build(cab, app,
                    {L"UseAutoExecute=1", L"CmdLine=probe.exe", L"AfterDeleteFiles=1",
                     L"NoOverwriteNewTimeStamp=1", L"ForceUninstallDir=1",
                     L"UseExtensionModuleFile=1", L"ExtensionModuleFile=ext\\module.dll"});
  ASSERT_FALSE(setup.empty());
  const std::wstring log = package.dir() / L"events.log";
  SetEnvironmentVariableW(L"VESMARIN_TESTEXT_LOG", log.c_str());
  SetEnvironmentVariableW(L"VESMARIN_TESTEXT_REGISTER", (app + L"mine.txt").c_str());
  DrivenResult run = Package::Run(setup);
  SetEnvironmentVariableW(L"VESMARIN_TESTEXT_REGISTER", nullptr);
  SetEnvironmentVariableW(L"VESMARIN_TESTEXT_LOG", nullptr);
  EXPECT_NE(EventLine(log, 1008).find("register=1"), std::string::npos) << EventLine(log, 1008);
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitCode, 0u) << Narrow(BoxTexts(run));
  // ForceUninstallDir records the folders that were there before as well;
  // they stay all the same.
  const std::vector<std::wstring> expected = {L"existing\\", L"existing\\inner\\",
                                              L"kept.txt", L"mine.txt", L"probe.exe.txt"};
  EXPECT_EQ(ListTree(app), expected) << Narrow(Joined(ListTree(app)));
  EXPECT_EQ(Content(app + L"kept.txt"), "newer file of the user");
  EXPECT_EQ(Content(app + L"mine.txt"), "mine");
}

}  // namespace
