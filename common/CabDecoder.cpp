#include "CabDecoder.h"

#include <fcntl.h>
#include <shlobj.h>
#include <cerrno>
#include <cstdio>
#include <cwchar>

#include "CabinetLibrary.h"
#include "DiskFile.h"
#include "FileSystem.h"
#include "PathPieces.h"
#include "TextUtil.h"

namespace {

// UTF-8 texts handed to FDI: up to three bytes for each UTF-16 unit.
const int kUtf8PathBytes = MAX_PATH * 3 + 1;

// The decoder whose FDI call is running on this thread. FDI's open routine
// has no context argument; this is how it finds the cabinet path and offset
// of the instance that asked.
thread_local CCabDecoder* t_activeDecoder = nullptr;

class ActiveDecoderScope {
 public:
  explicit ActiveDecoderScope(CCabDecoder* decoder) : saved_(t_activeDecoder) {
    t_activeDecoder = decoder;
  }
  ~ActiveDecoderScope() { t_activeDecoder = saved_; }

 private:
  CCabDecoder* saved_;
};

// A file opened for FDI, or the sink a member is decoded into when nothing
// is to be written.
struct CabFile {
  HANDLE handle;
  uint64_t base;  // where the cabinet starts in the file
  bool existed;
  bool written;
  bool discard;   // no file: writes are counted and dropped
  uint64_t count; // bytes a sink took
  DWORD failure;  // the system's error of a write that failed, 0 when none
  wchar_t path[MAX_PATH];
};

// Tells the decoder at work that an output could not be written.
void NoteOutputFailure(const CabFile* file);

// Decodes a member name; false (and a cut, terminated text) when it does not
// fit.
bool DecodeName(const char* bytes, bool utf8, wchar_t* out, int capacity) {
  out[0] = 0;
  if (!bytes) return false;
  const UINT codePage = utf8 ? CP_UTF8 : CP_THREAD_ACP;
  int got = MultiByteToWideChar(codePage, 0, bytes, -1, out, capacity);
  if (got > 0) return true;
  // Too long: keep as much as fits.
  int needed = MultiByteToWideChar(codePage, 0, bytes, -1, nullptr, 0);
  if (needed <= 0) return false;
  wchar_t* whole = static_cast<wchar_t*>(
      HeapAlloc(GetProcessHeap(), 0, static_cast<SIZE_T>(needed) * sizeof(wchar_t)));
  if (!whole) return false;
  MultiByteToWideChar(codePage, 0, bytes, -1, whole, needed);
  wcsncpy(out, whole, capacity - 1);
  out[capacity - 1] = 0;
  HeapFree(GetProcessHeap(), 0, whole);
  return false;
}

// --- Routines given to FDI ----------------------------------------------------

void* DIAMONDAPI FdiAlloc(ULONG size) {
  return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size);
}

void DIAMONDAPI FdiFree(void* block) {
  if (block) HeapFree(GetProcessHeap(), 0, block);
}

INT_PTR DIAMONDAPI FdiOpen(char* name, int oflag, int /*pmode*/);

UINT DIAMONDAPI FdiRead(INT_PTR hf, void* buffer, UINT count) {
  CabFile* file = reinterpret_cast<CabFile*>(hf);
  DWORD got = 0;
  if (!ReadFile(file->handle, buffer, count, &got, nullptr)) return static_cast<UINT>(-1);
  return got;
}

UINT DIAMONDAPI FdiWrite(INT_PTR hf, void* buffer, UINT count) {
  CabFile* file = reinterpret_cast<CabFile*>(hf);
  if (file->discard) {
    file->count += count;
    return count;
  }
  DWORD put = 0;
  if (!WriteFile(file->handle, buffer, count, &put, nullptr) || put != count) {
    // A short write leaves no error of its own: the disk took no more.
    const DWORD error = ::GetLastError();
    if (!file->failure) file->failure = error ? error : ERROR_DISK_FULL;
    NoteOutputFailure(file);
    return static_cast<UINT>(-1);
  }
  file->written = true;
  return put;
}

