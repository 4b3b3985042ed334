// The builder's main window driven from a second process: start-up with the
// per-user definition, the fields, an interactive build, the compressor's
// hand-back, the updater, help, About, the start-method question and the
// single instance.
#include <gtest/gtest.h>

#include <string>

#include "BuilderWindowFixture.h"
#include "ContainerReader.h"
#include "TestCabinet.h"
#include "TestSupport.h"

namespace {

using builderwindow::BuilderRun;
using builderwindow::ReadLog;
using builderwindow::WaitFor;

// Control and command ids of the builder's windows.
const int kCreate = 1, kExit = 2, kHelp = 6, kCreateArchive = 9, kAbout = 1081, kUpdater = 40019;
const int kArchiveEdit = 1000, kOutputEdit = 1015, kTitleEdit = 1008, kGreetingE = 1010;
const int kTitleLanguage = 1246, kCreditEdit = 1258;
const int kStartReset = 1121, kStartLoadIni = 1122;
const int kWaitText = 1004, kAboutVersion = 1184, kCreditsText = 1257;
const UINT kCompressorResult = 0x8065;
const int kLogo = 1199;

std::wstring Decimal(HWND window) {
  return std::to_wstring(static_cast<long long>(reinterpret_cast<INT_PTR>(window)));
}

bool WriteCabinet(const std::wstring& path) {
  testsupport::TestCabinet cabinet;
  cabinet.Add(L"readme.txt", "Read me first.\r\n").Add(L"bin\\tool.exe", "MZ tool");
  return cabinet.WriteTo(path);
}

std::wstring ProfileValue(const std::wstring& file, const wchar_t* key) {
  wchar_t value[1024] = {};
  GetPrivateProfileStringW(L"Vesmarin", key, L"<none>", value, 1024, file.c_str());
  return value;
}

std::wstring FileVersionOf(const std::wstring& path) {
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  std::vector<BYTE> data(size);
  if (!size || !GetFileVersionInfoW(path.c_str(), 0, size, data.data())) return L"";
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(data.data(), L"\\StringFileInfo\\040904b0\\FileVersion", &value, &length))
    return L"";
  return static_cast<const wchar_t*>(value);
}

TEST(BuilderWindow, StartShowsThePerUserDefinitionAndSavesItAtExit) {
  BuilderRun run;
  ASSERT_TRUE(testsupport::WriteTextFile(
      builderwindow::PerUserDefinition(),
      "[Vesmarin]\r\nSrcArchiveFile=C:\\Work\\app.cab\r\nDstExeFile=C:\\Work\\app.exe\r\n"
      "DialogTitle=Stored title\r\nGreetingE0=Hello\r\nGreetingE1=World\r\n"
      "VesmarinFor=Credits\r\n"));
  ASSERT_TRUE(run.Start());
  HWND main = run.WaitMainWindow();
  ASSERT_NE(nullptr, main);
  wchar_t caption[64] = {};
  GetWindowTextW(main, caption, 64);
  EXPECT_STREQ(L"Vesmarin 6", caption);
  EXPECT_EQ(L"C:\\Work\\app.cab", run.Text(kArchiveEdit));
  EXPECT_EQ(L"C:\\Work\\app.exe", run.Text(kOutputEdit));
  EXPECT_EQ(L"Stored title", run.Text(kTitleEdit));
  EXPECT_EQ(L"Hello\r\nWorld\r\n", run.Text(kGreetingE));
  EXPECT_EQ(L"Credits", run.Text(kCreditEdit));
  // An English interface has no language lists.
  EXPECT_FALSE(run.Visible(kTitleLanguage));
  EXPECT_TRUE(run.Visible(kCreditEdit));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(main, kCreate)));

  // The automatic update check ran with the window's handle.
  ASSERT_TRUE(WaitFor([&] { return !ReadLog(run.Path(L"Nemdrift.exe.log")).empty(); }));
  std::vector<std::wstring> updater = ReadLog(run.Path(L"Nemdrift.exe.log"));
  ASSERT_EQ(1u, updater.size());
  EXPECT_NE(std::wstring::npos, updater[0].find(L"\" /AutoCheck /hwnd:" + Decimal(main)))
      << testsupport::Narrow(updater[0]);

  // Create follows the output name: ".ex" disables it, ".EXE" enables it.
  run.SetText(kOutputEdit, L"C:\\Work\\app.ex");
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(main, kCreate)));
  run.SetText(kOutputEdit, L"C:\\Work\\APP.EXE");
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(main, kCreate)));
  run.SetText(kTitleEdit, L"Changed title");
  SetWindowPos(main, nullptr, 40, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER);

  EXPECT_EQ(0u, run.Exit());
  EXPECT_EQ(L"Changed title", ProfileValue(builderwindow::PerUserDefinition(), L"DialogTitle"));
  EXPECT_EQ(L"C:\\Work\\APP.EXE", ProfileValue(builderwindow::PerUserDefinition(), L"DstExeFile"));
  DWORD x = 0, y = 0;
  std::wstring folder;
  EXPECT_TRUE(builderwindow::ReadOptionValue(L"WindowX", nullptr, &x));
  EXPECT_TRUE(builderwindow::ReadOptionValue(L"WindowY", nullptr, &y));
  EXPECT_EQ(40u, x);
  EXPECT_EQ(50u, y);
  EXPECT_TRUE(builderwindow::ReadOptionValue(L"IniCurrent", &folder, nullptr));
  EXPECT_FALSE(folder.empty());
  for (const wchar_t* name : {L"IcoCurrent", L"ManifestCurrent", L"HollmereSaveCurrent"})
    EXPECT_TRUE(builderwindow::ReadOptionValue(name, &folder, nullptr)) << name;
}

