#include "CommandLine.h"

#include <shlwapi.h>
#include <cwchar>
#include <cwctype>

namespace {

// The text after prefix when argument starts with it (ignoring case).
bool TakePrefixed(const wchar_t* argument, const wchar_t* prefix, std::wstring& rest) {
  const size_t length = wcslen(prefix);
  if (_wcsnicmp(argument, prefix, length) != 0) return false;
  rest = argument + length;
  return true;
}

// A signed decimal number, whole text; the window only when it exists.
HWND WindowFromNumber(const std::wstring& text) {
  if (text.empty() || text.size() > 20) return nullptr;
  wchar_t* end = nullptr;
  errno = 0;
  const long long value = wcstoll(text.c_str(), &end, 10);
  if (errno != 0 || !end || *end != 0 || end == text.c_str()) return nullptr;
  if (value < INT32_MIN || value > UINT32_MAX) return nullptr;
  HWND window = reinterpret_cast<HWND>(static_cast<LONG_PTR>(static_cast<LONG>(value)));
  return window && IsWindow(window) ? window : nullptr;
}

// The full path of an existing folder without its trailing backslash (a
// drive root keeps it); false when it is no folder or too long.
bool ExistingFolder(const wchar_t* argument, std::wstring& folder) {
  if (!*argument) return false;
  const DWORD attributes = GetFileAttributesW(argument);
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
    return false;
  wchar_t full[MAX_PATH];
  const DWORD length = GetFullPathNameW(argument, MAX_PATH, full, nullptr);
  if (length == 0 || length >= MAX_PATH) return false;
  PathRemoveBackslashW(full);
  folder = full;
  return true;
}

bool Matches(const wchar_t* argument, const wchar_t* pattern) {
  return PathMatchSpecW(argument, pattern) != FALSE;
}

}  // namespace

CommandLineOptions ParseCommandLine(int argc, const wchar_t* const* argv) {
  CommandLineOptions options;
  for (int i = 1; i < argc; ++i) {
    const wchar_t* argument = argv[i] ? argv[i] : L"";
    std::wstring rest;
    if (TakePrefixed(argument, L"/hwnd:", rest)) {
      options.callerWindow = WindowFromNumber(rest);
    } else if (TakePrefixed(argument, L"/arc:", rest)) {
      options.archiveOption = rest;
    } else if (TakePrefixed(argument, L"/file:", rest)) {
      if (!rest.empty()) options.files.push_back(rest);
    } else if (TakePrefixed(argument, L"/except:", rest)) {
      if (!rest.empty()) options.exclusions.push_back(rest);
    } else if (ExistingFolder(argument, rest)) {
      options.sourceFolder = rest;
    } else if (Matches(argument, L"*.qxc")) {
      options.projectPath = argument;
    } else if (Matches(argument, L"*.cab")) {
      options.archiveArgument = argument;
    } else if (_wcsicmp(argument, L"/compress") == 0) {
      options.compress = true;
    } else if (_wcsicmp(argument, L"/silent") == 0) {
      options.silent = true;
    }
  }
  return options;
}

CompressorMode DecideMode(const CommandLineOptions& options) {
  if (!options.files.empty() && !options.archiveArgument.empty()) return CompressorMode::FileList;
  if (options.sourceFolder.empty())
    return options.compress ? CompressorMode::Unattended : CompressorMode::Interactive;
  return CompressorMode::Folder;
}
