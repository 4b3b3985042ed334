// The uninstall information file that the installer writes beside the
// installed uninstaller and that the uninstaller reads back.
//
// On disk: UTF-16LE text without a byte-order mark, every line followed by
// CR LF, and every byte of the file complemented (XOR 0xFF). The text is an
// INI-style list of sections, written in this order:
//
//   [Options]            AutoUninstIni=1, AutoUninstDat=1, HollmereHideLogButton=1,
//                        ExtModuleFile=, PreProcessFile=, PreProcessArg= (each only
//                        when set), UninstallRebootable=1 (when set),
//                        DeleteSubFolders=0, UninstallKey=<key> (always)
//   [Files]              0=<newest path>, 1=..., folders end with a backslash
//   [Registry_CLASSES_ROOT], [Registry_CURRENT_USER],
//   [Registry_LOCAL_MACHINE], [Registry_USERS]
//                        0=<key path below the root>, ...
//   [RegServer]          only when the package registers COM servers
//   [Group]              CommonGroup=1|0, 0=<Start-menu group> (when not empty)
//
// Numbered keys run from 0 without gaps: the reader stops at the first
// missing or empty one.
#pragma once
#include <windows.h>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "Sha256.h"

// The file name extension of the information file: the uninstaller's path
// with its extension replaced ("Hollmere64.exe" -> "Hollmere64.$$$").
#define UNINSTALL_INFO_EXTENSION L".$$$"

// Complements every byte in place. Its own inverse: it turns the stored form
// into text and text into the stored form.
void InvertUninstallInfoBytes(void* data, size_t size);

// The information file's path for an uninstaller path: the extension (the
// last '.' of the file name, if any) replaced by ".$$$". False when the
// result does not fit into capacity characters including the terminator.
bool MakeUninstallInfoPath(const wchar_t* uninstallerPath, wchar_t* output,
                           size_t capacity);

enum UninstallInfoResult {
  kUninstallInfoOk = 0,
  kUninstallInfoCreateFailed = 1,  // the file could not be created
  kUninstallInfoWriteFailed = 2,   // a write failed, or nothing is open
  kUninstallInfoNoMemory = 3,      // a line could not be allocated
};

// Writes the stored form line by line. Create() replaces an existing file.
// Each line goes out as its text plus CR LF, complemented; a text is cut
// at its first CR or LF so that one call always makes exactly one line.
class CUninstallInfoWriter {
 public:
  CUninstallInfoWriter() = default;
  ~CUninstallInfoWriter();  // closes the file when still open
  CUninstallInfoWriter(const CUninstallInfoWriter&) = delete;
  CUninstallInfoWriter& operator=(const CUninstallInfoWriter&) = delete;

  UninstallInfoResult Create(const wchar_t* path);
  UninstallInfoResult WriteLine(const wchar_t* text);
  // "<key>=<value>" as one line.
  UninstallInfoResult WriteEntry(const wchar_t* key, const wchar_t* value);
  // "<index>=<value>" as one line (index in decimal).
  UninstallInfoResult WriteNumbered(unsigned index, const wchar_t* value);
  // Closes the file; kUninstallInfoWriteFailed when closing failed or an
  // earlier write had failed.
  UninstallInfoResult Close();

  // Bytes written to the file so far.
  unsigned long long BytesWritten() const { return bytes_; }
  // The system's error code of the first create, write or close that
  // failed (ERROR_DISK_FULL for a write the disk had no room for); 0 when
  // none did.
  DWORD SystemError() const { return error_; }
  // The SHA-256 digest (hexadecimal) of the bytes written since Create();
  // false when it is unavailable or a write failed.
  bool Digest(std::wstring* hex);

 private:
  HANDLE file_ = INVALID_HANDLE_VALUE;
  unsigned long long bytes_ = 0;
  bool failed_ = false;
  DWORD error_ = 0;
  std::unique_ptr<vesmarin::Sha256> digest_;
};

// Everything one installation records for its removal.
struct UninstallInfoContent {
  // [Options]
  bool AutoUninstIni = false;       // AutoUninstIni=1
  bool AutoUninstDat = false;       // AutoUninstDat=1
  bool HideLogButton = false;       // HollmereHideLogButton=1
  std::wstring ExtModuleFile;       // plain file name beside the uninstaller
  std::wstring PreProcessFile;      // relative to the uninstaller's folder
  std::wstring PreProcessArg;
  bool UninstallRebootable = false; // UninstallRebootable=1
  std::wstring UninstallKey;        // name below ...\CurrentVersion\Uninstall

  // [Files]: every created file and folder in the order of creation (oldest
  // first, as the installer's created-paths list holds them); the writer
  // emits them newest first. Folders end with a backslash. The uninstaller
  // itself does not belong here.
  std::vector<std::wstring> CreatedPaths;

  // Registry keys to delete, as the settings block carries them: each text
  // is the root digit (0 CLASSES_ROOT, 1 CURRENT_USER, 2 LOCAL_MACHINE,
  // 3 USERS) followed by "<n>=<key path>". They must come sorted by root:
  // each section takes the entries of its root from the front of the list
  // and stops at the first entry of another root.
  std::vector<std::wstring> RegistryRecords;

  // [RegServer]: written when the package has a COM-server list at all;
  // RegServers are the installed paths of those to unregister.
  bool HasRegServerList = false;
  std::vector<std::wstring> RegServers;

  // [Group]
  bool CommonGroup = false;         // CommonGroup=1 (all users) or 0
  std::wstring GroupName;           // 0=<name> when not empty
};

// Creates (or replaces) the information file at path and writes content in
// its stored form. *fileSize (when given) receives the bytes written, also
// after a failure; *digest (when given) the SHA-256 digest of the stored
// file in hexadecimal, which the installer records in the product's
// Uninstall entry as "UninstallInfoDigest". On failure a partly written
// file may remain.
// *systemError (when given) receives the system's error code of a failed
// create, write or close (0 on success).
UninstallInfoResult WriteUninstallInfoFile(const wchar_t* path,
                                           const UninstallInfoContent& content,
                                           unsigned long long* fileSize = nullptr,
                                           std::wstring* digest = nullptr,
                                           DWORD* systemError = nullptr);

// The name of the Uninstall entry's value that holds that digest.
#define UNINSTALL_INFO_DIGEST_VALUE L"UninstallInfoDigest"

// Reads a stored information file and restores its UTF-16 text. False when
// the file cannot be read or its size is odd or above 16 MiB.
bool ReadUninstallInfoText(const wchar_t* path, std::wstring* text);

// What an information file's text (as ReadUninstallInfoText restores it)
// says about its product: the UninstallKey of [Options] and the [Files]
// entries in the file's order (newest first), numbered from 0 up to the
// first missing or empty one, as the uninstaller reads them. Section and key
// names are compared ignoring case.
struct UninstallInfoFiles {
  std::wstring UninstallKey;
  std::vector<std::wstring> Files;
};
UninstallInfoFiles ParseUninstallInfoFiles(const std::wstring& text);
