#include "LastError.h"

#include <strsafe.h>

#include "StubStrings.h"
#include "SystemMessage.h"
#include "TessalyResource.h"

namespace stub {

namespace {
int g_lastErrorCode = kErrorUnknown;
wchar_t g_messageBuffer[kMessageBufferSize];
wchar_t g_failureText[kMessageBufferSize];
}  // namespace

int GetLastErrorCode() { return g_lastErrorCode; }
void SetLastErrorCode(int code) {
  g_lastErrorCode = code;
  if (code == kErrorNone) g_failureText[0] = 0;
}

void SetFailureText(const wchar_t* text) {
  lstrcpynW(g_failureText, text ? text : L"", kMessageBufferSize);
}
const wchar_t* GetFailureText() { return g_failureText; }

void SetWriteFailure(const wchar_t* path, DWORD systemError, int code) {
  g_lastErrorCode = code;
  wchar_t format[512];
  LoadStubString(IDS_INSTALL_ERROR, format, ARRAYSIZE(format));
  // The table's text carries "%s" for the file.
  StringCchPrintfW(g_failureText, kMessageBufferSize, format, path ? path : L"");
  StringCchCatW(g_failureText, kMessageBufferSize,
                vesmarin::SystemErrorText(systemError).c_str());
}

UINT LastErrorStringId(int code) {
  static const UINT kIds[] = {
      0,                         // 0
      IDS_ERROR_EXE_HEADER,      // 1
      IDS_ERROR_NO_MEMORY,       // 2
      IDS_ERROR_ARCHIVE_HEADER,  // 3
      IDS_ERROR_HEADER_TYPE,     // 4
      IDS_ERROR_COMPRESSION,     // 5
      IDS_ERROR_CRC,             // 6
      IDS_ERROR_CREATE_FILE,     // 7
      IDS_ERROR_WRITE_FILE,      // 8
      IDS_ERROR_CREATE_FOLDER,   // 9
      IDS_ERROR_UNKNOWN,         // 10
      IDS_ERROR_PATH,            // 11
  };
  if (code < 0) return IDS_INSTALL_ABORTED;
  if (code >= static_cast<int>(sizeof(kIds) / sizeof(kIds[0]))) return IDS_ERROR_UNKNOWN;
  return kIds[code];
}

const wchar_t* GetLastErrorMessage() {
  UINT id = LastErrorStringId(g_lastErrorCode);
  g_messageBuffer[0] = 0;
  if (id) LoadStubString(id, g_messageBuffer, kMessageBufferSize);
  return g_messageBuffer;
}

}  // namespace stub
