// The worker's information copy, read whole once and looked up in memory.
// It follows the grammar of the INI reader (IniReader.h): lines of at most
// 2047 code units, headers found by their first blank-delimited token, key
// names up to "=" or a blank, the first section of a name and the first key
// of a section winning, and a line starting with "[" ending a section. Each
// lookup takes constant time, so reading n numbered keys is linear.
#pragma once
#include <windows.h>
#include <cstddef>
#include <string>
#include <unordered_map>

class InfoDocument {
 public:
  // Parses UTF-16 text (no byte-order mark).
  void Parse(const wchar_t* text, size_t units);
  // Reads a file whole through an open handle and parses it. False when it
  // cannot be read or holds more than maxBytes bytes.
  bool Load(HANDLE file, DWORD maxBytes);

  // The value of key in [section], cut to capacity - 1 code units and at
  // its first CR or LF; empty when either is missing.
  std::wstring Value(const wchar_t* section, const wchar_t* key, size_t capacity) const;
  // The value of the decimal key index.
  std::wstring Numbered(const wchar_t* section, unsigned index, size_t capacity) const;

 private:
  typedef std::unordered_map<std::wstring, std::wstring> Keys;
  std::unordered_map<std::wstring, Keys> sections_;
};