int DIAMONDAPI FdiClose(INT_PTR hf) {
  CabFile* file = reinterpret_cast<CabFile*>(hf);
  if (file->discard) {
    HeapFree(GetProcessHeap(), 0, file);
    return 0;
  }
  const bool closed = CloseHandle(file->handle) != 0;
  if (!closed && file->written && !file->failure) {
    file->failure = ::GetLastError() ? ::GetLastError() : ERROR_WRITE_FAULT;
    NoteOutputFailure(file);
  }
  if (!file->existed)
    SHChangeNotify(SHCNE_CREATE, SHCNF_PATHW, file->path, nullptr);
  else if (file->written)
    SHChangeNotify(SHCNE_UPDATEITEM, SHCNF_PATHW, file->path, nullptr);
  HeapFree(GetProcessHeap(), 0, file);
  return closed ? 0 : -1;
}

// FDI sees the cabinet as starting at 0: the base is added to seeks from the
// beginning and taken off every position reported back.
LONG DIAMONDAPI FdiSeek(INT_PTR hf, LONG distance, int seekType) {
  CabFile* file = reinterpret_cast<CabFile*>(hf);
  if (file->discard) return -1;
  LARGE_INTEGER move;
  DWORD method = FILE_BEGIN;
  switch (seekType) {
    case SEEK_SET:
      move.QuadPart = static_cast<LONGLONG>(file->base) + distance;
      break;
    case SEEK_CUR:
      move.QuadPart = distance;
      method = FILE_CURRENT;
      break;
    case SEEK_END:
      move.QuadPart = distance;
      method = FILE_END;
      break;
    default:
      return -1;
  }
  LARGE_INTEGER position;
  if (!SetFilePointerEx(file->handle, move, &position, method)) return -1;
  const LONGLONG relative = position.QuadPart - static_cast<LONGLONG>(file->base);
  if (relative < 0 || relative > 0x7FFFFFFF) return -1;
  return static_cast<LONG>(relative);
}

INT_PTR OpenSink() {
  CabFile* file = static_cast<CabFile*>(FdiAlloc(sizeof(CabFile)));
  if (!file) return -1;
  file->handle = INVALID_HANDLE_VALUE;
  file->discard = true;
  return reinterpret_cast<INT_PTR>(file);
}

// A part of a member name that names a device wherever it stands.
bool HasDevicePart(const wchar_t* name) {
  wchar_t part[MAX_PATH];
  for (const wchar_t* start = name;;) {
    const wchar_t* end = start;
    while (*end && *end != L'\\' && *end != L'/') ++end;
    const size_t length = static_cast<size_t>(end - start);
    if (length > 0 && length < MAX_PATH) {
      wmemcpy(part, start, length);
      part[length] = 0;
      if (!vesmarin::MayNameDiskFile(part)) return true;
    }
    if (!*end) return false;
    start = end + 1;
  }
}

// Characters no file or folder name can hold (':' and the separators are
// the safe-name rule's).
// A forward slash is no separator of member names: the extraction creates
// folders at backslashes only, so "a/b.txt" has no place.
bool HasForbiddenCharacter(const wchar_t* name) {
  for (const wchar_t* c = name; *c; ++c)
    if (*c < 0x20 || wcschr(L"<>\"|?*/", *c)) return true;
  return false;
}

bool HasLongPart(const wchar_t* name) {
  size_t length = 0;
  for (const wchar_t* c = name; *c; ++c) {
    length = (*c == L'\\' || *c == L'/') ? 0 : length + 1;
    if (length > kMaxPathComponent) return true;
  }
  return false;
}