TEST(BuilderWindow, DefinitionBesideTheProgramBecomesThePerUserFile) {
  const std::wstring perUser = builderwindow::PerUserDefinition();
  {
    // No per-user file: the file beside the program is taken over and
    // removed; a first argument that is neither .ini nor .cab starts as
    // without arguments.
    BuilderRun run;
    ASSERT_TRUE(testsupport::WriteTextFile(run.Path(L"Vesmarin.ini"),
                                           "[Vesmarin]\r\nDialogTitle=Beside\r\n"));
    ASSERT_TRUE(run.Start(L"notes.txt"));
    ASSERT_NE(nullptr, run.WaitMainWindow());
    EXPECT_EQ(L"Beside", run.Text(kTitleEdit));
    EXPECT_EQ(L"", run.Text(kArchiveEdit));
    EXPECT_FALSE(testsupport::PathExists(run.Path(L"Vesmarin.ini")));
    EXPECT_EQ(0u, run.Exit());
  }
  {
    // A per-user file this builder wrote stays; the file beside goes anyway.
    BuilderRun run;
    ASSERT_TRUE(testsupport::WriteTextFile(
        perUser, "[Vesmarin]\r\nUseExtensionModuleFile=0\r\nDialogTitle=Own\r\n"));
    ASSERT_TRUE(testsupport::WriteTextFile(run.Path(L"Vesmarin.ini"),
                                           "[Vesmarin]\r\nDialogTitle=Older\r\n"));
    ASSERT_TRUE(run.Start());
    ASSERT_NE(nullptr, run.WaitMainWindow());
    EXPECT_EQ(L"Own", run.Text(kTitleEdit));
    EXPECT_FALSE(testsupport::PathExists(run.Path(L"Vesmarin.ini")));
    EXPECT_EQ(0u, run.Exit());
  }
}

TEST(BuilderWindow, SavedPositionOutsideTheScreenIsBroughtBack) {
  BuilderRun run;
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER,
                                           L"Software\\Kelvadon\\Vesmarin 6\\Option", 0, nullptr,
                                           0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
  DWORD distant = 100000;
  RegSetValueExW(key, L"WindowX", 0, REG_DWORD, reinterpret_cast<BYTE*>(&distant), sizeof distant);
  RegSetValueExW(key, L"WindowY", 0, REG_DWORD, reinterpret_cast<BYTE*>(&distant), sizeof distant);
  RegCloseKey(key);
  ASSERT_TRUE(run.Start());
  HWND main = run.WaitMainWindow();
  ASSERT_NE(nullptr, main);
  RECT rect;
  GetWindowRect(main, &rect);
  const int right = GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN);
  const int bottom = GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN);
  EXPECT_EQ(right, rect.right);
  EXPECT_EQ(bottom, rect.bottom);
  EXPECT_EQ(0u, run.Exit());
}

