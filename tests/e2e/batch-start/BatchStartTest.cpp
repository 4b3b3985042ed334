// The builder started with a definition file: it builds without any window
// and ends with the result code.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "LoadedLibraries.h"
#include "TestCabinet.h"
#include "TestSupport.h"

namespace {

using testsupport::TempDir;

const DWORD kNoWaitMs = 60000;  // a batch run never waits for a person

// Runs the builder with the command line's rest in the folder; the result
// is the full exit code.
DWORD RunBuilder(const std::wstring& arguments, const std::wstring& folder) {
  const std::wstring builder = testsupport::BinPath(L"Vesmarin.exe");
  testsupport::ProcessResult result =
      testsupport::RunProcess(L"\"" + builder + L"\" " + arguments, kNoWaitMs, folder);
  EXPECT_TRUE(result.started);
  EXPECT_FALSE(result.timedOut) << "the batch run waited";
  return result.exitCode;
}

std::string DefinitionText(const std::string& archive, const std::string& output) {
  return "[Vesmarin]\r\nSrcArchiveFile=" + archive + "\r\nDstExeFile=" + output +
         "\r\nDialogTitleE=Batch\r\n";
}

bool JapaneseInterface() { return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE; }

// The message of an archive that is not found, without the archive's name
// that leads it.
std::wstring ArchiveNotFoundText() {
  return JapaneseInterface() ? L"\r\n\u66f8\u5eab\u30d5\u30a1\u30a4\u30eb\u304c\u898b\u3064"
                               L"\u304b\u308a\u307e\u305b\u3093\u3067\u3057\u305f\u3002\r\n"
                             : L"\r\nThe archive file could not be found.\r\n";
}

// A failed batch build tells whoever started it why, on standard error, in
// the builder's language: the text the main window would show.
TEST(BatchStart, AFailedBuildTellsWhyOnStandardError) {
  const std::wstring notFound = ArchiveNotFoundText();
  // No archive named at all.
  const std::wstring notNamed =
      JapaneseInterface()
          ? L"\u66f8\u5eab\u30d5\u30a1\u30a4\u30eb\u304c\u6307\u5b9a\u3055\u308c\u3066\u3044"
            L"\u307e\u305b\u3093\u3002\u81ea\u5df1\u89e3\u51cd\u30d5\u30a1\u30a4\u30eb\u306b"
            L"\u683c\u7d0d\u3059\u308b\u30ad\u30e3\u30d3\u30cd\u30c3\u30c8\u3092\u6307\u5b9a"
            L"\u3057\u3066\u304f\u3060\u3055\u3044\u3002\r\n"
          : L"No archive file is specified. Name the cabinet that the self-extracting file is to "
            L"carry.\r\n";
  // The output's folder is missing: the message, the path and the system's
  // reason.
  wchar_t* reason = nullptr;
  FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                     FORMAT_MESSAGE_IGNORE_INSERTS,
                 nullptr, ERROR_PATH_NOT_FOUND, 0, reinterpret_cast<wchar_t*>(&reason), 0, nullptr);
  std::wstring systemReason = reason ? reason : L"";
  if (reason) LocalFree(reason);
  while (!systemReason.empty() && (systemReason.back() == L'\n' || systemReason.back() == L'\r' ||
                                   systemReason.back() == L' '))
    systemReason.pop_back();
  TempDir dir(L"bs");
  const std::wstring notCreated =
      (JapaneseInterface() ? L"\u30d5\u30a1\u30a4\u30eb\u3092\u4f5c\u6210\u3067\u304d\u307e"
                             L"\u305b\u3093\u3067\u3057\u305f\u3002\r\n"
                           : L"Failed to create file.\r\n") +
      std::wstring(L"\r\n") + dir.path() + L"no-such\\out.exe\r\n" + systemReason + L"\r\n";
  ASSERT_TRUE(testsupport::WriteTextFile(dir / L"empty.ini", ""));
  ASSERT_TRUE(testsupport::WriteTextFile(dir / L"other.ini",
                                         "[Other]\r\nSrcArchiveFile=files.cab\r\n"));
  ASSERT_TRUE(testsupport::TestCabinet().Add(L"a.txt", "a").WriteTo(dir / L"files.cab"));
  ASSERT_TRUE(testsupport::WriteTextFile(dir / L"gone.ini", DefinitionText("gone.cab", "out.exe")));
  ASSERT_TRUE(testsupport::WriteTextFile(dir / L"nofolder.ini",
                                         DefinitionText("files.cab", "no-such\\out.exe")));
  struct Case {
    std::wstring arguments;
    DWORD code;
    std::wstring message;
  } cases[] = {
      // No archive named: a definition file that is missing, empty or
      // without the section loads the defaults.
      {L"\"" + dir.path() + L"none.ini\"", 10, notNamed},
      {L"sub\\none.ini", 10, notNamed},
      {L"empty.ini", 10, notNamed},
      {L"other.ini", 10, notNamed},
      {L"gone.ini", 10, L"gone.cab" + notFound},
      {L"nofolder.ini", 1, notCreated},
  };
  const std::wstring builder = testsupport::BinPath(L"Vesmarin.exe");
  for (const Case& c : cases) {
    std::string error;
    testsupport::ProcessResult result = testsupport::RunProcessReadingError(
        L"\"" + builder + L"\" " + c.arguments, error, kNoWaitMs, dir.path());
    ASSERT_TRUE(result.started) << GetLastError();
    EXPECT_FALSE(result.timedOut) << "the batch run waited";
    EXPECT_EQ(result.exitCode, c.code) << testsupport::Narrow(c.arguments);
    EXPECT_EQ(error, testsupport::Narrow(c.message)) << testsupport::Narrow(c.arguments);
  }
  EXPECT_FALSE(testsupport::PathExists(dir / L"out.exe"));

