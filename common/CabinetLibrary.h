// The cabinet library's compression (FCI) and decompression (FDI) entry
// points, taken at run time from the system folder's cabinet.dll so that no
// program imports it at load time. Each behaves like the function of the
// same name; when the library or the entry is missing, the Create functions
// return null with an allocation error in *perf and the others FALSE.
#pragma once
#include <windows.h>
#include <fci.h>
#include <fdi.h>

namespace cabinetdll {

HFDI FDICreate(PFNALLOC alloc, PFNFREE free, PFNOPEN open, PFNREAD read, PFNWRITE write,
               PFNCLOSE close, PFNSEEK seek, int cpuType, PERF perf);
BOOL FDIIsCabinet(HFDI fdi, INT_PTR file, PFDICABINETINFO info);
BOOL FDICopy(HFDI fdi, char* cabinet, char* path, int flags, PFNFDINOTIFY notify,
             PFNFDIDECRYPT decrypt, void* user);
BOOL FDIDestroy(HFDI fdi);

HFCI FCICreate(PERF perf, PFNFCIFILEPLACED filePlaced, PFNFCIALLOC alloc, PFNFCIFREE free,
               PFNFCIOPEN open, PFNFCIREAD read, PFNFCIWRITE write, PFNFCICLOSE close,
               PFNFCISEEK seek, PFNFCIDELETE remove, PFNFCIGETTEMPFILE tempFile, PCCAB cab,
               void* user);
BOOL FCIAddFile(HFCI fci, char* source, char* name, BOOL execute, PFNFCIGETNEXTCABINET next,
                PFNFCISTATUS status, PFNFCIGETOPENINFO openInfo, TCOMP compression);
BOOL FCIFlushFolder(HFCI fci, PFNFCIGETNEXTCABINET next, PFNFCISTATUS status);
BOOL FCIFlushCabinet(HFCI fci, BOOL getNext, PFNFCIGETNEXTCABINET next, PFNFCISTATUS status);
BOOL FCIDestroy(HFCI fci);

}  // namespace cabinetdll
