#include "FolderPicker.h"

#include <shlobj.h>
#include <shobjidl.h>

#include <cwchar>

#include "SystemDlls.h"

namespace stub {

namespace {

typedef HRESULT(WINAPI* CreateItemFromParsingNameFn)(PCWSTR, IBindCtx*, REFIID, void**);

bool TakePath(const wchar_t* chosen, wchar_t* path, size_t capacity) {
  const size_t length = chosen ? wcslen(chosen) : 0;
  if (length == 0 || length >= capacity || length >= MAX_PATH) return false;
  wmemcpy(path, chosen, length + 1);
  return true;
}

// Vista and later in a client edition; server editions keep the older
// browser.
bool ClientEditionFromVista() {
  OSVERSIONINFOEXW version = {};
  version.dwOSVersionInfoSize = sizeof(version);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version))) return false;
#pragma GCC diagnostic pop
  return version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion > 5 &&
         version.wProductType == VER_NT_WORKSTATION;
}

bool PickWithFileDialog(HWND owner, CreateItemFromParsingNameFn createItem, wchar_t* path,
                        size_t capacity) {
  wchar_t desktop[MAX_PATH];
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT,
                              desktop)))
    return false;
  IFileOpenDialog* dialog = nullptr;
  if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IFileOpenDialog, reinterpret_cast<void**>(&dialog))))
    return false;
  bool chosen = false;
  IShellItem* start = nullptr;
  if (SUCCEEDED(createItem(desktop, nullptr, IID_IShellItem, reinterpret_cast<void**>(&start)))) {
    dialog->SetFolder(start);
    wchar_t* name = nullptr;
    if (SUCCEEDED(start->GetDisplayName(SIGDN_NORMALDISPLAY, &name)) && name) {
      dialog->SetFileName(name);
      CoTaskMemFree(name);
    }
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    dialog->SetOptions(options | FOS_PICKFOLDERS);
    IShellItem* result = nullptr;
    if (SUCCEEDED(dialog->Show(owner)) && SUCCEEDED(dialog->GetResult(&result)) && result) {
      wchar_t* folder = nullptr;
      if (SUCCEEDED(result->GetDisplayName(SIGDN_FILESYSPATH, &folder)) && folder) {
        chosen = TakePath(folder, path, capacity);
        CoTaskMemFree(folder);
      }
      result->Release();
    }
    start->Release();
  }
  dialog->Release();
  return chosen;
}

bool PickWithFolderBrowser(HWND owner, wchar_t* path, size_t capacity) {
  BROWSEINFOW info = {};
  info.hwndOwner = owner;
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  PIDLIST_ABSOLUTE list = SHBrowseForFolderW(&info);
  if (!list) return false;
  wchar_t folder[MAX_PATH];
  const bool chosen = SHGetPathFromIDListW(list, folder) && TakePath(folder, path, capacity);
  CoTaskMemFree(list);
  return chosen;
}

}  // namespace

bool BrowseForFolder(HWND owner, wchar_t* path, size_t capacity) {
  CreateItemFromParsingNameFn createItem = vesmarin::SystemProc<CreateItemFromParsingNameFn>(
      L"shell32.dll", "SHCreateItemFromParsingName");
  if (createItem && ClientEditionFromVista())
    return PickWithFileDialog(owner, createItem, path, capacity);
  return PickWithFolderBrowser(owner, path, capacity);
}

}  // namespace stub
