// The running Windows version and the table that the package's BootableOS
// mask is checked against.
#pragma once
#include <windows.h>
#include <cstdint>

namespace stub {

struct OsVersion {
  DWORD major;
  DWORD minor;
  DWORD build;
  bool server;  // product type is not workstation
};

// Major, minor and build from the file version of the system's kernel32.dll
// (the version reported to programs can be capped), the product type from
// the system's version information. False when the file version cannot be
// read (the reported version is used then).
bool GetRunningOsVersion(OsVersion* version);

// One row of the table, in the order it is consulted.
struct OsTableRow {
  const wchar_t* name;
  uint32_t bit;
  bool (*matches)(const OsVersion& version);
};
extern const OsTableRow kOsTable[];
extern const size_t kOsTableSize;

// The oldest Windows the stub runs on at all.
bool IsSupportedOsVersion(const OsVersion& version);

// A mask of -1 admits every version; otherwise the first row whose bit is
// set and whose test matches admits it. *row receives that row's name.
bool IsOsAdmitted(int32_t bootableOs, const OsVersion& version, const wchar_t** row = nullptr);

}  // namespace stub
