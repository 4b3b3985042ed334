// The keys of a definition file, in one table (DefinitionKeys.cpp): per key
// its member, form and width, the value a missing key reads as, the default
// of a new project, the interface-language rule and its place in the order
// of reading and of writing.
#pragma once

#include "SfxSettings.h"

// Reads every key of the file into settings that ResetSfxSettings prepared.
void ReadDefinitionKeys(const wchar_t* file, CSfxSettings& settings, bool japaneseUi);
// Writes every key in the file's order to a file that holds only its
// section line (the system's profile functions append each new key).
void WriteDefinitionKeys(const wchar_t* file, const CSfxSettings& settings, bool japaneseUi);
// Clears the process-wide settings and gives them the defaults of a new
// project.
void ResetSfxSettings();
// Gives cleared settings the defaults of a new project.
void SetDefinitionDefaults(CSfxSettings& settings, bool japaneseUi);
