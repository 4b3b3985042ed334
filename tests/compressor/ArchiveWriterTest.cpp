// Archives that cannot be written: the target stays as it was, and the
// message names what failed (the file, the target, the count) in English and
// Japanese, never free space unless the disk is full.
#include <gtest/gtest.h>

#include <fci.h>

#include "ArchiveFailureText.h"
#include "ArchiveWriter.h"
#include "CabDecoder.h"
#include "CompressorTestUtil.h"
#include "InstallerPackage.h"
#include "ResString.h"
#include "SardokResource.h"
#include "TestSupport.h"

using testsupport::TempDir;

namespace {

class Language {
 public:
  explicit Language(LANGID language) : old_(GetThreadLocale()) {
    SetThreadLocale(MAKELCID(language, SORT_DEFAULT));
  }
  ~Language() { SetThreadLocale(old_); }

 private:
  LCID old_;
};

const LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
const LANGID kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);

std::string ReadAll(const std::wstring& path) {
  std::vector<uint8_t> bytes;
  testsupport::ReadFileBytes(path, bytes);
  return std::string(bytes.begin(), bytes.end());
}

std::wstring Text(UINT id) {
  wchar_t buffer[1024];
  return LoadResText(GetModuleHandleW(nullptr), id, buffer, 1024);
}

// The string's text before its first placeholder.
std::wstring Head(UINT id) {
  const std::wstring text = Text(id);
  return text.substr(0, text.find(L'%'));
}

bool Contains(const std::wstring& text, const std::wstring& part) {
  return text.find(part) != std::wstring::npos;
}

// The failure's message in both languages: string id's text up to its
// placeholder first, and every part somewhere in it.
void ExpectMessage(const ArchiveWriteFailure& failure, UINT id,
                   const std::vector<std::wstring>& parts) {
  for (LANGID language : {kEnglish, kJapanese}) {
    Language use(language);
    const std::wstring text = ArchiveFailureText(failure);
    EXPECT_EQ(0u, text.find(Head(id))) << language << ": " << testsupport::Narrow(text);
    for (const std::wstring& part : parts)
      EXPECT_TRUE(Contains(text, part)) << language << ": " << testsupport::Narrow(part);
  }
}

}  // namespace

TEST(ArchiveWriter, AFileThatCannotBeReadIsNamed) {
  TempDir dir(L"awsrc");
  const std::wstring good = MakeFile(dir / L"good.txt", "good");
  const std::wstring locked = MakeFile(dir / L"locked.txt", "locked");
  const std::wstring target = MakeFile(dir / L"out.cab", "older archive");
  HANDLE exclusive = CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                                 nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, exclusive);
  ArchiveEntryList entries;
  entries.Add(good, L"good.txt");
  entries.Add(locked, L"locked.txt");
  ArchiveWriteFailure failure;
  EXPECT_FALSE(WriteArchive(entries, target.c_str(), nullptr, nullptr, &failure));
  CloseHandle(exclusive);
  EXPECT_EQ(ArchiveWriteFailure::kSource, failure.cause);
  EXPECT_EQ(locked, failure.path);
  EXPECT_EQ(FCIERR_OPEN_SRC, failure.error.erfOper);
  EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), failure.systemError);
  EXPECT_EQ("older archive", ReadAll(target));
  EXPECT_EQ((std::vector<std::wstring>{L"good.txt", L"locked.txt", L"out.cab"}),
            testsupport::ListTree(dir.path()));

  for (LANGID language : {kEnglish, kJapanese}) {
    Language use(language);
    const std::wstring text = ArchiveFailureText(failure);
    EXPECT_EQ(0u, text.find(Head(IDS_CREATE_FAILED_SOURCE))) << language;
    EXPECT_TRUE(Contains(text, locked)) << language;
    EXPECT_TRUE(Contains(text, L"CAB1-")) << language;
    EXPECT_FALSE(Contains(text, Text(IDS_CREATE_FAILED))) << language;
  }
}

