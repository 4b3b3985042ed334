// Reading Microsoft cabinets through the cabinet library's decompression
// interface (FDI): listing, extraction to files and to memory. The cabinet
// may start at a byte offset inside a larger file (the extractor stub reads
// the archive inside its own program file).
#pragma once
#include <windows.h>
#include <fdi.h>
#include <cstdint>
#include <vector>

// One listed cabinet member.
struct ArchiveItem {
  FILETIME time;      // last write, UTC
  DWORD attributes;   // read-only, hidden, system, archive (mask 0x27)
  wchar_t name[MAX_PATH];  // path inside the cabinet
  bool nameWasUtf8;   // the member carried the UTF-8 name attribute 0x80
};

// Callbacks of ExtractAll; each returns non-zero to go on.
// Item check: may replace the destination path (a 260-character buffer).
typedef BOOL (*ArchiveItemCheckProc)(const ArchiveItem* item, const wchar_t* folder,
                                     const wchar_t* itemName, wchar_t* destinationPath,
                                     void* user);
// Before write: clearing *extract (preset to 1) skips the item.
typedef BOOL (*ArchiveBeforeWriteProc)(BOOL* extract, const ArchiveItem* item,
                                       const wchar_t* destinationPath, void* user);
// After write: called once the file is written and its time set.
typedef BOOL (*ArchiveAfterWriteProc)(BOOL* flag, const ArchiveItem* item,
                                      const wchar_t* destinationPath, void* user);

class CArchiveDecoder {
 public:
  virtual bool IsArchive(const wchar_t* path) = 0;
  virtual bool Open(const wchar_t* path, uint64_t offset) = 0;
  virtual int Close() = 0;
  virtual int FindFirst(ArchiveItem* item) = 0;
  virtual int FindNext(ArchiveItem* item) = 0;
  virtual bool ExtractFile(const wchar_t* itemName, const wchar_t* destinationPath) = 0;
  virtual bool ExtractAll(const wchar_t* folder, ArchiveBeforeWriteProc beforeWrite,
                          ArchiveAfterWriteProc afterWrite, ArchiveItemCheckProc itemCheck,
                          void* user) = 0;
  // A movable global block holding the item (the caller frees it), or null.
  virtual HGLOBAL ExtractToMemory(const wchar_t* itemName, DWORD* size) = 0;
  virtual bool Contains(const wchar_t* itemName) = 0;
  virtual int GetItemCount() = 0;
  virtual ERF GetLastError() = 0;
  virtual ~CArchiveDecoder() {}
};

struct CabDecoderAccess;

class CCabDecoder : public CArchiveDecoder {
 public:
  // With useTimeZone the stored times count as local times of UTC + biasHours;
  // otherwise as local times of the reading machine.
  CCabDecoder(bool useTimeZone, int biasHours);
  ~CCabDecoder() override;
  CCabDecoder(const CCabDecoder&) = delete;
  CCabDecoder& operator=(const CCabDecoder&) = delete;

  // True when the file is a cabinet; for the path given to Open the cabinet
  // is looked for at that call's offset. A header that declares files but
  // no folder is a damaged one: false.
  bool IsArchive(const wchar_t* path) override;
  // Opens (closing first when open) the cabinet that starts `offset` bytes
  // into the file and lists its members.
  bool Open(const wchar_t* path, uint64_t offset) override;
  int Close() override;
  int FindFirst(ArchiveItem* item) override;
  int FindNext(ArchiveItem* item) override;
  // Writes the member of that name (ignoring case) to the path; false when
  // the name is unsafe (IsSafeArchiveItemName), no member matched or the
  // write failed.
  bool ExtractFile(const wchar_t* itemName, const wchar_t* destinationPath) override;
  // Extracts every member below the folder. A member whose name is unsafe or
  // whose destination would leave the folder stops the extraction (reported
  // as FDIERROR_TARGET_FILE).
  bool ExtractAll(const wchar_t* folder, ArchiveBeforeWriteProc beforeWrite,
                  ArchiveAfterWriteProc afterWrite, ArchiveItemCheckProc itemCheck,
                  void* user) override;
  HGLOBAL ExtractToMemory(const wchar_t* itemName, DWORD* size) override;
  bool Contains(const wchar_t* itemName) override;
  int GetItemCount() override;
  ERF GetLastError() override;
  // Called from ExtractAll's before-write callback: the member is written
  // into this file, which the caller opened for writing at the destination
  // (empty, as a create would leave it), instead of one the decoder opens.
  // The decoder owns the handle from then on and closes it, also when the
  // member is skipped. existed: a file stood there before.
  void WriteMemberInto(HANDLE file, bool existed);
  // After ExtractAll or ExtractFile: the system's error code of the first
  // output that could not be written whole (ERROR_DISK_FULL for a full
  // disk), and with path (MAX_PATH) that file; 0 and an empty path when
  // every write succeeded. A member that goes on in a next cabinet stops
  // both at once and reads as FDIERROR_CORRUPT_CABINET.
  DWORD GetOutputFailure(wchar_t* path) const;

