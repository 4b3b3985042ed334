// Names inside the archive: which components are allowed, and the pairs
// the cabinet writer takes.
#include <gtest/gtest.h>

#include "ArchiveNames.h"

TEST(ArchiveNames, ComponentsThatCouldClimbOrNameADriveAreRefused) {
  for (const wchar_t* name : {L"", L".", L"..", L"a\\b", L"..\\x.dll", L"a/b", L"C:", L"C:x",
                              L"x.txt:stream", L"/", L"\\"})
    EXPECT_FALSE(IsSafeArchiveComponent(name)) << name;
  EXPECT_FALSE(IsSafeArchiveComponent(std::wstring(260, L'a')));
  EXPECT_FALSE(IsSafeArchiveComponent(std::wstring(L"a\0b", 3)));
  for (const wchar_t* name : {L"a", L".hidden", L"x..y", L"\u65e5\u672c\u8a9e.txt",
                              L"with space", L"FAQ.html", L"faq.html"})
    EXPECT_TRUE(IsSafeArchiveComponent(name)) << name;
  EXPECT_TRUE(IsSafeArchiveComponent(std::wstring(259, L'a')));
}

TEST(ArchiveNames, NamesWindowsCannotHoldAreRefused) {
  // Device names, with or without an extension and in any case.
  for (const wchar_t* name : {L"con", L"CON", L"nul.txt", L"aux.h", L"prn", L"com1", L"COM9.log",
                              L"lpt1", L"Lpt9.doc", L"nul .txt", L"con.tar.gz"})
    EXPECT_FALSE(IsSafeArchiveComponent(name)) << name;
  // Characters no Windows name holds, and a trailing dot or space.
  for (const wchar_t* name : {L"q?.txt", L"a<b", L"a>b", L"say\"hi\"", L"a|b", L"star*",
                              L"trail.", L"trail ", L"...", L"tab\there", L"back\\slash"})
    EXPECT_FALSE(IsSafeArchiveComponent(name)) << name;
  // Near misses are names like any other.
  for (const wchar_t* name : {L"console", L"nulls.txt", L"com10", L"com0", L"lpt", L"auxiliary.h",
                              L"x.con", L"a.b.c", L" lead", L"semi;colon", L"brace{}[]"})
    EXPECT_TRUE(IsSafeArchiveComponent(name)) << name;
}

TEST(ArchiveNames, EveryPairIsKeptInOrderWhateverItsName) {
  ArchiveEntryList list;
  list.Add(L"C:\\one\\FAQ.html", L"doc\\FAQ.html");
  list.Add(L"C:\\two\\faq.html", L"doc\\faq.html");
  list.Add(L"C:\\a\\__init__.py", L"__init__.py");
  list.Add(L"C:\\b\\__init__.py", L"__init__.py");
  EXPECT_EQ((std::vector<std::wstring>{L"doc\\FAQ.html", L"doc\\faq.html", L"__init__.py",
                                       L"__init__.py"}),
            list.names());
  EXPECT_EQ((std::vector<std::wstring>{L"C:\\one\\FAQ.html", L"C:\\two\\faq.html",
                                       L"C:\\a\\__init__.py", L"C:\\b\\__init__.py"}),
            list.sources());
  EXPECT_EQ(4u, list.size());
}
