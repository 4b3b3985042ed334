// The folder of the launcher's copies: made fresh with its own security,
// checked before use, and removed again.
#include <gtest/gtest.h>

#include <aclapi.h>
#include <sddl.h>

#include <memory>
#include <string>
#include <vector>

#include "ProtectedFolder.h"
#include "TestSupport.h"

namespace {

bool RunningUnderWine() {
  return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

struct Ace {
  BYTE type;
  BYTE flags;
  ACCESS_MASK mask;
  std::wstring sid;
  bool operator==(const Ace& o) const {
    return type == o.type && flags == o.flags && mask == o.mask && sid == o.sid;
  }
};

std::wstring SidText(PSID sid) {
  LPWSTR text = nullptr;
  if (!ConvertSidToStringSidW(sid, &text)) return L"?";
  std::wstring result = text;
  LocalFree(text);
  return result;
}

// The owner and the DACL's entries of a file or folder, read by its name.
bool ReadSecurity(const std::wstring& path, std::wstring* owner, std::vector<Ace>* aces,
                  bool* hasDacl) {
  PSID ownerSid = nullptr;
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT,
                            OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &ownerSid,
                            nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS) {
    return false;
  }
  *owner = SidText(ownerSid);
  *hasDacl = dacl != nullptr;
  aces->clear();
  for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
    void* entry = nullptr;
    GetAce(dacl, i, &entry);
    const ACE_HEADER* header = static_cast<const ACE_HEADER*>(entry);
    const ACCESS_ALLOWED_ACE* ace = static_cast<const ACCESS_ALLOWED_ACE*>(entry);
    aces->push_back({header->AceType, header->AceFlags, ace->Mask,
                     SidText(const_cast<DWORD*>(&ace->SidStart))});
  }
  LocalFree(descriptor);
  return true;
}

bool HasAceFor(const std::vector<Ace>& aces, const wchar_t* sid) {
  for (const Ace& ace : aces) {
    if (ace.sid == sid) return true;
  }
  return false;
}

