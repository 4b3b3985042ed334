#include "PatchE2eUtil.h"

#include "ContainerReader.h"
#include "DialogDriver.h"
#include "TestSupport.h"

namespace patche2e {

namespace {

struct BoxSearch {
  DWORD processId;
  HWND box;
};

BOOL CALLBACK FindBox(HWND window, LPARAM param) {
  BoxSearch* search = reinterpret_cast<BoxSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  wchar_t className[32] = L"";
  GetClassNameW(window, className, 32);
  if (owner == search->processId && IsWindowVisible(window) &&
      wcscmp(className, L"#32770") == 0) {
    search->box = window;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK CollectStatic(HWND child, LPARAM param) {
  wchar_t className[32] = L"";
  GetClassNameW(child, className, 32);
  if (_wcsicmp(className, L"Static") == 0) {
    wchar_t text[2048] = L"";
    DWORD_PTR length = 0;
    SendMessageTimeoutW(child, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        2000, &length);
    if (length > 0) {
      std::wstring* all = reinterpret_cast<std::wstring*>(param);
      if (!all->empty()) *all += L"\n";
      *all += text;
    }
  }
  return TRUE;
}

}  // namespace

BuilderRun RunBuilder(const std::wstring& definition, const std::wstring& tempFolder) {
  BuilderRun run;
  std::wstring command =
      L"\"" + testsupport::BinPath(L"Vesmarin.exe") + L"\" \"" + definition + L"\"";
  // The child inherits TMP and TEMP from this process.
  wchar_t oldTmp[MAX_PATH] = L"", oldTemp[MAX_PATH] = L"";
  DWORD hadTmp = GetEnvironmentVariableW(L"TMP", oldTmp, MAX_PATH);
  DWORD hadTemp = GetEnvironmentVariableW(L"TEMP", oldTemp, MAX_PATH);
  SetEnvironmentVariableW(L"TMP", tempFolder.c_str());
  SetEnvironmentVariableW(L"TEMP", tempFolder.c_str());
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  run.started = CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process) != FALSE;
  SetEnvironmentVariableW(L"TMP", hadTmp ? oldTmp : nullptr);
  SetEnvironmentVariableW(L"TEMP", hadTemp ? oldTemp : nullptr);
  if (!run.started) return run;

  const DWORD deadline = GetTickCount() + 120000;
  HWND answered = nullptr;
  for (;;) {
    if (WaitForSingleObject(process.hProcess, 100) == WAIT_OBJECT_0) break;
    if (GetTickCount() > deadline) {
      run.timedOut = true;
      TerminateProcess(process.hProcess, 255);
      WaitForSingleObject(process.hProcess, 5000);
      break;
    }
    BoxSearch search = {process.dwProcessId, nullptr};
    EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
    if (search.box != nullptr && search.box != answered) {
      // Its controls may not be there yet.
      testsupport::WaitForControl(search.box, IDOK, 5000);
      std::wstring text;
      EnumChildWindows(search.box, CollectStatic, reinterpret_cast<LPARAM>(&text));
      run.boxes.push_back(text);
      PostMessageW(search.box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
      answered = search.box;
    }
  }
  GetExitCodeProcess(process.hProcess, &run.exitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return run;
}

Bytes StubImageOf(const std::wstring& output) {
  containerreader::Container container;
  std::string error;
  Bytes file;
  if (!testsupport::ReadFileBytes(output, file)) return {};
  if (!containerreader::ReadContainer(file, container, &error)) return {};
  if (!container.crcMatches || !container.sizeMatches) return {};
  return Bytes(file.begin(), file.begin() + container.headerOffset);
}

namespace {

void Align(Bytes& b) {
  while (b.size() % 4) b.push_back(0);
}

void PutWord(Bytes& b, uint16_t v) {
  b.push_back(v & 0xFF);
  b.push_back(v >> 8);
}

void PutText(Bytes& b, const std::wstring& text) {
  for (wchar_t c : text) PutWord(b, static_cast<uint16_t>(c));
  PutWord(b, 0);
}

// One node of a version resource: length, value length, type, key, value,
// children; every part aligned to four bytes from the node's start.
Bytes Node(const std::wstring& key, uint16_t type, const Bytes& value, uint16_t valueLength,
           const std::vector<Bytes>& children) {
  Bytes b(6, 0);
  PutText(b, key);
  Align(b);
  b.insert(b.end(), value.begin(), value.end());
  for (const Bytes& child : children) {
    Align(b);
    b.insert(b.end(), child.begin(), child.end());
  }
  b[0] = static_cast<uint8_t>(b.size());
  b[1] = static_cast<uint8_t>(b.size() >> 8);
  b[2] = static_cast<uint8_t>(valueLength);
  b[3] = static_cast<uint8_t>(valueLength >> 8);
  b[4] = static_cast<uint8_t>(type);
  b[5] = 0;
  return b;
}

Bytes StringNode(const std::wstring& key, const std::wstring& value) {
  Bytes text;
  PutText(text, value);
  return Node(key, 1, text, static_cast<uint16_t>(value.size() + 1), {});
}

}  // namespace

Bytes VersionWithoutFixedInfo(const std::wstring& description, const std::wstring& internalName) {
  Bytes table = Node(L"040904b0", 1, {}, 0,
                     {StringNode(L"FileDescription", description),
                      StringNode(L"InternalName", internalName)});
  Bytes strings = Node(L"StringFileInfo", 1, {}, 0, {table});
  Bytes translation;
  PutWord(translation, 0x0409);
  PutWord(translation, 0x04B0);
  Bytes var = Node(L"Translation", 0, translation, 4, {});
  Bytes vars = Node(L"VarFileInfo", 1, {}, 0, {var});
  return Node(L"VS_VERSION_INFO", 0, {}, 0, {strings, vars});
}

namespace {
const wchar_t kCheckOpening[] =
    L"\"Use uninstaller executable with digital signature\" is enabled, but specified program "
    L"file has probrems as following.\n(Error code : ";
}

std::wstring ErrorMessage(const std::wstring& code) {
  return L"An error occured.\n\nCode : " + code;
}
std::wstring NotGenuineMessage(const std::wstring& code) {
  return kCheckOpening + code + L")\n\n* File is not genuine Vesmarin Uninstaller.";
}
std::wstring VersionMessage(const std::wstring& code) {
  return kCheckOpening + code +
         L")\n\n* Program version is not correct (Equal to current Vesmarin version).";
}
std::wstring BitnessMessage(const std::wstring& code) {
  return kCheckOpening + code +
         L")\n\n* Program type (32bit / 64bit) does not match with \"Program type of the "
         L"self-extracting file\".";
}
std::wstring UnsignedMessage(const std::wstring& code) {
  return kCheckOpening + code + L")\n\n* File is not digital signed.";
}

std::vector<std::wstring> FilesIn(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  std::wstring base = folder;
  if (!base.empty() && base.back() != L'\\') base += L'\\';
  HANDLE find = FindFirstFileW((base + L"*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    std::wstring name = data.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return names;
}

}  // namespace patche2e
