#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <string>

#include "BuilderUtil.h"
#include "FileSystem.h"
#include "TestSupport.h"

namespace {

class RegistryTest : public ::testing::Test {
 protected:
  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, key_.c_str()); }
  std::wstring key_ =
      L"Software\\Kelvadon\\VesmarinTest\\" + std::to_wstring(GetCurrentProcessId());
};

TEST_F(RegistryTest, ValuesRoundTripAndFailuresLeaveOutputs) {
  EXPECT_TRUE(RegWriteDword(key_.c_str(), L"WindowX", static_cast<DWORD>(-65535)));
  EXPECT_TRUE(RegWriteString(key_.c_str(), L"IniCurrent", L"C:\\projects"));
  DWORD value = 0;
  EXPECT_TRUE(RegReadDword(key_.c_str(), L"WindowX", &value));
  EXPECT_EQ(static_cast<int>(value), -65535);
  wchar_t text[260] = L"unchanged";
  EXPECT_TRUE(RegReadString(key_.c_str(), L"IniCurrent", text, sizeof text));
  EXPECT_STREQ(text, L"C:\\projects");

  value = 7;
  wcscpy(text, L"unchanged");
  EXPECT_FALSE(RegReadDword(key_.c_str(), L"Missing", &value));
  EXPECT_FALSE(RegReadString(key_.c_str(), L"Missing", text, sizeof text));
  EXPECT_FALSE(RegReadDword(key_.c_str(), L"IniCurrent", &value));  // not a number
  EXPECT_FALSE(RegReadString((key_ + L"\\none").c_str(), L"IniCurrent", text, sizeof text));
  EXPECT_EQ(value, 7u);
  EXPECT_STREQ(text, L"unchanged");

  // A buffer that is too small for the text fails and keeps what it held.
  wchar_t small[4] = L"abc";
  EXPECT_FALSE(RegReadString(key_.c_str(), L"IniCurrent", small, sizeof small));
  EXPECT_STREQ(small, L"abc");
}

TEST(PathChecks, RelativePathsThatStayBelowTheirBase) {
  for (const wchar_t* good : {L"bin\\tools", L"bin\\tools\\x.exe", L"a", L"", L"\\", L"..x\\y",
                              L"a.b\\c..d", L"x\\.hidden"})
    EXPECT_TRUE(IsValidRelativePath(good, false)) << testsupport::Narrow(good);
  EXPECT_FALSE(IsValidRelativePath(L"bin\\", false));
  EXPECT_TRUE(IsValidRelativePath(L"bin\\", true));
  for (const wchar_t* bad :
       {L"..\\x", L".\\x", L"\\x", L"a\\\\b", L"a\\..\\b", L"a\\..", L"a\\.", L"a\\.\\b", L"..",
        L"."})
    EXPECT_FALSE(IsValidRelativePath(bad, true)) << testsupport::Narrow(bad);
  EXPECT_FALSE(IsValidRelativePath(nullptr, true));
  // Two leading backslashes pass this rule; what they mean is decided by
  // TakeRelativeFolder.
  EXPECT_TRUE(IsValidRelativePath(L"\\\\Tools\\", true));
}

