// Version-resource and signature queries on real program files.
#include <gtest/gtest.h>

#include "PatchTestUtil.h"
#include "VersionQueries.h"
#include "vesmarin_version.h"

namespace patchtest {
namespace {

const int kCapacity = 260;

std::wstring Fixture(const wchar_t* name) { return testsupport::BinPath(name); }

TEST(VersionQueries, StringsOfTheStub) {
  std::wstring stub = testsupport::BinPath(L"Tessaly64.exe");
  wchar_t text[kCapacity];
  ASSERT_TRUE(GetFileDescription(stub.c_str(), text, kCapacity));
  EXPECT_STREQ(text, L"Vesmarin Self-Extractor");
  ASSERT_TRUE(GetInternalName(stub.c_str(), text, kCapacity));
  EXPECT_STREQ(text, L"TESSALY");
  ASSERT_TRUE(GetFileVersionText(stub.c_str(), text, kCapacity));
  EXPECT_EQ(testsupport::Narrow(text), VESMARIN_VERSION_TEXT);
  WORD major = 0, minor = 0, build = 0, revision = 0;
  ASSERT_TRUE(GetFileVersionNumbers(stub.c_str(), &major, &minor, &build, &revision));
  EXPECT_EQ(major, VESMARIN_VERSION_MAJOR);
  EXPECT_EQ(minor, VESMARIN_VERSION_MINOR);
  EXPECT_EQ(build, VESMARIN_VERSION_PATCH);
  EXPECT_EQ(revision, VESMARIN_VERSION_TWEAK);
}

TEST(VersionQueries, FileWithoutVersionResource) {
  for (std::wstring path :
       {Fixture(L"patching_fixture_plain.exe"), Fixture(L"no-such-program.exe")}) {
    SCOPED_TRACE(testsupport::Narrow(path));
    wchar_t text[kCapacity] = L"left over";
    EXPECT_FALSE(GetFileVersionText(path.c_str(), text, kCapacity));
    EXPECT_STREQ(text, L"0.00");
    wcscpy(text, L"left over");
    EXPECT_FALSE(GetFileDescription(path.c_str(), text, kCapacity));
    EXPECT_STREQ(text, L"");
    wcscpy(text, L"left over");
    EXPECT_FALSE(GetInternalName(path.c_str(), text, kCapacity));
    EXPECT_STREQ(text, L"");
    WORD major = 77, minor = 77;
    EXPECT_FALSE(GetFileVersionNumbers(path.c_str(), &major, &minor, nullptr, nullptr));
    EXPECT_EQ(major, 77);
    EXPECT_EQ(minor, 77);
  }
}

TEST(VersionQueries, FirstTranslationCounts) {
  std::wstring path = Fixture(L"patching_fixture_version.exe");
  wchar_t text[kCapacity] = L"left over";
  // The first translation (US English) has no InternalName; the second
  // (Japanese) has one, which is not used.
  EXPECT_TRUE(GetInternalName(path.c_str(), text, kCapacity));
  EXPECT_STREQ(text, L"");
  EXPECT_TRUE(GetFileDescription(path.c_str(), text, kCapacity));
  EXPECT_STREQ(text, L"Patching fixture");
  EXPECT_TRUE(GetFileVersionText(path.c_str(), text, kCapacity));
  EXPECT_STREQ(text, L"1.2.3.4 fixture");
  WORD major = 0, minor = 0, build = 0, revision = 0;
  ASSERT_TRUE(GetFileVersionNumbers(path.c_str(), &major, &minor, &build, &revision));
  EXPECT_EQ(major, 1);
  EXPECT_EQ(minor, 2);
  EXPECT_EQ(build, 3);
  EXPECT_EQ(revision, 4);
  // Any of the four parts may be left out.
  build = 0;
  EXPECT_TRUE(GetFileVersionNumbers(path.c_str(), nullptr, nullptr, &build, nullptr));
  EXPECT_EQ(build, 3);
}

TEST(VersionQueries, TextIsCutToTheCapacity) {
  std::wstring path = Fixture(L"patching_fixture_version.exe");
  wchar_t text[8];
  wmemset(text, L'#', 8);
  EXPECT_TRUE(GetFileDescription(path.c_str(), text, 6));
  EXPECT_STREQ(text, L"Patch");
  EXPECT_EQ(text[6], L'#');  // nothing written beyond the capacity
  EXPECT_TRUE(GetFileDescription(path.c_str(), text, 1));
  EXPECT_STREQ(text, L"");
}

TEST(FileSignature, UnsignedFileDoesNotVerify) {
  bool verified = true;
  EXPECT_TRUE(VerifyFileSignature(nullptr, Fixture(L"patching_fixture_version.exe").c_str(),
                                  &verified));
  EXPECT_FALSE(verified);
  verified = true;
  EXPECT_TRUE(VerifyFileSignature(nullptr, Fixture(L"no-such-program.exe").c_str(), &verified));
  EXPECT_FALSE(verified);
}

// Signed with a self-signed certificate: Wine does not check the chain, so
// the signature verifies there; a changed byte breaks it everywhere.
TEST(FileSignature, SignedFileVerifiesAndChangedCopyDoesNot) {
  std::wstring signedPath = Fixture(L"patching_fixture_signed.exe");
  bool verified = false;
  EXPECT_TRUE(VerifyFileSignature(nullptr, signedPath.c_str(), &verified));
  EXPECT_TRUE(verified);

  Bytes bytes;
  ASSERT_TRUE(testsupport::ReadFileBytes(signedPath, bytes));
  ASSERT_GT(bytes.size(), 0x500u);
  bytes[0x480] ^= 0x5A;  // inside the first section's code
  testsupport::TempDir dir(L"sig");
  std::wstring changed = dir / L"changed.exe";
  ASSERT_TRUE(testsupport::WriteFileBytes(changed, bytes));
  verified = true;
  EXPECT_TRUE(VerifyFileSignature(nullptr, changed.c_str(), &verified));
  EXPECT_FALSE(verified);
  // The signed program keeps its version strings.
  wchar_t text[kCapacity];
  EXPECT_TRUE(GetFileDescription(signedPath.c_str(), text, kCapacity));
  EXPECT_STREQ(text, L"Patching fixture");
}

}  // namespace
}  // namespace patchtest
