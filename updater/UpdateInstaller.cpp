#include "UpdateInstaller.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <boost/format.hpp>

#include <atomic>
#include <cwchar>

#include "BackgroundTransfer.h"
#include "DownloadDomain.h"
#include "DownloadFolder.h"
#include "HttpDownload.h"
#include "Md5.h"
#include "NemdriftResource.h"
#include "Sha256.h"
#include "SystemDlls.h"
#include "ScopedHandles.h"
#include "SystemHelpers.h"
#include "UpdaterState.h"
#include "UpdaterStrings.h"
#include "WindowCentering.h"

#ifndef NEMDRIFT_UPDATE_SIGNER
#error "NEMDRIFT_UPDATE_SIGNER must be set by the build"
#endif
#ifndef NEMDRIFT_UPDATE_SIGNER_KEY
#error "NEMDRIFT_UPDATE_SIGNER_KEY must be set by the build"
#endif

const wchar_t kUpdateSignerName[] = NEMDRIFT_UPDATE_SIGNER;
const wchar_t kUpdateSignerKey[] = NEMDRIFT_UPDATE_SIGNER_KEY;

namespace {

// Set by the progress dialog's Cancel; read by the waiting loop and the
// download's worker thread.
std::atomic<bool> g_cancelled(false);

// Used by the download's worker thread only, until the transfer ends.
struct DownloadTarget {
  HANDLE file;
  Md5Context* md5;
  HWND progressBar;
  uint64_t written;
};

INT_PTR CALLBACK DownloadProgressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      SendDlgItemMessageW(dialog, IDC_DOWNLOAD_PROGRESS, PBM_SETRANGE32, 0, 100);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL) {
        g_cancelled = true;
        EnableWindow(GetDlgItem(dialog, IDCANCEL), FALSE);
        return TRUE;
      }
      break;
  }
  return FALSE;
}

// Runs on the download's worker thread: the progress bar is only posted to.
int UpdateDownloadCallback(const BYTE* data, DWORD length, DWORD total, void* context) {
  DownloadTarget* target = static_cast<DownloadTarget*>(context);
  if (g_cancelled || !target->file || target->file == INVALID_HANDLE_VALUE) return 0;
  DWORD written = 0;
  if (!WriteFile(target->file, data, length, &written, nullptr) || written != length) return 0;
  target->written += written;
  if (total != 0 && target->progressBar)
    PostMessageW(target->progressBar, PBM_SETPOS, ProgressPercent(target->written, total), 0);
  Md5Update(target->md5, data, length);
  return 1;
}

void ShowError(HWND dialog, UINT textId) {
  MessageBoxW(dialog, LoadStringResource(textId).c_str(),
              LoadStringResource(IDS_UPDATE_PROGRAM).c_str(), MB_ICONERROR);
}

// The update file cannot be written at path.
void ShowWriteError(HWND dialog, const std::wstring& path) {
  const std::wstring text = LoadStringResource(IDS_WRITE_FAILED) + L"\r\n\r\n" + path;
  MessageBoxW(dialog, text.c_str(), LoadStringResource(IDS_UPDATE_PROGRAM).c_str(), MB_ICONERROR);
}

const UpdateItem* SelectedUpdate(HWND dialog) {
  LVITEMW row = {};
  row.mask = LVIF_PARAM;
  if (!GetSelectedListItem(GetDlgItem(dialog, IDC_UPDATE_LIST), &row) || !row.lParam) return nullptr;
  const UpdateItem* item = reinterpret_cast<const UpdateItem*>(row.lParam);
  return item->Kind == kUpdateItemKind ? item : nullptr;
}

