// Sardok, the archive compressor: entry point.
#include <windows.h>
#include <shellapi.h>

#include "CompressorApp.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, wchar_t*, int) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv) return 0;
  const int code = RunCompressor(instance, argc, argv);
  LocalFree(argv);
  return code;
}
