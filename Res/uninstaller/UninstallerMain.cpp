// Hollmere: the uninstaller. Started from its installed place it is the
// launcher; started by the launcher as a temporary copy with "/u" it is the
// worker that removes the product.
#include <windows.h>

#include "UninstallWorker.h"
#include "UninstallerApp.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR tail, int) {
  // Nothing is ever loaded from the current folder (the temporary folder
  // for the worker).
  SetDllDirectoryW(L"");
  IsModernDialogSystem();
  g_instance = instance;
  const wchar_t* infoCopy = nullptr;
  if (ChooseRole(tail, &infoCopy) == kRoleWorker) {
    RunUninstall(infoCopy);
  } else {
    UninstallLauncher();
  }
  return 0;
}
