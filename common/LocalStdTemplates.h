// Forced in front of every source of the extractor stub and of the shared
// code it links (see vesmarin_small_code in cmake/Vesmarin.cmake).
//
// libstdc++ declares its string classes as instantiated in the library. A
// program that uses one member then links the library's whole instantiation
// (every member of std::wstring and, through the exception classes, of
// std::string), and the linker cannot drop the unused members because the
// unwind tables keep every function alive. Without those declarations the
// compiler instantiates only the members the code uses. Same behaviour, same
// code, just less of it.
#pragma once
#include <bits/c++config.h>
#undef _GLIBCXX_EXTERN_TEMPLATE
#define _GLIBCXX_EXTERN_TEMPLATE 0
