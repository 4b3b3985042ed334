#include "UninstallerApp.h"

#include <cstdlib>
#include <cwchar>

#include "HollmereResource.h"
#include "RemovalOps.h"
#include "ResString.h"

HINSTANCE g_Instance = nullptr;
HWND g_ProgressDialog = nullptr;
bool g_WorkDone = false;
RemovalSettings g_Removal;

namespace {

wchar_t g_stringBuffer[1024];

struct VersionFacts {
  bool known;
  bool nt;
  DWORD major;
  DWORD minor;
  BYTE productType;
};

const VersionFacts& QueryVersion() {
  static VersionFacts facts = [] {
    VersionFacts v = {};
    OSVERSIONINFOEXW info = {};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) {
#pragma GCC diagnostic pop
      v.known = true;
      v.nt = info.dwPlatformId == VER_PLATFORM_WIN32_NT;
      v.major = info.dwMajorVersion;
      v.minor = info.dwMinorVersion;
      v.productType = info.wProductType;
    }
    return v;
  }();
  return facts;
}

}  // namespace

bool IsModernDialogSystem() {
  static const bool workstationHalf = [] {
    const VersionFacts& v = QueryVersion();
    return v.known && v.nt && (v.major > 6 || (v.major == 6 && v.minor >= 4)) &&
           v.productType == VER_NT_WORKSTATION;
  }();
  static const bool serverHalf = [] {
    const VersionFacts& v = QueryVersion();
    return v.known && v.nt && v.major >= 10 && v.productType != VER_NT_WORKSTATION;
  }();
  return workstationHalf || serverHalf;
}

const wchar_t* LoadUninstallerString(UINT id) {
  return LoadResText(g_Instance, id, g_stringBuffer, _countof(g_stringBuffer));
}

int ShowErrorMessage(UINT id) {
  HWND owner = g_ProgressDialog && IsWindow(g_ProgressDialog) ? g_ProgressDialog : nullptr;
  return ShowResMessage(owner, g_Instance, id, UNINSTALLER_CAPTION, MB_OK | MB_ICONERROR);
}

UninstallerRole ChooseRole(const wchar_t* tail, const wchar_t** infoPath) {
  if (infoPath) *infoPath = nullptr;
  if (tail == nullptr || wcslen(tail) < 2) return kRoleLauncher;
  if (tail[0] == L'/' && tail[1] == L'u') {
    if (infoPath) *infoPath = tail + 2;
    return kRoleWorker;
  }
  return kRoleLauncher;
}