// Downloads into the open file on a worker thread while the progress
// dialog answers and this dialog is disabled (the caller enables it
// again); its MD5 digest goes to digest. There is no overall deadline while
// bytes keep coming, but a transfer that receives nothing for
// kRequestTimeoutMs ends. False when the transfer failed or was cancelled.
bool Download(HWND dialog, const UpdateItem& item, HANDLE file, wchar_t (&digest)[33],
              bool* leftDomain) {
  DownloadTarget target = {file, Md5Create(), nullptr, 0};
  if (!target.md5) return false;
  HWND progress = CreateDialogParamW(g_Updater.Instance, MAKEINTRESOURCEW(IDD_DOWNLOAD), dialog,
                                     DownloadProgressDialogProc, 0);
  if (progress) {
    target.progressBar = GetDlgItem(progress, IDC_DOWNLOAD_PROGRESS);
    CenterWindowOver(progress, dialog);
    ShowWindow(progress, SW_SHOW);
    UpdateWindow(progress);
  }
  EnableWindow(dialog, FALSE);
  g_cancelled = false;
  const std::wstring agent = LoadStringResource(IDS_USER_AGENT);
  const wchar_t* user =
      g_Updater.UpdaterLoginUser.empty() ? nullptr : g_Updater.UpdaterLoginUser.c_str();
  const wchar_t* password =
      g_Updater.UpdaterLoginPass.empty() ? nullptr : g_Updater.UpdaterLoginPass.c_str();
  TransferLimits limits;
  limits.stallMs = kRequestTimeoutMs;
  TransferEnd end = TransferEnd::kFinished;
  const bool ok = RunTransfer(
      [&](DownloadControl& control) {
        DownloadOptions options;
        options.redirects = RedirectRule::kDownloadDomain;
        options.control = &control;
        options.leftDomain = leftDomain;
        return DownloadUrl(agent.c_str(), item.FileURL.c_str(), user, password,
                           UpdateDownloadCallback, kDownloadChunk, &target, options);
      },
      progress, limits, &g_cancelled, &end);
  // A WM_QUIT while the download ran ends it like Cancel.
  if (end == TransferEnd::kCancelled) g_cancelled = true;
  if (progress) DestroyWindow(progress);
  Md5FinishHex(target.md5, digest);
  return ok && !g_cancelled;
}

}  // namespace

unsigned ProgressPercent(uint64_t position, uint64_t total) {
  if (total == 0) return 0;
  const uint64_t percent = position >= total ? 100 : position * 100 / total;
  return static_cast<unsigned>(percent);
}


namespace {

typedef BOOL(WINAPI* EncodeObjectFn)(DWORD, LPCSTR, const void*, DWORD, PCRYPT_ENCODE_PARA, void*,
                                     DWORD*);

// True when the SHA-256 digest of the certificate's SubjectPublicKeyInfo,
// DER-encoded, is the hexadecimal digest pinned (letter case aside); never
// for an empty pin.
bool PublicKeyMatches(EncodeObjectFn encode, const CERT_INFO& certificate, const wchar_t* pinned) {
  if (!pinned || wcslen(pinned) != 64) return false;
  BYTE* der = nullptr;
  DWORD size = 0;
  if (!encode(X509_ASN_ENCODING, X509_PUBLIC_KEY_INFO, &certificate.SubjectPublicKeyInfo,
              CRYPT_ENCODE_ALLOC_FLAG, nullptr, &der, &size) ||
      !der)
    return false;
  std::wstring digest;
  const bool hashed = vesmarin::Sha256Hex(der, size, &digest);
  LocalFree(der);
  return hashed && _wcsicmp(digest.c_str(), pinned) == 0;
}

}  // namespace

bool VerifyUpdateSignature(HWND owner, const wchar_t* path, HANDLE file,
                           const wchar_t* signerName, const wchar_t* signerKey, bool* valid) {
  typedef LONG(WINAPI * VerifyFn)(HWND, GUID*, LPVOID);
  typedef CRYPT_PROVIDER_DATA*(WINAPI * ProvDataFn)(HANDLE);
  typedef CRYPT_PROVIDER_SGNR*(WINAPI * SignerFn)(CRYPT_PROVIDER_DATA*, DWORD, BOOL, DWORD);
  typedef DWORD(WINAPI * NameFn)(PCCERT_CONTEXT, DWORD, DWORD, void*, LPWSTR, DWORD);
  const VerifyFn verify = vesmarin::SystemProc<VerifyFn>(L"wintrust.dll", "WinVerifyTrust");
  const ProvDataFn provData =
      vesmarin::SystemProc<ProvDataFn>(L"wintrust.dll", "WTHelperProvDataFromStateData");
  const SignerFn signerOf =
      vesmarin::SystemProc<SignerFn>(L"wintrust.dll", "WTHelperGetProvSignerFromChain");
  const NameFn nameOf = vesmarin::SystemProc<NameFn>(L"crypt32.dll", "CertGetNameStringW");
  const EncodeObjectFn encode =
      vesmarin::SystemProc<EncodeObjectFn>(L"crypt32.dll", "CryptEncodeObjectEx");
  if (!verify || !provData || !signerOf || !nameOf || !encode) return false;

  WINTRUST_FILE_INFO fileInfo = {};
  fileInfo.cbStruct = sizeof fileInfo;
  fileInfo.pcwszFilePath = path;
  fileInfo.hFile = file;
  WINTRUST_DATA data = {};
  data.cbStruct = sizeof data;
  data.dwUIChoice = WTD_UI_NOGOOD;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &fileInfo;
  data.dwStateAction = WTD_STATEACTION_VERIFY;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  const LONG trust = verify(owner, &action, &data);
  bool signerMatches = false;
  if (trust == 0 && data.hWVTStateData) {
    CRYPT_PROVIDER_DATA* provider = provData(data.hWVTStateData);
    CRYPT_PROVIDER_SGNR* signer = provider ? signerOf(provider, 0, FALSE, 0) : nullptr;
    if (signer && signer->csCertChain > 0 && signer->pasCertChain &&
        signer->pasCertChain[0].pCert && signer->pasCertChain[0].pCert->pCertInfo) {
      PCCERT_CONTEXT certificate = signer->pasCertChain[0].pCert;
      wchar_t name[256] = {};
      const bool nameMatches =
          nameOf(certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, name, 256) > 1 &&
          signerName && wcscmp(name, signerName) == 0;
      signerMatches = nameMatches && PublicKeyMatches(encode, *certificate->pCertInfo, signerKey);
    }
  }
  data.dwStateAction = WTD_STATEACTION_CLOSE;
  verify(owner, &action, &data);
  *valid = trust == 0 && signerMatches;
  return true;
}

