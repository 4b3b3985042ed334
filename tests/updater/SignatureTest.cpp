// The signature check of downloaded updates on the prepared programs: only
// an intact file signed by the expected signer passes.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "UpdateInstaller.h"

namespace {

std::wstring Program(const wchar_t* name) {
  return testsupport::BinDir() + L"..\\updater-programs\\" + name;
}

// The verdict for path checked through a handle that denies writes.
bool Verdict(const std::wstring& path, const wchar_t* signer) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_NE(file, INVALID_HANDLE_VALUE) << testsupport::Narrow(path);
  bool valid = true;
  EXPECT_TRUE(VerifyUpdateSignature(nullptr, path.c_str(), file, signer, &valid));
  // While the check holds the file, nobody can write to it.
  HANDLE writer = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
  if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
  CloseHandle(file);
  return valid;
}

TEST(UpdateSignature, OnlyTheMakersIntactSignaturePasses) {
  EXPECT_TRUE(Verdict(Program(L"update-signed.exe"), kUpdateSignerName));
  EXPECT_STREQ(kUpdateSignerName, L"Vesmarin Test Update Signer");
  EXPECT_FALSE(Verdict(Program(L"update-signed.exe"), L"Another Publisher"));
  EXPECT_FALSE(Verdict(Program(L"update-signed.exe"), L"Vesmarin Test Update"));
  EXPECT_FALSE(Verdict(Program(L"update-foreign.exe"), kUpdateSignerName));
  EXPECT_TRUE(Verdict(Program(L"update-foreign.exe"), L"Another Publisher"))
      << "the check itself accepts that signature: only the signer differs";
  EXPECT_FALSE(Verdict(Program(L"update-unsigned.exe"), kUpdateSignerName));

  // One changed byte in the signed code.
  testsupport::TempDir dir(L"sig");
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(testsupport::ReadFileBytes(Program(L"update-signed.exe"), bytes));
  bytes[0x400] ^= 0x01;
  ASSERT_TRUE(testsupport::WriteFileBytes(dir / L"changed.exe", bytes));
  EXPECT_FALSE(Verdict(dir / L"changed.exe", kUpdateSignerName));
}

}  // namespace
