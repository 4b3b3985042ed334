// CCabDecoder on hand-made cabinets: listing and extraction, member names
// that point outside the target folder, and member times.
#include <gtest/gtest.h>

#include <cstdlib>

#include "CabDecoder.h"
#include "CabTestHelpers.h"
#include "TestCabinet.h"
#include "TestSupport.h"

using cabtest::PutFile;
using cabtest::ReadText;
using testsupport::DosDate;
using testsupport::DosTime;
using testsupport::TempDir;
using testsupport::TestCabinet;

namespace {

std::wstring Write(const TempDir& dir, const TestCabinet& cabinet, const wchar_t* name) {
  std::wstring path = dir / name;
  EXPECT_TRUE(cabinet.WriteTo(path));
  return path;
}

std::string BlockText(HGLOBAL block, DWORD size) {
  std::string text(static_cast<const char*>(GlobalLock(block)), size);
  GlobalUnlock(block);
  return text;
}

// Records every callback and answers as told.
struct Script {
  std::vector<std::wstring> checked;   // item names seen by the item check
  std::vector<std::wstring> written;   // destinations seen after writing
  std::wstring folderSeen;
  std::wstring skipName;               // before-write clears the flag
  std::wstring stopCheckAt;            // item check answers 0
  std::wstring stopBeforeAt;           // before-write answers 0
  std::wstring stopAfterAt;            // after-write answers 0
  std::wstring redirectName;           // item check replaces the destination
  std::wstring redirectTo;
  std::wstring nestedCabinet;          // after-write reads another item
  uint64_t nestedOffset = 0;
  std::string nestedText;
};

BOOL Check(const ArchiveItem* item, const wchar_t* folder, const wchar_t* name,
           wchar_t* destination, void* user) {
  Script* script = static_cast<Script*>(user);
  script->checked.push_back(name);
  script->folderSeen = folder;
  EXPECT_STREQ(item->name, name);
  EXPECT_EQ(std::wstring(folder) + name, destination);
  if (script->redirectName == name) wcscpy(destination, script->redirectTo.c_str());
  return script->stopCheckAt != name;
}

BOOL Before(BOOL* extract, const ArchiveItem* item, const wchar_t*, void* user) {
  Script* script = static_cast<Script*>(user);
  EXPECT_EQ(TRUE, *extract);
  if (script->skipName == item->name) *extract = FALSE;
  return script->stopBeforeAt != item->name;
}

BOOL After(BOOL*, const ArchiveItem* item, const wchar_t* destination, void* user) {
  Script* script = static_cast<Script*>(user);
  script->written.push_back(destination);
  if (!script->nestedCabinet.empty()) {
    // A second decoder on the same file while the first one is extracting.
    CCabDecoder second(false, 0);
    if (second.Open(script->nestedCabinet.c_str(), script->nestedOffset)) {
      DWORD size = 0;
      HGLOBAL block = second.ExtractToMemory(L"sub\\b.txt", &size);
      if (block) {
        script->nestedText = BlockText(block, size);
        GlobalFree(block);
      }
    }
  }
  return script->stopAfterAt != item->name;
}

TestCabinet ThreeFiles() {
  TestCabinet cabinet;
  cabinet.Add(L"a.txt", "aaa").Add(L"sub\\b.txt", "bbbb").Add(L"c.txt", "c");
  return cabinet;
}

}  // namespace

TEST(CabExtract, ListingWalkAndLookup) {
  TempDir dir(L"list");
  TestCabinet cabinet = ThreeFiles();
  cabinet.Add(L"readme.txt", "r", 0xFF & ~0x80);
  const std::wstring path = Write(dir, cabinet, L"list.cab");
  CCabDecoder decoder(false, 0);
  ArchiveItem item;
  EXPECT_EQ(0, decoder.Close());
  EXPECT_EQ(0, decoder.FindFirst(&item));
  EXPECT_TRUE(decoder.IsArchive(path.c_str()));
  ASSERT_TRUE(decoder.Open(path.c_str(), 0));
  EXPECT_EQ(4, decoder.GetItemCount());
  ASSERT_EQ(1, decoder.FindFirst(&item));
  EXPECT_STREQ(L"a.txt", item.name);
  ASSERT_EQ(1, decoder.FindNext(&item));
  EXPECT_STREQ(L"sub\\b.txt", item.name);
  ASSERT_EQ(1, decoder.FindNext(&item));
  ASSERT_EQ(1, decoder.FindNext(&item));
  EXPECT_STREQ(L"readme.txt", item.name);
  EXPECT_EQ(0x27u, item.attributes);  // every other attribute bit is dropped
  EXPECT_EQ(0, decoder.FindNext(&item));
  ASSERT_EQ(1, decoder.FindFirst(&item));  // FindFirst starts over
  EXPECT_STREQ(L"a.txt", item.name);
  EXPECT_TRUE(decoder.Contains(L"README.TXT"));
  EXPECT_TRUE(decoder.Contains(L"Sub\\B.txt"));
  EXPECT_FALSE(decoder.Contains(L"b.txt"));
  EXPECT_NE(0, decoder.Close());
  EXPECT_EQ(0, decoder.GetItemCount());
  EXPECT_EQ(0, decoder.Close());
}

