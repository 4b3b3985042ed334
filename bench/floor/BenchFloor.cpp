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
// Exit 0 when everything was done.
#include <windows.h>
#include <fcntl.h>
#include <shlobj.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "CabinetLibrary.h"

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

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  if (mode == L"extract" && argc == 4) return Extract(argv[2], argv[3]);
  if (mode == L"list" && argc == 3) return List(argv[2]);
  if (mode == L"decode" && argc == 3) return Decode(argv[2]);
  if (mode == L"copy" && argc == 4) return Copy(argv[2], argv[3]);
  if (mode == L"remove" && argc == 3) return Remove(argv[2]);
  fwprintf(stderr, L"usage: benchfloor extract <cabinet> <folder> | list <cabinet> |\n"
                   L"                  decode <cabinet> | copy <from> <to> | remove <folder>\n");
  return 2;
}
