#include "ArchiveNames.h"

#include <windows.h>

#include <algorithm>

namespace {

// The name as the file system compares it: upper case, invariant.
std::wstring CaseKey(const std::wstring& name) {
  std::wstring key(name);
  if (!key.empty())
    LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, name.c_str(),
                  static_cast<int>(name.size()), &key[0], static_cast<int>(key.size()),
                  nullptr, nullptr, 0);
  return key;
}

}  // namespace

bool IsSafeArchiveComponent(const std::wstring& name) {
  if (name.empty() || name.size() >= MAX_PATH) return false;
  if (name == L"." || name == L"..") return false;
  return name.find_first_of(L"\\/:") == std::wstring::npos &&
         name.find(L'\0') == std::wstring::npos;
}

bool ArchiveEntryList::Add(const std::wstring& source, const std::wstring& name) {
  const std::wstring key = CaseKey(name);
  auto at = std::lower_bound(keys_.begin(), keys_.end(), key);
  if (at != keys_.end() && *at == key) return false;
  keys_.insert(at, key);
  sources_.push_back(source);
  names_.push_back(name);
  return true;
}
