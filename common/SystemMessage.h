// The system's own text for an error code (FormatMessageW), for reports that
// name why a call failed.
#pragma once
#include <windows.h>

#include <string>

namespace vesmarin {

// The message of a system error code in the thread's language, without its
// trailing line break and blanks; "error <code>" when the system has none.
std::wstring SystemErrorText(DWORD error);

}  // namespace vesmarin
