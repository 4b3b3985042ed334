#include "CompressorWindowDriver.h"

#include <commctrl.h>
#include <shlobj.h>

#include "DragOwnerWindow.h"
#include "OleDragDrop.h"

namespace compressortest {

namespace {

const wchar_t kSettingsKey[] = L"Software\\Kelvadon\\Vesmarin 6\\Compressor";

std::wstring KeyOf(const wchar_t* subKey) {
  return subKey && subKey[0] ? std::wstring(kSettingsKey) + L"\\" + subKey : kSettingsKey;
}

int DragOver(HWND window, HGLOBAL block, CLIPFORMAT format) {
  if (!block) return -1;
  DragOwnerWindow owner(block);
  RECT rect = {};
  GetWindowRect(window, &rect);
  SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  return StartDrag(owner.window(), kRenderDataMessage, &format, 1, DROPEFFECT_COPY);
}

}  // namespace

void ResetCompressorSettings() { RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey); }

bool ReadCompressorValue(const wchar_t* subKey, const wchar_t* name, DWORD* value) {
  DWORD size = sizeof(*value);
  return RegGetValueW(HKEY_CURRENT_USER, KeyOf(subKey).c_str(), name, RRF_RT_REG_DWORD, nullptr,
                      value, &size) == ERROR_SUCCESS;
}

void WriteCompressorValue(const wchar_t* subKey, const wchar_t* name, DWORD value) {
  RegSetKeyValueW(HKEY_CURRENT_USER, KeyOf(subKey).c_str(), name, REG_DWORD, &value,
                  sizeof(value));
}

bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > timeoutMs) return false;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(20);
  }
  return true;
}

