#include "InfoDocument.h"

#include <cwchar>
#include <vector>

namespace {

const size_t kLineUnits = 2047;  // a longer line reads as several lines

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

}  // namespace

void InfoDocument::Parse(const wchar_t* text, size_t units) {
  sections_.clear();
  Keys* current = nullptr;  // null outside a section, or in a repeated one
  Keys ignored;
  size_t at = 0;
  while (at < units) {
    // One line as the reader takes it: up to and including a line feed,
    // at most kLineUnits code units; then one LF and one CR dropped.
    size_t end = at;
    while (end < units && end - at < kLineUnits) {
      if (text[end++] == L'\n') break;
    }
    size_t length = end - at;
    const wchar_t* line = text + at;
    at = end;
    if (length > 0 && line[length - 1] == L'\n') --length;
    if (length > 0 && line[length - 1] == L'\r') --length;
    // A NUL ends the line's text, as it would for the reader.
    for (size_t i = 0; i < length; ++i) {
      if (line[i] == 0) {
        length = i;
        break;
      }
    }

    size_t p = 0;
    while (p < length && IsBlank(line[p])) ++p;
    if (p < length && line[p] == L'[') {
      size_t tokenEnd = p;
      while (tokenEnd < length && !IsBlank(line[tokenEnd])) ++tokenEnd;
      if (tokenEnd - p >= 2 && line[tokenEnd - 1] == L']') {
        std::wstring name(line + p + 1, tokenEnd - p - 2);
        if (sections_.count(name)) {
          ignored.clear();
          current = &ignored;
        } else {
          current = &sections_[name];
        }
      } else {
        current = nullptr;
      }
      continue;
    }
    if (!current) continue;
    const size_t nameStart = p;
    while (p < length && line[p] != L'=' && !IsBlank(line[p])) ++p;
    std::wstring name(line + nameStart, p - nameStart);
    while (p < length && IsBlank(line[p])) ++p;
    if (p >= length || line[p] != L'=') continue;
    ++p;
    size_t valueEnd = p;
    while (valueEnd < length && line[valueEnd] != L'\r' && line[valueEnd] != L'\n') ++valueEnd;
    current->emplace(std::move(name), std::wstring(line + p, valueEnd - p));
  }
}

bool InfoDocument::Load(HANDLE file, DWORD maxBytes) {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file, &size) || size.QuadPart < 0 || size.QuadPart > maxBytes) return false;
  std::vector<wchar_t> text(static_cast<size_t>(size.QuadPart) / 2 + 1, L'\0');
  DWORD read = 0;
  const DWORD bytes = static_cast<DWORD>(size.QuadPart);
  if (bytes > 0 && (!ReadFile(file, text.data(), bytes, &read, nullptr) || read != bytes)) {
    return false;
  }
  Parse(text.data(), bytes / 2);
  return true;
}

std::wstring InfoDocument::Value(const wchar_t* section, const wchar_t* key,
                                 size_t capacity) const {
  if (!section || !key || capacity == 0) return std::wstring();
  auto found = sections_.find(section);
  if (found == sections_.end()) return std::wstring();
  auto value = found->second.find(key);
  if (value == found->second.end()) return std::wstring();
  return value->second.substr(0, capacity - 1);
}

std::wstring InfoDocument::Numbered(const wchar_t* section, unsigned index,
                                    size_t capacity) const {
  wchar_t key[16];
  _snwprintf(key, 16, L"%u", index);
  key[15] = 0;
  return Value(section, key, capacity);
}
