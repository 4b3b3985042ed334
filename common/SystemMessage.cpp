#include "SystemMessage.h"

namespace vesmarin {

std::wstring SystemErrorText(DWORD error) {
  wchar_t text[512] = {};
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                     0, text, ARRAYSIZE(text), nullptr);
  std::wstring message(text, length < ARRAYSIZE(text) ? length : 0);
  while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n' ||
                              message.back() == L' ' || message.back() == L'.'))
    message.pop_back();
  if (message.empty()) return L"error " + std::to_wstring(error);
  return message + L".";
}

}  // namespace vesmarin
