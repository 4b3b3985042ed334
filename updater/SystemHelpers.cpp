#include "SystemHelpers.h"

#include "SystemDlls.h"

namespace {

struct VersionAnswer {
  bool known;
  bool answer;
};

VersionAnswer vistaAnswer = {false, false};
VersionAnswer xpAnswer = {false, false};

bool QueryVersion(OSVERSIONINFOW* info) {
  ZeroMemory(info, sizeof *info);
  info->dwOSVersionInfoSize = sizeof *info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  return GetVersionExW(info) != FALSE;
#pragma GCC diagnostic pop
}

}  // namespace

bool IsVistaOrLater() {
  if (vistaAnswer.known) return vistaAnswer.answer;
  OSVERSIONINFOW info;
  if (!QueryVersion(&info)) return false;
  vistaAnswer.answer = info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion > 5;
  vistaAnswer.known = true;
  return vistaAnswer.answer;
}

bool IsXPOrLater() {
  if (xpAnswer.known) return xpAnswer.answer;
  OSVERSIONINFOW info;
  if (!QueryVersion(&info)) return false;
  xpAnswer.answer = info.dwPlatformId == VER_PLATFORM_WIN32_NT &&
                    (info.dwMajorVersion >= 6 ||
                     (info.dwMajorVersion == 5 && info.dwMinorVersion != 0));
  xpAnswer.known = true;
  return xpAnswer.answer;
}

bool GetProcAddressChecked(HMODULE module, const char* name, FARPROC* address) {
  if (!module || !name) return false;
  FARPROC found = GetProcAddress(module, name);
  if (!found) return false;
  if (address) *address = found;
  return true;
}

bool IsAppThemedSafe() {
  typedef BOOL(WINAPI * IsAppThemedFn)();
  static IsAppThemedFn isAppThemed = nullptr;
  if (!isAppThemed) isAppThemed = vesmarin::SystemProc<IsAppThemedFn>(L"uxtheme.dll", "IsAppThemed");
  return isAppThemed && isAppThemed() != FALSE;
}

LRESULT GetSelectedListItem(HWND list, LVITEMW* item) {
  if (!item) return 0;
  const int row = static_cast<int>(
      SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  if (row < 0) return 0;
  item->iItem = row;
  return SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(item));
}
