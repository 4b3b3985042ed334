// stubcheckbench <package.exe> [rounds]
// Prints the time of one plain read of the file (ReadFile in 1 MiB pieces)
// and of the stub's container open on it (map, marker, size and CRC,
// settings, archive listing), the best of several rounds each, and their
// ratio.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "ArchiveOpen.h"
#include "Crc16.h"
#include "LastError.h"
#include "StubState.h"

namespace {

const char* const kCrcWays[] = {"table", "128-bit folding", "256-bit folding"};

double Seconds(const LARGE_INTEGER& a, const LARGE_INTEGER& b) {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  return static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(f.QuadPart);
}

double ReadOnce(const wchar_t* path, unsigned long long* total) {
  static std::vector<char> buffer(1 << 20);
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  *total = 0;
  if (file == INVALID_HANDLE_VALUE) return -1;
  DWORD read = 0;
  unsigned sum = 0;
  while (ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr) && read) {
    *total += read;
    sum += static_cast<unsigned char>(buffer[read - 1]);
  }
  CloseHandle(file);
  QueryPerformanceCounter(&end);
  if (sum == 0xFFFFFFFF) std::printf(" ");
  return Seconds(start, end);
}

double CheckOnce(const wchar_t* path, int* code) {
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  stub::OpenArchive* archive = stub::ArchiveSfxOpenFile(path, L"");
  QueryPerformanceCounter(&end);
  *code = stub::GetLastErrorCode();
  stub::CloseOpenArchive(archive);
  return Seconds(start, end);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: stubcheckbench <package.exe> [rounds]\n");
    return 2;
  }
  const int rounds = argc > 2 ? _wtoi(argv[2]) : 5;
  stub::g_Instance = GetModuleHandleW(nullptr);
  stub::g_UltraSilent = true;
  stub::ComposeTempFolderName();
  unsigned long long bytes = 0;
  ReadOnce(argv[1], &bytes);  // warm the file cache
  double bestRead = 1e9, bestCheck = 1e9;
  int code = 0;
  for (int i = 0; i < rounds; ++i) {
    double r = ReadOnce(argv[1], &bytes);
    double c = CheckOnce(argv[1], &code);
    if (code != 0) {
      std::fprintf(stderr, "container check failed with code %d\n", code);
      return 1;
    }
    if (r < bestRead) bestRead = r;
    if (c < bestCheck) bestCheck = c;
  }
  std::printf("size %llu bytes: read once %.3f s, container check %.3f s, ratio %.2f"
              " (CRC by %s)\n",
              bytes, bestRead, bestCheck, bestCheck / bestRead,
              kCrcWays[static_cast<int>(Crc16FastestMethod())]);
  return 0;
}
