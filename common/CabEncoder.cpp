#include "CabEncoder.h"

#include <fcntl.h>
#include <shlobj.h>
#include <sys/stat.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cwchar>

#include "CabinetLibrary.h"
#include "DiskFile.h"
#include "FileIO.h"
#include "FileSystem.h"
#include "PathPieces.h"
#include "TextUtil.h"

namespace {

const int kUtf8PathBytes = MAX_PATH * 3 + 1;
const ULONGLONG kMissing = ~0ULL;
// Record sizes of the format: header, folder, file (before its name) and
// data block (before its data).
const ULONGLONG kHeaderBytes = 36;
const ULONGLONG kFolderRecordBytes = 8;
const ULONGLONG kFileRecordBytes = 16;
const ULONGLONG kDataRecordBytes = 8;
// Room the library keeps below its maximum size for a next cabinet's name
// and disk (256 bytes each), with some to spare.
const ULONGLONG kLibraryReserve = 1024;

size_t Utf8Length(const std::wstring& text) {
  if (text.empty()) return 0;
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                        nullptr, 0, nullptr, nullptr);
  return bytes > 0 ? static_cast<size_t>(bytes) : ~static_cast<size_t>(0);
}

void CabEncoderNoteSystemError(void* context, DWORD code);

int DIAMONDAPI FilePlaced(PCCAB, char*, LONG, BOOL, void*) { return 0; }

void* DIAMONDAPI FciAlloc(ULONG size) {
  return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size);
}

void DIAMONDAPI FciFree(void* block) {
  if (block) HeapFree(GetProcessHeap(), 0, block);
}

// The file routines work on the system's handles and report to FCI the
// runtime's error number for the system's error (as the runtime's own file
// functions would), keeping the system's error code for the caller's
// message.
int ErrnoFor(DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_NO_MORE_FILES:
      return ENOENT;
    case ERROR_TOO_MANY_OPEN_FILES:
      return EMFILE;
    case ERROR_INVALID_HANDLE:
      return EBADF;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return ENOMEM;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_CURRENT_DIRECTORY:
    case ERROR_WRITE_PROTECT:
    case ERROR_NETWORK_ACCESS_DENIED:
      return EACCES;
    default:
      return EINVAL;
  }
}

void NoteFailure(int* err, void* context) {
  const DWORD code = GetLastError();
  *err = ErrnoFor(code);
  CabEncoderNoteSystemError(context, code);
}

HANDLE AsHandle(INT_PTR hf) { return reinterpret_cast<HANDLE>(hf); }

// FCI asks with the runtime's open flags and permission mode.
INT_PTR DIAMONDAPI FciOpen(char* name, int oflag, int pmode, int* err, void* context) {
  wchar_t path[MAX_PATH];
  if (!Utf8ToWide(name, path, MAX_PATH)) {
    *err = ENOENT;
    return -1;
  }
  DWORD access = GENERIC_READ;
  if (oflag & _O_WRONLY) access = GENERIC_WRITE;
  if (oflag & _O_RDWR) access = GENERIC_READ | GENERIC_WRITE;
  DWORD disposition = OPEN_EXISTING;
  if ((oflag & (_O_CREAT | _O_EXCL)) == (_O_CREAT | _O_EXCL))
    disposition = CREATE_NEW;
  else if ((oflag & (_O_CREAT | _O_TRUNC)) == (_O_CREAT | _O_TRUNC))
    disposition = CREATE_ALWAYS;
  else if (oflag & _O_CREAT)
    disposition = OPEN_ALWAYS;
  else if (oflag & _O_TRUNC)
    disposition = TRUNCATE_EXISTING;
  DWORD flags = FILE_ATTRIBUTE_NORMAL;
  if ((oflag & _O_CREAT) && !(pmode & _S_IWRITE)) flags = FILE_ATTRIBUTE_READONLY;
  if (oflag & _O_TEMPORARY) flags |= FILE_FLAG_DELETE_ON_CLOSE;
  if (oflag & _O_SEQUENTIAL) flags |= FILE_FLAG_SEQUENTIAL_SCAN;
  if (oflag & _O_RANDOM) flags |= FILE_FLAG_RANDOM_ACCESS;
  SetLastError(0);
  HANDLE file = CreateFileW(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            disposition, flags, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    NoteFailure(err, context);
    return -1;
  }
  if (oflag & _O_APPEND) SetFilePointer(file, 0, nullptr, FILE_END);
  return reinterpret_cast<INT_PTR>(file);
}

