// The worker's log: UTF-16LE lines in a temporary file, shown in the
// progress dialog at the end.
#pragma once
#include <windows.h>
#include <string>

// Creates the log file ("qxl" in the temporary folder). False: no log.
bool OpenUninstallLog();
// prefix, blank, item, blank, status text (string id), CR LF; nothing when
// the log is not open.
void WriteLogLine(const wchar_t* prefix, const wchar_t* item, UINT statusId);
// Reads the whole log, then closes and deletes its file. False (and an
// empty text) when the log was not open or could not be read back whole.
bool TakeUninstallLogText(std::wstring* text);
// Closes and deletes the log file when it is open.
void DiscardUninstallLog();
