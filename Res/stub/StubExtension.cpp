#include "StubExtension.h"

#include <cstring>
#include <cwchar>

#include "ArchiveOpen.h"
#include "CabDecoder.h"
#include "CreatedPaths.h"
#include "ExtensionRecord.h"
#include "Extraction.h"
#include "StubSettings.h"
#include "StubState.h"
#include "StubStrings.h"
#include "TessalyResource.h"

namespace stub {

namespace {

wchar_t g_modulePath[MAX_PATH];
wchar_t g_dataPath[MAX_PATH];
wchar_t g_title[MAX_PATH];

bool ExtractToTemporaryFile(const wchar_t* item, const wchar_t* prefix, wchar_t* path) {
  path[0] = 0;
  wchar_t folder[MAX_PATH];
  DWORD n = GetTempPathW(MAX_PATH, folder);
  if (n == 0 || n >= MAX_PATH || !GetTempFileNameW(folder, prefix, 0, path)) {
    path[0] = 0;
    return false;
  }
  if (!g_Archive || !g_Archive->Decoder || !g_Archive->Decoder->ExtractFile(item, path)) {
    DeleteFileW(path);
    path[0] = 0;
    return false;
  }
  return true;
}

void DeleteTemporary(wchar_t* path) {
  if (*path) DeleteFileW(path);
  path[0] = 0;
}

INT_PTR ExtractForModule(const wchar_t* name) {
  if (!name || !*name || !g_Archive || !g_Archive->Decoder) return 0;
  DWORD size = 0;
  HGLOBAL block = g_Archive->Decoder->ExtractToMemory(name, &size);
  if (!block) return 0;
  INT_PTR result = 0;
  if (size > 0) {
    void* fixed = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, size);
    const void* source = GlobalLock(block);
    if (fixed && source) {
      memcpy(fixed, source, size);
      result = reinterpret_cast<INT_PTR>(fixed);
    } else if (fixed) {
      GlobalFree(fixed);
    }
    if (source) GlobalUnlock(block);
  }
  GlobalFree(block);
  return result;
}

INT_PTR RegisterForModule(const wchar_t* path) {
  if (LastExtensionEvent() != ExtEventInstallBegin) return 0;
  if (path && *path && wcslen(path) < MAX_PATH) {
    DWORD attributes = GetFileAttributesW(path);
    if (attributes != INVALID_FILE_ATTRIBUTES) {
      wchar_t entry[MAX_PATH + 1];
      lstrcpynW(entry, path, MAX_PATH);
      size_t length = wcslen(entry);
      if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && entry[length - 1] != L'\\') {
        entry[length] = L'\\';
        entry[length + 1] = 0;
      }
      PushFileName(entry);
      KeepFromCleanUp(entry);
    }
  }
  return 1;
}

}  // namespace

INT_PTR WINAPI HostExtractFileW(const void* name) {
  return ExtractForModule(static_cast<const wchar_t*>(name));
}
INT_PTR WINAPI HostExtractFileA(const void* name) {
  wchar_t wide[MAX_PATH];
  FromThreadAnsi(static_cast<const char*>(name), wide, MAX_PATH);
  return ExtractForModule(wide);
}
INT_PTR WINAPI HostRegisterUninstallPathW(const void* path) {
  return RegisterForModule(static_cast<const wchar_t*>(path));
}
INT_PTR WINAPI HostRegisterUninstallPathA(const void* path) {
  wchar_t wide[MAX_PATH];
  FromThreadAnsi(static_cast<const char*>(path), wide, MAX_PATH);
  return RegisterForModule(wide);
}

int PrepareExtensionModule() {
  const StubSettings& s = *g_Settings;
  if (!ExtractToTemporaryFile(s.ExtensionModuleFile, L"qxe", g_modulePath) ||
      (*s.ExtensionModuleDatFile &&
       !ExtractToTemporaryFile(s.ExtensionModuleDatFile, L"qxi", g_dataPath))) {
    ReleaseExtensionModule();
    ShowStubStringMessage(nullptr, IDS_EXTENSION_LOAD_FAILED, MB_OK | MB_ICONERROR);
    return 12;
  }
  ExtensionLoadResult loaded = LoadExtensionModule(g_modulePath);
  if (loaded != kExtensionLoaded) {
    ReleaseExtensionModule();
    ShowStubStringMessage(nullptr,
                          loaded == kExtensionNoEntry ? IDS_EXTENSION_BROKEN
                                                      : IDS_EXTENSION_LOAD_FAILED,
                          MB_OK | MB_ICONERROR);
    return 12;
  }
  lstrcpynW(g_title, PackageCaption(), MAX_PATH);
  const bool wide = ExtensionUsesWideEntry();
  SetExtensionRecordBase(nullptr, g_title, g_OwnPath, *g_dataPath ? g_dataPath : nullptr,
                         wide ? &HostExtractFileW : &HostExtractFileA,
                         wide ? &HostRegisterUninstallPathW : &HostRegisterUninstallPathA);
  return 0;
}

bool ExtensionActive() { return ExtensionModuleLoaded(); }

void ReleaseExtensionModule() {
  UnloadExtensionModule();
  DeleteTemporary(g_modulePath);
  DeleteTemporary(g_dataPath);
}

LONG SendInstallFolderEvent(wchar_t* folder) {
  if (!ExtensionModuleLoaded()) return 0;
  if (ExtensionUsesWideEntry()) {
    LONG result = SendExtensionEvent(ExtEventInstallFolder, reinterpret_cast<INT_PTR>(folder));
    folder[MAX_PATH - 1] = 0;
    return result;
  }
  // The ANSI module gets the folder in its code page, in a buffer of the
  // same number of bytes as the wide one holds.
  char ansi[kAnsiPathCapacity] = {};
  ToThreadAnsi(folder, ansi, MAX_PATH);
  LONG result = SendExtensionEvent(ExtEventInstallFolder, reinterpret_cast<INT_PTR>(ansi));
  ansi[MAX_PATH - 1] = 0;
  FromThreadAnsi(ansi, folder, MAX_PATH);
  return result;
}

LONG SendInstallErrorEvent(int code, const wchar_t* text, bool* suppress) {
  if (suppress) *suppress = false;
  if (!ExtensionModuleLoaded()) return 0;
  // The show flag starts set; a module that clears it suppresses the
  // installer's message.
  BOOL flag = TRUE;
  LONG result;
  if (ExtensionUsesWideEntry()) {
    result = SendExtensionEvent(ExtEventInstallError, code, reinterpret_cast<INT_PTR>(text),
                                reinterpret_cast<INT_PTR>(&flag));
  } else {
    static char ansi[2 * 4096];
    ToThreadAnsi(text, ansi, sizeof(ansi));
    result = SendExtensionEvent(ExtEventInstallError, code, reinterpret_cast<INT_PTR>(ansi),
                                reinterpret_cast<INT_PTR>(&flag));
  }
  if (suppress) *suppress = flag == FALSE;
  return result;
}

}  // namespace stub
