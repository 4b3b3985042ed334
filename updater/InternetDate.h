// Dates of Internet texts (RFC 822, RFC 1123, RFC 850 and asctime with a
// zone) turned into UTC.
#pragma once
#include <windows.h>

// On success result holds the UTC time; on failure it is left unchanged.
bool ParseInternetDate(const wchar_t* text, SYSTEMTIME* result);

// One pattern against one text; the work step of ParseInternetDate.
// Pattern letters: w weekday, d day, M month number, m month name, y year,
// h/H hour, n minute, s second, t zone, * skip to the next pattern
// character, space any run of spaces; anything else matches itself.
bool MatchDatePattern(const char* pattern, const char* text, SYSTEMTIME* result);