namespace {

struct MainSearch {
  DWORD process;
  HWND found;
};

BOOL CALLBACK FindMain(HWND window, LPARAM context) {
  MainSearch* search = reinterpret_cast<MainSearch*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if ((search->process == 0 || owner == search->process) && IsWindowVisible(window) &&
      ClassOf(window) == L"sardok_class") {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

HWND FindCompressorWindow(DWORD process) {
  MainSearch search = {process, nullptr};
  EnumWindows(FindMain, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  if (window) GetClassNameW(window, name, 64);
  return name;
}

CompressorPanes PanesOf(HWND main) {
  CompressorPanes panes;
  panes.splitter = GetDlgItem(main, 101);
  if (!panes.splitter) return panes;
  panes.archiveHost = GetDlgItem(panes.splitter, 101);
  panes.explorerHost = GetDlgItem(panes.splitter, 102);
  if (panes.archiveHost) panes.archiveTree = GetDlgItem(panes.archiveHost, 103);
  if (panes.explorerHost) panes.explorerTree = GetDlgItem(panes.explorerHost, 104);
  return panes;
}

int TreeCount(HWND tree) {
  DWORD_PTR count = 0;
  if (!SendMessageTimeoutW(tree, TVM_GETCOUNT, 0, 0, SMTO_NORMAL, 5000, &count)) return -1;
  return static_cast<int>(count);
}

std::wstring TreeItemText(HWND tree, HTREEITEM item) {
  DWORD processId = 0;
  GetWindowThreadProcessId(tree, &processId);
  HANDLE process =
      OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
  if (!process) return std::wstring();
  const SIZE_T textBytes = MAX_PATH * sizeof(wchar_t);
  BYTE* remote = static_cast<BYTE*>(
      VirtualAllocEx(process, nullptr, sizeof(TVITEMW) + textBytes, MEM_COMMIT, PAGE_READWRITE));
  wchar_t text[MAX_PATH] = {};
  if (remote) {
    TVITEMW data = {};
    data.mask = TVIF_TEXT;
    data.hItem = item;
    data.pszText = reinterpret_cast<wchar_t*>(remote + sizeof(TVITEMW));
    data.cchTextMax = MAX_PATH;
    DWORD_PTR result = 0;
    if (WriteProcessMemory(process, remote, &data, sizeof(data), nullptr) &&
        SendMessageTimeoutW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote), SMTO_NORMAL,
                            5000, &result) &&
        result)
      ReadProcessMemory(process, remote + sizeof(TVITEMW), text, textBytes, nullptr);
    text[MAX_PATH - 1] = 0;
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  CloseHandle(process);
  return text;
}

std::vector<HTREEITEM> TreeChildren(HWND tree, HTREEITEM item) {
  std::vector<HTREEITEM> children;
  DWORD_PTR next = 0;
  SendMessageTimeoutW(tree, TVM_GETNEXTITEM, item ? TVGN_CHILD : TVGN_ROOT,
                      reinterpret_cast<LPARAM>(item), SMTO_NORMAL, 5000, &next);
  while (next) {
    children.push_back(reinterpret_cast<HTREEITEM>(next));
    DWORD_PTR sibling = 0;
    SendMessageTimeoutW(tree, TVM_GETNEXTITEM, TVGN_NEXT, static_cast<LPARAM>(next), SMTO_NORMAL,
                        5000, &sibling);
    next = sibling;
  }
  return children;
}

RECT TreeItemScreenRect(HWND tree, HTREEITEM item) {
  RECT rect = {};
  DWORD processId = 0;
  GetWindowThreadProcessId(tree, &processId);
  HANDLE process =
      OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
  if (!process) return rect;
  void* remote = VirtualAllocEx(process, nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
  if (remote) {
    // TVM_GETITEMRECT takes the item in the rectangle it fills.
    RECT request = {};
    memcpy(&request, &item, sizeof(item));
    DWORD_PTR result = 0;
    if (WriteProcessMemory(process, remote, &request, sizeof(request), nullptr) &&
        SendMessageTimeoutW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(remote),
                            SMTO_NORMAL, 5000, &result) &&
        result && ReadProcessMemory(process, remote, &rect, sizeof(rect), nullptr))
      MapWindowPoints(tree, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  CloseHandle(process);
  return rect;
}

HTREEITEM TreeChild(HWND tree, HTREEITEM item, const std::wstring& name) {
  for (HTREEITEM child : TreeChildren(tree, item))
    if (TreeItemText(tree, child) == name) return child;
  return nullptr;
}

int DropFilesOn(HWND window, const std::vector<std::wstring>& paths) {
  return DragOver(window, BuildDropFilesBlock(paths), CF_HDROP);
}

int DropTextOn(HWND window, const std::wstring& text) {
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (block) {
    memcpy(GlobalLock(block), text.c_str(), bytes);
    GlobalUnlock(block);
  }
  return DragOver(window, block, CF_UNICODETEXT);
}

void MouseDrag(POINT from, POINT to) {
  auto send = [](DWORD flags) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof(input));
  };
  SetCursorPos(from.x, from.y);
  Sleep(200);
  send(MOUSEEVENTF_LEFTDOWN);
  Sleep(200);
  const int steps = 10;
  for (int i = 1; i <= steps; ++i) {
    SetCursorPos(from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps);
    send(MOUSEEVENTF_MOVE);
    Sleep(100);
  }
  send(MOUSEEVENTF_LEFTUP);
}

std::wstring DesktopArchivePath() {
  wchar_t folder[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_DESKTOP, nullptr, SHGFP_TYPE_CURRENT, folder)))
    return std::wstring();
  std::wstring path = folder;
  if (!path.empty() && path.back() != L'\\') path += L'\\';
  return path + L"Vesmarin Project.cab";
}

CompressorProcess::~CompressorProcess() {
  if (process_.Running()) process_.Terminate();
}

bool CompressorProcess::Start(const std::wstring& program, const std::wstring& arguments) {
  return process_.Start(L"\"" + program + L"\" " + arguments);
}

HWND CompressorProcess::WaitMainWindow(DWORD timeoutMs) {
  PumpUntil([&] {
    main_ = FindCompressorWindow(process_.Id());
    if (!main_) return !process_.Running();
    CompressorPanes panes = PanesOf(main_);
    if (!panes.archiveTree || !panes.explorerTree || !IsWindowVisible(panes.archiveTree))
      return false;
    // Shown, and the stored pane width applied (never under 100 pixels).
    RECT host = {};
    GetWindowRect(panes.archiveHost, &host);
    return host.right - host.left >= 100;
  }, timeoutMs);
  return main_;
}

DWORD CompressorProcess::Close(DWORD timeoutMs) {
  if (main_) PostMessageW(main_, WM_CLOSE, 0, 0);
  const DWORD start = GetTickCount();
  PumpUntil([&] {
    process_.AnswerBoxes([](const testsupport::SeenBox&) { return IDNO; });
    return !process_.Running() || GetTickCount() - start > timeoutMs;
  }, timeoutMs + 1000);
  return process_.Running() ? 0xFFFFFFFF : process_.ExitCode();
}

DWORD CompressorProcess::WaitExit(DWORD timeoutMs) {
  PumpUntil([&] {
    process_.AnswerBoxes([](const testsupport::SeenBox&) { return IDOK; });
    return !process_.Running();
  }, timeoutMs);
  return process_.Running() ? 0xFFFFFFFF : process_.ExitCode();
}

}  // namespace compressortest
