// The records of the settings block (SettingsBlockFormat.h), once for the
// builder that writes them and the stub that reads them: each record's name,
// tag, kind and the members of the settings (CSfxSettings and the stub's
// record share the names and capacities) that its fields carry. The builder
// writes the records in this order, each only when its settings ask for it;
// the stub reads them in any order.
//
// SETTINGS_BLOCK_RECORDS(TEXT, TEXTS4, PAIR, OWN) names every record by one
// of four kinds:
//   TEXT(Name, tag, member)            one text, the member as it is
//   TEXTS4(Name, tag, m1, m2, m3, m4)  four texts, the members as they are
//   PAIR(Name, tag, first, second)     one text "<first>|<second>"
//   OWN(Name, tag)                     a shape of its own, given here; each
//                                      side has one function for the record
//
// The records of kind OWN:
//   ComServer '1', one per server: "<1 uninstall|0>|<file>"
//   ExtraCopy '3', one per copy: "<1 no original|0>|<file>|<base id>|<folder>"
//   ExtractFolder 'p': u16 base id, then the sub-path
//   StartMenu 's', one per shortcut: the first record starts with the group
//     and its English name; then title, title E, file, file E, arguments,
//     arguments E, comment, comment E, icon, icon E and five '1'/'0' flags in
//     the order of StartMenuItem
//   Uninstall 'u': title, title E, key, file, arguments
//   Command 'e': file, arguments, "1" not elevated
//   AutoExec 'a', one per program: file, arguments, "1" not elevated
//   UninstallerFolder 'x': the uninstaller's folder, no leading backslash
//   UninstallReg 'n', one per key: "<root><index>=<key>"
//   HomePage 'l': title, title E, URL, URL E
#pragma once
#include <cstdint>

#define SETTINGS_BLOCK_RECORDS(TEXT, TEXTS4, PAIR, OWN)                                      \
  TEXT(UninstallVersion, 'I', UnInstallVersion)                                              \
  TEXT(UninstallAutoSetVersionFile, 'J', UnInstallAutoSetVersionFile)                        \
  TEXTS4(UninstallLinks, '4', UnInstallPublisher, UnInstallSupportLink, UnInstallHelpLink,   \
         UnInstallUpdateLink)                                                                \
  TEXTS4(UninstallLinksE, 'H', UnInstallPublisherE, UnInstallSupportLinkE,                   \
         UnInstallHelpLinkE, UnInstallUpdateLinkE)                                           \
  TEXT(UninstallIcon, '2', UninstIconFile)                                                   \
  TEXT(PassRebootSwitch, '6', PassRebootSwitch)                                              \
  OWN(ComServer, '1')                                                                        \
  OWN(ExtraCopy, '3')                                                                        \
  TEXT(OsCheckErrorMessage, '$', OSCheckErrorMsg)                                            \
  TEXT(DialogTitle, 't', DialogTitle)                                                        \
  TEXT(DialogTitleE, 'E', DialogTitleE)                                                      \
  TEXT(Greeting, 'g', Greeting)                                                              \
  TEXT(GreetingE, 'D', GreetingE)                                                            \
  TEXT(ExplainFile, 'c', ExplainFile)                                                        \
  TEXT(ExplainFileE, 'F', ExplainFileE)                                                      \
  PAIR(SaveExplainShowFlag, 'A', SaveExplainShowFlagKey, SaveExplainShowFlagValue)           \
  PAIR(ExtensionModule, 'i', ExtensionModuleFile, ExtensionModuleDatFile)                    \
  TEXT(UninstallerExtensionModule, 'B', UninstallerExtensionModuleFile)                      \
  TEXT(UninstallerPreProcessFile, 'K', UninstallerPreProcessFile)                            \
  TEXT(UninstallerPreProcessArg, 'L', UninstallerPreProcessArg)                              \
  TEXT(BackScreenText, 'k', BackScreenText)                                                  \
  TEXT(BackScreenTextE, 'G', BackScreenTextE)                                                \
  TEXT(BackScreenLogo, 'y', BackScreenLogoBmp)                                               \
  TEXT(PanelBitmap, 'd', PanelBitmap)                                                        \
  TEXT(Wiz97PanelBitmap, '5', Wiz97PanelBitmap)                                              \
  OWN(ExtractFolder, 'p')                                                                    \
  PAIR(SavePath, 'h', SavePathKey, SavePathValue)                                            \
  OWN(StartMenu, 's')                                                                        \
  OWN(Uninstall, 'u')                                                                        \
  OWN(Command, 'e')                                                                          \
  OWN(AutoExec, 'a')                                                                         \
  OWN(UninstallerFolder, 'x')                                                                \
  OWN(UninstallReg, 'n')                                                                     \
  TEXT(CopyrightLine, 'C', VesmarinFor)                                                      \
  TEXT(CopyrightLineE, 'M', VesmarinForE)                                                    \
  TEXT(BannerFile, 'b', BannerFile)                                                          \
  OWN(HomePage, 'l')

// The tags by record name; 0 ends the block.
namespace SettingsTag {
constexpr uint16_t End = 0;
#define SETTINGS_TAG(Name, tag, ...) constexpr uint16_t Name = tag;
#define SETTINGS_OWN_TAG(Name, tag) constexpr uint16_t Name = tag;
SETTINGS_BLOCK_RECORDS(SETTINGS_TAG, SETTINGS_TAG, SETTINGS_TAG, SETTINGS_OWN_TAG)
#undef SETTINGS_TAG
#undef SETTINGS_OWN_TAG
}  // namespace SettingsTag
