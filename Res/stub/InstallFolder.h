// The install folder of a run that has no destination page (a silent run,
// or a wizard without one): the folder saved by an earlier installation,
// the extension module's say (event 1006), and the room the built-in
// uninstaller needs below it, all decided before anything is written.
#pragma once

namespace stub {

// Returns 0 with the working extraction folder decided, or the exit code of
// the refusal after its box: 13 the extension module refused the folder,
// 14 the uninstaller's path would not fit (string 64), 15 the saved folder
// is required and missing or unusable (string 11).
int DecideInstallFolderWithoutPage();

}  // namespace stub