UINT DIAMONDAPI FciRead(INT_PTR hf, void* buffer, UINT count, int* err, void* context) {
  DWORD got = 0;
  SetLastError(0);
  if (ReadFile(AsHandle(hf), buffer, count, &got, nullptr)) return got;
  if (GetLastError() == ERROR_BROKEN_PIPE) return 0;
  NoteFailure(err, context);
  return static_cast<UINT>(-1);
}

// A disk that fills cuts a write short; carried on, the next write fails
// with the system's reason.
UINT DIAMONDAPI FciWrite(INT_PTR hf, void* buffer, UINT count, int* err, void* context) {
  const char* bytes = static_cast<const char*>(buffer);
  UINT done = 0;
  while (done < count) {
    DWORD put = 0;
    SetLastError(0);
    if (!WriteFile(AsHandle(hf), bytes + done, count - done, &put, nullptr) || put == 0) {
      const DWORD code = GetLastError() ? GetLastError() : ERROR_WRITE_FAULT;
      *err = code == ERROR_DISK_FULL || code == ERROR_HANDLE_DISK_FULL ? ENOSPC : EIO;
      CabEncoderNoteSystemError(context, code);
      return static_cast<UINT>(-1);
    }
    done += put;
  }
  return count;
}

int DIAMONDAPI FciClose(INT_PTR hf, int* err, void* context) {
  SetLastError(0);
  if (CloseHandle(AsHandle(hf))) return 0;
  NoteFailure(err, context);
  return -1;
}

// The new position's low 32 bits, as the runtime's 32-bit seek answers.
LONG DIAMONDAPI FciSeek(INT_PTR hf, LONG distance, int seekType, int* err, void* context) {
  if (seekType != SEEK_SET && seekType != SEEK_CUR && seekType != SEEK_END) {
    *err = EINVAL;
    return -1;
  }
  LARGE_INTEGER move, at;
  move.QuadPart = distance;
  SetLastError(0);
  if (!SetFilePointerEx(AsHandle(hf), move, &at,
                        seekType == SEEK_SET ? FILE_BEGIN
                                             : seekType == SEEK_CUR ? FILE_CURRENT : FILE_END)) {
    NoteFailure(err, context);
    return -1;
  }
  return static_cast<LONG>(at.QuadPart);
}

int DIAMONDAPI FciDelete(char* name, int* err, void* context) {
  wchar_t path[MAX_PATH];
  if (!Utf8ToWide(name, path, MAX_PATH)) {
    *err = ENOENT;
    return -1;
  }
  SetLastError(0);
  if (DeleteFileW(path)) return 0;
  NoteFailure(err, context);
  return -1;
}

BOOL DIAMONDAPI GetNextCabinet(PCCAB cab, ULONG, void* context);

}  // namespace

struct CabEncoderAccess {
  static BOOL DIAMONDAPI GetTempFile(char* name, int capacity, void* context) {
    // The process id and a counter make the name; the C library's temporary
    // names can hand one name to two processes that build at the same time.
    CCabEncoder* encoder = static_cast<CCabEncoder*>(context);
    static LONG counter = 0;
    wchar_t folder[MAX_PATH];
    DWORD length = GetTempPathW(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH - 32) return FALSE;
    wchar_t temporary[MAX_PATH];
    for (int attempt = 0; attempt < 1000; ++attempt) {
      swprintf(temporary, MAX_PATH, L"%lsvsc%lx-%lx.tmp", folder, GetCurrentProcessId(),
               static_cast<unsigned long>(InterlockedIncrement(&counter)));
      if (GetFileAttributesW(temporary) != INVALID_FILE_ATTRIBUTES) continue;
      if (!WideToUtf8(temporary, name, capacity)) return FALSE;
      encoder->m_temporaryFiles.push_back(temporary);
      return TRUE;
    }
    return FALSE;
  }

