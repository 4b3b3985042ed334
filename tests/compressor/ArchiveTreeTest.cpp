// The archive tree: adding files and folders (merging by name), collecting
// the pairs for the cabinet, deleting.
#include <gtest/gtest.h>

#include <algorithm>

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

TEST_F(ArchiveTreeTest, NamesMergeOnlyWhenTheyMatchExactlyAndEveryOtherFileStays) {
  TempDir dir(L"merge");
  const std::wstring upper = MakeFile(dir / L"one\\doc\\FAQ.html", "upper");
  const std::wstring x = MakeFile(dir / L"one\\a\\x.txt", "first");
  const std::wstring lower = MakeFile(dir / L"two\\doc\\faq.html", "lower");
  const std::wstring bigX = MakeFile(dir / L"two\\A\\x.txt", "second");
  const std::wstring same = MakeFile(dir / L"three\\doc\\FAQ.html", "another upper");
  ArchiveTreeBatch batch(tree);
  EXPECT_TRUE(AddPathToArchiveTree(batch, dir / L"one", root, dir / L"one\\doc"));
  EXPECT_TRUE(AddPathToArchiveTree(batch, dir / L"one", root, dir / L"one\\a"));
  // doc merges; faq.html is a name of its own; FAQ.html from another file
  // finds its place taken and is reported, not dropped in silence.
  EXPECT_TRUE(AddPathToArchiveTree(batch, dir / L"two", root, dir / L"two\\doc"));
  EXPECT_FALSE(AddPathToArchiveTree(batch, dir / L"three", root, dir / L"three\\doc"));
  EXPECT_TRUE(AddPathToArchiveTree(batch, dir / L"two", root, dir / L"two\\A"));
  // The same file once more is no loss.
  EXPECT_TRUE(AddPathToArchiveTree(batch, dir / L"one", root, upper));
  batch.Finish();
  EXPECT_EQ((std::vector<std::wstring>{same}), batch.skipped());
  std::vector<std::wstring> outline = Outline(tree);
  std::sort(outline.begin(), outline.end());
  EXPECT_EQ((std::vector<std::wstring>{L"A\\", L"A\\x.txt <- " + bigX, L"a\\", L"a\\x.txt <- " + x,
                                       L"doc\\", L"doc\\FAQ.html <- " + upper,
                                       L"doc\\faq.html <- " + lower}),
            outline);
}

TEST_F(ArchiveTreeTest, AFileAndAFolderOfOneNameNeverShareAPlace) {
  TempDir dir(L"kind");
  const std::wstring file = MakeFile(dir / L"one\\doc");
  MakeFile(dir / L"two\\doc\\inner.txt");
  ASSERT_TRUE(Add(dir / L"one", file));
  EXPECT_FALSE(Add(dir / L"two", dir / L"two\\doc"));
  EXPECT_EQ((std::vector<std::wstring>{L"doc <- " + file}), Outline(tree));
}

