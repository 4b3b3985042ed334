#include "DefinitionText.h"

#include <cwchar>

#include "TestSupport.h"

namespace testsupport {

namespace {

std::wstring KeyOf(const std::wstring& line) {
  const size_t equals = line.find(L'=');
  return equals == std::wstring::npos ? std::wstring() : line.substr(0, equals);
}

}  // namespace

DefinitionText& DefinitionText::Add(const std::wstring& line) {
  const std::wstring key = KeyOf(line);
  if (!key.empty()) {
    for (std::wstring& existing : lines_) {
      if (_wcsicmp(KeyOf(existing).c_str(), key.c_str()) == 0) {
        existing = line;
        return *this;
      }
    }
  }
  lines_.push_back(line);
  return *this;
}

DefinitionText& DefinitionText::Add(const std::vector<std::wstring>& lines) {
  for (const std::wstring& line : lines) Add(line);
  return *this;
}

std::wstring DefinitionText::Text() const {
  std::wstring text = L"\xFEFF[Vesmarin]\r\n";
  for (const std::wstring& line : lines_) text += line + L"\r\n";
  return text;
}

bool DefinitionText::WriteTo(const std::wstring& path) const {
  const std::wstring text = Text();
  return WriteFileBytes(path, text.data(), text.size() * sizeof(wchar_t));
}

}  // namespace testsupport