namespace {

// How an installation that has begun to download ends: started, cancelled
// (nothing to say), refused with the write error naming path, or refused
// with the error string text.
struct InstallEnd {
  enum Kind { kStarted, kCancelled, kWriteError, kError } kind;
  UINT text;
  std::wstring path;
};
InstallEnd Started() { return {InstallEnd::kStarted, 0, L""}; }
InstallEnd Cancelled() { return {InstallEnd::kCancelled, 0, L""}; }
InstallEnd WriteError(const std::wstring& path) { return {InstallEnd::kWriteError, 0, path}; }
InstallEnd Error(UINT text) { return {InstallEnd::kError, text, L""}; }

// Asks whether to start the update of item now.
bool UserConfirms(HWND dialog, const UpdateItem& item) {
  std::wstring question;
  try {
    question = (boost::wformat(LoadStringResource(IDS_CONFIRM_UPDATE)) % item.Name).str();
  } catch (const boost::io::format_error&) {
    question = LoadStringResource(IDS_CONFIRM_UPDATE);
  }
  return MessageBoxW(dialog, question.c_str(), LoadStringResource(IDS_UPDATE_PROGRAM).c_str(),
                     MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

// The host of the file's address inside the download domain and a bare file
// name: 0, or the error string that refuses them.
UINT CheckSource(const UpdateItem& item) {
  wchar_t host[2084] = {};
  DWORD hostLength = 2084;
  if (FAILED(UrlGetPartW(item.FileURL.c_str(), host, &hostLength, URL_PART_HOSTNAME, 0)) ||
      host[0] == L'\0')
    return IDS_NO_DOWNLOAD_HOST;
  host[2083] = L'\0';
  if (CheckHostSuffix(host, kDownloadDomainSuffix) != 0) return IDS_HOST_OUTSIDE_DOMAIN;
  if (!IsBareFileName(item.FileName)) return IDS_DOWNLOAD_FAILED;
  return 0;
}

// The folders and the empty update file, created for writing; on failure
// file stays invalid and end says why.
bool CreateTarget(DownloadPlace& place, const UpdateItem& item, vesmarin::ScopedFile* file,
                  InstallEnd* end) {
  if (!place.MakeFolders(g_Updater.DownloadPath)) {
    *end = place.parent().empty() ? WriteError(place.area() + L"\\" + g_Updater.DownloadPath)
                                  : Error(IDS_DOWNLOAD_FAILED);
    return false;
  }
  if (place.folder().size() + 1 + item.FileName.size() > MAX_PATH - 1) {
    *end = Error(IDS_DOWNLOAD_FAILED);
    return false;
  }
  file->reset(place.CreateUpdateFile(item.FileName));
  if (file->valid()) return true;
  *end = WriteError(place.folder() + L"\\" + item.FileName);
  return false;
}

// Downloads into the new file and checks its digest; true when it holds
// the whole update, else end says why. The file is closed either way.
bool DownloadAndCheckDigest(HWND dialog, const UpdateItem& item, vesmarin::ScopedFile& file,
                            InstallEnd* end) {
  wchar_t digest[33] = {};
  bool leftDomain = false;
  const bool downloaded = Download(dialog, item, file.get(), digest, &leftDomain);
  const bool closed = file.Close();
  if (g_cancelled) {
    *end = Cancelled();
  } else if (!downloaded || !closed) {
    *end = Error(leftDomain ? IDS_HOST_OUTSIDE_DOMAIN : IDS_DOWNLOAD_FAILED);
  } else if (_wcsicmp(item.FileMD5.c_str(), digest) != 0) {
    *end = Error(IDS_DIGEST_MISMATCH);
  } else {
    return true;
  }
  return false;
}

// True when expanding environment variables leaves text as it is.
bool ExpansionKeeps(const std::wstring& text) {
  const DWORD length = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
  if (length == 0) return false;
  std::wstring expanded(length, L'\0');
  if (ExpandEnvironmentStringsW(text.c_str(), &expanded[0], length) != length) return false;
  expanded.resize(length - 1);
  return expanded == text;
}

// Starts the program at path, exactly that file. The shell expands
// environment variables in the path it is given ("%USERNAME%" in a folder
// or file name), so a path that expansion would change is started by
// CreateProcessW, which takes it as written (and asks for no elevation).
bool StartVerifiedFile(HWND dialog, const std::wstring& path) {
  if (ExpansionKeeps(path)) {
    const HINSTANCE started = ShellExecuteW(dialog, IsVistaOrLater() ? L"RunAs" : L"open",
                                            path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(started) > 32;
  }
  std::wstring commandLine = L"\"" + path + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process))
    return false;
  vesmarin::ScopedHandle thread(process.hThread);
  vesmarin::ScopedHandle program(process.hProcess);
  return true;
}

// Checks the signature of the downloaded file, held open so that nobody
// can change it between the check and the start, and starts it.
InstallEnd VerifyAndStart(HWND dialog, const DownloadPlace& place) {
  const std::wstring& path = place.file();
  vesmarin::ScopedFile held(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!held) return Error(IDS_DOWNLOAD_FAILED);
  // The path no longer leads where the file was written: whatever it names
  // now is not started.
  if (!LiesInside(held.get(), place.area())) return WriteError(path);
  bool valid = false;
  if (!VerifyUpdateSignature(dialog, path.c_str(), held.get(), kUpdateSignerName,
                             kUpdateSignerKey, &valid))
    return Error(IDS_NO_SIGNATURE_CHECK);
  if (!valid) return Error(IDS_BAD_SIGNATURE);
  return StartVerifiedFile(dialog, path) ? Started() : Error(IDS_START_FAILED);
}

// From the folders to the started update; every end but a start takes back
// what this download made.
InstallEnd DownloadVerifyAndStart(HWND dialog, const UpdateItem& item, DownloadPlace& place) {
  InstallEnd end = Started();
  vesmarin::ScopedFile file;
  if (CreateTarget(place, item, &file, &end)) {
    const bool whole = DownloadAndCheckDigest(dialog, item, file, &end);
    // The dialog takes input again once what a failed download made is gone.
    if (!whole) place.RemoveAll();
    EnableWindow(dialog, TRUE);
    if (whole) end = VerifyAndStart(dialog, place);
  }
  if (end.kind != InstallEnd::kStarted) place.RemoveAll();
  return end;
}

}  // namespace

void InstallSelectedUpdate(HWND dialog) {
  const UpdateItem* selected = SelectedUpdate(dialog);
  if (!selected || selected->FileURL.empty()) return;
  const UpdateItem item = *selected;
  if (!UserConfirms(dialog, item)) return;
  if (const UINT refused = CheckSource(item)) return ShowError(dialog, refused);
  // The download area is the user's local application data: every folder on
  // the way to the file, the file itself before its first byte and again
  // before it starts must lie inside it, links resolved.
  DownloadPlace place(DownloadArea(true));
  if (place.area().empty()) return ShowError(dialog, IDS_DOWNLOAD_FAILED);
  const InstallEnd end = DownloadVerifyAndStart(dialog, item, place);
  switch (end.kind) {
    case InstallEnd::kStarted:
      DestroyWindow(dialog);
      break;
    case InstallEnd::kCancelled:
      break;
    case InstallEnd::kWriteError:
      ShowWriteError(dialog, end.path);
      break;
    case InstallEnd::kError:
      ShowError(dialog, end.text);
      break;
  }
}
