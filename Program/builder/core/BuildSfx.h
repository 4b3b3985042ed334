// Building the self-extracting output program from the project settings.
#pragma once

// Builds the output program from the process-wide settings; returns a
// result code (ResultCodes.h), the reason of a 10 in g_BuildErrorText. With
// batch set no question is asked.
int CreateSfxFile(bool batch);