  // A result with a reason: the result's message, then the reason, as the
  // window's box has them.
  testsupport::TestCabinet hostile;
  hostile.AddRaw("..\\escaped.txt", "x");
  ASSERT_TRUE(hostile.WriteTo(dir / L"hostile.cab"));
  ASSERT_TRUE(
      testsupport::WriteTextFile(dir / L"hostile.ini", DefinitionText("hostile.cab", "out.exe")));
  std::string refused;
  EXPECT_EQ(testsupport::RunProcessReadingError(L"\"" + builder + L"\" hostile.ini", refused,
                                                kNoWaitMs, dir.path())
                .exitCode,
            5u);
  const std::string openFailed = testsupport::Narrow(
      JapaneseInterface() ? L"\u30a2\u30fc\u30ab\u30a4\u30d6\u30d5\u30a1\u30a4\u30eb\u3092"
                            L"\u958b\u3051\u307e\u305b\u3093\u3067\u3057\u305f\u3002"
                            L"\r\n\r\n..\\escaped.txt\r\n"
                          : L"Failed to open archive file.\r\n\r\n..\\escaped.txt\r\n");
  EXPECT_EQ(refused.compare(0, openFailed.size(), openFailed), 0) << refused;
  EXPECT_FALSE(testsupport::PathExists(dir / L"out.exe"));

  // A build that succeeds says nothing.
  ASSERT_TRUE(testsupport::WriteTextFile(dir / L"good.ini", DefinitionText("files.cab", "out.exe")));
  std::string error;
  testsupport::ProcessResult result =
      testsupport::RunProcessReadingError(L"\"" + builder + L"\" good.ini", error, kNoWaitMs,
                                          dir.path());
  EXPECT_EQ(result.exitCode, 0u);
  EXPECT_EQ(error, "");
  EXPECT_TRUE(testsupport::PathExists(dir / L"out.exe"));
}

// The rows of the console down to the cursor's, each ended with CR LF,
// without the blanks that fill a row.
std::wstring ConsoleRows() {
  HANDLE out = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (out == INVALID_HANDLE_VALUE) return L"";
  CONSOLE_SCREEN_BUFFER_INFO info = {};
  std::wstring text;
  if (GetConsoleScreenBufferInfo(out, &info)) {
    for (SHORT row = 0; row < info.dwCursorPosition.Y; ++row) {
      std::wstring line(info.dwSize.X, L' ');
      DWORD got = 0;
      ReadConsoleOutputCharacterW(out, &line[0], info.dwSize.X, COORD{0, row}, &got);
      line.resize(got);
      while (!line.empty() && line.back() == L' ') line.pop_back();
      text += line + L"\r\n";
    }
  }
  CloseHandle(out);
  return text;
}

// Started from a program with a console, and no handle given, the builder
// writes its message into that console as text (a console reads bytes in
// its own code page, so UTF-8 would come out garbled in Japanese).
TEST(BatchStart, AFailedBuildTellsWhyInTheConsoleOfItsStarter) {
  TempDir dir(L"bs");
  const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
  FreeConsole();  // a console of its own, whose rows this test can read
  ASSERT_TRUE(AllocConsole());
  // Started as a shell starts a windowed program: no standard handles at
  // all, so only the console of its starter can take the message.
  ASSERT_TRUE(testsupport::WriteTextFile(dir / L"proj.ini", DefinitionText("gone.cab", "out.exe")));
  std::wstring line = L"\"" + testsupport::BinPath(L"Vesmarin.exe") + L"\" proj.ini";
  STARTUPINFOW startup = {sizeof startup};
  startup.dwFlags = STARTF_USESTDHANDLES;
  PROCESS_INFORMATION process = {};
  ASSERT_TRUE(CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                             dir.path().c_str(), &startup, &process));
  EXPECT_EQ(WaitForSingleObject(process.hProcess, kNoWaitMs), WAIT_OBJECT_0) << "the batch run waited";
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  const std::wstring rows = ConsoleRows();
  FreeConsole();
  SetStdHandle(STD_INPUT_HANDLE, input);
  SetStdHandle(STD_OUTPUT_HANDLE, output);
  SetStdHandle(STD_ERROR_HANDLE, error);
  EXPECT_EQ(code, 10u);
  EXPECT_EQ(testsupport::Narrow(rows), "gone.cab" + testsupport::Narrow(ArchiveNotFoundText()));
}

