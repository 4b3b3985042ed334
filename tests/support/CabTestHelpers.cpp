#include "CabTestHelpers.h"

#include <algorithm>
#include <cstdlib>

namespace cabtest {

std::wstring PutFile(const testsupport::TempDir& dir, const std::wstring& relative,
                     const std::string& content) {
  std::wstring path = dir / relative;
  for (size_t at = dir.path().size(); (at = path.find(L'\\', at)) != std::wstring::npos; ++at)
    CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
  testsupport::WriteFileBytes(path, content.data(), content.size());
  return path;
}

std::string ReadText(const std::wstring& path) {
  std::vector<uint8_t> bytes;
  if (!testsupport::ReadFileBytes(path, bytes)) return std::string();
  return std::string(bytes.begin(), bytes.end());
}

namespace {

void Collect(const std::wstring& base, const std::wstring& relative,
             std::vector<std::wstring>& out) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((base + relative + L"*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      Collect(base, relative + name + L"\\", out);
    else
      out.push_back(relative + name);
  } while (FindNextFileW(find, &data));
  FindClose(find);
}

std::wstring GetVariable(const wchar_t* name) {
  const wchar_t* value = _wgetenv(name);
  return value ? value : L"";
}

void SetVariable(const wchar_t* name, const std::wstring& value) {
  std::wstring assignment = std::wstring(name) + L"=" + value;
  _wputenv(assignment.c_str());
  SetEnvironmentVariableW(name, value.empty() ? nullptr : value.c_str());
}

}  // namespace

std::vector<std::wstring> ListFiles(const std::wstring& folder) {
  std::wstring base = folder;
  if (!base.empty() && base.back() != L'\\') base += L'\\';
  std::vector<std::wstring> out;
  Collect(base, L"", out);
  std::sort(out.begin(), out.end());
  return out;
}

TempFolderOverride::TempFolderOverride(const std::wstring& folder)
    : oldTmp_(GetVariable(L"TMP")), oldTemp_(GetVariable(L"TEMP")) {
  SetVariable(L"TMP", folder);
  SetVariable(L"TEMP", folder);
}

TempFolderOverride::~TempFolderOverride() {
  SetVariable(L"TMP", oldTmp_);
  SetVariable(L"TEMP", oldTemp_);
}

}  // namespace cabtest
