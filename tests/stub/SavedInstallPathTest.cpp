// The install folder saved in the registry: read with a length limit and
// checked like a typed destination.
#include <gtest/gtest.h>

#include <string>

#include "SavedInstallPath.h"

namespace {

class SavedPath : public ::testing::Test {
 protected:
  void SetUp() override {
    key_ = L"Software\\VesmarinStubTest\\" + std::to_wstring(GetCurrentProcessId());
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key_handle_, nullptr),
              ERROR_SUCCESS);
  }
  void TearDown() override {
    RegCloseKey(key_handle_);
    RegDeleteKeyW(HKEY_CURRENT_USER, key_.c_str());
  }
  void Set(const wchar_t* name, const std::wstring& text, DWORD type = REG_SZ) {
    RegSetValueExW(key_handle_, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }
  stub::SavedPathResult Read(const wchar_t* name, wchar_t* folder) {
    return stub::ReadSavedInstallPath(HKEY_CURRENT_USER, key_.c_str(), name, folder);
  }
  std::wstring key_;
  HKEY key_handle_ = nullptr;
};

TEST_F(SavedPath, ValidFolderComesBackWithABackslash) {
  Set(L"Dir", L"C:\\Apps\\Example");
  wchar_t folder[MAX_PATH];
  ASSERT_EQ(Read(L"Dir", folder), stub::kSavedPathFound);
  EXPECT_STREQ(folder, L"C:\\Apps\\Example\\");
}

TEST_F(SavedPath, AbsentKeyValueOrTypeIsAbsent) {
  wchar_t folder[MAX_PATH];
  EXPECT_EQ(Read(L"Nothing", folder), stub::kSavedPathAbsent);
  EXPECT_EQ(stub::ReadSavedInstallPath(HKEY_CURRENT_USER, L"Software\\VesmarinStubTest\\none",
                                       L"Dir", folder),
            stub::kSavedPathAbsent);
  DWORD number = 5;
  RegSetValueExW(key_handle_, L"Number", 0, REG_DWORD, reinterpret_cast<BYTE*>(&number), 4);
  EXPECT_EQ(Read(L"Number", folder), stub::kSavedPathAbsent);
  Set(L"Empty", L"");
  EXPECT_EQ(Read(L"Empty", folder), stub::kSavedPathAbsent);
}

TEST_F(SavedPath, LongOrMalformedValuesAreRefused) {
  wchar_t folder[MAX_PATH] = L"untouched";
  Set(L"Long", L"C:\\" + std::wstring(400, L'x'));
  EXPECT_EQ(Read(L"Long", folder), stub::kSavedPathInvalid);
  Set(L"Exactly260", L"C:\\" + std::wstring(257, L'x'));
  EXPECT_EQ(Read(L"Exactly260", folder), stub::kSavedPathInvalid);
  Set(L"NoRoomForBackslash", L"C:\\" + std::wstring(256, L'x'));
  EXPECT_EQ(Read(L"NoRoomForBackslash", folder), stub::kSavedPathInvalid);
  Set(L"Chars", L"C:\\Apps\\<bad>|");
  EXPECT_EQ(Read(L"Chars", folder), stub::kSavedPathInvalid);
  Set(L"Doubled", L"C:\\Apps\\\\Example");
  EXPECT_EQ(Read(L"Doubled", folder), stub::kSavedPathInvalid);
  Set(L"Relative", L"Apps\\Example");
  EXPECT_EQ(Read(L"Relative", folder), stub::kSavedPathInvalid);
  Set(L"RootRelative", L"\\Apps");
  EXPECT_EQ(Read(L"RootRelative", folder), stub::kSavedPathInvalid);
  EXPECT_STREQ(folder, L"untouched");
  // A value stored without its terminating NUL is still read safely.
  std::wstring raw = L"D:\\Raw";
  RegSetValueExW(key_handle_, L"Raw", 0, REG_SZ, reinterpret_cast<const BYTE*>(raw.c_str()),
                 static_cast<DWORD>(raw.size() * sizeof(wchar_t)));
  ASSERT_EQ(Read(L"Raw", folder), stub::kSavedPathFound);
  EXPECT_STREQ(folder, L"D:\\Raw\\");
}

TEST(SavedPathRoot, RootWords) {
  EXPECT_EQ(stub::SavedPathRoot(0), HKEY_CURRENT_USER);
  EXPECT_EQ(stub::SavedPathRoot(1), HKEY_LOCAL_MACHINE);
}

}  // namespace
