// Result codes of the build and of archive opening, their texts, and the
// loaders of the builder's strings (into g_MessageBuffer and
// g_BuildErrorText, BuilderState.h).
#pragma once
#include <windows.h>
#include <map>
#include <string>

#include "BuilderState.h"
#include "VesmarinResource.h"

enum ResultCode {
  kResultSuccess = 0,
  kResultCreateFailed = 1,
  kResultReadFailed = 2,
  kResultWriteFailed = 3,
  kResultCloseFailed = 4,
  kResultOpenFailed = 5,
  kResultMemoryFailed = 6,
  kResultIconOpenFailed = 7,
  kResultIconInvalid = 8,
  kResultAbnormalEnd = 9,
  kResultReported = 10,  // the failing step showed or left its own message
  kResultFailure11 = 11,
  kResultFailure12 = 12,
  kResultFailure13 = 13,
};

// Result code -> string id, for every code the build and archive opening
// return.
extern const std::map<int, UINT> ResultMessageTable;

// Loads a string of the builder's own module into g_MessageBuffer and returns
// it (an empty text when the id has no string).
const wchar_t* LoadResString(UINT id);

// The message of a result code, loaded into g_MessageBuffer.
const wchar_t* GetResultMessage(int code);

// What a build's result says to the user: for 10 the reason in
// g_BuildErrorText; for any other code its message, followed after a blank
// line by g_BuildErrorText when the failing step left its cause there (the
// archive member that cannot be unpacked, for example).
std::wstring BuildResultMessage(int code);

// Puts a string of the builder into g_BuildErrorText, with its "%s" / "%d"
// placeholders filled in order.
void SetBuildError(UINT stringId);
void SetBuildError(UINT stringId, const wchar_t* text);
void SetBuildError(UINT stringId, int number);
void SetBuildError(UINT stringId, const wchar_t* text, int number);

// Caption of every message box of the builder.
extern const wchar_t kBuilderCaption[];  // "Vesmarin 6"
