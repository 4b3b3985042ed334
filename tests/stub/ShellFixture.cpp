#include "ShellFixture.h"

#include <objbase.h>
#include <shlobj.h>

#include "CreatedPaths.h"
#include "StubState.h"

namespace shelltest {

void ShellFixture::SetUp() {
  com_ = SUCCEEDED(CoInitialize(nullptr));
  settings_.reset(new stub::StubSettings());
  extract_ = dir_ / L"app\\";
  CreateDirectoryW(extract_.c_str(), nullptr);
  lstrcpynW(settings_->ExtractPath, extract_.c_str(), MAX_PATH);
  lstrcpynW(settings_->DialogTitle, L"Shell Test", 66);
  stub::g_Settings = settings_.get();
  stub::g_Instance = GetModuleHandleW(nullptr);
  stub::g_UltraSilent = true;
  stub::g_JapaneseUi = false;
  ASSERT_TRUE(stub::InitCreatedPathList());
}

void ShellFixture::TearDown() {
  stub::FreeCreatedPathList();
  stub::g_Settings = nullptr;
  settings_.reset();
  if (com_) CoUninitialize();
}

std::wstring ShellFixture::Unique(const std::wstring& prefix) {
  return prefix + std::to_wstring(GetCurrentProcessId());
}

std::wstring ShellFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  EXPECT_TRUE(SUCCEEDED(SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr,
                                         SHGFP_TYPE_CURRENT, path)));
  return path;
}

stub::StartMenuItem Item(const std::wstring& title, const std::wstring& file,
                         const std::wstring& args, const std::wstring& comment,
                         const std::wstring& icon) {
  stub::StartMenuItem item = {};
  lstrcpynW(item.Title, title.c_str(), 260);
  lstrcpynW(item.File, file.c_str(), 260);
  lstrcpynW(item.Args, args.c_str(), 260);
  lstrcpynW(item.Comment, comment.c_str(), 200);
  lstrcpynW(item.Icon, icon.c_str(), 270);
  return item;
}

}  // namespace shelltest
