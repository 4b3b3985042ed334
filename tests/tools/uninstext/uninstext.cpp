// An extension module for the tests. For every call of its wide entry it
// appends one UTF-8 line to the file named by VESMARIN_EXT_LOG:
//   event=<code> size=<cbSize> param1=<n> title=<title> path=<path> data=<null|set>
// and answers with VESMARIN_EXT_RESULT_<code> (decimal, default 0).
#include <windows.h>

#include <cstdlib>
#include <string>

#include "../ToolLog.h"
#include "ExtensionRecord.h"

namespace {

std::wstring Env(const std::wstring& name) {
  wchar_t value[1024] = {};
  DWORD length = GetEnvironmentVariableW(name.c_str(), value, 1024);
  return length > 0 && length < 1024 ? std::wstring(value) : std::wstring();
}

void Append(const std::wstring& line) { AppendUtf8Line(Env(L"VESMARIN_EXT_LOG"), line); }

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
