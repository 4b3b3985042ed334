// Archives that cannot be written: the target stays as it was, and the
// message names what failed (the file, the target, the count) in English and
// Japanese, never free space unless the disk is full.
#include <gtest/gtest.h>

#include <fci.h>

#include "ArchiveFailureText.h"
#include "ArchiveWriter.h"
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

TEST(ArchiveWriter, ATargetThatCannotBeWrittenIsNamed) {
  TempDir dir(L"awtgt");
  ArchiveEntryList entries;
  entries.Add(MakeFile(dir / L"a.txt", "alpha"), L"a.txt");
  const std::wstring target = dir / L"no\\such\\x.cab";
  ArchiveWriteFailure failure;
  EXPECT_FALSE(WriteArchive(entries, target.c_str(), nullptr, nullptr, &failure));
  EXPECT_EQ(ArchiveWriteFailure::kTarget, failure.cause);
  EXPECT_EQ(target, failure.path);
  EXPECT_NE(0u, failure.systemError);
  // A folder in the target's place.
  ArchiveWriteFailure folder;
  EXPECT_FALSE(WriteArchive(entries, dir.path().c_str(), nullptr, nullptr, &folder));
  EXPECT_EQ(ArchiveWriteFailure::kTarget, folder.cause);

  for (LANGID language : {kEnglish, kJapanese}) {
    Language use(language);
    const std::wstring text = ArchiveFailureText(failure);
    EXPECT_EQ(0u, text.find(Head(IDS_CREATE_FAILED_TARGET))) << language;
    EXPECT_TRUE(Contains(text, target)) << language;
    EXPECT_FALSE(Contains(text, Text(IDS_CREATE_FAILED))) << language;
  }
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
  {
    Language use(kEnglish);
    EXPECT_EQ(L"Failed to create archive file: it would hold 65536 files, but one cabinet holds "
              L"at most 65,535.",
              ArchiveFailureText(failure));
  }
  Language use(kJapanese);
  const std::wstring text = ArchiveFailureText(failure);
  EXPECT_EQ(0u, text.find(Head(IDS_CREATE_FAILED_TOO_MANY)));
  EXPECT_TRUE(Contains(text, L"65536"));
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