TEST(BuilderWindow, BatchRunNeverStartsTheUpdater) {
  BuilderRun run;
  ASSERT_TRUE(testsupport::WriteTextFile(run.Path(L"proj.ini"),
                                         "[Vesmarin]\r\nSrcArchiveFile=gone.cab\r\n"));
  testsupport::ProcessResult result =
      testsupport::RunProcess(L"\"" + run.BuilderPath() + L"\" proj.ini", 60000, run.dir().path());
  ASSERT_TRUE(result.started);
  EXPECT_NE(0u, result.exitCode);
  EXPECT_FALSE(testsupport::PathExists(run.Path(L"Nemdrift.exe.log")));
}

TEST(BuilderWindow, CreateBuildsBesideTheArchiveAndAsksBeforeOverwriting) {
  BuilderRun run;
  const std::wstring archive = run.Path(L"app.cab");
  ASSERT_TRUE(WriteCabinet(archive));
  ASSERT_TRUE(run.Start());
  ASSERT_NE(nullptr, run.WaitMainWindow());
  run.SetText(kArchiveEdit, archive);
  // A bare output name goes beside the archive.
  run.SetText(kOutputEdit, L"setup.exe");
  run.SetText(kTitleEdit, L"Interactive");
  run.Command(kCreate);
  testsupport::SeenBox done = run.AnswerNextBox();
  EXPECT_EQ(L"Vesmarin 6", done.caption);
  EXPECT_EQ(L"Self-extracting file has been successfully created.", done.text);
  const std::wstring output = run.Path(L"setup.exe");
  containerreader::Container container;
  std::string error;
  ASSERT_TRUE(containerreader::ReadContainerFile(output, container, &error)) << error;
  EXPECT_TRUE(container.crcMatches);
  EXPECT_TRUE(container.sizeMatches);
  std::vector<uint8_t> before;
  ASSERT_TRUE(testsupport::ReadFileBytes(output, before));

  // The same output again: asked about the file beside the archive; No
  // leaves it as it is and shows nothing more.
  run.SetText(kTitleEdit, L"Second build");
  run.Command(kCreate);
  testsupport::SeenBox question = run.AnswerNextBox(IDNO);
  EXPECT_NE(std::wstring::npos, question.text.find(output)) << testsupport::Narrow(question.text);
  EXPECT_NE(std::wstring::npos, question.text.find(L"already exists"));
  // The question gone and the window's thread at its messages again, the
  // command has ended or opened its next box.
  EXPECT_TRUE(testsupport::WaitForWindowGone(question.window, 10000));
  EXPECT_TRUE(testsupport::RoundTrip(run.main()));
  EXPECT_EQ(nullptr, run.process().UnansweredMessageBox());
  std::vector<uint8_t> after;
  ASSERT_TRUE(testsupport::ReadFileBytes(output, after));
  EXPECT_EQ(before, after);

  // A failed build: the exit code is that build's result.
  run.SetText(kArchiveEdit, L"app.cab");
  run.SetText(kOutputEdit, L"other.exe");
  run.Command(kCreate);
  testsupport::SeenBox failed = run.AnswerNextBox();
  EXPECT_EQ(L"app.cab\nThe archive file could not be found.", failed.text);
  EXPECT_EQ(10u, run.Exit());
}