TEST(PathChecks, FolderBelowABaseDropsLeadingBackslashesAndRefusesSharesAndDrives) {
  std::wstring stored = L"unchanged";
  // Before a single name the leading backslashes are dropped.
  EXPECT_TRUE(TakeRelativeFolder(L"\\\\Tools\\", false, true, &stored));
  EXPECT_EQ(L"Tools\\", stored);
  EXPECT_TRUE(TakeRelativeFolder(L"\\\\Tools", false, false, &stored));
  EXPECT_EQ(L"Tools", stored);
  EXPECT_TRUE(TakeRelativeFolder(L"bin\\tools", false, false, &stored));
  EXPECT_EQ(L"bin\\tools", stored);
  EXPECT_TRUE(TakeRelativeFolder(L"", false, true, &stored));
  EXPECT_EQ(L"", stored);
  // One leading backslash counts from the base itself only where allowed.
  EXPECT_FALSE(TakeRelativeFolder(L"\\Uninst", false, true, nullptr));
  EXPECT_TRUE(TakeRelativeFolder(L"\\Uninst", true, true, &stored));
  EXPECT_EQ(L"Uninst", stored);
  EXPECT_TRUE(TakeRelativeFolder(L"\\", true, true, &stored));
  EXPECT_EQ(L"", stored);
  // A share, a drive, three backslashes and the relative rule's refusals
  // are never taken, whatever the flags; the output is left alone.
  stored = L"unchanged";
  for (const wchar_t* bad : {L"\\\\srv\\x", L"\\\\srv\\x\\", L"\\\\\\Tools", L"C:\\Windows",
                             L"c:x", L"Z:", L"\\C:\\x", L"\\\\Tools\\..\\x", L"..\\x",
                             L"a\\\\b"})
    for (bool leading : {false, true})
      EXPECT_FALSE(TakeRelativeFolder(bad, leading, true, &stored)) << testsupport::Narrow(bad);
  EXPECT_EQ(L"unchanged", stored);
  EXPECT_FALSE(TakeRelativeFolder(L"bin\\", false, false, nullptr));
  EXPECT_FALSE(TakeRelativeFolder(nullptr, true, true, nullptr));
}

TEST(PathChecks, UninstallerFolderDropsEveryLeadingBackslash) {
  // The folder always counts from the extraction folder: however many
  // backslashes lead, what follows lies below it.
  const struct {
    const wchar_t* text;
    const wchar_t* stored;
  } taken[] = {{L"\\\\\\Tools", L"Tools"}, {L"\\Tools", L"Tools"}, {L"\\", L""},
               {L"", L""}, {L"\\\\\\\\", L""}, {L"Tools\\Sub\\", L"Tools\\Sub\\"},
               {L"\\\\srv\\x", L"srv\\x"}};
  for (const auto& t : taken) {
    std::wstring stored = L"unchanged";
    EXPECT_TRUE(TakeUninstallerFolder(t.text, &stored)) << testsupport::Narrow(t.text);
    EXPECT_EQ(t.stored, stored) << testsupport::Narrow(t.text);
  }
  // Forms that climb out or name a drive stay refused.
  std::wstring stored = L"unchanged";
  for (const wchar_t* bad : {L"..", L"\\..", L"\\\\\\..\\x", L"Tools\\..\\..\\x",
                             L"a\\.\\b", L".\\x", L"a\\\\b", L"C:\\Windows", L"\\\\\\C:\\x", L"Z:"})
    EXPECT_FALSE(TakeUninstallerFolder(bad, &stored)) << testsupport::Narrow(bad);
  EXPECT_EQ(L"unchanged", stored);
  EXPECT_FALSE(TakeUninstallerFolder(nullptr, nullptr));
}

TEST(PathChecks, InvalidCharactersRemoved) {
  wchar_t text[MAX_PATH] = L"C:\\a:b*c";
  EXPECT_FALSE(RemoveInvalidPathChars(text, true));
  EXPECT_STREQ(text, L"C:\\abc");
  wcscpy(text, L"C:\\a:b*c");
  EXPECT_FALSE(RemoveInvalidPathChars(text, false));
  EXPECT_STREQ(text, L"C\\abc");
  wcscpy(text, L"a??b\t\r\n\"<>|/c");
  EXPECT_FALSE(RemoveInvalidPathChars(text, true));
  EXPECT_STREQ(text, L"abc");
  wcscpy(text, L"ab:");
  EXPECT_FALSE(RemoveInvalidPathChars(text, true));  // a colon past the drive
  EXPECT_STREQ(text, L"ab");
  wcscpy(text, L"C:\\clean\\name.txt");
  EXPECT_TRUE(RemoveInvalidPathChars(text, true));
  EXPECT_STREQ(text, L"C:\\clean\\name.txt");

  EXPECT_TRUE(IsValidFileName(L"setup 1.2.exe"));
  for (const wchar_t* bad : {L"a:b", L"a/b", L"a*", L"a?", L"\"a", L"a<", L"a>", L"a|b", L"a\r",
                             L"a\n", L"a\tb"})
    EXPECT_FALSE(IsValidFileName(bad)) << testsupport::Narrow(bad);
}

