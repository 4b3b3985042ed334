// The updater's entry point.
#include <windows.h>

#include "UpdaterStartup.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) { return UpdaterMain(instance); }
