#include "DefinitionText.h"

#include "TestSupport.h"

namespace testsupport {

DefinitionText& DefinitionText::Add(const std::wstring& line) {
  lines_.push_back(line);
  return *this;
}

DefinitionText& DefinitionText::Add(const std::vector<std::wstring>& lines) {
  lines_.insert(lines_.end(), lines.begin(), lines.end());
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
