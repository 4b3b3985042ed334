// Help addresses per dialog, in both languages.
#include <gtest/gtest.h>

#include <string>

#include "ContextHelp.h"
#include "VesmarinResource.h"

namespace {

std::wstring TableString(UINT id, LANGID language) {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC block = FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), language);
  if (!block) return L"";
  const wchar_t* data = static_cast<const wchar_t*>(LockResource(LoadResource(module, block)));
  for (UINT i = 0; i < id % 16; ++i) data += 1 + *data;
  return std::wstring(data + 1, *data);
}

const LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
const LANGID kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);

TEST(ContextHelp, DialogIdsMapToTheirPages) {
  EXPECT_EQ(static_cast<UINT>(IDS_HELP_FRONT_PAGE), HelpStringForDialog(0));
  EXPECT_EQ(static_cast<UINT>(IDS_HELP_FRONT_PAGE), HelpStringForDialog(106));
  EXPECT_EQ(static_cast<UINT>(IDS_HELP_FRONT_PAGE), HelpStringForDialog(118));
  EXPECT_EQ(static_cast<UINT>(IDS_HELP_START_METHOD), HelpStringForDialog(IDD_START_METHOD));
  EXPECT_EQ(static_cast<UINT>(IDS_HELP_EXTENSION_PAGE), HelpStringForDialog(IDD_PAGE_EXTENSION));
  EXPECT_EQ(static_cast<UINT>(IDS_HELP_ICON_PAGE), HelpStringForDialog(IDD_PAGE_ICON));
}

TEST(ContextHelp, EveryAddressHasTheLanguagesPath) {
  for (UINT id = IDS_HELP_START_METHOD; id <= IDS_HELP_FRONT_PAGE; ++id) {
    const std::wstring english = TableString(id, kEnglish);
    const std::wstring japanese = TableString(id, kJapanese);
    ASSERT_EQ(0u, english.find(L"https://")) << id;
    const size_t at = english.find(L"/help/en/vesmarin6/");
    ASSERT_NE(std::wstring::npos, at) << id;
    std::wstring expected = english;
    expected.replace(at, 9, L"/help/ja/");
    EXPECT_EQ(expected, japanese) << id;
  }
  EXPECT_NE(std::wstring::npos, TableString(IDS_HELP_START_METHOD, kEnglish)
                                    .find(L"/help/en/vesmarin6/startup_dialog/"));
  EXPECT_NE(std::wstring::npos, TableString(IDS_HELP_EXTRA_COPY, kEnglish)
                                    .find(L"/windows_vesmarin/config/special/#copy"));
}

}  // namespace