// A folder in the target's place cannot be written; a target in a folder
// that does not exist names that folder as missing, whether the folder
// above it exists or not, or is a file.
TEST(ArchiveWriter, ATargetThatCannotBeWrittenIsNamed) {
  TempDir dir(L"awtgt");
  ArchiveEntryList entries;
  entries.Add(MakeFile(dir / L"a.txt", "alpha"), L"a.txt");
  ArchiveWriteFailure folder;
  EXPECT_FALSE(WriteArchive(entries, dir.path().c_str(), nullptr, nullptr, &folder));
  EXPECT_EQ(ArchiveWriteFailure::kTarget, folder.cause);
  EXPECT_EQ(dir.path(), folder.path);
  EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), folder.systemError);
  for (LANGID language : {kEnglish, kJapanese}) {
    Language use(language);
    const std::wstring text = ArchiveFailureText(folder);
    EXPECT_EQ(0u, text.find(Head(IDS_CREATE_FAILED_TARGET))) << language;
    EXPECT_TRUE(Contains(text, dir.path())) << language;
    EXPECT_FALSE(Contains(text, Text(IDS_CREATE_FAILED))) << language;
  }

  for (const std::wstring& missing : {dir / L"no", dir / L"no\\such", dir / L"a.txt"}) {
    const std::wstring target = missing + L"\\x.cab";
    ArchiveWriteFailure failure;
    EXPECT_FALSE(WriteArchive(entries, target.c_str(), nullptr, nullptr, &failure));
    EXPECT_EQ(ArchiveWriteFailure::kTargetFolderMissing, failure.cause);
    EXPECT_EQ(missing, failure.path);
    {
      Language use(kEnglish);
      EXPECT_EQ(L"Failed to create archive file: this folder does not exist.\n\n" + missing,
                ArchiveFailureText(failure));
    }
    Language use(kJapanese);
    EXPECT_EQ(Head(IDS_CREATE_FAILED_NO_FOLDER) + missing, ArchiveFailureText(failure));
  }
  EXPECT_EQ((std::vector<std::wstring>{L"a.txt"}), testsupport::ListTree(dir.path()));
}

TEST(ArchiveWriter, MoreFilesThanACabinetHoldsFailBeforeAnythingIsWritten) {
  TempDir dir(L"awmax");
  const std::wstring one = MakeFile(dir / L"one.txt", "1");
  ArchiveEntryList entries;
  for (size_t i = 0; i <= kCabMaxFiles; ++i) entries.Add(one, L"f" + std::to_wstring(i));
  const std::wstring target = dir / L"big.cab";
  ArchiveWriteFailure failure;
  EXPECT_FALSE(WriteArchive(entries, target.c_str(), nullptr, nullptr, &failure));
  EXPECT_EQ(ArchiveWriteFailure::kTooManyFiles, failure.cause);
  EXPECT_EQ(kCabMaxFiles + 1, failure.fileCount);
  EXPECT_EQ((std::vector<std::wstring>{L"one.txt"}), testsupport::ListTree(dir.path()));
  // The count is written as the limit is.
  {
    Language use(kEnglish);
    EXPECT_EQ(L"Failed to create archive file: it would hold 65,536 files, but one cabinet holds "
              L"at most 65,535.",
              ArchiveFailureText(failure));
  }
  Language use(kJapanese);
  const std::wstring text = ArchiveFailureText(failure);
  EXPECT_EQ(0u, text.find(Head(IDS_CREATE_FAILED_TOO_MANY)));
  EXPECT_TRUE(Contains(text, L" 65,536 ")) << testsupport::Narrow(text);
  EXPECT_TRUE(Contains(text, L" 65,535 ")) << testsupport::Narrow(text);
  // Counts of one to seven digits.
  for (const auto& grouped : std::vector<std::pair<size_t, std::wstring>>{
           {7, L" 7 "}, {999, L" 999 "}, {1000, L" 1,000 "}, {1234567, L" 1,234,567 "}}) {
    failure.fileCount = grouped.first;
    EXPECT_TRUE(Contains(ArchiveFailureText(failure), grouped.second))
        << testsupport::Narrow(grouped.second);
  }
}