// An entry that cannot be added is skipped and named; its siblings and the
// entries of its parents after it are added all the same.
TEST_F(ArchiveTreeTest, TheWalkGoesOnPastAnEntryItCannotAdd) {
  TempDir dir(L"walk");
  const std::wstring a = MakeFile(dir / L"src\\a.txt");
  std::wstring deep = dir / L"src\\m\\";
  deep += std::wstring(240 - deep.size(), L'd');
  ASSERT_TRUE(CreateDirectoryW((dir / L"src\\m").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr));
  const std::wstring tooLong = deep + L"\\" + std::wstring(30, L'f') + L".txt";
  HANDLE file = CreateFileW((L"\\\\?\\" + tooLong).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0,
                            nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  CloseHandle(file);
  const std::wstring m = MakeFile(dir / L"src\\m\\n.txt");
  const std::wstring z = MakeFile(dir / L"src\\z.txt");
  const std::wstring after = MakeFile(dir / L"src\\zz\\after.txt");

  ArchiveTreeBatch batch(tree);
  EXPECT_FALSE(AddPathToArchiveTree(batch, dir.path(), root, dir / L"src"));
  batch.Finish();
  EXPECT_EQ((std::vector<std::wstring>{tooLong}), batch.skipped());
  EXPECT_EQ((std::vector<std::wstring>{L"src\\", L"src\\a.txt <- " + a, L"src\\m\\",
                                       L"src\\m\\n.txt <- " + m, L"src\\z.txt <- " + z,
                                       L"src\\zz\\", L"src\\zz\\after.txt <- " + after}),
            Outline(tree));
  DeleteFileW((L"\\\\?\\" + tooLong).c_str());
}

// A drop or an add from the explorer takes what links lead to: a linked
// folder is walked under the link's name, a link back to a folder being
// walked ends there, and a link whose target cannot be opened is named.
TEST_F(ArchiveTreeTest, LinksAreFollowedOnceAndOneThatCannotBeOpenedIsNamed) {
  TempDir dir(L"links");
  const std::wstring a = MakeFile(dir / L"src\\a.txt");
  const std::wstring b = MakeFile(dir / L"src\\sub\\b.txt");
  MakeFile(dir / L"shared\\c.txt");
  MakeFile(dir / L"shared\\deep\\d.txt");
  MakeFile(dir / L"held\\e.txt");
  testsupport::ScopedFolderLink lib(dir / L"src\\lib", dir / L"shared");
  testsupport::ScopedFolderLink up(dir / L"src\\sub\\up", dir / L"src");
  testsupport::ScopedFolderLink busy(dir / L"src\\busy", dir / L"held");
  ASSERT_TRUE(lib.made() && up.made() && busy.made());
  // Held open without sharing, it cannot be listed.
  HANDLE held = CreateFileW((dir / L"held").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);

  ArchiveTreeBatch batch(tree);
  EXPECT_FALSE(AddPathToArchiveTree(batch, dir.path(), root, dir / L"src"));
  // The link itself, dropped.
  EXPECT_TRUE(AddPathToArchiveTree(batch, dir / L"src", root, dir / L"src\\lib"));
  batch.Finish();
  CloseHandle(held);
  EXPECT_EQ((std::vector<std::wstring>{dir / L"src\\busy"}), batch.skipped());
  std::vector<std::wstring> outline = Outline(tree);
  std::sort(outline.begin(), outline.end());
  const std::wstring c = dir / L"src\\lib\\c.txt", d = dir / L"src\\lib\\deep\\d.txt";
  EXPECT_EQ((std::vector<std::wstring>{L"lib\\", L"lib\\c.txt <- " + c, L"lib\\deep\\",
                                       L"lib\\deep\\d.txt <- " + d, L"src\\",
                                       L"src\\a.txt <- " + a, L"src\\lib\\",
                                       L"src\\lib\\c.txt <- " + c, L"src\\lib\\deep\\",
                                       L"src\\lib\\deep\\d.txt <- " + d, L"src\\sub\\",
                                       L"src\\sub\\b.txt <- " + b}),
            outline);
}

// A tree made on Linux holds a pipe, a socket and links to /dev/zero and
// /dev/null beside its files (unusual-files.sh, which names the tree and
// the entries in the environment): Wine lists them as empty plain files.
// Each is left out and named; an empty file is added.
TEST_F(ArchiveTreeTest, DISABLED_PipesSocketsAndDevicesAreLeftOutAndNamed) {
  wchar_t folder[MAX_PATH] = {};
  wchar_t special[1024] = {};
  ASSERT_NE(0u, GetEnvironmentVariableW(L"VESMARIN_SPECIAL_TREE", folder, MAX_PATH))
      << "VESMARIN_SPECIAL_TREE names the tree";
  ASSERT_NE(0u, GetEnvironmentVariableW(L"VESMARIN_SPECIAL_ENTRIES", special, 1024))
      << "VESMARIN_SPECIAL_ENTRIES names its special entries, separated by '|'";
  const std::wstring treePath = folder;
  std::vector<std::wstring> expected;
  for (std::wstring rest = special; !rest.empty();) {
    const size_t bar = std::min(rest.find(L'|'), rest.size());
    expected.push_back(treePath + L"\\" + rest.substr(0, bar));
    rest.erase(0, bar + 1);
  }
  const std::wstring base = treePath.substr(0, treePath.find_last_of(L'\\'));
  const std::wstring top = treePath.substr(base.size() + 1);
  ArchiveTreeBatch batch(tree);
  EXPECT_FALSE(AddPathToArchiveTree(batch, base, root, treePath));
  // Dropped alone, each is named too.
  for (const std::wstring& path : expected)
    EXPECT_FALSE(AddPathToArchiveTree(batch, treePath, root, path)) << testsupport::Narrow(path);
  batch.Finish();
  std::vector<std::wstring> skipped = batch.skipped();
  std::sort(skipped.begin(), skipped.end());
  std::vector<std::wstring> twice;
  for (const std::wstring& path : expected) twice.insert(twice.end(), 2, path);
  std::sort(twice.begin(), twice.end());
  EXPECT_EQ(twice, skipped);
  EXPECT_TRUE(batch.longNames().empty());
  EXPECT_EQ((std::vector<std::wstring>{top + L"\\", top + L"\\a.txt <- " + treePath + L"\\a.txt",
                                       top + L"\\empty.txt <- " + treePath + L"\\empty.txt",
                                       top + L"\\sub\\", top + L"\\sub\\b.txt <- " + treePath +
                                       L"\\sub\\b.txt"}),
            Outline(tree));
}

// The message names the first five and the count, in both languages.
TEST(ArchiveTreeMessages, TheSkippedEntriesMessageNamesTheFirstFewAndTheCount) {
  std::vector<std::wstring> skipped;
  for (int i = 1; i <= 7; ++i) skipped.push_back(L"C:\\src\\bad" + std::to_wstring(i) + L".txt");
  const LCID saved = GetThreadLocale();
  SetThreadLocale(MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT));
  EXPECT_EQ(L"7 items could not be added to the archive and were left out:\n\n"
            L"C:\\src\\bad1.txt\nC:\\src\\bad2.txt\nC:\\src\\bad3.txt\nC:\\src\\bad4.txt\n"
            L"C:\\src\\bad5.txt\n...",
            SkippedEntriesText(skipped));
  // One is one item.
  EXPECT_EQ(L"1 item could not be added to the archive and was left out:\n\nC:\\x\\con",
            SkippedEntriesText({L"C:\\x\\con"}));
  SetThreadLocale(MAKELCID(MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT), SORT_DEFAULT));
  EXPECT_EQ(L"1 \u500b\u306e\u9805\u76ee\u3092\u30a2\u30fc\u30ab\u30a4\u30d6\u306b\u8ffd\u52a0"
            L"\u3067\u304d\u306a\u304b\u3063\u305f\u305f\u3081\u3001\u9664\u5916\u3057\u307e"
            L"\u3057\u305f:\n\nC:\\x\\con",
            SkippedEntriesText({L"C:\\x\\con"}));
  EXPECT_EQ(L"2 \u500b\u306e\u9805\u76ee\u3092\u30a2\u30fc\u30ab\u30a4\u30d6\u306b\u8ffd\u52a0"
            L"\u3067\u304d\u306a\u304b\u3063\u305f\u305f\u3081\u3001\u9664\u5916\u3057\u307e"
            L"\u3057\u305f:\n\nC:\\a\\q?.txt\nC:\\a\\trail.",
            SkippedEntriesText({L"C:\\a\\q?.txt", L"C:\\a\\trail."}));
  SetThreadLocale(saved);
}

