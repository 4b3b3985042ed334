// Every string of the build exists in English and in Japanese.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

std::wstring Load(UINT id) {
  wchar_t text[2000] = L"";
  LoadStringW(GetModuleHandleW(nullptr), id, text, 2000);
  return text;
}

std::vector<UINT> BuildStringIds() {
  std::vector<UINT> ids = {181, 182, 183, 186, 187, 188, 215, 247, 248};
  for (UINT id = 265; id <= 293; ++id)
    if (id != 286) ids.push_back(id);  // 286 belongs to the icon page
  for (UINT id = 346; id <= 361; ++id) ids.push_back(id);
  for (UINT id : {402, 403, 404, 405, 406, 407, 409, 410, 411, 440, 441, 442, 443}) ids.push_back(id);
  return ids;
}

TEST(BuildStrings, EnglishAndJapaneseForEveryId) {
  const LCID saved = GetThreadLocale();
  std::vector<std::wstring> english;
  SetThreadLocale(MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT));
  for (UINT id : BuildStringIds()) english.push_back(Load(id));
  SetThreadLocale(MAKELCID(MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT), SORT_DEFAULT));
  const std::vector<UINT> ids = BuildStringIds();
  for (size_t i = 0; i < ids.size(); ++i) {
    const std::wstring japanese = Load(ids[i]);
    EXPECT_FALSE(english[i].empty()) << ids[i];
    EXPECT_FALSE(japanese.empty()) << ids[i];
    EXPECT_NE(japanese, english[i]) << ids[i];
    // Placeholders survive the translation in the same order.
    std::wstring a, b;
    for (size_t k = 0; k + 1 < english[i].size(); ++k)
      if (english[i][k] == L'%' && (english[i][k + 1] == L's' || english[i][k + 1] == L'd'))
        a += english[i][k + 1];
    for (size_t k = 0; k + 1 < japanese.size(); ++k)
      if (japanese[k] == L'%' && (japanese[k + 1] == L's' || japanese[k + 1] == L'd'))
        b += japanese[k + 1];
    EXPECT_EQ(a, b) << ids[i];
  }
  SetThreadLocale(saved);
  EXPECT_EQ(Load(349), L"Temporary folder (+qxtemp.(PID).$$$)");
}

}  // namespace
