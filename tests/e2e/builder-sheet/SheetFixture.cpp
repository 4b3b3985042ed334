#include "SheetFixture.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "TestSupport.h"

namespace sheettest {

namespace {

const int kDetailedSettings = 1023;
const DWORD kWaitMs = 5000;

std::wstring DecodeText(const std::vector<uint8_t>& bytes) {
  if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
    std::wstring text((bytes.size() - 2) / 2, L'\0');
    memcpy(&text[0], bytes.data() + 2, text.size() * 2);
    return text;
  }
  return testsupport::Widen(std::string(bytes.begin(), bytes.end()));
}

struct SheetSearch {
  DWORD processId;
  std::wstring caption;
  HWND found;
};

BOOL CALLBACK FindSheet(HWND window, LPARAM parameter) {
  SheetSearch* search = reinterpret_cast<SheetSearch*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
  if (testsupport::ControlText(window) != search->caption) return TRUE;
  search->found = window;
  return FALSE;
}

}  // namespace

Definition ReadDefinition(const std::wstring& path) {
  Definition keys;
  std::vector<uint8_t> bytes;
  if (!testsupport::ReadFileBytes(path, bytes)) return keys;
  for (const std::wstring& line : testsupport::CrLfLines(DecodeText(bytes))) {
    const size_t equals = line.find(L'=');
    if (line.empty() || line[0] == L'[' || equals == std::wstring::npos) continue;
    keys[line.substr(0, equals)] = line.substr(equals + 1);
  }
  return keys;
}

std::wstring DifferentKeys(const Definition& before, const Definition& after) {
  std::vector<std::wstring> keys;
  for (const auto& entry : before) {
    auto other = after.find(entry.first);
    if (other == after.end() || other->second != entry.second) keys.push_back(entry.first);
  }
  for (const auto& entry : after)
    if (!before.count(entry.first)) keys.push_back(entry.first);
  std::sort(keys.begin(), keys.end());
  std::wstring joined;
  for (const std::wstring& key : keys) joined += (joined.empty() ? L"" : L" ") + key;
  return joined;
}

std::wstring BuilderString(UINT id) {
  HMODULE builder = LoadLibraryExW(testsupport::BinPath(L"Vesmarin.exe").c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE);
  wchar_t text[1024] = {};
  if (builder) {
    LoadStringW(builder, id, text, 1024);
    FreeLibrary(builder);
  }
  return text;
}

bool JapaneseInterface() { return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE; }

SheetRun::SheetRun(const std::string& definition) {
  if (!definition.empty() &&
      !testsupport::WriteTextFile(builderwindow::PerUserDefinition(), definition))
    return;
  if (!run_.Start()) return;
  main_ = run_.WaitMainWindow();
}

SheetRun::~SheetRun() {
  if (sheet_.Sheet() && IsWindow(sheet_.Sheet())) Cancel();
}

