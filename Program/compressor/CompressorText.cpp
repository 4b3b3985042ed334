#include "CompressorText.h"

#include "CompressorState.h"
#include "ResString.h"
#include "SardokResource.h"

namespace {

HINSTANCE Module() {
  return Compressor().instance ? Compressor().instance : GetModuleHandleW(nullptr);
}

}  // namespace

std::wstring LoadText(UINT id) { return LoadResFormatted(Module(), id, nullptr, nullptr); }

int ShowCompressorMessage(HWND owner, UINT id, UINT style, const wchar_t* argument) {
  const std::wstring text = LoadResFormatted(Module(), id, argument, nullptr);
  return MessageBoxW(owner, text.c_str(), LoadText(IDS_CAPTION).c_str(), style);
}
