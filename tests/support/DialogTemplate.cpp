#include "DialogTemplate.h"

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
  in.Skip(4 * sizeof(int16_t));  // x, y, cx, cy
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

HWND CreateDialogHidden(const std::vector<uint8_t>& bytes, HWND parent) {
  TemplateInfo info;
  if (!ReadTemplate(bytes, info)) return nullptr;
  if (!info.dialogClass.empty()) RegisterStandIn(info.dialogClass, true);
  for (const std::wstring& name : info.controlClasses) RegisterStandIn(name, false);
  std::vector<uint8_t> copy = bytes;
  copy.resize(copy.size() + 4);  // slack for a last DWORD alignment
  const DWORD style = info.style & ~static_cast<DWORD>(WS_VISIBLE);
  memcpy(copy.data() + info.styleOffset, &style, sizeof(style));
  return CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                    reinterpret_cast<LPCDLGTEMPLATEW>(copy.data()),
                                    (info.style & WS_CHILD) ? parent : nullptr, &DoNothing, 0);
}

}  // namespace testsupport
