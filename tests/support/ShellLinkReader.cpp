#include "ShellLinkReader.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

namespace testsupport {

LinkContents ReadLink(const std::wstring& linkPath) {
  LinkContents contents;
  const bool com = SUCCEEDED(CoInitialize(nullptr));
  IShellLinkW* link = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                 reinterpret_cast<void**>(&link)))) {
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      if (SUCCEEDED(file->Load(linkPath.c_str(), STGM_READ))) {
        contents.loaded = true;
        wchar_t text[1024] = {};
        if (SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH))) contents.path = text;
        text[0] = 0;
        if (SUCCEEDED(link->GetArguments(text, 1024))) contents.arguments = text;
        text[0] = 0;
        if (SUCCEEDED(link->GetDescription(text, 1024))) contents.description = text;
        text[0] = 0;
        if (SUCCEEDED(link->GetWorkingDirectory(text, MAX_PATH))) contents.workingFolder = text;
        text[0] = 0;
        int index = -1;
        if (SUCCEEDED(link->GetIconLocation(text, MAX_PATH, &index))) {
          contents.iconFile = text;
          contents.iconIndex = index;
        }
      }
      file->Release();
    }
    link->Release();
  }
  if (com) CoUninitialize();
  return contents;
}

}  // namespace testsupport
