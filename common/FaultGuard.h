// Running code that may fault (a foreign DLL entry point, a read from a
// mapping whose file may vanish) without taking the process down.
#pragma once
#include <windows.h>
#include <cstddef>

namespace vesmarin {

// Calls fn(context). Returns true when it returned normally, false when an
// exception that nothing inside fn handled (an access violation, an in-page
// error, a foreign C++ exception) ended it; *code then holds its code.
// Exceptions that fn handles itself are never seen here.
bool RunGuarded(void (*fn)(void*), void* context, DWORD* code = nullptr);

// Copies bytes from memory of this process that may no longer be readable.
bool GuardedCopy(void* destination, const void* source, size_t count);

}  // namespace vesmarin
