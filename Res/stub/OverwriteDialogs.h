// The two questions of the extraction about an existing destination file:
// the overwrite confirmation and, for a file in use, Retry/Cancel.
#pragma once
#include <windows.h>

namespace stub {

enum OverwriteAnswer {
  kOverwriteNoDialog = -1,  // the dialog could not be shown
  kOverwriteYes = 0,
  kOverwriteSkip = 1,       // also Esc and the close box
  kOverwriteYesToAll = 2,
  kOverwriteCancel = 3,
};

// Shows the overwrite confirmation (104, or 172 with the Segoe UI set) for
// the destination path, owned by owner (may be null), placed centred over
// the owner (the work area without one) and 64 pixels lower. Not shown in an
// ultra-silent run (kOverwriteNoDialog).
OverwriteAnswer AskOverwriteFile(HWND owner, const wchar_t* path);

// "<path>\nCould not write the file." with Retry/Cancel and the warning icon;
// true for Retry. An ultra-silent run gets Cancel.
bool AskRetryWrite(HWND owner, const wchar_t* path);

}  // namespace stub
