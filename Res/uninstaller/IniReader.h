// A small reader for UTF-16LE INI text without byte-order mark (the
// uninstaller's plain copy of its information file). Section and key names
// compare case-sensitively; a value is the rest of its line after "=".
#pragma once
#include <windows.h>
#include <cstddef>

// A file read line by line through a buffer, with a byte position that can
// be remembered and restored.
class IniStream {
 public:
  IniStream() = default;
  ~IniStream() { Close(); }
  IniStream(const IniStream&) = delete;
  IniStream& operator=(const IniStream&) = delete;

  bool Open(const wchar_t* path);
  void Close();
  // Reads up to and including the next line feed, at most capacity - 1 code
  // units, and terminates the text. False at the end of the file.
  bool ReadLine(wchar_t* line, size_t capacity);
  unsigned long long Tell() const { return position_; }
  bool Seek(unsigned long long position);

 private:
  bool Fill();
  HANDLE file_ = INVALID_HANDLE_VALUE;
  unsigned char buffer_[4096];
  DWORD filled_ = 0;
  DWORD next_ = 0;
  unsigned long long position_ = 0;  // bytes consumed by ReadLine
};

// Copies the value of key in [section] of the file into output (at most
// capacity - 1 code units, always terminated) and returns its length; 0
// with an empty output when the file, section or key is missing.
size_t ReadIniString(const wchar_t* section, const wchar_t* key, wchar_t* output,
                     size_t capacity, const wchar_t* path);

// Positions the stream just after the header line of [section]. The last
// section found is remembered per path, so the next lookup in it skips the
// scan.
bool SeekIniSection(IniStream& stream, const wchar_t* path, const wchar_t* section);

// Searches from the stream's position to the end of the current section for
// key and copies its value into output.
bool FindIniKey(IniStream& stream, const wchar_t* key, wchar_t* output, size_t capacity);