  static INT_PTR DIAMONDAPI GetOpenInfo(char* name, USHORT* date, USHORT* time,
                                        USHORT* attributes, int* err, void* context) {
    CCabEncoder* encoder = static_cast<CCabEncoder*>(context);
    wchar_t path[MAX_PATH];
    if (!Utf8ToWide(name, path, MAX_PATH)) {
      *err = ENOENT;
      return -1;
    }
    // Opened once: the time, attributes and size stored are those of the
    // very file FCI then reads through this handle.
    HANDLE file = vesmarin::OpenDiskFile(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING,
                                         FILE_FLAG_SEQUENTIAL_SCAN);
    if (file == INVALID_HANDLE_VALUE) {
      encoder->m_systemError = GetLastError();
      *err = ENOENT;
      return -1;
    }
    BY_HANDLE_FILE_INFORMATION info;
    FILETIME local;
    if (!GetFileInformationByHandle(file, &info) ||
        !FileTimeToLocalFileTime(&info.ftLastWriteTime, &local)) {
      encoder->m_systemError = GetLastError();
      CloseHandle(file);
      *err = EACCES;
      return -1;
    }
    // DOS times start in 1980: an older file is stored with that first day.
    if (!FileTimeToDosDateTime(&local, date, time)) {
      *date = (1 << 5) | 1;
      *time = 0;
    }
    *attributes = static_cast<USHORT>((info.dwFileAttributes & 0x27) | _A_NAME_IS_UTF);
    encoder->m_currentSize =
        (static_cast<ULONGLONG>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    wcscpy(encoder->m_currentName, path);
    return reinterpret_cast<INT_PTR>(file);
  }

  static LONG DIAMONDAPI Status(UINT type, ULONG compressed, ULONG uncompressed,
                                void* context) {
    CCabEncoder* encoder = static_cast<CCabEncoder*>(context);
    if (type != statusFile) return 0;
    encoder->m_totalCompressed += compressed;
    encoder->m_totalUncompressed += uncompressed;
    // Stop before the library writes a cabinet its 32-bit fields cannot
    // describe (near that size it would also start asking for a next one).
    encoder->m_cabinetBytes += kDataRecordBytes + compressed;
    if (encoder->m_cabinetBytes > kCabMaxCabinetBytes - kLibraryReserve) {
      encoder->m_limit = CabLimit::kCabinetSize;
      return -1;
    }
    if (encoder->m_progress &&
        !encoder->m_progress(encoder->m_currentName, encoder->m_totalUncompressed,
                             encoder->m_currentSize, encoder->m_user))
      return -1;
    return 0;
  }

  static bool FillCcab(const CCabEncoder* encoder, CCAB* cab) {
    return WideToUtf8(encoder->m_cabName, cab->szCab, sizeof(cab->szCab));
  }

  static void Fail(CCabEncoder* encoder) {
    if (encoder->m_fci) cabinetdll::FCIDestroy(encoder->m_fci);
    encoder->m_fci = nullptr;
  }

  static void RemoveTemporaryFiles(CCabEncoder* encoder) {
    for (const std::wstring& path : encoder->m_temporaryFiles)
      if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES)
        DeleteFileW(path.c_str());
    encoder->m_temporaryFiles.clear();
  }

  static bool Create(CCabEncoder* encoder, const wchar_t* cabinetPath, bool libraryWritesLzx);
  static bool AddAll(CCabEncoder* encoder, bool libraryWritesLzx);
  static bool Refuse(CCabEncoder* encoder, CabLimit limit, size_t entry = 0);
  static void NoteSystemError(CCabEncoder* encoder, DWORD code) { encoder->m_systemError = code; }
  // Writes with one compression for every file, whatever the library does.
  static bool CreateWith(CCabEncoder* encoder, const wchar_t* cabinetPath, TCOMP compression);
};

namespace {

void CabEncoderNoteSystemError(void* context, DWORD code) {
  if (context) CabEncoderAccess::NoteSystemError(static_cast<CCabEncoder*>(context), code);
}

}  // namespace

namespace {

BOOL DIAMONDAPI GetNextCabinet(PCCAB cab, ULONG, void* context) {
  CabEncoderAccess::FillCcab(static_cast<CCabEncoder*>(context), cab);
  return TRUE;
}

}  // namespace

TCOMP ChooseCabCompression(size_t count, ULONGLONG firstSize, bool libraryWritesLzx) {
  if (count == 1 && firstSize >= 7 && firstSize <= 9) return kCabCompressMszip;
  return libraryWritesLzx ? kCabCompressLzx21 : kCabCompressMszip;
}

