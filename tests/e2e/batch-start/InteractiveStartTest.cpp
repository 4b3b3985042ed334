// The builder started without a definition file while another instance
// runs.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>

#include "TestSupport.h"

namespace {

std::wstring PerUserDefinition() {
  wchar_t folder[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
  return std::wstring(folder) + L"\\Kelvadon\\Vesmarin 6\\Vesmarin.ini";
}

DWORD RunBuilder(const std::wstring& arguments) {
  const std::wstring builder = testsupport::BinPath(L"Vesmarin.exe");
  testsupport::ProcessResult result =
      testsupport::RunProcess(L"\"" + builder + L"\" " + arguments, 60000);
  EXPECT_TRUE(result.started);
  EXPECT_FALSE(result.timedOut);
  return result.exitCode;
}

// A second interactive start while another instance holds the builder's
// mutex: it ends with 0 at once, whatever its arguments, before it shows a
// window or touches any definition file. (The first instance's own window
// and start-up are driven in tests/e2e/builder-window.)
TEST(InteractiveStart, SecondInstanceEndsAtOnce) {
  const std::wstring perUser = PerUserDefinition();
  const std::wstring beside = testsupport::BinPath(L"Vesmarin.ini");
  DeleteFileW(perUser.c_str());
  DeleteFileW(beside.c_str());

  // A second instance only brings the first one's window forward and ends
  // with 0 before it touches any definition file.
  HANDLE mutex = CreateMutexW(nullptr, FALSE, L"Vesmarin 6");
  ASSERT_NE(mutex, nullptr);
  HANDLE mapping =
      CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4, L"qx_boot_filemap");
  ASSERT_NE(mapping, nullptr);
  ASSERT_TRUE(testsupport::WriteTextFile(beside, "[Vesmarin]\r\nDialogTitleE=Second\r\n"));
  EXPECT_EQ(RunBuilder(L"proj.cab"), 0u);
  EXPECT_EQ(RunBuilder(L""), 0u);
  EXPECT_EQ(RunBuilder(L"notes.txt"), 0u);
  EXPECT_TRUE(testsupport::PathExists(beside));
  EXPECT_FALSE(testsupport::PathExists(perUser));
  CloseHandle(mapping);
  CloseHandle(mutex);

  DeleteFileW(beside.c_str());
  DeleteFileW(perUser.c_str());
}

}  // namespace
