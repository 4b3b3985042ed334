// Opening the running program's own container: find the header, apply the
// package switch, check size and CRC, read the settings, resolve the
// extraction folder and open the archive cabinet inside the file.
#pragma once
#include <windows.h>
#include <cstdint>

#include "FileMapping.h"

class CCabDecoder;

namespace stub {

struct StubSettings;

// What the open leaves behind; released by CloseOpenArchive.
struct OpenArchive {
  uint64_t ArchiveOffset;   // absolute offset of the archive cabinet in the file
  uint64_t HeaderOffset;    // H, the size of the stub image
  MappedFile* Map;          // read-only mapping of the own file
  const uint8_t* View;
  CCabDecoder* Decoder;
  uint64_t FileSize;
  StubSettings* Settings;   // also g_Settings after a successful open
  wchar_t Path[MAX_PATH];   // the file that was opened
};

// Opens the running program's own file with the process command line.
OpenArchive* ArchiveSfxOpen();
// The same for a given file and command line (without the program name).
// Sets the last error code (0 on success), g_Settings and g_Archive; on
// failure everything built is released and the result is null.
OpenArchive* ArchiveSfxOpenFile(const wchar_t* path, const wchar_t* arguments);
// Releases the state (null accepted); clears g_Archive and g_Settings when
// they are this state's.
void CloseOpenArchive(OpenArchive* archive);

}  // namespace stub