TEST(BuilderWindow, OutputInstallsSilently) {
  BuilderRun run;
  const std::wstring archive = run.Path(L"app.cab");
  ASSERT_TRUE(WriteCabinet(archive));
  const std::wstring target = run.Path(L"installed");
  // The per-user definition makes the package silent and names where it
  // goes; the window supplies archive and output.
  ASSERT_TRUE(testsupport::WriteTextFile(
      builderwindow::PerUserDefinition(),
      "[Vesmarin]\r\nNoUI=1\r\n64bitSFX=1\r\nAskExtPath=0\r\nManifestType=0\r\n"
      "IconType=blue\r\nUseExtractFolder=1\r\nBaseFolder=6\r\nExtractFolder=" +
          testsupport::Narrow(target) + "\r\n"));
  ASSERT_TRUE(run.Start());
  ASSERT_NE(nullptr, run.WaitMainWindow());
  run.SetText(kArchiveEdit, archive);
  run.SetText(kOutputEdit, run.Path(L"setup.exe"));
  run.Command(kCreate);
  EXPECT_EQ(L"Self-extracting file has been successfully created.", run.AnswerNextBox().text);
  EXPECT_EQ(0u, run.Exit());

  testsupport::StubRunLock lock;
  testsupport::DrivenResult installed =
      testsupport::RunAnsweringBoxes(L"\"" + run.Path(L"setup.exe") + L"\"");
  ASSERT_TRUE(installed.started);
  EXPECT_EQ(0u, installed.exitCode);
  std::vector<uint8_t> readme;
  EXPECT_TRUE(testsupport::ReadFileBytes(target + L"\\readme.txt", readme));
  EXPECT_EQ(std::string("Read me first.\r\n"), std::string(readme.begin(), readme.end()));
  EXPECT_TRUE(testsupport::PathExists(target + L"\\bin\\tool.exe"));
}

// A member that has no room below the package's fixed folder: the window
// shows why, never a success, and nothing is written.
TEST(BuilderWindow, AMemberTooLongForTheFixedFolderIsRefused) {
  BuilderRun run;
  const std::wstring archive = run.Path(L"app.cab");
  const std::string member(255, 'n');  // "C:\a\" and 255 characters: 260
  testsupport::TestCabinet cab;
  cab.AddRaw("readme.txt", "read me").AddRaw(member, "x");
  ASSERT_TRUE(cab.WriteTo(archive));
  ASSERT_TRUE(testsupport::WriteTextFile(
      builderwindow::PerUserDefinition(),
      "[Vesmarin]\r\nNoUI=1\r\n64bitSFX=1\r\nAskExtPath=0\r\nManifestType=0\r\n"
      "IconType=blue\r\nUseExtractFolder=1\r\nBaseFolder=6\r\nExtractFolder=C:\\a\r\n"));
  ASSERT_TRUE(run.Start());
  ASSERT_NE(nullptr, run.WaitMainWindow());
  run.SetText(kArchiveEdit, archive);
  run.SetText(kOutputEdit, run.Path(L"setup.exe"));
  run.Command(kCreate);
  const bool japanese = PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE;
  EXPECT_EQ(testsupport::Widen(member) +
                (japanese ? L"\nこの書庫内のファイルはインストール先フォルダーの下に収まりません: "
                            L"そこでのパスが、インストールで書き込める最大の 259 文字を超えます。"
                          : L"\nThis archive member does not fit below the installation folder: "
                            L"its path there would be longer than 259 characters, the most an "
                            L"installation can write."),
            run.AnswerNextBox().text);
  EXPECT_FALSE(testsupport::PathExists(run.Path(L"setup.exe")));
  EXPECT_EQ(10u, run.Exit());
}

TEST(BuilderWindow, SecondInstanceOnlyBringsTheFirstForward) {
  BuilderRun run;
  ASSERT_TRUE(run.Start());
  HWND main = run.WaitMainWindow();
  ASSERT_NE(nullptr, main);
  ASSERT_TRUE(WaitFor([&] { return !ReadLog(run.Path(L"Nemdrift.exe.log")).empty(); }));
  testsupport::ProcessResult second =
      testsupport::RunProcess(L"\"" + run.BuilderPath() + L"\" other.cab", 30000);
  ASSERT_TRUE(second.started);
  EXPECT_FALSE(second.timedOut);
  EXPECT_EQ(0u, second.exitCode);
  EXPECT_EQ(1u, ReadLog(run.Path(L"Nemdrift.exe.log")).size());
  EXPECT_TRUE(IsWindow(main));
  EXPECT_EQ(0u, run.Exit());
}

