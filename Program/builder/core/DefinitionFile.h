// Loading and saving the process-wide settings as a definition file: a
// UTF-16LE profile file with the one section "Vesmarin".
#pragma once
#include <windows.h>

void LoadDefinitionFile(const wchar_t* path);
void SaveDefinitionFile(const wchar_t* path);
// Saves to the per-user default file; nothing when its path cannot be formed.
void SaveDefaultDefinitionFile();
// Application data + "Kelvadon\Vesmarin 6\Vesmarin.ini" (folders created),
// or "Vesmarin.ini" beside the builder; output of 260 characters.
bool GetDefaultDefinitionPath(wchar_t* output);
