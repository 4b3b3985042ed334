// The uninstaller's resources in both languages.
#include <gtest/gtest.h>

#include <string>

#include "DialogTemplate.h"
#include "HollmereResource.h"
#include "TestSupport.h"
#include "TextFit.h"

namespace {

const WORD kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
const WORD kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);

class UninstallerResources : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryExW(testsupport::BinPath(L"Hollmere64.exe").c_str(), nullptr,
                             LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module_, nullptr);
  }
  void TearDown() override { FreeLibrary(module_); }

  // A string from its table block in one language; empty when missing.
  std::wstring String(UINT id, WORD language) {
    HRSRC found = FindResourceExW(module_, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), language);
    if (!found) return L"";
    const WORD* p = static_cast<const WORD*>(LockResource(LoadResource(module_, found)));
    for (UINT i = 0; i < id % 16; ++i) p += *p + 1;
    return std::wstring(reinterpret_cast<const wchar_t*>(p + 1), *p);
  }
  bool Has(LPCWSTR type, UINT id, WORD language) {
    return FindResourceExW(module_, type, MAKEINTRESOURCEW(id), language) != nullptr;
  }
  HMODULE module_ = nullptr;
};

TEST_F(UninstallerResources, EveryStringExistsInBothLanguages) {
  for (UINT id = IDS_READ_INFO_FAILED; id <= IDS_STATUS_SKIPPED; ++id) {
    std::wstring english = String(id, kEnglish);
    std::wstring japanese = String(id, kJapanese);
    EXPECT_FALSE(english.empty()) << id;
    EXPECT_FALSE(japanese.empty()) << id;
    EXPECT_NE(english, japanese) << id;
    // Japanese texts are Japanese, not English left in place.
    bool hasJapanese = false;
    for (wchar_t c : japanese) hasJapanese = hasJapanese || c >= 0x3000;
    EXPECT_TRUE(hasJapanese) << id;
  }
  EXPECT_EQ(String(IDS_START_MENU_GROUP, kEnglish), L"Start menu group \"%s\"");
  EXPECT_EQ(String(IDS_CONFIRM_UNINSTALL, kEnglish), L"Do you want to uninstall\n%s?");
  EXPECT_EQ(String(IDS_STATUS_NEED_REBOOT, kEnglish), L"- file using, need reboot to delete.");
  EXPECT_EQ(String(IDS_EXTENSION_LOAD_FAILED, kEnglish), String(IDS_EXTENSION_BROKEN, kEnglish));
  EXPECT_NE(String(IDS_EXTENSION_LOAD_FAILED, kJapanese), String(IDS_EXTENSION_BROKEN, kJapanese));
  // Japanese statuses follow the item without a leading "- ".
  for (UINT id : {IDS_STATUS_DELETED, IDS_STATUS_DELETE_FAILED, IDS_STATUS_UNREGISTERED,
                  IDS_STATUS_UNREGISTER_FAILED, IDS_STATUS_NEED_REBOOT}) {
    EXPECT_EQ(String(id, kEnglish).compare(0, 2, L"- "), 0) << id;
    EXPECT_NE(String(id, kJapanese).compare(0, 2, L"- "), 0) << id;
  }
  EXPECT_NE(String(IDS_CONFIRM_UNINSTALL, kJapanese).find(L"%s"), std::wstring::npos);
  EXPECT_NE(String(IDS_START_MENU_GROUP, kJapanese).find(L"%s"), std::wstring::npos);
}

TEST_F(UninstallerResources, DialogsImagesManifestAndVersion) {
  for (UINT dialog : {IDD_PROGRESS, IDD_PROGRESS_MODERN}) {
    EXPECT_TRUE(Has(RT_DIALOG, dialog, kEnglish)) << dialog;
    EXPECT_TRUE(Has(RT_DIALOG, dialog, kJapanese)) << dialog;
  }
  for (UINT image : {IDB_STEP_CURRENT, IDB_STEP_DONE, IDB_STEP_PENDING}) {
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageW(module_, MAKEINTRESOURCEW(image), IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS));
    ASSERT_NE(bitmap, nullptr) << image;
    BITMAP info = {};
    GetObjectW(bitmap, sizeof info, &info);
    EXPECT_EQ(info.bmWidth, 11);
    EXPECT_EQ(info.bmHeight, 8);
    DeleteObject(bitmap);
  }
  HRSRC manifest = FindResourceW(module_, MAKEINTRESOURCEW(1), RT_MANIFEST);
  ASSERT_NE(manifest, nullptr);
  std::string text(static_cast<const char*>(LockResource(LoadResource(module_, manifest))),
                   SizeofResource(module_, manifest));
  EXPECT_NE(text.find("requireAdministrator"), std::string::npos);
  EXPECT_NE(text.find("Microsoft.Windows.Common-Controls"), std::string::npos);
  EXPECT_NE(text.find("true/pm"), std::string::npos);
  EXPECT_NE(text.find("8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"), std::string::npos);  // Windows 10
  EXPECT_NE(text.find("e2011457-1546-43c5-a5fe-008deee3d3f0"), std::string::npos);  // Vista
  EXPECT_NE(FindResourceW(module_, MAKEINTRESOURCEW(IDI_HOLLMERE), RT_GROUP_ICON), nullptr);

  DWORD handle = 0;
  const std::wstring path = testsupport::BinPath(L"Hollmere64.exe");
  DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
  ASSERT_GT(size, 0u);
  std::string block(size, '\0');
  ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, &block[0]));
  for (const wchar_t* field : {L"InternalName", L"FileDescription"}) {
    wchar_t* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(),
                               (std::wstring(L"\\StringFileInfo\\040904b0\\") + field).c_str(),
                               reinterpret_cast<void**>(&value), &length));
    EXPECT_STREQ(value, std::wstring(field) == L"InternalName" ? L"HOLLMERE"
                                                               : L"Vesmarin Uninstaller");
  }
}

// The progress dialog's status line and button take texts at run time that
// no template shows: the completion text and "Close" fit them too.
TEST_F(UninstallerResources, TextsSetAtRunTimeFitTheirControls) {
  for (UINT dialog : {IDD_PROGRESS, IDD_PROGRESS_MODERN}) {
    for (WORD language : {kEnglish, kJapanese}) {
      HWND window = testsupport::CreateDialogHidden(
          testsupport::LoadDialogTemplate(module_, MAKEINTRESOURCEW(dialog), language), nullptr);
      ASSERT_NE(window, nullptr) << dialog;
      const std::wstring complete = String(IDS_UNINSTALL_COMPLETE, language);
      const std::wstring close = String(IDS_CLOSE, language);
      testsupport::TextMisfit misfit;
      EXPECT_TRUE(testsupport::TextFits(GetDlgItem(window, IDC_STATUS_TEXT), complete, &misfit))
          << dialog << " " << language << " needs " << misfit.needed.cx << "x"
          << misfit.needed.cy << ", has " << misfit.has.cx << "x" << misfit.has.cy;
      EXPECT_TRUE(testsupport::TextFits(GetDlgItem(window, IDOK), close)) << dialog << " " << language;
      DestroyWindow(window);
    }
  }
}

}  // namespace
