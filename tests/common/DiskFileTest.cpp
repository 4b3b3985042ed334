// Names from outside must lead to files on a disk, and links inside an
// installation are seen for what they are.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "DiskFile.h"
#include "ReparsePoints.h"
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

TEST(ReparsePoints, PathsThroughALinkBelowTheRootAreSeen) {
  TempDir dir(L"rp");
  const std::wstring root = dir / L"root";
  const std::wstring elsewhere = dir / L"elsewhere";
  ASSERT_TRUE(CreateDirectoryW(root.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(elsewhere.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW((root + L"\\real").c_str(), nullptr));
  EXPECT_FALSE(vesmarin::PassesThroughReparsePoint(root.c_str(), (root + L"\\real\\a.txt").c_str()));
  EXPECT_FALSE(vesmarin::IsReparsePoint((root + L"\\real").c_str()));
  ASSERT_TRUE(testsupport::MakeFolderLink(root + L"\\link", elsewhere));
  EXPECT_TRUE(vesmarin::IsReparsePoint((root + L"\\link").c_str()));
  EXPECT_TRUE(vesmarin::PassesThroughReparsePoint(root.c_str(), (root + L"\\link\\a.txt").c_str()));
  EXPECT_TRUE(vesmarin::PassesThroughReparsePoint((root + L"\\").c_str(),
                                                  (root + L"\\LINK\\deeper\\").c_str()));
  // The link itself is not passed through, and outside the root nothing is.
  EXPECT_FALSE(vesmarin::PassesThroughReparsePoint(root.c_str(), (root + L"\\link").c_str()));
  EXPECT_FALSE(vesmarin::PassesThroughReparsePoint((root + L"\\real").c_str(),
                                                   (root + L"\\link\\a.txt").c_str()));
}

}  // namespace
