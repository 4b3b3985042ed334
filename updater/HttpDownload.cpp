#include "HttpDownload.h"

#include <wininet.h>

#include <cwchar>
#include <string>

#include "DownloadDomain.h"
#include "ScopedHandles.h"
#include "TextUtil.h"
#include "WinInetApi.h"

namespace {

// Bound before any handle exists: DownloadUrl fails first when it is not.
const WinInetApi& Net() { return *SystemWinInet(); }

const DWORD kPartCapacity = 1001;  // characters, terminator included

struct InternetHandleTraits {
  typedef HINTERNET Type;
  static HINTERNET Invalid() { return nullptr; }
  static bool IsValid(HINTERNET handle) { return handle != nullptr; }
  static bool Release(HINTERNET handle) { return Net().InternetCloseHandle(handle) != FALSE; }
};
typedef vesmarin::ScopedResource<InternetHandleTraits> InternetHandle;

struct CrackedUrl {
  wchar_t scheme[kPartCapacity];
  wchar_t host[kPartCapacity];
  wchar_t user[kPartCapacity];
  wchar_t password[kPartCapacity];
  wchar_t path[kPartCapacity];
  wchar_t extra[kPartCapacity];
  INTERNET_SCHEME schemeId;
  INTERNET_PORT port;
  DWORD userLength;
  DWORD passwordLength;
};

// Canonicalises and splits a URL; false when any step fails or a part does
// not fit its buffer.
bool CrackUrl(const wchar_t* url, std::wstring* canonical, CrackedUrl* parts) {
  wchar_t buffer[kPartCapacity] = {};
  DWORD length = kPartCapacity;
  if (!Net().InternetCanonicalizeUrlW(url, buffer, &length, 0)) return false;
  buffer[kPartCapacity - 1] = L'\0';
  *canonical = buffer;
  ZeroMemory(parts, sizeof *parts);
  URL_COMPONENTSW components = {};
  components.dwStructSize = sizeof components;
  components.lpszScheme = parts->scheme;
  components.dwSchemeLength = kPartCapacity;
  components.lpszHostName = parts->host;
  components.dwHostNameLength = kPartCapacity;
  components.lpszUserName = parts->user;
  components.dwUserNameLength = kPartCapacity;
  components.lpszPassword = parts->password;
  components.dwPasswordLength = kPartCapacity;
  components.lpszUrlPath = parts->path;
  components.dwUrlPathLength = kPartCapacity;
  components.lpszExtraInfo = parts->extra;
  components.dwExtraInfoLength = kPartCapacity;
  if (!Net().InternetCrackUrlW(canonical->c_str(), 0, 0, &components)) return false;
  if (components.dwHostNameLength == 0 || components.dwHostNameLength >= kPartCapacity ||
      components.dwUrlPathLength >= kPartCapacity || components.dwExtraInfoLength >= kPartCapacity ||
      components.dwUserNameLength >= kPartCapacity || components.dwPasswordLength >= kPartCapacity)
    return false;
  parts->schemeId = components.nScheme;
  parts->port = components.nPort;
  parts->userLength = components.dwUserNameLength;
  parts->passwordLength = components.dwPasswordLength;
  return true;
}

void SetTimeouts(HINTERNET handle) {
  DWORD timeout = kRequestTimeoutMs;
  Net().InternetSetOptionW(handle, INTERNET_OPTION_CONNECT_TIMEOUT, &timeout, sizeof timeout);
  Net().InternetSetOptionW(handle, INTERNET_OPTION_SEND_TIMEOUT, &timeout, sizeof timeout);
  Net().InternetSetOptionW(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof timeout);
}

bool QueryNumber(HINTERNET request, DWORD info, DWORD* value) {
  DWORD size = sizeof *value;
  DWORD index = 0;
  return Net().HttpQueryInfoW(request, info | HTTP_QUERY_FLAG_NUMBER, value, &size, &index) != FALSE;
}

bool IsRedirect(DWORD status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// Reads until want bytes are there or the body ends; false on a failed read
// or a cancelled transfer. Each read takes only what has arrived, so that
// every byte that comes counts as activity at once.
bool ReadChunk(HINTERNET request, BYTE* buffer, DWORD want, DWORD* got, DownloadControl* control) {
  *got = 0;
  while (*got < want) {
    DWORD available = 0;
    if (!Net().InternetQueryDataAvailable(request, &available, 0, 0)) return false;
    if (control && control->Cancelled()) return false;
    if (available == 0) break;  // the body has ended
    const DWORD ask = available < want - *got ? available : want - *got;
    DWORD read = 0;
    if (!Net().InternetReadFile(request, buffer + *got, ask, &read)) return false;
    if (control && control->Cancelled()) return false;
    if (read == 0) break;
    if (control) control->Touch();
    *got += read;
  }
  return true;
}

// Hands one chunk to the callback unless the transfer is cancelled: 1 go
// on, 0 the callback asked to stop, -1 cancelled.
int Deliver(DownloadChunkCallback callback, const BYTE* data, DWORD length, DWORD total,
            void* context, DownloadControl* control) {
  if (control && !control->BeginDelivery()) return -1;
  const int goOn = callback(data, length, total, context) ? 1 : 0;
  if (control) control->EndDelivery();
  return goOn;
}

// The absolute target of a redirect answer; false when there is none or it
// does not fit.
bool RedirectTarget(HINTERNET request, const std::wstring& current, std::wstring* target) {
  wchar_t location[kPartCapacity] = {};
  DWORD size = sizeof location - sizeof(wchar_t);
  DWORD index = 0;
  if (!Net().HttpQueryInfoW(request, HTTP_QUERY_LOCATION, location, &size, &index)) return false;
  location[kPartCapacity - 1] = L'\0';
  wchar_t combined[kPartCapacity] = {};
  DWORD length = kPartCapacity;
  if (!Net().InternetCombineUrlW(current.c_str(), location, combined, &length, ICU_NO_ENCODE)) return false;
  combined[kPartCapacity - 1] = L'\0';
  *target = combined;
  return true;
}

// The open request of one transfer, watched by its control when there is
// one: whoever closes it first (the transfer or a Cancel) closes it alone.
class WatchedRequest {
 public:
  explicit WatchedRequest(DownloadControl* control) : control_(control) {}
  ~WatchedRequest() { Close(); }
  HINTERNET get() const { return handle_; }
  // False when there is no request or the transfer is cancelled.
  bool Open(HINTERNET handle) {
    Close();
    if (!handle) return false;
    if (control_ && !control_->Watch(handle)) {
      Net().InternetCloseHandle(handle);
      return false;
    }
    handle_ = handle;
    return true;
  }
  void Close() {
    if (!handle_) return;
    if (!control_ || control_->Unwatch(handle_)) Net().InternetCloseHandle(handle_);
    handle_ = nullptr;
  }

 private:
  DownloadControl* control_;
  HINTERNET handle_ = nullptr;
};

}  // namespace

DownloadControl::DownloadControl() : lastActivity_(GetTickCount64()) {
  InitializeCriticalSection(&lock_);
  InitializeCriticalSection(&delivery_);
}

DownloadControl::~DownloadControl() {
  DeleteCriticalSection(&delivery_);
  DeleteCriticalSection(&lock_);
}

void DownloadControl::Cancel() {
  EnterCriticalSection(&lock_);
  cancelled_ = true;
  HINTERNET request = request_;
  request_ = nullptr;
  LeaveCriticalSection(&lock_);
  // Closing the handle from here is what ends a read that waits on it; the
  // transfer, finding it taken, leaves it alone.
  if (request) Net().InternetCloseHandle(request);
  // A chunk being handed over is finished first; none follows.
  EnterCriticalSection(&delivery_);
  LeaveCriticalSection(&delivery_);
}

bool DownloadControl::BeginDelivery() {
  EnterCriticalSection(&delivery_);
  if (!Cancelled()) return true;
  LeaveCriticalSection(&delivery_);
  return false;
}

void DownloadControl::EndDelivery() { LeaveCriticalSection(&delivery_); }

bool DownloadControl::Cancelled() const {
  EnterCriticalSection(&lock_);
  const bool cancelled = cancelled_;
  LeaveCriticalSection(&lock_);
  return cancelled;
}

ULONGLONG DownloadControl::LastActivity() const {
  EnterCriticalSection(&lock_);
  const ULONGLONG last = lastActivity_;
  LeaveCriticalSection(&lock_);
  return last;
}

bool DownloadControl::Watch(HINTERNET request) {
  EnterCriticalSection(&lock_);
  const bool watched = !cancelled_;
  if (watched) request_ = request;
  LeaveCriticalSection(&lock_);
  return watched;
}

bool DownloadControl::Unwatch(HINTERNET request) {
  EnterCriticalSection(&lock_);
  const bool ours = request_ == request && request != nullptr;
  if (ours) request_ = nullptr;
  LeaveCriticalSection(&lock_);
  return ours;
}

void DownloadControl::Touch() {
  EnterCriticalSection(&lock_);
  lastActivity_ = GetTickCount64();
  LeaveCriticalSection(&lock_);
}

bool HasHttpScheme(const std::wstring& url) {
  for (const wchar_t* scheme : {L"http://", L"https://"})
    if (url.size() > wcslen(scheme) && StartsWithNoCase(url, scheme)) return true;
  return false;
}

bool DownloadUrl(const wchar_t* userAgent, const wchar_t* url, const wchar_t* userName,
                 const wchar_t* password, DownloadChunkCallback callback, DWORD chunkSize,
                 void* context) {
  return DownloadUrl(userAgent, url, userName, password, callback, chunkSize, context,
                     DownloadOptions());
}

namespace {

// The caller's user name and password, copied: a transfer left behind by
// its caller uses nothing of the caller's after it has begun. Empty ones
// leave those of the URL.
struct Credentials {
  std::wstring user;
  std::wstring password;
};

// The handles of one transfer; the request is watched by the control.
struct Transfer {
  explicit Transfer(DownloadControl* control) : control(control), request(control) {}
  DownloadControl* control;
  InternetHandle session;
  InternetHandle connection;
  WatchedRequest request;
};

// Puts the caller's credentials in place of those of the URL.
void ApplyCredentials(const Credentials& credentials, CrackedUrl* parts) {
  if (!credentials.user.empty()) {
    wcscpy(parts->user, credentials.user.c_str());
    parts->userLength = static_cast<DWORD>(credentials.user.size());
  }
  if (!credentials.password.empty()) {
    wcscpy(parts->password, credentials.password.c_str());
    parts->passwordLength = static_cast<DWORD>(credentials.password.size());
  }
}

// Connects to the host of parts and sends a GET for its path and query;
// the session is opened at the first request.
bool SendRequest(const wchar_t* userAgent, const CrackedUrl& parts, Transfer& transfer) {
  if (!transfer.session.get()) {
    transfer.session.reset(
        Net().InternetOpenW(userAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!transfer.session.get()) return false;
    SetTimeouts(transfer.session.get());
  }
  transfer.request.Close();
  if (transfer.control && transfer.control->Cancelled()) return false;
  transfer.connection.reset(Net().InternetConnectW(
      transfer.session.get(), parts.host, parts.port, parts.userLength ? parts.user : nullptr,
      parts.passwordLength ? parts.password : nullptr, INTERNET_SERVICE_HTTP, 0, 0));
  if (!transfer.connection.get()) return false;
  SetTimeouts(transfer.connection.get());
  const std::wstring object = std::wstring(parts.path) + parts.extra;
  DWORD flags = INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_RELOAD |
                INTERNET_FLAG_NO_CACHE_WRITE;
  if (parts.schemeId == INTERNET_SCHEME_HTTPS) flags |= INTERNET_FLAG_SECURE;
  if (!transfer.request.Open(Net().HttpOpenRequestW(transfer.connection.get(), L"GET",
                                                    object.c_str(), nullptr, nullptr, nullptr,
                                                    flags, 0)))
    return false;
  SetTimeouts(transfer.request.get());
  if (!Net().HttpSendRequestW(transfer.request.get(), nullptr, 0, nullptr, 0)) return false;
  return !(transfer.control && transfer.control->Cancelled());
}

// Requests url and follows its redirects under the rule of options until an
// answer that is no redirect; its status goes to status.
bool RequestFollowingRedirects(const wchar_t* userAgent, const wchar_t* url,
                               const Credentials& credentials, const DownloadOptions& options,
                               Transfer& transfer, DWORD* status) {
  std::wstring current = url;
  CrackedUrl parts;
  for (int hop = 0;; ++hop) {
    std::wstring canonical;
    if (!CrackUrl(current.c_str(), &canonical, &parts)) return false;
    if (parts.schemeId != INTERNET_SCHEME_HTTP && parts.schemeId != INTERNET_SCHEME_HTTPS)
      return false;
    // The first address is the caller's to check; under the domain rule
    // every place a redirect leads to must lie inside the download domain.
    if (hop > 0 && options.redirects == RedirectRule::kDownloadDomain &&
        CheckHostSuffix(parts.host, kDownloadDomainSuffix) != 0) {
      if (options.leftDomain) *options.leftDomain = true;
      return false;
    }
    ApplyCredentials(credentials, &parts);
    if (!SendRequest(userAgent, parts, transfer)) return false;
    if (!QueryNumber(transfer.request.get(), HTTP_QUERY_STATUS_CODE, status)) return false;
    if (!IsRedirect(*status)) return true;
    if (hop == kMaxRedirects) return false;
    std::wstring target;
    if (!RedirectTarget(transfer.request.get(), canonical, &target)) return false;
    current = target;
  }
}

// Hands the body over in chunks of at most want bytes, up to its announced
// length total; a body that ends before is a failure.
bool DeliverAnnouncedBody(HINTERNET request, DWORD total, DWORD want,
                          DownloadChunkCallback callback, void* context,
                          DownloadControl* control) {
  BYTE buffer[kDownloadChunk + 1];
  DWORD received = 0;
  while (received < total) {
    DWORD ask = total - received < want ? total - received : want;
    DWORD got = 0;
    if (!ReadChunk(request, buffer, ask, &got, control)) return false;
    if (got == 0) return false;  // the body ended before its announced length
    const int delivered = Deliver(callback, buffer, got, total, context, control);
    if (delivered <= 0) return delivered == 0;
    received += got;
  }
  return true;
}

// Hands a body of no announced length over until it ends.
bool DeliverBodyToEnd(HINTERNET request, DWORD want, DownloadChunkCallback callback,
                      void* context, DownloadControl* control) {
  BYTE buffer[kDownloadChunk + 1];
  for (;;) {
    DWORD got = 0;
    if (!ReadChunk(request, buffer, want, &got, control)) return false;
    if (got == 0) return true;
    const int delivered = Deliver(callback, buffer, got, 0, context, control);
    if (delivered <= 0) return delivered == 0;
  }
}

}  // namespace

bool DownloadUrl(const wchar_t* userAgent, const wchar_t* url, const wchar_t* userName,
                 const wchar_t* password, DownloadChunkCallback callback, DWORD chunkSize,
                 void* context, const DownloadOptions& options) {
  if (options.leftDomain) *options.leftDomain = false;
  if (!url || !callback || !SystemWinInet()) return false;
  DownloadControl* const control = options.control;
  if (control && control->Cancelled()) return false;
  const DWORD want = chunkSize == 0 || chunkSize > kDownloadChunk ? kDownloadChunk : chunkSize;
  Credentials credentials;
  if (userName && userName[0]) credentials.user = userName;
  if (password && password[0]) credentials.password = password;
  if (credentials.user.size() >= kPartCapacity || credentials.password.size() >= kPartCapacity)
    return false;

  Transfer transfer(control);
  DWORD status = 0;
  if (!RequestFollowingRedirects(userAgent, url, credentials, options, transfer, &status))
    return false;
  if (status < 200 || status >= 300) return false;
  DWORD total = 0;
  if (QueryNumber(transfer.request.get(), HTTP_QUERY_CONTENT_LENGTH, &total))
    return DeliverAnnouncedBody(transfer.request.get(), total, want, callback, context, control);
  return DeliverBodyToEnd(transfer.request.get(), want, callback, context, control);
}