bool SheetRun::Open() {
  if (!main_) return false;
  PostMessageW(main_, WM_COMMAND, MAKEWPARAM(kDetailedSettings, 0), 0);
  SheetSearch search = {run_.process().Id(), BuilderString(250) + L"Vesmarin 6", nullptr};
  builderwindow::WaitFor(
      [&] {
        EnumWindows(FindSheet, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
      },
      45000);
  sheet_ = testsupport::PropertySheetDriver(search.found);
  return search.found && builderwindow::WaitFor([&] { return Page() != nullptr; }, 30000);
}

testsupport::SeenBox SheetRun::SelectExpectingBox(int dialogId) {
  const LRESULT index = Send(sheet_.Sheet(), PSM_IDTOINDEX, 0, dialogId);
  PostMessageW(sheet_.Sheet(), PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
  return NextBox();
}

bool SheetRun::Ok() {
  HWND sheet = sheet_.Sheet();
  sheet_.Press(PSBTN_OK);
  return testsupport::WaitForWindowGone(sheet, 15000);
}

bool SheetRun::Cancel() {
  HWND sheet = sheet_.Sheet();
  sheet_.Press(PSBTN_CANCEL);
  return testsupport::WaitForWindowGone(sheet, 15000);
}

testsupport::SeenBox SheetRun::OkExpectingBox() {
  sheet_.Press(PSBTN_OK);
  return NextBox();
}

bool SheetRun::Checked(int controlId) const {
  HWND control = GetDlgItem(Page(), controlId);
  return control && Send(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool SheetRun::Enabled(int controlId) const {
  HWND control = GetDlgItem(Page(), controlId);
  return control && IsWindowEnabled(control);
}

bool SheetRun::Visible(int controlId) const {
  HWND control = GetDlgItem(Page(), controlId);
  return control && IsWindowVisible(control);
}

bool SheetRun::SetCheck(int controlId, bool checked) {
  return sheettest::SetCheck(Page(), controlId, checked);
}

bool SheetRun::Click(int controlId) { return sheettest::Click(Page(), controlId); }

testsupport::SeenBox SheetRun::ClickExpectingBox(int controlId) {
  if (!testsupport::PressButton(Page(), controlId)) return testsupport::SeenBox();
  return NextBox();
}

void SheetRun::SetText(int controlId, const std::wstring& text) {
  sheettest::SetText(Page(), controlId, text);
}

std::wstring SheetRun::Text(int controlId) const { return testsupport::ControlText(Page(), controlId); }

void SheetRun::Choose(int listId, int index) { sheettest::Choose(Page(), listId, index); }

testsupport::SeenBox SheetRun::ChooseExpectingBox(int listId, int index) {
  HWND page = Page();
  HWND list = GetDlgItem(page, listId);
  Send(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  PostMessageW(page, WM_COMMAND, MAKEWPARAM(listId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
  return NextBox();
}

int SheetRun::Chosen(int listId) const {
  return static_cast<int>(Send(GetDlgItem(Page(), listId), CB_GETCURSEL, 0, 0));
}

Definition SheetRun::ExitAndRead() {
  run_.Exit();
  return ReadDefinition(builderwindow::PerUserDefinition());
}

Definition SheetRun::OkAndExit() {
  EXPECT_TRUE(Ok()) << "OK must close the sheet";
  return ExitAndRead();
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, kWaitMs, &result)) return 0;
  return static_cast<LRESULT>(result);
}

void SetText(HWND dialog, int controlId, const std::wstring& text) {
  Send(GetDlgItem(dialog, controlId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

bool Click(HWND dialog, int controlId) {
  // Sent, not posted: it returns once the dialog has handled the click.
  HWND control = GetDlgItem(dialog, controlId);
  if (!control || !IsWindowVisible(control) || !IsWindowEnabled(control)) return false;
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(control, BM_CLICK, 0, 0, SMTO_NORMAL, kWaitMs, &result) != 0;
}

bool SetCheck(HWND dialog, int controlId, bool checked) {
  if (testsupport::IsChecked(dialog, controlId) == checked) return true;
  if (!Click(dialog, controlId)) return false;
  return builderwindow::WaitFor(
      [&] { return testsupport::IsChecked(dialog, controlId) == checked; }, kWaitMs);
}

void Choose(HWND dialog, int listId, int index) {
  HWND list = GetDlgItem(dialog, listId);
  Send(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  Send(dialog, WM_COMMAND, MAKEWPARAM(listId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

bool SelectListViewRow(HWND list, int row) {
  DWORD processId = 0;
  GetWindowThreadProcessId(list, &processId);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, processId);
  if (!process) return false;
  void* remote = VirtualAllocEx(process, nullptr, sizeof(LVITEMW), MEM_COMMIT, PAGE_READWRITE);
  LVITEMW item = {};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  bool done = remote && WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
  DWORD_PTR result = 0;
  done = done && SendMessageTimeoutW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                                     reinterpret_cast<LPARAM>(remote), SMTO_NORMAL, kWaitMs, &result);
  if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  return done;
}

}  // namespace sheettest
