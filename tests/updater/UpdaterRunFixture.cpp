#include "UpdaterRunFixture.h"

#include <commctrl.h>

#include <cstring>

namespace updatertest {

// Reads the rows of a list view in another process.
std::vector<std::wstring> ListRows(HWND list) {
  std::vector<std::wstring> rows;
  DWORD processId = 0;
  GetWindowThreadProcessId(list, &processId);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                               processId);
  if (!process) return rows;
  const SIZE_T textBytes = 1024 * sizeof(wchar_t);
  BYTE* remote = static_cast<BYTE*>(
      VirtualAllocEx(process, nullptr, sizeof(LVITEMW) + textBytes, MEM_COMMIT, PAGE_READWRITE));
  const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int row = 0; remote && row < count; ++row) {
    LVITEMW item = {};
    item.iSubItem = 0;
    item.pszText = reinterpret_cast<wchar_t*>(remote + sizeof(LVITEMW));
    item.cchTextMax = 1024;
    WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
    SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(remote));
    wchar_t text[1024] = {};
    ReadProcessMemory(process, remote + sizeof(LVITEMW), text, textBytes, nullptr);
    text[1023] = L'\0';
    rows.push_back(text);
  }
  if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  return rows;
}

std::wstring RegKeyOf(const std::wstring& tag) {
  return L"Software\\VesmarinTests\\Nemdrift\\" + tag;
}

DWORD ReadDword(const std::wstring& key, const wchar_t* name, DWORD fallback) {
  DWORD value = 0;
  DWORD size = sizeof value;
  if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value,
                   &size) != ERROR_SUCCESS)
    return fallback;
  return value;
}

std::wstring ReadString(const std::wstring& key, const wchar_t* name) {
  wchar_t value[256] = {};
  DWORD size = sizeof value - sizeof(wchar_t);
  if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) !=
      ERROR_SUCCESS)
    return L"<absent>";
  return value;
}

void WriteDword(const std::wstring& key, const wchar_t* name, DWORD value) {
  RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_DWORD, &value, sizeof value);
}

std::wstring Today() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  wchar_t text[16];
  swprintf(text, 16, L"%04d/%02d/%02d", now.wYear, now.wMonth, now.wDay);
  return text;
}

HWND WaitForDialogWith(DrivenProcess& process, int control) {
  const DWORD start = GetTickCount();
  while (process.Running() && GetTickCount() - start < 60000) {
    process.AnswerBoxes(nullptr);
    std::vector<HWND> found = process.DialogsWithControl(control);
    // Shown once its WM_INITDIALOG has returned; then its thread takes
    // messages again.
    if (!found.empty() && testsupport::RoundTrip(found[0])) return found[0];
    Sleep(50);
  }
  return nullptr;
}

std::wstring PictureFolder() {
  const std::wstring folder = testsupport::BinDir() + L"..\\screenshots\\";
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

bool AnswersWithinASecond(HWND window) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result) != 0 ||
         !IsWindow(window);
}

std::wstring WindowText(HWND window) {
  wchar_t text[512] = {};
  SendMessageW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
  return text;
}

namespace {

LRESULT CALLBACK CallerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  static UINT notify = RegisterWindowMessageW(L"Nemdrift_UpdateNotify");
  if (message == notify) {
    SetPropW(window, L"notified", reinterpret_cast<HANDLE>(1));
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

HWND MakeCallerWindow() {
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = CallerProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"NemdriftTestCaller";
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(0, L"NemdriftTestCaller", L"caller", WS_OVERLAPPEDWINDOW, 10, 10,
                                300, 200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ShowWindow(window, SW_SHOW);
  return window;
}

void PumpFor(DrivenProcess& process, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (process.Running() && GetTickCount() - start < timeoutMs) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    process.AnswerBoxes(nullptr);
    Sleep(20);
  }
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

}  // namespace updatertest
