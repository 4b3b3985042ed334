// Writing one Microsoft cabinet through the cabinet library's compression
// interface (FCI) from a list of (source file, name in the cabinet) pairs.
// Names are stored in UTF-8 with the attribute 0x80.
#pragma once
#include <windows.h>
#include <fci.h>
#include <string>
#include <vector>

// Progress of CreateCabinet, per block of a file: the file's source path,
// the uncompressed bytes done so far in this cabinet, the file's size. Zero
// aborts the whole cabinet.
typedef BOOL (*CabProgressProc)(const wchar_t* sourcePath, ULONG totalUncompressed,
                                ULONG fileSize, void* user);

// FCI compression codes used by the writer.
const TCOMP kCabCompressLzx21 = 0x1503;  // LZX, 2^21-byte window
const TCOMP kCabCompressMszip = 0x0001;

struct CabEncoderAccess;

class CCabEncoder {
 public:
  CCabEncoder();
  ~CCabEncoder();
  CCabEncoder(const CCabEncoder&) = delete;
  CCabEncoder& operator=(const CCabEncoder&) = delete;

  // Appends a pair; the name may hold a folder part. Nothing is checked here.
  bool AddFile(const wchar_t* sourcePath, const wchar_t* nameInCabinet);

  // Writes the cabinet. A pair whose source is missing is left out; true
  // only when the cabinet file exists with at least one member. On failure
  // a partly written cabinet may remain; the caller deletes it.
  bool CreateCabinet(const wchar_t* cabinetPath, CabProgressProc progress = nullptr,
                     void* user = nullptr);

  // FCI's error record of the last failure (erfOper, erfType, fError).
  ERF GetLastError() const { return m_error; }

 private:
  friend struct CabEncoderAccess;

  void* m_fci;
  ERF m_error;
  std::vector<std::wstring> m_sources;
  std::vector<std::wstring> m_names;
  ULONG m_totalCompressed;
  ULONG m_totalUncompressed;
  ULONG m_currentSize;
  wchar_t m_cabName[MAX_PATH];
  wchar_t m_cabFolder[MAX_PATH];  // with a trailing backslash
  wchar_t m_currentName[MAX_PATH];
  CabProgressProc m_progress;
  void* m_user;
  // Temporary files handed to FCI; whatever is left of them is deleted
  // when the cabinet is done or has failed.
  std::vector<std::wstring> m_temporaryFiles;
};

// The compression CreateCabinet uses for a list of `count` pairs when the
// first source is `firstSize` bytes long: MSZIP for exactly one file of 7 to
// 9 bytes, LZX 21 otherwise.
TCOMP ChooseCabCompression(size_t count, ULONGLONG firstSize);
