#include "PreProcess.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <boost/algorithm/string/replace.hpp>
#include <cstdlib>
#include <cwchar>
#include <string>

bool GetAssociatedCommand(const wchar_t* path, const wchar_t* extension, wchar_t* command) {
  command[0] = 0;
  wchar_t found[520] = {};
  DWORD length = _countof(found);
  if (FAILED(AssocQueryStringW(ASSOCF_NOTRUNCATE | ASSOCF_INIT_DEFAULTTOSTAR, ASSOCSTR_COMMAND,
                               extension, L"open", found, &length)) ||
      found[0] == 0) {
    return false;
  }
  std::wstring text(found);
  boost::algorithm::replace_all(text, L"%1", path);
  boost::algorithm::replace_all(text, L"%*", L"");
  if (text.size() >= kPreProcessCommandCapacity) return false;
  wcscpy(command, text.c_str());
  return true;
}

static bool CommandInterpreterPath(wchar_t* path, size_t capacity) {
  wchar_t folder[MAX_PATH] = {};
  UINT length = GetSystemDirectoryW(folder, _countof(folder));
  if (length == 0 || length >= _countof(folder)) return false;
  int written = _snwprintf(path, capacity, L"%ls\\cmd.exe", folder);
  return written > 0 && static_cast<size_t>(written) < capacity;
}

HRESULT RunPreProcess(const wchar_t* program, const wchar_t* arguments,
                      PROCESS_INFORMATION* process) {
  if (program == nullptr || *program == 0) return E_FAIL;
  const wchar_t* extension = PathFindExtensionW(program);
  std::wstring command;
  // The program the command starts, by full path: never one found by a
  // search of the current or the program's folder.
  wchar_t application[MAX_PATH] = {};
  if (_wcsicmp(extension, L".exe") == 0) {
    if (wcschr(program, L' ')) {
      command = L"\"";
      command += program;
      command += L"\"";
    } else {
      command = program;
    }
    if (arguments && *arguments) {
      command += L' ';
      command += arguments;
    }
    if (wcslen(program) >= _countof(application)) return E_FAIL;
    wcscpy(application, program);
  } else if (_wcsicmp(extension, L".bat") == 0 || _wcsicmp(extension, L".cmd") == 0) {
    if (!CommandInterpreterPath(application, _countof(application))) return E_FAIL;
    command = L"\"";
    command += application;
    command += L"\" /s /c \"\"";
    command += program;
    command += L"\"\"";
  } else {
    wchar_t associated[kPreProcessCommandCapacity] = {};
    if (!GetAssociatedCommand(program, extension, associated)) {
      HINSTANCE shell = ShellExecuteW(nullptr, L"open", program, nullptr, nullptr, SW_SHOWNORMAL);
      return reinterpret_cast<INT_PTR>(shell) > 32 ? S_OK : E_FAIL;
    }
    command = associated;
  }
  if (command.size() >= kPreProcessCommandCapacity) return E_FAIL;

  wchar_t line[kPreProcessCommandCapacity] = {};
  wcscpy(line, command.c_str());
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION created = {};
  if (!CreateProcessW(application[0] ? application : nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &created)) {
    DWORD error = GetLastError();
    return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
  }
  if (process) {
    *process = created;
  } else {
    CloseHandle(created.hThread);
    CloseHandle(created.hProcess);
  }
  return S_OK;
}
