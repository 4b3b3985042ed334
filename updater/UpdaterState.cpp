#include "UpdaterState.h"

const wchar_t kDefaultCommonRegKey[] = L"Software\\Kelvadon\\Kelvadon Update";

UpdaterState::UpdaterState() : CommonRegKey(kDefaultCommonRegKey) {}

UpdaterState g_Updater;
