// dialogprobe wizard|sheet|dialog <record-file>
// Shows a three-page wizard, a two-page property sheet or a dialog that opens
// a message box and a modal dialog, and appends what happened to the record
// file, one UTF-8 line per event, so a test can check what its driver did.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <string>

#include "DialogProbeResource.h"

namespace {

HINSTANCE g_instance;
std::wstring g_recordFile;
std::wstring g_wizardName;

void Record(const std::wstring& line) {
  const std::wstring text = line + L"\r\n";
  const int size =
      WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                          nullptr, nullptr);
  std::string utf8(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &utf8[0], size,
                      nullptr, nullptr);
  HANDLE file = CreateFileW(g_recordFile.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
  CloseHandle(file);
}

std::wstring String(UINT id) {
  const wchar_t* text = nullptr;
  const int length = LoadStringW(g_instance, id, reinterpret_cast<LPWSTR>(&text), 0);
  return length > 0 ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

std::wstring ItemText(HWND dialog, int id) {
  wchar_t text[256] = L"";
  GetDlgItemTextW(dialog, id, text, 256);
  return text;
}

// The result of a notification handled by a page.
INT_PTR Answer(HWND page, LONG_PTR result) {
  SetWindowLongPtrW(page, DWLP_MSGRESULT, result);
  return TRUE;
}

INT_PTR CALLBACK WizardPage(HWND page, UINT message, WPARAM, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    const PROPSHEETPAGEW* sheetPage = reinterpret_cast<const PROPSHEETPAGEW*>(lParam);
    SetWindowLongPtrW(page, GWLP_USERDATA, sheetPage->lParam);
    return TRUE;
  }
  if (message != WM_NOTIFY) return FALSE;
  const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
  const LONG_PTR which = GetWindowLongPtrW(page, GWLP_USERDATA);
  HWND sheet = GetParent(page);
  switch (header->code) {
    case PSN_SETACTIVE:
      Record(L"wizard page " + std::to_wstring(which));
      if (which == IDD_WIZ_NAME) PropSheet_SetWizButtons(sheet, PSWIZB_NEXT);
      if (which == IDD_WIZ_AGREE) PropSheet_SetWizButtons(sheet, PSWIZB_BACK | PSWIZB_NEXT);
      if (which == IDD_WIZ_DONE) PropSheet_SetWizButtons(sheet, PSWIZB_BACK | PSWIZB_FINISH);
      return Answer(page, 0);
    case PSN_WIZNEXT:
      if (which == IDD_WIZ_NAME) g_wizardName = ItemText(page, IDC_WIZ_NAME);
      if (which == IDD_WIZ_AGREE && IsDlgButtonChecked(page, IDC_WIZ_AGREE) != BST_CHECKED) {
        // A page that refuses to move on says why in a box of its own.
        MessageBoxW(sheet, String(IDS_TICK_THE_BOX).c_str(), String(IDS_WIZ_TITLE).c_str(),
                    MB_OK | MB_ICONINFORMATION);
        Record(L"wizard refused");
        return Answer(page, -1);
      }
      return Answer(page, 0);
    case PSN_WIZFINISH:
      Record(L"wizard finish name=" + g_wizardName);
      return Answer(page, 0);
    case PSN_QUERYCANCEL:
      Record(L"wizard cancel");
      return Answer(page, FALSE);
  }
  return FALSE;
}

INT_PTR CALLBACK SheetPage(HWND page, UINT message, WPARAM, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    const PROPSHEETPAGEW* sheetPage = reinterpret_cast<const PROPSHEETPAGEW*>(lParam);
    SetWindowLongPtrW(page, GWLP_USERDATA, sheetPage->lParam);
    return TRUE;
  }
  if (message != WM_NOTIFY) return FALSE;
  const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
  const LONG_PTR which = GetWindowLongPtrW(page, GWLP_USERDATA);
  switch (header->code) {
    case PSN_SETACTIVE:
      Record(L"sheet page " + std::to_wstring(which));
      return Answer(page, 0);
    case PSN_APPLY:
      if (which == IDD_SHEET_TEXT) Record(L"sheet apply text=" + ItemText(page, IDC_SHEET_TEXT));
      if (which == IDD_SHEET_OPTION)
        Record(L"sheet apply option=" +
               std::to_wstring(IsDlgButtonChecked(page, IDC_SHEET_OPTION)));
      return Answer(page, PSNRET_NOERROR);
  }
  return FALSE;
}

