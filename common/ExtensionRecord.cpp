#include "ExtensionRecord.h"

#include <initializer_list>

#include "FaultGuard.h"

namespace {

HMODULE g_module = nullptr;
ExtensionEntryProc g_wideEntry = nullptr;
ExtensionEntryProc g_ansiEntry = nullptr;
ExtensionRecord g_wideRecord = {};
ExtensionRecord g_ansiRecord = {};
char g_ansiTitle[kAnsiPathCapacity];
char g_ansiPath[kAnsiPathCapacity];
char g_ansiDataFile[kAnsiPathCapacity];
uint32_t g_lastEvent = 0;

struct EntryCall {
  ExtensionEntryProc entry;
  ExtensionRecord* record;
  LONG result;
};

void CallEntry(void* context) {
  EntryCall* call = static_cast<EntryCall*>(context);
  try {
    call->result = call->entry(call->record);
  } catch (...) {
    call->result = kExtensionResultException;
  }
}

}  // namespace

void ToThreadAnsi(const wchar_t* text, char* output, size_t capacity) {
  if (!output || capacity == 0) return;
  output[0] = 0;
  if (!text || !*text) return;
  int length = WideCharToMultiByte(CP_THREAD_ACP, 0, text, -1, output, static_cast<int>(capacity),
                                   nullptr, nullptr);
  if (length <= 0) {
    // Too long: convert into a buffer of the full size, then cut.
    int needed = WideCharToMultiByte(CP_THREAD_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    char* full = needed > 0 ? static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, needed)) : nullptr;
    output[0] = 0;
    if (!full) return;
    WideCharToMultiByte(CP_THREAD_ACP, 0, text, -1, full, needed, nullptr, nullptr);
    lstrcpynA(output, full, static_cast<int>(capacity));
    HeapFree(GetProcessHeap(), 0, full);
  }
}

void FromThreadAnsi(const char* text, wchar_t* output, size_t capacity) {
  if (!output || capacity == 0) return;
  output[0] = 0;
  if (!text || !*text) return;
  if (MultiByteToWideChar(CP_THREAD_ACP, 0, text, -1, output, static_cast<int>(capacity)) <= 0) {
    int needed = MultiByteToWideChar(CP_THREAD_ACP, 0, text, -1, nullptr, 0);
    wchar_t* full = needed > 0
                        ? static_cast<wchar_t*>(HeapAlloc(GetProcessHeap(), 0, needed * sizeof(wchar_t)))
                        : nullptr;
    output[0] = 0;
    if (!full) return;
    MultiByteToWideChar(CP_THREAD_ACP, 0, text, -1, full, needed);
    lstrcpynW(output, full, static_cast<int>(capacity));
    HeapFree(GetProcessHeap(), 0, full);
  }
}

ExtensionLoadResult LoadExtensionModule(const wchar_t* modulePath) {
  UnloadExtensionModule();
  if (!modulePath || !*modulePath) return kExtensionNotLoadable;
  HMODULE module = LoadLibraryW(modulePath);
  if (!module) return kExtensionNotLoadable;
  ExtensionEntryProc ansi =
      reinterpret_cast<ExtensionEntryProc>(GetProcAddress(module, "VesmarinExtension"));
  ExtensionEntryProc wide =
      reinterpret_cast<ExtensionEntryProc>(GetProcAddress(module, "VesmarinExtensionW"));
  if (!ansi && !wide) {
    FreeLibrary(module);
    return kExtensionNoEntry;
  }
  g_module = module;
  g_ansiEntry = ansi;
  g_wideEntry = wide;
  return kExtensionLoaded;
}

bool ExtensionModuleLoaded() { return g_module && (g_wideEntry || g_ansiEntry); }

bool ExtensionUsesWideEntry() { return g_wideEntry != nullptr || !g_ansiEntry; }

void UnloadExtensionModule() {
  if (g_module) FreeLibrary(g_module);
  g_module = nullptr;
  g_wideEntry = nullptr;
  g_ansiEntry = nullptr;
}

void SetExtensionRecordBase(void* reserved, const wchar_t* title, const wchar_t* path,
                            const wchar_t* dataFile, ExtensionServiceProc extractFile,
                            ExtensionServiceProc registerUninstallPath) {
  ToThreadAnsi(title, g_ansiTitle, kAnsiPathCapacity);
  ToThreadAnsi(path, g_ansiPath, kAnsiPathCapacity);
  ToThreadAnsi(dataFile, g_ansiDataFile, kAnsiPathCapacity);

  ExtensionRecord base = {};
  base.cbSize = sizeof(ExtensionRecord);
  base.reserved = reserved;
  base.hostExtractFile = extractFile;
  base.hostRegisterUninstallPath = registerUninstallPath;

  g_wideRecord = base;
  g_wideRecord.title = title;
  g_wideRecord.path = path;
  g_wideRecord.dataFile = dataFile;

  g_ansiRecord = base;
  g_ansiRecord.title = title ? g_ansiTitle : nullptr;
  g_ansiRecord.path = path ? g_ansiPath : nullptr;
  g_ansiRecord.dataFile = dataFile ? g_ansiDataFile : nullptr;
}

void SetExtensionEvent(uint32_t event, INT_PTR param1, INT_PTR param2, INT_PTR param3,
                       INT_PTR param4) {
  for (ExtensionRecord* record : {&g_wideRecord, &g_ansiRecord}) {
    record->event = event;
    record->param1 = param1;
    record->param2 = param2;
    record->param3 = param3;
    record->param4 = param4;
  }
}

LONG CallExtension() {
  if (!g_wideEntry && !g_ansiEntry) return 0;
  EntryCall call;
  if (g_wideEntry) {
    call.entry = g_wideEntry;
    call.record = &g_wideRecord;
  } else {
    call.entry = g_ansiEntry;
    call.record = &g_ansiRecord;
  }
  call.result = 0;
  g_lastEvent = call.record->event;
  if (!vesmarin::RunGuarded(&CallEntry, &call)) return kExtensionResultException;
  return call.result;
}

LONG SendExtensionEvent(uint32_t event, INT_PTR param1, INT_PTR param2, INT_PTR param3,
                        INT_PTR param4) {
  SetExtensionEvent(event, param1, param2, param3, param4);
  return CallExtension();
}

ExtensionRecord* ExtensionRecordInUse() {
  return ExtensionUsesWideEntry() ? &g_wideRecord : &g_ansiRecord;
}

uint32_t LastExtensionEvent() { return g_lastEvent; }