int FirstFolderCompression(const unsigned char* bytes, size_t size) {
  const size_t kHeader = 36;
  const size_t kFolder = 8;
  if (!bytes || size < kHeader || bytes[0] != 'M' || bytes[1] != 'S' || bytes[2] != 'C' ||
      bytes[3] != 'F')
    return -1;
  const unsigned folders = bytes[26] | (bytes[27] << 8);
  const unsigned flags = bytes[30] | (bytes[31] << 8);
  if (folders == 0) return -1;
  size_t at = kHeader;
  if (flags & 0x0004) {  // reserved areas: header size, folder and data reserve
    if (size < at + 4) return -1;
    at += 4 + (bytes[at] | (bytes[at + 1] << 8));
  }
  // Names of a previous and of a next cabinet, each a name and a disk.
  const int texts = ((flags & 0x0001) ? 2 : 0) + ((flags & 0x0002) ? 2 : 0);
  for (int i = 0; i < texts; ++i) {
    while (at < size && bytes[at]) ++at;
    ++at;
  }
  if (at > size || size - at < kFolder) return -1;
  return bytes[at + 6] | (bytes[at + 7] << 8);
}

bool ProbeShowsLzx(const unsigned char* bytes, size_t size) {
  const int compression = FirstFolderCompression(bytes, size);
  return compression >= 0 && (compression & tcompMASK_TYPE) == tcompTYPE_LZX;
}

namespace {

// 0 not yet known, 1 the library writes LZX, 2 it does not.
volatile LONG g_libraryLzx = 0;

std::wstring TemporaryName(const wchar_t* prefix) {
  wchar_t folder[MAX_PATH];
  wchar_t name[MAX_PATH];
  const DWORD length = GetTempPathW(MAX_PATH, folder);
  if (length == 0 || length > MAX_PATH - 14 || !GetTempFileNameW(folder, prefix, 0, name))
    return std::wstring();
  return name;
}

// Asks the library for an LZX cabinet of one small file and reads back what
// its folder record says. -1 when no cabinet came out.
int ProbeLibrary() {
  const std::wstring source = TemporaryName(L"vsp");
  if (source.empty()) return -1;
  const std::wstring cabinet = TemporaryName(L"vsp");
  int result = -1;
  if (!cabinet.empty()) {
    static const char kText[] =
        "The cabinet library is asked for LZX; its folder record says what it wrote.\r\n";
    std::vector<uint8_t> bytes;
    if (WriteWholeFile(source.c_str(), kText, sizeof kText - 1)) {
      CCabEncoder probe;
      probe.AddFile(source.c_str(), L"probe.txt");
      if (CabEncoderAccess::CreateWith(&probe, cabinet.c_str(), kCabCompressLzx21) &&
          ReadWholeFile(cabinet.c_str(), 1 << 16, &bytes) == FileReadResult::kRead)
        result = ProbeShowsLzx(bytes.data(), bytes.size()) ? 1 : 2;
    }
    DeleteFileW(cabinet.c_str());
  }
  DeleteFileW(source.c_str());
  return result;
}

}  // namespace

bool CabinetLibraryWritesLzx() {
  LONG known = g_libraryLzx;
  if (known == 0) {
    const int probed = ProbeLibrary();
    if (probed < 0) return false;
    InterlockedExchange(&g_libraryLzx, probed);
    known = probed;
  }
  return known == 1;
}

bool CabNameFits(const std::wstring& name) { return Utf8Length(name) <= kCabMaxNameBytes; }

bool CabEncoderAccess::Refuse(CCabEncoder* encoder, CabLimit limit, size_t entry) {
  encoder->m_limit = limit;
  encoder->m_limitEntry = entry;
  encoder->m_error.erfOper = kCabErrorFormatLimit;
  encoder->m_error.erfType = 0;
  encoder->m_error.fError = TRUE;
  return false;
}

