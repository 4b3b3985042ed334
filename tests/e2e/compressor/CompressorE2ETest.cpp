// Sardok's batch modes run as a program: a folder or a list of files packed
// without a question, with the exit codes of the run.
#include <gtest/gtest.h>

#include <algorithm>

#include "CompressorRun.h"
#include "DialogDriver.h"
#include "InstallerPackage.h"
#include "SardokResource.h"
#include "TestSupport.h"

namespace {

using compressortest::CabinetMember;
using compressortest::CabinetNames;
using compressortest::HeaderFlags;
using compressortest::MakeFile;
using compressortest::Quote;
using compressortest::RunSardok;
using testsupport::TempDir;
typedef std::set<std::wstring> Names;

const DWORD kExitCodeWindowed = 0;

TEST(CompressorBatch, FolderModeStoresNamesRelativeToTheFolder) {
  TempDir dir(L"sdf");
  MakeFile(dir / L"data\\a.txt", "alpha");
  MakeFile(dir / L"data\\sub\\b.txt", "beta");
  MakeFile(dir / L"data\\sub\\deeper\\\u65e5\u672c.txt", "nihon");
  ASSERT_TRUE(CreateDirectoryW((dir / L"data\\empty").c_str(), nullptr));
  EXPECT_EQ(0u, RunSardok(L"/silent " + Quote(dir / L"data")));
  const Names expected = {L"a.txt", L"sub\\b.txt", L"sub\\deeper\\\u65e5\u672c.txt"};
  EXPECT_EQ(expected, CabinetNames(dir / L"data.cab"));
  EXPECT_EQ("beta", CabinetMember(dir / L"data.cab", L"sub\\b.txt"));
  EXPECT_EQ(0u, HeaderFlags(dir / L"data.cab"));

  // "/arc:" names the archive; with the progress dialog too; a relative
  // folder argument is taken from the current folder.
  ASSERT_TRUE(CreateDirectoryW((dir / L"out").c_str(), nullptr));
  EXPECT_EQ(0u, RunSardok(L"data \"/arc:" + (dir / L"out\\x.cab") + L"\"", dir.path()));
  EXPECT_EQ(expected, CabinetNames(dir / L"out\\x.cab"));
  // A folder with an extension gives the archive the extension's place.
  ASSERT_TRUE(MoveFileW((dir / L"data").c_str(), (dir / L"data.old").c_str()));
  ASSERT_TRUE(DeleteFileW((dir / L"data.cab").c_str()));
  EXPECT_EQ(0u, RunSardok(L"/silent data.old", dir.path()));
  EXPECT_EQ(expected, CabinetNames(dir / L"data.cab"));
}

TEST(CompressorBatch, ExclusionsSkipMatchingFilesAndFoldersWithTheirContent) {
  TempDir dir(L"sdx");
  MakeFile(dir / L"src\\keep.txt");
  MakeFile(dir / L"src\\old.bak");
  MakeFile(dir / L"src\\lib\\code.c");
  MakeFile(dir / L"src\\lib\\code.BAK");
  MakeFile(dir / L"src\\obj\\x.o");
  MakeFile(dir / L"src\\obj\\deep\\y.o");
  MakeFile(dir / L"src\\lib\\obj\\z.o");
  MakeFile(dir / L"src\\objects\\w.o");
  EXPECT_EQ(0u, RunSardok(L"/silent /except:*.bak /except:obj " + Quote(dir / L"src") +
                          L" out.cab",
                          dir.path()));
  EXPECT_EQ((Names{L"keep.txt", L"lib\\code.c", L"objects\\w.o"}), CabinetNames(dir / L"out.cab"));
}

TEST(CompressorBatch, FileListModeStoresFileNamesAndEveryFileListed) {
  TempDir dir(L"sdl");
  const std::wstring x = MakeFile(dir / L"a\\x.txt", "first x");
  const std::wstring y = MakeFile(dir / L"b\\y.txt", "y");
  const std::wstring x2 = MakeFile(dir / L"b\\X.TXT", "second x");
  const std::wstring init1 = MakeFile(dir / L"p\\__init__.py", "# one");
  const std::wstring init2 = MakeFile(dir / L"p\\sub\\__init__.py", "# two");
  const std::wstring skipped = MakeFile(dir / L"b\\z.bak");
  EXPECT_EQ(0u, RunSardok(L"/silent \"/file:" + x + L"\" \"/file:" + y + L"\" \"/file:" + x2 +
                          L"\" \"/file:" + init1 + L"\" \"/file:" + init2 + L"\" \"/file:" +
                          skipped + L"\" /except:*.bak " + Quote(dir / L"out.cab") + L" \"/arc:" +
                          (dir / L"unused.cab") + L"\""));
  // Names that differ only in case, or not at all, are all packed.
  EXPECT_EQ((std::vector<std::wstring>{L"x.txt", L"y.txt", L"X.TXT", L"__init__.py",
                                       L"__init__.py"}),
            compressortest::CabinetNameList(dir / L"out.cab"));
  EXPECT_EQ("y", CabinetMember(dir / L"out.cab", L"y.txt"));
  EXPECT_FALSE(testsupport::PathExists(dir / L"unused.cab"));

  // A listed name that is no file name fails the run; nothing is written.
  EXPECT_EQ(302u, RunSardok(L"/silent \"/file:" + (dir / L"a\\..") + L"\" " +
                            Quote(dir / L"bad.cab")));
  // So does a list of files that are all missing.
  EXPECT_EQ(302u, RunSardok(L"/silent \"/file:" + (dir / L"gone.txt") + L"\" " +
                            Quote(dir / L"bad.cab")));
  EXPECT_FALSE(testsupport::PathExists(dir / L"bad.cab"));
}

TEST(CompressorBatch, AFailedRunLeavesTheOlderArchiveAndNoTemporaryFile) {
  TempDir dir(L"sdo");
  MakeFile(dir / L"src\\a.txt");
  const std::wstring archive = dir / L"out\\keep.cab";
  MakeFile(archive, "older archive");
  // An unreadable source: held open without sharing.
  const std::wstring locked = MakeFile(dir / L"src\\locked.txt");
  HANDLE holder = CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, holder);
  const DWORD code = RunSardok(L"/silent " + Quote(dir / L"src") + L" " + Quote(archive));
  CloseHandle(holder);
  EXPECT_EQ(302u, code);
  EXPECT_EQ("older archive", compressortest::ReadAll(archive));
  EXPECT_EQ((std::vector<std::wstring>{L"keep.cab"}), testsupport::ListTree(dir / L"out"));
  // A target folder that does not exist is named as missing.
  std::wstring errors;
  EXPECT_EQ(302u, compressortest::RunSardokReadingErrors(
                      L"/silent " + Quote(dir / L"src") + L" " + Quote(dir / L"missing\\x.cab"),
                      errors));
  EXPECT_EQ(compressortest::SardokText(IDS_CREATE_FAILED_NO_FOLDER, dir / L"missing") + L"\r\n",
            errors);
}