INT_PTR OpenCabFile(const wchar_t* path, int oflag, const wchar_t* cabPath,
                    uint64_t cabOffset) {
  DWORD access = GENERIC_READ;
  DWORD share = FILE_SHARE_READ;
  switch (oflag & (_O_RDONLY | _O_WRONLY | _O_RDWR)) {
    case _O_WRONLY:
      access = GENERIC_WRITE;
      share = FILE_SHARE_WRITE;
      break;
    case _O_RDWR:
      access = GENERIC_READ | GENERIC_WRITE;
      share = FILE_SHARE_READ | FILE_SHARE_WRITE;
      break;
  }
  DWORD creation = OPEN_EXISTING;
  if (oflag & _O_TRUNC)
    creation = (oflag & _O_CREAT) ? CREATE_ALWAYS : TRUNCATE_EXISTING;
  else if (oflag & _O_CREAT)
    creation = CREATE_ALWAYS;

  const size_t length = wcslen(path);
  CabFile* file = static_cast<CabFile*>(FdiAlloc(sizeof(CabFile)));
  if (!file || length >= MAX_PATH) {
    FdiFree(file);
    errno = EACCES;
    return -1;
  }
  wmemcpy(file->path, path, length + 1);
  file->handle = vesmarin::OpenDiskFile(path, access, share, creation);
  if (file->handle == INVALID_HANDLE_VALUE) {
    FdiFree(file);
    errno = EACCES;
    return -1;
  }
  // Only a create decides whether the file was there before; the others open
  // an existing one.
  file->existed = creation != CREATE_ALWAYS || GetLastError() == ERROR_ALREADY_EXISTS;
  if (cabPath && wcscmp(path, cabPath) == 0) {
    file->base = cabOffset;
    LARGE_INTEGER move;
    move.QuadPart = static_cast<LONGLONG>(cabOffset);
    if (!SetFilePointerEx(file->handle, move, nullptr, FILE_BEGIN)) {
      CloseHandle(file->handle);
      FdiFree(file);
      errno = EACCES;
      return -1;
    }
  }
  return reinterpret_cast<INT_PTR>(file);
}

}  // namespace

// Private access for FDI's routines and notifications.
struct CabDecoderAccess {
  static INT_PTR Open(char* name, int oflag) {
    wchar_t path[MAX_PATH];
    if (!Utf8ToWide(name, path, MAX_PATH)) {
      errno = EACCES;
      return -1;
    }
    const CCabDecoder* owner = t_activeDecoder;
    return OpenCabFile(path, oflag, owner ? owner->m_cabPath : nullptr,
                       owner ? owner->m_cabOffset : 0);
  }

  static INT_PTR Open(CCabDecoder* owner, const wchar_t* path, int oflag) {
    return OpenCabFile(path, oflag, owner->m_cabPath, owner->m_cabOffset);
  }

  // The output handed over for the member at hand, or INVALID_HANDLE_VALUE;
  // the decoder's from now on.
  static HANDLE TakeGivenOutput(CCabDecoder* decoder, bool* existed) {
    HANDLE given = decoder->m_givenOutput;
    *existed = decoder->m_givenExisted;
    decoder->m_givenOutput = INVALID_HANDLE_VALUE;
    return given;
  }

  static INT_PTR Adopt(HANDLE handle, const wchar_t* path, bool existed) {
    CabFile* file = static_cast<CabFile*>(FdiAlloc(sizeof(CabFile)));
    if (!file) {
      CloseHandle(handle);
      return -1;
    }
    file->handle = handle;
    file->existed = existed;
    lstrcpynW(file->path, path, MAX_PATH);
    return reinterpret_cast<INT_PTR>(file);
  }

  static bool FillItem(const CCabDecoder* decoder, const FDINOTIFICATION* note,
                       ArchiveItem* item) {
    item->nameWasUtf8 = (note->attribs & _A_NAME_IS_UTF) != 0;
    item->attributes = note->attribs & 0x27;
    if (!CabTimeToFileTime(note->date, note->time, decoder->m_useTimeZone,
                           decoder->m_biasHours, &item->time))
      item->time.dwLowDateTime = item->time.dwHighDateTime = 0;
    return DecodeName(note->psz1, item->nameWasUtf8, item->name, MAX_PATH);
  }

  static BOOL Copy(CCabDecoder* decoder, PFNFDINOTIFY notify) {
    char name[kUtf8PathBytes];
    char folder[kUtf8PathBytes];
    if (!WideToUtf8(decoder->m_cabName, name, kUtf8PathBytes) ||
        !WideToUtf8(decoder->m_cabFolder, folder, kUtf8PathBytes))
      return FALSE;
    ActiveDecoderScope scope(decoder);
    return cabinetdll::FDICopy(decoder->m_fdi, name, folder, 0, notify, nullptr, decoder);
  }

  static void NoteOutputFailure(const CabFile* file) {
    CCabDecoder* decoder = t_activeDecoder;
    if (!decoder || decoder->m_outputError) return;
    decoder->m_outputError = file->failure;
    lstrcpynW(decoder->m_outputErrorPath, file->path, MAX_PATH);
  }

