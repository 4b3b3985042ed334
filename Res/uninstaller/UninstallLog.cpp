#include "UninstallLog.h"

#include <cstdlib>

#include "UninstallerApp.h"

namespace {

HANDLE g_log = INVALID_HANDLE_VALUE;
wchar_t g_logPath[MAX_PATH];

}  // namespace

bool OpenUninstallLog() {
  if (g_log != INVALID_HANDLE_VALUE) return true;
  wchar_t folder[MAX_PATH] = {};
  DWORD length = GetTempPathW(_countof(folder), folder);
  if (length == 0 || length >= _countof(folder)) return false;
  if (GetTempFileNameW(folder, L"qxl", 0, g_logPath) == 0) return false;
  g_log = CreateFileW(g_logPath, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                      FILE_ATTRIBUTE_TEMPORARY, nullptr);
  if (g_log == INVALID_HANDLE_VALUE) {
    DeleteFileW(g_logPath);
    return false;
  }
  return true;
}

void WriteLogLine(const wchar_t* prefix, const wchar_t* item, UINT statusId) {
  if (g_log == INVALID_HANDLE_VALUE) return;
  std::wstring line = prefix ? prefix : L"";
  line += L' ';
  line += item ? item : L"";
  line += L' ';
  line += LoadUninstallerString(statusId);
  line += L"\r\n";
  DWORD written = 0;
  WriteFile(g_log, line.data(), static_cast<DWORD>(line.size() * sizeof(wchar_t)), &written,
            nullptr);
}

bool TakeUninstallLogText(std::wstring* text) {
  text->clear();
  if (g_log == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER zero{}, end{};
  bool ok = SetFilePointerEx(g_log, zero, &end, FILE_CURRENT) && end.QuadPart >= 0 &&
            end.QuadPart < 64 * 1024 * 1024 && SetFilePointerEx(g_log, zero, nullptr, FILE_BEGIN);
  if (ok) {
    const DWORD bytes = static_cast<DWORD>(end.QuadPart);
    std::wstring buffer((bytes + 1) / 2 + 1, L'\0');
    DWORD read = 0;
    ok = bytes == 0 || (ReadFile(g_log, &buffer[0], bytes, &read, nullptr) && read == bytes);
    if (ok) {
      buffer.resize(bytes / 2);
      *text = buffer;
    }
  }
  DiscardUninstallLog();
  return ok;
}

void DiscardUninstallLog() {
  if (g_log == INVALID_HANDLE_VALUE) return;
  CloseHandle(g_log);
  g_log = INVALID_HANDLE_VALUE;
  DeleteFileW(g_logPath);
}
