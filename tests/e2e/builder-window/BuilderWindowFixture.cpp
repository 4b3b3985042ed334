#include "BuilderWindowFixture.h"

#include <shlobj.h>

#include <cstdint>
#include <cstring>

namespace builderwindow {

namespace {

const wchar_t kOptionKey[] = L"Software\\Kelvadon\\Vesmarin 6\\Option";
const int kArchiveEdit = 1000;
// Long enough for a loaded machine: a send that times out is still carried
// out later, after the messages that follow it.
const UINT kSendTimeoutMs = 10000;

bool CopyFromBin(const std::wstring& name, const std::wstring& target) {
  return CopyFileW(testsupport::BinPath(name).c_str(), target.c_str(), FALSE) != FALSE;
}

}  // namespace

std::wstring PerUserDefinition() {
  wchar_t folder[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
  return std::wstring(folder) + L"\\Kelvadon\\Vesmarin 6\\Vesmarin.ini";
}

void ResetBuilderState() {
  const std::wstring file = PerUserDefinition();
  DeleteFileW(file.c_str());
  // Tests write the file themselves: its folder must exist.
  SHCreateDirectoryExW(nullptr, file.substr(0, file.find_last_of(L'\\')).c_str(), nullptr);
  RegDeleteTreeW(HKEY_CURRENT_USER, kOptionKey);
}

bool ReadOptionValue(const wchar_t* name, std::wstring* text, DWORD* number) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kOptionKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  BYTE data[1024] = {};
  DWORD size = sizeof data - 2;
  DWORD type = 0;
  LONG status = RegQueryValueExW(key, name, nullptr, &type, data, &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) return false;
  if (type == REG_DWORD && number) *number = *reinterpret_cast<DWORD*>(data);
  if (type == REG_SZ && text) *text = reinterpret_cast<wchar_t*>(data);
  return true;
}

std::vector<std::wstring> ReadLog(const std::wstring& path) {
  std::vector<uint8_t> bytes;
  std::vector<std::wstring> lines;
  if (!testsupport::ReadFileBytes(path, bytes)) return lines;
  std::string text(bytes.begin(), bytes.end());
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(testsupport::Widen(text.substr(start, end - start)));
  return lines;
}

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs) {
  return testsupport::WaitUntil(condition, timeoutMs);
}

namespace {

void SetHandler(const std::wstring& key, const std::wstring& command) {
  RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), nullptr, REG_SZ, command.c_str(),
                  static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
}

}  // namespace

WebHandler::WebHandler(const std::wstring& command) {
  for (const wchar_t* scheme : {L"http", L"https"}) {
    const std::wstring key =
        std::wstring(L"Software\\Classes\\") + scheme + L"\\shell\\open\\command";
    wchar_t value[1024] = {};
    DWORD size = sizeof value;
    Saved saved{key, false, L""};
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value,
                     &size) == ERROR_SUCCESS) {
      saved.existed = true;
      saved.value = value;
    }
    saved_.push_back(saved);
    SetHandler(key, command);
  }
}

void WebHandler::Change(const std::wstring& command) {
  for (const Saved& saved : saved_) SetHandler(saved.key, command);
}

WebHandler::~WebHandler() {
  for (const Saved& saved : saved_) {
    if (saved.existed)
      SetHandler(saved.key, saved.value);
    else
      RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, saved.key.c_str(), nullptr);
  }
}

BuilderRun::BuilderRun() : dir_(L"bw"), process_(new testsupport::DrivenProcess()) {
  ResetBuilderState();
  CopyFromBin(L"Vesmarin.exe", BuilderPath());
  CopyFromBin(L"builder_recorder_double.exe", Path(L"Nemdrift.exe"));
  CopyFromBin(L"builder_compressor_double.exe", Path(L"Sardok.exe"));
}

BuilderRun::~BuilderRun() {
  process_.reset();  // ends a builder still running
  ResetBuilderState();
}

bool BuilderRun::Start(const std::wstring& arguments) {
  std::wstring line = L"\"" + BuilderPath() + L"\"";
  if (!arguments.empty()) line += L" " + arguments;
  wchar_t saved[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, saved);
  SetCurrentDirectoryW(dir_.path().c_str());
  const bool started = process_->Start(line);
  SetCurrentDirectoryW(saved);
  return started;
}

HWND BuilderRun::WaitMainWindow(DWORD timeoutMs) {
  main_ = WaitDialog(kArchiveEdit, timeoutMs);
  return main_;
}

HWND BuilderRun::WaitDialog(int controlId, DWORD timeoutMs) {
  HWND found = nullptr;
  WaitFor(
      [&] {
        for (HWND dialog : process_->DialogsWithControl(controlId)) {
          if (GetDlgItem(dialog, controlId)) {
            found = dialog;
            return true;
          }
        }
        return false;
      },
      timeoutMs);
  return found;
}

std::wstring BuilderRun::Text(HWND window, int controlId) const {
  HWND control = GetDlgItem(window, controlId);
  if (!control) return L"<no control>";
  wchar_t text[2048] = {};
  DWORD_PTR result = 0;
  SendMessageTimeoutW(control, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(text), SMTO_NORMAL,
                      5000, &result);
  return text;
}

void BuilderRun::SetText(int controlId, const std::wstring& text) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(GetDlgItem(main_, controlId), WM_SETTEXT, 0,
                      reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL, 1000, &result);
}

void BuilderRun::Type(int controlId, const std::wstring& text, bool replaceAll) {
  HWND edit = GetDlgItem(main_, controlId);
  DWORD_PTR result = 0;
  if (replaceAll) {
    SendMessageTimeoutW(edit, EM_SETSEL, 0, -1, SMTO_NORMAL, kSendTimeoutMs, &result);
  } else {
    SendMessageTimeoutW(edit, EM_SETSEL, static_cast<WPARAM>(-1), -1, SMTO_NORMAL, kSendTimeoutMs,
                        &result);
    SendMessageTimeoutW(edit, EM_SETSEL, 0x7FFFFFFF, 0x7FFFFFFF, SMTO_NORMAL, kSendTimeoutMs,
                        &result);
  }
  SendMessageTimeoutW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()),
                      SMTO_NORMAL, kSendTimeoutMs, &result);
}

bool BuilderRun::Visible(int controlId) const {
  return (GetWindowLongPtrW(GetDlgItem(main_, controlId), GWL_STYLE) & WS_VISIBLE) != 0;
}

void BuilderRun::Command(int id) { Command(main_, id); }

void BuilderRun::Command(HWND window, int id) {
  PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

testsupport::SeenBox BuilderRun::AnswerNextBox(int button, DWORD timeoutMs) {
  testsupport::SeenBox seen;
  WaitFor(
      [&] {
        process_->AnswerBoxes([button](const testsupport::SeenBox&) { return button; });
        return process_->Boxes().size() > boxesSeen_;
      },
      timeoutMs);
  if (process_->Boxes().size() > boxesSeen_) seen = process_->Boxes()[boxesSeen_++];
  return seen;
}

DWORD BuilderRun::Exit(DWORD timeoutMs) {
  if (main_) Command(IDCANCEL);
  if (!process_->WaitAnswering(nullptr, timeoutMs)) return 0xFFFFFFFF;
  boxesSeen_ = process_->Boxes().size();
  return process_->ExitCode();
}

}  // namespace builderwindow
