#include <gtest/gtest.h>

#include <string>

#include "ResultCodes.h"

namespace {

// Switches the thread's resource language for the life of the object.
class ThreadLanguage {
 public:
  explicit ThreadLanguage(LCID locale) : previous_(GetThreadLocale()) {
    if (!SetThreadLocale(locale)) ADD_FAILURE() << "SetThreadLocale: error " << GetLastError();
  }
  ~ThreadLanguage() { SetThreadLocale(previous_); }

 private:
  LCID previous_;
};

const LCID kEnglish = MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT);
const LCID kJapanese = MAKELCID(MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT), SORT_DEFAULT);

// The text of a string id in one language, read from the string table itself.
std::wstring TableString(UINT id, LANGID language) {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC block = FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), language);
  if (!block) return L"(no block)";
  const WCHAR* p = static_cast<const WCHAR*>(LockResource(LoadResource(module, block)));
  for (UINT i = 0; i < id % 16; ++i) p += 1 + *p;
  return std::wstring(p + 1, *p);
}

TEST(ResultCodes, EnglishMessagesOfEveryCode) {
  ThreadLanguage english(kEnglish);
  const struct {
    int code;
    const wchar_t* text;
  } expected[] = {
      {0, L"Self-extracting file has been successfully created."},
      {1, L"Failed to create file."},
      {2, L"Failed to read archive file."},
      {3, L"Failed to write file."},
      {4, L"Failed to close file."},
      {5, L"Failed to open archive file."},
      {6, L"Failed to allocate memory."},
      {7, L"Failed to open the icon file."},
      {8, L"There is a problem with the icon file.\nThe icon file must contain images of 16x16 "
          L"and 32x32 with 16 colors and 256 colors each."},
      {9, L"Abnormal termination"},
      {10, L"There is a problem with the registration item."},
      {11, L"Abnormal termination"},
      {12, L"Abnormal termination"},
      {13, L"Abnormal termination"},
  };
  for (const auto& entry : expected)
    EXPECT_STREQ(GetResultMessage(entry.code), entry.text) << "code " << entry.code;
  EXPECT_EQ(ResultMessageTable.size(), 14u);
  EXPECT_STREQ(LoadResString(IDS_LANGUAGE_TAG), L"en-us");
}

TEST(ResultCodes, JapaneseMessagesUnderTheSameIds) {
  ThreadLanguage japanese(kJapanese);
  EXPECT_STREQ(LoadResString(IDS_LANGUAGE_TAG), L"ja-jp");
  EXPECT_STREQ(GetResultMessage(0), L"自己解凍ファイルを作成しました。");
  EXPECT_STREQ(GetResultMessage(5), L"アーカイブファイルを開けませんでした。");
  const std::wstring abnormal = GetResultMessage(9);
  EXPECT_EQ(abnormal, L"異常終了しました。");
  for (int code : {11, 12, 13}) EXPECT_EQ(GetResultMessage(code), abnormal);
}

TEST(ResultCodes, BothTablesHoldEveryCoreString) {
  const LANGID english = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
  const LANGID japanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
  for (UINT id : {196u, 245u, 246u, 336u, 362u, 363u, 364u, 365u, 366u, 367u, 368u, 369u, 370u,
                  371u, 372u, static_cast<UINT>(IDS_OPTION_PATH_TOO_LONG)}) {
    std::wstring en = TableString(id, english);
    std::wstring ja = TableString(id, japanese);
    EXPECT_FALSE(en.empty()) << id;
    EXPECT_FALSE(ja.empty()) << id;
    EXPECT_NE(en, ja) << id;  // translated, never left in English
    // Japanese texts carry Japanese characters (the language tag aside).
    if (id != 336) {
      EXPECT_NE(ja.find_first_of(L"のをにがはでしたせ"), std::wstring::npos) << id;
    }
  }
  EXPECT_EQ(TableString(196, english),
            L"The following characters cannot be used for path.\n\n  * ? \" < > | / :");
}

TEST(ResultCodes, LoadsShareOneBuffer) {
  ThreadLanguage english(kEnglish);
  const wchar_t* first = LoadResString(363);
  const std::wstring copy = first;
  const wchar_t* second = LoadResString(364);
  EXPECT_EQ(first, second);
  EXPECT_EQ(copy, L"Failed to create file.");
  EXPECT_STREQ(first, L"Failed to read archive file.");
  EXPECT_STREQ(LoadResString(59999), L"");
}

}  // namespace