TEST(BuilderWindow, CompressorHandsBackItsArchiveAndNobodyElse) {
  BuilderRun run;
  const std::wstring made = run.Path(L"made.cab");
  const std::wstring foreign = run.Path(L"foreign.cab");
  ASSERT_TRUE(WriteCabinet(made));
  ASSERT_TRUE(WriteCabinet(foreign));
  ASSERT_TRUE(testsupport::WriteTextFile(run.Path(L"Sardok.path"), testsupport::Narrow(made)));
  HANDLE go = CreateEventW(nullptr, TRUE, FALSE, L"VesmarinTestCompressorGo");
  ASSERT_NE(nullptr, go);
  ASSERT_TRUE(run.Start());
  HWND main = run.WaitMainWindow();
  ASSERT_NE(nullptr, main);

  // While no compressor runs, a foreign hand-back is ignored.
  wchar_t path[MAX_PATH] = {};
  wcscpy(path, foreign.c_str());
  DWORD_PTR result = 0;
  SendMessageTimeoutW(main, kCompressorResult, GetCurrentProcessId(),
                      reinterpret_cast<LPARAM>(path), SMTO_NORMAL, 5000, &result);
  EXPECT_EQ(L"", run.Text(kArchiveEdit));

  run.Command(kCreateArchive);
  ASSERT_TRUE(WaitFor([&] {
    std::vector<std::wstring> log = ReadLog(run.Path(L"Sardok.log"));
    return !log.empty() && log[0] == L"waiting";
  }));
  HWND box = run.WaitDialog(kWaitText);
  ASSERT_NE(nullptr, box);
  EXPECT_EQ(L"Editing archive file ...", run.Text(box, kWaitText));
  EXPECT_FALSE(IsWindowEnabled(main));
  // While it runs, only the started process is heard.
  SendMessageTimeoutW(main, kCompressorResult, GetCurrentProcessId(),
                      reinterpret_cast<LPARAM>(path), SMTO_NORMAL, 5000, &result);
  EXPECT_EQ(L"", run.Text(kArchiveEdit));

  SetEvent(go);
  ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(main) != FALSE; }));
  CloseHandle(go);
  EXPECT_EQ(std::vector<std::wstring>({L"waiting", L"sent"}), ReadLog(run.Path(L"Sardok.log")));
  EXPECT_EQ(made, run.Text(kArchiveEdit));
  EXPECT_EQ(run.Path(L"made.exe"), run.Text(kOutputEdit));
  EXPECT_EQ(L"made", run.Text(kTitleEdit));
  EXPECT_FALSE(IsWindow(box));
  EXPECT_EQ(0u, run.Exit());
}

TEST(BuilderWindow, HostileMessagesFromAnotherProcessLeaveTheBuilderAndItsSettingsAlone) {
  BuilderRun run;
  const std::wstring archive = run.Path(L"kept.cab");
  ASSERT_TRUE(WriteCabinet(archive));
  ASSERT_TRUE(run.Start());
  HWND main = run.WaitMainWindow();
  ASSERT_NE(nullptr, main);
  run.SetText(kArchiveEdit, archive);
  run.SetText(kTitleEdit, L"Kept title");

  // Every application message (the compressor's hand-back 0x8065 and the
  // window's own open-path message 0x8066 among them) and a drop, posted
  // and sent with process ids and addresses that are not the builder's to
  // trust: a wild address, this process's memory, the builder's own id.
  DWORD builderId = 0;
  GetWindowThreadProcessId(main, &builderId);
  wchar_t local[MAX_PATH] = L"C:\\elsewhere\\foreign.cab";
  const WPARAM ids[] = {0, GetCurrentProcessId(), builderId, static_cast<WPARAM>(-1)};
  const LPARAM addresses[] = {0x12345678, 1, reinterpret_cast<LPARAM>(local), -1};
  std::vector<UINT> messages;
  for (UINT message = WM_APP; message < WM_APP + 0x100; ++message) messages.push_back(message);
  messages.push_back(WM_DROPFILES);
  for (UINT message : messages)
    for (WPARAM id : ids)
      for (LPARAM address : addresses) {
        PostMessageW(main, message, id, address);
        DWORD_PTR result = 0;
        SendMessageTimeoutW(main, message, id, address, SMTO_NORMAL, 2000, &result);
      }
  // The posted ones have been handled once a later send returns.
  DWORD_PTR result = 0;
  ASSERT_NE(0, SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &result));
  EXPECT_TRUE(IsWindow(main));
  EXPECT_EQ(0u, run.process().AnswerBoxes(nullptr));
  EXPECT_EQ(archive, run.Text(kArchiveEdit));
  EXPECT_EQ(L"Kept title", run.Text(kTitleEdit));
  EXPECT_EQ(0u, run.Exit());
  EXPECT_EQ(L"Kept title", ProfileValue(builderwindow::PerUserDefinition(), L"DialogTitle"));
  EXPECT_EQ(archive, ProfileValue(builderwindow::PerUserDefinition(), L"SrcArchiveFile"));
}

