// Typed reads of registry values: the value's type is checked, and a text
// is always terminated, whether or not it was stored with its terminator.
#pragma once
#include <windows.h>
#include <cstddef>

enum class RegReadResult {
  kRead,
  kAbsent,     // the key or the value does not exist or cannot be opened
  kWrongType,  // the value exists with another type (or size, for a DWORD)
  kTooLong,    // the text does not fit in the caller's buffer
};

// What happens to a text of capacity characters (stored with or without its
// terminator), which the buffer cannot hold with a terminator: refused, or
// cut to capacity - 1 characters.
enum class RegTextFit { kRefuse, kCut };

// A REG_SZ or REG_EXPAND_SZ value (not expanded) into output of capacity
// characters. The text ends at its first NUL. A longer stored value is
// always kTooLong. Output changes only on kRead.
RegReadResult ReadRegString(HKEY key, const wchar_t* value, wchar_t* output, size_t capacity,
                            RegTextFit fit = RegTextFit::kRefuse);
// A REG_DWORD value of exactly four bytes. Output changes only on kRead.
RegReadResult ReadRegDword(HKEY key, const wchar_t* value, DWORD* output);

// The same from root\subKey, opened for querying with extraAccess added
// (KEY_WOW64_64KEY and the like).
RegReadResult ReadRegString(HKEY root, const wchar_t* subKey, const wchar_t* value,
                            wchar_t* output, size_t capacity,
                            RegTextFit fit = RegTextFit::kRefuse, REGSAM extraAccess = 0);
RegReadResult ReadRegDword(HKEY root, const wchar_t* subKey, const wchar_t* value, DWORD* output,
                           REGSAM extraAccess = 0);
