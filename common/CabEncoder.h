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
typedef BOOL (*CabProgressProc)(const wchar_t* sourcePath, ULONGLONG totalUncompressed,
                                ULONGLONG fileSize, void* user);

// FCI compression codes used by the writer.
const TCOMP kCabCompressLzx21 = 0x1503;  // LZX, 2^21-byte window
const TCOMP kCabCompressMszip = 0x0001;

// The format's limits. A cabinet counts its files in 16 bits, and a stored
// name has a field of 256 bytes with its terminator.
const size_t kCabMaxFiles = 65535;
const size_t kCabMaxNameBytes = 255;  // UTF-8
// A folder counts its data blocks in 16 bits, and a block holds 32 KiB of
// uncompressed data; a file lies in one folder, so no file can be larger.
const ULONGLONG kCabBlockBytes = 32768;
const ULONGLONG kCabMaxFolderBlocks = 65535;
const ULONGLONG kCabMaxFileBytes = kCabMaxFolderBlocks * kCabBlockBytes;  // 2,147,450,880
// The cabinet's size and the offsets of its folders are 32-bit fields.
const ULONGLONG kCabMaxCabinetBytes = 0xFFFFFFFF;
// The error the writer reports (as erfOper) for a list that passes one of
// these limits; newer FCI headers call it FCIERR_CAB_FORMAT_LIMIT.
const int kCabErrorFormatLimit = 9;

// Which limit a list passed (with kCabErrorFormatLimit).
enum class CabLimit { kNone, kFileCount, kNameLength, kFileSize, kCabinetSize };

// Whether a stored name fits the cabinet's name field: at most
// kCabMaxNameBytes bytes of UTF-8.
bool CabNameFits(const std::wstring& name);

struct CabEncoderAccess;

class CCabEncoder {
 public:
  CCabEncoder();
  ~CCabEncoder();
  CCabEncoder(const CCabEncoder&) = delete;
  CCabEncoder& operator=(const CCabEncoder&) = delete;

  // Appends a pair; the name may hold a folder part. Nothing is checked here.
  bool AddFile(const wchar_t* sourcePath, const wchar_t* nameInCabinet);

  // Checks the list against the format's limits before anything is
  // written: at most kCabMaxFiles present files, every name fits, no file
  // larger than kCabMaxFileBytes, and at least one source present. False
  // with the error record set: erfOper kCabErrorFormatLimit and
  // PassedLimit() for a limit, FCIERR_OPEN_SRC with FailedSource() naming
  // the first missing file when none is present, or the first source that
  // is there but cannot be queried (FailedSystemError() says why; only a
  // source that is not found is left out). CreateCabinet checks first
  // unless this was called since the last AddFile.
  bool CheckLimits();

  // Writes the cabinet. A pair whose source is not found is left out; true
  // only when the cabinet file exists with at least one member. Folders are
  // started as needed so that none passes its block count, and the writing
  // stops (kCabinetSize) before the cabinet itself would be written past
  // its 32-bit size. On failure a partly written cabinet may remain; the
  // caller deletes it.
  bool CreateCabinet(const wchar_t* cabinetPath, CabProgressProc progress = nullptr,
                     void* user = nullptr);

  // FCI's error record of the last failure (erfOper, erfType, fError).
  ERF GetLastError() const { return m_error; }
  // Of the last failure: the source of the file being added when it
  // happened (empty when no file was being added), and the system's error
  // code that a file routine met (0 when none did).
  const std::wstring& FailedSource() const { return m_failedSource; }
  DWORD FailedSystemError() const { return m_systemError; }
  // The number of present sources of the last check.
  size_t PresentCount() const { return m_presentCount; }
  // Of a list refused at a limit: which limit, and the index of the pair
  // that passed it (kNameLength, kFileSize).
  CabLimit PassedLimit() const { return m_limit; }
  size_t LimitEntry() const { return m_limitEntry; }

 private:
  friend struct CabEncoderAccess;

  void* m_fci;
  ERF m_error;
  std::vector<std::wstring> m_sources;
  std::vector<std::wstring> m_names;
  ULONGLONG m_totalCompressed;
  ULONGLONG m_totalUncompressed;
  ULONGLONG m_currentSize;
  // The sizes found by the last check, kMissing for a source that is not
  // there; valid while m_checked.
  std::vector<ULONGLONG> m_sizes;
  bool m_checked;
  // What the cabinet will take on disk so far: header, folder and file
  // records and the data blocks FCI has reported.
  ULONGLONG m_cabinetBytes;
  CabLimit m_limit;
  size_t m_limitEntry;
  wchar_t m_cabName[MAX_PATH];
  wchar_t m_cabFolder[MAX_PATH];  // with a trailing backslash
  wchar_t m_currentName[MAX_PATH];
  CabProgressProc m_progress;
  void* m_user;
  std::wstring m_failedSource;
  DWORD m_systemError;
  size_t m_presentCount;
  TCOMP m_forcedCompression;  // 0: chosen per list and library
  // Temporary files handed to FCI; whatever is left of them is deleted
  // when the cabinet is done or has failed.
  std::vector<std::wstring> m_temporaryFiles;
};

// The compression CreateCabinet uses for a list of `count` pairs when the
// first source is `firstSize` bytes long: MSZIP for exactly one file of 7 to
// 9 bytes, otherwise LZX 21 when the cabinet library writes LZX and MSZIP
// when it does not. Every file gets the same compression, so all of them go
// into one folder.
TCOMP ChooseCabCompression(size_t count, ULONGLONG firstSize, bool libraryWritesLzx);

// Whether the cabinet library of this process writes LZX: learned once, from
// the first folder record of a small cabinet it is asked to write with LZX
// (written to the temporary folder and deleted). False when that cabinet
// could not be written; the next call then tries again.
bool CabinetLibraryWritesLzx();

// The typeCompress of the first folder record of a cabinet's bytes; -1 when
// the bytes are no cabinet or hold no folder.
int FirstFolderCompression(const unsigned char* bytes, size_t size);
// The compression to use after a probe asked for LZX wrote `bytes`: LZX when
// the folder record says LZX (any window), MSZIP for anything else.
bool ProbeShowsLzx(const unsigned char* bytes, size_t size);
