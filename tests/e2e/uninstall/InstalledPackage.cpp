#include "InstalledPackage.h"

#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>

namespace {

const wchar_t kUninstallRoot[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

void SetString(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& value) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS)
      << testsupport::Narrow(path);
  RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
}

std::wstring UniqueId() {
  static LONG counter = 0;
  return std::to_wstring(GetCurrentProcessId()) + L"x" +
         std::to_wstring(InterlockedIncrement(&counter)) + L"x" +
         std::to_wstring(GetTickCount() % 100000);
}

}  // namespace

InstalledPackage::InstalledPackage() : root_(L"pkg"), id_(UniqueId()) {
  app_ = root_.path() + L"App\\";
  uninstaller_ = app_ + L"Hollmere64.exe";
  temp_ = root_.path() + L"Temp\\";
  title_ = L"Vesmarin Test Product " + id_;
  uninstallKey_ = L"VesmarinTest-" + id_;
  group_ = L"Vesmarin Test Group " + id_;
  wchar_t programs[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_PROGRAMS | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT,
                   programs);
  groupFolder_ = std::wstring(programs) + L"\\" + group_;
  link_ = groupFolder_ + L"\\Test Product.lnk";
  userKey_ = L"Software\\VesmarinTests\\E2E-" + id_;
  machineKey_ = L"SOFTWARE\\VesmarinTests\\E2E-" + id_;
  classesKey_ = L".vsme" + id_;
}

InstalledPackage::~InstalledPackage() {
  testsupport::RemoveTree(groupFolder_);
  RegDeleteTreeW(HKEY_CURRENT_USER, userKey_.c_str());
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, machineKey_.c_str());
  RegDeleteTreeW(HKEY_CLASSES_ROOT, classesKey_.c_str());
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, uninstallKeyPath().c_str());
  RegDeleteTreeW(HKEY_CURRENT_USER, uninstallKeyPath().c_str());
}

