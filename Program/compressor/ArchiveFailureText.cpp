#include "ArchiveFailureText.h"

#include <cwchar>
#include <string>

#include "CompressorState.h"
#include "CompressorText.h"
#include "ResString.h"
#include "SardokResource.h"
#include "TextUtil.h"

namespace {

HINSTANCE Module() {
  return Compressor().instance ? Compressor().instance : GetModuleHandleW(nullptr);
}

std::wstring Filled(UINT id, const wchar_t* text, const int* number = nullptr) {
  return LoadResFormatted(Module(), id, text, number);
}

bool IsDiskFull(DWORD code) { return code == ERROR_DISK_FULL || code == ERROR_HANDLE_DISK_FULL; }

// A count written as the texts write their limits: digits in groups of
// three with a comma between them, in both languages.
std::wstring Grouped(size_t number) {
  std::wstring digits = std::to_wstring(number);
  for (size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, 1, L',');
  return digits;
}

}  // namespace

std::wstring ArchiveFailureText(const ArchiveWriteFailure& failure) {
  // A full disk is the one cause the general message names.
  if (IsDiskFull(failure.systemError)) return LoadText(IDS_CREATE_FAILED);
  std::wstring text;
  switch (failure.cause) {
    case ArchiveWriteFailure::kSource:
      text = Filled(IDS_CREATE_FAILED_SOURCE, failure.path.c_str());
      break;
    case ArchiveWriteFailure::kTooManyFiles:
      return Filled(IDS_CREATE_FAILED_TOO_MANY, Grouped(failure.fileCount).c_str());
    // The format's limits are the writer's own refusals: no library error.
    case ArchiveWriteFailure::kNameTooLong:
      return Filled(IDS_CREATE_FAILED_NAME_TOO_LONG, failure.path.c_str());
    case ArchiveWriteFailure::kFileTooLarge:
      return Filled(IDS_CREATE_FAILED_FILE_TOO_LARGE, failure.path.c_str());
    case ArchiveWriteFailure::kCabinetTooLarge:
      return LoadText(IDS_CREATE_FAILED_CABINET_TOO_LARGE);
    case ArchiveWriteFailure::kNoFiles:
      return LoadText(IDS_NO_FILES);
    case ArchiveWriteFailure::kOnlyEmptyFiles:
      text = LoadText(IDS_CREATE_FAILED_EMPTY);
      break;
    case ArchiveWriteFailure::kTarget:
      text = Filled(IDS_CREATE_FAILED_TARGET, failure.path.c_str());
      break;
    case ArchiveWriteFailure::kTargetFolderMissing:
      return Filled(IDS_CREATE_FAILED_NO_FOLDER, failure.path.c_str());
    default:
      text = Filled(IDS_CREATE_FAILED_LIBRARY, failure.path.c_str());
      break;
  }
  if (failure.systemError) text += L"\n\n" + SystemErrorText(failure.systemError);
  if (failure.error.fError || failure.error.erfOper) {
    wchar_t code[40];
    swprintf(code, 40, L"CAB%d-%d", failure.error.erfOper, failure.error.erfType);
    text += (failure.systemError ? L"\n" : L"\n\n") + Filled(IDS_CABINET_ERROR, code);
  }
  return text;
}
