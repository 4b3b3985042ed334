// A hidden window holding the archive pane, as the main window holds it, and
// readers of the tree's content.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

class ArchivePaneFixture {
 public:
  ArchivePaneFixture();
  ~ArchivePaneFixture();
  HWND tree() const { return tree_; }
  HWND frame() const { return frame_; }

 private:
  HWND frame_ = nullptr;
  HWND host_ = nullptr;
  HWND tree_ = nullptr;
};

// A folder item or a file item below parent, made as every run of additions
// makes them (ArchiveTreeBatch), in the tree's order.
HTREEITEM MakeFolderItem(HWND tree, HTREEITEM parent, const std::wstring& name);
HTREEITEM MakeFileItem(HWND tree, HTREEITEM parent, const std::wstring& name,
                   const std::wstring& source);

// Every item below the root in tree order, as a path of item texts; folder
// items end in a backslash, file items carry " <- source" after them.
std::vector<std::wstring> Outline(HWND tree);

// Creates a file (and its folders) with the given text.
std::wstring MakeFile(const std::wstring& path, const std::string& text = "x");
