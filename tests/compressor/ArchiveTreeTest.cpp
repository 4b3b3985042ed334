// The archive tree: adding files and folders (merging by name), collecting
// the pairs for the cabinet, deleting.
#include <gtest/gtest.h>

#include "ArchiveTree.h"
#include "CompressorState.h"
#include "CompressorTestUtil.h"
#include "TestSupport.h"

namespace {

using testsupport::TempDir;

class ArchiveTreeTest : public ::testing::Test {
 protected:
  ArchivePaneFixture pane;
  HWND tree = pane.tree();
  HTREEITEM root = tree ? GetArchiveRoot(tree) : nullptr;

  bool Add(const std::wstring& base, const std::wstring& path, HTREEITEM parent = nullptr) {
    return AddPathToArchiveTree(tree, base, parent ? parent : root, path);
  }
};

TEST_F(ArchiveTreeTest, APaneStartsWithItsRootOnly) {
  ASSERT_NE(nullptr, tree);
  ASSERT_NE(nullptr, root);
  EXPECT_EQ(1u, TreeView_GetCount(tree));
  EXPECT_EQ(L"Archive File", GetItemText(tree, root));
  EXPECT_EQ(nullptr, GetItemSource(tree, root));
}

TEST_F(ArchiveTreeTest, AFolderAddsItsFilesBelowAnItemOfItsName) {
  TempDir dir(L"tree");
  const std::wstring x = MakeFile(dir / L"a\\x.txt");
  const std::wstring y = MakeFile(dir / L"a\\sub\\y.txt");
  ASSERT_TRUE(CreateDirectoryW((dir / L"a\\empty").c_str(), nullptr));
  ASSERT_TRUE(Add(dir.path(), dir / L"a"));
  const std::vector<std::wstring> expected = {L"a\\", L"a\\sub\\", L"a\\sub\\y.txt <- " + y,
                                              L"a\\x.txt <- " + x};
  EXPECT_EQ(expected, Outline(tree));
  // Again: nothing new.
  ASSERT_TRUE(Add(dir.path(), dir / L"a"));
  EXPECT_EQ(expected, Outline(tree));
}

TEST_F(ArchiveTreeTest, FoldersMergeByNameIgnoringCaseAndTheFirstFileStays) {
  TempDir dir(L"merge");
  const std::wstring x = MakeFile(dir / L"one\\a\\x.txt", "first");
  const std::wstring z = MakeFile(dir / L"two\\A\\z.txt");
  MakeFile(dir / L"two\\A\\X.TXT", "second");
  ASSERT_TRUE(Add(dir / L"one", dir / L"one\\a"));
  ASSERT_TRUE(Add(dir / L"two", dir / L"two\\A"));
  EXPECT_EQ((std::vector<std::wstring>{L"a\\", L"a\\x.txt <- " + x, L"a\\z.txt <- " + z}),
            Outline(tree));
}

TEST_F(ArchiveTreeTest, AFileAndAFolderOfOneNameNeverShareAPlace) {
  TempDir dir(L"kind");
  const std::wstring file = MakeFile(dir / L"one\\doc");
  MakeFile(dir / L"two\\doc\\inner.txt");
  ASSERT_TRUE(Add(dir / L"one", file));
  ASSERT_TRUE(Add(dir / L"two", dir / L"two\\doc"));
  EXPECT_EQ((std::vector<std::wstring>{L"doc <- " + file}), Outline(tree));
}

TEST_F(ArchiveTreeTest, AddingBelowAFolderItemAndRefusingLongPaths) {
  TempDir dir(L"below");
  HTREEITEM bin = InsertFolderItem(tree, root, L"bin");
  const std::wstring tool = MakeFile(dir / L"tool.exe");
  ASSERT_TRUE(Add(dir.path(), tool, bin));
  EXPECT_EQ((std::vector<std::wstring>{L"bin\\", L"bin\\tool.exe <- " + tool}), Outline(tree));

  const std::wstring tooLong = dir / (std::wstring(260 - dir.path().size(), L'q') + L".txt");
  EXPECT_FALSE(Add(dir.path(), tooLong));
  EXPECT_FALSE(Add(dir.path(), dir / L"absent.txt"));
  // A cancelled run adds nothing more.
  Compressor().abort = true;
  EXPECT_FALSE(Add(dir.path(), MakeFile(dir / L"late.txt")));
  Compressor().abort = false;
  EXPECT_EQ(2u, Outline(tree).size());
}

TEST_F(ArchiveTreeTest, CollectGivesNamesBelowTheRootInTreeOrder) {
  HTREEITEM a = InsertFolderItem(tree, root, L"a");
  InsertFileItem(tree, a, L"x.txt", L"C:\\src\\x.txt");
  HTREEITEM empty = InsertFolderItem(tree, root, L"empty");
  InsertFileItem(tree, root, L"y.txt", L"C:\\src\\y.txt");
  HTREEITEM deep = InsertFolderItem(tree, InsertFolderItem(tree, a, L"b"), L"c");
  HTREEITEM file = InsertFileItem(tree, deep, L"z.bin", L"D:\\z.bin");
  // Below a file item nothing is packed.
  InsertFileItem(tree, file, L"hidden.txt", L"C:\\hidden.txt");
  ASSERT_NE(nullptr, empty);

  std::vector<std::wstring> sources;
  std::vector<std::wstring> names;
  CollectArchiveEntries(tree, TreeView_GetChild(tree, root), sources, names);
  EXPECT_EQ((std::vector<std::wstring>{L"a\\b\\c\\z.bin", L"a\\x.txt", L"y.txt"}), names);
  EXPECT_EQ((std::vector<std::wstring>{L"D:\\z.bin", L"C:\\src\\x.txt", L"C:\\src\\y.txt"}),
            sources);

  // From an item deeper down, the names still start below the root.
  sources.clear();
  names.clear();
  CollectArchiveEntries(tree, file, sources, names);
  EXPECT_EQ((std::vector<std::wstring>{L"a\\b\\c\\z.bin"}), names);
}

TEST_F(ArchiveTreeTest, DeleteTakesTheSubtreeButNeverTheRoot) {
  HTREEITEM a = InsertFolderItem(tree, root, L"a");
  InsertFileItem(tree, a, L"x.txt", L"C:\\x.txt");
  InsertFileItem(tree, root, L"y.txt", L"C:\\y.txt");
  Compressor().treeModified = false;
  EXPECT_FALSE(DeleteArchiveItem(tree, root));
  EXPECT_FALSE(DeleteArchiveItem(tree, nullptr));
  EXPECT_FALSE(Compressor().treeModified);
  EXPECT_EQ(4u, TreeView_GetCount(tree));
  EXPECT_TRUE(DeleteArchiveItem(tree, a));
  EXPECT_TRUE(Compressor().treeModified);
  EXPECT_EQ((std::vector<std::wstring>{L"y.txt <- C:\\y.txt"}), Outline(tree));
  ResetArchiveTree(tree);
  EXPECT_EQ(1u, TreeView_GetCount(tree));
  EXPECT_TRUE(Outline(tree).empty());
}

}  // namespace
