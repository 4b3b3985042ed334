// The Select Destination Folder page: the folder edit with the folder
// picker and the package's default sub-folder, the two overwrite choices,
// and the checks a folder passes before the installation may go on.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
#include <shlwapi.h>
#include <strsafe.h>

#include <string>

#include "ArchiveOpen.h"
#include "CabDecoder.h"
#include "ClassicGuiFont.h"
#include "ExtensionRecord.h"
#include "ExtractResource.h"
#include "FolderPicker.h"
#include "LastError.h"
#include "Folders.h"
#include "SavedInstallPath.h"
#include "SfxContainer.h"
#include "StubExtension.h"
#include "StubSettings.h"
#include "StubState.h"
#include "StubStrings.h"
#include "TessalyResource.h"
#include "UninstallerInstall.h"
#include "WizardPages.h"
#include "WizardResource.h"
#include "WizardCommon.h"

namespace stub {

namespace {

const int kFolderLimit = MAX_PATH - 1;
const size_t kPickerCapacity = 516;
const size_t kQuestionCapacity = 516;
const wchar_t kCleanedCaption[] = L"Vesmarin 6";

wchar_t g_initialFolder[MAX_PATH];
bool g_initialFolderShown = false;
bool g_cleaning = false;

std::wstring FolderText(HWND page) {
  HWND edit = GetDlgItem(page, IDC_DEST_FOLDER);
  const int length = GetWindowTextLengthW(edit);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(edit, &text[0], length + 1)));
  return text;
}

void SetFolderText(HWND page, const wchar_t* text) {
  SetDlgItemTextW(page, IDC_DEST_FOLDER, text);
  SendDlgItemMessageW(page, IDC_DEST_FOLDER, EM_SETSEL, 0, -1);
}

// first, a blank line and the string (the string alone when first is
// empty); error icon.
void ShowPathError(HWND owner, const std::wstring& first, UINT stringId) {
  wchar_t text[kMessageBufferSize];
  std::wstring message = first.empty() ? std::wstring() : first + L"\n\n";
  message += LoadStubString(stringId, text, ARRAYSIZE(text));
  ShowStubMessage(owner, message.c_str(), PackageCaption(), MB_OK | MB_ICONERROR);
}

void ShowUninstallerPathError(HWND owner, std::wstring folder) {
  if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  ShowPathError(owner, folder + L"\\" + g_Settings->UseVesmarinUninstallerFolder,
                IDS_UNINSTALL_PATH_TOO_LONG);
}

// The first member whose path below the folder would be longer than an
// extraction writes; empty when every member fits there.
std::wstring MemberWithoutRoom(const wchar_t* folder) {
  CCabDecoder* decoder = g_Archive ? g_Archive->Decoder : nullptr;
  if (!decoder) return std::wstring();
  std::wstring base = folder;
  if (base.empty() || base.back() != L'\\') base += L'\\';
  ArchiveItem member;
  for (int more = decoder->FindFirst(&member); more; more = decoder->FindNext(&member))
    if (PlaceArchiveItem(base.c_str(), member.name, nullptr) == ArchiveItemPlace::kTooLong)
      return member.name;
  return std::wstring();
}

// A folder under which a member would not fit is refused before anything
// is extracted, with the member named as the builder names it.
bool MembersFit(HWND owner, const wchar_t* folder) {
  const std::wstring member = MemberWithoutRoom(folder);
  if (member.empty()) return true;
  wchar_t format[kMessageBufferSize];
  wchar_t text[kMessageBufferSize];
  LoadStubString(IDS_MEMBER_NO_ROOM, format, ARRAYSIZE(format));
  StringCchPrintfW(text, ARRAYSIZE(text), format, member.c_str(), kMaxInstalledPath);
  ShowStubMessage(owner, text, PackageCaption(), MB_OK | MB_ICONERROR);
  return false;
}

void ShowInvalidCharsWarning(HWND page, const wchar_t* caption) {
  wchar_t text[kMessageBufferSize];
  ShowStubMessage(page, LoadStubString(IDS_EXTRACT_PATH_INVALID, text, ARRAYSIZE(text)), caption,
                  MB_OK | MB_ICONWARNING);
}

// "Add default folder" is offered while the folder does not end with the
// package's sub-folder.
void UpdateAddDefault(HWND page, std::wstring text) {
  const wchar_t* sub = g_Settings->ExtractFolder;
  if (!*sub) return;
  if (text.empty() || text.back() != L'\\') text += L'\\';
  const size_t subLength = wcslen(sub);
  const bool present =
      text.size() >= subLength && lstrcmpiW(text.c_str() + text.size() - subLength, sub) == 0;
  EnableWindow(GetDlgItem(page, IDC_DEST_ADD_DEFAULT), !present);
}