// A name in a cabinet holds 255 bytes of UTF-8: a file whose name in the
// archive would be longer, with the names of the folder items it goes
// below, is left out and named with the limit, in both languages.
TEST_F(ArchiveTreeTest, AFileWhoseNameInTheArchiveWouldNotFitIsLeftOutAndNamed) {
  TempDir dir(L"long");
  const std::wstring folder(80, L'\u8cc7');
  const std::wstring tooLong =
      MakeFile(dir / (folder + L"\\" + std::wstring(72, L'\u6599') + L".txt"));
  const std::wstring fine = MakeFile(dir / (folder + L"\\short.txt"));
  const std::wstring fits = MakeFile(dir / (L"fit\\" + std::wstring(85, L'\u6599')));  // 255 bytes
  ArchiveTreeBatch batch(tree);
  EXPECT_FALSE(AddPathToArchiveTree(batch, dir.path(), root, dir / folder));
  EXPECT_TRUE(AddPathToArchiveTree(batch, dir / L"fit", root, fits));
  HTREEITEM docs = batch.AddFolder(root, L"docs");
  EXPECT_FALSE(AddPathToArchiveTree(batch, dir / L"fit", docs, fits));
  batch.Finish();
  EXPECT_TRUE(batch.skipped().empty());
  EXPECT_EQ((std::vector<std::wstring>{tooLong, fits}), batch.longNames());
  std::vector<std::wstring> outline = Outline(tree);
  std::sort(outline.begin(), outline.end());
  EXPECT_EQ((std::vector<std::wstring>{L"docs\\", std::wstring(85, L'\u6599') + L" <- " + fits,
                                       folder + L"\\", folder + L"\\short.txt <- " + fine}),
            outline);

  const LCID saved = GetThreadLocale();
  SetThreadLocale(MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT));
  EXPECT_EQ(L"1 item could not be added to the archive and was left out:\n\nC:\\x\\con\n\n"
            L"2 items could not be added to the archive: their names in it would be longer than "
            L"the 255 bytes (UTF-8) that a cabinet holds for a name:\n\n" + tooLong + L"\n" + fits,
            SkippedEntriesText({L"C:\\x\\con"}, batch.longNames()));
  EXPECT_EQ(L"1 item could not be added to the archive: its name in it would be longer than the "
            L"255 bytes (UTF-8) that a cabinet holds for a name:\n\n" + fits,
            SkippedEntriesText({}, {fits}));
  SetThreadLocale(MAKELCID(MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT), SORT_DEFAULT));
  const std::wstring japanese = SkippedEntriesText({}, batch.longNames());
  EXPECT_EQ(0u, japanese.find(L"2 \u500b\u306e\u9805\u76ee")) << testsupport::Narrow(japanese);
  EXPECT_NE(std::wstring::npos, japanese.find(L"UTF-8 \u3067 255"))
      << testsupport::Narrow(japanese);
  EXPECT_NE(std::wstring::npos, japanese.find(tooLong));
  SetThreadLocale(saved);
}

