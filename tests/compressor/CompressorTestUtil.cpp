#include "CompressorTestUtil.h"

#include <shlwapi.h>

#include "ArchiveTree.h"
#include "CompressorState.h"
#include "FileSystem.h"
#include "TestSupport.h"

ArchivePaneFixture::ArchivePaneFixture() {
  Compressor().instance = GetModuleHandleW(nullptr);
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  RegisterPaneClass(Compressor().instance);
  frame_ = CreateWindowExW(0, L"STATIC", L"frame", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr,
                           nullptr, Compressor().instance, nullptr);
  host_ = CreateWindowExW(0, kPaneHostClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 400, 300, frame_,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(kArchivePaneId)),
                          Compressor().instance, nullptr);
  tree_ = host_ ? GetDlgItem(host_, kArchiveTreeId) : nullptr;
  Compressor().mainWindow = frame_;
  Compressor().abort = false;
}

ArchivePaneFixture::~ArchivePaneFixture() {
  if (frame_) DestroyWindow(frame_);
  Compressor().mainWindow = nullptr;
}

namespace {

void OutlineBelow(HWND tree, HTREEITEM first, const std::wstring& prefix,
                  std::vector<std::wstring>& lines) {
  for (HTREEITEM item = first; item; item = TreeView_GetNextSibling(tree, item)) {
    const std::wstring text = GetItemText(tree, item);
    if (const wchar_t* source = GetItemSource(tree, item)) {
      lines.push_back(prefix + text + L" <- " + source);
    } else {
      lines.push_back(prefix + text + L"\\");
    }
    if (HTREEITEM child = TreeView_GetChild(tree, item))
      OutlineBelow(tree, child, prefix + text + L"\\", lines);
  }
}

}  // namespace

std::vector<std::wstring> Outline(HWND tree) {
  std::vector<std::wstring> lines;
  HTREEITEM root = GetArchiveRoot(tree);
  if (root) OutlineBelow(tree, TreeView_GetChild(tree, root), L"", lines);
  return lines;
}

std::wstring MakeFile(const std::wstring& path, const std::string& text) {
  wchar_t folder[MAX_PATH];
  wcscpy(folder, path.c_str());
  PathRemoveFileSpecW(folder);
  CreateDirectoryTree(folder);
  testsupport::WriteTextFile(path, text);
  return path;
}

HTREEITEM MakeFolderItem(HWND tree, HTREEITEM parent, const std::wstring& name) {
  ArchiveTreeBatch batch(tree);
  return batch.AddFolder(parent, name);
}

HTREEITEM MakeFileItem(HWND tree, HTREEITEM parent, const std::wstring& name,
                   const std::wstring& source) {
  ArchiveTreeBatch batch(tree);
  return batch.AddFile(parent, name, source);
}
