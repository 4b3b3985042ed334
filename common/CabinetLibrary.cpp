#include "CabinetLibrary.h"

#include "SystemDlls.h"

namespace cabinetdll {

namespace {

const wchar_t kLibrary[] = L"cabinet.dll";

template <class Fn>
Fn Entry(const char* name) {
  return vesmarin::SystemProc<Fn>(kLibrary, name);
}

void NoLibrary(PERF perf) {
  if (!perf) return;
  perf->erfOper = FDIERROR_ALLOC_FAIL;
  perf->erfType = ERROR_MOD_NOT_FOUND;
  perf->fError = TRUE;
}

}  // namespace

HFDI FDICreate(PFNALLOC alloc, PFNFREE free, PFNOPEN open, PFNREAD read, PFNWRITE write,
               PFNCLOSE close, PFNSEEK seek, int cpuType, PERF perf) {
  static const auto create = Entry<decltype(&::FDICreate)>("FDICreate");
  if (!create) {
    NoLibrary(perf);
    return nullptr;
  }
  return create(alloc, free, open, read, write, close, seek, cpuType, perf);
}

BOOL FDIIsCabinet(HFDI fdi, INT_PTR file, PFDICABINETINFO info) {
  static const auto isCabinet = Entry<decltype(&::FDIIsCabinet)>("FDIIsCabinet");
  return isCabinet ? isCabinet(fdi, file, info) : FALSE;
}

BOOL FDICopy(HFDI fdi, char* cabinet, char* path, int flags, PFNFDINOTIFY notify,
             PFNFDIDECRYPT decrypt, void* user) {
  static const auto copy = Entry<decltype(&::FDICopy)>("FDICopy");
  return copy ? copy(fdi, cabinet, path, flags, notify, decrypt, user) : FALSE;
}

BOOL FDIDestroy(HFDI fdi) {
  static const auto destroy = Entry<decltype(&::FDIDestroy)>("FDIDestroy");
  return destroy ? destroy(fdi) : FALSE;
}

HFCI FCICreate(PERF perf, PFNFCIFILEPLACED filePlaced, PFNFCIALLOC alloc, PFNFCIFREE free,
               PFNFCIOPEN open, PFNFCIREAD read, PFNFCIWRITE write, PFNFCICLOSE close,
               PFNFCISEEK seek, PFNFCIDELETE remove, PFNFCIGETTEMPFILE tempFile, PCCAB cab,
               void* user) {
  static const auto create = Entry<decltype(&::FCICreate)>("FCICreate");
  if (!create) {
    NoLibrary(perf);
    return nullptr;
  }
  return create(perf, filePlaced, alloc, free, open, read, write, close, seek, remove, tempFile,
                cab, user);
}

BOOL FCIAddFile(HFCI fci, char* source, char* name, BOOL execute, PFNFCIGETNEXTCABINET next,
                PFNFCISTATUS status, PFNFCIGETOPENINFO openInfo, TCOMP compression) {
  static const auto add = Entry<decltype(&::FCIAddFile)>("FCIAddFile");
  return add ? add(fci, source, name, execute, next, status, openInfo, compression) : FALSE;
}

BOOL FCIFlushFolder(HFCI fci, PFNFCIGETNEXTCABINET next, PFNFCISTATUS status) {
  static const auto flush = Entry<decltype(&::FCIFlushFolder)>("FCIFlushFolder");
  return flush ? flush(fci, next, status) : FALSE;
}

BOOL FCIFlushCabinet(HFCI fci, BOOL getNext, PFNFCIGETNEXTCABINET next, PFNFCISTATUS status) {
  static const auto flush = Entry<decltype(&::FCIFlushCabinet)>("FCIFlushCabinet");
  return flush ? flush(fci, getNext, next, status) : FALSE;
}

BOOL FCIDestroy(HFCI fci) {
  static const auto destroy = Entry<decltype(&::FCIDestroy)>("FCIDestroy");
  return destroy ? destroy(fci) : FALSE;
}

}  // namespace cabinetdll
