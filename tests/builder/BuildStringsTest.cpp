// Every string of the build exists in English and in Japanese, and the
// Japanese texts spell their long-vowel words one way.
#include <gtest/gtest.h>

#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "VesmarinResource.h"

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
  for (UINT id = 480; id <= 489; ++id) ids.push_back(id);
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

namespace {

struct JapaneseText {
  std::vector<std::wstring> found;
};

// Collects every occurrence of a long-vowel word written without its mark.
BOOL CALLBACK ScanJapanese(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR context) {
  HRSRC resource = FindResourceExW(module, type, name, MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
  if (!resource) return TRUE;
  HGLOBAL loaded = LoadResource(module, resource);
  const wchar_t* text = static_cast<const wchar_t*>(LockResource(loaded));
  const size_t count = SizeofResource(module, resource) / sizeof(wchar_t);
  if (!text) return TRUE;
  // Texts in string tables, dialog templates and menus are UTF-16 on
  // word boundaries: the resource can be read as one run of characters.
  const std::wstring all(text, count);
  for (const wchar_t* word : {L"フォルダ", L"アンインストーラ"})
    for (size_t at = all.find(word); at != std::wstring::npos; at = all.find(word, at + 1)) {
      const size_t after = at + wcslen(word);
      if (after >= all.size() || all[after] != L'ー')
        reinterpret_cast<JapaneseText*>(context)->found.push_back(all.substr(at, 12));
    }
  return TRUE;
}

TEST(BuildStrings, JapaneseTextsSpellFolderAndUninstallerOneWay) {
  JapaneseText text;
  HMODULE module = GetModuleHandleW(nullptr);
  for (LPCWSTR type : {RT_STRING, RT_DIALOG, RT_MENU})
    EnumResourceNamesW(module, type, ScanJapanese, reinterpret_cast<LONG_PTR>(&text));
  for (const std::wstring& found : text.found) ADD_FAILURE() << testsupport::Narrow(found);
  // The scan reached the base-folder names.
  SetThreadLocale(MAKELCID(MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT), SORT_DEFAULT));
  EXPECT_NE(std::wstring::npos, Load(IDS_BASE_FOLDER_WINDOWS).find(L"フォルダー"));
  SetThreadLocale(MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT));
}

}  // namespace