namespace {

// The file names (lower case, without folder) of every library a run of
// Sardok loads, seen as its debugger; the run's exit code in code.
std::set<std::wstring> LibrariesLoadedBy(const std::wstring& arguments, DWORD& code) {
  std::set<std::wstring> names;
  code = 0xEEEEEEEE;
  std::wstring command = Quote(compressortest::SardokPath()) + L" " + arguments;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, DEBUG_ONLY_THIS_PROCESS,
                      nullptr, nullptr, &startup, &process))
    return names;
  const ULONGLONG deadline = GetTickCount64() + 60000;
  DEBUG_EVENT event;
  bool ended = false;
  while (!ended && GetTickCount64() < deadline && WaitForDebugEvent(&event, 1000)) {
    DWORD answer = DBG_CONTINUE;
    switch (event.dwDebugEventCode) {
      case LOAD_DLL_DEBUG_EVENT:
        if (event.u.LoadDll.hFile) {
          wchar_t path[MAX_PATH * 2];
          const DWORD length = GetFinalPathNameByHandleW(event.u.LoadDll.hFile, path,
                                                         MAX_PATH * 2, FILE_NAME_NORMALIZED);
          if (length && length < MAX_PATH * 2) {
            std::wstring name = path;
            name = name.substr(name.find_last_of(L"\\/") + 1);
            CharLowerBuffW(&name[0], static_cast<DWORD>(name.size()));
            names.insert(name);
          }
          CloseHandle(event.u.LoadDll.hFile);
        }
        break;
      case CREATE_PROCESS_DEBUG_EVENT:
        if (event.u.CreateProcessInfo.hFile) CloseHandle(event.u.CreateProcessInfo.hFile);
        break;
      case EXCEPTION_DEBUG_EVENT:
        if (!event.u.Exception.dwFirstChance || event.u.Exception.ExceptionRecord.ExceptionCode !=
                                                     EXCEPTION_BREAKPOINT)
          answer = DBG_EXCEPTION_NOT_HANDLED;
        break;
      case EXIT_PROCESS_DEBUG_EVENT:
        code = event.u.ExitProcess.dwExitCode;
        ended = true;
        break;
    }
    ContinueDebugEvent(event.dwProcessId, event.dwThreadId, answer);
  }
  if (!ended) {
    TerminateProcess(process.hProcess, 1);
    names.clear();
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return names;
}

}  // namespace