  // Sets the member's time on the open output and closes it; false when
  // any of its bytes could not be written.
  static bool FinishOutput(INT_PTR hf, const FILETIME& time) {
    CabFile* file = reinterpret_cast<CabFile*>(hf);
    bool ok = file->failure == 0;
    if (time.dwLowDateTime || time.dwHighDateTime)
      ok = SetFileTime(file->handle, nullptr, nullptr, &time) != 0;
    return FdiClose(hf) == 0 && ok;
  }

  // A member that goes on in a next cabinet: this decoder reads one cabinet,
  // so the set is stopped at once (FDI would otherwise ask for the next one
  // again and again) and reads as a damaged cabinet.
  static INT_PTR RefuseNextCabinet(CCabDecoder* decoder) {
    decoder->m_neededNextCabinet = true;
    return -1;
  }

  static INT_PTR DIAMONDAPI ListNotify(FDINOTIFICATIONTYPE type, PFDINOTIFICATION note) {
    CCabDecoder* decoder = static_cast<CCabDecoder*>(note->pv);
    if (type == fdintNEXT_CABINET) return RefuseNextCabinet(decoder);
    if (type == fdintCOPY_FILE) {
      ArchiveItem item;
      FillItem(decoder, note, &item);
      decoder->m_items.push_back(item);
    }
    return 0;
  }

  static INT_PTR DIAMONDAPI ExtractFileNotify(FDINOTIFICATIONTYPE type,
                                              PFDINOTIFICATION note) {
    CCabDecoder* decoder = static_cast<CCabDecoder*>(note->pv);
    if (type == fdintNEXT_CABINET) return RefuseNextCabinet(decoder);
    if (type == fdintCOPY_FILE) {
      ArchiveItem item;
      if (!FillItem(decoder, note, &item) || !EqualsNoCase(item.name, decoder->m_targetName))
        return 0;
      decoder->m_current = item;
      return Open(decoder, decoder->m_targetPath, _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY);
    }
    if (type == fdintCLOSE_FILE_INFO) {
      if (!FinishOutput(note->hf, decoder->m_current.time)) return FALSE;
      decoder->m_targetMatched = true;
      return TRUE;
    }
    return 0;
  }

  // Every member into a sink: FDI reads, checks and decompresses its data
  // as for a real extraction.
  static INT_PTR DIAMONDAPI DecodeNotify(FDINOTIFICATIONTYPE type, PFDINOTIFICATION note) {
    CCabDecoder* decoder = static_cast<CCabDecoder*>(note->pv);
    switch (type) {
      case fdintCOPY_FILE:
        decoder->m_expectedSize = note->cb < 0 ? 0 : static_cast<uint64_t>(note->cb);
        return OpenSink();
      case fdintCLOSE_FILE_INFO: {
        // A member is whole when all its bytes came out.
        const bool whole = reinterpret_cast<CabFile*>(note->hf)->count == decoder->m_expectedSize;
        FdiClose(note->hf);
        if (!whole) {
          decoder->m_decodeFailed = true;
          return FALSE;
        }
        ++decoder->m_decoded;
        return TRUE;
      }
      case fdintPARTIAL_FILE:
      case fdintNEXT_CABINET:
        decoder->m_decodeFailed = true;
        return -1;
      default:
        return 0;
    }
  }

  static INT_PTR DIAMONDAPI ExtractAllNotify(FDINOTIFICATIONTYPE type,
                                             PFDINOTIFICATION note) {
    CCabDecoder* decoder = static_cast<CCabDecoder*>(note->pv);
    // Some FDI versions go on after a refused close notification: a stop
    // takes effect at the latest with the next member.
    if (decoder->m_afterWriteAborted || decoder->m_outputFailed) return -1;
    if (type == fdintNEXT_CABINET) return RefuseNextCabinet(decoder);
    if (type == fdintCOPY_FILE) return BeginMember(decoder, note);
    if (type == fdintCLOSE_FILE_INFO) {
      if (!FinishOutput(note->hf, decoder->m_current.time)) {
        decoder->m_outputFailed = true;
        return FALSE;
      }
      BOOL flag = TRUE;
      if (decoder->m_afterWrite &&
          !decoder->m_afterWrite(&flag, &decoder->m_current, decoder->m_currentPath,
                                 decoder->m_user)) {
        decoder->m_afterWriteAborted = true;
        return FALSE;
      }
      return TRUE;
    }
    return 0;
  }

