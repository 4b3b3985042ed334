// Fetches one http or https URL with WinINet and hands the body to a
// callback in chunks.
#pragma once
#include <windows.h>
#include <wininet.h>

#include <string>

// True when url starts with "http://" or "https://" (in any case) and has
// something after it.
bool HasHttpScheme(const std::wstring& url);

// Returns non-zero to go on, zero to stop. total is the announced length of
// the body, or 0 when the server announced none.
typedef int (*DownloadChunkCallback)(const BYTE* data, DWORD length, DWORD total, void* context);

// Every read asks for this many bytes (and never more than chunkSize).
const DWORD kDownloadChunk = 300;
// Connect, send and receive timeouts of every request.
const DWORD kRequestTimeoutMs = 15000;
// Redirects followed at most.
const int kMaxRedirects = 5;

// Where a redirect may lead: to any http or https address, or only to hosts
// inside the download domain.
enum class RedirectRule { kAnyHost, kDownloadDomain };

// Lets another thread end a transfer that DownloadUrl runs: Cancel closes
// the open request, which makes a send or read that waits on it return
// where the system allows, and every later step fails. Once Cancel has
// returned the transfer's callback is never called again, so its context
// may go even while the transfer still waits for the network. Also records
// when the last bytes came.
class DownloadControl {
 public:
  DownloadControl();
  ~DownloadControl();
  DownloadControl(const DownloadControl&) = delete;
  DownloadControl& operator=(const DownloadControl&) = delete;

  void Cancel();
  bool Cancelled() const;
  // GetTickCount64 when the transfer started or last received bytes.
  ULONGLONG LastActivity() const;

  // For DownloadUrl. Watch hands the open request over (false when the
  // transfer is already cancelled: the caller still closes it); Unwatch
  // takes it back (false when Cancel has closed it meanwhile).
  bool Watch(HINTERNET request);
  bool Unwatch(HINTERNET request);
  void Touch();
  // A chunk goes to the callback only between these two; BeginDelivery is
  // false (and needs no EndDelivery) once the transfer is cancelled.
  bool BeginDelivery();
  void EndDelivery();

 private:
  mutable CRITICAL_SECTION lock_;
  CRITICAL_SECTION delivery_;
  HINTERNET request_ = nullptr;
  bool cancelled_ = false;
  ULONGLONG lastActivity_;
};

struct DownloadOptions {
  RedirectRule redirects = RedirectRule::kDownloadDomain;
  DownloadControl* control = nullptr;  // may be null
  bool* leftDomain = nullptr;  // set when a redirect led outside the domain
};

// True when the server answered with a 2xx status and the body was handed
// over whole: up to its announced length (a longer body is cut there), or
// to its end when no length was announced; also true when the callback
// asked to stop. A body shorter than announced, a read that fails or stalls
// past the timeout, a status of 300 or more, a redirect that breaks the
// rule or leads to more than kMaxRedirects places, a cancelled transfer and
// an unusable URL give false. Redirects stay inside the download domain.
// userName and password, when not null and not empty, replace those of the
// URL.
bool DownloadUrl(const wchar_t* userAgent, const wchar_t* url, const wchar_t* userName,
                 const wchar_t* password, DownloadChunkCallback callback, DWORD chunkSize,
                 void* context);
// The same with the redirect rule and the control of options.
bool DownloadUrl(const wchar_t* userAgent, const wchar_t* url, const wchar_t* userName,
                 const wchar_t* password, DownloadChunkCallback callback, DWORD chunkSize,
                 void* context, const DownloadOptions& options);
