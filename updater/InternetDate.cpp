#include "InternetDate.h"

#include <cstdlib>
#include <cstring>

namespace {

// Longer digit runs are refused rather than wrapped into a small number.
const int kMaxDigits = 4;
const size_t kMaxZone = 15;
const size_t kTextBytes = 256;

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A run of at most kMaxDigits digits (an empty run gives 0); digits, when
// given, receives the length of the run.
bool ReadNumber(const char*& p, WORD* value, int* digits = nullptr) {
  int count = 0;
  unsigned number = 0;
  while (IsDigit(*p)) {
    if (++count > kMaxDigits) return false;
    number = number * 10 + static_cast<unsigned>(*p - '0');
    ++p;
  }
  *value = static_cast<WORD>(number);
  if (digits) *digits = count;
  return true;
}

// A year written with two digits: 70 and below are 2000 and after, the
// others 1900 and after. Longer years stand as written.
WORD FullYear(WORD year, int digits) {
  if (digits != 2) return year;
  return static_cast<WORD>(year + (year <= 70 ? 2000 : 1900));
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

// A numeric zone: a sign, then hours and minutes as "HHMM", "HMM" or
// "HH:MM", or hours alone as "HH" or "H". Hours from 24 and minutes from 60
// are no zone. The offset is given as +-HHMM.
bool NumericZoneOffset(const char* zone, int* offset) {
  const char* p = zone + 1;
  int digits[4];
  int count = 0;
  int colon = -1;  // digits before the colon, when there is one
  for (; *p; ++p) {
    if (*p == ':' && colon < 0 && count > 0) {
      colon = count;
    } else if (IsDigit(*p) && count < 4) {
      digits[count++] = *p - '0';
    } else {
      return false;
    }
  }
  int hours = 0;
  int minutes = 0;
  if (colon >= 0) {
    if (colon > 2 || count - colon != 2) return false;
    for (int i = 0; i < colon; ++i) hours = hours * 10 + digits[i];
    minutes = digits[colon] * 10 + digits[colon + 1];
  } else if (count >= 3) {
    for (int i = 0; i < count - 2; ++i) hours = hours * 10 + digits[i];
    minutes = digits[count - 2] * 10 + digits[count - 1];
  } else if (count >= 1) {
    for (int i = 0; i < count; ++i) hours = hours * 10 + digits[i];
  } else {
    return false;
  }
  if (hours >= 24 || minutes >= 60) return false;
  const int value = hours * 100 + minutes;
  *offset = zone[0] == '-' ? -value : value;
  return true;
}

// The zone as an offset of the form +-HHMM.
bool ZoneOffset(const char* zone, int* offset) {
  if (zone[0] == '+' || zone[0] == '-') return NumericZoneOffset(zone, offset);
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
      case 'y': {
        int digits = 0;
        if (!ReadNumber(p, &time.wYear, &digits)) return false;
        time.wYear = FullYear(time.wYear, digits);
        break;
      }
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
        // A numeric zone may hold a colon between its hours and minutes.
        const bool numeric = *p == '+' || *p == '-';
        size_t length = 0;
        while (IsLetter(*p) || IsDigit(*p) || *p == '+' || *p == '-' || (numeric && *p == ':')) {
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
