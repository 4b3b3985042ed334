#include "WindowsVersion.h"

#include <shlwapi.h>

#include <cstdint>
#include <vector>

#include "VersionResource.h"

namespace stub {

namespace {

// Build boundaries of the Windows 10 family.
const DWORD kFirstWindows11Build = 22000;       // "above 21999"
const DWORD kFirstServer2019Build = 17763;
const DWORD kFirstServer2022Build = 20348;
const DWORD kFirstNewerServerBuild = 25000;     // later than Server 2022

bool Is(const OsVersion& v, DWORD major, DWORD minor) { return v.major == major && v.minor == minor; }
bool IsTen(const OsVersion& v) { return Is(v, 10, 0); }

bool WinXP(const OsVersion& v) { return Is(v, 5, 1) || (Is(v, 5, 2) && !v.server); }
bool Win2003(const OsVersion& v) { return Is(v, 5, 2) && v.server; }
bool WinVista(const OsVersion& v) { return Is(v, 6, 0) && !v.server; }
bool Win2008R1(const OsVersion& v) { return Is(v, 6, 0) && v.server; }
bool Win2008R2(const OsVersion& v) { return Is(v, 6, 1) && v.server; }
bool Win7(const OsVersion& v) { return Is(v, 6, 1) && !v.server; }
bool Win8(const OsVersion& v) { return Is(v, 6, 2) && !v.server; }
bool Win81(const OsVersion& v) { return Is(v, 6, 3) && !v.server; }
bool Win2012R1(const OsVersion& v) { return Is(v, 6, 2) && v.server; }
bool Win2012R2(const OsVersion& v) { return Is(v, 6, 3) && v.server; }
bool Win10(const OsVersion& v) { return IsTen(v) && !v.server && v.build < kFirstWindows11Build; }
bool Win10To11(const OsVersion& v) { return IsTen(v) && !v.server; }
bool Win11(const OsVersion& v) { return IsTen(v) && !v.server && v.build >= kFirstWindows11Build; }
bool Win2016(const OsVersion& v) { return IsTen(v) && v.server && v.build < kFirstServer2019Build; }
bool Win2019(const OsVersion& v) {
  return IsTen(v) && v.server && v.build >= kFirstServer2019Build && v.build < kFirstServer2022Build;
}
bool Win2022(const OsVersion& v) {
  return IsTen(v) && v.server && v.build >= kFirstServer2022Build && v.build < kFirstNewerServerBuild;
}
bool AboveTen(const OsVersion& v) { return v.major > 10 || (v.major == 10 && v.minor > 0); }
bool NewerClient(const OsVersion& v) { return !v.server && AboveTen(v); }
bool NewerServer(const OsVersion& v) {
  return v.server && (AboveTen(v) || (IsTen(v) && v.build >= kFirstNewerServerBuild));
}

}  // namespace

const OsTableRow kOsTable[] = {
    {L"WinXP", 0x20, &WinXP},
    {L"Win2003", 0x40, &Win2003},
    {L"WinVista", 0x80, &WinVista},
    {L"Win2008R1", 0x100, &Win2008R1},
    {L"Win2008R2", 0x1000, &Win2008R2},
    {L"Win7", 0x200, &Win7},
    {L"Win8", 0x800, &Win8},
    {L"Win8.1", 0x2000, &Win81},
    {L"Win2012R1", 0x400, &Win2012R1},
    {L"Win2012R2", 0x4000, &Win2012R2},
    {L"Win10", 0x10000, &Win10},
    {L"Win10-11", 0x8000, &Win10To11},
    {L"Win11", 0x20000, &Win11},
    {L"Win2016", 0x1, &Win2016},
    {L"Win2019", 0x2, &Win2019},
    {L"Win2022", 0x4, &Win2022},
    {L"Newer Client", 0x10000000, &NewerClient},
    {L"Newer Server", 0x20000000, &NewerServer},
};
const size_t kOsTableSize = sizeof(kOsTable) / sizeof(kOsTable[0]);

bool GetRunningOsVersion(OsVersion* version) {
  OSVERSIONINFOEXW reported = {};
  reported.dwOSVersionInfoSize = sizeof(reported);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&reported));
#pragma GCC diagnostic pop
  version->major = reported.dwMajorVersion;
  version->minor = reported.dwMinorVersion;
  version->build = reported.dwBuildNumber;
  version->server = reported.wProductType != VER_NT_WORKSTATION;

  wchar_t path[MAX_PATH];
  UINT length = GetSystemDirectoryW(path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH || !PathAppendW(path, L"kernel32.dll")) return false;
  const VersionApi api = SystemVersionApi();
  std::vector<uint8_t> block;
  VS_FIXEDFILEINFO info;
  if (LoadVersionResource(api, path, &block) != VersionReadResult::kRead ||
      !QueryFixedFileInfo(api, block, &info))
    return false;
  version->major = HIWORD(info.dwFileVersionMS);
  version->minor = LOWORD(info.dwFileVersionMS);
  version->build = HIWORD(info.dwFileVersionLS);
  return true;
}

bool IsSupportedOsVersion(const OsVersion& version) {
  // Windows Vista / Server 2008 and later.
  return version.major >= 6;
}

bool IsOsAdmitted(int32_t bootableOs, const OsVersion& version, const wchar_t** row) {
  if (row) *row = nullptr;
  if (bootableOs == -1) return true;
  const uint32_t mask = static_cast<uint32_t>(bootableOs);
  for (size_t i = 0; i < kOsTableSize; ++i) {
    if ((mask & kOsTable[i].bit) && kOsTable[i].matches(version)) {
      if (row) *row = kOsTable[i].name;
      return true;
    }
  }
  return false;
}

}  // namespace stub
