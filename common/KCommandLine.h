// Splits a command line into options ("/name:value" or "-name:value") and
// positional arguments; double quotes group a token.
#pragma once
#include <windows.h>
#include <shlwapi.h>
#include <cwctype>
#include <cctype>
#include <string>
#include <vector>

namespace kcommandline_detail {

inline const wchar_t* Next(const wchar_t* p) { return CharNextW(p); }
inline const char* Next(const char* p) { return CharNextA(p); }
inline bool IsSpace(wchar_t c) { return iswspace(c) != 0; }
inline bool IsSpace(char c) { return isspace(static_cast<unsigned char>(c)) != 0; }
inline bool PathExists(const wchar_t* path) { return PathFileExistsW(path) != FALSE; }
inline bool PathExists(const char* path) { return PathFileExistsA(path) != FALSE; }
inline const wchar_t* ProcessCommandLine(wchar_t) { return GetCommandLineW(); }
inline const char* ProcessCommandLine(char) { return GetCommandLineA(); }
inline bool SameTextN(const wchar_t* a, const wchar_t* b, size_t count) {
  return _wcsnicmp(a, b, count) == 0;
}
inline bool SameTextN(const char* a, const char* b, size_t count) {
  return _strnicmp(a, b, count) == 0;
}

}  // namespace kcommandline_detail

template <class String>
class KCommandLine {
 public:
  typedef typename String::value_type Char;

  // The longest unquoted positional argument; a longer run is cut there.
  static const size_t kMaxArgumentLength = 260;

  // Splits the process command line less the program name.
  KCommandLine() { Parse(SkipProgramName(kcommandline_detail::ProcessCommandLine(Char()))); }
  explicit KCommandLine(const Char* text) { Parse(text); }
  explicit KCommandLine(const String& text) { Parse(text.c_str()); }

  KCommandLine(const KCommandLine&) = delete;
  KCommandLine& operator=(const KCommandLine&) = delete;

  void Parse(const Char* text);
  void Parse(const String& text) { Parse(text.c_str()); }

  // The caller checks the index against GetArgumentCount first.
  String GetArgument(size_t index) const { return arguments_[index]; }
  size_t GetArgumentCount() const { return arguments_.size(); }
  size_t GetOptionCount() const { return options_.size(); }

  // The value of the first option written name + ':' (compared without
  // regard to case); value is untouched when there is none.
  bool GetOption(const Char* name, String& value) const;
  bool GetOption(const String& name, String& value) const { return GetOption(name.c_str(), value); }

  const String& GetText() const { return text_; }
  const std::vector<String>& GetOptions() const { return options_; }
  const std::vector<String>& GetArguments() const { return arguments_; }

  // The program name and the whitespace after it skipped.
  static const Char* SkipProgramName(const Char* line);

 protected:
  // Called just before a token is appended; the option without its mark.
  virtual void OnArgument(const String&) {}
  virtual void OnOption(const String&) {}

 private:
  static bool IsMark(Char c) { return c == Char('/') || c == Char('-'); }
  static const Char* SkipSpace(const Char* p) {
    while (*p && kcommandline_detail::IsSpace(*p)) p = kcommandline_detail::Next(p);
    return p;
  }
  void AddOption(const String& option) {
    OnOption(option);
    options_.push_back(option);
  }
  void AddArgument(const String& argument) {
    OnArgument(argument);
    arguments_.push_back(argument);
  }

  String text_;
  std::vector<String> options_;
  std::vector<String> arguments_;
};

template <class String>
const typename KCommandLine<String>::Char* KCommandLine<String>::SkipProgramName(
    const Char* line) {
  using kcommandline_detail::Next;
  if (!line) return line;
  const Char* p = line;
  if (*p == Char('"')) {
    p = Next(p);
    while (*p && *p != Char('"')) p = Next(p);
    if (*p) p = Next(p);
  } else {
    while (*p && !kcommandline_detail::IsSpace(*p)) p = Next(p);
  }
  return SkipSpace(p);
}

template <class String>
void KCommandLine<String>::Parse(const Char* text) {
  using kcommandline_detail::Next;
  text_ = text ? text : String();
  options_.clear();
  arguments_.clear();
  const Char* p = SkipSpace(text_.c_str());
  while (*p) {
    if (*p == Char('"')) {
      const Char* start = Next(p);
      const Char* end = start;
      while (*end && *end != Char('"')) end = Next(end);
      String token(start, end);
      if (!token.empty()) {
        if (IsMark(token[0]))
          AddOption(token.substr(1));
        else
          AddArgument(token);
      }
      p = *end ? Next(end) : end;
    } else if (IsMark(*p)) {
      const Char* start = Next(p);
      const Char* end = start;
      while (*end && !kcommandline_detail::IsSpace(*end)) end = Next(end);
      AddOption(String(start, end));
      p = end;
    } else {
      if (kcommandline_detail::PathExists(p)) {
        AddArgument(String(p));
        break;
      }
      const Char* end = p;
      size_t length = 0;
      while (*end && !kcommandline_detail::IsSpace(*end) && length < kMaxArgumentLength) {
        end = Next(end);
        ++length;
      }
      AddArgument(String(p, end));
      p = end;
    }
    p = SkipSpace(p);
  }
}

template <class String>
bool KCommandLine<String>::GetOption(const Char* name, String& value) const {
  if (!name) return false;
  String wanted(name);
  wanted += Char(':');
  for (const String& option : options_) {
    if (option.size() >= wanted.size() &&
        kcommandline_detail::SameTextN(option.c_str(), wanted.c_str(), wanted.size())) {
      value = option.substr(wanted.size());
      return true;
    }
  }
  return false;
}

typedef KCommandLine<std::wstring> KCommandLineW;