INT_PTR ShowSheet(const int* templates, int count, DLGPROC procedure, UINT titleId, bool wizard) {
  PROPSHEETPAGEW pages[3] = {};
  HPROPSHEETPAGE handles[3] = {};
  for (int i = 0; i < count; ++i) {
    pages[i].dwSize = sizeof(PROPSHEETPAGEW);
    pages[i].hInstance = g_instance;
    pages[i].pszTemplate = MAKEINTRESOURCEW(templates[i]);
    pages[i].pfnDlgProc = procedure;
    pages[i].lParam = templates[i];
    handles[i] = CreatePropertySheetPageW(&pages[i]);
  }
  const std::wstring title = String(titleId);
  PROPSHEETHEADERW header = {};
  header.dwSize = sizeof(header);
  header.dwFlags = PSH_NOAPPLYNOW | (wizard ? PSH_WIZARD : 0);
  header.hInstance = g_instance;
  header.pszCaption = title.c_str();
  header.nPages = static_cast<UINT>(count);
  header.phpage = handles;
  return PropertySheetW(&header);
}

INT_PTR CALLBACK AskNameDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    if (LOWORD(wParam) == IDOK) Record(L"dialog name=" + ItemText(dialog, IDC_ASK_EDIT));
    EndDialog(dialog, LOWORD(wParam));
    return TRUE;
  }
  return FALSE;
}

INT_PTR CALLBACK MainDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message != WM_COMMAND) return FALSE;
  switch (LOWORD(wParam)) {
    case IDC_MAIN_ASK: {
      const int answer = MessageBoxW(dialog, String(IDS_QUESTION).c_str(), L"dialogprobe",
                                     MB_YESNO | MB_ICONQUESTION);
      const wchar_t* said = answer == IDYES ? L"yes" : L"no";
      SetDlgItemTextW(dialog, IDC_MAIN_EDIT, said);
      Record(std::wstring(L"dialog asked ") + said);
      return TRUE;
    }
    case IDC_MAIN_OPEN:
      if (DialogBoxParamW(g_instance, MAKEINTRESOURCEW(IDD_ASK_NAME), dialog, &AskNameDialog, 0) ==
          IDOK)
        SetDlgItemTextW(dialog, IDC_MAIN_EDIT, L"named");
      return TRUE;
    case IDCANCEL:
      Record(L"dialog closed");
      EndDialog(dialog, IDCANCEL);
      return TRUE;
  }
  return FALSE;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  g_instance = instance;
  int count = 0;
  LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!args || count != 3) return 2;
  const std::wstring mode = args[1];
  g_recordFile = args[2];

  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  if (mode == L"wizard") {
    const int templates[] = {IDD_WIZ_NAME, IDD_WIZ_AGREE, IDD_WIZ_DONE};
    const INT_PTR result = ShowSheet(templates, 3, &WizardPage, IDS_WIZ_TITLE, true);
    Record(L"wizard result " + std::to_wstring(result > 0 ? 1 : result));
    return 0;
  }
  if (mode == L"sheet") {
    const int templates[] = {IDD_SHEET_TEXT, IDD_SHEET_OPTION};
    const INT_PTR result = ShowSheet(templates, 2, &SheetPage, IDS_SHEET_TITLE, false);
    Record(L"sheet result " + std::to_wstring(result > 0 ? 1 : result));
    return 0;
  }
  if (mode == L"dialog") {
    DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, &MainDialog, 0);
    return 0;
  }
  return 2;
}
