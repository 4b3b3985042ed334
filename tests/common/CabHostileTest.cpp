// Cabinets whose member names point outside the target folder.
#include <gtest/gtest.h>

#include "CabDecoder.h"
#include "CabTestHelpers.h"
#include "TestCabinet.h"
#include "TestSupport.h"

using testsupport::TempDir;
using testsupport::TestCabinet;

namespace {

std::wstring Unique(const wchar_t* stem) {
  return std::wstring(stem) + std::to_wstring(GetCurrentProcessId()) + L".txt";
}

}  // namespace

TEST(CabHostile, NamesThatLeaveTheTargetAreRefusedAndNothingIsWrittenOutside) {
  TempDir dir(L"hostile");
  wchar_t current[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, current);
  const std::wstring rootName = Unique(L"vesmarin-root-");
  const std::wstring driveName = Unique(L"vesmarin-drive-");
  const std::wstring relativeDriveName = Unique(L"vesmarin-reldrive-");
  const std::wstring tempFolder = dir.path().substr(0, dir.path().size() - 1);
  const std::wstring names[] = {
      L"..\\evil.txt",
      L"sub\\..\\..\\evil.txt",
      L"../evil.txt",
      L"sub/../../evil.txt",
      L".. \\evil.txt",
      L"...\\evil.txt",
      L"\\" + rootName,
      L"/" + rootName,
      L"C:\\" + driveName,
      L"C:" + relativeDriveName,
      dir.path() + L"absolute.txt",
      L"\\\\localhost\\C$\\" + driveName,
      L"\\\\?\\" + dir.path() + L"device.txt",
      L"good.txt:stream",
  };
  for (const std::wstring& name : names) {
    SCOPED_TRACE(testsupport::Narrow(name));
    TestCabinet cabinet;
    cabinet.Add(L"good.txt", "fine").Add(name, "evil");
    const std::wstring path = dir / L"hostile.cab";
    ASSERT_TRUE(cabinet.WriteTo(path));
    CCabDecoder decoder(false, 0);
    ASSERT_TRUE(decoder.Open(path.c_str(), 0));
    ArchiveItem item;
    decoder.FindFirst(&item);
    decoder.FindNext(&item);
    EXPECT_EQ(name, item.name);  // listed as stored

    const std::wstring target = dir / L"target\\deep\\";
    EXPECT_FALSE(decoder.ExtractAll(target.c_str(), nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(FDIERROR_TARGET_FILE, decoder.GetLastError().erfOper);
    EXPECT_FALSE(decoder.ExtractFile(name.c_str(), (dir / L"single.txt").c_str()));
    EXPECT_EQ(nullptr, decoder.ExtractToMemory(name.c_str(), nullptr));
    decoder.Close();

    // Only the good member below the target, and the cabinet itself.
    EXPECT_EQ((std::vector<std::wstring>{L"hostile.cab", L"target\\deep\\good.txt"}),
              cabtest::ListFiles(dir.path()));
    EXPECT_FALSE(testsupport::PathExists(std::wstring(current).substr(0, 3) + rootName));
    EXPECT_FALSE(testsupport::PathExists(L"C:\\" + driveName));
    EXPECT_FALSE(testsupport::PathExists(std::wstring(current) + L"\\" + relativeDriveName));
    EXPECT_FALSE(testsupport::PathExists(L"C:\\" + relativeDriveName));
    testsupport::RemoveTree(dir / L"target");
  }
}

TEST(CabHostile, SafeNameRules) {
  for (const wchar_t* name : {L"a.txt", L"sub\\a.txt", L"a\\b\\c\\d.bin", L".hidden",
                              L"a..b.txt", L"x\\.\\y.txt", L"..a\\b", L"\u65e5\u672c.txt"})
    EXPECT_TRUE(IsSafeArchiveItemName(name)) << testsupport::Narrow(name);
  for (const wchar_t* name : {L"", L"..", L"..\\a", L"a\\..", L"a\\..\\b", L"a/../b", L"\\a",
                              L"/a", L"\\\\server\\share\\a", L"\\\\?\\C:\\a", L"C:\\a",
                              L"C:a", L"a:b", L"... \\a", L"a\\. .\\b"})
    EXPECT_FALSE(IsSafeArchiveItemName(name)) << testsupport::Narrow(name);
  EXPECT_FALSE(IsSafeArchiveItemName(nullptr));
}

TEST(CabHostile, InsideFolderStopsAtAComponentBoundary) {
  EXPECT_TRUE(IsPathInsideFolder(L"C:\\App", L"C:\\App\\x.txt"));
  EXPECT_TRUE(IsPathInsideFolder(L"C:\\App\\", L"c:\\app\\sub\\x.txt"));
  EXPECT_TRUE(IsPathInsideFolder(L"C:\\", L"C:\\x.txt"));
  EXPECT_FALSE(IsPathInsideFolder(L"C:\\App", L"C:\\AppEvil\\x.txt"));
  EXPECT_FALSE(IsPathInsideFolder(L"C:\\App\\", L"C:\\AppEvil\\x.txt"));
  EXPECT_FALSE(IsPathInsideFolder(L"C:\\App", L"C:\\App"));
  EXPECT_FALSE(IsPathInsideFolder(L"C:\\App", L"C:\\App\\"));
  EXPECT_FALSE(IsPathInsideFolder(L"C:\\App", L"C:\\App\\..\\Other\\x.txt"));
  EXPECT_FALSE(IsPathInsideFolder(L"C:\\App", L"D:\\App\\x.txt"));
}
