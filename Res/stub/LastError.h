// The stub's one error channel: the last error code, its message table and
// the shared message buffer.
#pragma once
#include <windows.h>

namespace stub {

enum StubErrorCode {
  kErrorNone = 0,
  kErrorExeHeader = 1,      // the container is missing or damaged
  kErrorNoMemory = 2,
  kErrorArchiveHeader = 3,  // the archive cannot be opened as a cabinet
  kErrorHeaderType = 4,
  kErrorCompression = 5,
  kErrorCrc = 6,
  kErrorCreateFile = 7,
  kErrorWriteFile = 8,
  kErrorCreateFolder = 9,
  kErrorUnknown = 10,       // the value a run starts with
  kErrorPath = 11,
  kErrorAborted = -1,       // any negative value: the user aborted
};

int GetLastErrorCode();
// Setting the code to 0 also forgets the failure text.
void SetLastErrorCode(int code);

// The text of a failure whose code's message would not name its cause (a
// refused member name, a path too long, a folder that cannot be made): set
// where the failure is met and reported once, in place of that message,
// when the run ends. Empty when there is none.
void SetFailureText(const wchar_t* text);
const wchar_t* GetFailureText();

// A file that could not be written (a full disk, a failing drive): code 8,
// or the code given, with a failure text that names the file and the
// system's reason.
void SetWriteFailure(const wchar_t* path, DWORD systemError, int code = kErrorWriteFile);

// The string id of a code's message: 0 for code 0, the abort message for a
// negative code, the unknown-error message for a code outside the table.
UINT LastErrorStringId(int code);

// The size of the shared message buffer, and of the buffers that take a
// message.
const size_t kMessageBufferSize = 2000;

// Loads the message of the last error code into the shared message buffer
// and returns it (empty for code 0).
const wchar_t* GetLastErrorMessage();

}  // namespace stub
