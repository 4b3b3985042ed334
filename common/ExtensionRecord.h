// The calling contract between a publisher's extension module and its hosts
// (the installer stub and the uninstaller): the two exported entries, the
// record they receive and the event codes.
//
// A module exports "VesmarinExtensionW" (wide record; preferred) and/or
// "VesmarinExtension" (ANSI record: its strings are in the thread's ANSI
// code page). Each entry takes a pointer to the record and returns a 32-bit
// signed result; in 32-bit modules the callee removes the argument
// (WINAPI). The layout is fixed per bitness because third-party modules
// read it.
#pragma once
#include <windows.h>
#include <cstddef>
#include <cstdint>

// A host service slot: one argument (a file name or a path, wide or ANSI
// like the record), callee-cleaned like the entry.
typedef INT_PTR(WINAPI* ExtensionServiceProc)(const void* argument);

struct ExtensionRecord {
  uint32_t cbSize;     // 52 in 32-bit hosts, 96 in 64-bit hosts
  uint32_t event;      // ExtensionEvent
  void* reserved;      // null, or the installer wizard's frame window
  const void* title;   // product title
  const void* path;    // the installer's path, or the installed uninstaller's
  const void* dataFile;  // the installer module's data file; null in the uninstaller
  INT_PTR param1;
  INT_PTR param2;
  INT_PTR param3;
  INT_PTR param4;
  INT_PTR reserved2;   // null
  ExtensionServiceProc hostExtractFile;            // installer only
  ExtensionServiceProc hostRegisterUninstallPath;  // installer only
};

#ifdef _WIN64
static_assert(sizeof(ExtensionRecord) == 96, "ExtensionRecord is 96 bytes in 64-bit hosts");
static_assert(offsetof(ExtensionRecord, title) == 16, "title");
static_assert(offsetof(ExtensionRecord, param1) == 40, "param1");
static_assert(offsetof(ExtensionRecord, reserved2) == 72, "reserved2");
static_assert(offsetof(ExtensionRecord, hostRegisterUninstallPath) == 88, "services");
#else
static_assert(sizeof(ExtensionRecord) == 52, "ExtensionRecord is 52 bytes in 32-bit hosts");
static_assert(offsetof(ExtensionRecord, title) == 12, "title");
static_assert(offsetof(ExtensionRecord, param1) == 24, "param1");
static_assert(offsetof(ExtensionRecord, reserved2) == 40, "reserved2");
static_assert(offsetof(ExtensionRecord, hostRegisterUninstallPath) == 48, "services");
#endif

typedef LONG(WINAPI* ExtensionEntryProc)(ExtensionRecord* record);

enum ExtensionEvent : uint32_t {
  ExtEventInstallInit = 1000,         // 0 go on, 6 flip silent/wizard, other: stop (13)
  ExtEventInstallWelcome = 1001,      // 3 stay on the welcome page, other non-zero: cancel
  ExtEventInstallBeforeFile = 1002,   // param1: the archive entry
  ExtEventInstallAfterFile = 1003,    // param1: the written file's path
  ExtEventInstallWorkEnd = 1004,
  ExtEventInstallQueryReboot = 1005,  // param1: restart needed; 4 restart, 5 no restart
  ExtEventInstallFolder = 1006,       // param1: 260-character folder buffer; non-zero stops (13)
  ExtEventInstallError = 1007,        // param1 code (-1 abort), param2 text, param3 suppress flag
  ExtEventInstallBegin = 1008,        // hostRegisterUninstallPath works only now
  ExtEventUninstallStart = 2000,      // non-zero: stop
  ExtEventUninstallEnd = 2001,        // ignored
  ExtEventUninstallQueryReboot = 2002,  // 4 restart, 5 no restart
  ExtEventUninstallBeforeRemove = 2003,  // non-zero: stop
};

// Results with a meaning of their own.
const LONG kExtensionResultFlipMode = 6;       // event 1000
const LONG kExtensionResultStayOnPage = 3;     // events 1001 and 1006 in the wizard
const LONG kExtensionResultRestart = 4;        // events 1005 and 2002
const LONG kExtensionResultNoRestart = 5;      // events 1005 and 2002
const LONG kExtensionResultException = 1;      // an exception escaped the entry

// The process-wide module state of a host. One module per process; both
// records live in static storage for the whole run.
enum ExtensionLoadResult {
  kExtensionLoaded = 0,
  kExtensionNotLoadable = 1,  // path empty or LoadLibrary failed
  kExtensionNoEntry = 2,      // neither export exists (the module is unloaded again)
};

// Loads the module and looks up both entries.
ExtensionLoadResult LoadExtensionModule(const wchar_t* modulePath);
// True while a module with at least one entry is loaded.
bool ExtensionModuleLoaded();
// True when calls go to the wide entry.
bool ExtensionUsesWideEntry();
// Frees the module (when loaded) and forgets both entries; the records keep
// their last contents.
void UnloadExtensionModule();

// Fills the fixed slots of both records before the first event: size,
// reserved, title, path, data file (null allowed), the two services (null
// in the uninstaller). The ANSI record receives copies of the texts in the
// thread's ANSI code page, kept for the whole run; the wide record points at
// the caller's texts, which must stay valid as long as events are sent.
void SetExtensionRecordBase(void* reserved, const wchar_t* title, const wchar_t* path,
                            const wchar_t* dataFile, ExtensionServiceProc extractFile,
                            ExtensionServiceProc registerUninstallPath);
// Writes the event and the four parameters into both records.
void SetExtensionEvent(uint32_t event, INT_PTR param1 = 0, INT_PTR param2 = 0,
                       INT_PTR param3 = 0, INT_PTR param4 = 0);
// Calls the entry in use with its record: 0 without a module, the entry's
// result otherwise, 1 when an exception escaped the entry.
LONG CallExtension();
// SetExtensionEvent, then CallExtension.
LONG SendExtensionEvent(uint32_t event, INT_PTR param1 = 0, INT_PTR param2 = 0,
                        INT_PTR param3 = 0, INT_PTR param4 = 0);

// The record of the entry in use (the wide one when no module is loaded).
ExtensionRecord* ExtensionRecordInUse();
// The event most recently sent through CallExtension (0 before the first).
uint32_t LastExtensionEvent();

// Text converted to and from the thread's ANSI code page (characters outside
// it become the code page's replacement character), cut to fit capacity
// (bytes or characters, the terminator included). Null reads as empty.
void ToThreadAnsi(const wchar_t* text, char* output, size_t capacity);
void FromThreadAnsi(const char* text, wchar_t* output, size_t capacity);
// Room for a converted 260-character path (a character may take two bytes).
const size_t kAnsiPathCapacity = 2 * MAX_PATH;
