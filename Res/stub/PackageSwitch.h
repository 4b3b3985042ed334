// The package's own command-line switch (SilentizeSwitch): given after "/"
// or "-", compared ignoring case as a whole option token, it flips the run
// between wizard and silent installation.
#pragma once
#include <windows.h>
#include <cstdint>

namespace stub {

// True when the command line (without the program name) holds the switch as
// an option. An empty switch never matches.
bool HasPackageSwitch(const wchar_t* arguments, const wchar_t* switchText);

// Flips FlagsB NoUI; a silent package turned interactive also gets FlagsA
// UseNewWizard.
void FlipSilentMode(uint32_t* flagsA, uint32_t* flagsB);

}  // namespace stub
