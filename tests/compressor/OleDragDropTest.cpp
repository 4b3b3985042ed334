// The drag data object, its format enumerator, the drop source and the drop
// target, called as OLE calls them.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "DragOwnerWindow.h"
#include "OleDragDrop.h"

namespace {

std::vector<std::wstring> PathsIn(HGLOBAL block) {
  std::vector<std::wstring> paths;
  HDROP drop = static_cast<HDROP>(block);
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    wchar_t path[MAX_PATH] = {};
    DragQueryFileW(drop, i, path, MAX_PATH);
    paths.push_back(path);
  }
  return paths;
}

class OleDragDropTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
  void TearDown() override { OleUninitialize(); }
};

TEST_F(OleDragDropTest, TheFileBlockIsADropFilesListOfWidePaths) {
  const std::vector<std::wstring> paths = {L"C:\\a\\x.txt", L"D:\\y"};
  HGLOBAL block = BuildDropFilesBlock(paths);
  ASSERT_NE(nullptr, block);
  const DROPFILES* header = static_cast<const DROPFILES*>(GlobalLock(block));
  ASSERT_NE(nullptr, header);
  EXPECT_EQ(sizeof(DROPFILES), header->pFiles);
  EXPECT_TRUE(header->fWide);
  const wchar_t* text = reinterpret_cast<const wchar_t*>(
      reinterpret_cast<const BYTE*>(header) + header->pFiles);
  EXPECT_EQ(std::wstring(L"C:\\a\\x.txt"), text);
  EXPECT_EQ(std::wstring(L"D:\\y"), text + 11);
  EXPECT_EQ(0, text[16]);  // the list's final NUL
  GlobalUnlock(block);
  EXPECT_EQ(paths, PathsIn(block));
  GlobalFree(block);
}

TEST_F(OleDragDropTest, EveryGetDataHandsOutAMediumOfItsOwn) {
  DragOwnerWindow owner(BuildDropFilesBlock({L"C:\\one.txt", L"C:\\two.txt"}));
  IDataObject* object = owner.NewDataObject(CF_HDROP);
  ASSERT_NE(nullptr, object);
  FORMATETC request = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  EXPECT_EQ(S_OK, object->QueryGetData(&request));
  STGMEDIUM first = {};
  STGMEDIUM second = {};
  ASSERT_EQ(S_OK, object->GetData(&request, &first));
  ASSERT_EQ(S_OK, object->GetData(&request, &second));
  EXPECT_EQ(static_cast<DWORD>(TYMED_HGLOBAL), first.tymed);
  EXPECT_EQ(nullptr, first.pUnkForRelease);
  EXPECT_NE(first.hGlobal, second.hGlobal);
  EXPECT_NE(second.hGlobal, nullptr);
  // The receiver frees what it got; the next one is still whole.
  ReleaseStgMedium(&first);
  EXPECT_EQ((std::vector<std::wstring>{L"C:\\one.txt", L"C:\\two.txt"}), PathsIn(second.hGlobal));
  ReleaseStgMedium(&second);

  // Formats and media it does not have.
  FORMATETC text = {CF_UNICODETEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  FORMATETC stream = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_ISTREAM};
  STGMEDIUM medium = {};
  EXPECT_EQ(DV_E_FORMATETC, object->GetData(&text, &medium));
  EXPECT_EQ(DV_E_FORMATETC, object->GetData(&stream, &medium));
  EXPECT_EQ(DV_E_FORMATETC, object->QueryGetData(&stream));
  // An owner with nothing to give.
  owner.SetBlock(nullptr);
  EXPECT_EQ(STG_E_MEDIUMFULL, object->GetData(&request, &medium));
  EXPECT_EQ(static_cast<ULONG>(0), object->Release());
}

TEST_F(OleDragDropTest, TheFormatEnumeratorCountsOnlyWhatItGave) {
  DragOwnerWindow owner;
  const CLIPFORMAT formats[] = {CF_HDROP, CF_UNICODETEXT};
  IDataObject* object = CreateDragDataObject(owner.window(), kRenderDataMessage, formats, 2);
  ASSERT_NE(nullptr, object);
  IEnumFORMATETC* list = nullptr;
  EXPECT_EQ(E_INVALIDARG, object->EnumFormatEtc(DATADIR_GET, nullptr));
  EXPECT_EQ(E_NOTIMPL, object->EnumFormatEtc(DATADIR_SET, &list));
  EXPECT_EQ(nullptr, list);
  ASSERT_EQ(S_OK, object->EnumFormatEtc(DATADIR_GET, &list));

  FORMATETC got[3] = {};
  ULONG fetched = 99;
  // Asked for three, it has two: both come, and the answer says short.
  EXPECT_EQ(S_FALSE, list->Next(3, got, &fetched));
  EXPECT_EQ(2u, fetched);
  EXPECT_EQ(CF_HDROP, got[0].cfFormat);
  EXPECT_EQ(CF_UNICODETEXT, got[1].cfFormat);
  EXPECT_EQ(static_cast<DWORD>(TYMED_HGLOBAL), got[0].tymed);
  EXPECT_EQ(-1, got[0].lindex);
  // At the end; and a caller that passes no count is fine.
  EXPECT_EQ(S_FALSE, list->Next(1, got, nullptr));
  EXPECT_EQ(S_OK, list->Reset());
  EXPECT_EQ(S_OK, list->Next(1, got, nullptr));
  EXPECT_EQ(CF_HDROP, got[0].cfFormat);

  IEnumFORMATETC* copy = nullptr;
  ASSERT_EQ(S_OK, list->Clone(&copy));
  EXPECT_EQ(S_OK, copy->Next(1, got, &fetched));
  EXPECT_EQ(1u, fetched);
  EXPECT_EQ(CF_UNICODETEXT, got[0].cfFormat);
  EXPECT_EQ(S_FALSE, list->Skip(5));
  EXPECT_EQ(S_FALSE, list->Next(1, got, &fetched));
  EXPECT_EQ(0u, fetched);
  EXPECT_EQ(S_OK, list->Reset());
  EXPECT_EQ(S_OK, list->Skip(2));
  EXPECT_EQ(E_POINTER, list->Next(2, nullptr, nullptr));
  copy->Release();
  list->Release();
  // The enumerators held the object: this is its last reference.
  EXPECT_EQ(0u, object->Release());
}

