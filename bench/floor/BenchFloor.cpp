// The floors the benchmarks measure the programs against: the same work done
// by the plainest loop over the same Windows calls, nothing else. Not part
// of any program.
//
//   benchfloor extract <cabinet> <folder>  through cabinet.dll's FDI, with the
//       work every installed file needs: folder, create, write, time, close,
//       attributes, the shell's notification
//   benchfloor list <cabinet>              FDI's walk over every member
//   benchfloor decode <cabinet>            FDI's decompression of every member,
//       written to the NUL device
//   benchfloor copy <from> <to>            ReadFile/WriteFile in 1 MiB pieces
//   benchfloor remove <folder>             every file deleted with the shell's
//       notification, then the folders, deepest first
//   benchfloor pack <list> <cabinet> <compression>  through cabinet.dll's FCI:
//       FCICreate, FCIAddFile for every "source<TAB>name" line of the UTF-8
//       list, FCIFlushCabinet; compression is FCI's code in hex (1 MSZIP,
//       1503 LZX 21); file routines on Win32 handles
// Exit 0 when everything was done.
#include <windows.h>
#include <fcntl.h>
#include <shlobj.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "CabinetLibrary.h"
#include "FileIO.h"

namespace {

std::wstring g_root;
std::wstring g_lastFolder;
FILETIME g_time;
WORD g_attributes;
std::wstring g_path;
bool g_failed = false;

std::wstring Wide(const char* text, UINT codePage) {
  int n = MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
  std::wstring out(n > 0 ? n - 1 : 0, L'\0');
  if (n > 1) MultiByteToWideChar(codePage, 0, text, -1, &out[0], n);
  return out;
}

void* DIAMONDAPI Alloc(ULONG size) { return HeapAlloc(GetProcessHeap(), 0, size); }
void DIAMONDAPI Free(void* block) { HeapFree(GetProcessHeap(), 0, block); }

INT_PTR DIAMONDAPI Open(char* name, int oflag, int) {
  const bool write = (oflag & (_O_WRONLY | _O_RDWR)) != 0;
  HANDLE file = CreateFileW(Wide(name, CP_UTF8).c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                            write ? 0 : FILE_SHARE_READ, nullptr,
                            write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  return file == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<INT_PTR>(file);
}

UINT DIAMONDAPI Read(INT_PTR hf, void* buffer, UINT count) {
  DWORD got = 0;
  return ReadFile(reinterpret_cast<HANDLE>(hf), buffer, count, &got, nullptr) ? got : UINT(-1);
}

UINT DIAMONDAPI Write(INT_PTR hf, void* buffer, UINT count) {
  DWORD put = 0;
  return WriteFile(reinterpret_cast<HANDLE>(hf), buffer, count, &put, nullptr) ? put : UINT(-1);
}

int DIAMONDAPI Close(INT_PTR hf) { return CloseHandle(reinterpret_cast<HANDLE>(hf)) ? 0 : -1; }

LONG DIAMONDAPI Seek(INT_PTR hf, LONG distance, int type) {
  return SetFilePointer(reinterpret_cast<HANDLE>(hf), distance, nullptr,
                        type == SEEK_CUR ? FILE_CURRENT : type == SEEK_END ? FILE_END : FILE_BEGIN);
}

// Makes the folder part of path, once per folder.
void MakeFolder(const std::wstring& path) {
  const std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
  if (folder == g_lastFolder) return;
  for (size_t slash = folder.find(L'\\', g_root.size()); ; slash = folder.find(L'\\', slash + 1)) {
    const std::wstring part = folder.substr(0, slash);
    if (CreateDirectoryW(part.c_str(), nullptr)) SHChangeNotify(SHCNE_MKDIR, SHCNF_PATHW, part.c_str(), nullptr);
    if (slash == std::wstring::npos) break;
  }
  g_lastFolder = folder;
}

INT_PTR DIAMONDAPI Notify(FDINOTIFICATIONTYPE type, PFDINOTIFICATION note) {
  if (type == fdintCOPY_FILE) {
    g_path = g_root + Wide(note->psz1, (note->attribs & _A_NAME_IS_UTF) ? CP_UTF8 : CP_ACP);
    MakeFolder(g_path);
    FILETIME local;
    DosDateTimeToFileTime(note->date, note->time, &local);
    LocalFileTimeToFileTime(&local, &g_time);
    g_attributes = note->attribs & 0x27;
    HANDLE file = CreateFileW(g_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      g_failed = true;
      return -1;
    }
    return reinterpret_cast<INT_PTR>(file);
  }
  if (type == fdintCLOSE_FILE_INFO) {
    HANDLE file = reinterpret_cast<HANDLE>(note->hf);
    const bool timed = SetFileTime(file, nullptr, nullptr, &g_time) != 0;
    const bool closed = CloseHandle(file) != 0;
    SetFileAttributesW(g_path.c_str(), (g_attributes & 7) | FILE_ATTRIBUTE_ARCHIVE);
    SHChangeNotify(SHCNE_CREATE, SHCNF_PATHW, g_path.c_str(), nullptr);
    if (!timed || !closed) g_failed = true;
    return TRUE;
  }
  return 0;
}

INT_PTR DIAMONDAPI CountNotify(FDINOTIFICATIONTYPE type, PFDINOTIFICATION note) {
  if (type == fdintCOPY_FILE) ++*static_cast<long*>(note->pv);
  return 0;
}

INT_PTR DIAMONDAPI DecodeNotify(FDINOTIFICATIONTYPE type, PFDINOTIFICATION note) {
  if (type == fdintCOPY_FILE) {
    HANDLE sink = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (sink == INVALID_HANDLE_VALUE) {
      g_failed = true;
      return -1;
    }
    return reinterpret_cast<INT_PTR>(sink);
  }
  if (type == fdintCLOSE_FILE_INFO) {
    if (!CloseHandle(reinterpret_cast<HANDLE>(note->hf))) g_failed = true;
    return TRUE;
  }
  return 0;
}

// FDI over the cabinet with notify; false when it cannot be walked.
bool WalkCabinet(const std::wstring& cabinet, PFNFDINOTIFY notify, void* user) {
  const size_t slash = cabinet.find_last_of(L'\\');
  const std::wstring folder = cabinet.substr(0, slash + 1);
  const std::wstring name = cabinet.substr(slash + 1);
  char folder8[MAX_PATH * 3], name8[MAX_PATH * 3];
  WideCharToMultiByte(CP_UTF8, 0, folder.c_str(), -1, folder8, sizeof(folder8), nullptr, nullptr);
  WideCharToMultiByte(CP_UTF8, 0, name.c_str(), -1, name8, sizeof(name8), nullptr, nullptr);
  ERF error = {};
  HFDI fdi = cabinetdll::FDICreate(Alloc, Free, Open, Read, Write, Close, Seek, cpuUNKNOWN, &error);
  if (!fdi) return false;
  const BOOL copied = cabinetdll::FDICopy(fdi, name8, folder8, 0, notify, nullptr, user);
  cabinetdll::FDIDestroy(fdi);
  return copied != FALSE;
}

int Extract(const std::wstring& cabinet, const std::wstring& folder) {
  g_root = folder;
  if (g_root.empty() || g_root.back() != L'\\') g_root += L'\\';
  CreateDirectoryW(g_root.c_str(), nullptr);
  return WalkCabinet(cabinet, Notify, nullptr) && !g_failed ? 0 : 1;
}

int List(const std::wstring& cabinet) {
  long members = 0;
  if (!WalkCabinet(cabinet, CountNotify, &members)) return 1;
  wprintf(L"%ld members\n", members);
  return 0;
}

int Decode(const std::wstring& cabinet) {
  return WalkCabinet(cabinet, DecodeNotify, nullptr) && !g_failed ? 0 : 1;
}

int Copy(const std::wstring& from, const std::wstring& to) {
  HANDLE in = CreateFileW(from.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (in == INVALID_HANDLE_VALUE) return 1;
  HANDLE out = CreateFileW(to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) {
    CloseHandle(in);
    return 1;
  }
  std::vector<char> buffer(1 << 20);
  bool ok = true;
  for (;;) {
    DWORD got = 0, put = 0;
    if (!ReadFile(in, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) {
      ok = false;
      break;
    }
    if (got == 0) break;
    if (!WriteFile(out, buffer.data(), got, &put, nullptr) || put != got) {
      ok = false;
      break;
    }
  }
  CloseHandle(in);
  ok = CloseHandle(out) && ok;
  return ok ? 0 : 1;
}

// Removes what is below folder (not folder itself), deepest first.
bool RemoveBelow(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring path = folder + L"\\" + name;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      ok = RemoveBelow(path) && ok;
      ok = RemoveDirectoryW(path.c_str()) && ok;
      SHChangeNotify(SHCNE_RMDIR, SHCNF_PATHW, path.c_str(), nullptr);
    } else {
      ok = DeleteFileW(path.c_str()) && ok;
      SHChangeNotify(SHCNE_DELETE, SHCNF_PATHW, path.c_str(), nullptr);
    }
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return ok;
}

int Remove(const std::wstring& folder) {
  const bool ok = RemoveBelow(folder) && RemoveDirectoryW(folder.c_str());
  SHChangeNotify(SHCNE_RMDIR, SHCNF_PATHW, folder.c_str(), nullptr);
  return ok ? 0 : 1;
}


// FCI's routines: zero-filled memory and files on Win32 handles, as the
// compressor's writer has them.
void* DIAMONDAPI PackAlloc(ULONG size) { return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size); }
void DIAMONDAPI PackFree(void* block) { HeapFree(GetProcessHeap(), 0, block); }
int DIAMONDAPI PackPlaced(PCCAB, char*, LONG, BOOL, void*) { return 0; }

INT_PTR DIAMONDAPI PackOpen(char* name, int oflag, int pmode, int* err, void*) {
  DWORD access = GENERIC_READ;
  if (oflag & _O_WRONLY) access = GENERIC_WRITE;
  if (oflag & _O_RDWR) access = GENERIC_READ | GENERIC_WRITE;
  DWORD disposition = OPEN_EXISTING;
  if ((oflag & (_O_CREAT | _O_EXCL)) == (_O_CREAT | _O_EXCL)) disposition = CREATE_NEW;
  else if ((oflag & (_O_CREAT | _O_TRUNC)) == (_O_CREAT | _O_TRUNC)) disposition = CREATE_ALWAYS;
  else if (oflag & _O_CREAT) disposition = OPEN_ALWAYS;
  else if (oflag & _O_TRUNC) disposition = TRUNCATE_EXISTING;
  const DWORD attributes =
      (oflag & _O_CREAT) && !(pmode & _S_IWRITE) ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL;
  HANDLE file = CreateFileW(Wide(name, CP_UTF8).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, disposition, attributes, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    *err = static_cast<int>(GetLastError());
    return -1;
  }
  return reinterpret_cast<INT_PTR>(file);
}

UINT DIAMONDAPI PackRead(INT_PTR hf, void* buffer, UINT count, int* err, void*) {
  DWORD got = 0;
  if (ReadFile(reinterpret_cast<HANDLE>(hf), buffer, count, &got, nullptr)) return got;
  *err = static_cast<int>(GetLastError());
  return UINT(-1);
}

UINT DIAMONDAPI PackWrite(INT_PTR hf, void* buffer, UINT count, int* err, void*) {
  DWORD put = 0;
  if (WriteFile(reinterpret_cast<HANDLE>(hf), buffer, count, &put, nullptr) && put == count)
    return put;
  *err = static_cast<int>(GetLastError());
  return UINT(-1);
}

int DIAMONDAPI PackClose(INT_PTR hf, int* err, void*) {
  if (CloseHandle(reinterpret_cast<HANDLE>(hf))) return 0;
  *err = static_cast<int>(GetLastError());
  return -1;
}

LONG DIAMONDAPI PackSeek(INT_PTR hf, LONG distance, int type, int* err, void*) {
  const DWORD at = SetFilePointer(reinterpret_cast<HANDLE>(hf), distance, nullptr,
                                  type == SEEK_CUR ? FILE_CURRENT
                                                   : type == SEEK_END ? FILE_END : FILE_BEGIN);
  if (at == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) {
    *err = static_cast<int>(GetLastError());
    return -1;
  }
  return static_cast<LONG>(at);
}

int DIAMONDAPI PackDelete(char* name, int* err, void*) {
  if (DeleteFileW(Wide(name, CP_UTF8).c_str())) return 0;
  *err = static_cast<int>(GetLastError());
  return -1;
}

BOOL DIAMONDAPI PackTempFile(char* name, int capacity, void*) {
  static LONG counter = 0;
  wchar_t folder[MAX_PATH], path[MAX_PATH];
  if (!GetTempPathW(MAX_PATH, folder)) return FALSE;
  swprintf(path, MAX_PATH, L"%lsbfp%lx-%lx.tmp", folder, GetCurrentProcessId(),
           static_cast<unsigned long>(InterlockedIncrement(&counter)));
  return WideCharToMultiByte(CP_UTF8, 0, path, -1, name, capacity, nullptr, nullptr) > 0;
}

BOOL DIAMONDAPI PackNextCabinet(PCCAB, ULONG, void*) { return TRUE; }
LONG DIAMONDAPI PackStatus(UINT, ULONG, ULONG, void*) { return 0; }

// The source once: its time and attributes from the handle that FCI reads.
INT_PTR DIAMONDAPI PackOpenInfo(char* name, USHORT* date, USHORT* time, USHORT* attributes,
                                int* err, void*) {
  HANDLE file = CreateFileW(Wide(name, CP_UTF8).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  BY_HANDLE_FILE_INFORMATION info;
  FILETIME local;
  if (file == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(file, &info) ||
      !FileTimeToLocalFileTime(&info.ftLastWriteTime, &local) ||
      !FileTimeToDosDateTime(&local, date, time)) {
    *err = static_cast<int>(GetLastError());
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return -1;
  }
  *attributes = static_cast<USHORT>((info.dwFileAttributes & 0x27) | _A_NAME_IS_UTF);
  return reinterpret_cast<INT_PTR>(file);
}

std::string Utf8(const std::wstring& text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? n - 1 : 0, '\0');
  if (n > 1) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], n, nullptr, nullptr);
  return out;
}