TEST(BatchStart, MissingArchiveEndsWithReportedFailure) {
  TempDir dir(L"bs");
  ASSERT_TRUE(testsupport::WriteTextFile(dir / L"proj.ini", DefinitionText("gone.cab", "out.exe")));
  EXPECT_EQ(RunBuilder(L"proj.ini", dir.path()), 10u);
  EXPECT_FALSE(testsupport::PathExists(dir / L"out.exe"));
  // An option with an empty value changes nothing.
  EXPECT_EQ(RunBuilder(L"proj.ini /ArchiveFile: -OutputFile:", dir.path()), 10u);
}

TEST(BatchStart, OverlongOptionPathsAreRefused) {
  TempDir dir(L"bs");
  ASSERT_TRUE(testsupport::WriteTextFile(dir / L"proj.ini", DefinitionText("gone.cab", "out.exe")));
  const std::wstring tooLong = L"C:\\" + std::wstring(257, L'x');  // 260 characters
  EXPECT_EQ(RunBuilder(L"proj.ini \"/ArchiveFile:" + tooLong + L"\"", dir.path()), 10u);
  EXPECT_EQ(RunBuilder(L"proj.ini -outputfile:" + tooLong, dir.path()), 10u);
  EXPECT_FALSE(testsupport::PathExists(dir / L"out.exe"));
}

TEST(BatchStart, RelativeDefinitionPathResolvedBeforeTheFolderChanges) {
  TempDir dir(L"bs");
  ASSERT_TRUE(CreateDirectoryW((dir / L"sub").c_str(), nullptr));
  ASSERT_TRUE(
      testsupport::WriteTextFile(dir / L"sub\\proj.ini", DefinitionText("gone.cab", "out.exe")));
  // Found, and the over-long option is refused.
  const std::wstring tooLong(300, L'y');
  EXPECT_EQ(RunBuilder(L"sub\\proj.ini /OutputFile:" + tooLong, dir.path()), 10u);
  // Loaded, and its relative archive name resolved in its own folder: the
  // archive is found (no 10 for a missing archive) but is no cabinet.
  EXPECT_EQ(RunBuilder(L"sub\\proj.ini", dir.path()), 10u);
  ASSERT_TRUE(testsupport::WriteTextFile(dir / L"sub\\gone.cab", "not a cabinet"));
  DWORD code = RunBuilder(L"sub\\proj.ini", dir.path());
  EXPECT_NE(code, 10u);
  EXPECT_NE(code, 0u);
  EXPECT_FALSE(testsupport::PathExists(dir / L"sub\\out.exe"));
}

// A batch build opens no window: the common controls, the visual styles,
// the file and colour dialogs with the print spooler they bring, and COM stay
// unloaded, for a build that succeeds and for one that fails at once; the
// cabinet library is used.
TEST(BatchStart, ABatchBuildLoadsNoWindowLibraries) {
  TempDir dir(L"bl");
  ASSERT_TRUE(testsupport::TestCabinet().Add(L"a.txt", "alpha").WriteTo(dir / L"files.cab"));
  ASSERT_TRUE(testsupport::WriteTextFile(dir / L"proj.ini", DefinitionText("files.cab", "out.exe")));
  const std::wstring builder = L"\"" + testsupport::BinPath(L"Vesmarin.exe") + L"\" ";
  const wchar_t* const windowLibraries[] = {L"comctl32.dll", L"uxtheme.dll",  L"comdlg32.dll",
                                            L"winspool.drv", L"ole32.dll",    L"oleaut32.dll",
                                            L"combase.dll"};
  DWORD code = 0;
  std::set<std::wstring> loaded =
      testsupport::LibrariesLoadedBy(builder + L"proj.ini", kNoWaitMs, code, dir.path());
  EXPECT_EQ(0u, code);
  EXPECT_TRUE(testsupport::PathExists(dir / L"out.exe"));
  EXPECT_EQ(1u, loaded.count(L"cabinet.dll"));
  for (const wchar_t* library : windowLibraries)
    EXPECT_EQ(0u, loaded.count(library)) << testsupport::Narrow(library);

  // A definition file that does not exist.
  loaded = testsupport::LibrariesLoadedBy(builder + L"missing.ini", kNoWaitMs, code, dir.path());
  EXPECT_EQ(10u, code);
  EXPECT_FALSE(loaded.empty());
  for (const wchar_t* library : windowLibraries)
    EXPECT_EQ(0u, loaded.count(library)) << testsupport::Narrow(library);
}

}  // namespace
