#include "AdmissionChecks.h"

#include <lm.h>
#include <softpub.h>
#include <wintrust.h>

#include "SfxContainer.h"
#include "StubState.h"
#include "SystemDlls.h"

namespace stub {

namespace {
const wchar_t kUninstallKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

bool OpensForWriting(const wchar_t* subKey) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, subKey, 0, KEY_WRITE, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

bool NetApiSaysAdministrator() {
  wchar_t user[256];
  DWORD length = ARRAYSIZE(user);
  if (!GetUserNameW(user, &length)) return false;
  typedef NET_API_STATUS(WINAPI * GetInfoFn)(LPCWSTR, LPCWSTR, DWORD, LPBYTE*);
  typedef NET_API_STATUS(WINAPI * GroupsFn)(LPCWSTR, LPCWSTR, DWORD, DWORD, LPBYTE*, DWORD,
                                             LPDWORD, LPDWORD);
  typedef NET_API_STATUS(WINAPI * FreeFn)(LPVOID);
  GetInfoFn getInfo = vesmarin::SystemProc<GetInfoFn>(L"netapi32.dll", "NetUserGetInfo");
  GroupsFn getGroups = vesmarin::SystemProc<GroupsFn>(L"netapi32.dll", "NetUserGetLocalGroups");
  FreeFn freeBuffer = vesmarin::SystemProc<FreeFn>(L"netapi32.dll", "NetApiBufferFree");
  if (!freeBuffer) return false;
  bool admin = false;
  LPBYTE buffer = nullptr;
  if (getInfo && getInfo(nullptr, user, 1, &buffer) == NERR_Success && buffer) {
    admin = reinterpret_cast<USER_INFO_1*>(buffer)->usri1_priv == USER_PRIV_ADMIN;
    freeBuffer(buffer);
  }
  buffer = nullptr;
  DWORD read = 0, total = 0;
  if (!admin && getGroups &&
      getGroups(nullptr, user, 0, LG_INCLUDE_INDIRECT, &buffer, MAX_PREFERRED_LENGTH, &read,
                &total) == NERR_Success &&
      buffer) {
    LOCALGROUP_USERS_INFO_0* groups = reinterpret_cast<LOCALGROUP_USERS_INFO_0*>(buffer);
    for (DWORD i = 0; i < read && !admin; ++i)
      admin = groups[i].lgrui0_name && lstrcmpiW(groups[i].lgrui0_name, L"Administrators") == 0;
  }
  if (buffer) freeBuffer(buffer);
  return admin;
}

}  // namespace

bool RefusesWow64(uint32_t flagsA, bool wow64) {
  return wow64 && (flagsA & SfxFlagsA::Deny64bitMode) != 0;
}

bool IsFileTrusted(const wchar_t* path, LONG* status) {
  typedef LONG(WINAPI * VerifyFn)(HWND, GUID*, LPVOID);
  VerifyFn verify = vesmarin::SystemProc<VerifyFn>(L"wintrust.dll", "WinVerifyTrust");
  if (!verify) {
    if (status) *status = TRUST_E_PROVIDER_UNKNOWN;
    return false;
  }
  WINTRUST_FILE_INFO file = {};
  file.cbStruct = sizeof(file);
  file.pcwszFilePath = path;
  WINTRUST_DATA data = {};
  data.cbStruct = sizeof(data);
  data.dwUIChoice = g_UltraSilent ? WTD_UI_NONE : WTD_UI_NOGOOD;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &file;
  data.dwStateAction = WTD_STATEACTION_VERIFY;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  LONG result = verify(nullptr, &action, &data);
  data.dwStateAction = WTD_STATEACTION_CLOSE;
  verify(nullptr, &action, &data);
  if (status) *status = result;
  return result == ERROR_SUCCESS;
}

bool CanWriteMachineRegistry() { return OpensForWriting(kUninstallKey) || OpensForWriting(L"System"); }

bool IsUserAdministrator() {
  if (NetApiSaysAdministrator()) return true;
  HKEY key = nullptr;
  DWORD disposition = 0;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"System", 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_WRITE, nullptr, &key, &disposition) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

}  // namespace stub
