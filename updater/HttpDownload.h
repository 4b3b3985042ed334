// Fetches one http or https URL with WinINet and hands the body to a
// callback in chunks.
#pragma once
#include <windows.h>

// Returns non-zero to go on, zero to stop. total is the announced length of
// the body, or 0 when the server announced none.
typedef int (*DownloadChunkCallback)(const BYTE* data, DWORD length, DWORD total, void* context);

// Every read asks for this many bytes (and never more than chunkSize).
const DWORD kDownloadChunk = 300;
// Connect, send and receive timeouts of every request.
const DWORD kRequestTimeoutMs = 15000;
// Redirects followed, each only to a host inside the download domain.
const int kMaxRedirects = 5;

// True when the server answered with a 2xx status and the body was handed
// over whole: up to its announced length (a longer body is cut there), or
// to its end when no length was announced; also true when the callback
// asked to stop. A body shorter than announced, a read that fails or stalls
// past the timeout, a status of 300 or more, a redirect elsewhere or to
// more than kMaxRedirects places, and an unusable URL give false.
// userName and password, when not null and not empty, replace those of the
// URL.
bool DownloadUrl(const wchar_t* userAgent, const wchar_t* url, const wchar_t* userName,
                 const wchar_t* password, DownloadChunkCallback callback, DWORD chunkSize,
                 void* context);
// The same; *leftDomain tells whether it failed because a redirect led
// outside the download domain.
bool DownloadUrl(const wchar_t* userAgent, const wchar_t* url, const wchar_t* userName,
                 const wchar_t* password, DownloadChunkCallback callback, DWORD chunkSize,
                 void* context, bool* leftDomain);
