// The Uninstall entry's values as the settings and the interface language
// give them, and their way into the registry.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PostInstallTestUtil.h"
#include "SfxContainer.h"
#include "TestSupport.h"
#include "UninstallEntry.h"

namespace {

using postinsttest::ScopedSettings;
using postinsttest::Set;
using stub::UninstallEntryValue;

const wchar_t kUninstaller[] = L"C:\\Program Files\\Example\\Hollmere64.exe";
const unsigned long long kFiveGiB = 5ull << 30;

// "name=text" or "name=#number", in order.
std::vector<std::wstring> Flatten(const std::vector<UninstallEntryValue>& values) {
  std::vector<std::wstring> lines;
  for (const UninstallEntryValue& v : values)
    lines.push_back(v.name + L"=" + (v.isNumber ? L"#" + std::to_wstring(v.number) : v.text));
  return lines;
}

void FillPackage(stub::StubSettings& s) {
  Set(s.UnInstallTitle, L"Example (plain)");
  Set(s.UnInstallTitleE, L"Example");
  Set(s.UnInstallKey, L"Example");
  Set(s.UninstIconFile, L"bin\\app.exe,0");
  Set(s.UnInstallPublisher, L"Plain Co");                   // no English text
  Set(s.UnInstallSupportLink, L"https://plain.example/");
  Set(s.UnInstallSupportLinkE, L"https://english.example/");
  Set(s.UnInstallUpdateLinkE, L"https://english.example/update");  // English only
  Set(s.UnInstallVersion, L"1.2.3");
  s.FlagsB = SfxFlagsB::UnInstallSetVersion | SfxFlagsB::UnInstallAutoSetSize;
}

TEST(UninstallEntry, EnglishRunWritesEnglishTextsFallingBackToThePlainOnes) {
  ScopedSettings s;
  FillPackage(*s);
  std::vector<UninstallEntryValue> values;
  ASSERT_TRUE(stub::ComposeUninstallEntry(*s, false, kUninstaller, L"/s", kFiveGiB, &values));
  const std::vector<std::wstring> expected = {
      L"DisplayName=Example",
      L"UninstallString=\"C:\\Program Files\\Example\\Hollmere64.exe\" /s",
      L"InstallLocation=C:\\Program Files\\Example\\",
      L"DisplayIcon=C:\\Program Files\\Example\\bin\\app.exe,0",
      L"Publisher=Plain Co",
      L"URLInfoAbout=https://english.example/",
      L"URLUpdateInfo=https://english.example/update",
      L"DisplayVersion=1.2.3",
      L"EstimatedSize=#5242880",
  };
  EXPECT_EQ(Flatten(values), expected);
}

TEST(UninstallEntry, JapaneseRunWritesThePlainTextsOnly) {
  ScopedSettings s;
  FillPackage(*s);
  std::vector<UninstallEntryValue> values;
  ASSERT_TRUE(stub::ComposeUninstallEntry(*s, true, kUninstaller, L"/s", kFiveGiB, &values));
  const std::vector<std::wstring> expected = {
      L"DisplayName=Example (plain)",
      L"UninstallString=\"C:\\Program Files\\Example\\Hollmere64.exe\" /s",
      L"InstallLocation=C:\\Program Files\\Example\\",
      L"DisplayIcon=C:\\Program Files\\Example\\bin\\app.exe,0",
      L"Publisher=Plain Co",
      L"URLInfoAbout=https://plain.example/",
      L"DisplayVersion=1.2.3",
      L"EstimatedSize=#5242880",
  };
  EXPECT_EQ(Flatten(values), expected);
}

TEST(UninstallEntry, VersionSizeAndIconNeedTheirSettings) {
  ScopedSettings s;
  Set(s->UnInstallTitleE, L"Bare");
  Set(s->UnInstallVersion, L"9.9");  // without UnInstallSetVersion
  std::vector<UninstallEntryValue> values;
  ASSERT_TRUE(stub::ComposeUninstallEntry(*s, false, kUninstaller, L"", kFiveGiB, &values));
  const std::vector<std::wstring> bare = {
      L"DisplayName=Bare",
      L"UninstallString=\"C:\\Program Files\\Example\\Hollmere64.exe\"",
      L"InstallLocation=C:\\Program Files\\Example\\",
  };
  EXPECT_EQ(Flatten(values), bare);

  // The flags with an empty version and nothing installed write nothing more.
  s->FlagsB = SfxFlagsB::UnInstallSetVersion | SfxFlagsB::UnInstallAutoSetSize;
  Set(s->UnInstallVersion, L"");
  ASSERT_TRUE(stub::ComposeUninstallEntry(*s, false, kUninstaller, L"", 0, &values));
  EXPECT_EQ(Flatten(values), bare);
  ASSERT_TRUE(stub::ComposeUninstallEntry(*s, false, kUninstaller, L"", 1023, &values));
  EXPECT_EQ(Flatten(values).back(), L"EstimatedSize=#0");

  // No uninstaller path, no entry.
  EXPECT_FALSE(stub::ComposeUninstallEntry(*s, false, L"", L"/s", 0, &values));
}

TEST(UninstallEntry, EstimatedSizeIsInKibAndCappedWhenItOverflows) {
  EXPECT_EQ(stub::EstimatedSizeKiB(kFiveGiB), 5242880u);
  EXPECT_EQ(stub::EstimatedSizeKiB(2047), 1u);
  EXPECT_EQ(stub::EstimatedSizeKiB((1ull << 42) - 1), 0xFFFFFFFFu);
  EXPECT_EQ(stub::EstimatedSizeKiB(1ull << 42), 0x3FFFFFu);
  EXPECT_EQ(stub::EstimatedSizeKiB(~0ull), 0x3FFFFFu);
}

TEST(UninstallEntry, UninstallStringQuotesThePathAndSeparatesTheArguments) {
  wchar_t out[600];
  ASSERT_TRUE(stub::ComposeUninstallString(L"C:\\A\\u.exe", L"/s", out, ARRAYSIZE(out)));
  EXPECT_STREQ(out, L"\"C:\\A\\u.exe\" /s");
  ASSERT_TRUE(stub::ComposeUninstallString(L"C:\\A\\u.exe", L"  -x", out, ARRAYSIZE(out)));
  EXPECT_STREQ(out, L"\"C:\\A\\u.exe\"  -x");
  ASSERT_TRUE(stub::ComposeUninstallString(L"C:\\A\\u.exe", L"", out, ARRAYSIZE(out)));
  EXPECT_STREQ(out, L"\"C:\\A\\u.exe\"");

  // The longest settings fit the entry's buffer; a short buffer is refused
  // whole, never cut.
  const std::wstring path = L"C:\\" + std::wstring(190, L'p') + L"\\u.exe";  // 200 characters
  const std::wstring args(259, L'a');
  ASSERT_TRUE(stub::ComposeUninstallString(path.c_str(), args.c_str(), out, ARRAYSIZE(out)));
  EXPECT_EQ(std::wstring(out), L"\"" + path + L"\" " + args);
  wchar_t small[20];
  EXPECT_FALSE(stub::ComposeUninstallString(path.c_str(), L"/s", small, ARRAYSIZE(small)));
  EXPECT_STREQ(small, L"");
}

TEST(UninstallEntry, LongUninstallerPathIsGivenInItsShortForm) {
  testsupport::TempDir dir(L"ue");
  std::wstring folder = dir.path();
  while (folder.size() < 200) {
    folder += L"A rather long folder name\\";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  }
  const std::wstring path = folder + L"Hollmere64.exe";
  ASSERT_TRUE(testsupport::WriteFileBytes(path, "MZ", 2));
  ASSERT_GE(path.size(), 201u);
  wchar_t shortPath[MAX_PATH];
  const DWORD length = GetShortPathNameW(path.c_str(), shortPath, MAX_PATH);
  ASSERT_GT(length, 0u);
  wchar_t out[600];
  ASSERT_TRUE(stub::ComposeUninstallString(path.c_str(), L"/s", out, ARRAYSIZE(out)));
  EXPECT_EQ(std::wstring(out), L"\"" + std::wstring(shortPath) + L"\" /s");
  EXPECT_LT(wcslen(out), path.size()) << "the short form is shorter";

  // Without a short form (the file is missing) the long path is kept.
  const std::wstring missing = folder + L"Missing64.exe";
  ASSERT_TRUE(stub::ComposeUninstallString(missing.c_str(), L"/s", out, ARRAYSIZE(out)));
  EXPECT_EQ(std::wstring(out), L"\"" + missing + L"\" /s");
}

TEST(UninstallEntry, ValuesReachTheMachineKeyWithTheirTypes) {
  const std::wstring key = L"VesmarinPostinstTest-" + std::to_wstring(GetCurrentProcessId());
  std::vector<UninstallEntryValue> values = {
      {L"DisplayName", false, L"Ex\x00E4mple", 0},
      {L"EstimatedSize", true, L"", 5242880},
  };
  ASSERT_TRUE(stub::WriteUninstallEntryValues(key.c_str(), values));
  const std::wstring path = std::wstring(stub::kUninstallKeyPath) + key;
  HKEY handle = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &handle), ERROR_SUCCESS);
  wchar_t text[64] = {};
  DWORD type = 0, size = sizeof(text);
  EXPECT_EQ(RegQueryValueExW(handle, L"DisplayName", nullptr, &type, reinterpret_cast<BYTE*>(text),
                             &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_STREQ(text, L"Ex\x00E4mple");
  EXPECT_EQ(size, 8 * sizeof(wchar_t)) << "the terminating NUL is stored";
  DWORD number = 0;
  size = sizeof(number);
  EXPECT_EQ(RegQueryValueExW(handle, L"EstimatedSize", nullptr, &type,
                             reinterpret_cast<BYTE*>(&number), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(number, 5242880u);
  RegCloseKey(handle);
  EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, path.c_str()), ERROR_SUCCESS);

  EXPECT_FALSE(stub::WriteUninstallEntryValues(L"", values)) << "no key name, no entry";
}

}  // namespace
