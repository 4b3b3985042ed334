#include "DefinitionValues.h"

#include <cwchar>

const wchar_t kDefinitionSection[] = L"Vesmarin";

DWORD ReadProfileString(const wchar_t* section, const wchar_t* key, const wchar_t* defaultText,
                        wchar_t* output, DWORD size, const wchar_t* file) {
  return GetPrivateProfileStringW(section, key, defaultText, output, size, file);
}

namespace {

// Default text that no file holds: tells a missing key from an empty one.
const wchar_t kMissing[] = L"\x01\x02missing\x02\x01";

// Whether the profile functions drop the character at either end of a
// value they read: blanks (C1_SPACE) and control characters.
bool IsTrimmedAtValueEnds(wchar_t c) {
  WORD type = 0;
  return c <= L' ' || (GetStringTypeW(CT_CTYPE1, &c, 1, &type) && (type & C1_SPACE));
}

bool IsQuoteMark(wchar_t c) { return c == L'"' || c == L'\''; }

// A text value as it is written so that it reads back exactly: the profile
// functions trim blanks at both ends of a value and take one pair of
// enclosing quotes off it, so a value that begins or ends with a blank or a
// quote mark is written in one pair of double quotes. Every other value is
// written as it is, and files read as they always did.
std::wstring QuotedProfileValue(const wchar_t* value) {
  const size_t length = wcslen(value);
  if (length == 0) return value;
  const wchar_t first = value[0];
  const wchar_t last = value[length - 1];
  if (IsTrimmedAtValueEnds(first) || IsTrimmedAtValueEnds(last) || IsQuoteMark(first) ||
      IsQuoteMark(last))
    return L"\"" + std::wstring(value) + L"\"";
  return value;
}

}  // namespace

int DefinitionReader::Int(const wchar_t* key, int missing) const {
  return static_cast<int>(GetPrivateProfileIntW(kDefinitionSection, key, missing, file_));
}

bool DefinitionReader::Present(const wchar_t* key) const {
  wchar_t probe[32];
  ReadProfileString(kDefinitionSection, key, kMissing, probe, 32, file_);
  return wcscmp(probe, kMissing) != 0;
}

// The buffer has room for one more character than the value may keep: a
// quoted value that fills the width then arrives whole before the profile
// function takes its closing quote off (in a buffer just as wide it can
// lose its last character instead).
std::wstring DefinitionReader::String(const wchar_t* key, DWORD width,
                                      const wchar_t* missing) const {
  std::wstring value(width + 1, L'\0');
  DWORD count = ReadProfileString(kDefinitionSection, key, missing, &value[0], width + 1, file_);
  value.resize(count < width ? count : width - 1);
  return value;
}

void DefinitionReader::Text(const wchar_t* key, wchar_t* member, size_t width,
                            const wchar_t* missing) const {
  lstrcpynW(member, String(key, static_cast<DWORD>(width), missing).c_str(),
            static_cast<int>(width));
}

void DefinitionWriter::Text(const wchar_t* key, const wchar_t* value) const {
  WritePrivateProfileStringW(kDefinitionSection, key, QuotedProfileValue(value).c_str(), file_);
}

void DefinitionWriter::Signed(const wchar_t* key, int value) const {
  wchar_t text[16];
  swprintf(text, 16, L"%d", value);
  Text(key, text);
}

void DefinitionWriter::Unsigned(const wchar_t* key, int value) const {
  wchar_t text[16];
  swprintf(text, 16, L"%u", static_cast<unsigned>(value));
  Text(key, text);
}
