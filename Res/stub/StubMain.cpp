#include <windows.h>

#include <cstdlib>
#include <exception>

#include "StubRun.h"

// The stub heads every installer. The runtime's default terminate handler
// prints a demangled type name and drags the demangler in (some 45 KB);
// nothing escapes the stub's own code, so a plain abort does.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) { return stub::RunStub(instance); }
