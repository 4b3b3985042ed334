// The explorer pane: how a folder of the shell namespace is listed and
// ordered, the paths it keeps, and the pane made over the desktop.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include "CompressorState.h"
#include "CompressorTestUtil.h"
#include "ExplorerPane.h"
#include "PaneHost.h"
#include "TestSupport.h"

namespace {

using testsupport::TempDir;

class ExplorerPaneTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
  void TearDown() override { OleUninitialize(); }

  // The names a folder lists, in order, folders marked with a backslash.
  std::vector<std::wstring> Listing(const std::wstring& path) {
    std::vector<std::wstring> names;
    IShellFolder* desktop = nullptr;
    if (FAILED(SHGetDesktopFolder(&desktop))) return names;
    LPITEMIDLIST id = nullptr;
    IShellFolder* folder = nullptr;
    if (SUCCEEDED(SHParseDisplayName(path.c_str(), nullptr, &id, 0, nullptr)) &&
        SUCCEEDED(desktop->BindToObject(id, nullptr, IID_IShellFolder,
                                        reinterpret_cast<void**>(&folder)))) {
      std::vector<ExplorerEntry> entries;
      if (ListExplorerFolder(folder, id, nullptr, &entries)) {
        for (ExplorerEntry& entry : entries) {
          names.push_back(entry.name + (entry.folder ? L"\\" : L""));
          CoTaskMemFree(entry.relativeId);
        }
      }
      folder->Release();
    }
    CoTaskMemFree(id);
    desktop->Release();
    return names;
  }

  // The type the shell shows for a file.
  static std::wstring TypeName(const std::wstring& path) {
    SHFILEINFOW info = {};
    SHGetFileInfoW(path.c_str(), 0, &info, sizeof(info), SHGFI_TYPENAME);
    return info.szTypeName;
  }
};

TEST_F(ExplorerPaneTest, FoldersComeFirstThenFilesByTypeThenByNameAsNumbersRead) {
  TempDir dir(L"explore");
  MakeFile(dir / L"file10.txt");
  MakeFile(dir / L"file2.txt");
  MakeFile(dir / L"File1.txt");
  MakeFile(dir / L"a.ini");
  MakeFile(dir / L"z.ini");
  MakeFile(dir / L"folder10\\inner.txt");
  MakeFile(dir / L"folder9\\inner.txt");
  ASSERT_TRUE(CreateDirectoryW((dir / L"Empty").c_str(), nullptr));

  const std::wstring iniType = TypeName(dir / L"a.ini");
  const std::wstring txtType = TypeName(dir / L"file2.txt");
  ASSERT_NE(0, lstrcmpiW(iniType.c_str(), txtType.c_str()));
  const bool iniFirst = lstrcmpiW(iniType.c_str(), txtType.c_str()) < 0;
  std::vector<std::wstring> ini = {L"a.ini", L"z.ini"};
  std::vector<std::wstring> txt = {L"File1.txt", L"file2.txt", L"file10.txt"};
  std::vector<std::wstring> expected = {L"Empty\\", L"folder9\\", L"folder10\\"};
  for (const std::wstring& name : iniFirst ? ini : txt) expected.push_back(name);
  for (const std::wstring& name : iniFirst ? txt : ini) expected.push_back(name);
  EXPECT_EQ(expected, Listing(dir.path()));
  // An empty folder lists nothing.
  EXPECT_TRUE(Listing(dir / L"Empty").empty());
}

TEST_F(ExplorerPaneTest, PathsLoseATrailingBackslashButDriveRootsKeepIt) {
  LPITEMIDLIST id = nullptr;
  ASSERT_TRUE(SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_PERSONAL, &id)));
  wchar_t raw[MAX_PATH] = {};
  ASSERT_TRUE(SHGetPathFromIDListW(id, raw));
  std::wstring expected = raw;
  while (expected.size() > 3 && expected.back() == L'\\') expected.pop_back();
  const std::wstring documents = ExplorerPathOf(id);
  CoTaskMemFree(id);
  EXPECT_EQ(expected, documents);
  ASSERT_FALSE(documents.empty());
  EXPECT_NE(L'\\', documents.back());

  ASSERT_TRUE(SUCCEEDED(SHParseDisplayName(L"C:\\", nullptr, &id, 0, nullptr)));
  EXPECT_EQ(L"C:\\", ExplorerPathOf(id));
  CoTaskMemFree(id);
}

TEST_F(ExplorerPaneTest, ThePaneShowsTheDesktopWithFoldersBeforeFiles) {
  Compressor().instance = GetModuleHandleW(nullptr);
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  RegisterPaneClass(Compressor().instance);
  HWND frame = CreateWindowExW(0, L"STATIC", L"frame", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300,
                               nullptr, nullptr, Compressor().instance, nullptr);
  HWND host = CreateWindowExW(0, kPaneHostClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 400, 300, frame,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(kExplorerPaneId)),
                              Compressor().instance, nullptr);
  ASSERT_NE(nullptr, host);
  HWND tree = GetDlgItem(host, kExplorerTreeId);
  ASSERT_NE(nullptr, tree);
  HTREEITEM root = TreeView_GetRoot(tree);
  ASSERT_NE(nullptr, root);
  EXPECT_TRUE(TreeView_GetItemState(tree, root, TVIS_EXPANDED) & TVIS_EXPANDED);
  // Nothing selected: nothing to add.
  EXPECT_EQ(L"", SelectedExplorerPath(tree));

  // Every folder child (it shows an expand button) comes before any file.
  bool fileSeen = false;
  int children = 0;
  for (HTREEITEM item = TreeView_GetChild(tree, root); item;
       item = TreeView_GetNextSibling(tree, item), ++children) {
    TVITEMW data = {};
    data.mask = TVIF_CHILDREN;
    data.hItem = item;
    ASSERT_TRUE(TreeView_GetItem(tree, &data));
    if (data.cChildren == 0) fileSeen = true;
    else EXPECT_FALSE(fileSeen) << "a folder after a file";
  }
  EXPECT_GT(children, 0);

  // The selected item's path is what Add takes.
  LPITEMIDLIST desktopId = nullptr;
  ASSERT_TRUE(SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &desktopId)));
  const std::wstring desktopPath = ExplorerPathOf(desktopId);
  CoTaskMemFree(desktopId);
  TreeView_SelectItem(tree, root);
  EXPECT_EQ(desktopPath, SelectedExplorerPath(tree));
  DestroyWindow(frame);
  EXPECT_FALSE(IsWindow(tree));
}

}  // namespace