bool CCabEncoder::CheckLimits() {
  m_error = ERF();
  m_failedSource.clear();
  m_systemError = 0;
  m_limit = CabLimit::kNone;
  m_limitEntry = 0;
  m_checked = false;
  // One query by name per source: far cheaper than a directory search where
  // the system has to list the folder. The sizes serve the writing too.
  const size_t count = m_sources.size();
  m_sizes.assign(count, kMissing);
  m_presentCount = 0;
  DWORD firstMissingError = 0;
  size_t firstMissing = count;
  for (size_t i = 0; i < count; ++i) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(m_sources[i].c_str(), GetFileExInfoStandard, &data)) {
      const DWORD code = ::GetLastError();
      // Only a source that is not there is left out; one that is there but
      // cannot be asked about (under Wine a pipe, a socket or a device) is
      // no file to pack, and is named.
      if (code != ERROR_FILE_NOT_FOUND && code != ERROR_PATH_NOT_FOUND) {
        m_failedSource = m_sources[i];
        m_systemError = code;
        m_error.erfOper = FCIERR_OPEN_SRC;
        m_error.erfType = ErrnoFor(code);
        m_error.fError = TRUE;
        return false;
      }
      if (firstMissing == count) {
        firstMissing = i;
        firstMissingError = code;
      }
      continue;
    }
    m_sizes[i] = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    ++m_presentCount;
  }
  if (m_presentCount == 0) {
    // A cabinet without members is no archive; the first missing file says
    // why there is none.
    if (count) {
      m_failedSource = m_sources[firstMissing];
      m_systemError = firstMissingError ? firstMissingError : ERROR_FILE_NOT_FOUND;
      m_error.erfOper = FCIERR_OPEN_SRC;
      m_error.erfType = ENOENT;
      m_error.fError = TRUE;
    }
    return false;
  }
  if (m_presentCount > kCabMaxFiles) return CabEncoderAccess::Refuse(this, CabLimit::kFileCount);
  for (size_t i = 0; i < count; ++i) {
    if (m_sizes[i] == kMissing) continue;
    if (!CabNameFits(m_names[i])) return CabEncoderAccess::Refuse(this, CabLimit::kNameLength, i);
    if (m_sizes[i] > kCabMaxFileBytes)
      return CabEncoderAccess::Refuse(this, CabLimit::kFileSize, i);
  }
  m_checked = true;
  return true;
}

bool CabEncoderAccess::AddAll(CCabEncoder* encoder, bool libraryWritesLzx) {
  const size_t count = encoder->m_sources.size();
  encoder->m_cabinetBytes = kHeaderBytes + kFolderRecordBytes;
  ULONGLONG folderBlocks = 0;
  bool first = true;
  for (size_t i = 0; i < count; ++i) {
    if (i == 0 && !cabinetdll::FCIFlushFolder(encoder->m_fci, GetNextCabinet, Status))
      return false;
    // A missing source is left out.
    const ULONGLONG size = encoder->m_sizes[i];
    if (size == kMissing) continue;
    // Every file goes into the one folder until the next one would take it
    // past the folder's block count (blocks may span files: this counts
    // each file's own blocks, which is never fewer).
    const ULONGLONG blocks = (size + kCabBlockBytes - 1) / kCabBlockBytes;
    if (!first && folderBlocks + blocks > kCabMaxFolderBlocks) {
      if (!cabinetdll::FCIFlushFolder(encoder->m_fci, GetNextCabinet, Status)) return false;
      encoder->m_cabinetBytes += kFolderRecordBytes;
      folderBlocks = 0;
    }
    folderBlocks += blocks;
    first = false;
    const std::wstring& source = encoder->m_sources[i];
    const TCOMP compression = encoder->m_forcedCompression
                                  ? encoder->m_forcedCompression
                                  : ChooseCabCompression(count, size, libraryWritesLzx);
    char sourceUtf8[kUtf8PathBytes];
    char nameUtf8[kUtf8PathBytes];
    encoder->m_failedSource = source;
    if (!WideToUtf8(source.c_str(), sourceUtf8, kUtf8PathBytes) ||
        !WideToUtf8(encoder->m_names[i].c_str(), nameUtf8, kUtf8PathBytes)) {
      encoder->m_error.erfOper = FCIERR_OPEN_SRC;
      encoder->m_error.erfType = ENOENT;
      encoder->m_error.fError = TRUE;
      encoder->m_systemError = ERROR_FILENAME_EXCED_RANGE;
      return false;
    }
    encoder->m_cabinetBytes += kFileRecordBytes + strlen(nameUtf8) + 1;
    if (!cabinetdll::FCIAddFile(encoder->m_fci, sourceUtf8, nameUtf8, FALSE, GetNextCabinet,
                                Status, GetOpenInfo, compression))
      return false;
    encoder->m_failedSource.clear();
  }
  return true;
}

