// An extension module for the tests. For every call of its wide entry it
// appends one UTF-8 line to the file named by VESMARIN_EXT_LOG:
//   event=<code> size=<cbSize> param1=<n> title=<title> path=<path> data=<null|set>
// and answers with VESMARIN_EXT_RESULT_<code> (decimal, default 0).
#include <windows.h>

#include <cstdlib>
#include <string>

#include "ExtensionRecord.h"

namespace {

std::wstring Env(const std::wstring& name) {
  wchar_t value[1024] = {};
  DWORD length = GetEnvironmentVariableW(name.c_str(), value, 1024);
  return length > 0 && length < 1024 ? std::wstring(value) : std::wstring();
}

void Append(const std::wstring& line) {
  std::wstring log = Env(L"VESMARIN_EXT_LOG");
  if (log.empty()) return;
  std::wstring text = line + L"\r\n";
  int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string utf8(bytes > 0 ? bytes - 1 : 0, '\0');
  if (bytes > 1) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &utf8[0], bytes, nullptr, nullptr);
  HANDLE file = CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
  CloseHandle(file);
}

}  // namespace

extern "C" __declspec(dllexport) LONG WINAPI VesmarinExtensionW(ExtensionRecord* record) {
  const wchar_t* title = static_cast<const wchar_t*>(record->title);
  const wchar_t* path = static_cast<const wchar_t*>(record->path);
  Append(L"event=" + std::to_wstring(record->event) + L" size=" + std::to_wstring(record->cbSize) +
         L" param1=" + std::to_wstring(static_cast<long long>(record->param1)) + L" title=" +
         (title ? title : L"(null)") + L" path=" + (path ? path : L"(null)") + L" data=" +
         (record->dataFile ? L"set" : L"null"));
  std::wstring answer = Env(L"VESMARIN_EXT_RESULT_" + std::to_wstring(record->event));
  return answer.empty() ? 0 : _wtol(answer.c_str());
}
