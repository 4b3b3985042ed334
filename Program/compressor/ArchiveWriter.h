// Writes a cabinet so that the target is either the complete new archive or
// what it was before: the cabinet goes to a temporary name in the target's
// folder and replaces the target only when it is complete.
#pragma once
#include <windows.h>

#include <string>

#include "ArchiveNames.h"
#include "CabEncoder.h"

// Why an archive was not written, for the message that names the cause.
struct ArchiveWriteFailure {
  enum Cause {
    kNone,
    kTarget,        // the target's folder took no temporary file, or the move failed
    kTargetFolderMissing,  // the target's folder does not exist (path: the folder)
    kSource,        // a file to pack could not be opened or read, or none is there
    kNoFiles,       // nothing to pack at all
    kTooManyFiles,  // more present files than one cabinet holds
    kNameTooLong,   // a name in the archive is longer than a cabinet's name field
    kFileTooLarge,  // a file is larger than one cabinet member can be
    kCabinetTooLarge,  // the cabinet would pass its 32-bit size
    kOnlyEmptyFiles,  // the library wrote no cabinet whose every file is empty
    kLibrary,       // any other failure of the cabinet library
  };
  Cause cause = kNone;
  std::wstring path;    // the source (kSource, kFileTooLarge), the name in the
                        // archive (kNameTooLong) or the target
  ERF error = {};       // the cabinet library's error record
  DWORD systemError = 0;  // the system's error code behind it, 0 when unknown
  size_t fileCount = 0;   // kTooManyFiles: how many files there were
};

// True when the archive was written and moved over the target. A list that
// passes one of the format's limits is refused before anything is written;
// a cancelled or failed run leaves no temporary file behind and the target
// untouched; failure, when given, tells why.
bool WriteArchive(const ArchiveEntryList& entries, const wchar_t* target,
                  CabProgressProc progress, void* user, ArchiveWriteFailure* failure = nullptr);

// The same for any file: a temporary name in the target's folder (false on
// failure, with ERROR_PATH_NOT_FOUND when that folder does not exist; the
// file exists, empty), and the move over the target, which deletes the
// temporary file when it fails.
bool MakeTemporarySibling(const wchar_t* target, wchar_t* temporary);
bool ReplaceWithTemporary(const wchar_t* temporary, const wchar_t* target);
