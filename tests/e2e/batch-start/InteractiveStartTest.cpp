// The builder started without a definition file, while the main window and
// the start-method dialog are not part of it: single instance, per-user
// default file and the documented exit codes.
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

std::string ReadText(const std::wstring& path) {
  std::vector<uint8_t> bytes;
  if (!testsupport::ReadFileBytes(path, bytes)) return "";
  return std::string(bytes.begin(), bytes.end());
}

DWORD RunBuilder(const std::wstring& arguments) {
  const std::wstring builder = testsupport::BinPath(L"Vesmarin.exe");
  testsupport::ProcessResult result =
      testsupport::RunProcess(L"\"" + builder + L"\" " + arguments, 60000);
  EXPECT_TRUE(result.started);
  EXPECT_FALSE(result.timedOut);
  return result.exitCode;
}

// One test: every step needs the builder's mutex to itself.
TEST(InteractiveStart, SingleInstanceDefaultFileAndExitCodes) {
  const std::wstring perUser = PerUserDefinition();
  const std::wstring beside = testsupport::BinPath(L"Vesmarin.ini");
  DeleteFileW(perUser.c_str());
  DeleteFileW(beside.c_str());

  // No main window can be made: the run ends with 0; an archive argument
  // asks how to start, and that dialog cannot be made either: -1.
  EXPECT_EQ(RunBuilder(L""), 0u);
  EXPECT_EQ(RunBuilder(L"notes.txt"), 0u);
  EXPECT_EQ(RunBuilder(L"archive.cab"), static_cast<DWORD>(-1));

  // A file beside the program becomes the per-user file and is removed.
  ASSERT_TRUE(testsupport::WriteTextFile(beside, "[Vesmarin]\r\nDialogTitleE=Beside\r\n"));
  EXPECT_EQ(RunBuilder(L""), 0u);
  EXPECT_FALSE(testsupport::PathExists(beside));
  EXPECT_NE(ReadText(perUser).find("DialogTitleE=Beside"), std::string::npos);

  // A per-user file this builder wrote stays; the file beside goes anyway.
  ASSERT_TRUE(testsupport::WriteTextFile(perUser, "[Vesmarin]\r\nUseExtensionModuleFile=0\r\n"));
  ASSERT_TRUE(testsupport::WriteTextFile(beside, "[Vesmarin]\r\nDialogTitleE=Older\r\n"));
  EXPECT_EQ(RunBuilder(L""), 0u);
  EXPECT_FALSE(testsupport::PathExists(beside));
  EXPECT_EQ(ReadText(perUser), "[Vesmarin]\r\nUseExtensionModuleFile=0\r\n");

  // A second instance only brings the first one's window forward and ends
  // with 0 before it touches any definition file.
  HANDLE mutex = CreateMutexW(nullptr, FALSE, L"Vesmarin 6");
  ASSERT_NE(mutex, nullptr);
  HANDLE mapping =
      CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4, L"qx_boot_filemap");
  ASSERT_NE(mapping, nullptr);
  ASSERT_TRUE(testsupport::WriteTextFile(beside, "[Vesmarin]\r\nDialogTitleE=Second\r\n"));
  EXPECT_EQ(RunBuilder(L"proj.cab"), 0u);
  EXPECT_TRUE(testsupport::PathExists(beside));
  CloseHandle(mapping);
  CloseHandle(mutex);

  DeleteFileW(beside.c_str());
  DeleteFileW(perUser.c_str());
}

}  // namespace
