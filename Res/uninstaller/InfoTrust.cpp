#include "InfoTrust.h"

#include <cwchar>
#include <string>

#include "DiskFile.h"
#include "Registry.h"
#include "UninstallInfo.h"

namespace {

const wchar_t kUninstallRoot[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

}  // namespace

bool UninstallCommandStarts(const wchar_t* command, const wchar_t* program) {
  if (!command || !program) return false;
  while (*command == L' ') ++command;
  std::wstring first;
  if (*command == L'"') {
    const wchar_t* end = wcschr(command + 1, L'"');
    if (!end) return false;
    first.assign(command + 1, end);
  } else {
    const wchar_t* end = wcschr(command, L' ');
    first = end ? std::wstring(command, end) : std::wstring(command);
  }
  return !first.empty() && vesmarin::SameDiskFile(first.c_str(), program);
}

bool IsRecordedInfoFile(const wchar_t* digest, const wchar_t* uninstallKey,
                        const wchar_t* selfPath) {
  if (!digest || !*digest || !uninstallKey || !*uninstallKey || !selfPath) return false;
  const std::wstring key = std::wstring(kUninstallRoot) + uninstallKey;
  wchar_t recorded[80] = {};
  wchar_t command[1024] = {};
  if (ReadRegString(HKEY_LOCAL_MACHINE, key.c_str(), UNINSTALL_INFO_DIGEST_VALUE, recorded,
                    80) != RegReadResult::kRead ||
      ReadRegString(HKEY_LOCAL_MACHINE, key.c_str(), L"UninstallString", command, 1024) !=
          RegReadResult::kRead)
    return false;
  return _wcsicmp(digest, recorded) == 0 && UninstallCommandStarts(command, selfPath);
}