// Characters that a path cannot hold are taken out at once, with a warning.
void CleanFolderText(HWND page) {
  if (g_cleaning) return;
  std::wstring text = FolderText(page);
  if (!RemoveInvalidPathChars(&text[0], true)) {
    text.resize(wcslen(text.c_str()));
    DWORD selectionEnd = 0;
    SendDlgItemMessageW(page, IDC_DEST_FOLDER, EM_GETSEL, 0,
                        reinterpret_cast<LPARAM>(&selectionEnd));
    ShowInvalidCharsWarning(page, kCleanedCaption);
    g_cleaning = true;
    SetDlgItemTextW(page, IDC_DEST_FOLDER, text.c_str());
    g_cleaning = false;
    const LPARAM caret = selectionEnd > 0 ? selectionEnd - 1 : 0;
    SendDlgItemMessageW(page, IDC_DEST_FOLDER, EM_SETSEL, caret, caret);
  }
  UpdateAddDefault(page, text);
}

void AddDefaultFolder(HWND page) {
  const std::wstring text = FolderText(page);
  wchar_t joined[MAX_PATH];
  // A join that does not fit leaves the folder as it is.
  if (text.size() >= MAX_PATH || !PathCombineW(joined, text.c_str(), g_Settings->ExtractFolder))
    return;
  SetFolderText(page, joined);
  SetFocus(GetDlgItem(page, IDC_DEST_FOLDER));
  EnableWindow(GetDlgItem(page, IDC_DEST_ADD_DEFAULT), FALSE);
}

void Browse(HWND page) {
  wchar_t folder[kPickerCapacity];
  if (BrowseForFolder(page, folder, ARRAYSIZE(folder))) SetFolderText(page, folder);
}

void InitDestinationPage(HWND page) {
  const StubSettings& s = *g_Settings;
  if (g_WizardNewStyle)
    ApplyClassicGuiFont(page, true);
  else
    SetClassicPanelBitmap(page);
  lstrcpynW(g_initialFolder, s.ExtractPath, MAX_PATH);
  if (s.FlagsA & SfxFlagsA::UseSavePath) {
    wchar_t saved[MAX_PATH];
    if (ReadSavedInstallPath(SavedPathRoot(s.SavePathRootKey), s.SavePathKey, s.SavePathValue,
                             saved) == kSavedPathFound)
      lstrcpynW(g_initialFolder, saved, MAX_PATH);
  }
  SendDlgItemMessageW(page, IDC_DEST_FOLDER, EM_SETLIMITTEXT, kFolderLimit, 0);
  SetFolderText(page, g_initialFolder);
  const bool hideAsk = (s.FlagsB & SfxFlagsB::HideAskOverWrite) != 0;
  CheckDlgButton(page, IDC_DEST_CONFIRM_OVERWRITE,
                 (s.FlagsA & SfxFlagsA::AskOverwrite) && !hideAsk ? BST_CHECKED : BST_UNCHECKED);
  if (hideAsk) ShowWindow(GetDlgItem(page, IDC_DEST_CONFIRM_OVERWRITE), SW_HIDE);
  CheckDlgButton(page, IDC_DEST_FORCE_OVERWRITE, BST_UNCHECKED);
  ShowWindow(GetDlgItem(page, IDC_DEST_FORCE_OVERWRITE),
             (s.FlagsB & SfxFlagsB::ShowForceOverwrite) ? SW_SHOW : SW_HIDE);
  if (!*s.ExtractFolder) ShowWindow(GetDlgItem(page, IDC_DEST_ADD_DEFAULT), SW_HIDE);
}

