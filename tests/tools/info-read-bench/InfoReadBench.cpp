// inforeadbench <folder> <entries>...: for each count, writes an information
// copy with that many [Files] entries and reads it as the worker does (one
// read of the whole file, then every numbered entry in turn). Prints the
// seconds per count (best of three) and the ratio of each to the first.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "InfoDocument.h"

namespace {

double Now() {
  LARGE_INTEGER frequency, counter;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

bool WriteCopy(const std::wstring& path, unsigned entries) {
  std::wstring text = L"[General]\r\nUninstFile=C:\\Product\\Hollmere64.exe\r\n[Options]\r\n"
                      L"DeleteSubFolders=0\r\nUninstallKey=Bench\r\n[Files]\r\n";
  for (unsigned i = 0; i < entries; ++i) {
    text += std::to_wstring(i) + L"=C:\\Product\\data\\file" + std::to_wstring(i) + L".bin\r\n";
  }
  text += L"[Registry_CLASSES_ROOT]\r\n[Group]\r\nCommonGroup=0\r\n";
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  const bool ok = WriteFile(file, text.data(), bytes, &written, nullptr) && written == bytes;
  CloseHandle(file);
  return ok;
}

// Seconds to read all entries; the count read goes to *found.
double ReadAll(const std::wstring& path, unsigned* found) {
  const double start = Now();
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  InfoDocument document;
  if (file == INVALID_HANDLE_VALUE || !document.Load(file, 512u * 1024 * 1024)) {
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return -1;
  }
  CloseHandle(file);
  unsigned count = 0;
  while (!document.Numbered(L"Files", count, 780).empty()) ++count;
  *found = count;
  return Now() - start;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    fwprintf(stderr, L"usage: inforeadbench <folder> <entries>...\n");
    return 2;
  }
  const std::wstring folder = argv[1];
  double first = 0;
  unsigned firstCount = 0;
  for (int i = 2; i < argc; ++i) {
    const unsigned entries = static_cast<unsigned>(wcstoul(argv[i], nullptr, 10));
    const std::wstring path = folder + L"\\copy" + std::to_wstring(entries) + L".ini";
    if (!WriteCopy(path, entries)) return 1;
    double best = -1;
    for (int round = 0; round < 3; ++round) {
      unsigned found = 0;
      const double seconds = ReadAll(path, &found);
      if (seconds < 0 || found != entries) return 1;
      if (best < 0 || seconds < best) best = seconds;
    }
    DeleteFileW(path.c_str());
    if (i == 2) {
      first = best;
      firstCount = entries;
      wprintf(L"%7u entries: %.4f s\n", entries, best);
    } else {
      wprintf(L"%7u entries: %.4f s, %.1f times the time of %u entries (%.1f times the entries)\n",
              entries, best, first > 0 ? best / first : 0.0, firstCount,
              static_cast<double>(entries) / firstCount);
    }
  }
  return 0;
}
