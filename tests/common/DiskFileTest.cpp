// Names from outside must lead to files on a disk.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "DiskFile.h"
#include "TestSupport.h"

namespace {

using testsupport::TempDir;

TEST(DiskFile, DevicesAreRefusedBeforeAnyRead) {
  for (const wchar_t* device : {L"COM1", L"com1.txt", L"CON", L"NUL", L"LPT1", L"C:\\any\\aux.cab",
                                L"\\\\.\\COM1", L"CONIN$"}) {
    SCOPED_TRACE(testsupport::Narrow(device));
    EXPECT_FALSE(vesmarin::MayNameDiskFile(device) && vesmarin::NamesDiskFile(device));
    HANDLE file = vesmarin::OpenDiskFile(device, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    EXPECT_EQ(file, INVALID_HANDLE_VALUE);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  }
}

TEST(DiskFile, FilesOnDiskOpen) {
  TempDir dir(L"df");
  const std::wstring path = dir / L"plain.txt";
  ASSERT_TRUE(testsupport::WriteTextFile(path, "text"));
  EXPECT_TRUE(vesmarin::NamesDiskFile(path.c_str()));
  HANDLE file = vesmarin::OpenRegularFile(path.c_str(), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(vesmarin::IsRegularFile(file));
  CloseHandle(file);
  // A folder is no regular file, and a missing file stays missing.
  EXPECT_EQ(vesmarin::OpenRegularFile(dir.path().c_str(), GENERIC_READ, FILE_SHARE_READ,
                                      OPEN_EXISTING),
            INVALID_HANDLE_VALUE);
  EXPECT_FALSE(vesmarin::NamesDiskFile((dir / L"missing.txt").c_str()));
}

// The decoder tells a new file from a replaced one by the last error that
// the open leaves.
TEST(DiskFile, CreateLeavesWhetherTheFileWasThere) {
  TempDir dir(L"dfc");
  const std::wstring path = dir / L"made.txt";
  for (const DWORD expected : {DWORD(0), DWORD(ERROR_ALREADY_EXISTS)}) {
    SetLastError(ERROR_INVALID_FUNCTION);
    HANDLE file = vesmarin::OpenDiskFile(path.c_str(), GENERIC_WRITE, 0, CREATE_ALWAYS);
    const DWORD error = GetLastError();
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    EXPECT_EQ(error, expected);
  }
}

}  // namespace