  // One member of a full extraction: its destination, the callbacks and the
  // output file. -1 stops the extraction, 0 skips the member.
  static INT_PTR BeginMember(CCabDecoder* decoder, const FDINOTIFICATION* note) {
    ArchiveItem& item = decoder->m_current;
    wchar_t* destination = decoder->m_currentPath;
    destination[0] = 0;
    // A name that does not fit, names an absolute place or a device or
    // climbs out of the folder is never written anywhere.
    wchar_t combined[MAX_PATH] = {};
    if (!FillItem(decoder, note, &item) ||
        PlaceArchiveItem(decoder->m_extractFolder, item.name, combined) != ArchiveItemPlace::kInside) {
      decoder->m_outputFailed = true;
      return -1;
    }
    wmemcpy(destination, combined, MAX_PATH);
    if (decoder->m_itemCheck &&
        !decoder->m_itemCheck(&item, decoder->m_extractFolder, item.name, destination,
                              decoder->m_user))
      return -1;
    destination[MAX_PATH - 1] = 0;
    BOOL extract = TRUE;
    const BOOL goOn =
        !decoder->m_beforeWrite || decoder->m_beforeWrite(&extract, &item, destination,
                                                         decoder->m_user);
    bool existed = false;
    const HANDLE given = TakeGivenOutput(decoder, &existed);
    if (given != INVALID_HANDLE_VALUE && (!goOn || !extract)) CloseHandle(given);
    if (!goOn) return -1;
    if (!extract) return 0;

    wchar_t folder[MAX_PATH];
    wmemcpy(folder, destination, MAX_PATH);
    wchar_t* lastSlash = wcsrchr(folder, L'\\');
    if (lastSlash && lastSlash != folder) {
      *lastSlash = 0;
      if (given == INVALID_HANDLE_VALUE && !(lastSlash == folder + 2 && folder[1] == L':') &&
          wcscmp(folder, decoder->m_lastFolder) != 0 && !DirectoryExists(folder))
        CreateDirectoryTree(folder);
    }
    INT_PTR hf = given != INVALID_HANDLE_VALUE
                     ? Adopt(given, destination, existed)
                     : Open(decoder, destination, _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY);
    if (hf == -1) {
      decoder->m_outputFailed = true;
      decoder->m_lastFolder[0] = 0;
      return -1;
    }
    // The file is there, so its folder is too.
    wmemcpy(decoder->m_lastFolder, folder, MAX_PATH);
    return hf;
  }
};

namespace {

INT_PTR DIAMONDAPI FdiOpen(char* name, int oflag, int /*pmode*/) {
  return CabDecoderAccess::Open(name, oflag);
}

void NoteOutputFailure(const CabFile* file) { CabDecoderAccess::NoteOutputFailure(file); }

void* CreateFdi(ERF* error) {
  return cabinetdll::FDICreate(FdiAlloc, FdiFree, FdiOpen, FdiRead, FdiWrite, FdiClose, FdiSeek, cpu80386,
                   error);
}

}  // namespace

// --- Free functions -------------------------------------------------------------

bool CabTimeToFileTime(WORD dosDate, WORD dosTime, bool useTimeZone, int biasHours,
                       FILETIME* utc) {
  FILETIME stored;
  if (!DosDateTimeToFileTime(dosDate, dosTime, &stored)) return false;
  if (!useTimeZone) return LocalFileTimeToFileTime(&stored, utc) != 0;
  // The stored wall-clock time belongs to the zone UTC + bias: shift by the
  // bias alone, so neither this machine's zone nor its daylight saving enter.
  ULARGE_INTEGER value;
  value.LowPart = stored.dwLowDateTime;
  value.HighPart = stored.dwHighDateTime;
  const LONGLONG shift = static_cast<LONGLONG>(biasHours) * 3600LL * 10000000LL;
  const LONGLONG shifted = static_cast<LONGLONG>(value.QuadPart) - shift;
  if (shifted < 0) return false;
  value.QuadPart = static_cast<ULONGLONG>(shifted);
  utc->dwLowDateTime = value.LowPart;
  utc->dwHighDateTime = value.HighPart;
  return true;
}

