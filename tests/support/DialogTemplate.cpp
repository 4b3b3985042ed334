#include "DialogTemplate.h"

#include <commctrl.h>

#include <cstring>

namespace testsupport {

namespace {

// A bounded reader over the template's bytes.
class Reader {
 public:
  explicit Reader(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}
  bool ok() const { return ok_; }
  size_t at() const { return at_; }

  uint16_t Word() {
    uint16_t value = 0;
    Copy(&value, sizeof(value));
    return value;
  }
  uint32_t Dword() {
    uint32_t value = 0;
    Copy(&value, sizeof(value));
    return value;
  }
  void Skip(size_t count) {
    if (count > bytes_.size() - at_) ok_ = false;
    else at_ += count;
  }
  void AlignDword() { Skip((4 - at_ % 4) % 4); }
  // A NUL-terminated UTF-16 string.
  std::wstring String() {
    std::wstring text;
    for (;;) {
      const uint16_t c = Word();
      if (!ok_ || c == 0) return text;
      text.push_back(static_cast<wchar_t>(c));
    }
  }
  // Nothing, an ordinal (0xFFFF, id) or a string; only a string is returned.
  std::wstring StringOrOrdinal() {
    const size_t start = at_;
    const uint16_t first = Word();
    if (first == 0) return std::wstring();
    if (first == 0xFFFF) {
      Word();
      return std::wstring();
    }
    at_ = start;
    return String();
  }

 private:
  void Copy(void* target, size_t size) {
    if (!ok_ || size > bytes_.size() - at_) {
      ok_ = false;
      return;
    }
    memcpy(target, bytes_.data() + at_, size);
    at_ += size;
  }

  const std::vector<uint8_t>& bytes_;
  size_t at_ = 0;
  bool ok_ = true;
};

INT_PTR CALLBACK DoNothing(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG;
}

LRESULT CALLBACK StandInProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}

void RegisterStandIn(const std::wstring& name, bool dialogClass) {
  WNDCLASSEXW existing = {sizeof(existing)};
  if (GetClassInfoExW(nullptr, name.c_str(), &existing) ||
      GetClassInfoExW(GetModuleHandleW(nullptr), name.c_str(), &existing))
    return;
  WNDCLASSEXW standIn = {sizeof(standIn)};
  standIn.lpfnWndProc = dialogClass ? &DefDlgProcW : &StandInProc;
  standIn.cbWndExtra = dialogClass ? DLGWINDOWEXTRA : 0;
  standIn.hInstance = GetModuleHandleW(nullptr);
  standIn.lpszClassName = name.c_str();
  RegisterClassExW(&standIn);
}

}  // namespace

bool ReadTemplate(const std::vector<uint8_t>& bytes, TemplateInfo& info) {
  info = TemplateInfo();
  info.extended = bytes.size() >= 4 && bytes[0] == 1 && bytes[1] == 0 && bytes[2] == 0xFF &&
                  bytes[3] == 0xFF;
  Reader in(bytes);
  if (info.extended) {
    in.Skip(2 * sizeof(WORD) + sizeof(DWORD));  // version, signature, help id
    in.Dword();                                  // extended style
    info.styleOffset = in.at();
    info.style = in.Dword();
  } else {
    info.styleOffset = 0;
    info.style = in.Dword();
    in.Dword();  // extended style
  }
  const uint16_t count = in.Word();
  in.Skip(2 * sizeof(int16_t));  // x, y
  info.cx = static_cast<short>(in.Word());
  info.cy = static_cast<short>(in.Word());
  in.StringOrOrdinal();          // menu
  info.dialogClass = in.StringOrOrdinal();
  in.String();  // caption
  if (info.style & (DS_SETFONT | DS_SHELLFONT)) {
    in.Word();  // point size
    if (info.extended) {
      in.Word();  // weight
      in.Skip(2);  // italic, character set
    }
    in.String();  // typeface
  }
  for (uint16_t i = 0; i < count && in.ok(); ++i) {
    in.AlignDword();
    if (info.extended) {
      in.Skip(3 * sizeof(DWORD) + 4 * sizeof(int16_t) + sizeof(DWORD));  // help id ... id
    } else {
      in.Skip(2 * sizeof(DWORD) + 4 * sizeof(int16_t) + sizeof(WORD));  // style ... id
    }
    const std::wstring controlClass = in.StringOrOrdinal();
    if (!controlClass.empty()) info.controlClasses.push_back(controlClass);
    in.StringOrOrdinal();  // text
    in.Skip(in.Word());    // creation data
  }
  return in.ok();
}

