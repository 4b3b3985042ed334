// Result codes of the build and of archive opening, and the builder's one
// shared buffer for loaded strings.
#pragma once
#include <windows.h>
#include <map>

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

// String ids of the builder's string tables used by the core.
enum CoreStringId {
  IDS_LANGUAGE_TAG = 336,        // "en-us" / "ja-jp"
  IDS_INVALID_PATH_CHARS = 196,
  IDS_LEGACY_EXPLAIN_ROOTKEY = 245,
  IDS_LEGACY_SAVEPATH_ROOTKEY = 246,
  IDS_RESULT_SUCCESS = 362,
  IDS_RESULT_CREATE = 363,       // "Failed to create file."
  IDS_RESULT_READ = 364,
  IDS_RESULT_WRITE = 365,
  IDS_RESULT_CLOSE = 366,
  IDS_RESULT_OPEN = 367,
  IDS_RESULT_MEMORY = 368,
  IDS_RESULT_ICON_OPEN = 369,
  IDS_RESULT_ICON_INVALID = 370,
  IDS_RESULT_ABNORMAL = 371,
  IDS_RESULT_REGISTRATION = 372,
  IDS_OPTION_PATH_TOO_LONG = 900,  // batch option value longer than a path
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