bool IsSafeArchiveItemName(const wchar_t* name) {
  if (!name || !*name) return false;
  if (name[0] == L'\\' || name[0] == L'/') return false;
  if (wcschr(name, L':')) return false;
  const wchar_t* part = name;
  for (;;) {
    const wchar_t* end = part;
    int dots = 0;
    bool onlyDotsAndBlanks = true;
    while (*end && *end != L'\\' && *end != L'/') {
      if (*end == L'.')
        ++dots;
      else if (*end != L' ')
        onlyDotsAndBlanks = false;
      ++end;
    }
    // "..", and forms the file system trims to it (".. ", "...").
    if (end > part && onlyDotsAndBlanks && dots >= 2) return false;
    if (!*end) break;
    part = end + 1;
  }
  return true;
}

const wchar_t kShortestExtractFolder[] = L"C:\\";

ArchiveItemPlace PlaceArchiveItem(const wchar_t* folder, const wchar_t* name,
                                  wchar_t* combined) {
  if (!folder || !IsSafeArchiveItemName(name) || HasForbiddenCharacter(name) || HasDevicePart(name))
    return ArchiveItemPlace::kUnsafe;
  wchar_t joined[MAX_PATH] = {};
  if (HasLongPart(name) || wcslen(folder) + wcslen(name) >= MAX_PATH ||
      !CombinePath(joined, folder, name))
    return ArchiveItemPlace::kTooLong;
  if (!IsPathInsideFolder(folder, joined)) return ArchiveItemPlace::kUnsafe;
  if (combined) wmemcpy(combined, joined, MAX_PATH);
  return ArchiveItemPlace::kInside;
}

bool IsPathInsideFolder(const wchar_t* folder, const wchar_t* path) {
  if (!folder || !path || !*folder || !*path) return false;
  const DWORD capacity = 2 * MAX_PATH;
  wchar_t fullFolder[capacity];
  wchar_t fullPath[capacity];
  DWORD folderLength = GetFullPathNameW(folder, capacity, fullFolder, nullptr);
  DWORD pathLength = GetFullPathNameW(path, capacity, fullPath, nullptr);
  if (folderLength == 0 || folderLength >= capacity || pathLength == 0 ||
      pathLength >= capacity)
    return false;
  while (folderLength > 0 && fullFolder[folderLength - 1] == L'\\') --folderLength;
  if (folderLength == 0 || pathLength <= folderLength + 1) return false;
  if (fullPath[folderLength] != L'\\') return false;
  return EqualsNoCase(fullFolder, static_cast<int>(folderLength), fullPath,
                      static_cast<int>(folderLength));
}

// --- CCabDecoder --------------------------------------------------------------------

CCabDecoder::CCabDecoder(bool useTimeZone, int biasHours)
    : m_fdi(nullptr),
      m_error(),
      m_cursor(0),
      m_targetMatched(false),
      m_beforeWrite(nullptr),
      m_afterWrite(nullptr),
      m_itemCheck(nullptr),
      m_user(nullptr),
      m_afterWriteAborted(false),
      m_outputFailed(false),
      m_useTimeZone(useTimeZone),
      m_biasHours(useTimeZone ? biasHours : 0),
      m_errorSubstituted(false),
      m_cabOffset(0),
      m_current(),
      m_decoded(0),
      m_expectedSize(0),
      m_decodeFailed(false),
      m_givenOutput(INVALID_HANDLE_VALUE),
      m_givenExisted(false),
      m_outputError(0),
      m_neededNextCabinet(false) {
  m_outputErrorPath[0] = 0;
  m_cabFolder[0] = m_cabName[0] = m_targetName[0] = m_targetPath[0] = 0;
  m_extractFolder[0] = m_cabPath[0] = m_currentPath[0] = m_lastFolder[0] = 0;
}

CCabDecoder::~CCabDecoder() { Close(); }