TEST(ArchiveWriter, EmptyFilesArePackedOrTheMessageSaysWhy) {
  TempDir dir(L"awempty");
  ArchiveEntryList mixed;
  mixed.Add(MakeFile(dir / L"src\\__init__.py", ""), L"__init__.py");
  mixed.Add(MakeFile(dir / L"src\\mod.py", "print('x')\n"), L"mod.py");
  EXPECT_TRUE(WriteArchive(mixed, (dir / L"mixed.cab").c_str(), nullptr, nullptr));

  ArchiveEntryList empty;
  empty.Add(dir / L"src\\__init__.py", L"__init__.py");
  ArchiveWriteFailure failure;
  if (WriteArchive(empty, (dir / L"empty.cab").c_str(), nullptr, nullptr, &failure)) return;
  // A library that cannot write a folder without data.
  EXPECT_EQ(ArchiveWriteFailure::kOnlyEmptyFiles, failure.cause);
  EXPECT_FALSE(testsupport::PathExists(dir / L"empty.cab"));
  for (LANGID language : {kEnglish, kJapanese}) {
    Language use(language);
    EXPECT_EQ(0u, ArchiveFailureText(failure).find(Text(IDS_CREATE_FAILED_EMPTY))) << language;
  }
}

TEST(ArchiveWriter, OnlyAFullDiskIsReportedAsMissingFreeSpace) {
  ArchiveWriteFailure failure;
  failure.cause = ArchiveWriteFailure::kLibrary;
  failure.path = L"C:\\out\\x.cab";
  failure.error.erfOper = FCIERR_CAB_FILE;
  failure.error.erfType = 28;
  failure.error.fError = TRUE;
  failure.systemError = ERROR_DISK_FULL;
  for (LANGID language : {kEnglish, kJapanese}) {
    Language use(language);
    EXPECT_EQ(Text(IDS_CREATE_FAILED), ArchiveFailureText(failure)) << language;
    failure.systemError = ERROR_ACCESS_DENIED;
    const std::wstring text = ArchiveFailureText(failure);
    EXPECT_EQ(0u, text.find(Head(IDS_CREATE_FAILED_LIBRARY))) << language;
    EXPECT_TRUE(Contains(text, L"C:\\out\\x.cab")) << language;
    EXPECT_TRUE(Contains(text, L"CAB6-28")) << language;
    EXPECT_FALSE(Contains(text, Text(IDS_CREATE_FAILED))) << language;
    failure.systemError = ERROR_DISK_FULL;
  }
}

// A file lies in one folder of at most 65,535 blocks of 32 KiB: a larger one
// (4.7 GB, as sizes past 4 GiB once wrapped, or one byte over the limit) is
// refused before anything is written and named with the limit. Sparse
// files cost no disk.
TEST(ArchiveWriter, AFileLargerThanACabinetMemberIsRefusedBeforeAnythingIsWritten) {
  TempDir dir(L"awbig");
  const std::wstring small = MakeFile(dir / L"src\\small.txt", "small");
  const std::wstring big = dir / L"src\\big.bin";
  const std::wstring target = MakeFile(dir / L"out.cab", "older archive");
  for (ULONGLONG size : {4718592000ULL, kCabMaxFileBytes + 1}) {
    ASSERT_TRUE(testsupport::MakeSparseFile(big, size));
    ArchiveEntryList entries;
    entries.Add(small, L"small.txt");
    entries.Add(big, L"big.bin");
    ArchiveWriteFailure failure;
    EXPECT_FALSE(WriteArchive(entries, target.c_str(), nullptr, nullptr, &failure)) << size;
    EXPECT_EQ(ArchiveWriteFailure::kFileTooLarge, failure.cause) << size;
    EXPECT_EQ(big, failure.path);
    EXPECT_EQ("older archive", ReadAll(target));
    EXPECT_EQ((std::vector<std::wstring>{L"out.cab", L"src\\", L"src\\big.bin", L"src\\small.txt"}),
              testsupport::ListTree(dir.path()));
    ExpectMessage(failure, IDS_CREATE_FAILED_FILE_TOO_LARGE, {big, L"2,147,450,880"});
  }
}