  // Decodes every listed member once and writes nothing: true when each one
  // came out whole (its data read, checked and decompressed, nothing of it
  // in another cabinet). Otherwise false and, with failed, the first member
  // that did not (an empty name when the listing itself is empty).
  bool DecodeAll(ArchiveItem* failed);

 private:
  friend struct CabDecoderAccess;

  void* m_fdi;
  ERF m_error;
  std::vector<ArchiveItem> m_items;
  size_t m_cursor;
  wchar_t m_cabFolder[MAX_PATH];  // with a trailing backslash
  wchar_t m_cabName[MAX_PATH];
  wchar_t m_targetName[MAX_PATH];
  wchar_t m_targetPath[MAX_PATH];
  bool m_targetMatched;
  wchar_t m_extractFolder[MAX_PATH];
  ArchiveBeforeWriteProc m_beforeWrite;
  ArchiveAfterWriteProc m_afterWrite;
  ArchiveItemCheckProc m_itemCheck;
  void* m_user;
  bool m_afterWriteAborted;
  bool m_outputFailed;
  bool m_useTimeZone;
  int m_biasHours;
  bool m_errorSubstituted;
  // The cabinet this instance opened: its file and where it starts in it.
  wchar_t m_cabPath[MAX_PATH];
  uint64_t m_cabOffset;
  // The member being written by an extraction.
  ArchiveItem m_current;
  // DecodeAll: the members that came out whole, the size of the one being
  // decoded, and whether one came out short or needed another cabinet.
  size_t m_decoded;
  uint64_t m_expectedSize;
  bool m_decodeFailed;
  wchar_t m_currentPath[MAX_PATH];
  // The folder the last member went into: the next member of the same
  // folder needs no second look at the disk.
  wchar_t m_lastFolder[MAX_PATH];
  // The output handed over by WriteMemberInto for the member at hand.
  HANDLE m_givenOutput;
  bool m_givenExisted;
  // The first output that could not be written, and why.
  DWORD m_outputError;
  wchar_t m_outputErrorPath[MAX_PATH];
  // FDI asked for a next cabinet.
  bool m_neededNextCabinet;
};

// CAB DOS date and time to UTC. Without the switch the stored time counts as
// local time of this machine; with it as local time of UTC + biasHours.
bool CabTimeToFileTime(WORD dosDate, WORD dosTime, bool useTimeZone, int biasHours,
                       FILETIME* utc);

// A member name that may be written below a folder: not empty, relative
// (no leading '\' or '/', so no UNC or "\\?\" form), no ':' (drive letters,
// streams) and no ".." component.
bool IsSafeArchiveItemName(const wchar_t* name);

// Where a member goes below a folder: the one rule by which every
// extraction judges a member's name before anything is written, and by
// which the builder refuses names no installation could write.
enum class ArchiveItemPlace {
  kInside,   // a path below the folder
  kUnsafe,   // not a safe name (above), a character no file name holds
             // (< > " | ? * / and controls), a device name (CON, nul.txt, ...)
             // in any of its parts, or a path that leaves the folder
  kTooLong,  // folder and name reach 260 characters, or a part of the name
             // is longer than 255
};
// folder: the destination with its trailing backslash. combined (MAX_PATH,
// may be null) receives the member's path when it is inside.
ArchiveItemPlace PlaceArchiveItem(const wchar_t* folder, const wchar_t* name,
                                  wchar_t* combined);
// The shortest folder an installation can extract into: a member that has no
// place below it has none anywhere.
extern const wchar_t kShortestExtractFolder[];  // "C:\"
// Longest file or folder name the file systems take.
const size_t kMaxPathComponent = 255;
// Longest path, folder and name together, that an extraction writes.
const int kMaxInstalledPath = MAX_PATH - 1;

// True when the path, made absolute, lies inside the folder (made absolute)
// at a component boundary: C:\App\x is inside C:\App, C:\AppEvil\x is not.
bool IsPathInsideFolder(const wchar_t* folder, const wchar_t* path);
