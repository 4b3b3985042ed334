// Cabinets written by CCabEncoder and read back by CCabDecoder.
#include <gtest/gtest.h>

#include <fci.h>

#include <algorithm>
#include <cstdlib>

#include "CabDecoder.h"
#include "CabEncoder.h"
#include "CabTestHelpers.h"
#include "TestCabinet.h"
#include "TestSupport.h"

using cabtest::PutFile;
using cabtest::ReadText;
using testsupport::TempDir;

namespace {

std::string Pattern(size_t size, uint32_t seed) {
  std::string out(size, '\0');
  for (char& c : out) {
    seed = seed * 1103515245u + 12345u;
    c = static_cast<char>(seed >> 16);
  }
  return out;
}

uint16_t FirstFolderCompression(const std::wstring& cabinet) {
  std::vector<uint8_t> bytes;
  testsupport::CabinetSummary summary;
  if (!testsupport::ReadFileBytes(cabinet, bytes) ||
      !testsupport::ReadCabinetSummary(bytes, &summary) || summary.folderCompression.empty())
    return 0xFFFF;
  return summary.folderCompression[0];
}

// Windows writes LZX with the 2^21 window; Wine's FCI stores the data
// instead when asked for LZX.
bool IsLzxOrStored(uint16_t compression) { return compression == 0x1503 || compression == 0; }

bool IsWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

ULONGLONG Ticks(const FILETIME& time) {
  return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FILETIME LastWrite(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
  return data.ftLastWriteTime;
}

std::vector<std::wstring> ListItems(CCabDecoder& decoder) {
  std::vector<std::wstring> names;
  ArchiveItem item;
  for (int more = decoder.FindFirst(&item); more; more = decoder.FindNext(&item))
    names.push_back(item.name);
  return names;
}

struct ProgressLog {
  std::vector<std::wstring> sources;
  ULONG lastTotal = 0;
  ULONG lastSize = 0;
  int calls = 0;
  int answerZeroAt = -1;  // call index that aborts, -1 never
};

BOOL RecordProgress(const wchar_t* source, ULONG total, ULONG size, void* user) {
  ProgressLog* log = static_cast<ProgressLog*>(user);
  if (log->sources.empty() || log->sources.back() != source) log->sources.push_back(source);
  log->lastTotal = total;
  log->lastSize = size;
  return log->calls++ == log->answerZeroAt ? FALSE : TRUE;
}

}  // namespace

TEST(CabRoundTrip, NamesFoldersAndTimesComeBack) {
  TempDir dir(L"rt");
  const std::string big = Pattern(100000, 7);  // more than one data block
  struct Source {
    std::wstring file;
    std::wstring stored;
    std::string content;
  } sources[] = {
      {L"src\\readme.txt", L"readme.txt", "read me first\r\n"},
      {L"src\\d1.txt", L"docs\\\u65e5\u672c\u8a9e.txt", "nihongo"},
      {L"src\\deep.bin", L"a\\b\\c\\deep.bin", big},
      {L"src\\u.txt", L"caf\u00e9\\\u00fc\u00df.txt", "umlaut"},
  };
  CCabEncoder encoder;
  for (const Source& source : sources) {
    std::wstring path = PutFile(dir, source.file, source.content);
    EXPECT_TRUE(encoder.AddFile(path.c_str(), source.stored.c_str()));
  }
  SetFileAttributesW((dir / L"src\\readme.txt").c_str(),
                     FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  const std::wstring cabinet = dir / L"out.cab";
  ASSERT_TRUE(encoder.CreateCabinet(cabinet.c_str()))
      << encoder.GetLastError().erfOper << "-" << encoder.GetLastError().erfType;
  SetFileAttributesW((dir / L"src\\readme.txt").c_str(), FILE_ATTRIBUTE_NORMAL);

  CCabDecoder decoder(false, 0);
  ASSERT_TRUE(decoder.Open(cabinet.c_str(), 0));
  ASSERT_EQ(4, decoder.GetItemCount());
  ArchiveItem item;
  ASSERT_EQ(1, decoder.FindFirst(&item));
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(sources[i].stored, item.name);
    EXPECT_TRUE(item.nameWasUtf8) << i;
    EXPECT_EQ(0u, item.attributes & ~0x27u);
    // DOS times keep two-second steps.
    const FILETIME source = LastWrite(dir / sources[i].file);
    const LONGLONG difference =
        static_cast<LONGLONG>(Ticks(item.time)) - static_cast<LONGLONG>(Ticks(source));
    EXPECT_LE(std::llabs(difference), 20000000LL) << i;
    const int more = decoder.FindNext(&item);
    EXPECT_EQ(i < 3 ? 1 : 0, more);
  }
  decoder.FindFirst(&item);
  EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN),
            item.attributes & 0x7);

  const std::wstring target = dir / L"target\\";
  ASSERT_TRUE(decoder.ExtractAll(target.c_str(), nullptr, nullptr, nullptr, nullptr));
  for (const Source& source : sources) {
    EXPECT_EQ(source.content, ReadText(target + source.stored));
  }
  EXPECT_EQ(4u, cabtest::ListFiles(target).size());
  decoder.FindFirst(&item);
  EXPECT_EQ(Ticks(item.time), Ticks(LastWrite(target + L"readme.txt")));
}

