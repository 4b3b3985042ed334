// Result codes of the build and of archive opening, and the builder's one
// shared buffer for loaded strings.
#pragma once
#include <windows.h>
#include <map>

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

// The shared message buffer: every load below overwrites it, so show or
// copy a text before the next load.
const int kMessageBufferSize = 2000;
extern wchar_t MessageBuffer[kMessageBufferSize];

// Result code -> string id, for every code the build and archive opening
// return.
extern const std::map<int, UINT> ResultMessageTable;

// Loads a string of the builder's own module into MessageBuffer and returns
// it (an empty text when the id has no string).
const wchar_t* LoadResString(UINT id);

// The message of a result code, loaded into MessageBuffer.
const wchar_t* GetResultMessage(int code);

// Caption of every message box of the builder.
extern const wchar_t kBuilderCaption[];  // "Vesmarin 6"