// A batch run opens no window when silent: the common controls and the file
// dialogs, with what they bring, stay unloaded; the cabinet library is used.
TEST(CompressorBatch, ASilentRunLoadsNoWindowLibraries) {
  TempDir dir(L"sdl");
  MakeFile(dir / L"src\\a.txt", "alpha");
  DWORD code = 0;
  const std::set<std::wstring> loaded =
      LibrariesLoadedBy(L"/silent " + Quote(dir / L"src"), code);
  EXPECT_EQ(0u, code);
  EXPECT_EQ(1u, loaded.count(L"cabinet.dll"));
  EXPECT_EQ(0u, loaded.count(L"comctl32.dll"));
  EXPECT_EQ(0u, loaded.count(L"comdlg32.dll"));
  EXPECT_EQ(Names{L"a.txt"}, CabinetNames(dir / L"src.cab"));
}

// Whatever the folder holds that cannot be packed fails the run before
// anything is written, and every such path is named on the error handle.
TEST(CompressorBatch, APathThatWouldReach260CharactersFailsTheRunAndIsNamed) {
  TempDir dir(L"sdp");
  MakeFile(dir / L"src\\short.txt");
  std::wstring deep = dir / L"src\\";
  deep += std::wstring(240 - deep.size(), L'd');
  ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr));
  const std::wstring longName = L"\\\\?\\" + deep + L"\\" + std::wstring(30, L'f') + L".txt";
  HANDLE file = CreateFileW(longName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  CloseHandle(file);
  MakeFile(dir / L"src\\zz\\after.txt");
  std::wstring errors;
  EXPECT_EQ(302u, compressortest::RunSardokReadingErrors(
                      L"/silent " + Quote(dir / L"src") + L" " + Quote(dir / L"x.cab"), errors));
  EXPECT_FALSE(testsupport::PathExists(dir / L"x.cab"));
  EXPECT_EQ(L"Cannot be added to the archive: " + deep + L"\\" + std::wstring(30, L'f') +
                L".txt\r\n",
            errors);
  // Listed in the file-list mode as well.
  EXPECT_EQ(302u, compressortest::RunSardokReadingErrors(
                      L"/silent \"/file:" + (dir / L"src\\short.txt") + L"\" \"/file:" +
                          longName.substr(4) + L"\" " + Quote(dir / L"x.cab"),
                      errors));
  EXPECT_NE(std::wstring::npos, errors.find(longName.substr(4))) << testsupport::Narrow(errors);
  EXPECT_FALSE(testsupport::PathExists(dir / L"x.cab"));
  DeleteFileW(longName.c_str());
}

