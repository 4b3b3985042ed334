#include <gtest/gtest.h>

#include <string>

#include "Registry.h"

namespace {

class RegistryRead : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key_, nullptr),
              ERROR_SUCCESS);
  }
  void TearDown() override {
    RegCloseKey(key_);
    RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
  }
  void Set(const wchar_t* name, DWORD type, const void* data, DWORD bytes) {
    ASSERT_EQ(RegSetValueExW(key_, name, 0, type, static_cast<const BYTE*>(data), bytes),
              ERROR_SUCCESS);
  }

  std::wstring path_ =
      L"Software\\Kelvadon\\VesmarinTest\\registry-" + std::to_wstring(GetCurrentProcessId());
  HKEY key_ = nullptr;
};

TEST_F(RegistryRead, WrongTypesAreRefusedAndLeaveTheOutput) {
  const DWORD number = 7;
  const wchar_t text[] = L"seven";
  const BYTE blob[] = {1, 2, 3, 4};
  Set(L"Number", REG_DWORD, &number, sizeof number);
  Set(L"Text", REG_SZ, text, sizeof text);
  Set(L"Blob", REG_BINARY, blob, sizeof blob);
  Set(L"Short", REG_DWORD, &number, 2);

  wchar_t out[16] = L"kept";
  EXPECT_EQ(ReadRegString(key_, L"Number", out, 16), RegReadResult::kWrongType);
  EXPECT_EQ(ReadRegString(key_, L"Blob", out, 16), RegReadResult::kWrongType);
  EXPECT_EQ(ReadRegString(key_, L"Missing", out, 16), RegReadResult::kAbsent);
  EXPECT_STREQ(out, L"kept");

  DWORD value = 99;
  EXPECT_EQ(ReadRegDword(key_, L"Text", &value), RegReadResult::kWrongType);
  EXPECT_EQ(ReadRegDword(key_, L"Blob", &value), RegReadResult::kWrongType);
  EXPECT_EQ(ReadRegDword(key_, L"Short", &value), RegReadResult::kWrongType);
  EXPECT_EQ(value, 99u);
  EXPECT_EQ(ReadRegDword(key_, L"Number", &value), RegReadResult::kRead);
  EXPECT_EQ(value, 7u);

  EXPECT_EQ(ReadRegDword(HKEY_CURRENT_USER, (path_ + L"\\none").c_str(), L"Number", &value),
            RegReadResult::kAbsent);
  EXPECT_EQ(ReadRegDword(HKEY_CURRENT_USER, path_.c_str(), L"Number", &value),
            RegReadResult::kRead);
}

TEST_F(RegistryRead, UnterminatedTextIsTerminated) {
  // Five characters stored without their NUL, followed in the buffer by
  // characters the read must not show.
  Set(L"Bare", REG_SZ, L"abcde", 5 * sizeof(wchar_t));
  wchar_t out[8];
  wmemset(out, L'#', 8);
  ASSERT_EQ(ReadRegString(key_, L"Bare", out, 8), RegReadResult::kRead);
  EXPECT_STREQ(out, L"abcde");

  // Exactly the buffer's size without a NUL: no room for the terminator.
  wmemset(out, L'#', 8);
  EXPECT_EQ(ReadRegString(key_, L"Bare", out, 5), RegReadResult::kTooLong);
  EXPECT_EQ(out[0], L'#');
  EXPECT_EQ(ReadRegString(key_, L"Bare", out, 5, RegTextFit::kCut), RegReadResult::kRead);
  EXPECT_STREQ(out, L"abcd");

  Set(L"Expand", REG_EXPAND_SZ, L"%TEMP%", 7 * sizeof(wchar_t));
  ASSERT_EQ(ReadRegString(key_, L"Expand", out, 8), RegReadResult::kRead);
  EXPECT_STREQ(out, L"%TEMP%");  // not expanded
}

TEST_F(RegistryRead, LongerTextsAreRefusedWhateverTheFit) {
  const wchar_t text[] = L"0123456789";
  Set(L"Long", REG_SZ, text, sizeof text);
  wchar_t out[6] = L"kept";
  EXPECT_EQ(ReadRegString(key_, L"Long", out, 6), RegReadResult::kTooLong);
  EXPECT_EQ(ReadRegString(key_, L"Long", out, 6, RegTextFit::kCut), RegReadResult::kTooLong);
  EXPECT_STREQ(out, L"kept");
  wchar_t fits[11];
  ASSERT_EQ(ReadRegString(HKEY_CURRENT_USER, path_.c_str(), L"Long", fits, 11),
            RegReadResult::kRead);
  EXPECT_STREQ(fits, text);
}

}  // namespace
