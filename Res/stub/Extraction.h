// Extraction of the package's archive onto the end user's disk: where each
// file goes (extraction folder or extra-copy destination), the marker files
// and the package's own files that stay in the archive, the overwrite rules
// (confirmation, newer-file rule, files in use), attributes, access rights,
// the installed size, the uninstaller's version text, the extension events
// 1002 and 1003 and the progress display.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "CabDecoder.h"

namespace stub {

// Marker files of the archive: an item with this file name is never written
// (its folder is still created); the second also marks the delete list.
extern const wchar_t kSkipMarkerName[];    // "$qxskip$.$$$"
extern const wchar_t kDeleteMarkerName[];  // "$qxdelete$.$$$"

// Suffix of the file that replaces a file in use at the next restart.
extern const wchar_t kWritePendingSuffix[];  // ".writepending"

// One run of ExtractArchive; the callbacks' user value.
struct ExtractionContext {
  bool overwriteAll;    // overwrite without asking ("Yes to All", or AskOverwrite off)
  bool overwriteThis;   // per item: the existing file may be overwritten
  bool keepBack;        // per item: the item is not written
  HDC nameDc;           // of the progress window's control 1002, or null
  int itemNumber;       // from 1
  int itemTotal;
  HWND progressWindow;  // or null (silent run)
  RECT nameRect;        // screen rectangle of control 1002
  bool cancelled;       // the user or the extension module stopped
};

// Extracts the whole archive into the working extraction folder. With a
// progress window, that window has the static control 1002 (current file)
// and the control 1010 (progress bar in the new-style wizard, an
// owner-painted static in the classic one). True when the last error code
// is 0 afterwards.
bool ExtractArchive(HWND progressWindow);

// The decoder's callbacks (true: go on).
BOOL CheckItemDestination(const ArchiveItem* item, const wchar_t* folder, const wchar_t* itemName,
                          wchar_t* destinationPath, void* context);
BOOL BeforeWriteItem(BOOL* extract, const ArchiveItem* item, const wchar_t* destinationPath,
                     void* context);
BOOL AfterWriteItem(BOOL* flag, const ArchiveItem* item, const wchar_t* destinationPath,
                    void* context);

// What the extraction leaves for the later steps (valid for the whole run)
// beside the run state (g_AbortRequested, g_DeleteListPending,
// g_RestartPending, g_ProgressPercent, g_InstalledSize, the taskbar).
// Full destination paths of files found in use, in the order met.
const std::vector<std::wstring>& NotWrittenPaths();
bool IsNotWrittenPath(const wchar_t* path);  // ignoring case

// Existing files that entered the created-path list (for the uninstaller)
// although this run did not write them: kept by the newer-file rule or
// "Skip", or not replaced because they were in use. The delete-after-run
// clean-up leaves them alone.
bool IsKeptExistingPath(const wchar_t* path);
// A path the clean-up after the run leaves alone (one an extension module
// registered: this run may not have written it).
void KeepFromCleanUp(const wchar_t* path);

// The newer-file rule: true when the existing file is to be kept, that is
// when the item's time is not later than the file's last-write time (UTC).
bool ExistingFileIsCurrent(const FILETIME& itemTime, const FILETIME& existingTime);

// Progress of item number n of total (from 1), truncated: 1 of 4 gives 25.
int ProgressPercentOf(int itemNumber, int itemTotal);

// The stub's last error code for a failed ExtractAll of the decoder, from
// its error record; currentCode when the operation code is not one it maps.
int MapDecoderError(const ERF& error, int currentCode);

}  // namespace stub