// Thousands of files in one folder: every one is found by its name through
// the batch's index, and the folder is sorted once.
TEST_F(ArchiveTreeTest, AFolderOfThousandsOfFilesIsAddedWholeAndSorted) {
  TempDir dir(L"many");
  const int kFiles = 3000;
  for (int i = kFiles; i > 0; --i) MakeFile(dir / (L"flat\\f" + std::to_wstring(i) + L".txt"));
  ASSERT_TRUE(Add(dir.path(), dir / L"flat"));
  EXPECT_EQ(static_cast<UINT>(kFiles + 2), TreeView_GetCount(tree));
  // Adding it again finds every file in place.
  ASSERT_TRUE(Add(dir.path(), dir / L"flat"));
  EXPECT_EQ(static_cast<UINT>(kFiles + 2), TreeView_GetCount(tree));
  std::vector<std::wstring> texts;
  for (const std::wstring& line : Outline(tree)) texts.push_back(line.substr(0, line.find(L" <- ")));
  for (size_t i = 2; i < texts.size(); ++i)
    EXPECT_LT(lstrcmpiW(texts[i - 1].c_str(), texts[i].c_str()), 0) << i;
}

TEST_F(ArchiveTreeTest, CollectGivesNamesBelowTheRootInTreeOrder) {
  HTREEITEM a = MakeFolderItem(tree, root, L"a");
  MakeFileItem(tree, a, L"x.txt", L"C:\\src\\x.txt");
  HTREEITEM empty = MakeFolderItem(tree, root, L"empty");
  MakeFileItem(tree, root, L"y.txt", L"C:\\src\\y.txt");
  HTREEITEM deep = MakeFolderItem(tree, MakeFolderItem(tree, a, L"b"), L"c");
  HTREEITEM file = MakeFileItem(tree, deep, L"z.bin", L"D:\\z.bin");
  // Below a file item nothing is packed.
  MakeFileItem(tree, file, L"hidden.txt", L"C:\\hidden.txt");
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
  HTREEITEM a = MakeFolderItem(tree, root, L"a");
  MakeFileItem(tree, a, L"x.txt", L"C:\\x.txt");
  MakeFileItem(tree, root, L"y.txt", L"C:\\y.txt");
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
