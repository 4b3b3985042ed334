#include "ArchiveWriter.h"

#include <shlobj.h>
#include <shlwapi.h>

#include "ScopedHandles.h"

bool MakeTemporarySibling(const wchar_t* target, wchar_t* temporary) {
  temporary[0] = 0;
  wchar_t full[MAX_PATH];
  const DWORD length = GetFullPathNameW(target, MAX_PATH, full, nullptr);
  if (length == 0 || length >= MAX_PATH) {
    if (length) SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  const DWORD attributes = GetFileAttributesW(full);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  if (!PathRemoveFileSpecW(full) || !*full) {
    SetLastError(ERROR_INVALID_NAME);
    return false;
  }
  // GetTempFileNameW needs room for the folder, a backslash and 12 more.
  if (wcslen(full) > MAX_PATH - 15) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  // A folder that is not there (or is a file) is named as such; the system
  // would say only that the folder's name is invalid.
  const DWORD folder = GetFileAttributesW(full);
  if (folder == INVALID_FILE_ATTRIBUTES || !(folder & FILE_ATTRIBUTE_DIRECTORY)) {
    const DWORD code = folder == INVALID_FILE_ATTRIBUTES ? GetLastError() : ERROR_PATH_NOT_FOUND;
    SetLastError(code == ERROR_FILE_NOT_FOUND ? ERROR_PATH_NOT_FOUND : code);
    return false;
  }
  if (!GetTempFileNameW(full, L"sdk", 0, temporary)) {
    temporary[0] = 0;
    return false;
  }
  // Wine's GetTempFileNameW gives a name without the file when the folder
  // refuses to create it (a read-only drive): made here, the refusal says
  // why.
  if (GetFileAttributesW(temporary) == INVALID_FILE_ATTRIBUTES) {
    const vesmarin::ScopedFile file(CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
      temporary[0] = 0;
      return false;
    }
  }
  return true;
}

bool ReplaceWithTemporary(const wchar_t* temporary, const wchar_t* target) {
  if (MoveFileExW(temporary, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  const DWORD error = GetLastError();
  DeleteFileW(temporary);
  SetLastError(error);
  return false;
}

namespace {

// The full path of the folder the target goes into.
std::wstring TargetFolder(const wchar_t* target) {
  wchar_t full[MAX_PATH];
  const DWORD length = GetFullPathNameW(target, MAX_PATH, full, nullptr);
  if (length == 0 || length >= MAX_PATH || !PathRemoveFileSpecW(full)) return target;
  return full;
}

bool AllPresentFilesEmpty(const ArchiveEntryList& entries) {
  bool any = false;
  for (const std::wstring& source : entries.sources()) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(source.c_str(), GetFileExInfoStandard, &data)) continue;
    if (data.nFileSizeLow || data.nFileSizeHigh) return false;
    any = true;
  }
  return any;
}

void Describe(const CCabEncoder& encoder, const ArchiveEntryList& entries, const wchar_t* target,
              ArchiveWriteFailure* failure) {
  failure->error = encoder.GetLastError();
  failure->systemError = encoder.FailedSystemError();
  failure->path = target;
  const int operation = failure->error.erfOper;
  if (operation == kCabErrorFormatLimit) {
    switch (encoder.PassedLimit()) {
      case CabLimit::kFileCount:
        failure->cause = ArchiveWriteFailure::kTooManyFiles;
        failure->fileCount = encoder.PresentCount();
        break;
      case CabLimit::kNameLength:
        failure->cause = ArchiveWriteFailure::kNameTooLong;
        failure->path = entries.names()[encoder.LimitEntry()];
        break;
      case CabLimit::kFileSize:
        failure->cause = ArchiveWriteFailure::kFileTooLarge;
        failure->path = entries.sources()[encoder.LimitEntry()];
        break;
      default:
        failure->cause = ArchiveWriteFailure::kCabinetTooLarge;
        break;
    }
  } else if (operation == FCIERR_OPEN_SRC || operation == FCIERR_READ_SRC) {
    failure->cause = ArchiveWriteFailure::kSource;
    failure->path = encoder.FailedSource();
  } else if (AllPresentFilesEmpty(entries)) {
    failure->cause = ArchiveWriteFailure::kOnlyEmptyFiles;
  } else {
    failure->cause = ArchiveWriteFailure::kLibrary;
  }
}

}  // namespace

bool WriteArchive(const ArchiveEntryList& entries, const wchar_t* target,
                  CabProgressProc progress, void* user, ArchiveWriteFailure* failure) {
  ArchiveWriteFailure ignored;
  if (!failure) failure = &ignored;
  *failure = ArchiveWriteFailure();
  if (!target || !*target) {
    failure->cause = ArchiveWriteFailure::kLibrary;
    return false;
  }
  if (entries.size() == 0) {
    failure->cause = ArchiveWriteFailure::kNoFiles;
    return false;
  }
  CCabEncoder encoder;
  for (size_t i = 0; i < entries.size(); ++i)
    encoder.AddFile(entries.sources()[i].c_str(), entries.names()[i].c_str());
  if (!encoder.CheckLimits()) {
    Describe(encoder, entries, target, failure);
    return false;
  }
  wchar_t temporary[MAX_PATH];
  if (!MakeTemporarySibling(target, temporary)) {
    failure->systemError = GetLastError();
    if (failure->systemError == ERROR_PATH_NOT_FOUND) {
      failure->cause = ArchiveWriteFailure::kTargetFolderMissing;
      failure->path = TargetFolder(target);
      failure->systemError = 0;
    } else {
      failure->cause = ArchiveWriteFailure::kTarget;
      failure->path = target;
    }
    return false;
  }
  if (!encoder.CreateCabinet(temporary, progress, user)) {
    DeleteFileW(temporary);
    Describe(encoder, entries, target, failure);
    return false;
  }
  if (!ReplaceWithTemporary(temporary, target)) {
    failure->systemError = GetLastError();
    failure->cause = ArchiveWriteFailure::kTarget;
    failure->path = target;
    return false;
  }
  SHChangeNotify(SHCNE_CREATE, SHCNF_PATHW, target, nullptr);
  return true;
}
