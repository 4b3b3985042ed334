// The maker's download domain: version lists and update programs are taken
// only from hosts whose names end with this suffix (a full stop and the
// domain, so the bare domain itself does not qualify). A build setting.
#pragma once
#include <windows.h>

extern const wchar_t kDownloadDomainSuffix[];

// 0 when host ends with suffix (case included); 107 when the host is
// shorter than the suffix, 108 when it ends otherwise.
int CheckHostSuffix(const wchar_t* host, const wchar_t* suffix);
// The same for the host of a URL; 106 when no host can be taken from it.
int CheckUrlHost(const wchar_t* url, const wchar_t* suffix);
