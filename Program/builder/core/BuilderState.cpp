#include "BuilderState.h"

#include <cstring>

const wchar_t kOptionRegistryKey[] = L"Software\\Kelvadon\\Vesmarin 6\\Option";

BuilderUiState g_UiState;
CSfxSettings g_SfxSettings;
wchar_t g_MessageBuffer[kMessageBufferSize];
wchar_t g_BuildErrorText[kBuildErrorTextSize];
HWND g_StartupPageWindow = nullptr;

void BuilderUiState::Reset() {
  Instance = nullptr;
  MainWindow = nullptr;
  StartArchivePath.clear();
  LastResult = 0;
  WindowX = 0;
  WindowY = 0;
  std::memset(IniCurrent, 0, sizeof IniCurrent);
  std::memset(ManifestCurrent, 0, sizeof ManifestCurrent);
  std::memset(IcoCurrent, 0, sizeof IcoCurrent);
  std::memset(HollmereSaveCurrent, 0, sizeof HollmereSaveCurrent);
  JapaneseUI = false;
  ResetOnStart = false;
  ArchiveOnStart = false;
  BoldFont = nullptr;
  std::memset(GreetingBackup, 0, sizeof GreetingBackup);
  std::memset(GreetingEBackup, 0, sizeof GreetingEBackup);
  std::memset(HelpFilePath, 0, sizeof HelpFilePath);
  RegistryRootPrefixes.clear();
  BootMapping = nullptr;
  BootMutex = nullptr;
  BatchMode = false;
}

void FillRegistryRootPrefixes() {
  g_UiState.RegistryRootPrefixes.assign(
      {L"HKEY_CLASSES_ROOT\\", L"HKEY_CURRENT_USER\\", L"HKEY_LOCAL_MACHINE\\"});
}
