#include "FileDialogs.h"

#include <commdlg.h>

#include <string>

#include "CompressorText.h"
#include "SardokResource.h"
#include "SystemDlls.h"

namespace {

bool Choose(HWND owner, bool save, UINT filterId, const wchar_t* extension, wchar_t* name) {
  std::wstring filter = LoadText(filterId);
  for (wchar_t& c : filter)
    if (c == L'|') c = 0;
  filter.push_back(0);
  wchar_t buffer[MAX_PATH];
  lstrcpynW(buffer, name, MAX_PATH);
  OPENFILENAMEW dialog = {};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.c_str();
  dialog.lpstrFile = buffer;
  dialog.nMaxFile = MAX_PATH;
  dialog.lpstrDefExt = extension;
  dialog.Flags = (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST) | OFN_HIDEREADONLY |
                 OFN_EXPLORER | OFN_ENABLESIZING;
  // The dialog library is loaded when a dialog is first asked for: the
  // batch modes never need it.
  const auto show = vesmarin::SystemProc<decltype(&GetOpenFileNameW)>(
      L"comdlg32.dll", save ? "GetSaveFileNameW" : "GetOpenFileNameW");
  if (!show || !show(&dialog)) return false;
  lstrcpynW(name, buffer, MAX_PATH);
  return true;
}

}  // namespace

bool ChooseProjectFile(HWND owner, bool save, wchar_t* name) {
  return Choose(owner, save, IDS_PROJECT_FILTER, L"qxc", name);
}

bool ChooseArchiveFile(HWND owner, wchar_t* name) {
  return Choose(owner, true, IDS_ARCHIVE_FILTER, L"cab", name);
}