HANDLE OpenFolder(const std::wstring& path) {
  return CreateFileW(path.c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                     FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

const wchar_t kAdministrators[] = L"S-1-5-32-544";
const wchar_t kSystem[] = L"S-1-5-18";
const wchar_t kEveryone[] = L"S-1-1-0";
const wchar_t kUsers[] = L"S-1-5-32-545";

TEST(ProtectedFolder, IsMadeFreshWithOnlyAdministratorsAndSystemAndRemovedAgain) {
  testsupport::TempDir parent(L"pf");
  ProtectedFolder folder;
  ASSERT_TRUE(folder.Create(parent.path().c_str()));
  const std::wstring path = folder.path();
  ASSERT_EQ(path.compare(0, parent.path().size(), parent.path()), 0);
  ASSERT_EQ(path.back(), L'\\');
  EXPECT_TRUE(IsCopyFolderName(path.substr(parent.path().size(),
                                           path.size() - parent.path().size() - 1).c_str()))
      << testsupport::Narrow(path);
  const DWORD attributes = GetFileAttributesW(path.c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_FALSE(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
  EXPECT_TRUE(IsProtectedFolder(folder.handle()));

  // A second run gets a name of its own.
  ProtectedFolder second;
  ASSERT_TRUE(second.Create(parent.path().c_str()));
  EXPECT_NE(second.path(), path);

  const std::wstring file = path + L"copy.ini";
  ASSERT_TRUE(testsupport::WriteTextFile(file, "copy"));
  std::wstring owner, fileOwner;
  std::vector<Ace> aces, fileAces;
  bool hasDacl = false, fileHasDacl = false;
  ASSERT_TRUE(ReadSecurity(path, &owner, &aces, &hasDacl));
  ASSERT_TRUE(ReadSecurity(file, &fileOwner, &fileAces, &fileHasDacl));
  ASSERT_TRUE(hasDacl);
  if (!RunningUnderWine()) {
    EXPECT_EQ(owner, kAdministrators);
    const BYTE both = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
    EXPECT_EQ(aces, (std::vector<Ace>{{ACCESS_ALLOWED_ACE_TYPE, both, FILE_ALL_ACCESS, kAdministrators},
                                      {ACCESS_ALLOWED_ACE_TYPE, both, FILE_ALL_ACCESS, kSystem}}));
    // What is written inside takes the same entries, and nothing else.
    EXPECT_TRUE(fileHasDacl);
    EXPECT_EQ(fileAces,
              (std::vector<Ace>{{ACCESS_ALLOWED_ACE_TYPE, INHERITED_ACE, FILE_ALL_ACCESS, kAdministrators},
                                {ACCESS_ALLOWED_ACE_TYPE, INHERITED_ACE, FILE_ALL_ACCESS, kSystem}}));
  } else {
    // Wine keeps no security descriptors: it maps them onto the Unix mode
    // of the folder and reports the running account as its owner. What it
    // can show is that nobody else got anything, while a plain folder
    // beside it is open to everyone for reading.
    EXPECT_FALSE(HasAceFor(aces, kEveryone));
    EXPECT_FALSE(HasAceFor(aces, kUsers));
    const std::wstring plain = parent.path() + L"plain";
    ASSERT_TRUE(CreateDirectoryW(plain.c_str(), nullptr));
    std::wstring plainOwner;
    std::vector<Ace> plainAces;
    bool plainHasDacl = false;
    ASSERT_TRUE(ReadSecurity(plain, &plainOwner, &plainAces, &plainHasDacl));
    EXPECT_TRUE(HasAceFor(plainAces, kEveryone));
  }

  ASSERT_TRUE(DeleteFileW(file.c_str()));
  EXPECT_TRUE(folder.Remove());
  EXPECT_FALSE(testsupport::PathExists(path));
  EXPECT_TRUE(second.Remove());
}

TEST(ProtectedFolder, FoldersOthersMayWriteOrThatAreNoFoldersAreRefused) {
  testsupport::TempDir parent(L"pf");
  // Made the ordinary way, it takes what the temporary folder passes on.
  const std::wstring plain = parent.path() + L"plain";
  ASSERT_TRUE(CreateDirectoryW(plain.c_str(), nullptr));
  // A folder without any DACL is open to everybody.
  PSECURITY_DESCRIPTOR open = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:NO_ACCESS_CONTROL",
                                                                   SDDL_REVISION_1, &open, nullptr));
  SECURITY_ATTRIBUTES attributes = {sizeof attributes, open, FALSE};
  const std::wstring unguarded = parent.path() + L"unguarded";
  ASSERT_TRUE(CreateDirectoryW(unguarded.c_str(), &attributes));
  LocalFree(open);
  // Everybody may write.
  PSECURITY_DESCRIPTOR shared = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(
      L"O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;FA;;;WD)", SDDL_REVISION_1, &shared, nullptr));
  attributes.lpSecurityDescriptor = shared;
  const std::wstring everybody = parent.path() + L"everybody";
  ASSERT_TRUE(CreateDirectoryW(everybody.c_str(), &attributes));
  LocalFree(shared);
  std::vector<std::wstring> refused = {plain, everybody};
  // Wine turns a missing DACL into a folder only its owner may enter.
  if (!RunningUnderWine()) refused.push_back(unguarded);
  for (const std::wstring& path : refused) {
    HANDLE handle = OpenFolder(path);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(IsProtectedFolder(handle)) << testsupport::Narrow(path);
    CloseHandle(handle);
  }
  // A file is no folder, whatever its security.
  ProtectedFolder folder;
  ASSERT_TRUE(folder.Create(parent.path().c_str()));
  const std::wstring file = folder.path() + L"x.bin";
  ASSERT_TRUE(testsupport::WriteTextFile(file, "x"));
  HANDLE handle = OpenFolder(file);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(IsProtectedFolder(handle));
  CloseHandle(handle);
  DeleteFileW(file.c_str());
  EXPECT_TRUE(folder.Remove());
}

TEST(ProtectedFolder, NoFolderWithoutAParentToMakeItIn) {
  testsupport::TempDir parent(L"pf");
  ProtectedFolder folder;
  EXPECT_FALSE(folder.Create((parent.path() + L"missing\\").c_str()));
  EXPECT_TRUE(folder.path().empty());
  EXPECT_FALSE(folder.Create(L""));
}

}  // namespace
