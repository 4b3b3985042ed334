#include "IniReader.h"

#include <cstdlib>
#include <cwchar>
#include <memory>
#include <new>

namespace {

const size_t kLineUnits = 2048;      // 2047 code units per read plus the terminator
const size_t kWorkUnits = 2049;

// The last section found: its file, its name and where its lines begin.
struct SectionCache {
  wchar_t path[144];
  wchar_t section[32];
  unsigned long long position;
  bool valid;
};
SectionCache g_cache = {};

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

const wchar_t* SkipBlanks(const wchar_t* p) {
  while (IsBlank(*p)) ++p;
  return p;
}

// Drops one trailing line feed, then one trailing carriage return.
void TrimLineEnd(wchar_t* line) {
  size_t length = wcslen(line);
  if (length > 0 && line[length - 1] == L'\n') line[--length] = 0;
  if (length > 0 && line[length - 1] == L'\r') line[--length] = 0;
}

std::unique_ptr<wchar_t[]> WorkBuffer() {
  wchar_t* buffer = new (std::nothrow) wchar_t[kWorkUnits];
  if (buffer) buffer[0] = 0;
  return std::unique_ptr<wchar_t[]>(buffer);
}

}  // namespace

bool IniStream::Open(const wchar_t* path) {
  Close();
  file_ = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  return file_ != INVALID_HANDLE_VALUE;
}

void IniStream::Close() {
  if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
  file_ = INVALID_HANDLE_VALUE;
  filled_ = next_ = 0;
  position_ = 0;
}

bool IniStream::Fill() {
  // Keeps an odd byte left over from the last block in front of the new one.
  DWORD keep = filled_ - next_;
  if (keep > 0) memmove(buffer_, buffer_ + next_, keep);
  filled_ = keep;
  next_ = 0;
  DWORD read = 0;
  if (!ReadFile(file_, buffer_ + filled_, sizeof buffer_ - filled_, &read, nullptr)) read = 0;
  filled_ += read;
  return filled_ - next_ >= 2;
}

bool IniStream::ReadLine(wchar_t* line, size_t capacity) {
  if (capacity == 0) return false;
  line[0] = 0;
  if (file_ == INVALID_HANDLE_VALUE) return false;
  size_t count = 0;
  while (count + 1 < capacity) {
    if (filled_ - next_ < 2 && !Fill()) break;
    wchar_t unit = static_cast<wchar_t>(buffer_[next_] | (buffer_[next_ + 1] << 8));
    next_ += 2;
    position_ += 2;
    line[count++] = unit;
    if (unit == L'\n') break;
  }
  line[count] = 0;
  return count > 0;
}

bool IniStream::Seek(unsigned long long position) {
  if (file_ == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER to;
  to.QuadPart = static_cast<LONGLONG>(position);
  if (!SetFilePointerEx(file_, to, nullptr, FILE_BEGIN)) return false;
  filled_ = next_ = 0;
  position_ = position;
  return true;
}

bool SeekIniSection(IniStream& stream, const wchar_t* path, const wchar_t* section) {
  if (path == nullptr || section == nullptr) return false;
  if (g_cache.valid && wcscmp(g_cache.path, path) == 0 && wcscmp(g_cache.section, section) == 0) {
    return stream.Seek(g_cache.position);
  }
  size_t nameLength = wcslen(section);
  if (nameLength + 2 > kLineUnits) return false;
  std::unique_ptr<wchar_t[]> header = WorkBuffer();
  std::unique_ptr<wchar_t[]> line = WorkBuffer();
  std::unique_ptr<wchar_t[]> token = WorkBuffer();
  if (!header || !line || !token) return false;
  header[0] = L'[';
  wmemcpy(&header[1], section, nameLength);
  header[nameLength + 1] = L']';
  header[nameLength + 2] = 0;

  while (stream.ReadLine(line.get(), kLineUnits)) {
    TrimLineEnd(line.get());
    const wchar_t* p = SkipBlanks(line.get());
    size_t length = 0;
    while (p[length] && !IsBlank(p[length]) && length < kLineUnits) ++length;
    if (length == 0) continue;
    wmemcpy(token.get(), p, length);
    token[length] = 0;
    if (wcscmp(token.get(), header.get()) != 0) continue;
    if (wcslen(path) < _countof(g_cache.path) && nameLength < _countof(g_cache.section)) {
      wcscpy(g_cache.path, path);
      wcscpy(g_cache.section, section);
      g_cache.position = stream.Tell();
      g_cache.valid = true;
    }
    return true;
  }
  return false;
}

bool FindIniKey(IniStream& stream, const wchar_t* key, wchar_t* output, size_t capacity) {
  if (key == nullptr || output == nullptr || capacity == 0) return false;
  output[0] = 0;
  std::unique_ptr<wchar_t[]> line = WorkBuffer();
  if (!line) return false;
  const size_t keyLength = wcslen(key);
  while (stream.ReadLine(line.get(), kLineUnits)) {
    TrimLineEnd(line.get());
    const wchar_t* p = SkipBlanks(line.get());
    if (*p == L'[') return false;
    const wchar_t* name = p;
    while (*p && *p != L'=' && !IsBlank(*p)) ++p;
    if (static_cast<size_t>(p - name) != keyLength || wcsncmp(name, key, keyLength) != 0) continue;
    p = SkipBlanks(p);
    if (*p != L'=') continue;
    ++p;
    size_t length = wcscspn(p, L"\r\n");
    if (length > capacity - 1) length = capacity - 1;
    wmemcpy(output, p, length);
    output[length] = 0;
    return true;
  }
  return false;
}

size_t ReadIniString(const wchar_t* section, const wchar_t* key, wchar_t* output,
                     size_t capacity, const wchar_t* path) {
  if (output == nullptr || capacity == 0) return 0;
  output[0] = 0;
  IniStream stream;
  if (!stream.Open(path)) return 0;
  if (!SeekIniSection(stream, path, section)) return 0;
  if (!FindIniKey(stream, key, output, capacity)) {
    output[0] = 0;
    return 0;
  }
  return wcslen(output);
}