// A name in a cabinet has a field of 256 bytes: 255 of UTF-8 and its end.
// A Japanese folder of 80 characters with a file of 76 (461 bytes, a path
// well under 260 characters) is refused and named, as is a stored name of
// more than 260 characters; 255 bytes still go in and come back.
TEST(ArchiveWriter, ANameLongerThanACabinetHoldsIsRefusedAndNamed) {
  TempDir dir(L"awname");
  const std::wstring source = MakeFile(dir / L"src\\a.txt", "alpha");
  const std::wstring target = dir / L"out.cab";
  const std::wstring folder(80, L'\u8cc7');
  const std::wstring japanese = folder + L"\\" + std::wstring(72, L'\u6599') + L".txt";
  std::wstring deep;
  for (int i = 0; i < 44; ++i) deep += L"level\\";
  deep += L"x.txt";
  ASSERT_GT(deep.size(), 260u);
  // 255 bytes fit, one more does not.
  const std::wstring fits = folder + L"\\" + std::wstring(4, L'\u6599') + L"ab";
  for (const std::wstring& name : {japanese, deep, fits + L"c"}) {
    ArchiveEntryList entries;
    entries.Add(source, L"first.txt");
    entries.Add(source, name);
    ArchiveWriteFailure failure;
    EXPECT_FALSE(WriteArchive(entries, target.c_str(), nullptr, nullptr, &failure));
    EXPECT_EQ(ArchiveWriteFailure::kNameTooLong, failure.cause);
    EXPECT_EQ(name, failure.path);
    EXPECT_FALSE(testsupport::PathExists(target));
    ExpectMessage(failure, IDS_CREATE_FAILED_NAME_TOO_LONG, {name, L"255"});
  }
  EXPECT_EQ((std::vector<std::wstring>{L"src\\", L"src\\a.txt"}),
            testsupport::ListTree(dir.path()));

  ArchiveEntryList entries;
  entries.Add(source, fits);
  ASSERT_TRUE(WriteArchive(entries, target.c_str(), nullptr, nullptr));
  CCabDecoder decoder(false, 0);
  ASSERT_TRUE(decoder.Open(target.c_str(), 0));
  ArchiveItem item;
  ASSERT_EQ(1, decoder.FindFirst(&item));
  EXPECT_EQ(fits, item.name);
}

// A project whose every file is gone names the first missing file; one of
// empty folders only has nothing to pack and says so.
TEST(ArchiveWriter, NothingToPackIsNamed) {
  TempDir dir(L"awnone");
  const std::wstring gone = dir / L"src\\gone.txt";
  ArchiveEntryList missing;
  missing.Add(gone, L"gone.txt");
  missing.Add(dir / L"src\\also gone.txt", L"docs\\also gone.txt");
  ArchiveWriteFailure failure;
  EXPECT_FALSE(WriteArchive(missing, (dir / L"out.cab").c_str(), nullptr, nullptr, &failure));
  EXPECT_EQ(ArchiveWriteFailure::kSource, failure.cause);
  EXPECT_EQ(gone, failure.path);
  ArchiveWriteFailure nothing;
  EXPECT_FALSE(WriteArchive(ArchiveEntryList(), (dir / L"out.cab").c_str(), nullptr, nullptr,
                            &nothing));
  EXPECT_EQ(ArchiveWriteFailure::kNoFiles, nothing.cause);
  EXPECT_TRUE(testsupport::ListTree(dir.path()).empty());
  ExpectMessage(failure, IDS_CREATE_FAILED_SOURCE, {gone});
  ExpectMessage(nothing, IDS_NO_FILES, {});
}
