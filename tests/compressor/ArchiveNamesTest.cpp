// Names inside the archive: which components are allowed, and one entry per
// name.
#include <gtest/gtest.h>

#include "ArchiveNames.h"

TEST(ArchiveNames, ComponentsThatCouldClimbOrNameADriveAreRefused) {
  for (const wchar_t* name : {L"", L".", L"..", L"a\\b", L"..\\x.dll", L"a/b", L"C:", L"C:x",
                              L"x.txt:stream", L"/", L"\\"})
    EXPECT_FALSE(IsSafeArchiveComponent(name)) << name;
  EXPECT_FALSE(IsSafeArchiveComponent(std::wstring(260, L'a')));
  EXPECT_FALSE(IsSafeArchiveComponent(std::wstring(L"a\0b", 3)));
  for (const wchar_t* name : {L"a", L"...", L".hidden", L"x..y", L"\u65e5\u672c\u8a9e.txt",
                              L"with space"})
    EXPECT_TRUE(IsSafeArchiveComponent(name)) << name;
  EXPECT_TRUE(IsSafeArchiveComponent(std::wstring(259, L'a')));
}

TEST(ArchiveNames, TheFirstEntryOfANameStaysWhateverItsCase) {
  ArchiveEntryList list;
  EXPECT_TRUE(list.Add(L"C:\\one\\Read.me", L"doc\\Read.me"));
  EXPECT_TRUE(list.Add(L"C:\\two\\x", L"doc\\x"));
  EXPECT_FALSE(list.Add(L"C:\\three\\READ.ME", L"DOC\\read.ME"));
  EXPECT_FALSE(list.Add(L"C:\\four\\x", L"doc\\x"));
  EXPECT_TRUE(list.Add(L"C:\\five\\\u00e4", L"\u00e4"));
  EXPECT_FALSE(list.Add(L"C:\\six\\\u00c4", L"\u00c4"));
  EXPECT_EQ((std::vector<std::wstring>{L"doc\\Read.me", L"doc\\x", L"\u00e4"}), list.names());
  EXPECT_EQ((std::vector<std::wstring>{L"C:\\one\\Read.me", L"C:\\two\\x", L"C:\\five\\\u00e4"}),
            list.sources());
}
