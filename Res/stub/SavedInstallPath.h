// The install folder that an earlier installation saved in the registry
// (SavePathKey / SavePathValue under the root of SavePathRootKey).
#pragma once
#include <windows.h>

namespace stub {

// The root key of a header root-key word: 1 HKEY_LOCAL_MACHINE, otherwise
// HKEY_CURRENT_USER.
HKEY SavedPathRoot(unsigned rootWord);

enum SavedPathResult {
  kSavedPathFound = 0,
  kSavedPathAbsent = 1,   // no key, no value, or not a string
  kSavedPathInvalid = 2,  // longer than 259 characters or not a valid folder
};

// Reads the value as a string of at most 259 characters and checks it like a
// destination typed on the destination page. On kSavedPathFound, folder
// (260 characters) holds it, absolute and with a trailing backslash.
SavedPathResult ReadSavedInstallPath(HKEY root, const wchar_t* key, const wchar_t* value,
                                     wchar_t* folder);

}  // namespace stub
