#include "UpdaterCommandLine.h"

#include <shlwapi.h>

#include <cstdlib>
#include <cwchar>
#include <cwctype>

namespace {

const size_t kMaxToken = 260;

bool IsBlank(wchar_t c) { return iswspace(c) != 0; }

}  // namespace

UpdaterCommandLine::UpdaterCommandLine() { Parse(SkipProgramName(GetCommandLineW())); }

UpdaterCommandLine::UpdaterCommandLine(const wchar_t* fullCommandLine) {
  Parse(SkipProgramName(fullCommandLine));
}

const wchar_t* UpdaterCommandLine::SkipProgramName(const wchar_t* p) {
  if (!p) return L"";
  if (*p == L'"') {
    ++p;
    while (*p && *p != L'"') ++p;
    if (*p == L'"') ++p;
  } else {
    while (*p && !IsBlank(*p)) ++p;
  }
  while (*p && IsBlank(*p)) ++p;
  return p;
}

void UpdaterCommandLine::Parse(const std::wstring& text) {
  raw_ = text;
  options_.clear();
  arguments_.clear();
  size_t i = 0;
  const size_t n = raw_.size();
  auto skipBlanks = [&]() {
    while (i < n && IsBlank(raw_[i])) ++i;
  };
  while (i < n) {
    const wchar_t c = raw_[i];
    std::wstring token;
    if (c == L'"') {
      ++i;
      while (i < n && raw_[i] != L'"' && token.size() < kMaxToken) token += raw_[i++];
      if (token.size() < kMaxToken && i < n && raw_[i] == L'"') ++i;
      skipBlanks();
      arguments_.push_back(token);
    } else if (c == L'/' || c == L'-') {
      ++i;
      while (i < n && !IsBlank(raw_[i])) token += raw_[i++];
      skipBlanks();
      options_.push_back(token);
    } else {
      const std::wstring rest = raw_.substr(i);
      if (PathFileExistsW(rest.c_str())) {
        arguments_.push_back(rest);
        break;
      }
      while (i < n && !IsBlank(raw_[i]) && token.size() < kMaxToken) token += raw_[i++];
      skipBlanks();
      arguments_.push_back(token);
    }
  }
}

bool UpdaterCommandLine::HasOption(const std::wstring& name) const {
  for (const std::wstring& option : options_)
    if (option == name) return true;
  return false;
}

bool UpdaterCommandLine::GetOptionValue(const std::wstring& name, std::wstring& value) const {
  const std::wstring prefix = name + L":";
  for (const std::wstring& option : options_) {
    if (option.size() >= prefix.size() &&
        _wcsnicmp(option.c_str(), prefix.c_str(), prefix.size()) == 0) {
      value = option.substr(prefix.size());
      return true;
    }
  }
  return false;
}

HWND WindowFromOptionValue(const std::wstring& value) {
  const unsigned long long number = _wcstoui64(value.c_str(), nullptr, 0);
  return reinterpret_cast<HWND>(static_cast<UINT_PTR>(number));
}