// Next: the folder, made absolute, must fit with the uninstaller's place,
// without forbidden characters; a missing one is created by the extraction
// once the user agreed; the extension module has its say. -1 keeps the
// page.
LONG DestinationNext(HWND page) {
  StubSettings& s = *g_Settings;
  HWND frame = GetParent(page);
  const std::wstring text = FolderText(page);
  wchar_t folder[MAX_PATH];
  switch (ValidateDestinationFolder(text.c_str(), folder)) {
    case kDestinationOk:
      break;
    case kDestinationInvalidChars:
      ShowInvalidCharsWarning(page, PackageCaption());
      return -1;
    default:
      ShowPathError(frame, text, IDS_ERROR_PATH);
      return -1;
  }
  // A folder without room for the uninstaller is refused before it is
  // offered for creation.
  if (!UninstallerPathFits(s, folder)) {
    ShowUninstallerPathError(frame, folder);
    return -1;
  }
  if (!MembersFit(frame, folder)) return -1;
  ConnectShare(folder);
  const DWORD attributes = GetFileAttributesW(folder);
  const bool exists =
      attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
  if (!exists && !(s.FlagsA & SfxFlagsA::AfterDeleteExe) &&
      !(s.FlagsB & SfxFlagsB::NoAskMakeDir)) {
    wchar_t format[kMessageBufferSize];
    wchar_t question[kQuestionCapacity];
    LoadStubString(IDS_FOLDER_CREATE_QUESTION, format, ARRAYSIZE(format));
    StringCchPrintfW(question, ARRAYSIZE(question), format, folder);
    if (ShowStubMessage(page, question, PackageCaption(), MB_YESNO | MB_ICONWARNING) != IDYES)
      return -1;
  }
  if (ExtensionModuleLoaded()) {
    SetDlgItemTextW(page, IDC_DEST_FOLDER, folder);
    const LONG answer = SendInstallFolderEvent(folder);
    if (answer == kExtensionResultStayOnPage) return -1;
    if (answer != 0) {
      // The module refused the folder: the wizard ends as when it refuses
      // on the Welcome page.
      PostMessageW(frame, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
      return -1;
    }
  }
  // The module may have changed the folder.
  if (!UninstallerPathFits(s, folder)) {
    ShowUninstallerPathError(frame, folder);
    return -1;
  }
  if (!MembersFit(frame, folder)) return -1;
  lstrcpynW(s.ExtractPath, folder, MAX_PATH);
  return 0;
}

// Leaving by Next or Back: a folder that cannot be one keeps the page, and
// the overwrite choices are taken over. False keeps the page.
bool LeaveDestinationPage(HWND page) {
  StubSettings& s = *g_Settings;
  HWND frame = GetParent(page);
  const std::wstring text = FolderText(page);
  if (text.size() >= MAX_PATH) {
    ShowPathError(frame, text, IDS_ERROR_PATH);
    return false;
  }
  wchar_t folder[MAX_PATH];
  if (ValidateDestinationFolder(text.c_str(), folder) == kDestinationOk &&
      !UninstallerPathFits(s, folder)) {
    ShowUninstallerPathError(frame, folder);
    return false;
  }
  if (IsDlgButtonChecked(page, IDC_DEST_CONFIRM_OVERWRITE) == BST_CHECKED)
    s.FlagsA |= SfxFlagsA::AskOverwrite;
  else
    s.FlagsA &= ~SfxFlagsA::AskOverwrite;
  if (IsDlgButtonChecked(page, IDC_DEST_FORCE_OVERWRITE) == BST_CHECKED)
    s.FlagsB &= ~SfxFlagsB::NoOverwriteNewTimeStamp;
  return true;
}

}  // namespace

INT_PTR CALLBACK DestinationPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      InitDestinationPage(page);
      return TRUE;
    case kWizardCaptionMessage:
      ApplyWizardCaption(page);
      return TRUE;
    case kWizardDeferredMessage:
      if (!g_initialFolderShown) {
        g_initialFolderShown = true;
        SetFolderText(page, g_initialFolder);
      }
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_DEST_FOLDER:
          if (HIWORD(wParam) == EN_CHANGE) CleanFolderText(page);
          return TRUE;
        case IDC_DEST_BROWSE:
          if (HIWORD(wParam) == BN_CLICKED) Browse(page);
          return TRUE;
        case IDC_DEST_ADD_DEFAULT:
          if (HIWORD(wParam) == BN_CLICKED) AddDefaultFolder(page);
          return TRUE;
      }
      return FALSE;
    case WM_NOTIFY: {
      const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
      switch (header->code) {
        case PSN_SETACTIVE:
          ShowWizardHeader(page, kPageDestination);
          PostMessageW(GetParent(page), PSM_SETWIZBUTTONS, 0, PSWIZB_BACK | PSWIZB_NEXT);
          PostMessageW(page, kWizardDeferredMessage, 0, 0);
          PostMessageW(page, kWizardCaptionMessage, 0, 0);
          SetWindowLongPtrW(page, DWLP_MSGRESULT, 0);
          return TRUE;
        case PSN_KILLACTIVE:
          SetWindowLongPtrW(page, DWLP_MSGRESULT, LeaveDestinationPage(page) ? FALSE : TRUE);
          return TRUE;
        case PSN_WIZNEXT:
          SetWindowLongPtrW(page, DWLP_MSGRESULT, DestinationNext(page));
          return TRUE;
      }
      return FALSE;
    }
  }
  return FALSE;
}

}  // namespace stub
