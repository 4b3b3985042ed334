// Writes a cabinet so that the target is either the complete new archive or
// what it was before: the cabinet goes to a temporary name in the target's
// folder and replaces the target only when it is complete.
#pragma once
#include <windows.h>

#include "ArchiveNames.h"
#include "CabEncoder.h"

// True when the archive was written and moved over the target. A cancelled
// or failed run leaves no temporary file behind and the target untouched.
bool WriteArchive(const ArchiveEntryList& entries, const wchar_t* target,
                  CabProgressProc progress, void* user);

// The same for any file: a temporary name in the target's folder (false on
// failure; the file exists, empty), and the move over the target, which
// deletes the temporary file when it fails.
bool MakeTemporarySibling(const wchar_t* target, wchar_t* temporary);
bool ReplaceWithTemporary(const wchar_t* temporary, const wchar_t* target);
