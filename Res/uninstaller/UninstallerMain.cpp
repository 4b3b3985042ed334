// Hollmere: the uninstaller. Started from its installed place it is the
// launcher; started by the launcher as a temporary copy with "/u" it is the
// worker that removes the product.
#include <windows.h>

#include "HollmereResource.h"
#include "SystemDlls.h"
#include "UninstallWorker.h"
#include "UninstallerApp.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR tail, int) {
  // Nothing is ever loaded from the program's own or the current folder.
  g_Instance = instance;
  if (!vesmarin::HardenDllSearch()) {
    ShowErrorMessage(IDS_INIT_FAILED);
    return 0;
  }
  IsModernDialogSystem();
  const wchar_t* infoCopy = nullptr;
  if (ChooseRole(tail, &infoCopy) == kRoleWorker) {
    RunUninstall(infoCopy);
  } else {
    UninstallLauncher();
  }
  return 0;
}