// Links are followed: a linked folder's files are packed under the link's
// name, a link back up the tree ends there (each file once), and a link
// whose target cannot be opened fails the run and is named.
TEST(CompressorBatch, FolderModeFollowsLinksOnceAndNamesOneThatCannotBeOpened) {
  TempDir dir(L"sdk");
  MakeFile(dir / L"src\\a.txt", "alpha");
  MakeFile(dir / L"src\\sub\\b.txt", "beta");
  MakeFile(dir / L"shared\\c.txt", "shared c");
  MakeFile(dir / L"shared\\deep\\d.txt", "shared d");
  MakeFile(dir / L"held\\e.txt");
  testsupport::ScopedFolderLink lib(dir / L"src\\lib", dir / L"shared");
  testsupport::ScopedFolderLink up(dir / L"src\\sub\\up", dir / L"src");
  ASSERT_TRUE(lib.made() && up.made());
  EXPECT_EQ(0u, RunSardok(L"/silent " + Quote(dir / L"src")));
  std::vector<std::wstring> names = compressortest::CabinetNameList(dir / L"src.cab");
  std::sort(names.begin(), names.end());
  EXPECT_EQ((std::vector<std::wstring>{L"a.txt", L"lib\\c.txt", L"lib\\deep\\d.txt",
                                       L"sub\\b.txt"}),
            names);
  EXPECT_EQ("shared d", CabinetMember(dir / L"src.cab", L"lib\\deep\\d.txt"));

  // Held open without sharing, the target cannot be listed.
  testsupport::ScopedFolderLink busy(dir / L"src\\busy", dir / L"held");
  ASSERT_TRUE(busy.made());
  HANDLE held = CreateFileW((dir / L"held").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  std::wstring errors;
  const DWORD code = compressortest::RunSardokReadingErrors(
      L"/silent " + Quote(dir / L"src") + L" " + Quote(dir / L"x.cab"), errors);
  CloseHandle(held);
  EXPECT_EQ(302u, code);
  EXPECT_EQ(compressortest::SardokText(IDS_ENTRY_REFUSED, dir / L"src\\busy") + L"\r\n", errors);
  EXPECT_FALSE(testsupport::PathExists(dir / L"x.cab"));
}

// An archive written into the folder it packs leaves itself out: a second
// run writes the same members, not the first archive inside the second.
TEST(CompressorBatch, TheArchiveIsNeverOneOfItsOwnMembers) {
  TempDir dir(L"sds");
  MakeFile(dir / L"data\\a.txt", "alpha");
  const std::wstring archive = dir / L"data\\packed.cab";
  EXPECT_EQ(0u, RunSardok(L"/silent " + Quote(dir / L"data") + L" " + Quote(archive)));
  EXPECT_EQ((Names{L"a.txt"}), CabinetNames(archive));
  const std::string first = compressortest::ReadAll(archive);
  // Named another way: relative to the current folder.
  EXPECT_EQ(0u, RunSardok(L"/silent data .\\data\\packed.cab", dir.path()));
  EXPECT_EQ((Names{L"a.txt"}), CabinetNames(archive));
  EXPECT_EQ(first.size(), compressortest::ReadAll(archive).size());
  // Listed by name in the file-list mode.
  EXPECT_EQ(0u, RunSardok(L"/silent \"/file:" + (dir / L"data\\a.txt") + L"\" \"/file:" + archive +
                          L"\" " + Quote(archive)));
  EXPECT_EQ((Names{L"a.txt"}), CabinetNames(archive));
}

TEST(CompressorBatch, CancellingTheProgressDialogLeavesTheOlderArchive) {
  TempDir dir(L"sdc");
  for (int i = 0; i < 6; ++i)
    compressortest::MakeBigFile(dir / (L"src\\big" + std::to_wstring(i) + L".bin"), 8 << 20);
  const std::wstring archive = dir / L"out\\keep.cab";
  MakeFile(archive, "older archive");
  testsupport::DrivenProcess process;
  ASSERT_TRUE(process.Start(Quote(compressortest::SardokPath()) + L" " + Quote(dir / L"src") +
                            L" " + Quote(archive)));
  HWND dialog = nullptr;
  for (int i = 0; i < 400 && !dialog && process.Running(); ++i) {
    std::vector<HWND> found = process.DialogsWithControl(1007);
    if (!found.empty()) dialog = found[0];
    else Sleep(10);
  }
  ASSERT_NE(nullptr, dialog) << "no progress dialog";
  wchar_t caption[64] = {};
  GetWindowTextW(dialog, caption, 64);
  EXPECT_STREQ(L"Vesmarin Compressor", caption);
  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(process.WaitAnswering([](const testsupport::SeenBox&) { return IDOK; }, 60000));
  EXPECT_EQ(302u, process.ExitCode());
  EXPECT_TRUE(process.Boxes().empty());
  EXPECT_EQ("older archive", compressortest::ReadAll(archive));
  EXPECT_EQ((std::vector<std::wstring>{L"keep.cab"}), testsupport::ListTree(dir / L"out"));
}

TEST(CompressorBatch, WithoutAFolderOrAFileListTheWindowOpensAndASecondStartHandsOver) {
  TempDir dir(L"sdw");
  const std::wstring x = MakeFile(dir / L"x.txt");
  testsupport::DrivenProcess first;
  // A file list without an archive, and a folder that does not exist.
  ASSERT_TRUE(first.Start(Quote(compressortest::SardokPath()) + L" \"/file:" + x + L"\" " +
                          Quote(dir / L"absent")));
  HWND window = nullptr;
  for (int i = 0; i < 500 && !window && first.Running(); ++i) {
    for (HWND candidate : compressortest::WindowsOf(first.Id(), L"sardok_class"))
      if (IsWindowVisible(candidate)) window = candidate;
    if (!window) Sleep(10);
  }
  ASSERT_NE(nullptr, window) << "the interactive window did not open";
  wchar_t title[64] = {};
  GetWindowTextW(window, title, 64);
  EXPECT_STREQ(L"Vesmarin Compressor", title);

  // A second interactive start ends at once with 0 and leaves the first.
  EXPECT_EQ(0u, RunSardok(L""));
  EXPECT_TRUE(first.Running());

  PostMessageW(window, WM_CLOSE, 0, 0);
  ASSERT_TRUE(first.WaitAnswering([](const testsupport::SeenBox&) { return IDNO; }, 30000));
  EXPECT_EQ(kExitCodeWindowed, first.ExitCode());
  EXPECT_TRUE(first.Boxes().empty());
  EXPECT_FALSE(testsupport::PathExists(dir / L"x.cab"));
}

TEST(CompressorBatch, AFolderCabinetIsPackedByTheBuilderAndInstalledByTheStub) {
  testsupport::InstallerPackage package(L"sdi");
  const std::wstring source = package.dir() / L"payload\\";
  MakeFile(source + L"readme.txt", "read me");
  MakeFile(source + L"bin\\tool.dat", "tool");
  MakeFile(source + L"bin\\lib\\\u00e9t\u00e9.dll", "summer");
  const std::wstring archive = package.dir() / L"archive.cab";
  ASSERT_EQ(0u, RunSardok(L"/silent " + Quote(source) + L" " + Quote(archive)));
  const std::wstring installer = package.BuildFromArchive({L"NoUI=1"}, archive);
  ASSERT_FALSE(installer.empty()) << testsupport::Narrow(package.LastError());
  const testsupport::DrivenResult run = package.Run(installer);
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(0u, run.exitCode);
  EXPECT_EQ((std::vector<std::wstring>{L"bin\\", L"bin\\lib\\", L"bin\\lib\\\u00e9t\u00e9.dll",
                                       L"bin\\tool.dat", L"readme.txt"}),
            testsupport::ListTree(package.InstallFolder()));
  EXPECT_EQ("summer", compressortest::ReadAll(package.InstallFolder() +
                                              L"bin\\lib\\\u00e9t\u00e9.dll"));
}

}  // namespace