TEST_F(OleDragDropTest, TheSourceDropsWhenItsButtonIsUpAndCancelsOnEscape) {
  IDropSource* left = CreateDragDropSource(MK_LBUTTON);
  IDropSource* right = CreateDragDropSource(MK_RBUTTON | MK_LBUTTON);
  ASSERT_NE(nullptr, left);
  ASSERT_NE(nullptr, right);
  EXPECT_EQ(S_OK, left->QueryContinueDrag(FALSE, MK_LBUTTON));
  EXPECT_EQ(DRAGDROP_S_DROP, left->QueryContinueDrag(FALSE, MK_RBUTTON));
  EXPECT_EQ(DRAGDROP_S_CANCEL, left->QueryContinueDrag(TRUE, MK_LBUTTON));
  EXPECT_EQ(S_OK, right->QueryContinueDrag(FALSE, MK_RBUTTON));
  EXPECT_EQ(DRAGDROP_S_DROP, right->QueryContinueDrag(FALSE, MK_LBUTTON));
  EXPECT_EQ(DRAGDROP_S_USEDEFAULTCURSORS, left->GiveFeedback(DROPEFFECT_COPY));
  IUnknown* unknown = nullptr;
  EXPECT_EQ(E_NOINTERFACE, left->QueryInterface(IID_IDataObject, reinterpret_cast<void**>(&unknown)));
  EXPECT_EQ(nullptr, unknown);
  left->Release();
  right->Release();
}

TEST_F(OleDragDropTest, TheTargetNeverAnswersMoveAndForgetsTheLastDrag) {
  DragOwnerWindow source(BuildDropFilesBlock({L"C:\\data\\a.txt"}));
  DragOwnerWindow textSource(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 16));
  const CLIPFORMAT files[] = {CF_HDROP};
  IDataObject* fileObject = source.NewDataObject(CF_HDROP);
  IDataObject* textObject = textSource.NewDataObject(CF_UNICODETEXT);
  DragOwnerWindow owner;
  owner.answer = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  IDropTarget* target = CreateDragDropTarget(owner.window(), kDropNotifyMessage, files, 1);
  ASSERT_NE(nullptr, target);
  const POINTL point = {10, 10};

  // A drag offering copy and move gets a copy, never a move: a move would
  // have the source delete the user's files.
  DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  EXPECT_EQ(S_OK, target->DragEnter(fileObject, MK_LBUTTON, point, &effect));
  EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_COPY), effect);
  effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  EXPECT_EQ(S_OK, target->DragOver(MK_LBUTTON, point, &effect));
  EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_COPY), effect);
  // A source that only moves gets nothing.
  effect = DROPEFFECT_MOVE;
  EXPECT_EQ(S_OK, target->DragOver(MK_LBUTTON, point, &effect));
  EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_NONE), effect);
  EXPECT_EQ(S_OK, target->DragLeave());

  // The next drag carries text only: the owner hears nothing and the copy
  // answered before does not carry over.
  effect = DROPEFFECT_COPY;
  EXPECT_EQ(S_OK, target->DragEnter(textObject, MK_LBUTTON, point, &effect));
  EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_NONE), effect);
  effect = DROPEFFECT_COPY;
  EXPECT_EQ(S_OK, target->DragOver(MK_LBUTTON, point, &effect));
  EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_NONE), effect);
  effect = DROPEFFECT_COPY;
  EXPECT_EQ(S_OK, target->Drop(textObject, 0, point, &effect));
  EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_NONE), effect);

  // Enter and drop reach the owner with the format; over and leave never.
  effect = DROPEFFECT_COPY;
  EXPECT_EQ(S_OK, target->Drop(fileObject, 0, point, &effect));
  EXPECT_EQ((std::vector<WPARAM>{kDropEnter, kDrop}), owner.events);
  EXPECT_EQ((std::vector<CLIPFORMAT>{CF_HDROP, CF_HDROP}), owner.formats);
  target->Release();
  textObject->Release();
  fileObject->Release();
}

}  // namespace
