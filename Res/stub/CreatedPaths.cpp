#include "CreatedPaths.h"

#include <shlwapi.h>

#include <cwchar>

#include "CheckingWindow.h"
#include "PathPieces.h"
#include "StubLog.h"
#include "TextUtil.h"

namespace stub {

namespace {

const SIZE_T kInitialBytes = 0x800;

HGLOBAL g_block = nullptr;
SIZE_T g_capacity = 0;  // bytes
SIZE_T g_used = 0;      // bytes of the strings with their NULs
size_t g_count = 0;
// Per recorded path: where it starts in the block and a hash of its upper
// case, so that a path already recorded is found without comparing them all.
std::vector<SIZE_T> g_offsets;
std::vector<uint32_t> g_hashes;
std::vector<std::wstring> g_newPaths;

#ifdef _WIN64
const wchar_t kOwnUninstaller[] = L"Hollmere64.exe";
#else
const wchar_t kOwnUninstaller[] = L"Hollmere.exe";
#endif

uint32_t UpperHash(const wchar_t* path) {
  uint32_t hash = 2166136261u;
  for (; *path; ++path) {
    wchar_t c = *path;
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - 32);
    else if (c > 0x7F)
      c = static_cast<wchar_t>(reinterpret_cast<ULONG_PTR>(
          CharUpperW(reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(c)))));
    hash = (hash ^ c) * 16777619u;
  }
  return hash;
}

bool AlreadyRecorded(const wchar_t* path, uint32_t hash) {
  const wchar_t* data = nullptr;
  bool found = false;
  for (size_t i = 0; i < g_hashes.size() && !found; ++i) {
    if (g_hashes[i] != hash) continue;
    if (!data) data = static_cast<const wchar_t*>(GlobalLock(g_block));
    if (!data) return false;
    const wchar_t* entry = data + g_offsets[i] / sizeof(wchar_t);
    found = EqualsNoCase(entry, path);
  }
  if (data) GlobalUnlock(g_block);
  return found;
}

bool RemoveOne(const wchar_t* path) {
  size_t length = wcslen(path);
  const bool folder = length > 0 && path[length - 1] == L'\\';
  for (int attempt = 0; attempt < 32; ++attempt) {
    if (folder) {
      DWORD attributes = GetFileAttributesW(path);
      if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return true;
      if (!PathIsDirectoryEmptyW(path)) return false;
      if (RemoveDirectoryW(path)) return true;
    } else {
      if (GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) return true;
      SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
      if (DeleteFileW(path)) return true;
    }
    PumpMessages();
    Sleep(100);
  }
  return false;
}

}  // namespace

bool InitCreatedPathList() {
  FreeCreatedPathList();
  g_block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kInitialBytes);
  if (!g_block) return false;
  g_capacity = kInitialBytes;
  return true;
}

bool CreatedPathListActive() { return g_block != nullptr; }

bool PushFileName(const wchar_t* path) {
  if (!g_block) return true;
  if (!path || !*path) return true;
  // The uninstaller and its information file are removed by the
  // uninstaller itself; a path is recorded once.
  if (lstrcmpiW(FindFileNamePart(path), kOwnUninstaller) == 0) return true;
  const uint32_t hash = UpperHash(path);
  if (AlreadyRecorded(path, hash)) return true;
  if (StubLogOpen()) StubLog(L"PushFileName() pszFile = %ls\n", path);
  try {
    g_offsets.reserve(g_count + 1);
    g_hashes.reserve(g_count + 1);
  } catch (...) {
    return false;
  }
  const SIZE_T bytes = (wcslen(path) + 1) * sizeof(wchar_t);
  if (g_used + bytes > g_capacity) {
    SIZE_T capacity = g_capacity;
    while (g_used + bytes > capacity) capacity *= 2;
    HGLOBAL grown = GlobalReAlloc(g_block, capacity, GMEM_MOVEABLE | GMEM_ZEROINIT);
    if (!grown) return false;
    g_block = grown;
    g_capacity = capacity;
  }
  uint8_t* data = static_cast<uint8_t*>(GlobalLock(g_block));
  if (!data) return false;
  memcpy(data + g_used, path, bytes);
  GlobalUnlock(g_block);
  g_offsets.push_back(g_used);
  g_hashes.push_back(hash);
  g_used += bytes;
  ++g_count;
  return true;
}

size_t CreatedPathCount() { return g_count; }

std::vector<std::wstring> CopyCreatedPaths() {
  std::vector<std::wstring> paths;
  if (!g_block || g_count == 0) return paths;
  const wchar_t* data = static_cast<const wchar_t*>(GlobalLock(g_block));
  if (!data) return paths;
  const wchar_t* p = data;
  for (size_t i = 0; i < g_count; ++i) {
    paths.emplace_back(p);
    p += paths.back().size() + 1;
  }
  GlobalUnlock(g_block);
  return paths;
}

void RemoveCreatedPaths() {
  std::vector<std::wstring> paths = CopyCreatedPaths();
  for (size_t i = paths.size(); i-- > 0;) RemoveOne(paths[i].c_str());
}

void FreeCreatedPathList() {
  if (g_block) GlobalFree(g_block);
  g_block = nullptr;
  g_capacity = 0;
  g_used = 0;
  g_count = 0;
  g_offsets.clear();
  g_hashes.clear();
}

void NoteNewPath(const wchar_t* path) {
  if (path && *path) g_newPaths.emplace_back(path);
}

const std::vector<std::wstring>& NewPaths() { return g_newPaths; }

void ForgetNewPaths() { g_newPaths.clear(); }

}  // namespace stub
