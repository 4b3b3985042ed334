// The calling contract with a publisher's module: layout, entry choice,
// ANSI conversion, results and faults.
#include <gtest/gtest.h>

#include <cstddef>
#include <string>

#include "ExtensionRecord.h"
#include "TestSupport.h"

namespace {

#ifdef _WIN64
static_assert(sizeof(ExtensionRecord) == 96, "64-bit record");
static_assert(offsetof(ExtensionRecord, reserved) == 8, "reserved");
static_assert(offsetof(ExtensionRecord, path) == 24, "path");
static_assert(offsetof(ExtensionRecord, dataFile) == 32, "dataFile");
static_assert(offsetof(ExtensionRecord, param4) == 64, "param4");
static_assert(offsetof(ExtensionRecord, hostExtractFile) == 80, "hostExtractFile");
#else
static_assert(sizeof(ExtensionRecord) == 52, "32-bit record");
static_assert(offsetof(ExtensionRecord, path) == 16, "path");
static_assert(offsetof(ExtensionRecord, hostExtractFile) == 44, "hostExtractFile");
#endif

class ExtensionCall : public ::testing::Test {
 protected:
  void SetUp() override {
    log_ = dir_ / L"events.txt";
    SetEnvironmentVariableW(L"VESMARIN_TESTEXT_LOG", log_.c_str());
  }
  void TearDown() override {
    UnloadExtensionModule();
    for (const wchar_t* name : {L"VESMARIN_TESTEXT_LOG", L"VESMARIN_TESTEXT_ANSWER_2000",
                                L"VESMARIN_TESTEXT_FAULT_2003"})
      SetEnvironmentVariableW(name, nullptr);
  }
  std::string Events() {
    std::vector<uint8_t> bytes;
    testsupport::ReadFileBytes(log_, bytes);
    return std::string(bytes.begin(), bytes.end());
  }
  testsupport::TempDir dir_{L"ext"};
  std::wstring log_;
};

TEST_F(ExtensionCall, NoModuleAnswersZeroWithoutCalling) {
  UnloadExtensionModule();
  EXPECT_FALSE(ExtensionModuleLoaded());
  EXPECT_EQ(SendExtensionEvent(ExtEventUninstallStart), 0);
  EXPECT_EQ(LoadExtensionModule((dir_ / L"missing.dll").c_str()), kExtensionNotLoadable);
  EXPECT_EQ(LoadExtensionModule(L""), kExtensionNotLoadable);
  // A library without either entry is refused and unloaded again.
  wchar_t kernel[MAX_PATH];
  GetSystemDirectoryW(kernel, MAX_PATH);
  lstrcatW(kernel, L"\\version.dll");
  EXPECT_EQ(LoadExtensionModule(kernel), kExtensionNoEntry);
  EXPECT_FALSE(ExtensionModuleLoaded());
}

TEST_F(ExtensionCall, ModuleWithBothEntriesGetsOnlyWideCalls) {
  ASSERT_EQ(LoadExtensionModule(testsupport::BinPath(L"stubext_both.dll").c_str()), kExtensionLoaded);
  EXPECT_TRUE(ExtensionUsesWideEntry());
  SetExtensionRecordBase(nullptr, L"Product ü", L"C:\\Setup.exe", nullptr, nullptr, nullptr);
  SetEnvironmentVariableW(L"VESMARIN_TESTEXT_ANSWER_2000", L"7");
  EXPECT_EQ(SendExtensionEvent(ExtEventUninstallStart), 7);
  EXPECT_EQ(SendExtensionEvent(ExtEventUninstallQueryReboot, 1), 0);
  EXPECT_EQ(LastExtensionEvent(), static_cast<uint32_t>(ExtEventUninstallQueryReboot));
  std::string events = Events();
  EXPECT_NE(events.find("event=2000 size=" + std::to_string(sizeof(ExtensionRecord)) + " wide=1"),
            std::string::npos);
  EXPECT_NE(events.find("event=2002 size=" + std::to_string(sizeof(ExtensionRecord)) +
                        " wide=1 p1=1"),
            std::string::npos);
  EXPECT_EQ(events.find("wide=0"), std::string::npos);
  EXPECT_STREQ(static_cast<const wchar_t*>(ExtensionRecordInUse()->title), L"Product ü");
  EXPECT_EQ(ExtensionRecordInUse()->dataFile, nullptr);
}

TEST_F(ExtensionCall, AnsiModuleReceivesTextInTheCodePage) {
  ASSERT_EQ(LoadExtensionModule(testsupport::BinPath(L"stubext_ansi.dll").c_str()), kExtensionLoaded);
  EXPECT_FALSE(ExtensionUsesWideEntry());
  SetExtensionRecordBase(nullptr, L"Title \x65E5", L"C:\\Setup.exe", L"C:\\data.dat", nullptr, nullptr);
  // The record in use holds the texts in the code page, not the caller's.
  const char* title = static_cast<const char*>(ExtensionRecordInUse()->title);
  ASSERT_NE(title, nullptr);
  // A character outside the code page arrives as its replacement.
  char expected[64];
  ToThreadAnsi(L"Title \x65E5", expected, sizeof(expected));
  EXPECT_STREQ(title, expected);
  EXPECT_STREQ(static_cast<const char*>(ExtensionRecordInUse()->path), "C:\\Setup.exe");
  EXPECT_EQ(SendExtensionEvent(ExtEventUninstallEnd), 0);
  EXPECT_NE(Events().find("event=2001 size=" + std::to_string(sizeof(ExtensionRecord)) + " wide=0"),
            std::string::npos);
}

TEST_F(ExtensionCall, FaultInTheModuleCountsAsResultOne) {
  ASSERT_EQ(LoadExtensionModule(testsupport::BinPath(L"stubext_both.dll").c_str()), kExtensionLoaded);
  SetExtensionRecordBase(nullptr, L"T", L"P", nullptr, nullptr, nullptr);
  SetEnvironmentVariableW(L"VESMARIN_TESTEXT_FAULT_2003", L"1");
  EXPECT_EQ(SendExtensionEvent(ExtEventUninstallBeforeRemove), kExtensionResultException);
  // The host goes on calling afterwards.
  EXPECT_EQ(SendExtensionEvent(ExtEventUninstallEnd), 0);
}

TEST(ThreadAnsi, CutsToTheCapacity) {
  char small[4];
  ToThreadAnsi(L"abcdef", small, sizeof(small));
  EXPECT_STREQ(small, "abc");
  wchar_t wide[4];
  FromThreadAnsi("abcdef", wide, 4);
  EXPECT_STREQ(wide, L"abc");
  FromThreadAnsi(nullptr, wide, 4);
  EXPECT_STREQ(wide, L"");
}

}  // namespace
