// The container that follows the extractor stub in every output program:
// header layout, flag bits and the encoding of the cabinet time-zone word.
// Shared by the builder (which writes it) and the stub (which reads it).
#pragma once
#include <cstddef>
#include <cstdint>

// The header's magic read as a little-endian u32. The four bytes it stands
// for must never appear as a literal in the stub's code, which finds its
// header by searching its own file for them (the stub masks the value).
constexpr uint32_t kSfxContainerMagic = 0x7866736C;

constexpr uint32_t kSfxContainerHeaderSize = 92;

#pragma pack(push, 1)
struct SfxContainerHeader {
  uint32_t Magic;
  uint32_t FlagsA;
  uint32_t FlagsB;
  uint32_t SettingsSize;   // settings block, its final 0 tag included
  uint32_t TotalSize;      // whole file
  uint16_t Crc16;          // of the whole file with this field 0
  uint32_t UninstCabOffset;  // from the header; 0 without uninstaller cabinet
  uint32_t UninstCabSize;
  uint32_t ArchiveOffset;    // from the header
  uint32_t BackScreenColor;  // COLORREF
  uint16_t SavePathRootKey;
  uint16_t SaveExplainShowFlagRootKey;
  uint16_t OverWriteMethod;
  int32_t BootableOS;        // BootableOsMask bits, -1: no check
  uint32_t CabTimeZone;      // see MakeCabTimeZone
  wchar_t SilentizeSwitch[20];
};
#pragma pack(pop)

static_assert(sizeof(wchar_t) == 2, "UTF-16 wchar_t expected");
static_assert(sizeof(SfxContainerHeader) == kSfxContainerHeaderSize, "header size");
static_assert(offsetof(SfxContainerHeader, Magic) == 0x00, "Magic");
static_assert(offsetof(SfxContainerHeader, FlagsA) == 0x04, "FlagsA");
static_assert(offsetof(SfxContainerHeader, FlagsB) == 0x08, "FlagsB");
static_assert(offsetof(SfxContainerHeader, SettingsSize) == 0x0C, "SettingsSize");
static_assert(offsetof(SfxContainerHeader, TotalSize) == 0x10, "TotalSize");
static_assert(offsetof(SfxContainerHeader, Crc16) == 0x14, "Crc16");
static_assert(offsetof(SfxContainerHeader, UninstCabOffset) == 0x16, "UninstCabOffset");
static_assert(offsetof(SfxContainerHeader, UninstCabSize) == 0x1A, "UninstCabSize");
static_assert(offsetof(SfxContainerHeader, ArchiveOffset) == 0x1E, "ArchiveOffset");
static_assert(offsetof(SfxContainerHeader, BackScreenColor) == 0x22, "BackScreenColor");
static_assert(offsetof(SfxContainerHeader, SavePathRootKey) == 0x26, "SavePathRootKey");
static_assert(offsetof(SfxContainerHeader, SaveExplainShowFlagRootKey) == 0x28,
              "SaveExplainShowFlagRootKey");
static_assert(offsetof(SfxContainerHeader, OverWriteMethod) == 0x2A, "OverWriteMethod");
static_assert(offsetof(SfxContainerHeader, BootableOS) == 0x2C, "BootableOS");
static_assert(offsetof(SfxContainerHeader, CabTimeZone) == 0x30, "CabTimeZone");
static_assert(offsetof(SfxContainerHeader, SilentizeSwitch) == 0x34, "SilentizeSwitch");

constexpr size_t kSilentizeSwitchLength = 20;  // UTF-16 units with the NUL

// First flag word.
namespace SfxFlagsA {
constexpr uint32_t AskExtPath = 0x1;
constexpr uint32_t AskOverwrite = 0x2;
constexpr uint32_t AddFileTitle = 0x4;
constexpr uint32_t AfterDeleteExe = 0x8;  // UseAutoExecute, AfterDeleteFiles, ".exe" CmdLine
constexpr uint32_t NoExtractExplainFile = 0x20;
constexpr uint32_t ExplainToConsent = 0x40;
constexpr uint32_t NoExtractBannerFile = 0x80;
constexpr uint32_t ExplainAllRead = 0x100;
constexpr uint32_t UseVesmarinUninstaller = 0x200;
constexpr uint32_t UseBackScreen = 0x400;
constexpr uint32_t BackScreenLogo = 0x800;
constexpr uint32_t NoExtractBackScreenLogo = 0x1000;
constexpr uint32_t UseSavePath = 0x2000;
constexpr uint32_t UsePanelBitmap = 0x4000;
constexpr uint32_t NoExtractPanelBitmap = 0x8000;
constexpr uint32_t WithAttribute = 0x10000;
constexpr uint32_t UseExtensionModuleFile = 0x20000;
constexpr uint32_t StartMenuToCommon = 0x40000;
constexpr uint32_t OnlyAdmin = 0x80000;
constexpr uint32_t NoCRCCheck = 0x100000;
constexpr uint32_t FailIfPathRegNotExist = 0x200000;
constexpr uint32_t DenyUsers = 0x400000;
constexpr uint32_t UninstallRebootable = 0x800000;
constexpr uint32_t NoSaveInstallPath = 0x1000000;
constexpr uint32_t Deny64bitMode = 0x2000000;
constexpr uint32_t CheckTrust = 0x4000000;
constexpr uint32_t UseNewWizard = 0x8000000;
constexpr uint32_t UseWiz97PanelBitmap = 0x10000000;
constexpr uint32_t NoExtractWiz97PanelBitmap = 0x20000000;
// Bits that are never set: 0x10, 0x40000000, 0x80000000.
constexpr uint32_t NeverSet = 0x10 | 0x40000000 | 0x80000000;
}  // namespace SfxFlagsA

