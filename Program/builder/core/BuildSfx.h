// Building the self-extracting output program from the project settings.
#pragma once
#include <windows.h>

// The reason of a result 10 (empty when the user cancelled).
extern wchar_t BuildErrorText[2000];

// Builds the output program from the process-wide settings; returns a
// result code (ResultCodes.h). With batch set no question is asked.
int CreateSfxFile(bool batch);
