#include "InternetDate.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

// Longer digit runs are refused rather than wrapped into a small number.
const int kMaxDigits = 4;
const size_t kMaxZone = 15;
const size_t kTextBytes = 256;

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A run of at most kMaxDigits digits (an empty run gives 0).
bool ReadNumber(const char*& p, WORD* value) {
  int count = 0;
  unsigned number = 0;
  while (IsDigit(*p)) {
    if (++count > kMaxDigits) return false;
    number = number * 10 + static_cast<unsigned>(*p - '0');
    ++p;
  }
  *value = static_cast<WORD>(number);
  return true;
}

bool ReadMonthName(const char*& p, WORD* month) {
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const char* start = p;
  while (IsLetter(*p)) ++p;
  const size_t length = static_cast<size_t>(p - start);
  if (length != 3) return false;
  for (int i = 0; i < 12; ++i) {
    if (_strnicmp(start, kMonths[i], 3) == 0) {
      *month = static_cast<WORD>(i + 1);
      return true;
    }
  }
  return false;
}

// The zone as an offset of the form +-HHMM. A numeric zone is read as atoi
// reads the text after its sign ("+900" is nine hours, "+2400" a whole day);
// a number that does not fit an int is no zone.
bool ZoneOffset(const char* zone, int* offset) {
  if (zone[0] == '+' || zone[0] == '-') {
    const char* p = zone + 1;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    long long value = 0;
    for (; IsDigit(*p); ++p) {
      value = value * 10 + (*p - '0');
      if (value > INT_MAX) return false;
    }
    if (negative) value = -value;
    *offset = static_cast<int>(zone[0] == '-' ? -value : value);
    return true;
  }
  static const struct {
    const char* name;
    int offset;
  } kZones[] = {{"GMT", 0},    {"UT", 0},     {"EDT", -400}, {"EST", -500},
                {"CDT", -500}, {"CST", -600}, {"MDT", -600}, {"MST", -700},
                {"PDT", -700}, {"PST", -800}, {"JST", 900}};
  for (const auto& known : kZones) {
    if (_stricmp(zone, known.name) == 0) {
      *offset = known.offset;
      return true;
    }
  }
  return false;
}

}  // namespace

bool MatchDatePattern(const char* pattern, const char* text, SYSTEMTIME* result) {
  if (!pattern || !text || !result) return false;
  SYSTEMTIME time = {};
  char zone[kMaxZone + 1] = {};
  const char* p = text;
  for (const char* q = pattern; *q; ++q) {
    switch (*q) {
      case ' ':
        while (*p == ' ') ++p;
        break;
      case '*':
        if (*p) {
          while (*p && *p != q[1]) ++p;
        }
        break;
      case 'w':
        while (IsLetter(*p)) ++p;
        break;
      case 'd':
        if (!ReadNumber(p, &time.wDay) || time.wDay == 0) return false;
        break;
      case 'M':
        if (!ReadNumber(p, &time.wMonth) || time.wMonth == 0) return false;
        break;
      case 'm':
        if (!ReadMonthName(p, &time.wMonth)) return false;
        break;
      case 'y':
        if (!ReadNumber(p, &time.wYear)) return false;
        if (time.wYear < 1900) time.wYear = static_cast<WORD>(time.wYear + (time.wYear <= 70 ? 2000 : 1900));
        break;
      case 'h':
      case 'H':
        if (!ReadNumber(p, &time.wHour)) return false;
        break;
      case 'n':
        if (!ReadNumber(p, &time.wMinute)) return false;
        break;
      case 's':
        if (!ReadNumber(p, &time.wSecond)) return false;
        break;
      case 't': {
        size_t length = 0;
        while (IsLetter(*p) || IsDigit(*p) || *p == '+' || *p == '-') {
          if (length == kMaxZone) return false;
          zone[length++] = *p++;
        }
        zone[length] = '\0';
        break;
      }
      default:
        if (*p != *q) return false;
        ++p;
        break;
    }
  }
  int offset = 0;
  if (!ZoneOffset(zone, &offset)) return false;
  FILETIME file;
  if (!SystemTimeToFileTime(&time, &file)) return false;
  const long long offsetSeconds = static_cast<long long>(offset / 100) * 3600 +
                                  static_cast<long long>(offset % 100) * 60;
  long long ticks = static_cast<long long>(
      (static_cast<unsigned long long>(file.dwHighDateTime) << 32) | file.dwLowDateTime);
  ticks -= offsetSeconds * 10000000LL;
  if (ticks < 0) return false;
  file.dwLowDateTime = static_cast<DWORD>(static_cast<unsigned long long>(ticks));
  file.dwHighDateTime = static_cast<DWORD>(static_cast<unsigned long long>(ticks) >> 32);
  SYSTEMTIME utc;
  if (!FileTimeToSystemTime(&file, &utc)) return false;
  *result = utc;
  return true;
}

bool ParseInternetDate(const wchar_t* text, SYSTEMTIME* result) {
  if (!text || !result) return false;
  char narrow[kTextBytes] = {};
  const int got = WideCharToMultiByte(CP_ACP, 0, text, -1, narrow, static_cast<int>(kTextBytes),
                                      nullptr, nullptr);
  // 0 also when the text does not fit: such a text is no date.
  if (got <= 0) return false;
  narrow[kTextBytes - 1] = '\0';
  static const char* const kPatterns[] = {"w, d m y h:n:s t", "w, d-m-y h:n:s t", "w, d m y h:n t",
                                          "w d m y h:n:s t", "w m d h:n:s y t"};
  for (const char* pattern : kPatterns) {
    SYSTEMTIME attempt;
    if (MatchDatePattern(pattern, narrow, &attempt)) {
      *result = attempt;
      return true;
    }
  }
  return false;
}
