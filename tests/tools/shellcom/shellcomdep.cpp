// The library that shellcom.dll imports: found only beside the server.
#include <windows.h>

extern "C" __declspec(dllexport) const wchar_t* ShellComDepMark() { return L"dep"; }
