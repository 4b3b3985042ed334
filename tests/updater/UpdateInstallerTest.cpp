// Installing an update: which file names the server may give, progress
// arithmetic, and the signature check of downloaded updates on the prepared
// programs (only an intact file signed by the expected signer passes).
#include <windows.h>

#include <gtest/gtest.h>

#include <cwctype>
#include <string>
#include <vector>

#include "DownloadFolder.h"
#include "TestSupport.h"
#include "UpdateInstaller.h"

namespace {

using testsupport::Narrow;

TEST(UpdateFileName, OnlyBareNamesAreAccepted) {
  for (const wchar_t* good : {L"setup.exe", L"Marqon 5.4 setup.exe", L"a", L"COM10.exe",
                              L"\u66f4\u65b0.exe", L"..exe", L"console.exe"})
    EXPECT_TRUE(IsBareFileName(good)) << Narrow(good);
  for (const wchar_t* bad :
       {L"", L".", L"..", L"..\\x.exe", L"../x.exe", L"sub\\setup.exe", L"C:setup.exe",
        L"setup.exe:stream", L"\\\\server\\share\\x.exe", L"setup.exe.", L"setup.exe ",
        L"CON", L"con.exe", L"Nul.txt", L"aux", L"COM1.exe", L"lpt9", L"CONIN$", L"a*b.exe",
        L"a?.exe", L"a|b", L"a\"b", L"a<b", L"line\nbreak.exe", L"tab\t.exe"})
    EXPECT_FALSE(IsBareFileName(bad)) << Narrow(bad);
}

TEST(UpdateProgress, IsComputedInSixtyFourBits) {
  EXPECT_EQ(ProgressPercent(0, 0), 0u);
  EXPECT_EQ(ProgressPercent(150, 300), 50u);
  // Above 42.9 MB, position x 100 no longer fits 32 bits.
  EXPECT_EQ(ProgressPercent(45000000, 90000000), 50u);
  EXPECT_EQ(ProgressPercent(4000000000ull, 4000000000ull), 100u);
  EXPECT_EQ(ProgressPercent(5000, 1000), 100u) << "never past the end";
}

std::wstring Program(const wchar_t* name) {
  return testsupport::BinDir() + L"..\\updater-programs\\" + name;
}

// The verdict for path checked through a handle that denies writes.
bool Verdict(const std::wstring& path, const wchar_t* signer, const wchar_t* key = kUpdateSignerKey) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_NE(file, INVALID_HANDLE_VALUE) << testsupport::Narrow(path);
  bool valid = true;
  EXPECT_TRUE(VerifyUpdateSignature(nullptr, path.c_str(), file, signer, key, &valid));
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
  EXPECT_FALSE(Verdict(Program(L"update-unsigned.exe"), kUpdateSignerName));
  // The pinned key decides: letter case aside, every digit counts, and no
  // pin lets nothing through.
  std::wstring upper = kUpdateSignerKey;
  for (wchar_t& c : upper) c = static_cast<wchar_t>(towupper(c));
  EXPECT_TRUE(Verdict(Program(L"update-signed.exe"), kUpdateSignerName, upper.c_str()));
  std::wstring other = kUpdateSignerKey;
  other[63] = other[63] == L'0' ? L'1' : L'0';
  EXPECT_FALSE(Verdict(Program(L"update-signed.exe"), kUpdateSignerName, other.c_str()));
  EXPECT_FALSE(Verdict(Program(L"update-signed.exe"), kUpdateSignerName, L""));
  EXPECT_FALSE(Verdict(Program(L"update-signed.exe"), kUpdateSignerName, nullptr));
  EXPECT_FALSE(Verdict(Program(L"update-signed.exe"), kUpdateSignerName,
                       std::wstring(kUpdateSignerKey).substr(0, 63).c_str()));

  // One changed byte in the signed code.
  testsupport::TempDir dir(L"sig");
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(testsupport::ReadFileBytes(Program(L"update-signed.exe"), bytes));
  bytes[0x400] ^= 0x01;
  ASSERT_TRUE(testsupport::WriteFileBytes(dir / L"changed.exe", bytes));
  EXPECT_FALSE(Verdict(dir / L"changed.exe", kUpdateSignerName));
}

TEST(UpdateSignature, ALookAlikeSignerWithAnotherKeyIsRefused) {
  // The impostor's certificate carries the pinned signer's name; where the
  // system trusts any self-signed certificate (as Wine does), the name
  // alone would let it through.
  EXPECT_FALSE(Verdict(Program(L"update-impostor.exe"), kUpdateSignerName));
  EXPECT_FALSE(Verdict(Program(L"update-foreign.exe"), L"Another Publisher"))
      << "another publisher's key is not the pinned one either";
}

}  // namespace
