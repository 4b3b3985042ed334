// Single values of the one section of a definition file, read and written
// through the system's profile functions.
#pragma once
#include <windows.h>
#include <string>

// GetPrivateProfileStringW with the same arguments and result.
DWORD ReadProfileString(const wchar_t* section, const wchar_t* key, const wchar_t* defaultText,
                        wchar_t* output, DWORD size, const wchar_t* file);

// The section every definition file holds.
extern const wchar_t kDefinitionSection[];  // "Vesmarin"

class DefinitionReader {
 public:
  explicit DefinitionReader(const wchar_t* file) : file_(file) {}

  int Int(const wchar_t* key, int missing) const;
  int Int(const std::wstring& key, int missing) const { return Int(key.c_str(), missing); }
  // A 0/1 flag: any non-zero value is 1.
  int Flag(const wchar_t* key, int missing) const { return Int(key, missing) != 0 ? 1 : 0; }
  int Flag(const std::wstring& key, int missing) const { return Flag(key.c_str(), missing); }
  bool Present(const wchar_t* key) const;
  // At most width - 1 characters.
  std::wstring String(const wchar_t* key, DWORD width, const wchar_t* missing = L"") const;
  std::wstring String(const std::wstring& key, DWORD width) const {
    return String(key.c_str(), width);
  }
  // Reads into a text of width characters, cut to width - 1.
  void Text(const wchar_t* key, wchar_t* member, size_t width, const wchar_t* missing = L"") const;
  template <size_t N>
  void Text(const std::wstring& key, wchar_t (&member)[N]) const {
    Text(key.c_str(), member, N);
  }

 private:
  const wchar_t* file_;
};

class DefinitionWriter {
 public:
  explicit DefinitionWriter(const wchar_t* file) : file_(file) {}

  // Written so that it reads back exactly (see the .cpp).
  void Text(const wchar_t* key, const wchar_t* value) const;
  void Text(const std::wstring& key, const wchar_t* value) const { Text(key.c_str(), value); }
  // "1" for non-zero, "0" for zero.
  void Flag(const wchar_t* key, int value) const { Text(key, value ? L"1" : L"0"); }
  void Flag(const std::wstring& key, int value) const { Flag(key.c_str(), value); }
  void Signed(const wchar_t* key, int value) const;
  void Signed(const std::wstring& key, int value) const { Signed(key.c_str(), value); }
  void Unsigned(const wchar_t* key, int value) const;

 private:
  const wchar_t* file_;
};
