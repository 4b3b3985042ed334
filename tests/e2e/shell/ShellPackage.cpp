#include "ShellPackage.h"

#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>

#include "TestCabinet.h"

namespace shelle2e {

namespace {

const int kMessageText = 1045;  // the text control of the stub's progress windows
const wchar_t kRegisteredKey[] = L"Software\\Vesmarin Tests\\ComRegistered";

std::wstring WindowText(HWND window) {
  wchar_t text[1024] = {};
  GetWindowTextW(window, text, 1024);
  return text;
}

}  // namespace

ShellPackage::ShellPackage() {}

std::wstring ShellPackage::Build(const std::vector<std::wstring>& lines, const Members& members) {
  testsupport::TestCabinet cab;
  for (const auto& member : members) cab.Add(member.first, member.second);
  const std::wstring archive = dir_ / L"archive.cab";
  EXPECT_TRUE(cab.WriteTo(archive));
  std::wstring folder = InstallFolder();
  folder.pop_back();
  std::wstring text = L"\xFEFF[Vesmarin]\r\n";
  const std::vector<std::wstring> base = {
      L"SrcArchiveFile=archive.cab", L"DstExeFile=Setup.exe", L"64bitSFX=1",
      L"DialogTitle=Shell Test",     L"DialogTitleE=Shell Test", L"NoUI=1",
      L"AskExtPath=0",               L"AskOverwrite=0", L"UseExtractFolder=1",
      L"BaseFolder=6",               L"ExtractFolder=" + folder, L"ManifestType=0",
      L"IconType=blue"};
  for (const std::wstring& line : base) text += line + L"\r\n";
  for (const std::wstring& line : lines) text += line + L"\r\n";
  const std::wstring definition = dir_ / L"package.ini";
  EXPECT_TRUE(testsupport::WriteFileBytes(definition, text.data(), text.size() * sizeof(wchar_t)));
  const std::wstring output = dir_ / L"Setup.exe";
  DeleteFileW(output.c_str());
  testsupport::ProcessResult built = testsupport::RunProcess(
      L"\"" + testsupport::BinPath(L"Vesmarin.exe") + L"\" \"" + definition + L"\"", 120000);
  EXPECT_TRUE(built.started);
  EXPECT_EQ(built.exitCode, 0u) << "the builder refused the package";
  if (built.exitCode != 0 || !testsupport::PathExists(output)) return std::wstring();
  return output;
}

ShellRun ShellPackage::Run(const std::wstring& program) {
  ShellRun run;
  testsupport::StubRunLock lock;
  testsupport::DrivenProcess process;
  run.started = process.Start(L"\"" + program + L"\"");
  EXPECT_TRUE(run.started);
  if (!run.started) return run;
  const DWORD start = GetTickCount();
  while (process.Running()) {
    if (GetTickCount() - start > 120000) {
      run.timedOut = true;
      break;
    }
    process.AnswerBoxes(nullptr);  // OK, or No where there is no OK
    for (HWND window : process.DialogsWithControl(kMessageText)) {
      if (WindowText(GetDlgItem(window, kMessageText)) == L"Registering Components...") {
        run.registrationWindow = true;
        run.registrationCaption = WindowText(window);
      }
    }
    Sleep(20);
  }
  EXPECT_FALSE(run.timedOut);
  run.exitCode = process.ExitCode();
  run.boxes = process.Boxes();
  return run;
}

std::pair<std::wstring, std::string> ShellPackage::BinMember(const std::wstring& fileName,
                                                             const std::wstring& memberName) {
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(testsupport::ReadFileBytes(testsupport::BinPath(fileName), bytes));
  return {memberName, std::string(bytes.begin(), bytes.end())};
}

std::wstring ShellFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  EXPECT_TRUE(SUCCEEDED(SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr,
                                         SHGFP_TYPE_CURRENT, path)));
  return path;
}

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

std::vector<std::wstring> RegisteredServer(const std::wstring& fileName) {
  wchar_t data[2048] = {};
  DWORD size = sizeof(data) - sizeof(wchar_t);
  std::vector<std::wstring> parts;
  if (RegGetValueW(HKEY_CURRENT_USER, kRegisteredKey, fileName.c_str(), RRF_RT_REG_SZ, nullptr,
                   data, &size) != ERROR_SUCCESS)
    return parts;
  std::wstring text = data;
  size_t start = 0;
  for (size_t bar; (bar = text.find(L'|', start)) != std::wstring::npos; start = bar + 1)
    parts.push_back(text.substr(start, bar - start));
  parts.push_back(text.substr(start));
  return parts;
}

void ForgetServer(const std::wstring& fileName) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kRegisteredKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
    RegDeleteValueW(key, fileName.c_str());
    RegCloseKey(key);
  }
}

std::wstring UninstallCommand(const std::wstring& key) {
  const std::wstring path = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + key;
  wchar_t data[1024] = {};
  DWORD size = sizeof(data) - sizeof(wchar_t);
  if (RegGetValueW(HKEY_LOCAL_MACHINE, path.c_str(), L"UninstallString", RRF_RT_REG_SZ, nullptr,
                   data, &size) != ERROR_SUCCESS)
    return L"";
  return data;
}

bool RunUninstall(const std::wstring& command, const std::wstring& report) {
  const std::wstring line = L"\"" + testsupport::BinPath(L"uninstdriver.exe") + L"\" --report \"" +
                            report + L"\" --confirm yes --timeout 100000 -- " + command;
  testsupport::ProcessResult result = testsupport::RunProcess(line, 140000);
  EXPECT_TRUE(result.started);
  EXPECT_FALSE(result.timedOut);
  return result.started && !result.timedOut && result.exitCode == 0;
}

}  // namespace shelle2e
