// Run-time lookups of the updater: the theme query through the system
// folder's uxtheme.dll and checked export lookups.
#include <gtest/gtest.h>

#include "SystemHelpers.h"

namespace {

TEST(SystemHelpers, ThemeQueryAnswersAsTheSystemLibraryDoes) {
  wchar_t path[MAX_PATH];
  ASSERT_GT(GetSystemDirectoryW(path, MAX_PATH), 0u);
  wcscat(path, L"\\uxtheme.dll");
  HMODULE uxtheme = LoadLibraryW(path);
  ASSERT_NE(uxtheme, nullptr);
  typedef BOOL(WINAPI * IsAppThemedFn)();
  FARPROC found = nullptr;
  ASSERT_TRUE(GetProcAddressChecked(uxtheme, "IsAppThemed", &found));
  const bool themed = reinterpret_cast<IsAppThemedFn>(reinterpret_cast<void*>(found))() != FALSE;
  EXPECT_EQ(IsAppThemedSafe(), themed);
  EXPECT_EQ(IsAppThemedSafe(), themed) << "asked twice";
  FreeLibrary(uxtheme);
}

TEST(SystemHelpers, CheckedLookups) {
  FARPROC found = nullptr;
  EXPECT_FALSE(GetProcAddressChecked(nullptr, "IsAppThemed", &found));
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  EXPECT_FALSE(GetProcAddressChecked(kernel, "NoSuchExportAnywhere", &found));
  EXPECT_EQ(found, nullptr);
  EXPECT_TRUE(GetProcAddressChecked(kernel, "GetTickCount", nullptr));
  EXPECT_TRUE(IsXPOrLater());
  EXPECT_TRUE(IsVistaOrLater()) << "Wine reports Windows 7 by default";
}

}  // namespace