std::vector<uint8_t> LoadDialogTemplate(HMODULE module, LPCWSTR name, LANGID language) {
  HRSRC resource = FindResourceExW(module, RT_DIALOG, name, language);
  HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
  const uint8_t* data = loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
  if (!data) return std::vector<uint8_t>();
  return std::vector<uint8_t>(data, data + SizeofResource(module, resource));
}

namespace {

// The template ready to be created hidden: its classes registered, a copy
// without WS_VISIBLE. False when the bytes are no template.
bool PrepareHidden(const std::vector<uint8_t>& bytes, TemplateInfo& info,
                   std::vector<uint8_t>& copy) {
  if (!ReadTemplate(bytes, info)) return false;
  if (!info.dialogClass.empty()) RegisterStandIn(info.dialogClass, true);
  for (const std::wstring& name : info.controlClasses) RegisterStandIn(name, false);
  copy = bytes;
  copy.resize(copy.size() + 4);  // slack for a last DWORD alignment
  const DWORD style = info.style & ~static_cast<DWORD>(WS_VISIBLE);
  memcpy(copy.data() + info.styleOffset, &style, sizeof(style));
  return true;
}

// Keeps the sheet hidden: its own template loses WS_VISIBLE before it is
// created.
int CALLBACK HiddenSheet(HWND, UINT message, LPARAM lParam) {
  if (message == PSCB_PRECREATE && lParam) {
    uint8_t* sheet = reinterpret_cast<uint8_t*>(lParam);
    const bool extended = sheet[2] == 0xFF && sheet[3] == 0xFF;
    DWORD style = 0;
    memcpy(&style, sheet + (extended ? 12 : 0), sizeof(style));
    style &= ~static_cast<DWORD>(WS_VISIBLE);
    memcpy(sheet + (extended ? 12 : 0), &style, sizeof(style));
  }
  return 0;
}

}  // namespace

HWND CreateDialogHidden(const std::vector<uint8_t>& bytes, HWND parent) {
  TemplateInfo info;
  std::vector<uint8_t> copy;
  if (!PrepareHidden(bytes, info, copy)) return nullptr;
  return CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                    reinterpret_cast<LPCDLGTEMPLATEW>(copy.data()),
                                    (info.style & WS_CHILD) ? parent : nullptr, &DoNothing, 0);
}

HiddenPropertySheet::HiddenPropertySheet(const std::vector<std::vector<uint8_t>>& pages,
                                         HWND owner) {
  std::vector<PROPSHEETPAGEW> descriptions;
  RECT largest = {};
  for (const std::vector<uint8_t>& bytes : pages) {
    TemplateInfo info;
    std::vector<uint8_t> copy;
    if (!PrepareHidden(bytes, info, copy) || !(info.style & WS_CHILD)) return;
    copies_.push_back(copy);
    if (info.cx > largest.right) largest.right = info.cx;
    if (info.cy > largest.bottom) largest.bottom = info.cy;
  }
  // Only now that the copies stay where they are.
  for (std::vector<uint8_t>& copy : copies_) {
    PROPSHEETPAGEW page = {};
    page.dwSize = sizeof(page);
    page.dwFlags = PSP_DLGINDIRECT;
    page.hInstance = GetModuleHandleW(nullptr);
    page.pResource = reinterpret_cast<LPCDLGTEMPLATEW>(copy.data());
    page.pfnDlgProc = &DoNothing;
    descriptions.push_back(page);
  }
  if (descriptions.empty()) return;
  PROPSHEETHEADERW header = {};
  header.dwSize = sizeof(header);
  header.dwFlags = PSH_MODELESS | PSH_NOAPPLYNOW | PSH_PROPSHEETPAGE | PSH_USECALLBACK;
  header.hwndParent = owner;
  header.hInstance = GetModuleHandleW(nullptr);
  header.pszCaption = L"";
  header.nPages = static_cast<UINT>(descriptions.size());
  header.ppsp = descriptions.data();
  header.pfnCallback = &HiddenSheet;
  const INT_PTR made = PropertySheetW(&header);
  if (made == 0 || made == -1) return;
  sheet_ = reinterpret_cast<HWND>(made);
  MapDialogRect(sheet_, &largest);
  least_ = SIZE{largest.right, largest.bottom};
}

HiddenPropertySheet::~HiddenPropertySheet() {
  if (sheet_) DestroyWindow(sheet_);
}

HWND HiddenPropertySheet::Page(size_t index) {
  if (!sheet_ || index >= copies_.size()) return nullptr;
  SendMessageW(sheet_, PSM_SETCURSEL, index, 0);
  HWND page = reinterpret_cast<HWND>(SendMessageW(sheet_, PSM_GETCURRENTPAGEHWND, 0, 0));
  return page && SendMessageW(sheet_, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(page), 0) ==
                     static_cast<LRESULT>(index)
             ? page
             : nullptr;
}

}  // namespace testsupport
