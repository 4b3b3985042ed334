#include "DownloadDomain.h"

#include <shlwapi.h>

#include <cwchar>

#ifndef NEMDRIFT_DOWNLOAD_DOMAIN_SUFFIX
#error "NEMDRIFT_DOWNLOAD_DOMAIN_SUFFIX must be set by the build"
#endif

const wchar_t kDownloadDomainSuffix[] = NEMDRIFT_DOWNLOAD_DOMAIN_SUFFIX;

int CheckHostSuffix(const wchar_t* host, const wchar_t* suffix) {
  const size_t hostLength = wcslen(host);
  const size_t suffixLength = wcslen(suffix);
  if (hostLength < suffixLength) return 107;
  if (wcscmp(host + hostLength - suffixLength, suffix) != 0) return 108;
  return 0;
}

int CheckUrlHost(const wchar_t* url, const wchar_t* suffix) {
  wchar_t host[2084] = {};
  DWORD length = 2084;
  if (!url || FAILED(UrlGetPartW(url, host, &length, URL_PART_HOSTNAME, 0))) return 106;
  host[2083] = L'\0';
  return CheckHostSuffix(host, suffix);
}
