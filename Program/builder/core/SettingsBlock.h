// The settings block of an output program: every text and list setting the
// extractor needs, as tagged records after the container header.
#pragma once
#include <windows.h>
#include <cstddef>
#include <cstdint>
#include <vector>

// Appends the block for the process-wide settings to out (which grows as
// needed; SettingsBlockFormat.h) and returns the number of bytes appended, the final 0 tag
// included.
size_t WriteSettingsBlock(std::vector<uint8_t>& out);
