#include <gtest/gtest.h>

#include "FileSystem.h"
#include "ScopedHandles.h"
#include "TestSupport.h"

namespace {

using vesmarin::ScopedFile;
using vesmarin::ScopedHandle;
using vesmarin::ScopedTempFile;

bool IsOpenHandle(HANDLE handle) {
  DWORD flags = 0;
  return GetHandleInformation(handle, &flags) != FALSE;
}

TEST(ScopedHandles, KernelHandlesCloseOnceAndNeverTheNoneValues) {
  HANDLE seen = nullptr;
  {
    ScopedHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(event.valid());
    seen = event.get();
    EXPECT_TRUE(IsOpenHandle(seen));
  }
  EXPECT_FALSE(IsOpenHandle(seen));

  ScopedFile missing(CreateFileW(L"Z:\\no\\such\\file.bin", GENERIC_READ, 0, nullptr,
                                 OPEN_EXISTING, 0, nullptr));
  EXPECT_FALSE(missing.valid());
  EXPECT_EQ(missing.get(), INVALID_HANDLE_VALUE);
  EXPECT_TRUE(missing.Close());  // nothing held is no failure

  ScopedHandle none;
  EXPECT_EQ(none.get(), nullptr);
  EXPECT_TRUE(none.Close());

  ScopedHandle handedOver(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  HANDLE raw = handedOver.release();
  EXPECT_FALSE(handedOver.valid());
  EXPECT_TRUE(IsOpenHandle(raw));
  CloseHandle(raw);
}

TEST(ScopedHandles, ReceiveReleasesTheOldValueFirst) {
  ScopedHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  HANDLE first = event.get();
  *event.receive() = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  EXPECT_FALSE(IsOpenHandle(first));
  EXPECT_TRUE(event.valid());
}

TEST(ScopedTempFile, MadeFileGoesAtScopeExitUnlessKept) {
  std::wstring made;
  {
    ScopedTempFile temp;
    ASSERT_TRUE(temp.Make(L"tst"));
    made = temp.path();
    EXPECT_TRUE(FileExists(made.c_str()));  // created empty, so the name is taken
  }
  EXPECT_FALSE(FileExists(made.c_str()));

  {
    ScopedTempFile temp;
    ASSERT_TRUE(temp.Make(L"tst"));
    made = temp.path();
    temp.Keep();
    EXPECT_TRUE(temp.empty());
  }
  EXPECT_TRUE(FileExists(made.c_str()));
  DeleteFileW(made.c_str());
}

TEST(ScopedTempFile, AdoptedPathIsDeletedAndAMissingOneIsNoFault) {
  testsupport::TempDir dir(L"scoped");
  const std::wstring path = dir / L"temp.bin";
  {
    ScopedTempFile temp;
    ASSERT_TRUE(testsupport::WriteTextFile(path, "x"));
    ASSERT_TRUE(temp.Adopt(path.c_str()));
  }
  EXPECT_FALSE(FileExists(path.c_str()));
  {
    ScopedTempFile gone;
    EXPECT_TRUE(gone.Adopt(path.c_str()));  // the file is already gone
  }
  ScopedTempFile tooLong;
  EXPECT_FALSE(tooLong.Adopt(std::wstring(MAX_PATH, L'a').c_str()));
}

}  // namespace
