// Saving the builder's embedded uninstaller.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "UninstallerSettingsDialog.h"

namespace {

// This test program carries no uninstaller: the save must fail without
// leaving a file, and never write a program it does not have.
TEST(EmbeddedUninstallerSave, AMissingResourceWritesNothing) {
  wchar_t folder[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, folder);
  const std::wstring path = std::wstring(folder) + L"vesmarin-save-test.exe";
  DeleteFileW(path.c_str());
  EXPECT_FALSE(SaveEmbeddedUninstaller(true, path.c_str()));
  EXPECT_FALSE(SaveEmbeddedUninstaller(false, path.c_str()));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(path.c_str()));
}

}  // namespace