bool CCabDecoder::IsArchive(const wchar_t* path) {
  if (!path || !*path) return false;
  ERF error = {};
  void* fdi = CreateFdi(&error);
  if (!fdi) return false;
  bool cabinet = false;
  INT_PTR hf = CabDecoderAccess::Open(this, path, _O_RDONLY | _O_BINARY);
  if (hf != -1) {
    FDICABINETINFO info = {};
    cabinet = cabinetdll::FDIIsCabinet(fdi, hf, &info) != FALSE;
    // Files with no folder to hold their data: a damaged header, whatever
    // the library would list from it.
    if (cabinet && info.cFolders == 0 && info.cFiles > 0) cabinet = false;
    FdiClose(hf);
  }
  cabinetdll::FDIDestroy(fdi);
  return cabinet;
}

bool CCabDecoder::Open(const wchar_t* path, uint64_t offset) {
  if (m_fdi) Close();
  m_items.clear();
  m_cursor = 0;
  if (!path || !*path || wcslen(path) >= MAX_PATH) return false;
  wcscpy(m_cabPath, path);
  m_cabOffset = offset;
  m_neededNextCabinet = false;
  if (!IsArchive(path)) return false;
  const wchar_t* name = FindFileNamePart(path);
  if (!GetFolderPart(path, m_cabFolder, MAX_PATH)) return false;
  wcscpy(m_cabName, name);
  m_fdi = CreateFdi(&m_error);
  if (!m_fdi) return false;
  if (!CabDecoderAccess::Copy(this, CabDecoderAccess::ListNotify)) {
    cabinetdll::FDIDestroy(m_fdi);
    m_fdi = nullptr;
    m_items.clear();
    m_cabFolder[0] = m_cabName[0] = 0;
    return false;
  }
  return true;
}

int CCabDecoder::Close() {
  if (!m_fdi) return 0;
  m_items.clear();
  m_cursor = 0;
  m_cabFolder[0] = m_cabName[0] = 0;
  int result = cabinetdll::FDIDestroy(m_fdi);
  m_fdi = nullptr;
  return result;
}

int CCabDecoder::FindFirst(ArchiveItem* item) {
  m_cursor = 0;
  return FindNext(item);
}

int CCabDecoder::FindNext(ArchiveItem* item) {
  if (!item || m_cursor >= m_items.size()) return 0;
  *item = m_items[m_cursor++];
  return 1;
}

bool CCabDecoder::ExtractFile(const wchar_t* itemName, const wchar_t* destinationPath) {
  if (!m_fdi || !IsSafeArchiveItemName(itemName) || !destinationPath ||
      wcslen(itemName) >= MAX_PATH || wcslen(destinationPath) >= MAX_PATH)
    return false;
  wcscpy(m_targetName, itemName);
  wcscpy(m_targetPath, destinationPath);
  m_targetMatched = false;
  m_outputError = 0;
  m_outputErrorPath[0] = 0;
  m_neededNextCabinet = false;
  const BOOL copied = CabDecoderAccess::Copy(this, CabDecoderAccess::ExtractFileNotify);
  return copied && m_targetMatched;
}

bool CCabDecoder::ExtractAll(const wchar_t* folder, ArchiveBeforeWriteProc beforeWrite,
                             ArchiveAfterWriteProc afterWrite, ArchiveItemCheckProc itemCheck,
                             void* user) {
  if (!m_fdi || !folder || !*folder || wcslen(folder) >= MAX_PATH) return false;
  wcscpy(m_extractFolder, folder);
  m_beforeWrite = beforeWrite;
  m_afterWrite = afterWrite;
  m_itemCheck = itemCheck;
  m_user = user;
  m_afterWriteAborted = false;
  m_outputFailed = false;
  m_errorSubstituted = false;
  m_lastFolder[0] = 0;
  m_outputError = 0;
  m_outputErrorPath[0] = 0;
  m_neededNextCabinet = false;
  const BOOL copied = CabDecoderAccess::Copy(this, CabDecoderAccess::ExtractAllNotify);
  WriteMemberInto(INVALID_HANDLE_VALUE, false);
  // Whatever FDI made of it, a write that failed ends the extraction.
  if (m_outputError) m_outputFailed = true;
  if (copied && !m_afterWriteAborted && !m_outputFailed && !m_neededNextCabinet) return true;
  if (m_neededNextCabinet) {
    m_error.erfOper = FDIERROR_CORRUPT_CABINET;
    m_error.fError = TRUE;
    m_errorSubstituted = true;
    return false;
  }
  // A stop by the item check or the before-write callback reads as a target
  // file failure; a stop after a write as the user's abort.
  if (!copied && m_error.fError && m_error.erfOper == FDIERROR_USER_ABORT) {
    m_error.erfOper = FDIERROR_TARGET_FILE;
    m_errorSubstituted = true;
  }
  if (m_afterWriteAborted) {
    m_error.erfOper = FDIERROR_USER_ABORT;
    m_error.fError = TRUE;
    m_errorSubstituted = true;
  } else if (m_outputFailed) {
    m_error.erfOper = FDIERROR_TARGET_FILE;
    m_error.fError = TRUE;
    m_errorSubstituted = true;
  }
  return false;
}

