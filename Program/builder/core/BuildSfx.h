// Building the self-extracting output program from the project settings.
#pragma once
#include <windows.h>

struct SfxContainerHeader;

// The reason of a result 10 (empty when the user cancelled).
const int kBuildErrorTextSize = 2000;
extern wchar_t BuildErrorText[kBuildErrorTextSize];

// Builds the output program from the process-wide settings; returns a
// result code (ResultCodes.h). With batch set no question is asked.
int CreateSfxFile(bool batch);

// Fills a zeroed header with the magic, flag words and fields that the
// process-wide settings give; sizes, offsets and the CRC stay 0.
void FillContainerHeader(SfxContainerHeader* header);

// Puts a string of the builder into BuildErrorText, with its "%s" / "%d"
// placeholders filled in order.
void SetBuildError(UINT stringId);
void SetBuildError(UINT stringId, const wchar_t* text);
void SetBuildError(UINT stringId, int number);
void SetBuildError(UINT stringId, const wchar_t* text, int number);
