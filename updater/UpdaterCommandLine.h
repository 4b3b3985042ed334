// The updater's command line: options after '/' or '-', quoted and plain
// arguments. Plain option names compare exactly, valued ones ("name:value")
// without regard to case.
#pragma once
#include <windows.h>

#include <deque>
#include <string>

class UpdaterCommandLine {
 public:
  // Splits the process command line less the program name.
  UpdaterCommandLine();
  // Splits a command line that starts with the program name.
  explicit UpdaterCommandLine(const wchar_t* fullCommandLine);

  void Parse(const std::wstring& text);
  bool HasOption(const std::wstring& name) const;
  bool GetOptionValue(const std::wstring& name, std::wstring& value) const;
  size_t GetOptionCount() const { return options_.size(); }
  std::wstring GetOptionAt(size_t index) const { return options_.at(index); }
  size_t GetArgumentCount() const { return arguments_.size(); }
  std::wstring GetArgumentAt(size_t index) const { return arguments_.at(index); }

  // The command line less the program name and the whitespace after it.
  static const wchar_t* SkipProgramName(const wchar_t* commandLine);

 private:
  std::wstring raw_;
  std::deque<std::wstring> options_;
  std::deque<std::wstring> arguments_;
};

// A window handle from an option value: _wcstoui64 with base 0, truncated
// to a handle (no number gives null).
HWND WindowFromOptionValue(const std::wstring& value);