TEST(CabExtract, NamesWithoutTheUtf8AttributeUseTheAnsiCodePage) {
  TempDir dir(L"ansi");
  TestCabinet cabinet;
  cabinet.AddRaw("caf\xe9.txt", "ansi", 0x20);
  cabinet.AddRaw("caf\xc3\xa9.txt", "utf8", 0xA0);
  const std::wstring path = Write(dir, cabinet, L"names.cab");
  CCabDecoder decoder(false, 0);
  ASSERT_TRUE(decoder.Open(path.c_str(), 0));
  ArchiveItem item;
  ASSERT_EQ(1, decoder.FindFirst(&item));
  wchar_t expected[32];
  MultiByteToWideChar(CP_ACP, 0, "caf\xe9.txt", -1, expected, 32);
  EXPECT_STREQ(expected, item.name);
  EXPECT_FALSE(item.nameWasUtf8);
  EXPECT_EQ(0x20u, item.attributes);
  ASSERT_EQ(1, decoder.FindNext(&item));
  EXPECT_STREQ(L"caf\u00e9.txt", item.name);
  EXPECT_TRUE(item.nameWasUtf8);
}

TEST(CabExtract, NotACabinet) {
  TempDir dir(L"not");
  const std::wstring text = PutFile(dir, L"plain.txt", "MSCF but not really a cabinet at all");
  CCabDecoder decoder(false, 0);
  EXPECT_FALSE(decoder.IsArchive(text.c_str()));
  EXPECT_FALSE(decoder.Open(text.c_str(), 0));
  EXPECT_FALSE(decoder.Open((dir / L"missing.cab").c_str(), 0));
  EXPECT_EQ(0, decoder.GetItemCount());
  EXPECT_FALSE(decoder.ExtractFile(L"x", (dir / L"x").c_str()));
}

TEST(CabExtract, ExtractFileMatchesIgnoringCaseAndFailsWithoutAMatch) {
  TempDir dir(L"one");
  const std::wstring path = Write(dir, ThreeFiles(), L"one.cab");
  CCabDecoder decoder(false, 0);
  ASSERT_TRUE(decoder.Open(path.c_str(), 0));
  EXPECT_TRUE(decoder.ExtractFile(L"SUB\\B.TXT", (dir / L"b.out").c_str()));
  EXPECT_EQ("bbbb", ReadText(dir / L"b.out"));
  EXPECT_FALSE(decoder.ExtractFile(L"b.txt", (dir / L"none.out").c_str()));
  EXPECT_FALSE(testsupport::PathExists(dir / L"none.out"));
  // A destination that cannot be created.
  CreateDirectoryW((dir / L"folder").c_str(), nullptr);
  EXPECT_FALSE(decoder.ExtractFile(L"a.txt", (dir / L"folder").c_str()));
}