TEST(BuilderWindow, ClickOnTheLogoOpensAboutUnderAHandCursor) {
  BuilderRun run;
  ASSERT_TRUE(run.Start());
  HWND main = run.WaitMainWindow();
  ASSERT_NE(nullptr, main);
  HWND logo = GetDlgItem(main, kLogo);
  ASSERT_NE(nullptr, logo);
  // The window sets the cursor over its logo itself.
  DWORD_PTR handled = 0;
  SendMessageTimeoutW(logo, WM_SETCURSOR, reinterpret_cast<WPARAM>(logo),
                      MAKELPARAM(HTCLIENT, WM_MOUSEMOVE), SMTO_NORMAL, 5000, &handled);
  EXPECT_EQ(TRUE, static_cast<BOOL>(handled));
  PostMessageW(logo, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  PostMessageW(logo, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
  HWND about = run.WaitDialog(kAboutVersion);
  ASSERT_NE(nullptr, about);
  run.Command(about, IDOK);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(about); }));
  EXPECT_EQ(0u, run.Exit());
}

TEST(BuilderWindow, UpdaterMenuStartsItWithoutWaitingOrSaysItCannot) {
  BuilderRun run;
  ASSERT_TRUE(run.Start());
  HWND main = run.WaitMainWindow();
  ASSERT_NE(nullptr, main);
  run.Command(kUpdater);
  ASSERT_TRUE(WaitFor([&] { return ReadLog(run.Path(L"Nemdrift.exe.log")).size() == 2; }));
  const std::wstring manual = ReadLog(run.Path(L"Nemdrift.exe.log"))[1];
  EXPECT_NE(std::wstring::npos, manual.find(L"\" /hwnd:" + Decimal(main)));
  EXPECT_EQ(std::wstring::npos, manual.find(L"/AutoCheck"));

  // The double may still be ending after it wrote its line.
  ASSERT_TRUE(WaitFor([&] { return DeleteFileW(run.Path(L"Nemdrift.exe").c_str()) != FALSE; }));
  run.Command(kUpdater);
  testsupport::SeenBox box = run.AnswerNextBox();
  EXPECT_EQ(L"Marqon Update could not be started.", box.text);
  EXPECT_EQ(0u, run.Exit());
}

TEST(BuilderWindow, GreetingTakesAtMostThreeLines) {
  BuilderRun run;
  ASSERT_TRUE(run.Start());
  ASSERT_NE(nullptr, run.WaitMainWindow());
  // Three lines without a final line break are taken.
  run.Type(kGreetingE, L"one\r\ntwo\r\nthree", true);
  EXPECT_EQ(L"one\r\ntwo\r\nthree", run.Text(kGreetingE));
  // Typed with sent messages: the change's handler has ended or opened a box.
  EXPECT_TRUE(testsupport::RoundTrip(run.main()));
  EXPECT_EQ(nullptr, run.process().UnansweredMessageBox());
  // A fourth line is refused and the three lines come back.
  run.Type(kGreetingE, L"\r\nfour", false);
  EXPECT_EQ(L"A maximum of 3 lines.", run.AnswerNextBox().text);
  EXPECT_TRUE(WaitFor([&] { return run.Text(kGreetingE) == L"one\r\ntwo\r\nthree"; }));
  EXPECT_EQ(0u, run.Exit());
}

