#include "SfxSettings.h"

#include <cstring>

#include "BuilderState.h"
#include "SfxSettingsMembers.h"

#define SFX_COUNT_MEMBER(name) +1
static_assert(0 SFX_SETTINGS_PLAIN_MEMBERS(SFX_COUNT_MEMBER) == kSfxSettingsPlainMemberCount,
              "every plain member is listed once");
#undef SFX_COUNT_MEMBER

const wchar_t kDefaultVesmarinFor[] = L"Self Extractable Archive by Vesmarin 6";

CSfxSettings::CSfxSettings() { Clear(); }

CSfxSettings::~CSfxSettings() {}

CSfxSettings::CSfxSettings(const CSfxSettings& other) {
  Clear();
  *this = other;
}

CSfxSettings& CSfxSettings::operator=(const CSfxSettings& other) {
  if (this == &other) return *this;
#define SFX_COPY_MEMBER(name) std::memcpy(&name, &other.name, sizeof name);
  SFX_SETTINGS_PLAIN_MEMBERS(SFX_COPY_MEMBER)
#undef SFX_COPY_MEMBER
  for (int i = 0; i < kMaxUninstallRegs; ++i) UninstallReg[i] = other.UninstallReg[i];
  RegComSvr = other.RegComSvr;
  ExtraCopy = other.ExtraCopy;
  IconType = other.IconType;
  return *this;
}

void CSfxSettings::Clear() {
#define SFX_ZERO_MEMBER(name) std::memset(&name, 0, sizeof name);
  SFX_SETTINGS_PLAIN_MEMBERS(SFX_ZERO_MEMBER)
#undef SFX_ZERO_MEMBER
  for (int i = 0; i < kMaxUninstallRegs; ++i) UninstallReg[i].clear();
  RegComSvr.clear();
  ExtraCopy.clear();
  SkipInstallCompletePageOnAutoExec = 1;
  StartMenuToCommon = 1;
  CabTimeZoneBias = 9;
  IconType = L"blue";
}

void DeleteSfxSettings(CSfxSettings* settings) { delete settings; }