TEST(CabExtract, ExtractToMemoryGivesTheItemAndNothingForEmptyOrMissing) {
  TempDir dir(L"mem");
  TempDir temporary(L"memtmp");
  TestCabinet cabinet = ThreeFiles();
  cabinet.Add(L"empty.txt", "");
  const std::wstring path = Write(dir, cabinet, L"mem.cab");
  cabtest::TempFolderOverride override(temporary.path());
  CCabDecoder decoder(false, 0);
  ASSERT_TRUE(decoder.Open(path.c_str(), 0));
  DWORD size = 99;
  HGLOBAL block = decoder.ExtractToMemory(L"sub\\B.txt", &size);
  ASSERT_NE(nullptr, block);
  EXPECT_EQ(4u, size);
  EXPECT_EQ(4u, GlobalSize(block));
  EXPECT_EQ("bbbb", BlockText(block, size));
  GlobalFree(block);
  size = 99;
  EXPECT_EQ(nullptr, decoder.ExtractToMemory(L"empty.txt", &size));
  EXPECT_EQ(0u, size);
  // On disk the empty item is an empty file.
  EXPECT_TRUE(decoder.ExtractFile(L"empty.txt", (dir / L"empty.out").c_str()));
  EXPECT_TRUE(testsupport::PathExists(dir / L"empty.out"));
  EXPECT_EQ("", ReadText(dir / L"empty.out"));
  const DWORD start = GetTickCount();
  size = 99;
  EXPECT_EQ(nullptr, decoder.ExtractToMemory(L"absent.txt", &size));
  EXPECT_EQ(0u, size);
  EXPECT_LT(GetTickCount() - start, 900u);  // no retries for a member that is not there
  EXPECT_TRUE(cabtest::ListFiles(temporary.path()).empty());
}

TEST(CabExtract, ExtractAllRunsTheCallbacksInOrder) {
  TempDir dir(L"all");
  const std::wstring path = Write(dir, ThreeFiles(), L"all.cab");
  CCabDecoder decoder(false, 0);
  ASSERT_TRUE(decoder.Open(path.c_str(), 0));
  Script script;
  script.skipName = L"c.txt";
  script.redirectName = L"a.txt";
  script.redirectTo = dir / L"elsewhere\\moved.txt";
  const std::wstring target = dir / L"target\\";
  ASSERT_TRUE(decoder.ExtractAll(target.c_str(), Before, After, Check, &script));
  EXPECT_EQ(target, script.folderSeen);
  EXPECT_EQ((std::vector<std::wstring>{L"a.txt", L"sub\\b.txt", L"c.txt"}), script.checked);
  EXPECT_EQ((std::vector<std::wstring>{dir / L"elsewhere\\moved.txt", target + L"sub\\b.txt"}),
            script.written);
  EXPECT_EQ("aaa", ReadText(dir / L"elsewhere\\moved.txt"));
  EXPECT_EQ((std::vector<std::wstring>{L"sub\\b.txt"}), cabtest::ListFiles(target));
}

