#include "PackageSwitch.h"

#include "KCommandLine.h"
#include "SfxContainer.h"

namespace stub {

bool HasPackageSwitch(const wchar_t* arguments, const wchar_t* switchText) {
  if (!switchText || !*switchText) return false;
  KCommandLineW line(arguments ? arguments : L"");
  for (const std::wstring& option : line.GetOptions()) {
    if (lstrcmpiW(option.c_str(), switchText) == 0) return true;
  }
  return false;
}

void FlipSilentMode(uint32_t* flagsA, uint32_t* flagsB) {
  if (*flagsB & SfxFlagsB::NoUI) {
    *flagsB &= ~SfxFlagsB::NoUI;
    *flagsA |= SfxFlagsA::UseNewWizard;
  } else {
    *flagsB |= SfxFlagsB::NoUI;
  }
}

}  // namespace stub