bool CabEncoderAccess::Create(CCabEncoder* encoder, const wchar_t* cabinetPath,
                              bool libraryWritesLzx) {
  if (!GetFolderPart(cabinetPath, encoder->m_cabFolder, MAX_PATH - 1)) return false;
  size_t folderLength = wcslen(encoder->m_cabFolder);
  if (folderLength && encoder->m_cabFolder[folderLength - 1] != L'\\') {
    encoder->m_cabFolder[folderLength] = L'\\';
    encoder->m_cabFolder[folderLength + 1] = 0;
  }
  const wchar_t* name = FindFileNamePart(cabinetPath);
  if (!name || !*name || wcslen(name) >= MAX_PATH) return false;
  wcscpy(encoder->m_cabName, name);
  encoder->m_totalCompressed = 0;
  encoder->m_totalUncompressed = 0;

  CCAB cab = {};
  cab.cb = 0xFFFFFFFF;
  cab.cbFolderThresh = 0xFFFFFFFF;
  cab.iCab = 1;
  cab.iDisk = 0;
  cab.fFailOnIncompressible = 0;
  cab.setID = 12345;
  if (!FillCcab(encoder, &cab) ||
      !WideToUtf8(encoder->m_cabFolder, cab.szCabPath, sizeof(cab.szCabPath)))
    return false;

  encoder->m_fci = cabinetdll::FCICreate(&encoder->m_error, FilePlaced, FciAlloc, FciFree,
                                         FciOpen, FciRead, FciWrite, FciClose, FciSeek,
                                         FciDelete, GetTempFile, &cab, encoder);
  if (!encoder->m_fci) return false;

  if (!AddAll(encoder, libraryWritesLzx)) {
    Fail(encoder);
    return false;
  }
  // One cabinet only: asked for a next one, the library may mark this one as
  // continued in a cabinet that names itself, and readers then loop on it.
  if (!cabinetdll::FCIFlushCabinet(encoder->m_fci, FALSE, GetNextCabinet, Status)) {
    Fail(encoder);
    return false;
  }
  const BOOL destroyed = cabinetdll::FCIDestroy(encoder->m_fci);
  encoder->m_fci = nullptr;
  if (!destroyed || !FileExists(cabinetPath)) return false;
  SHChangeNotify(SHCNE_CREATE, SHCNF_PATHW, cabinetPath, nullptr);
  return true;
}

CCabEncoder::CCabEncoder()
    : m_fci(nullptr),
      m_error(),
      m_totalCompressed(0),
      m_totalUncompressed(0),
      m_currentSize(0),
      m_checked(false),
      m_cabinetBytes(0),
      m_limit(CabLimit::kNone),
      m_limitEntry(0),
      m_progress(nullptr),
      m_user(nullptr),
      m_systemError(0),
      m_presentCount(0),
      m_forcedCompression(0) {
  m_cabName[0] = m_cabFolder[0] = m_currentName[0] = 0;
}

CCabEncoder::~CCabEncoder() {
  if (m_fci) cabinetdll::FCIDestroy(m_fci);
  CabEncoderAccess::RemoveTemporaryFiles(this);
}

bool CCabEncoder::AddFile(const wchar_t* sourcePath, const wchar_t* nameInCabinet) {
  m_sources.push_back(sourcePath ? sourcePath : L"");
  m_names.push_back(nameInCabinet ? nameInCabinet : L"");
  m_checked = false;
  return true;
}

bool CCabEncoder::CreateCabinet(const wchar_t* cabinetPath, CabProgressProc progress,
                                void* user) {
  m_progress = progress;
  m_user = user;
  if (!cabinetPath || !*cabinetPath) {
    m_error = ERF();
    return false;
  }
  if (!m_checked && !CheckLimits()) return false;
  m_checked = false;
  const bool lzx = m_forcedCompression ? false : CabinetLibraryWritesLzx();
  const bool written = CabEncoderAccess::Create(this, cabinetPath, lzx);
  if (!written && m_limit != CabLimit::kNone) {
    // The library reports the stop as the caller's abort.
    CabEncoderAccess::Refuse(this, m_limit, m_limitEntry);
    m_failedSource.clear();
  }
  CabEncoderAccess::RemoveTemporaryFiles(this);
  return written;
}

bool CabEncoderAccess::CreateWith(CCabEncoder* encoder, const wchar_t* cabinetPath,
                                  TCOMP compression) {
  encoder->m_forcedCompression = compression;
  const bool written = encoder->CreateCabinet(cabinetPath);
  encoder->m_forcedCompression = 0;
  return written;
}
