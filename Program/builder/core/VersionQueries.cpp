// Version-resource and signature queries on program files.
#include "VersionQueries.h"

#include <softpub.h>
#include <wintrust.h>

#include <cstdint>
#include <vector>

#include "VersionInfo.h"

namespace {

// The text name of the first translation; a file without a version
// resource gets missingText (unless memory ran out), a resource without a
// translation an empty text.
bool QueryStringValue(const wchar_t* path, const wchar_t* name, wchar_t* text, int capacity,
                      const wchar_t* missingText) {
  const size_t room = capacity > 0 ? static_cast<size_t>(capacity) : 0;
  switch (ReadVersionString(LinkedVersionApi(), path, name, text, room)) {
    case VersionReadResult::kRead:
    case VersionReadResult::kNoValue:
      return true;
    case VersionReadResult::kNoResource:
      if (room) lstrcpynW(text, missingText, capacity);
      return false;
    default:
      return false;
  }
}

}  // namespace

bool GetFileDescription(const wchar_t* path, wchar_t* text, int capacity) {
  return QueryStringValue(path, L"FileDescription", text, capacity, L"");
}

bool GetInternalName(const wchar_t* path, wchar_t* text, int capacity) {
  return QueryStringValue(path, L"InternalName", text, capacity, L"");
}

bool GetFileVersionText(const wchar_t* path, wchar_t* text, int capacity) {
  return QueryStringValue(path, L"FileVersion", text, capacity, L"0.00");
}

bool GetFileVersionNumbers(const wchar_t* path, WORD* major, WORD* minor, WORD* build,
                           WORD* revision) {
  const VersionApi api = LinkedVersionApi();
  std::vector<uint8_t> block;
  VS_FIXEDFILEINFO fixed;
  if (LoadVersionResource(api, path, &block) != VersionReadResult::kRead ||
      !QueryFixedFileInfo(api, block, &fixed))
    return false;
  if (major) *major = HIWORD(fixed.dwFileVersionMS);
  if (minor) *minor = LOWORD(fixed.dwFileVersionMS);
  if (build) *build = HIWORD(fixed.dwFileVersionLS);
  if (revision) *revision = LOWORD(fixed.dwFileVersionLS);
  return true;
}

bool VerifyFileSignature(HWND owner, const wchar_t* path, bool* verified) {
  WINTRUST_FILE_INFO file = {};
  file.cbStruct = sizeof(file);
  file.pcwszFilePath = path;
  file.hFile = nullptr;
  file.pgKnownSubject = nullptr;

  WINTRUST_DATA data = {};
  data.cbStruct = sizeof(data);
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &file;
  data.dwStateAction = 0;

  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  LONG status = WinVerifyTrust(owner, &action, &data);
  if (verified) *verified = (status == 0);
  return true;
}
