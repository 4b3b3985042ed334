// The updater's registry values: lengths, types and terminators.
#include <gtest/gtest.h>

#include <string>

#include "UpdaterRegistry.h"

namespace {

class UpdaterRegistry : public ::testing::Test {
 protected:
  void SetUp() override {
    key_ = L"Software\\VesmarinTests\\UpdaterRegistry" + std::to_wstring(GetCurrentProcessId());
    RegDeleteTreeW(HKEY_CURRENT_USER, key_.c_str());
  }
  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, key_.c_str()); }
  void SetRaw(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
  }
  std::wstring key_;
};

TEST_F(UpdaterRegistry, StringLengthsAndMissingValues) {
  wchar_t buffer[kRegStringCapacity];
  const std::wstring nested = key_ + L"\\deeper\\still";
  ASSERT_EQ(WriteRegString(nested.c_str(), L"v", L"abc"), 1) << "keys are made on the way";
  EXPECT_EQ(ReadRegString(nested.c_str(), L"v", buffer), 1);
  EXPECT_STREQ(buffer, L"abc");

  const std::wstring fits(99, L'a');
  const std::wstring tooLong(120, L'b');
  ASSERT_EQ(WriteRegString(key_.c_str(), L"fits", fits.c_str()), 1);
  ASSERT_EQ(WriteRegString(key_.c_str(), L"long", tooLong.c_str()), 1);
  EXPECT_EQ(ReadRegString(key_.c_str(), L"fits", buffer), 1);
  EXPECT_EQ(buffer, fits);
  wcscpy(buffer, L"stale");
  EXPECT_EQ(ReadRegString(key_.c_str(), L"long", buffer), 0);
  EXPECT_STREQ(buffer, L"");
  EXPECT_EQ(ReadRegString(key_.c_str(), L"absent", buffer), 0);
  EXPECT_EQ(ReadRegString((key_ + L"\\none").c_str(), L"v", buffer), 0);
  EXPECT_EQ(ReadRegString(nullptr, L"v", buffer), 0);
}

TEST_F(UpdaterRegistry, StringsCheckTypeAndTerminator) {
  wchar_t buffer[kRegStringCapacity];
  // 100 characters without a terminator do not fit with one.
  const std::wstring hundred(100, L'c');
  SetRaw(L"unterminated", REG_SZ, hundred.data(), 200);
  EXPECT_EQ(ReadRegString(key_.c_str(), L"unterminated", buffer), 0);
  // A shorter unterminated value reads terminated.
  SetRaw(L"short", REG_SZ, L"xyz", 6);
  EXPECT_EQ(ReadRegString(key_.c_str(), L"short", buffer), 1);
  EXPECT_STREQ(buffer, L"xyz");
  const DWORD number = 7;
  SetRaw(L"dword", REG_DWORD, &number, 4);
  EXPECT_EQ(ReadRegString(key_.c_str(), L"dword", buffer), 0);
  SetRaw(L"binary", REG_BINARY, L"abc", 8);
  EXPECT_EQ(ReadRegString(key_.c_str(), L"binary", buffer), 0);
  SetRaw(L"odd", REG_SZ, "ab\0", 3);
  EXPECT_EQ(ReadRegString(key_.c_str(), L"odd", buffer), 1);
  EXPECT_LE(wcslen(buffer), 1u);
}

TEST_F(UpdaterRegistry, DwordsMustBeFourByteDwords) {
  EXPECT_EQ(ReadRegDword(key_.c_str(), L"absent", 9), 9u);
  EXPECT_EQ(ReadRegDword((key_ + L"\\none").c_str(), L"v", 9), 9u);
  ASSERT_EQ(WriteRegDword(key_.c_str(), L"ok", 2), 1);
  EXPECT_EQ(ReadRegDword(key_.c_str(), L"ok", 9), 2u);
  const unsigned long long wide = 5;
  SetRaw(L"qword", REG_QWORD, &wide, 8);
  EXPECT_EQ(ReadRegDword(key_.c_str(), L"qword", 9), 9u);
  const BYTE two[2] = {1, 0};
  SetRaw(L"short", REG_DWORD, two, 2);
  EXPECT_EQ(ReadRegDword(key_.c_str(), L"short", 9), 9u);
  SetRaw(L"text", REG_SZ, L"1", 4);
  EXPECT_EQ(ReadRegDword(key_.c_str(), L"text", 9), 9u);
  const DWORD one = 1;
  SetRaw(L"binary", REG_BINARY, &one, 4);
  EXPECT_EQ(ReadRegDword(key_.c_str(), L"binary", 9), 9u);
}

}  // namespace
