#include "CreatedPaths.h"

#include <cwchar>
#include <unordered_map>

#include "PathPieces.h"
#include "StubLog.h"
#include "TextUtil.h"

namespace stub {

namespace {

const SIZE_T kInitialBytes = 0x800;

HGLOBAL g_block = nullptr;
SIZE_T g_capacity = 0;  // bytes
SIZE_T g_used = 0;      // bytes of the strings with their NULs
// Where each recorded path starts in the block, in the order recorded.
std::vector<SIZE_T> g_offsets;
// The recorded paths by a hash of their upper case: a path already recorded
// is looked for among those of its hash alone, so recording stays as fast
// with the last of many thousand files as with the first.
std::unordered_multimap<uint32_t, size_t> g_byHash;
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
  const auto same = g_byHash.equal_range(hash);
  if (same.first == same.second) return false;
  const wchar_t* data = static_cast<const wchar_t*>(GlobalLock(g_block));
  if (!data) return false;
  bool found = false;
  for (auto entry = same.first; entry != same.second && !found; ++entry)
    found = EqualsNoCase(data + g_offsets[entry->second] / sizeof(wchar_t), path);
  GlobalUnlock(g_block);
  return found;
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
  try {
    g_offsets.push_back(g_used);
  } catch (...) {
    return false;
  }
  try {
    g_byHash.emplace(hash, g_offsets.size() - 1);
  } catch (...) {
    g_offsets.pop_back();
    return false;
  }
  g_used += bytes;
  return true;
}

std::vector<std::wstring> CopyCreatedPaths() {
  std::vector<std::wstring> paths;
  if (!g_block || g_offsets.empty()) return paths;
  const wchar_t* data = static_cast<const wchar_t*>(GlobalLock(g_block));
  if (!data) return paths;
  paths.reserve(g_offsets.size());
  for (SIZE_T offset : g_offsets) paths.emplace_back(data + offset / sizeof(wchar_t));
  GlobalUnlock(g_block);
  return paths;
}

void FreeCreatedPathList() {
  if (g_block) GlobalFree(g_block);
  g_block = nullptr;
  g_capacity = 0;
  g_used = 0;
  g_offsets.clear();
  g_byHash.clear();
}

void NoteNewPath(const wchar_t* path) {
  if (path && *path) g_newPaths.emplace_back(path);
}

const std::vector<std::wstring>& NewPaths() { return g_newPaths; }

}  // namespace stub
