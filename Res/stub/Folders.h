// Folder settings turned into real paths: base folders, folder trees,
// network shares and path text cleaning.
#pragma once
#include <windows.h>
#include <cstddef>

#include "SettingsBlockFormat.h"

namespace stub {

// The base folder of an id, without a trailing backslash; false for an
// unknown id or a folder the system does not give.
bool GetBaseFolder(int id, wchar_t* folder, size_t capacity);

// Resolves base folder + (temporary folder name) + sub-path into output;
// the base alone goes to baseOutput (may be null). withTempName appends the
// stub's temporary folder name below the base (id 3 always does). For id 6
// the sub-path without its trailing backslash is the whole path. Environment
// variables are expanded when the expansion fits 260 characters. False for
// an unknown id or a result that does not fit outputCapacity.
bool ResolveFolder(wchar_t* output, size_t outputCapacity, int baseId, wchar_t* baseOutput,
                   size_t baseCapacity, const wchar_t* subPath, bool withTempName);

// Creates every missing folder of fullPath. With a base path, fullPath must
// lie below it (compared ignoring case), and every folder this call created
// (the base and those above it too) is recorded with a trailing backslash in
// the created-path list (with FlagsB ForceUninstallDir also every folder
// below the base that stood before). Each folder created is noted as new
// (NoteNewPath), with a base or without.
bool InCreateDirectory(const wchar_t* fullPath, const wchar_t* basePath);

// For a UNC path, connects its server share with the user's credentials;
// failure is ignored.
void ConnectShare(const wchar_t* path);

// Removes : / * ? " < > | CR LF TAB (with keepDriveColon ':' is kept by the
// first pass) and then every ':' after the second character. True when the
// text was left unchanged.
bool RemoveInvalidPathChars(wchar_t* text, bool keepDriveColon);

// A drive letter with its colon and backslash, or a UNC path.
bool IsFullFolderPath(const wchar_t* path);

// Checks a destination folder the way the destination page checks a typed
// one, and puts the checked folder (absolute, with a trailing backslash)
// into output (260 characters). A relative folder is made absolute from the
// current folder.
enum DestinationCheck {
  kDestinationOk = 0,
  kDestinationTooLong = 1,      // 260 characters or more, no room for the backslash,
                                // or a full path that would not fit
  kDestinationInvalidChars = 2,
  kDestinationEmpty = 3,
  kDestinationNotAbsolute = 4,  // the full path is still neither a drive nor a UNC path
};
DestinationCheck ValidateDestinationFolder(const wchar_t* folder, wchar_t* output);

}  // namespace stub
