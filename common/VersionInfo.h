// Version resources of files, read through a caller's binding of version.dll:
// programs pass those loaded from the system folder at run time.
#pragma once
#include <windows.h>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "SystemDlls.h"

struct VersionApi {
  DWORD(WINAPI* GetInfoSize)(LPCWSTR, LPDWORD);
  BOOL(WINAPI* GetInfo)(LPCWSTR, DWORD, DWORD, LPVOID);
  BOOL(WINAPI* QueryValue)(LPCVOID, LPCWSTR, LPVOID*, PUINT);
};

// version.dll's functions, the library taken from the system folder at run
// time (SystemDlls.h); null members when it cannot be loaded. Programs use
// this one: none imports version.dll at load time.
VersionApi SystemVersionApi();

enum class VersionReadResult {
  kRead,
  kNoResource,  // no version resource, no such file, or version.dll missing
  kNoMemory,
  kNoTranslation,  // texts only: the resource lists no translation
  kNoValue,        // texts only: the first translation lacks the value
};

// The whole version resource of a file.
VersionReadResult LoadVersionResource(const VersionApi& api, const wchar_t* path,
                                      std::vector<uint8_t>* block);

// A value of a loaded resource (as VerQueryValueW names it); false when it
// is missing or empty.
bool QueryVersionValue(const VersionApi& api, const std::vector<uint8_t>& block,
                       const wchar_t* subBlock, const void** value, UINT* length);

// The fixed part (file and product version numbers) of a loaded resource.
bool QueryFixedFileInfo(const VersionApi& api, const std::vector<uint8_t>& block,
                        VS_FIXEDFILEINFO* info);

// The fixed part of a file's version resource; false when it has none.
bool ReadFixedFileInfo(const VersionApi& api, const wchar_t* path, VS_FIXEDFILEINFO* info);

// The text name ("FileVersion", "InternalName", ...) of the first
// translation listed in a file's version resource, cut to capacity
// characters and terminated. text is set to "" unless kRead.
VersionReadResult ReadVersionString(const VersionApi& api, const wchar_t* path,
                                    const wchar_t* name, wchar_t* text, size_t capacity);