TEST(CabRoundTrip, AnEmptyFileComesBackEmpty) {
  TempDir dir(L"empty");
  CCabEncoder encoder;
  encoder.AddFile(PutFile(dir, L"full.txt", "content").c_str(), L"full.txt");
  encoder.AddFile(PutFile(dir, L"empty.txt", "").c_str(), L"sub\\empty.txt");
  const std::wstring cabinet = dir / L"e.cab";
  if (!encoder.CreateCabinet(cabinet.c_str()) && IsWine()) {
    // Wine's FCI gives every file added with LZX a folder of its own and
    // cannot write a folder without data (FCIERR_CAB_FILE).
    EXPECT_EQ(FCIERR_CAB_FILE, encoder.GetLastError().erfOper);
    GTEST_SKIP() << "Wine's FCI cannot store an empty file asked for LZX";
  }
  CCabDecoder decoder(false, 0);
  ASSERT_TRUE(decoder.Open(cabinet.c_str(), 0));
  EXPECT_EQ((std::vector<std::wstring>{L"full.txt", L"sub\\empty.txt"}), ListItems(decoder));
  const std::wstring target = dir / L"out\\";
  ASSERT_TRUE(decoder.ExtractAll(target.c_str(), nullptr, nullptr, nullptr, nullptr));
  EXPECT_TRUE(testsupport::PathExists(target + L"sub\\empty.txt"));
  EXPECT_EQ("", ReadText(target + L"sub\\empty.txt"));
}

TEST(CabRoundTrip, OnlyOneFileOfSevenToNineBytesIsMszip) {
  TempDir dir(L"zip");
  struct Case {
    std::vector<size_t> sizes;
    bool mszip;
  } cases[] = {
      {{7}, true}, {{8}, true}, {{9}, true}, {{6}, false}, {{10}, false}, {{8, 8}, false},
  };
  int index = 0;
  for (const Case& c : cases) {
    CCabEncoder encoder;
    for (size_t i = 0; i < c.sizes.size(); ++i) {
      std::wstring name = L"f" + std::to_wstring(index) + L"_" + std::to_wstring(i) + L".txt";
      encoder.AddFile(PutFile(dir, name, Pattern(c.sizes[i], index + 1)).c_str(), name.c_str());
    }
    const std::wstring cabinet = dir / (L"c" + std::to_wstring(index) + L".cab");
    ASSERT_TRUE(encoder.CreateCabinet(cabinet.c_str())) << index;
    const uint16_t compression = FirstFolderCompression(cabinet);
    if (c.mszip)
      EXPECT_EQ(1, compression) << index;
    else
      EXPECT_TRUE(IsLzxOrStored(compression)) << index << ": " << compression;
    CCabDecoder decoder(false, 0);
    ASSERT_TRUE(decoder.Open(cabinet.c_str(), 0));
    const std::wstring first = L"f" + std::to_wstring(index) + L"_0.txt";
    DWORD size = 0;
    HGLOBAL block = decoder.ExtractToMemory(first.c_str(), &size);
    ASSERT_NE(nullptr, block);
    EXPECT_EQ(Pattern(c.sizes[0], index + 1),
              std::string(static_cast<const char*>(GlobalLock(block)), size));
    GlobalUnlock(block);
    GlobalFree(block);
    ++index;
  }
}