TEST(BuilderWindow, HelpOpensTheFrontPageOrSaysTheBrowserFailed) {
  BuilderRun run;
  ASSERT_TRUE(CopyFileW(testsupport::BinPath(L"builder_recorder_double.exe").c_str(),
                        run.Path(L"browser.exe").c_str(), FALSE));
  builderwindow::WebHandler handler(L"\"" + run.Path(L"browser.exe") + L"\" \"%1\"");
  ASSERT_TRUE(run.Start());
  ASSERT_NE(nullptr, run.WaitMainWindow());
  run.Command(kHelp);
  ASSERT_TRUE(WaitFor([&] { return !ReadLog(run.Path(L"browser.exe.log")).empty(); }));
  const std::wstring opened = ReadLog(run.Path(L"browser.exe.log"))[0];
  EXPECT_NE(std::wstring::npos, opened.find(L"https://")) << testsupport::Narrow(opened);
  EXPECT_NE(std::wstring::npos, opened.find(L"/help/en/vesmarin6/\""))
      << testsupport::Narrow(opened);

  handler.Change(L"\"" + run.Path(L"missing-browser.exe") + L"\" \"%1\"");
  run.Command(kHelp);
  EXPECT_EQ(L"The web browser failed to start.", run.AnswerNextBox().text);
  EXPECT_EQ(0u, run.Exit());
}

TEST(BuilderWindow, AboutShowsTheFileVersionAndTheCredits) {
  BuilderRun run;
  ASSERT_TRUE(run.Start());
  ASSERT_NE(nullptr, run.WaitMainWindow());
  run.Command(kAbout);
  HWND about = run.WaitDialog(kAboutVersion);
  ASSERT_NE(nullptr, about);
  const std::wstring version = FileVersionOf(run.BuilderPath());
  ASSERT_FALSE(version.empty());
  EXPECT_EQ(L"Version " + version, run.Text(about, kAboutVersion));
  // A click on the icon opens the credits.
  PostMessageW(about, WM_COMMAND, MAKEWPARAM(1087, STN_CLICKED), 0);
  HWND credits = run.WaitDialog(kCreditsText);
  ASSERT_NE(nullptr, credits);
  EXPECT_NE(std::wstring::npos, run.Text(credits, kCreditsText).find(L"Kelvadon"));
  run.Command(credits, IDOK);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(credits); }));
  run.Command(about, IDOK);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(about); }));
  EXPECT_EQ(0u, run.Exit());
}

TEST(BuilderWindow, ArchiveArgumentAsksHowToStart) {
  {
    BuilderRun run;
    ASSERT_TRUE(WriteCabinet(run.Path(L"app.cab")));
    ASSERT_TRUE(run.Start(L"app.cab"));
    HWND question = run.WaitDialog(kStartReset);
    ASSERT_NE(nullptr, question);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(question, kStartLoadIni)));
    EXPECT_TRUE(run.process().DialogsWithControl(kArchiveEdit).empty());
    run.Command(question, IDCANCEL);
    ASSERT_TRUE(run.process().WaitAnswering(nullptr, 60000));
    EXPECT_EQ(0xFFFFFFFFu, run.process().ExitCode());
  }
  {
    // Start from defaults with the archive: its names fill the window.
    BuilderRun run;
    const std::wstring archive = run.Path(L"app.cab");
    ASSERT_TRUE(WriteCabinet(archive));
    ASSERT_TRUE(testsupport::WriteTextFile(builderwindow::PerUserDefinition(),
                                           "[Vesmarin]\r\nDialogTitle=Previous\r\n"));
    ASSERT_TRUE(run.Start(L"\"" + archive + L"\""));
    HWND question = run.WaitDialog(kStartReset);
    ASSERT_NE(nullptr, question);
    run.Command(question, IDOK);
    ASSERT_NE(nullptr, run.WaitMainWindow());
    EXPECT_EQ(archive, run.Text(kArchiveEdit));
    EXPECT_EQ(run.Path(L"app.exe"), run.Text(kOutputEdit));
    EXPECT_EQ(L"app", run.Text(kTitleEdit));
    EXPECT_EQ(0u, run.Exit());
  }
}

}  // namespace
