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

// What the writer asks for when the list is not a single 7 to 9 byte file.
uint16_t ExpectedCompression() { return CabinetLibraryWritesLzx() ? 0x1503 : 0x0001; }

testsupport::CabinetSummary Summary(const std::wstring& cabinet) {
  std::vector<uint8_t> bytes;
  testsupport::CabinetSummary summary = {};
  if (!testsupport::ReadFileBytes(cabinet, bytes) ||
      !testsupport::ReadCabinetSummary(bytes, &summary))
    summary.folderCount = 0xFFFF;
  return summary;
}

// Text that compresses well: words from a small vocabulary.
std::string Prose(size_t size, uint32_t seed) {
  static const char* const kWords[] = {"cabinet", "folder", "file ", "archive", "the ",
                                       "of ", "and ", "data\r\n", "writer ", "reader "};
  std::string out;
  while (out.size() < size) {
    seed = seed * 1103515245u + 12345u;
    out += kWords[(seed >> 16) % 10];
  }
  out.resize(size);
  return out;
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
  ULONGLONG lastTotal = 0;
  ULONGLONG lastSize = 0;
  int calls = 0;
  int answerZeroAt = -1;  // call index that aborts, -1 never
};

BOOL RecordProgress(const wchar_t* source, ULONGLONG total, ULONGLONG size, void* user) {
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

TEST(CabRoundTrip, EmptyFilesAreMembersWhereverTheyStand) {
  TempDir dir(L"empty");
  CCabEncoder encoder;
  encoder.AddFile(PutFile(dir, L"first.txt", "").c_str(), L"first.txt");
  encoder.AddFile(PutFile(dir, L"full.txt", "content").c_str(), L"full.txt");
  encoder.AddFile(PutFile(dir, L"empty.txt", "").c_str(), L"sub\\empty.txt");
  encoder.AddFile(PutFile(dir, L"more.txt", Prose(5000, 2)).c_str(), L"more.txt");
  encoder.AddFile(PutFile(dir, L"last.txt", "").c_str(), L"last.txt");
  const std::wstring cabinet = dir / L"e.cab";
  ASSERT_TRUE(encoder.CreateCabinet(cabinet.c_str()))
      << encoder.GetLastError().erfOper << "-" << encoder.GetLastError().erfType;
  EXPECT_EQ(1, Summary(cabinet).folderCount);
  CCabDecoder decoder(false, 0);
  ASSERT_TRUE(decoder.Open(cabinet.c_str(), 0));
  EXPECT_EQ((std::vector<std::wstring>{L"first.txt", L"full.txt", L"sub\\empty.txt", L"more.txt",
                                       L"last.txt"}),
            ListItems(decoder));
  const std::wstring target = dir / L"out\\";
  ASSERT_TRUE(decoder.ExtractAll(target.c_str(), nullptr, nullptr, nullptr, nullptr));
  for (const wchar_t* name : {L"first.txt", L"sub\\empty.txt", L"last.txt"}) {
    EXPECT_TRUE(testsupport::PathExists(target + name)) << name;
    EXPECT_EQ("", ReadText(target + name)) << name;
  }
  EXPECT_EQ(Prose(5000, 2), ReadText(target + L"more.txt"));
}

// Some libraries cannot write a folder without data: a cabinet of empty
// files only then fails with the library's file error, and nothing stays.
TEST(CabRoundTrip, ACabinetOfEmptyFilesOnlyIsWrittenOrFailsCleanly) {
  TempDir dir(L"allempty");
  TempDir temporary(L"tmp");
  cabtest::TempFolderOverride override(temporary.path());
  CCabEncoder encoder;
  encoder.AddFile(PutFile(dir, L"a.txt", "").c_str(), L"a.txt");
  encoder.AddFile(PutFile(dir, L"b.txt", "").c_str(), L"sub\\b.txt");
  const std::wstring cabinet = dir / L"e.cab";
  if (encoder.CreateCabinet(cabinet.c_str())) {
    CCabDecoder decoder(false, 0);
    ASSERT_TRUE(decoder.Open(cabinet.c_str(), 0));
    EXPECT_EQ((std::vector<std::wstring>{L"a.txt", L"sub\\b.txt"}), ListItems(decoder));
  } else {
    EXPECT_EQ(FCIERR_CAB_FILE, encoder.GetLastError().erfOper);
    EXPECT_TRUE(encoder.FailedSource().empty());
  }
  EXPECT_TRUE(cabtest::ListFiles(temporary.path()).empty());
}

TEST(CabRoundTrip, EveryFileGoesIntoOneCompressedFolder) {
  TempDir dir(L"one");
  CCabEncoder encoder;
  size_t total = 0;
  for (int i = 0; i < 40; ++i) {
    const std::wstring name = L"f" + std::to_wstring(i) + L".txt";
    const std::string text = Prose(2000 + 97 * i, i + 1);
    total += text.size();
    encoder.AddFile(PutFile(dir, name, text).c_str(), name.c_str());
  }
  const std::wstring cabinet = dir / L"c.cab";
  ASSERT_TRUE(encoder.CreateCabinet(cabinet.c_str()));
  const testsupport::CabinetSummary summary = Summary(cabinet);
  EXPECT_EQ(1, summary.folderCount);
  EXPECT_EQ(40, summary.fileCount);
  ASSERT_EQ(1u, summary.folderCompression.size());
  EXPECT_EQ(ExpectedCompression(), summary.folderCompression[0]);
  // Compressed, not stored: the text shrinks to well under half.
  EXPECT_LT(summary.cabinetSize, total / 2);
}

// More files than the C runtime has descriptors: a library that keeps one
// open per folder would run out of them.
TEST(CabRoundTrip, ThousandsOfFilesFitInOneCabinet) {
  TempDir dir(L"many");
  const std::wstring source = PutFile(dir, L"small.txt", "small");
  CCabEncoder encoder;
  for (int i = 0; i < 2100; ++i)
    encoder.AddFile(source.c_str(), (L"d\\s" + std::to_wstring(i) + L".txt").c_str());
  const std::wstring cabinet = dir / L"many.cab";
  ASSERT_TRUE(encoder.CreateCabinet(cabinet.c_str()))
      << encoder.GetLastError().erfOper << "-" << encoder.GetLastError().erfType;
  EXPECT_EQ(2100, Summary(cabinet).fileCount);
  EXPECT_EQ(1, Summary(cabinet).folderCount);
}

TEST(CabRoundTrip, OneCabinetHoldsAtMost65535Files) {
  TempDir dir(L"limit");
  const std::wstring source = PutFile(dir, L"one.txt", "1");
  const std::wstring cabinet = dir / L"limit.cab";
  CCabEncoder encoder;
  // A missing source does not count.
  encoder.AddFile((dir / L"absent.txt").c_str(), L"absent.txt");
  for (size_t i = 0; i < kCabMaxFiles + 1; ++i) encoder.AddFile(source.c_str(), L"x.txt");
  EXPECT_FALSE(encoder.CreateCabinet(cabinet.c_str()));
  EXPECT_EQ(kCabErrorFormatLimit, encoder.GetLastError().erfOper);
  EXPECT_EQ(kCabMaxFiles + 1, encoder.PresentCount());
  EXPECT_FALSE(testsupport::PathExists(cabinet));
}

// A folder counts its data blocks of 32 KiB in 16 bits: files that would
// take it past 65,535 blocks start a second folder, each file whole in one.
// Sparse files: much data that costs no disk and compresses to little.
TEST(CabRoundTrip, AFolderIsClosedBeforeItPassesItsBlockCount) {
  TempDir dir(L"blocks");
  const ULONGLONG kPart = 750ULL << 20;  // 24,000 blocks; three pass 2 GiB
  CCabEncoder encoder;
  for (int i = 0; i < 3; ++i) {
    const std::wstring name = L"part" + std::to_wstring(i) + L".bin";
    ASSERT_TRUE(testsupport::MakeSparseFile(dir / name, kPart));
    encoder.AddFile((dir / name).c_str(), name.c_str());
  }
  encoder.AddFile(PutFile(dir, L"tail.txt", "the tail").c_str(), L"tail.txt");
  const std::wstring cabinet = dir / L"parts.cab";
  ASSERT_TRUE(encoder.CreateCabinet(cabinet.c_str()))
      << encoder.GetLastError().erfOper << "-" << encoder.GetLastError().erfType;
  const testsupport::CabinetSummary summary = Summary(cabinet);
  ASSERT_EQ(2, summary.folderCount);
  EXPECT_EQ(48000, summary.folderBlocks[0]);
  EXPECT_EQ(24001, summary.folderBlocks[1]);
  EXPECT_EQ(4, summary.fileCount);
  // The tail is found at its place in the second folder.
  CCabDecoder decoder(false, 0);
  ASSERT_TRUE(decoder.Open(cabinet.c_str(), 0));
  ASSERT_TRUE(decoder.ExtractFile(L"tail.txt", (dir / L"tail.out").c_str()));
  EXPECT_EQ("the tail", ReadText(dir / L"tail.out"));
}

TEST(CabProbe, TheFolderRecordTellsWhatTheLibraryWrote) {
  testsupport::TestCabinet stored;
  stored.Add(L"a.txt", "alpha");
  std::vector<uint8_t> bytes = stored.Build();
  ASSERT_EQ(0, FirstFolderCompression(bytes.data(), bytes.size()));
  EXPECT_FALSE(ProbeShowsLzx(bytes.data(), bytes.size()));
  // typeCompress of the first folder record (after the 36-byte header).
  const struct {
    uint16_t type;
    bool lzx;
  } cases[] = {{0x1503, true}, {0x1003, true}, {0x0001, false}, {0x0002, false}, {0x1502, false}};
  for (const auto& c : cases) {
    bytes[36 + 6] = static_cast<uint8_t>(c.type);
    bytes[36 + 7] = static_cast<uint8_t>(c.type >> 8);
    EXPECT_EQ(c.type, FirstFolderCompression(bytes.data(), bytes.size()));
    EXPECT_EQ(c.lzx, ProbeShowsLzx(bytes.data(), bytes.size())) << c.type;
  }
  // Reserved areas and the names of neighbouring cabinets come before it.
  std::vector<uint8_t> shifted(bytes.begin(), bytes.begin() + 36);
  shifted[30] |= 0x0004 | 0x0002;
  const uint8_t reserve[] = {3, 0, 0, 0, 9, 9, 9};
  shifted.insert(shifted.end(), reserve, reserve + sizeof reserve);
  const char next[] = "next.cab\0disk\0";
  shifted.insert(shifted.end(), next, next + sizeof next - 1);
  shifted.insert(shifted.end(), bytes.begin() + 36, bytes.end());
  EXPECT_EQ(0x1502, FirstFolderCompression(shifted.data(), shifted.size()));
  // Not a cabinet, too short, or no folder.
  EXPECT_EQ(-1, FirstFolderCompression(shifted.data(), 40));
  EXPECT_EQ(-1, FirstFolderCompression(nullptr, 0));
  std::vector<uint8_t> noFolder = bytes;
  noFolder[26] = noFolder[27] = 0;
  EXPECT_EQ(-1, FirstFolderCompression(noFolder.data(), noFolder.size()));
  noFolder = bytes;
  noFolder[0] = 'X';
  EXPECT_FALSE(ProbeShowsLzx(noFolder.data(), noFolder.size()));
}

TEST(CabProbe, TheAnswerIsKeptAndLeavesNothingInTheTemporaryFolder) {
  TempDir temporary(L"tmp");
  cabtest::TempFolderOverride override(temporary.path());
  const bool first = CabinetLibraryWritesLzx();
  EXPECT_EQ(first, CabinetLibraryWritesLzx());
  EXPECT_TRUE(cabtest::ListFiles(temporary.path()).empty());
  EXPECT_EQ(kCabCompressLzx21, ChooseCabCompression(2, 8, true));
  EXPECT_EQ(kCabCompressMszip, ChooseCabCompression(2, 8, false));
  EXPECT_EQ(kCabCompressMszip, ChooseCabCompression(1, 8, true));
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
    EXPECT_EQ(c.mszip ? 1 : ExpectedCompression(), compression) << index;
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

// Only a source that is not found is left out (in a folder that is there
// or not); one the system cannot look up is named with its reason, and
// nothing is written.
TEST(CabRoundTrip, MissingSourceIsLeftOut) {
  TempDir dir(L"miss");
  CCabEncoder encoder;
  encoder.AddFile((dir / L"absent.txt").c_str(), L"absent.txt");
  encoder.AddFile((dir / L"no\\such\\absent.txt").c_str(), L"deep.txt");
  const std::wstring here = PutFile(dir, L"here.txt", "present");
  encoder.AddFile(here.c_str(), L"here.txt");
  const std::wstring cabinet = dir / L"m.cab";
  ASSERT_TRUE(encoder.CreateCabinet(cabinet.c_str()));
  CCabDecoder decoder(false, 0);
  ASSERT_TRUE(decoder.Open(cabinet.c_str(), 0));
  EXPECT_EQ((std::vector<std::wstring>{L"here.txt"}), ListItems(decoder));

  CCabEncoder refused;
  refused.AddFile(here.c_str(), L"here.txt");
  const std::wstring wild = dir / L"q?.txt";
  refused.AddFile(wild.c_str(), L"q.txt");
  const std::wstring other = dir / L"r.cab";
  EXPECT_FALSE(refused.CreateCabinet(other.c_str()));
  EXPECT_EQ(FCIERR_OPEN_SRC, refused.GetLastError().erfOper);
  EXPECT_EQ(wild, refused.FailedSource());
  EXPECT_NE(0u, refused.FailedSystemError());
  EXPECT_NE(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), refused.FailedSystemError());
  EXPECT_FALSE(testsupport::PathExists(other));
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
