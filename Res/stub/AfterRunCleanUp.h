// The clean-up of a package that deletes its files after running its
// program (AfterDeleteFiles): what this run wrote or created goes again.
#pragma once

namespace stub {

// Removes the created-path list's entries newest first: a file only when it
// exists, a folder only when it is empty, each tried up to 32 times with
// 100 ms pauses while messages are pumped. Existing files that the run
// recorded without writing them (kept by the newer-file rule or "Skip", or
// found in use) stay.
void RemoveWrittenPaths();

}  // namespace stub