TEST(Processes, ReadsOwnAndOtherMemoryGuarded) {
  const char source[] = "compressor path";
  char target[sizeof source] = {};
  SIZE_T count = 0;
  EXPECT_TRUE(ReadProcessBuffer(0, source, target, sizeof source, &count));
  EXPECT_EQ(count, sizeof source);
  EXPECT_STREQ(target, source);
  memset(target, 0, sizeof target);
  EXPECT_TRUE(ReadProcessBuffer(GetCurrentProcessId(), source, target, sizeof source, &count));
  EXPECT_STREQ(target, source);

  count = 99;
  EXPECT_FALSE(ReadProcessBuffer(0, reinterpret_cast<const void*>(16), target, 8, &count));
  EXPECT_EQ(count, 99u);
  EXPECT_FALSE(ReadProcessMemoryGuarded(GetCurrentProcess(), reinterpret_cast<const void*>(16),
                                        target, 8, &count));
  EXPECT_EQ(count, 99u);
  memset(target, 0, sizeof target);
  EXPECT_TRUE(ReadProcessMemoryGuarded(GetCurrentProcess(), source, target, sizeof source, &count));
  EXPECT_STREQ(target, source);
}

TEST(Processes, RunProgramStartsAnExeWithTheQuotedPathAndABlank) {
  // runexit prints its usage and ends with 2 when nothing follows its name.
  const std::wstring runner = testsupport::BinPath(L"runexit.exe");
  PROCESS_INFORMATION info = {};
  ASSERT_TRUE(RunProgram(runner.c_str(), nullptr, &info));
  ASSERT_EQ(WaitForSingleObject(info.hProcess, 30000), WAIT_OBJECT_0);
  DWORD code = 0;
  GetExitCodeProcess(info.hProcess, &code);
  EXPECT_EQ(code, 2u);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  EXPECT_FALSE(RunProgram((testsupport::BinDir() + L"no-such-program.exe").c_str(), L"", nullptr));
}

TEST(Resources, FilterStringSplitAtBars) {
  const std::wstring filter = LoadFilterString(60000);
  const wchar_t expected[] = L"Text files (*.txt)\0*.txt\0All files (*.*)\0*.*\0";
  ASSERT_EQ(filter.size(), sizeof expected / sizeof(wchar_t));
  EXPECT_EQ(0, wmemcmp(filter.data(), expected, filter.size()));
}

TEST(Windows, StyleChangesOnlyWhenItDiffers) {
  HWND small = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 100, 60, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(small, nullptr);
  LONG_PTR style = GetWindowLongPtrW(small, GWL_STYLE);
  EXPECT_FALSE(ModifyWindowStyle(small, 0, WS_POPUP, 0));  // unchanged
  EXPECT_TRUE(ModifyWindowStyle(small, 0, WS_BORDER, SWP_FRAMECHANGED));
  EXPECT_EQ(GetWindowLongPtrW(small, GWL_STYLE), style | WS_BORDER);
  DestroyWindow(small);
}

TEST(Modules, ProcAddressLookUp) {
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  DWORD(WINAPI * tick)() = nullptr;
  EXPECT_TRUE(GetProcAddressTo(kernel, "GetTickCount", &tick));
  EXPECT_NE(tick, nullptr);
  EXPECT_FALSE(GetProcAddressTo(kernel, "NoSuchExportAnywhere", &tick));
  EXPECT_FALSE(GetProcAddressTo(static_cast<HMODULE>(nullptr), "GetTickCount", &tick));
}

}  // namespace
