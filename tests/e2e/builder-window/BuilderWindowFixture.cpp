#include "BuilderWindowFixture.h"

#include <shlobj.h>

#include <cstdint>
#include <cstring>

namespace builderwindow {

namespace {

const wchar_t kOptionKey[] = L"Software\\Kelvadon\\Vesmarin 6\\Option";
const int kArchiveEdit = 1000;

bool CopyFromBin(const std::wstring& name, const std::wstring& target) {
  return CopyFileW(testsupport::BinPath(name).c_str(), target.c_str(), FALSE) != FALSE;
}

bool SaveEnvironment(const wchar_t* name, std::wstring* value) {
  wchar_t buffer[512] = {};
  DWORD got = GetEnvironmentVariableW(name, buffer, 512);
  if (got == 0 || got >= 512) return false;
  *value = buffer;
  return true;
}

}  // namespace

std::wstring PerUserDefinition() {
  wchar_t folder[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
  return std::wstring(folder) + L"\\Kelvadon\\Vesmarin 6\\Vesmarin.ini";
}

void ResetBuilderState() {
  DeleteFileW(PerUserDefinition().c_str());
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
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(20);
  }
  return true;
}

bool SaveScreenshot(HWND window, const std::wstring& name) {
  Sleep(400);  // let the window finish painting
  RECT rect;
  if (!GetWindowRect(window, &rect)) return false;
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return false;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFOHEADER info = {sizeof info, width, height, 1, 24, BI_RGB};
  const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  std::vector<uint8_t> pixels(stride * static_cast<DWORD>(height));
  GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(),
            reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);

  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  std::vector<uint8_t> bytes(file.bfSize);
  memcpy(bytes.data(), &file, sizeof file);
  memcpy(bytes.data() + sizeof file, &info, sizeof info);
  memcpy(bytes.data() + file.bfOffBits, pixels.data(), pixels.size());
  const std::wstring folder = testsupport::BinPath(L"screenshots");
  CreateDirectoryW(folder.c_str(), nullptr);
  return testsupport::WriteFileBytes(folder + L"\\" + name + L".bmp", bytes);
}

InterfaceLanguage::InterfaceLanguage(const wchar_t* locale) {
  hadLang_ = SaveEnvironment(L"LANG", &lang_);
  hadLcAll_ = SaveEnvironment(L"LC_ALL", &lcAll_);
  SetEnvironmentVariableW(L"LANG", locale);
  SetEnvironmentVariableW(L"LC_ALL", locale);
}

InterfaceLanguage::~InterfaceLanguage() {
  SetEnvironmentVariableW(L"LANG", hadLang_ ? lang_.c_str() : nullptr);
  SetEnvironmentVariableW(L"LC_ALL", hadLcAll_ ? lcAll_.c_str() : nullptr);
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
