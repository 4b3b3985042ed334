#include <windows.h>

#include <cstdlib>
#include <exception>
#include <new>

#include "StubRun.h"

// The stub heads every installer. The runtime's default terminate handler
// prints a demangled type name and drags the demangler in (some 45 KB);
// nothing escapes the stub's own code, so a plain abort does.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}

// The checks inside strings and containers throw through these. The
// runtime's own versions build std::length_error and its kin, whose message
// member drags in the runtime's complete std::string (some 60 KB). No code of
// the stub catches those by type: catch (...) still sees a throw and
// catch (const std::bad_alloc&) still does not, so one plain exception type
// serves for the checks, and allocation failures stay std::bad_alloc.
namespace {
struct LibraryCheckFailed : std::exception {};
}  // namespace

namespace std {
void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_length_error(const char*) { throw LibraryCheckFailed(); }
void __throw_logic_error(const char*) { throw LibraryCheckFailed(); }
void __throw_out_of_range(const char*) { throw LibraryCheckFailed(); }
void __throw_out_of_range_fmt(const char*, ...) { throw LibraryCheckFailed(); }
void __throw_invalid_argument(const char*) { throw LibraryCheckFailed(); }
}  // namespace std

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) { return stub::RunStub(instance); }
