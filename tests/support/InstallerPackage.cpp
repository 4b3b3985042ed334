#include "InstallerPackage.h"

#include <algorithm>

#include "DefinitionText.h"
#include "TestCabinet.h"

namespace testsupport {

namespace {

const wchar_t kUninstallRoot[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

void ListInto(const std::wstring& base, const std::wstring& relative,
              std::vector<std::wstring>* names) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((base + relative + L"*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      names->push_back(relative + name + L"\\");
      ListInto(base, relative + name + L"\\", names);
    } else {
      names->push_back(relative + name);
    }
  } while (FindNextFileW(find, &data));
  FindClose(find);
}

}  // namespace

InstallerPackage::InstallerPackage(const std::wstring& tag) : dir_(tag) {}

std::wstring InstallerPackage::Build(const std::vector<std::wstring>& lines,
                                     const PackageMembers& members, const std::wstring& name) {
  TestCabinet cab;
  for (const auto& member : members) cab.Add(member.first, member.second);
  const std::wstring archive = dir_ / L"archive.cab";
  if (!cab.WriteTo(archive)) {
    lastError_ = L"the archive could not be written";
    return std::wstring();
  }
  return BuildFromArchive(lines, archive, name);
}

std::wstring InstallerPackage::BuildFromArchive(const std::vector<std::wstring>& lines,
                                                const std::wstring& archive,
                                                const std::wstring& name) {
  std::wstring folder = InstallFolder();
  folder.pop_back();
  DefinitionText text({L"SrcArchiveFile=" + archive, L"DstExeFile=" + name, L"64bitSFX=1",
                       L"DialogTitle=Vesmarin Test", L"DialogTitleE=Vesmarin Test",
                       L"AskExtPath=0", L"UseExtractFolder=1", L"BaseFolder=6",
                       L"ExtractFolder=" + folder, L"ManifestType=0", L"IconType=blue"});
  text.Add(lines);
  const std::wstring definition = dir_ / L"package.ini";
  if (!text.WriteTo(definition)) {
    lastError_ = L"the definition file could not be written";
    return std::wstring();
  }
  const std::wstring output = dir_ / name;
  DeleteFileW(output.c_str());
  ProcessResult built = RunProcess(
      L"\"" + BinPath(L"Vesmarin.exe") + L"\" \"" + definition + L"\"", 120000, dir_.path());
  if (!built.started || built.timedOut || built.exitCode != 0 || !PathExists(output)) {
    lastError_ = L"the builder refused the package: exit code " + std::to_wstring(built.exitCode);
    return std::wstring();
  }
  lastError_.clear();
  return output;
}

std::pair<std::wstring, std::string> InstallerPackage::BinMember(const std::wstring& fileName,
                                                                 const std::wstring& memberName) {
  std::vector<uint8_t> bytes;
  ReadFileBytes(BinPath(fileName), bytes);
  return {memberName, std::string(bytes.begin(), bytes.end())};
}

std::wstring InstallerPackage::CommandLine(const std::wstring& program,
                                          const std::wstring& arguments) {
  return L"\"" + program + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
}

DrivenResult InstallerPackage::Run(const std::wstring& program, const std::wstring& arguments,
                                   const BoxAnswer& answer, DWORD timeoutMs,
                                   const RunWatcher& watch) {
  StubRunLock lock;
  if (!watch) return RunAnsweringBoxes(CommandLine(program, arguments), answer, timeoutMs);
  DrivenResult result;
  DrivenProcess process;
  result.started = process.Start(CommandLine(program, arguments));
  if (!result.started) return result;
  const DWORD start = GetTickCount();
  while (process.Running()) {
    if (GetTickCount() - start > timeoutMs) {
      result.timedOut = true;
      process.Terminate();
      break;
    }
    process.AnswerBoxes(answer);
    watch(process);
    Sleep(20);
  }
  result.exitCode = process.ExitCode();
  result.boxes = process.Boxes();
  return result;
}

ScopedEnv::ScopedEnv(const wchar_t* name, const std::wstring& value) : name_(name) {
  SetEnvironmentVariableW(name, value.c_str());
}

ScopedEnv::~ScopedEnv() { SetEnvironmentVariableW(name_.c_str(), nullptr); }

std::vector<std::string> ReadLines(const std::wstring& path) {
  std::vector<uint8_t> bytes;
  std::vector<std::string> lines;
  if (!ReadFileBytes(path, bytes)) return lines;
  const std::string text(bytes.begin(), bytes.end());
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

std::map<std::wstring, std::wstring> ReadKeyValues(HKEY root, const std::wstring& path) {
  std::map<std::wstring, std::wstring> values;
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return values;
  for (DWORD index = 0;; ++index) {
    wchar_t name[256];
    DWORD nameLength = ARRAYSIZE(name);
    DWORD type = 0;
    std::vector<BYTE> data(8192);
    DWORD size = static_cast<DWORD>(data.size());
    if (RegEnumValueW(key, index, name, &nameLength, nullptr, &type, data.data(), &size) !=
        ERROR_SUCCESS)
      break;
    std::wstring value;
    if (type == REG_SZ) {
      value = L"sz:" + std::wstring(reinterpret_cast<const wchar_t*>(data.data()),
                                    size / sizeof(wchar_t));
      if (!value.empty() && value.back() == 0) value.pop_back();
    } else if (type == REG_DWORD && size == sizeof(DWORD)) {
      value = L"dword:" + std::to_wstring(*reinterpret_cast<const DWORD*>(data.data()));
    } else {
      value = L"type" + std::to_wstring(type);
    }
    values[name] = value;
  }
  RegCloseKey(key);
  return values;
}

bool KeyExists(HKEY root, const std::wstring& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

std::wstring UninstallEntryPath(const std::wstring& key) { return kUninstallRoot + key; }

std::wstring UninstallCommand(const std::wstring& key) {
  const std::map<std::wstring, std::wstring> values =
      ReadKeyValues(HKEY_LOCAL_MACHINE, UninstallEntryPath(key));
  const auto command = values.find(L"UninstallString");
  if (command == values.end() || command->second.compare(0, 3, L"sz:") != 0) return L"";
  return command->second.substr(3);
}

std::wstring UninstDriverReport::First(const std::string& key) const {
  for (const auto& line : lines)
    if (line.first == key) return line.second;
  return L"";
}

std::vector<std::wstring> UninstDriverReport::All(const std::string& key) const {
  std::vector<std::wstring> values;
  for (const auto& line : lines)
    if (line.first == key) values.push_back(line.second);
  return values;
}

bool UninstDriverReport::Has(const std::string& key) const {
  for (const auto& line : lines)
    if (line.first == key) return true;
  return false;
}

UninstDriverReport RunUninstDriver(const std::wstring& command, const std::wstring& temp,
                                   const std::wstring& extra) {
  static LONG runs = 0;
  const std::wstring report =
      temp + L"..\\driver-report-" + std::to_wstring(InterlockedIncrement(&runs)) + L".txt";
  DeleteFileW(report.c_str());
  const std::wstring line = L"\"" + BinPath(L"uninstdriver.exe") + L"\" --report \"" + report +
                            L"\" --timeout 100000 " + extra + L" -- " + command;
  wchar_t oldTmp[MAX_PATH] = {}, oldTemp[MAX_PATH] = {};
  GetEnvironmentVariableW(L"TMP", oldTmp, MAX_PATH);
  GetEnvironmentVariableW(L"TEMP", oldTemp, MAX_PATH);
  SetEnvironmentVariableW(L"TMP", temp.c_str());
  SetEnvironmentVariableW(L"TEMP", temp.c_str());
  ProcessResult result = RunProcess(line, 140000);
  SetEnvironmentVariableW(L"TMP", oldTmp);
  SetEnvironmentVariableW(L"TEMP", oldTemp);

  UninstDriverReport parsed;
  parsed.driver = result;
  std::vector<uint8_t> bytes;
  ReadFileBytes(report, bytes);
  const std::string text(bytes.begin(), bytes.end());
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string entry = text.substr(start, end - start);
    const size_t equals = entry.find('=');
    if (equals != std::string::npos) {
      std::wstring value = Widen(entry.substr(equals + 1));
      for (wchar_t& c : value)
        if (c == 0x1F) c = L'\n';
      parsed.lines.emplace_back(entry.substr(0, equals), value);
    }
    start = end + 1;
  }
  parsed.text = text;
  bytes.clear();
  if (ReadFileBytes(report + L".ini", bytes))
    parsed.infoCopy.assign(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
  return parsed;
}

std::vector<std::wstring> ListTree(const std::wstring& folder) {
  std::wstring base = folder;
  if (!base.empty() && base.back() != L'\\') base += L'\\';
  std::vector<std::wstring> names;
  ListInto(base, L"", &names);
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace testsupport