// Second flag word.
namespace SfxFlagsB {
constexpr uint32_t AutoUninstIni = 0x1;
constexpr uint32_t AutoDeleteDat = 0x2;
constexpr uint32_t NoUI = 0x4;
constexpr uint32_t UltraSilentInstall = 0x8;
constexpr uint32_t HollmereHideLogButton = 0x10;
constexpr uint32_t UnInstallSetVersion = 0x20;
constexpr uint32_t UnInstallAutoSetVersion = 0x40;
constexpr uint32_t NoOverwriteNewTimeStamp = 0x80;
constexpr uint32_t HideAskOverWrite = 0x100;
constexpr uint32_t NoAskMakeDir = 0x200;
constexpr uint32_t ForceUninstallDir = 0x400;
constexpr uint32_t NoOpenFolderOnEnd = 0x800;
constexpr uint32_t UseSaveExplainShowFlag = 0x1000;
constexpr uint32_t WaitForAutoExecute = 0x2000;
constexpr uint32_t SkipInstallCompletePageOnAutoExec = 0x4000;
constexpr uint32_t UnInstallAutoSetSize = 0x8000;
constexpr uint32_t StartMenuDSQDefaultOn = 0x10000;
constexpr uint32_t StartMenuDSQNoConfirm = 0x20000;
constexpr uint32_t DontShowQXLogoOnWiz = 0x40000;
constexpr uint32_t ShowForceOverwrite = 0x80000;
constexpr uint32_t ExplainNoSkipTextChanged = 0x100000;
// Every bit above ExplainNoSkipTextChanged is never set.
constexpr uint32_t NeverSet = ~0x1FFFFFu;
}  // namespace SfxFlagsB

// Windows versions of the BootableOS field; a set bit allows that version.
namespace BootableOsMask {
constexpr uint32_t WindowsServer2016 = 0x1;
constexpr uint32_t WindowsServer2019 = 0x2;
constexpr uint32_t WindowsServer2022 = 0x4;
constexpr uint32_t WindowsXP = 0x20;
constexpr uint32_t WindowsServer2003 = 0x40;
constexpr uint32_t WindowsVista = 0x80;
constexpr uint32_t WindowsServer2008 = 0x100;
constexpr uint32_t Windows7 = 0x200;
constexpr uint32_t WindowsServer2012 = 0x400;
constexpr uint32_t Windows8 = 0x800;  // 8.1 excluded
constexpr uint32_t WindowsServer2008R2 = 0x1000;
constexpr uint32_t Windows81 = 0x2000;
constexpr uint32_t WindowsServer2012R2 = 0x4000;
constexpr uint32_t Windows10And11 = 0x8000;
constexpr uint32_t Windows10 = 0x10000;  // 11 excluded
constexpr uint32_t Windows11 = 0x20000;
constexpr uint32_t LatestClient = 0x10000000;  // latest or newer client
constexpr uint32_t LatestServer = 0x20000000;  // latest or newer server
}  // namespace BootableOsMask

// BootableOS when the package makes no operating-system check.
constexpr int32_t kBootableOsNoCheck = -1;

// CabTimeZone: the high word says whether the reader applies a bias, the
// low word is the bias in hours as a 16-bit two's complement.
constexpr uint32_t kCabTimeZoneOn = 0x10000;

constexpr uint32_t MakeCabTimeZone(bool use, int biasHours) {
  return use ? kCabTimeZoneOn + (static_cast<uint32_t>(biasHours) & 0xFFFF) : 0;
}
constexpr bool CabTimeZoneInUse(uint32_t word) { return (word >> 16) != 0; }
constexpr int CabTimeZoneBias(uint32_t word) {
  return static_cast<int16_t>(static_cast<uint16_t>(word & 0xFFFF));
}