TEST(CabExtract, StopsAreReportedThroughTheErrorRecord) {
  TempDir dir(L"stop");
  const std::wstring path = Write(dir, ThreeFiles(), L"stop.cab");
  CCabDecoder decoder(false, 0);
  ASSERT_TRUE(decoder.Open(path.c_str(), 0));
  struct Case {
    const wchar_t* check;
    const wchar_t* before;
    const wchar_t* after;
    int oper;
    size_t written;
  } cases[] = {
      {L"sub\\b.txt", L"", L"", FDIERROR_TARGET_FILE, 1},
      {L"", L"sub\\b.txt", L"", FDIERROR_TARGET_FILE, 1},
      {L"", L"", L"a.txt", FDIERROR_USER_ABORT, 1},
  };
  int index = 0;
  for (const Case& c : cases) {
    Script script;
    script.stopCheckAt = c.check;
    script.stopBeforeAt = c.before;
    script.stopAfterAt = c.after;
    const std::wstring target = dir / (L"t" + std::to_wstring(index++) + L"\\");
    EXPECT_FALSE(decoder.ExtractAll(target.c_str(), Before, After, Check, &script));
    const ERF error = decoder.GetLastError();
    EXPECT_TRUE(error.fError);
    EXPECT_EQ(c.oper, error.erfOper) << index;
    EXPECT_EQ(c.written, script.written.size()) << index;
  }
  // An output file that cannot be created: a folder stands in its place.
  const std::wstring target = dir / L"blocked\\";
  CreateDirectoryW(target.c_str(), nullptr);
  CreateDirectoryW((target + L"a.txt").c_str(), nullptr);
  EXPECT_FALSE(decoder.ExtractAll(target.c_str(), nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(FDIERROR_TARGET_FILE, decoder.GetLastError().erfOper);
  // A destination of 260 characters or more.
  TestCabinet deep;
  deep.Add(std::wstring(200, L'd') + L"\\" + std::wstring(60, L'f'), "x");
  const std::wstring deepPath = dir / L"deep.cab";
  ASSERT_TRUE(deep.WriteTo(deepPath));
  CCabDecoder deepDecoder(false, 0);
  ASSERT_TRUE(deepDecoder.Open(deepPath.c_str(), 0));
  EXPECT_FALSE(deepDecoder.ExtractAll((dir / L"long\\").c_str(), nullptr, nullptr, nullptr,
                                      nullptr));
  EXPECT_EQ(FDIERROR_TARGET_FILE, deepDecoder.GetLastError().erfOper);
  EXPECT_FALSE(testsupport::PathExists(dir / L"long"));
  // The decoder stays usable.
  EXPECT_TRUE(decoder.ExtractAll((dir / L"fine\\").c_str(), nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(3u, cabtest::ListFiles(dir / L"fine\\").size());
}

TEST(CabExtract, ASecondDecoderReadsTheSameFileDuringAnExtraction) {
  TempDir dir(L"nest");
  const std::vector<uint8_t> prefix(4096, 0x11);
  const std::wstring path = dir / L"stub.bin";
  ASSERT_TRUE(ThreeFiles().WriteTo(path, prefix));
  CCabDecoder decoder(false, 0);
  ASSERT_TRUE(decoder.Open(path.c_str(), prefix.size()));
  Script script;
  script.nestedCabinet = path;
  script.nestedOffset = prefix.size();
  ASSERT_TRUE(decoder.ExtractAll((dir / L"out\\").c_str(), Before, After, Check, &script));
  EXPECT_EQ("bbbb", script.nestedText);
  EXPECT_EQ(3u, cabtest::ListFiles(dir / L"out\\").size());
}

// --- Cabinets whose member names point outside the target folder. ---------

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

// The rule every extraction applies before it writes, and the builder with
// the shortest folder: the place below the folder, or why there is none.
TEST(CabHostile, PlaceOfAMemberBelowItsFolder) {
  wchar_t combined[MAX_PATH] = {};
  EXPECT_EQ(PlaceArchiveItem(L"C:\\App\\", L"sub\\a.txt", combined), ArchiveItemPlace::kInside);
  EXPECT_STREQ(combined, L"C:\\App\\sub\\a.txt");
  for (const wchar_t* name : {L"..\\a", L"C:\\a", L"\\a", L"a:b", L"CON", L"sub\\Nul.txt",
                              L"aux\\a.txt", L"com9.log", L"a|b", L"a?b", L"a\tb", L"<a>",
                              L"a/b.txt", L"sub\\a/b"})
    EXPECT_EQ(PlaceArchiveItem(L"C:\\App\\", name, nullptr), ArchiveItemPlace::kUnsafe)
        << testsupport::Narrow(name);
  const std::wstring part(255, L'p');
  EXPECT_EQ(PlaceArchiveItem(kShortestExtractFolder, part.c_str(), nullptr), ArchiveItemPlace::kInside);
  EXPECT_EQ(PlaceArchiveItem(kShortestExtractFolder, (part + L"p").c_str(), nullptr),
            ArchiveItemPlace::kTooLong);
  // 259 characters in all is the most a path can have.
  const std::wstring folder = L"C:\\" + std::wstring(200, L'f') + L"\\";
  const std::wstring fits(259 - folder.size(), L'n');
  EXPECT_EQ(PlaceArchiveItem(folder.c_str(), fits.c_str(), nullptr), ArchiveItemPlace::kInside);
  EXPECT_EQ(PlaceArchiveItem(folder.c_str(), (fits + L"n").c_str(), nullptr),
            ArchiveItemPlace::kTooLong);
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

// --- Member times: DOS date and time to UTC, with and without the bias. ---

namespace {

SYSTEMTIME Utc(const FILETIME& time) {
  SYSTEMTIME out = {};
  FileTimeToSystemTime(&time, &out);
  return out;
}

ULONGLONG Ticks(const FILETIME& time) {
  return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// The stored wall-clock time as if it were UTC.
ULONGLONG StoredTicks(WORD date, WORD time) {
  FILETIME stored;
  DosDateTimeToFileTime(date, time, &stored);
  return Ticks(stored);
}

const ULONGLONG kHour = 3600ULL * 10000000ULL;

}  // namespace

TEST(CabTime, BiasShiftsTheStoredTimeToUtc) {
  FILETIME utc;
  ASSERT_TRUE(CabTimeToFileTime(DosDate(2021, 3, 4), DosTime(12, 0, 0), true, 9, &utc));
  SYSTEMTIME st = Utc(utc);
  EXPECT_EQ(2021, st.wYear);
  EXPECT_EQ(3, st.wMonth);
  EXPECT_EQ(4, st.wDay);
  EXPECT_EQ(3, st.wHour);
  EXPECT_EQ(0, st.wMinute);

  ASSERT_TRUE(CabTimeToFileTime(DosDate(2021, 12, 31), DosTime(22, 30, 10), true, -5, &utc));
  st = Utc(utc);
  EXPECT_EQ(2022, st.wYear);
  EXPECT_EQ(1, st.wMonth);
  EXPECT_EQ(1, st.wDay);
  EXPECT_EQ(3, st.wHour);
  EXPECT_EQ(30, st.wMinute);
  EXPECT_EQ(10, st.wSecond);

  ASSERT_TRUE(CabTimeToFileTime(DosDate(2021, 7, 1), DosTime(8, 0, 0), true, 0, &utc));
  EXPECT_EQ(StoredTicks(DosDate(2021, 7, 1), DosTime(8, 0, 0)), Ticks(utc));
}

TEST(CabTime, WithoutBiasTheStoredTimeIsLocalTime) {
  const WORD date = DosDate(2019, 1, 20);
  const WORD time = DosTime(6, 15, 0);
  FILETIME utc;
  ASSERT_TRUE(CabTimeToFileTime(date, time, false, 9, &utc));
  FILETIME local;
  ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
  EXPECT_EQ(StoredTicks(date, time), Ticks(local));
}

TEST(CabTime, DecoderAppliesItsBiasOnlyWhenSwitchedOn) {
  TempDir dir(L"time");
  testsupport::TestCabinet cabinet;
  cabinet.Add(L"noon.txt", "n", 0x20, DosDate(2022, 8, 1), DosTime(12, 0, 0));
  const std::wstring path = dir / L"time.cab";
  ASSERT_TRUE(cabinet.WriteTo(path));

  CCabDecoder biased(true, 9);
  ASSERT_TRUE(biased.Open(path.c_str(), 0));
  ArchiveItem item;
  ASSERT_EQ(1, biased.FindFirst(&item));
  EXPECT_EQ(StoredTicks(DosDate(2022, 8, 1), DosTime(12, 0, 0)) - 9 * kHour, Ticks(item.time));
  // The written file carries the item's time.
  ASSERT_TRUE(biased.ExtractFile(L"noon.txt", (dir / L"noon.txt").c_str()));
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  ASSERT_TRUE(GetFileAttributesExW((dir / L"noon.txt").c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(Ticks(item.time), Ticks(data.ftLastWriteTime));

  // Switched off, the bias given is ignored.
  CCabDecoder plain(false, 9);
  ASSERT_TRUE(plain.Open(path.c_str(), 0));
  ASSERT_EQ(1, plain.FindFirst(&item));
  FILETIME expected;
  CabTimeToFileTime(DosDate(2022, 8, 1), DosTime(12, 0, 0), false, 0, &expected);
  EXPECT_EQ(Ticks(expected), Ticks(item.time));
}

// The biased conversion gives the same exact shift in winter and in summer,
// whatever the reading machine's zone and season. CTest runs this test a
// second time in a zone with daylight saving (see CMakeLists.txt), where
// VESMARIN_EXPECT_ZONE_DST asks to confirm that zone is in effect.
TEST(CabTime, BiasIgnoresTheReadersDaylightSaving) {
  if (_wgetenv(L"VESMARIN_EXPECT_ZONE_DST")) {
    TIME_ZONE_INFORMATION zone;
    GetTimeZoneInformation(&zone);
    // Central European Time: one hour east of UTC, two in summer.
    ASSERT_EQ(-60, zone.Bias) << "the zone asked for is not in effect";
    ASSERT_EQ(-60, zone.DaylightBias);
  }
  for (WORD month : {1, 7}) {
    const WORD date = DosDate(2023, month, 15);
    const WORD time = DosTime(12, 0, 0);
    FILETIME utc;
    ASSERT_TRUE(CabTimeToFileTime(date, time, true, 9, &utc));
    EXPECT_EQ(StoredTicks(date, time) - 9 * kHour, Ticks(utc)) << "month " << month;
    ASSERT_TRUE(CabTimeToFileTime(date, time, true, -3, &utc));
    EXPECT_EQ(StoredTicks(date, time) + 3 * kHour, Ticks(utc)) << "month " << month;
  }
}
