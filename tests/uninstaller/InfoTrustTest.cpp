// How far the product's Uninstall entry vouches for an information file.
#include <gtest/gtest.h>

#include <windows.h>
#include <sddl.h>

#include <string>

#include "InfoTrust.h"
#include "TestSupport.h"
#include "UninstallInfo.h"

namespace {

const wchar_t kUninstallRoot[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const wchar_t kDigest[] = L"00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff";

class Entry {
 public:
  Entry() : name_(L"VesmarinTrust-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                  std::to_wstring(++count_)) {}
  ~Entry() {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, path().c_str());
    RegDeleteTreeW(HKEY_CURRENT_USER, path().c_str());
  }
  std::wstring path() const { return kUninstallRoot + name_; }
  const std::wstring& name() const { return name_; }

  void Write(HKEY root, const std::wstring& command, const wchar_t* digest) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(root, path().c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    Set(key, L"UninstallString", command);
    if (digest) Set(key, UNINSTALL_INFO_DIGEST_VALUE, digest);
    RegCloseKey(key);
  }
  // Replaces the key's owner and DACL (the owner too: Wine loses it when
  // only the DACL is set).
  void Secure(HKEY root, const wchar_t* sddl) {
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(root, path().c_str(), 0, WRITE_DAC | WRITE_OWNER, &key), ERROR_SUCCESS);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1,
                                                                     &descriptor, nullptr));
    EXPECT_EQ(RegSetKeySecurity(key, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                descriptor),
              ERROR_SUCCESS);
    LocalFree(descriptor);
    RegCloseKey(key);
  }

 private:
  static void Set(HKEY key, const wchar_t* name, const std::wstring& value) {
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  }
  static int count_;
  std::wstring name_;
};
int Entry::count_ = 0;

class InfoTrustTest : public ::testing::Test {
 protected:
  void SetUp() override {
    self_ = dir_ / L"Hollmere64.exe";
    ASSERT_TRUE(testsupport::WriteTextFile(self_, "uninstaller"));
    other_ = dir_ / L"other.exe";
    ASSERT_TRUE(testsupport::WriteTextFile(other_, "another program"));
  }
  EntryTrust Judge(const Entry& entry, const wchar_t* digest = kDigest) {
    return JudgeInfoFile(digest, entry.name().c_str(), self_.c_str());
  }
  std::wstring Command() const { return L"\"" + self_ + L"\" /s"; }

  testsupport::TempDir dir_{L"trust"};
  std::wstring self_, other_;
};

TEST_F(InfoTrustTest, OnlyAMachineEntryThatAdministratorsAloneMayChangeProtects) {
  Entry entry;
  entry.Write(HKEY_LOCAL_MACHINE, Command(), kDigest);
  EXPECT_EQ(Judge(entry), EntryTrust::kProtected);
  // The digest's letters may differ in case.
  EXPECT_EQ(JudgeInfoFile(L"00112233445566778899AABBCCDDEEFF00112233445566778899AABBCCDDEEFF",
                          entry.name().c_str(), self_.c_str()),
            EntryTrust::kProtected);
  // Readable by users, but only administrators and the system may change it.
  entry.Secure(HKEY_LOCAL_MACHINE, L"O:BAD:P(A;;KA;;;BA)(A;;KA;;;SY)(A;;KR;;;BU)(A;CIIO;KA;;;CO)");
  EXPECT_EQ(Judge(entry), EntryTrust::kProtected);

  // Keys others may change, or own, prove nothing: the worker is confined.
  // (A key without any DACL cannot be shown here: Wine then lets nobody in.)
  for (const wchar_t* sddl : {L"O:BAD:P(A;;KA;;;BA)(A;;KA;;;SY)(A;;KA;;;BU)",
                              L"O:BAD:P(A;;KA;;;BA)(A;;0x2;;;AU)",  // set a value
                              L"O:BAD:P(A;;KA;;;BA)(A;;WD;;;WD)",   // change its DACL
                              L"O:BAD:P(A;;KA;;;BA)(A;;KA;;;S-1-5-21-1-2-3-1001)",
                              L"O:S-1-5-21-1-2-3-1001D:P(A;;KA;;;BA)(A;;KR;;;BU)"}) {
    entry.Secure(HKEY_LOCAL_MACHINE, sddl);
    EXPECT_EQ(Judge(entry), EntryTrust::kMachine) << testsupport::Narrow(sddl);
  }
}

TEST_F(InfoTrustTest, EntriesThatCannotVouchConfineAndDisowningEntriesRefuse) {
  Entry machine;
  machine.Write(HKEY_LOCAL_MACHINE, Command(), nullptr);  // no digest recorded
  EXPECT_EQ(Judge(machine), EntryTrust::kMachine);

  Entry user;  // a per-user installation, whatever it records
  user.Write(HKEY_CURRENT_USER, Command(), kDigest);
  EXPECT_EQ(Judge(user), EntryTrust::kUser);
  user.Write(HKEY_CURRENT_USER, Command(), nullptr);
  EXPECT_EQ(Judge(user), EntryTrust::kUser);

  Entry none;  // an information file without an entry
  EXPECT_EQ(Judge(none), EntryTrust::kNone);
  EXPECT_EQ(JudgeInfoFile(kDigest, L"", self_.c_str()), EntryTrust::kNone);

  // Another digest, or another program's entry: the file is not acted on.
  Entry edited;
  edited.Write(HKEY_LOCAL_MACHINE, Command(), L"ffff");
  EXPECT_EQ(Judge(edited), EntryTrust::kRefused);
  edited.Write(HKEY_LOCAL_MACHINE, L"\"" + other_ + L"\" /s", kDigest);
  EXPECT_EQ(Judge(edited), EntryTrust::kRefused);
  user.Write(HKEY_CURRENT_USER, other_, nullptr);
  EXPECT_EQ(Judge(user), EntryTrust::kRefused);
  user.Write(HKEY_CURRENT_USER, Command(), L"ffff");
  EXPECT_EQ(Judge(user), EntryTrust::kRefused);
  EXPECT_EQ(Judge(machine, L""), EntryTrust::kRefused);  // no digest computed
  // The machine's entry is the one judged when both exist.
  user.Write(HKEY_LOCAL_MACHINE, Command(), kDigest);
  user.Write(HKEY_CURRENT_USER, other_, nullptr);
  EXPECT_EQ(Judge(user), EntryTrust::kProtected);
}

TEST(EntryTrustWords, TheWorkerNeverTrustsMoreThanItIsTold) {
  for (EntryTrust trust : {EntryTrust::kProtected, EntryTrust::kMachine, EntryTrust::kUser,
                           EntryTrust::kNone}) {
    EXPECT_EQ(ParseEntryTrust(EntryTrustWord(trust)), trust);
  }
  for (const wchar_t* word : {L"", L"Protected", L"protected ", L"1", L"yes"}) {
    EXPECT_EQ(ParseEntryTrust(word), EntryTrust::kNone) << testsupport::Narrow(word);
  }
}

}  // namespace
