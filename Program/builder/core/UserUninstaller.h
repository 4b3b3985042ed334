// The publisher's own signed uninstaller, which a project may embed instead
// of the builder's.
#pragma once
#include <cstdint>
#include <vector>

// Checks the uninstaller the settings name (description, internal name,
// version equal to the builder's, bitness, size, signature) and packs it
// into a cabinet read into cab. Returns 0, 6 or 10 (reason in
// g_BuildErrorText).
int PackUserUninstaller(std::vector<uint8_t>& cab);
