#include "SavedInstallPath.h"

#include "Folders.h"
#include "Registry.h"

namespace stub {

HKEY SavedPathRoot(unsigned rootWord) { return rootWord == 1 ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

SavedPathResult ReadSavedInstallPath(HKEY root, const wchar_t* key, const wchar_t* value,
                                     wchar_t* folder) {
  if (!key || !*key) return kSavedPathAbsent;
  wchar_t text[MAX_PATH];
  switch (ReadRegString(root, key, value, text, MAX_PATH)) {
    case RegReadResult::kRead: break;
    case RegReadResult::kTooLong: return kSavedPathInvalid;
    default: return kSavedPathAbsent;
  }
  if (!*text) return kSavedPathAbsent;
  // A saved folder is a full one: a relative value would depend on the
  // current folder of the moment.
  if (!IsFullFolderPath(text)) return kSavedPathInvalid;
  return ValidateDestinationFolder(text, folder) == kDestinationOk ? kSavedPathFound : kSavedPathInvalid;
}

}  // namespace stub
