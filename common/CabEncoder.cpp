#include "CabEncoder.h"

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <shlobj.h>
#include <sys/stat.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cwchar>

#include "FileSystem.h"
#include "PathPieces.h"
#include "TextUtil.h"

namespace {

const int kUtf8PathBytes = MAX_PATH * 3 + 1;

int DIAMONDAPI FilePlaced(PCCAB, char*, LONG, BOOL, void*) { return 0; }

void* DIAMONDAPI FciAlloc(ULONG size) {
  return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size);
}

void DIAMONDAPI FciFree(void* block) {
  if (block) HeapFree(GetProcessHeap(), 0, block);
}

INT_PTR DIAMONDAPI FciOpen(char* name, int oflag, int pmode, int* err, void*) {
  wchar_t path[MAX_PATH];
  if (!Utf8ToWide(name, path, MAX_PATH)) {
    *err = ENOENT;
    return -1;
  }
  int fd = _wsopen(path, oflag, _SH_DENYNO, pmode);
  if (fd == -1) *err = errno;
  return fd;
}

UINT DIAMONDAPI FciRead(INT_PTR hf, void* buffer, UINT count, int* err, void*) {
  int got = _read(static_cast<int>(hf), buffer, count);
  if (got == -1) *err = errno;
  return static_cast<UINT>(got);
}

UINT DIAMONDAPI FciWrite(INT_PTR hf, void* buffer, UINT count, int* err, void*) {
  int put = _write(static_cast<int>(hf), buffer, count);
  if (put == -1) *err = errno;
  return static_cast<UINT>(put);
}

int DIAMONDAPI FciClose(INT_PTR hf, int* err, void*) {
  int result = _close(static_cast<int>(hf));
  if (result == -1) *err = errno;
  return result;
}

LONG DIAMONDAPI FciSeek(INT_PTR hf, LONG distance, int seekType, int* err, void*) {
  long result = _lseek(static_cast<int>(hf), distance, seekType);
  if (result == -1) *err = errno;
  return result;
}

int DIAMONDAPI FciDelete(char* name, int* err, void*) {
  wchar_t path[MAX_PATH];
  if (!Utf8ToWide(name, path, MAX_PATH)) {
    *err = ENOENT;
    return -1;
  }
  int result = _wremove(path);
  if (result == -1) *err = errno;
  return result;
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
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      *err = ENOENT;
      return -1;
    }
    BY_HANDLE_FILE_INFORMATION info;
    FILETIME local;
    const bool described = GetFileInformationByHandle(file, &info) &&
                           FileTimeToLocalFileTime(&info.ftLastWriteTime, &local) &&
                           FileTimeToDosDateTime(&local, date, time);
    CloseHandle(file);
    if (!described) {
      *err = EACCES;
      return -1;
    }
    DWORD fileAttributes = GetFileAttributesW(path);
    *attributes = static_cast<USHORT>(
        (fileAttributes == INVALID_FILE_ATTRIBUTES ? 0 : (fileAttributes & 0x27)) |
        _A_NAME_IS_UTF);
    encoder->m_currentSize = info.nFileSizeLow;
    wcscpy(encoder->m_currentName, path);
    int fd = _wsopen(path, _O_RDONLY | _O_BINARY, _SH_DENYNO, 0);
    if (fd == -1) *err = errno;
    return fd;
  }

  static LONG DIAMONDAPI Status(UINT type, ULONG compressed, ULONG uncompressed,
                                void* context) {
    CCabEncoder* encoder = static_cast<CCabEncoder*>(context);
    if (type != statusFile) return 0;
    encoder->m_totalCompressed += compressed;
    encoder->m_totalUncompressed += uncompressed;
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
    if (encoder->m_fci) FCIDestroy(encoder->m_fci);
    encoder->m_fci = nullptr;
  }

  static void RemoveTemporaryFiles(CCabEncoder* encoder) {
    for (const std::wstring& path : encoder->m_temporaryFiles)
      if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES)
        DeleteFileW(path.c_str());
    encoder->m_temporaryFiles.clear();
  }

  static bool Create(CCabEncoder* encoder, const wchar_t* cabinetPath);
};

namespace {

BOOL DIAMONDAPI GetNextCabinet(PCCAB cab, ULONG, void* context) {
  CabEncoderAccess::FillCcab(static_cast<CCabEncoder*>(context), cab);
  return TRUE;
}

}  // namespace

TCOMP ChooseCabCompression(size_t count, ULONGLONG firstSize) {
  if (count == 1 && firstSize >= 7 && firstSize <= 9) return kCabCompressMszip;
  return kCabCompressLzx21;
}

bool CabEncoderAccess::Create(CCabEncoder* encoder, const wchar_t* cabinetPath) {
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

  encoder->m_fci = FCICreate(&encoder->m_error, FilePlaced, FciAlloc, FciFree, FciOpen,
                             FciRead, FciWrite, FciClose, FciSeek, FciDelete, GetTempFile,
                             &cab, encoder);
  if (!encoder->m_fci) return false;

  const size_t count = encoder->m_sources.size();
  size_t added = 0;
  for (size_t i = 0; i < count; ++i) {
    if (i == 0 && !FCIFlushFolder(encoder->m_fci, GetNextCabinet, Status)) {
      Fail(encoder);
      return false;
    }
    const std::wstring& source = encoder->m_sources[i];
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(source.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) continue;
    FindClose(find);
    const ULONGLONG size =
        (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    const TCOMP compression = ChooseCabCompression(count, size);
    char sourceUtf8[kUtf8PathBytes];
    char nameUtf8[kUtf8PathBytes];
    if (!WideToUtf8(source.c_str(), sourceUtf8, kUtf8PathBytes) ||
        !WideToUtf8(encoder->m_names[i].c_str(), nameUtf8, kUtf8PathBytes) ||
        !FCIAddFile(encoder->m_fci, sourceUtf8, nameUtf8, FALSE, GetNextCabinet, Status,
                    GetOpenInfo, compression)) {
      Fail(encoder);
      return false;
    }
    ++added;
  }
  // A cabinet without members is no archive: nothing is written then.
  if (added == 0) {
    Fail(encoder);
    return false;
  }
  // One cabinet only: asked for a next one, the library may mark this one as
  // continued in a cabinet that names itself, and readers then loop on it.
  if (!FCIFlushCabinet(encoder->m_fci, FALSE, GetNextCabinet, Status)) {
    Fail(encoder);
    return false;
  }
  const BOOL destroyed = FCIDestroy(encoder->m_fci);
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
      m_progress(nullptr),
      m_user(nullptr) {
  m_cabName[0] = m_cabFolder[0] = m_currentName[0] = 0;
}

CCabEncoder::~CCabEncoder() {
  if (m_fci) FCIDestroy(m_fci);
  CabEncoderAccess::RemoveTemporaryFiles(this);
}

bool CCabEncoder::AddFile(const wchar_t* sourcePath, const wchar_t* nameInCabinet) {
  m_sources.push_back(sourcePath ? sourcePath : L"");
  m_names.push_back(nameInCabinet ? nameInCabinet : L"");
  return true;
}

bool CCabEncoder::CreateCabinet(const wchar_t* cabinetPath, CabProgressProc progress,
                                void* user) {
  m_progress = progress;
  m_user = user;
  m_error = ERF();
  if (!cabinetPath || !*cabinetPath) return false;
  const bool written = CabEncoderAccess::Create(this, cabinetPath);
  CabEncoderAccess::RemoveTemporaryFiles(this);
  return written;
}
