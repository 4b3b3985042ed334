// Drives the compressor's interactive window from this process: starts
// Sardok, finds its main window and panes, drops files on the archive pane
// as another program's drag would, and waits while pumping this thread's
// messages (the compressor sends its result to a window of this thread).
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "DialogDriver.h"

namespace compressortest {

// Deletes HKCU "Software\Kelvadon\Vesmarin 6\Compressor" with its values.
void ResetCompressorSettings();
// A DWORD value under that key (subKey "" or "Window"); false when absent.
bool ReadCompressorValue(const wchar_t* subKey, const wchar_t* name, DWORD* value);
void WriteCompressorValue(const wchar_t* subKey, const wchar_t* name, DWORD value);

// Waits, pumping this thread's messages, until the condition holds.
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = 30000);

// The visible main window ("sardok_class") of a process; 0 for any process.
HWND FindCompressorWindow(DWORD process);

struct CompressorPanes {
  HWND splitter = nullptr;
  HWND archiveHost = nullptr;
  HWND explorerHost = nullptr;
  HWND archiveTree = nullptr;
  HWND explorerTree = nullptr;
};
CompressorPanes PanesOf(HWND main);
std::wstring ClassOf(HWND window);
// TVM_GETCOUNT of a tree of another process.
int TreeCount(HWND tree);
// An item's text and the children of an item (the top level for null) of a
// tree of another process.
std::wstring TreeItemText(HWND tree, HTREEITEM item);
std::vector<HTREEITEM> TreeChildren(HWND tree, HTREEITEM item);
// The screen rectangle of an item's label; empty when it is not shown.
RECT TreeItemScreenRect(HWND tree, HTREEITEM item);
// The child of item whose text is name; null when there is none.
HTREEITEM TreeChild(HWND tree, HTREEITEM item, const std::wstring& name);

// Drags data of one clipboard format (files or text) from this process and
// lets it go over the middle of window: the effect the target chose, or -1
// when nothing was dropped. OLE must be initialised on this thread.
int DropFilesOn(HWND window, const std::vector<std::wstring>& paths);
int DropTextOn(HWND window, const std::wstring& text);

// Presses the left button at from, moves to to in steps and lets go there,
// as the user's mouse does.
void MouseDrag(POINT from, POINT to);

// The cabinet 40004 writes: "Vesmarin Project.cab" on the desktop.
std::wstring DesktopArchivePath();

class CompressorProcess {
 public:
  ~CompressorProcess();
  bool Start(const std::wstring& program, const std::wstring& arguments = L"");
  // The visible main window once its placement is restored, waited for.
  HWND WaitMainWindow(DWORD timeoutMs = 30000);
  HWND main() const { return main_; }
  testsupport::DrivenProcess& process() { return process_; }
  // Closes the main window (answering No to a save question) and waits;
  // the exit code, 0xFFFFFFFF when it did not end.
  DWORD Close(DWORD timeoutMs = 30000);
  // Waits for the end, pumping messages and answering boxes with OK.
  DWORD WaitExit(DWORD timeoutMs = 30000);

 private:
  testsupport::DrivenProcess process_;
  HWND main_ = nullptr;
};

}  // namespace compressortest
