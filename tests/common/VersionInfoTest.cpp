#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "VersionInfo.h"

namespace {

std::wstring SystemFile(const wchar_t* name) {
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  return std::wstring(folder, length) + L"\\" + name;
}

// Read through version.dll of the system folder, as the programs read.
TEST(VersionInfo, ReadsTheFixedPartAndTextsOfASystemLibrary) {
  const VersionApi api = SystemVersionApi();
  ASSERT_NE(api.GetInfoSize, nullptr);
  ASSERT_NE(api.GetInfo, nullptr);
  ASSERT_NE(api.QueryValue, nullptr);
  const std::wstring kernel = SystemFile(L"kernel32.dll");
  std::vector<uint8_t> block;
  ASSERT_EQ(LoadVersionResource(api, kernel.c_str(), &block), VersionReadResult::kRead);
  VS_FIXEDFILEINFO fixed;
  ASSERT_TRUE(QueryFixedFileInfo(api, block, &fixed));
  EXPECT_EQ(fixed.dwSignature, 0xFEEF04BDu);
  EXPECT_GE(HIWORD(fixed.dwFileVersionMS), 5);

  wchar_t text[128];
  ASSERT_EQ(ReadVersionString(api, kernel.c_str(), L"FileVersion", text, 128),
            VersionReadResult::kRead);
  EXPECT_NE(text[0], L'\0');
  wchar_t cut[4];
  wmemset(cut, L'#', 4);
  ASSERT_EQ(ReadVersionString(api, kernel.c_str(), L"FileVersion", cut, 3),
            VersionReadResult::kRead);
  EXPECT_EQ(std::wstring(cut), std::wstring(text, 2));
  EXPECT_EQ(cut[3], L'#');
  EXPECT_EQ(ReadVersionString(api, kernel.c_str(), L"NoSuchValue", text, 128),
            VersionReadResult::kNoValue);
  EXPECT_STREQ(text, L"");
}

TEST(VersionInfo, MissingFilesAndAMissingLibraryReadAsNoResource) {
  const VersionApi api = SystemVersionApi();
  std::vector<uint8_t> block(3);
  EXPECT_EQ(LoadVersionResource(api, L"Z:\\no\\such\\file.dll", &block),
            VersionReadResult::kNoResource);
  EXPECT_TRUE(block.empty());
  VS_FIXEDFILEINFO fixed;
  EXPECT_FALSE(QueryFixedFileInfo(api, block, &fixed));

  // A caller whose binding of version.dll failed.
  const VersionApi unbound = {};
  wchar_t text[8] = L"kept";
  EXPECT_EQ(ReadVersionString(unbound, SystemFile(L"kernel32.dll").c_str(), L"FileVersion", text, 8),
            VersionReadResult::kNoResource);
  EXPECT_STREQ(text, L"");
}

}  // namespace
