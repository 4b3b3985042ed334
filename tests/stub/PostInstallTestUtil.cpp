#include "PostInstallTestUtil.h"

#include "StubState.h"
#include "TestSupport.h"

namespace postinsttest {

ScopedSettings::ScopedSettings(const std::wstring& extractPath)
    : settings_(new stub::StubSettings()) {
  Set(settings_->ExtractPath, extractPath);
  stub::g_Settings = settings_.get();
  stub::g_UltraSilent = true;
  stub::g_JapaneseUi = false;
}

ScopedSettings::~ScopedSettings() {
  stub::g_Settings = nullptr;
  stub::g_UltraSilent = false;
  stub::g_JapaneseUi = false;
}

}  // namespace postinsttest
