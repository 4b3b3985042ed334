// Files dropped on the archive pane, through the drop target as OLE drives
// it, and what the Add command picks as its folder.
#include <gtest/gtest.h>

#include <shlobj.h>

#include "ArchiveDrop.h"
#include "ArchiveTree.h"
#include "CompressorState.h"
#include "CompressorTestUtil.h"
#include "DragOwnerWindow.h"
#include "OleDragDrop.h"
#include "TestSupport.h"

namespace {

using testsupport::TempDir;

class ArchiveDropTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
  void TearDown() override { OleUninitialize(); }

  // The screen point in the middle of an item's label; the point of an
  // empty place below every item for null.
  POINTL PointOf(HWND tree, HTREEITEM item) {
    RECT rect = {};
    if (item) {
      TreeView_GetItemRect(tree, item, &rect, TRUE);
    } else {
      rect.left = rect.right = 150;
      rect.top = rect.bottom = 280;
    }
    POINT point = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    ClientToScreen(tree, &point);
    return {point.x, point.y};
  }

  // A drag of paths entering the archive pane and dropped at point; the
  // effect answered at the enter.
  DWORD Drop(const std::vector<std::wstring>& paths, POINTL point) {
    const std::vector<std::wstring> before = Outline(tree);
    DragOwnerWindow source(BuildDropFilesBlock(paths));
    IDataObject* object = source.NewDataObject(CF_HDROP);
    const CLIPFORMAT formats[] = {CF_HDROP};
    IDropTarget* target =
        CreateDragDropTarget(GetParent(tree), kDropNotifyMessage, formats, 1);
    DWORD entered = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    target->DragEnter(object, MK_LBUTTON, point, &entered);
    DWORD dropped = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    target->Drop(object, 0, point, &dropped);
    target->Release();
    object->Release();
    // The pane adds what was dropped once the drop has returned.
    EXPECT_TRUE(Outline(tree) == before) << "added inside the drop";
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    return entered;
  }

  ArchivePaneFixture pane;
  HWND tree = pane.tree();
  HTREEITEM root = tree ? GetArchiveRoot(tree) : nullptr;
};

TEST_F(ArchiveDropTest, DroppedFilesAndFoldersEachKeepTheirOwnFolder) {
  TempDir dir(L"drop");
  const std::wstring x = MakeFile(dir / L"one\\pics\\x.png");
  const std::wstring y = MakeFile(dir / L"two\\deep\\notes\\y.txt");
  const std::wstring z = MakeFile(dir / L"two\\z.txt");
  ASSERT_NE(nullptr, tree);
  EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_COPY),
            Drop({dir / L"one\\pics", dir / L"two\\deep\\notes", z}, PointOf(tree, nullptr)));
  EXPECT_EQ((std::vector<std::wstring>{L"notes\\", L"notes\\y.txt <- " + y, L"pics\\",
                                       L"pics\\x.png <- " + x, L"z.txt <- " + z}),
            Outline(tree));
  EXPECT_TRUE(Compressor().treeModified);
}

TEST_F(ArchiveDropTest, ADropOnAFileAddsBesideItAndOnAFolderInsideIt) {
  TempDir dir(L"place");
  HTREEITEM bin = MakeFolderItem(tree, root, L"bin");
  HTREEITEM tool = MakeFileItem(tree, bin, L"tool.exe", L"C:\\tool.exe");
  HTREEITEM docs = MakeFolderItem(tree, root, L"docs");
  TreeView_Expand(tree, root, TVE_EXPAND);
  TreeView_Expand(tree, bin, TVE_EXPAND);
  const std::wstring a = MakeFile(dir / L"a.dll");
  const std::wstring b = MakeFile(dir / L"b.txt");
  Drop({a}, PointOf(tree, tool));
  Drop({b}, PointOf(tree, docs));
  EXPECT_EQ((std::vector<std::wstring>{L"bin\\", L"bin\\a.dll <- " + a,
                                       L"bin\\tool.exe <- C:\\tool.exe", L"docs\\",
                                       L"docs\\b.txt <- " + b}),
            Outline(tree));
  // The Add command's folder follows the same rule.
  EXPECT_EQ(bin, FolderTargetOf(tree, tool));
  EXPECT_EQ(docs, FolderTargetOf(tree, docs));
  EXPECT_EQ(root, FolderTargetOf(tree, nullptr));
  EXPECT_EQ(root, FolderTargetOf(tree, root));
}

TEST_F(ArchiveDropTest, APathTooLongIsRefusedNotCutToAnotherFile) {
  TempDir dir(L"long");
  // A file whose path is 259 characters: what a path of 264 would be cut to.
  const std::wstring shortName = std::wstring(259 - dir.path().size(), L'q');
  const std::wstring cut = MakeFile(dir / shortName);
  ASSERT_EQ(259u, cut.size());
  const std::wstring kept = MakeFile(dir / L"kept.txt");
  const std::wstring tooLong = cut + L"x.txt";

  HGLOBAL block = BuildDropFilesBlock({tooLong, kept});
  EXPECT_EQ((std::vector<std::wstring>{tooLong, kept}), DroppedPaths(static_cast<HDROP>(block)));
  GlobalFree(block);

  Drop({tooLong, kept}, PointOf(tree, nullptr));
  EXPECT_EQ((std::vector<std::wstring>{L"kept.txt <- " + kept}), Outline(tree));
}

}  // namespace
