#include "CompressorText.h"

#include "CompressorState.h"
#include "SardokResource.h"

std::wstring LoadText(UINT id) {
  const wchar_t* text = nullptr;
  const int length = LoadStringW(Compressor().instance ? Compressor().instance
                                                       : GetModuleHandleW(nullptr),
                                 id, reinterpret_cast<wchar_t*>(&text), 0);
  if (length <= 0 || !text) return std::wstring();
  return std::wstring(text, static_cast<size_t>(length));
}

int ShowCompressorMessage(HWND owner, UINT id, UINT style, const wchar_t* argument) {
  std::wstring text = LoadText(id);
  if (argument) {
    const size_t at = text.find(L"%s");
    if (at != std::wstring::npos) text.replace(at, 2, argument);
  }
  return MessageBoxW(owner, text.c_str(), LoadText(IDS_CAPTION).c_str(), style);
}
