#include "StubLog.h"

#include <shlobj.h>
#include <shlwapi.h>
#include <stdarg.h>
#include <strsafe.h>

#include "DiskFile.h"

namespace stub {

namespace {
HANDLE g_log = INVALID_HANDLE_VALUE;
}

bool OpenStubLogFile(const wchar_t* path) {
  CloseStubLog();
  if (!path || GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) return false;
  // Only a regular file: never a link planted in its place.
  g_log = vesmarin::OpenRegularFile(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    OPEN_EXISTING);
  return g_log != INVALID_HANDLE_VALUE;
}

bool OpenStubLog() {
  wchar_t path[MAX_PATH];
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, path)))
    return false;
  if (!PathAppendW(path, L"$$qxxlog.txt")) return false;
  return OpenStubLogFile(path);
}

bool StubLogOpen() { return g_log != INVALID_HANDLE_VALUE; }

void CloseStubLog() {
  if (g_log != INVALID_HANDLE_VALUE) CloseHandle(g_log);
  g_log = INVALID_HANDLE_VALUE;
}

void StubLog(const wchar_t* format, ...) {
  if (g_log == INVALID_HANDLE_VALUE || !format) return;
  wchar_t text[2048];
  va_list args;
  va_start(args, format);
  HRESULT hr = StringCchVPrintfW(text, ARRAYSIZE(text), format, args);
  va_end(args);
  if (FAILED(hr) && hr != STRSAFE_E_INSUFFICIENT_BUFFER) return;
  char utf8[ARRAYSIZE(text) * 3];
  int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof(utf8), nullptr, nullptr);
  if (length <= 1) return;
  DWORD written = 0;
  WriteFile(g_log, utf8, static_cast<DWORD>(length - 1), &written, nullptr);
}

}  // namespace stub
