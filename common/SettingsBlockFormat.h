// The settings block that follows the container header (SfxContainer.h):
// its record tags, the base-folder ids it carries and the item records of
// its lists. Shared by the builder (which writes it) and the stub (which
// reads it).
//
// The block is a run of records, each a u16 tag followed by its fields, and
// ends with a 0 tag. A text field is UTF-16 ending with a 0 unit; the
// extract-folder record alone starts with a u16 base-folder id.
#pragma once
#include <cstddef>
#include <cstdint>

#include "SettingsRecords.h"

static_assert(sizeof(wchar_t) == 2, "UTF-16 wchar_t expected");

// The longest text, in UTF-16 units with its terminator, of one field: the
// builder cuts a longer composed text, the stub keeps no more.
constexpr size_t kSettingsTextCapacity = 6000;

// The records and their tags (SettingsTag::...): SettingsRecords.h.

// The folders an extraction folder or an extra copy is based on.
enum BaseFolderId {
  kBaseProgramFiles = 0,
  kBaseWindows = 1,
  kBaseSystem = 2,
  kBaseTemporary = 3,      // always followed by the stub's temporary folder name
  kBaseWindowsDrive = 4,
  kBaseOwnFolder = 5,      // the folder of the running program
  kBaseAbsolute = 6,       // the sub-path is the whole path
  kBaseMyDocuments = 7,
  kBaseDesktop = 8,
  kBaseProfile = 9,
  kBaseAllUsersHome = 10,  // parent of the common documents folder
  kBaseAppData = 11,
  kBaseCommonAppData = 12,
  kBaseCommonDesktop = 13,
  kBaseLocalAppData = 14,
  kBaseCommonDocuments = 15,
  kBaseLastId = kBaseCommonDocuments,
};

const int kMaxStartMenuItems = 32;
const int kMaxAutoExecItems = 32;
const int kMaxUninstallRegs = 32;

// The records of the block's lists as both programs hold them. Text
// capacities are in characters, the terminator included; a longer text is
// cut.
#pragma pack(push, 2)

// One start-menu entry (record 's').
struct StartMenuItem {
  wchar_t Title[260];
  wchar_t TitleE[260];
  wchar_t File[260];
  wchar_t FileE[260];
  wchar_t Args[260];
  wchar_t ArgsE[260];
  wchar_t Comment[200];
  wchar_t CommentE[200];
  wchar_t Icon[270];
  wchar_t IconE[270];
  // In the order of the record's flag text.
  bool CreateOnDesktop;
  bool CreateOnStartup;
  bool CreateOnStartRoot;
  bool NoCreateInGroup;
  bool CreateOnQuickLaunch;
};

// One program to run after extraction (record 'a').
struct AutoExecItem {
  wchar_t File[260];
  wchar_t Args[260];
  bool NonElevate;
};

// One COM server to register (record '1').
struct RegComSvrItem {
  wchar_t FileName[260];
  bool Uninstall;  // unregistered by the uninstaller
};

// One extracted file that is also copied elsewhere (record '3').
struct ExtraCopyItem {
  wchar_t FileName[260];  // path inside the archive; a folder ends with '\'
  int BaseFolder;         // BaseFolderId
  wchar_t ExtractFolder[260];
  bool NoCopyOriginal;
};

#pragma pack(pop)

static_assert(offsetof(StartMenuItem, Title) == 0, "Title");
static_assert(offsetof(StartMenuItem, TitleE) == 520, "TitleE");
static_assert(offsetof(StartMenuItem, File) == 1040, "File");
static_assert(offsetof(StartMenuItem, FileE) == 1560, "FileE");
static_assert(offsetof(StartMenuItem, Args) == 2080, "Args");
static_assert(offsetof(StartMenuItem, ArgsE) == 2600, "ArgsE");
static_assert(offsetof(StartMenuItem, Comment) == 3120, "Comment");
static_assert(offsetof(StartMenuItem, CommentE) == 3520, "CommentE");
static_assert(offsetof(StartMenuItem, Icon) == 3920, "Icon");
static_assert(offsetof(StartMenuItem, IconE) == 4460, "IconE");
static_assert(offsetof(StartMenuItem, CreateOnDesktop) == 5000, "CreateOnDesktop");
static_assert(offsetof(StartMenuItem, CreateOnStartup) == 5001, "CreateOnStartup");
static_assert(offsetof(StartMenuItem, CreateOnStartRoot) == 5002, "CreateOnStartRoot");
static_assert(offsetof(StartMenuItem, NoCreateInGroup) == 5003, "NoCreateInGroup");
static_assert(offsetof(StartMenuItem, CreateOnQuickLaunch) == 5004, "CreateOnQuickLaunch");
static_assert(sizeof(StartMenuItem) == 5006, "StartMenuItem size");

static_assert(offsetof(AutoExecItem, File) == 0, "File");
static_assert(offsetof(AutoExecItem, Args) == 520, "Args");
static_assert(offsetof(AutoExecItem, NonElevate) == 1040, "NonElevate");
static_assert(sizeof(AutoExecItem) == 1042, "AutoExecItem size");

static_assert(offsetof(RegComSvrItem, FileName) == 0, "FileName");
static_assert(offsetof(RegComSvrItem, Uninstall) == 520, "Uninstall");
static_assert(sizeof(RegComSvrItem) == 522, "RegComSvrItem size");

static_assert(offsetof(ExtraCopyItem, FileName) == 0, "FileName");
static_assert(offsetof(ExtraCopyItem, BaseFolder) == 520, "BaseFolder");
static_assert(offsetof(ExtraCopyItem, ExtractFolder) == 524, "ExtractFolder");
static_assert(offsetof(ExtraCopyItem, NoCopyOriginal) == 1044, "NoCopyOriginal");
static_assert(sizeof(ExtraCopyItem) == 1046, "ExtraCopyItem size");