TEST(CabRoundTrip, MissingSourceIsLeftOut) {
  TempDir dir(L"miss");
  CCabEncoder encoder;
  encoder.AddFile((dir / L"absent.txt").c_str(), L"absent.txt");
  encoder.AddFile(PutFile(dir, L"here.txt", "present").c_str(), L"here.txt");
  const std::wstring cabinet = dir / L"m.cab";
  ASSERT_TRUE(encoder.CreateCabinet(cabinet.c_str()));
  CCabDecoder decoder(false, 0);
  ASSERT_TRUE(decoder.Open(cabinet.c_str(), 0));
  EXPECT_EQ((std::vector<std::wstring>{L"here.txt"}), ListItems(decoder));
}

// The header's flag word (offset 30): 0x0001 previous cabinet, 0x0002 next
// cabinet, 0x0004 reserved fields. A single cabinet carries none of them.
uint16_t HeaderFlags(const std::wstring& cabinet) {
  std::vector<uint8_t> bytes;
  if (!testsupport::ReadFileBytes(cabinet, bytes) || bytes.size() < 36) return 0xFFFF;
  return static_cast<uint16_t>(bytes[30] | (bytes[31] << 8));
}

TEST(CabRoundTrip, OneCabinetIsNeverMarkedAsContinued) {
  TempDir dir(L"flags");
  for (int files = 1; files <= 3; ++files) {
    CCabEncoder encoder;
    for (int i = 0; i < files; ++i) {
      const std::wstring name = L"f" + std::to_wstring(i) + L".txt";
      encoder.AddFile(PutFile(dir, name, Pattern(20 + 30000 * i, i)).c_str(), name.c_str());
    }
    const std::wstring cabinet = dir / (L"c" + std::to_wstring(files) + L".cab");
    ASSERT_TRUE(encoder.CreateCabinet(cabinet.c_str())) << files;
    EXPECT_EQ(0, HeaderFlags(cabinet)) << files;
    CCabDecoder decoder(false, 0);
    ASSERT_TRUE(decoder.Open(cabinet.c_str(), 0));
    EXPECT_EQ(static_cast<size_t>(files), ListItems(decoder).size());
  }
}

TEST(CabRoundTrip, NoPresentSourceIsAFailureThatLeavesTheTargetAlone) {
  TempDir dir(L"none");
  const std::wstring cabinet = dir / L"old.cab";
  {
    CCabEncoder empty;
    EXPECT_FALSE(empty.CreateCabinet(cabinet.c_str()));
    EXPECT_FALSE(testsupport::PathExists(cabinet));
  }
  CCabEncoder missing;
  missing.AddFile((dir / L"gone1.txt").c_str(), L"gone1.txt");
  missing.AddFile((dir / L"gone2.txt").c_str(), L"sub\\gone2.txt");
  EXPECT_FALSE(missing.CreateCabinet(cabinet.c_str()));
  EXPECT_FALSE(testsupport::PathExists(cabinet));

  ASSERT_TRUE(testsupport::WriteTextFile(cabinet, "older archive"));
  EXPECT_FALSE(missing.CreateCabinet(cabinet.c_str()));
  EXPECT_EQ("older archive", ReadText(cabinet));
}

TEST(CabRoundTrip, ProgressReportsAndAbortLeavesNoCabinetNorTemporaryFiles) {
  TempDir dir(L"prog");
  TempDir temporary(L"tmp");
  const std::wstring first = PutFile(dir, L"one.bin", Pattern(150000, 3));
  const std::wstring second = PutFile(dir, L"two.bin", Pattern(70000, 4));
  cabtest::TempFolderOverride override(temporary.path());
  {
    CCabEncoder encoder;
    encoder.AddFile(first.c_str(), L"one.bin");
    encoder.AddFile(second.c_str(), L"two.bin");
    ProgressLog log;
    ASSERT_TRUE(encoder.CreateCabinet((dir / L"ok.cab").c_str(), RecordProgress, &log));
    EXPECT_GT(log.calls, 0);
    EXPECT_EQ((std::vector<std::wstring>{first, second}), log.sources);
    EXPECT_EQ(220000u, log.lastTotal);
    EXPECT_EQ(70000u, log.lastSize);
  }
  EXPECT_TRUE(cabtest::ListFiles(temporary.path()).empty());

  CCabEncoder encoder;
  encoder.AddFile(first.c_str(), L"one.bin");
  encoder.AddFile(second.c_str(), L"two.bin");
  ProgressLog log;
  log.answerZeroAt = 0;
  const std::wstring cabinet = dir / L"aborted.cab";
  EXPECT_FALSE(encoder.CreateCabinet(cabinet.c_str(), RecordProgress, &log));
  EXPECT_EQ(1, log.calls);
  EXPECT_EQ(FCIERR_USER_ABORT, encoder.GetLastError().erfOper);
  CCabDecoder decoder(false, 0);
  EXPECT_FALSE(decoder.Open(cabinet.c_str(), 0));
  EXPECT_TRUE(cabtest::ListFiles(temporary.path()).empty());
}

