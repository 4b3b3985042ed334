#include "ArchiveNames.h"

#include <windows.h>

namespace {

// CON, PRN, AUX, NUL, COM1-COM9 and LPT1-LPT9 name devices in every folder,
// also with an extension ("nul.txt") and with spaces before it.
bool IsDeviceName(const std::wstring& name) {
  std::wstring stem = name.substr(0, name.find(L'.'));
  while (!stem.empty() && stem.back() == L' ') stem.pop_back();
  for (wchar_t& c : stem)
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  if (stem == L"CON" || stem == L"PRN" || stem == L"AUX" || stem == L"NUL") return true;
  return stem.size() == 4 && (stem.compare(0, 3, L"COM") == 0 || stem.compare(0, 3, L"LPT") == 0) &&
         stem[3] >= L'1' && stem[3] <= L'9';
}

}  // namespace

bool IsSafeArchiveComponent(const std::wstring& name) {
  if (name.empty() || name.size() >= MAX_PATH) return false;
  if (name == L"." || name == L"..") return false;
  for (wchar_t c : name)
    if (c < 0x20 || wcschr(L"\\/:<>\"|?*", c)) return false;
  if (name.back() == L'.' || name.back() == L' ') return false;
  return !IsDeviceName(name);
}

void ArchiveEntryList::Add(const std::wstring& source, const std::wstring& name) {
  sources_.push_back(source);
  names_.push_back(name);
}