int Pack(const std::wstring& list, const std::wstring& cabinet, const std::wstring& code) {
  std::vector<uint8_t> text;
  if (ReadWholeFile(list.c_str(), 1 << 30, &text) != FileReadResult::kRead) return 1;
  const TCOMP compression = static_cast<TCOMP>(wcstoul(code.c_str(), nullptr, 16));
  const size_t slash = cabinet.find_last_of(L'\\');
  CCAB cab = {};
  cab.cb = 0xFFFFFFFF;
  cab.cbFolderThresh = 0xFFFFFFFF;
  cab.iCab = 1;
  cab.setID = 12345;
  const std::string folder = Utf8(cabinet.substr(0, slash + 1));
  const std::string name = Utf8(cabinet.substr(slash + 1));
  if (folder.size() >= sizeof(cab.szCabPath) || name.size() >= sizeof(cab.szCab)) return 1;
  strcpy(cab.szCabPath, folder.c_str());
  strcpy(cab.szCab, name.c_str());
  ERF error = {};
  HFCI fci = cabinetdll::FCICreate(&error, PackPlaced, PackAlloc, PackFree, PackOpen, PackRead,
                                   PackWrite, PackClose, PackSeek, PackDelete, PackTempFile, &cab,
                                   nullptr);
  if (!fci) return 1;
  bool ok = true;
  std::string lines(text.begin(), text.end());
  for (size_t at = 0; ok && at < lines.size();) {
    size_t end = lines.find('\n', at);
    if (end == std::string::npos) end = lines.size();
    std::string line = lines.substr(at, end - at);
    at = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    std::string source = line.substr(0, tab), stored = line.substr(tab + 1);
    ok = cabinetdll::FCIAddFile(fci, &source[0], &stored[0], FALSE, PackNextCabinet, PackStatus,
                                PackOpenInfo, compression) != FALSE;
  }
  ok = ok && cabinetdll::FCIFlushCabinet(fci, FALSE, PackNextCabinet, PackStatus);
  cabinetdll::FCIDestroy(fci);
  if (!ok) fwprintf(stderr, L"benchfloor: FCI error %d-%d\n", error.erfOper, error.erfType);
  return ok ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  if (mode == L"extract" && argc == 4) return Extract(argv[2], argv[3]);
  if (mode == L"list" && argc == 3) return List(argv[2]);
  if (mode == L"decode" && argc == 3) return Decode(argv[2]);
  if (mode == L"copy" && argc == 4) return Copy(argv[2], argv[3]);
  if (mode == L"remove" && argc == 3) return Remove(argv[2]);
  if (mode == L"pack" && argc == 5) return Pack(argv[2], argv[3], argv[4]);
  fwprintf(stderr, L"usage: benchfloor extract <cabinet> <folder> | list <cabinet> |\n"
                   L"                  decode <cabinet> | copy <from> <to> | remove <folder> |\n"
                   L"                  pack <list> <cabinet> <compression>\n");
  return 2;
}
