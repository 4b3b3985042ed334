// Calling a COM server's own registration entry point (DllRegisterServer,
// DllUnregisterServer) without letting its faults reach the caller.
#pragma once
#include <windows.h>

namespace vesmarin {

enum class ServerEntryCall {
  kMissing,   // the module exports no such entry point
  kReturned,  // it returned; *result holds its HRESULT
  kFaulted,   // an exception ended it; *fault holds its code
};

// The exception code of a C++ exception thrown by code of this compiler.
const DWORD kCppExceptionCode = 0x20474343;

// Calls the parameterless entry point `name` of a loaded server. A C++
// exception the server lets out ends as kFaulted with kCppExceptionCode.
ServerEntryCall CallServerEntry(HMODULE module, const char* name, HRESULT* result,
                                DWORD* fault = nullptr);

}  // namespace vesmarin
