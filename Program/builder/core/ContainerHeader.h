// The container header of an output program (SfxContainer.h) filled from
// the project settings; written beside the settings block (SettingsBlock.h).
#pragma once

struct SfxContainerHeader;

// Fills a zeroed header with the magic, flag words and fields that the
// process-wide settings give; sizes, offsets and the CRC stay 0.
void FillContainerHeader(SfxContainerHeader* header);
