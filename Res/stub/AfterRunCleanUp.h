// The clean-up of a package that deletes its files after running its
// program (AfterDeleteFiles): what this run wrote or created goes again;
// and the take-back of an installation that ended early: what this run
// brought goes again.
#pragma once

namespace stub {

// Removes the created-path list's entries newest first: a file only when it
// exists, a folder only when it is empty, each tried up to 32 times with
// 100 ms pauses while messages are pumped. Existing files that the run
// recorded without writing them (kept by the newer-file rule or "Skip", or
// found in use) stay.
void RemoveWrittenPaths();

// Takes back an installation that ended early: only what this run brought
// where nothing stood before goes (NewPaths), newest first: the files and
// shortcuts it created (those it replaced stay, in their new version) and
// the folders it made, each only when empty. Each is tried as above.
void RemoveWhatTheRunBrought();

}  // namespace stub