TEST(CabRoundTrip, OpensACabinetThatStartsInsideALargerFile) {
  TempDir dir(L"off");
  CCabEncoder encoder;
  encoder.AddFile(PutFile(dir, L"a.txt", "alpha").c_str(), L"a.txt");
  encoder.AddFile(PutFile(dir, L"b.txt", Pattern(40000, 9)).c_str(), L"sub\\b.txt");
  const std::wstring plain = dir / L"plain.cab";
  ASSERT_TRUE(encoder.CreateCabinet(plain.c_str()));
  std::vector<uint8_t> cabinet;
  ASSERT_TRUE(testsupport::ReadFileBytes(plain, cabinet));

  // Other data first, with a decoy signature in it, and some after.
  const size_t offset = 5003;
  std::vector<uint8_t> bytes(offset + cabinet.size() + 17, 0xEE);
  std::fill(bytes.begin(), bytes.begin() + offset, 0xCC);
  std::copy(cabinet.begin(), cabinet.end(), bytes.begin() + offset);
  const char decoy[] = "MSCF";
  std::copy(decoy, decoy + 4, bytes.begin() + 100);
  const std::wstring container = dir / L"container.bin";
  ASSERT_TRUE(testsupport::WriteFileBytes(container, bytes));

  CCabDecoder atZero(false, 0);
  EXPECT_FALSE(atZero.Open(container.c_str(), 0));
  CCabDecoder decoder(false, 0);
  ASSERT_TRUE(decoder.Open(container.c_str(), offset));
  EXPECT_TRUE(decoder.IsArchive(container.c_str()));
  EXPECT_EQ((std::vector<std::wstring>{L"a.txt", L"sub\\b.txt"}), ListItems(decoder));
  const std::wstring target = dir / L"out\\";
  ASSERT_TRUE(decoder.ExtractAll(target.c_str(), nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ("alpha", ReadText(target + L"a.txt"));
  EXPECT_EQ(Pattern(40000, 9), ReadText(target + L"sub\\b.txt"));
  ASSERT_TRUE(decoder.ExtractFile(L"SUB\\B.TXT", (dir / L"single.txt").c_str()));
  EXPECT_EQ(Pattern(40000, 9), ReadText(dir / L"single.txt"));
}

TEST(CabRoundTrip, EachDecoderKeepsItsOwnCabinetAndOffset) {
  TempDir dir(L"two");
  testsupport::TestCabinet first;
  first.Add(L"first.txt", "from the first");
  testsupport::TestCabinet second;
  second.Add(L"second.txt", "from the second").Add(L"more.txt", "more");
  const std::vector<uint8_t> prefix(777, 0x5A);
  const std::wstring firstPath = dir / L"first.bin";
  const std::wstring secondPath = dir / L"second.cab";
  ASSERT_TRUE(first.WriteTo(firstPath, prefix));
  ASSERT_TRUE(second.WriteTo(secondPath));

  CCabDecoder a(false, 0);
  CCabDecoder b(false, 0);
  ASSERT_TRUE(a.Open(firstPath.c_str(), prefix.size()));
  ASSERT_TRUE(b.Open(secondPath.c_str(), 0));
  // The first decoder still reads its cabinet at its offset.
  DWORD size = 0;
  HGLOBAL block = a.ExtractToMemory(L"first.txt", &size);
  ASSERT_NE(nullptr, block);
  EXPECT_EQ("from the first", std::string(static_cast<const char*>(GlobalLock(block)), size));
  GlobalUnlock(block);
  GlobalFree(block);
  EXPECT_TRUE(b.ExtractFile(L"more.txt", (dir / L"more.txt").c_str()));

  // Open on an open decoder replaces its cabinet instead of adding to it.
  ASSERT_TRUE(a.Open(secondPath.c_str(), 0));
  EXPECT_EQ(2, a.GetItemCount());
  EXPECT_FALSE(a.Contains(L"first.txt"));
  EXPECT_TRUE(a.Contains(L"SECOND.TXT"));
}