void InstalledPackage::MoveEntryTo(HKEY root) {
  if (root) {
    RegDeleteTreeW(root, uninstallKeyPath().c_str());
    HKEY from = nullptr, to = nullptr;
    ASSERT_EQ(RegOpenKeyExW(entryRoot_, uninstallKeyPath().c_str(), 0, KEY_READ, &from),
              ERROR_SUCCESS);
    ASSERT_EQ(RegCreateKeyExW(root, uninstallKeyPath().c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &to, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegCopyTreeW(from, nullptr, to), ERROR_SUCCESS);
    RegCloseKey(from);
    RegCloseKey(to);
  }
  RegDeleteTreeW(entryRoot_, uninstallKeyPath().c_str());
  entryRoot_ = root;
}

std::wstring InstalledPackage::AddFile(const std::wstring& relative, const std::wstring& source) {
  std::wstring path = app_ + relative;
  if (source.empty()) {
    EXPECT_TRUE(testsupport::WriteTextFile(path, "installed " + testsupport::Narrow(relative)));
  } else {
    EXPECT_TRUE(CopyFileW(source.c_str(), path.c_str(), FALSE)) << testsupport::Narrow(path);
  }
  info_.CreatedPaths.push_back(path);
  return path;
}

void InstalledPackage::Install() {
  ASSERT_TRUE(CreateDirectoryW(temp_.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(app_.c_str(), nullptr));
  info_.CreatedPaths.push_back(app_);
  AddFile(L"readme.txt");
  AddFile(L"server.dll", testsupport::BinPath(L"comprobe.dll"));
  AddFile(L"prog.exe");
  ASSERT_TRUE(testsupport::WriteTextFile(app_ + L"prog.ini", "[Settings]\r\n"));  // written later by the program
  ASSERT_TRUE(CreateDirectoryW((app_ + L"sub").c_str(), nullptr));
  info_.CreatedPaths.push_back(app_ + L"sub\\");
  AddFile(L"sub\\data.bin");
  ASSERT_TRUE(CreateDirectoryW(groupFolder_.c_str(), nullptr));
  ASSERT_TRUE(testsupport::WriteTextFile(link_, "link"));
  info_.CreatedPaths.push_back(link_);
  ASSERT_TRUE(CopyFileW(testsupport::BinPath(L"Hollmere64.exe").c_str(), uninstaller_.c_str(),
                        FALSE));

  SetString(HKEY_CURRENT_USER, userKey_ + L"\\Settings", L"Colour", L"blue");
  SetString(HKEY_LOCAL_MACHINE, machineKey_ + L"\\Sub", L"Path", app_);
  SetString(HKEY_CLASSES_ROOT, classesKey_, nullptr, L"VesmarinTests.Document");
  SetString(HKEY_LOCAL_MACHINE, uninstallKeyPath(), L"DisplayName", title_);
  SetString(HKEY_LOCAL_MACHINE, uninstallKeyPath(), L"UninstallString",
            L"\"" + uninstaller_ + L"\" /s");
  SetString(HKEY_LOCAL_MACHINE, uninstallKeyPath(), L"InstallLocation", app_);

  info_.AutoUninstIni = true;
  info_.UninstallKey = uninstallKey_;
  info_.RegistryRecords = {L"00=" + classesKey_, L"10=" + userKey_, L"20=" + machineKey_};
  info_.HasRegServerList = true;
  info_.RegServers = {app_ + L"server.dll"};
  info_.CommonGroup = false;
  info_.GroupName = group_;
  ASSERT_TRUE(WriteInfo());
}

bool InstalledPackage::WriteInfo() {
  // As the installer does: the file's digest goes into the Uninstall entry.
  std::wstring digest;
  if (WriteUninstallInfoFile(infoFile().c_str(), info_, nullptr, &digest) != kUninstallInfoOk ||
      digest.empty())
    return false;
  if (entryRoot_) SetString(entryRoot_, uninstallKeyPath(), UNINSTALL_INFO_DIGEST_VALUE, digest);
  return true;
}

std::wstring InstalledPackage::infoFile() const { return app_ + L"Hollmere64.$$$"; }

std::wstring InstalledPackage::uninstallKeyPath() const { return kUninstallRoot + uninstallKey_; }

std::vector<std::wstring> InstalledPackage::ListedFilesNewestFirst() const {
  std::vector<std::wstring> files;
  for (auto it = info_.CreatedPaths.rbegin(); it != info_.CreatedPaths.rend(); ++it) {
    if (it->back() != L'\\') files.push_back(*it);
  }
  return files;
}

std::wstring InstalledPackage::UninstallCommand() const {
  HKEY key = nullptr;
  std::wstring command;
  if (entryRoot_ == nullptr) return L"\"" + uninstaller_ + L"\" /s";
  if (RegOpenKeyExW(entryRoot_, uninstallKeyPath().c_str(), 0, KEY_QUERY_VALUE, &key) ==
      ERROR_SUCCESS) {
    wchar_t value[1024] = {};
    DWORD bytes = sizeof value - sizeof(wchar_t);
    if (RegQueryValueExW(key, L"UninstallString", nullptr, nullptr,
                         reinterpret_cast<BYTE*>(value), &bytes) == ERROR_SUCCESS) {
      command = value;
    }
    RegCloseKey(key);
  }
  return command;
}

std::wstring DriverReport::First(const std::string& key) const {
  for (const auto& line : lines) {
    if (line.first == key) return line.second;
  }
  return L"";
}

std::vector<std::wstring> DriverReport::All(const std::string& key) const {
  std::vector<std::wstring> values;
  for (const auto& line : lines) {
    if (line.first == key) values.push_back(line.second);
  }
  return values;
}

bool DriverReport::Has(const std::string& key) const {
  for (const auto& line : lines) {
    if (line.first == key) return true;
  }
  return false;
}

DriverReport RunDriver(const std::wstring& command, const std::wstring& temp,
                       const std::wstring& extra) {
  static int runs = 0;
  std::wstring report = temp + L"..\\report-" + std::to_wstring(++runs) + L".txt";
  std::wstring line = L"\"" + testsupport::BinPath(L"uninstdriver.exe") + L"\" --report \"" +
                      report + L"\" --timeout 100000 " + extra + L" -- " + command;
  wchar_t oldTmp[MAX_PATH] = {}, oldTemp[MAX_PATH] = {};
  GetEnvironmentVariableW(L"TMP", oldTmp, MAX_PATH);
  GetEnvironmentVariableW(L"TEMP", oldTemp, MAX_PATH);
  SetEnvironmentVariableW(L"TMP", temp.c_str());
  SetEnvironmentVariableW(L"TEMP", temp.c_str());
  testsupport::ProcessResult result = testsupport::RunProcess(line, 140000);
  SetEnvironmentVariableW(L"TMP", oldTmp);
  SetEnvironmentVariableW(L"TEMP", oldTemp);
  EXPECT_TRUE(result.started);
  EXPECT_FALSE(result.timedOut);
  EXPECT_EQ(result.exitCode, 0u);

  DriverReport parsed;
  std::vector<uint8_t> bytes;
  testsupport::ReadFileBytes(report, bytes);
  std::string text(bytes.begin(), bytes.end());
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string entry = text.substr(start, end - start);
    size_t equals = entry.find('=');
    if (equals != std::string::npos) {
      std::wstring value = testsupport::Widen(entry.substr(equals + 1));
      for (wchar_t& c : value) {
        if (c == 0x1F) c = L'\n';
      }
      parsed.lines.emplace_back(entry.substr(0, equals), value);
    }
    start = end + 1;
  }
  EXPECT_FALSE(parsed.Has("timeout")) << text;
  bytes.clear();
  if (testsupport::ReadFileBytes(report + L".ini", bytes)) {
    parsed.infoCopy.assign(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
  }
  return parsed;
}

std::wstring DumpKey(HKEY root, const std::wstring& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return L"(absent)";
  std::wstring dump = L"[" + path + L"]\n";
  std::vector<std::wstring> values;
  for (DWORD i = 0;; ++i) {
    wchar_t name[512];
    DWORD nameLength = 512;
    BYTE data[2048];
    DWORD dataLength = sizeof data;
    DWORD type = 0;
    if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data, &dataLength) !=
        ERROR_SUCCESS) {
      break;
    }
    std::wstring entry = std::wstring(name) + L":" + std::to_wstring(type) + L":";
    for (DWORD b = 0; b < dataLength; ++b) {
      wchar_t hex[4];
      swprintf(hex, 4, L"%02x", data[b]);
      entry += hex;
    }
    values.push_back(entry);
  }
  std::sort(values.begin(), values.end());
  for (const std::wstring& value : values) dump += value + L"\n";
  std::vector<std::wstring> children;
  for (DWORD i = 0;; ++i) {
    wchar_t name[260];
    DWORD nameLength = 260;
    if (RegEnumKeyExW(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    children.push_back(name);
  }
  RegCloseKey(key);
  std::sort(children.begin(), children.end());
  for (const std::wstring& child : children) dump += DumpKey(root, path + L"\\" + child);
  return dump;
}

std::vector<std::wstring> FolderNames(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    std::wstring name = data.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}
