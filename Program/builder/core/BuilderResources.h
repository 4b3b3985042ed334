// The builder's own module and the binary resources it carries: stubs,
// uninstaller cabinets and built-in manifests.
#pragma once
#include <windows.h>

// The builder's module (the running program, or the test program that
// links the core).
HINSTANCE BuilderModule();

// A BINARYRES resource of the builder's module: its bytes and size, or null
// (size 0) when it is missing.
const void* FindBuilderResource(const wchar_t* name, DWORD* size);
