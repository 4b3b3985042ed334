// The compressor's hand-back: taken only from the compressor the builder
// started and waits for, bounded, and only for a cabinet.
#include <gtest/gtest.h>

#include <string>

#include "CompressorLaunch.h"

namespace {

struct AwaitedCompressor {
  explicit AwaitedCompressor(DWORD id) { SetAwaitedCompressor(id); }
  ~AwaitedCompressor() { SetAwaitedCompressor(0); }
};

LPARAM Address(const wchar_t* buffer) { return reinterpret_cast<LPARAM>(buffer); }

TEST(CompressorResult, TakenFromTheAwaitedProcessOnly) {
  wchar_t path[MAX_PATH] = L"C:\\Work\\made.cab";
  const DWORD self = GetCurrentProcessId();
  // Nobody is awaited: any sender is ignored.
  EXPECT_EQ(L"", TakeCompressorResult(self, Address(path)));
  {
    AwaitedCompressor awaited(self);
    EXPECT_EQ(L"C:\\Work\\made.cab", TakeCompressorResult(self, Address(path)));
    // Another process id than the started one.
    EXPECT_EQ(L"", TakeCompressorResult(self + 4, Address(path)));
    EXPECT_EQ(L"", TakeCompressorResult(0, Address(path)));
  }
  EXPECT_EQ(L"", TakeCompressorResult(self, Address(path)));
}

TEST(CompressorResult, OnlyCabinetPathsAreTaken) {
  AwaitedCompressor awaited(GetCurrentProcessId());
  wchar_t upper[MAX_PATH] = L"C:\\Work\\MADE.CAB";
  EXPECT_EQ(L"C:\\Work\\MADE.CAB", TakeCompressorResult(GetCurrentProcessId(), Address(upper)));
  for (const wchar_t* other : {L"C:\\Work\\project.ini", L"C:\\Work\\tool.exe", L"", L".cab.txt"}) {
    wchar_t path[MAX_PATH] = {};
    wcscpy(path, other);
    EXPECT_EQ(L"", TakeCompressorResult(GetCurrentProcessId(), Address(path))) << other;
  }
}

TEST(CompressorResult, PathWithoutTerminatorIsCutAtTheBuffer) {
  AwaitedCompressor awaited(GetCurrentProcessId());
  // 260 characters without NUL, the last four ".cab": the terminator at
  // character 259 cuts the extension, so nothing is taken.
  wchar_t path[MAX_PATH + 8];
  for (wchar_t& c : path) c = L'a';
  wcsncpy(path + MAX_PATH - 4, L".cab", 4);
  EXPECT_EQ(L"", TakeCompressorResult(GetCurrentProcessId(), Address(path)));
  // The same with the extension inside the first 259 characters.
  wcsncpy(path + MAX_PATH - 5, L".cab", 4);
  std::wstring taken = TakeCompressorResult(GetCurrentProcessId(), Address(path));
  EXPECT_EQ(259u, taken.size());
}

TEST(CompressorResult, UnreadableAddressIsIgnored) {
  AwaitedCompressor awaited(GetCurrentProcessId());
  EXPECT_EQ(L"", TakeCompressorResult(GetCurrentProcessId(), 0));
  EXPECT_EQ(L"", TakeCompressorResult(GetCurrentProcessId(), 0x10));
}

}  // namespace
