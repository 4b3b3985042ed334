// The stub's settings record: every setting that the container header and
// the settings block carry, with the builder's names and capacities (in
// characters, the terminating NUL included; a longer text is cut), plus what
// the container open adds (header copy, flag words, extraction folder).
#pragma once
#include <windows.h>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "SettingsBlockFormat.h"
#include "SfxContainer.h"

namespace stub {

// The item records are the block's own (SettingsBlockFormat.h).
using ::AutoExecItem;
using ::ExtraCopyItem;
using ::RegComSvrItem;
using ::StartMenuItem;

// Everything of the record but the growable lists: plain data, zero when
// value-initialised.
struct StubSettingsFields {
  // Header words (the flag words as changed by the package switch and the
  // extension module).
  SfxContainerHeader Header;
  uint32_t FlagsA;
  uint32_t FlagsB;
  COLORREF BackScreenColor;
  uint16_t SavePathRootKey;
  uint16_t SaveExplainShowFlagRootKey;
  uint16_t OverWriteMethod;

  // The running program's file name without its extension.
  wchar_t FileTitle[260];
  // The extraction folder with a trailing backslash: the working value and
  // the value as first resolved.
  wchar_t ExtractPath[260];
  wchar_t ExtractPathInitial[260];

  // The uninstaller cabinet as stored (its first four bytes zero), or null.
  uint8_t* UninstCab;
  uint32_t UninstCabSize;

  // Settings block.
  wchar_t OSCheckErrorMsg[1000];                 // '$'
  wchar_t UninstIconFile[270];                   // '2'
  wchar_t UnInstallPublisher[200];               // '4'
  wchar_t UnInstallSupportLink[400];
  wchar_t UnInstallHelpLink[400];
  wchar_t UnInstallUpdateLink[400];
  wchar_t Wiz97PanelBitmap[260];                 // '5'
  wchar_t PassRebootSwitch[260];                 // '6'
  wchar_t SaveExplainShowFlagKey[128];           // 'A'
  wchar_t SaveExplainShowFlagValue[128];
  wchar_t UninstallerExtensionModuleFile[260];   // 'B'
  wchar_t GreetingE[1024];                       // 'D'
  wchar_t DialogTitleE[66];                      // 'E'
  wchar_t ExplainFileE[260];                     // 'F'
  wchar_t BackScreenTextE[101];                  // 'G'
  wchar_t UnInstallPublisherE[200];              // 'H'
  wchar_t UnInstallSupportLinkE[400];
  wchar_t UnInstallHelpLinkE[400];
  wchar_t UnInstallUpdateLinkE[400];
  wchar_t UnInstallVersion[31];                  // 'I'
  wchar_t UnInstallAutoSetVersionFile[260];      // 'J'
  wchar_t UninstallerPreProcessFile[260];        // 'K'
  wchar_t UninstallerPreProcessArg[260];         // 'L'
  int AutoExecCount;                             // 'a'
  AutoExecItem AutoExec[kMaxAutoExecItems];
  wchar_t BannerFile[260];                       // 'b'
  wchar_t ExplainFile[260];                      // 'c'
  wchar_t PanelBitmap[260];                      // 'd'
  wchar_t CmdLine[260];                          // 'e'
  wchar_t CmdArgs[260];
  bool CmdNonElevate;
  wchar_t Greeting[1024];                        // 'g'
  wchar_t SavePathKey[128];                      // 'h'
  wchar_t SavePathValue[128];
  wchar_t ExtensionModuleFile[260];              // 'i'
  wchar_t ExtensionModuleDatFile[260];
  wchar_t BackScreenText[101];                   // 'k'
  wchar_t HPTitle[260];                          // 'l'
  wchar_t HPTitleE[260];
  wchar_t URL[260];  // the web link of the interface language
  wchar_t VesmarinFor[255];                      // 'C'
  wchar_t VesmarinForE[255];                     // 'M'
  int UninstallRegCount;                         // 'n'
  wchar_t UninstallReg[kMaxUninstallRegs][260];
  int BaseFolder;                                // 'p'
  wchar_t ExtractFolder[260];  // with a trailing backslash unless empty
  wchar_t StartMenuGroup[260];                   // 's'
  wchar_t StartMenuGroupE[260];
  int StartMenuCount;
  StartMenuItem StartMenu[kMaxStartMenuItems];
  wchar_t DialogTitle[66];                       // 't'
  wchar_t UnInstallTitle[151];                   // 'u'
  wchar_t UnInstallTitleE[151];
  wchar_t UnInstallKey[81];
  wchar_t UnInstallFile[260];
  wchar_t UnInstallArgs[260];
  wchar_t UseVesmarinUninstallerFolder[260];     // 'x'
  wchar_t BackScreenLogoBmp[260];                // 'y'
};

struct StubSettings : StubSettingsFields {
  StubSettings();
  ~StubSettings();  // frees UninstCab
  StubSettings(const StubSettings&) = delete;
  StubSettings& operator=(const StubSettings&) = delete;

  std::vector<RegComSvrItem> RegComSvr;  // '1', in block order
  std::vector<ExtraCopyItem> ExtraCopy;  // '3', in block order
};

// Fills the record from a settings block of `size` bytes. Reading never
// goes past the block's end, also not inside an unterminated text; records
// beyond the end or after the 0 tag are not read. The link of tag 'l' is
// chosen by japaneseUi. Of every other pair of a text and its English
// variant, an empty one takes the other's text. False only when memory runs
// out.
bool ParseSettingsBlock(StubSettings& settings, const uint8_t* block, size_t size,
                        bool japaneseUi);

}  // namespace stub
