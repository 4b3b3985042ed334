#include "UpdateInstaller.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>
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

// A folder of its own for this download under folder; empty when none can
// be made.
std::wstring MakeNewFolder(const std::wstring& folder) {
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    wchar_t name[40];
    swprintf(name, 40, L"\\update-%08lx%02x", static_cast<unsigned long>(GetTickCount()) ^
                                                   (GetCurrentProcessId() << 8),
             attempt);
    const std::wstring candidate = folder + name;
    if (CreateDirectoryW(candidate.c_str(), nullptr)) return candidate;
    if (GetLastError() != ERROR_ALREADY_EXISTS) return L"";
  }
  return L"";
}

void RemoveDownload(const std::wstring& path, const std::wstring& folder) {
  if (!path.empty()) DeleteFileW(path.c_str());
  if (!folder.empty()) RemoveDirectoryW(folder.c_str());
}

const UpdateItem* SelectedUpdate(HWND dialog) {
  LVITEMW row = {};
  row.mask = LVIF_PARAM;
  if (!GetSelectedListItem(GetDlgItem(dialog, IDC_UPDATE_LIST), &row) || !row.lParam) return nullptr;
  const UpdateItem* item = reinterpret_cast<const UpdateItem*>(row.lParam);
  return item->Kind == kUpdateItemKind ? item : nullptr;
}

// Downloads into the open file on a worker thread while the progress
// dialog answers; its MD5 digest goes to digest. There is no overall
// deadline while bytes keep coming, but a transfer that receives nothing
// for kRequestTimeoutMs ends. False when the transfer failed or was
// cancelled.
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
  EnableWindow(dialog, TRUE);
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

void InstallSelectedUpdate(HWND dialog) {
  const UpdateItem* selected = SelectedUpdate(dialog);
  if (!selected || selected->FileURL.empty()) return;
  const UpdateItem item = *selected;

  std::wstring question;
  try {
    question = (boost::wformat(LoadStringResource(IDS_CONFIRM_UPDATE)) % item.Name).str();
  } catch (const boost::io::format_error&) {
    question = LoadStringResource(IDS_CONFIRM_UPDATE);
  }
  if (MessageBoxW(dialog, question.c_str(), LoadStringResource(IDS_UPDATE_PROGRAM).c_str(),
                  MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
    return;

  wchar_t host[2084] = {};
  DWORD hostLength = 2084;
  if (FAILED(UrlGetPartW(item.FileURL.c_str(), host, &hostLength, URL_PART_HOSTNAME, 0)) ||
      host[0] == L'\0')
    return ShowError(dialog, IDS_NO_DOWNLOAD_HOST);
  host[2083] = L'\0';
  if (CheckHostSuffix(host, kDownloadDomainSuffix) != 0)
    return ShowError(dialog, IDS_HOST_OUTSIDE_DOMAIN);
  if (!IsBareFileName(item.FileName)) return ShowError(dialog, IDS_DOWNLOAD_FAILED);

  // The download area is the user's local application data: every folder on
  // the way to the file, the file itself before its first byte and again
  // before it starts must lie inside it, links resolved.
  wchar_t base[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, base)))
    return ShowError(dialog, IDS_DOWNLOAD_FAILED);
  const std::wstring area = base;
  std::wstring parent;
  if (!MakeFolderInside(area, g_Updater.DownloadPath, &parent))
    return ShowWriteError(dialog, area + L"\\" + g_Updater.DownloadPath);
  const std::wstring folder = MakeNewFolder(parent);
  const std::wstring path = folder + L"\\" + item.FileName;
  if (folder.empty() || path.size() > MAX_PATH - 1) {
    RemoveDownload(L"", folder);
    return ShowError(dialog, IDS_DOWNLOAD_FAILED);
  }

  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE && !LiesInside(file, area)) {
    // Made through a link that came meanwhile: this very file goes again.
    FILE_DISPOSITION_INFO gone = {TRUE};
    SetFileInformationByHandle(file, FileDispositionInfo, &gone, sizeof gone);
    CloseHandle(file);
    file = INVALID_HANDLE_VALUE;
  }
  if (file == INVALID_HANDLE_VALUE) {
    RemoveDownload(L"", folder);
    return ShowWriteError(dialog, path);
  }
  wchar_t digest[33] = {};
  bool leftDomain = false;
  const bool downloaded = Download(dialog, item, file, digest, &leftDomain);
  const bool closed = CloseHandle(file) != FALSE;
  if (g_cancelled) return RemoveDownload(path, folder);
  if (!downloaded || !closed) {
    RemoveDownload(path, folder);
    return ShowError(dialog, leftDomain ? IDS_HOST_OUTSIDE_DOMAIN : IDS_DOWNLOAD_FAILED);
  }
  if (_wcsicmp(item.FileMD5.c_str(), digest) != 0) {
    RemoveDownload(path, folder);
    return ShowError(dialog, IDS_DIGEST_MISMATCH);
  }

  // From here on the file is held open so that nobody can change it between
  // the check and the start.
  HANDLE held = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (held == INVALID_HANDLE_VALUE) {
    RemoveDownload(path, folder);
    return ShowError(dialog, IDS_DOWNLOAD_FAILED);
  }
  // The path no longer leads where the file was written: whatever it names
  // now is neither started nor deleted.
  if (!LiesInside(held, area)) {
    CloseHandle(held);
    return ShowWriteError(dialog, path);
  }
  bool valid = false;
  if (!VerifyUpdateSignature(dialog, path.c_str(), held, kUpdateSignerName, kUpdateSignerKey,
                             &valid)) {
    CloseHandle(held);
    RemoveDownload(path, folder);
    return ShowError(dialog, IDS_NO_SIGNATURE_CHECK);
  }
  if (!valid) {
    CloseHandle(held);
    RemoveDownload(path, folder);
    return ShowError(dialog, IDS_BAD_SIGNATURE);
  }
  const HINSTANCE started = ShellExecuteW(dialog, IsVistaOrLater() ? L"RunAs" : L"open",
                                          path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  CloseHandle(held);
  if (reinterpret_cast<INT_PTR>(started) <= 32) {
    RemoveDownload(path, folder);
    return ShowError(dialog, IDS_START_FAILED);
  }
  DestroyWindow(dialog);
}
