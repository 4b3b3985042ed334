// An interactive run: what the start-up prepares for the wizard (panel
// bitmaps, title font, taskbar progress), the wizard itself, and what its
// end means for the run.
#pragma once

namespace stub {

// Runs the wizard and returns the exit code: 0 when the installation
// completed; 9 when it failed (reported already); 17 when the user closed
// the wizard or aborted the installation (what the aborted copying wrote is
// removed again); the wizard's own refusals (4, 13, 15, 16) otherwise.
int RunInteractiveInstallation();

}  // namespace stub