HGLOBAL CCabDecoder::ExtractToMemory(const wchar_t* itemName, DWORD* size) {
  if (size) *size = 0;
  // Only a listed member is worth the retries below.
  if (!m_fdi || !IsSafeArchiveItemName(itemName) || !Contains(itemName)) return nullptr;
  wchar_t folder[MAX_PATH];
  wchar_t temporary[MAX_PATH];
  DWORD folderLength = GetTempPathW(MAX_PATH, folder);
  if (folderLength == 0 || folderLength >= MAX_PATH ||
      !GetTempFileNameW(folder, L"cab", 0, temporary))
    return nullptr;

  const int kAttempts = 5;
  bool extracted = false;
  for (int attempt = 0; attempt < kAttempts && !extracted; ++attempt) {
    if (attempt) Sleep(1000);
    extracted = ExtractFile(itemName, temporary);
  }
  HGLOBAL block = nullptr;
  DWORD blockSize = 0;
  if (extracted) {
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < kAttempts && file == INVALID_HANDLE_VALUE; ++attempt) {
      if (attempt) Sleep(1000);
      file = CreateFileW(temporary, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    if (file != INVALID_HANDLE_VALUE) {
      LARGE_INTEGER length;
      if (GetFileSizeEx(file, &length) && length.QuadPart > 0 && length.HighPart == 0) {
        blockSize = length.LowPart;
        block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, blockSize);
        void* bytes = block ? GlobalLock(block) : nullptr;
        DWORD got = 0;
        const bool read = bytes && ReadFile(file, bytes, blockSize, &got, nullptr) &&
                          got == blockSize;
        if (bytes) GlobalUnlock(block);
        if (!read && block) {
          GlobalFree(block);
          block = nullptr;
        }
      }
      CloseHandle(file);
    }
  }
  DeleteFileW(temporary);
  if (block && size) *size = blockSize;
  return block;
}

bool CCabDecoder::Contains(const wchar_t* itemName) {
  if (!itemName) return false;
  for (const ArchiveItem& item : m_items)
    if (EqualsNoCase(item.name, itemName)) return true;
  return false;
}

bool CCabDecoder::DecodeAll(ArchiveItem* failed) {
  if (failed) *failed = ArchiveItem();
  if (!m_fdi) return false;
  m_decoded = 0;
  m_decodeFailed = false;
  const BOOL copied = CabDecoderAccess::Copy(this, CabDecoderAccess::DecodeNotify);
  if (copied && !m_decodeFailed && m_decoded == m_items.size()) return true;
  // FDI goes through the members in the listing's order.
  if (failed && m_decoded < m_items.size()) *failed = m_items[m_decoded];
  return false;
}

int CCabDecoder::GetItemCount() { return static_cast<int>(m_items.size()); }

void CCabDecoder::WriteMemberInto(HANDLE file, bool existed) {
  if (m_givenOutput != INVALID_HANDLE_VALUE) CloseHandle(m_givenOutput);
  m_givenOutput = file;
  m_givenExisted = existed;
}

ERF CCabDecoder::GetLastError() { return m_error; }

DWORD CCabDecoder::GetOutputFailure(wchar_t* path) const {
  if (path) lstrcpynW(path, m_outputError ? m_outputErrorPath : L"", MAX_PATH);
  return m_outputError;
}
