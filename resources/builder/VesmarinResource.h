// Resource ids of the builder Vesmarin, shared by its resource scripts and
// its code. Plain #defines: windres reads this file too.
#ifndef VESMARIN_RESOURCE_H
#define VESMARIN_RESOURCE_H

// --- Programs and cabinets the builder carries (BINARYRES) ----------------
#define IDR_STUB32                   104
#define IDR_UNINSTALLER_CAB32        151
#define IDR_STUB64                   185
#define IDR_UNINSTALLER_CAB64        186
// Built-in manifests are named resources: ASINVOKER_MANIFEST32/64.

// --- Built-in icon sets ---------------------------------------------------
#define IDI_SET_GREEN                181
#define IDI_SET_YELLOW               182
#define IDI_SET_RED                  183

// --- Windows: main window, start-method dialog, About and their strings --
#include "VesmarinUiResource.h"
#include "VesmarinSheetResource.h"

// --- Strings: start-up, definition files, result codes, path checks -------
#define IDS_INVALID_PATH_CHARS       196
#define IDS_LEGACY_EXPLAIN_ROOTKEY   245
#define IDS_LEGACY_SAVEPATH_ROOTKEY  246
#define IDS_LANGUAGE_TAG             336  // "en-us" / "ja-jp"
#define IDS_RESULT_SUCCESS           362
#define IDS_RESULT_CREATE            363
#define IDS_RESULT_READ              364
#define IDS_RESULT_WRITE             365
#define IDS_RESULT_CLOSE             366
#define IDS_RESULT_OPEN              367
#define IDS_RESULT_MEMORY            368
#define IDS_RESULT_ICON_OPEN         369
#define IDS_RESULT_ICON_INVALID      370
#define IDS_RESULT_ABNORMAL          371
#define IDS_RESULT_REGISTRATION      372
#define IDS_OPTION_PATH_TOO_LONG     900  // batch option value longer than a path

// --- Strings: the build -----------------------------------------------------
#define IDS_LARGE_ARCHIVE_32         181
#define IDS_LARGE_ARCHIVE_64         182
#define IDS_UNINSTALLER_WITH_DELETE  183
#define IDS_BAD_ABSOLUTE_FOLDER      186
#define IDS_ASINVOKER_RIGHTS_CHECK   187
#define IDS_NO_BOOTABLE_OS           188
#define IDS_EXPLAIN_FILE_MISSING     215
#define IDS_ARCHIVE_NOT_FOUND        247
#define IDS_MANIFEST_FAILED          248
#define IDS_GROUP_ILLEGAL_CHAR       265
#define IDS_GROUP_MALFORMED          266
#define IDS_GROUP_E_ILLEGAL_CHAR     267
#define IDS_GROUP_E_MALFORMED        268
#define IDS_ITEM_ILLEGAL_CHAR        269
#define IDS_ITEM_MALFORMED           270
#define IDS_ITEM_E_ILLEGAL_CHAR      271
#define IDS_ITEM_E_MALFORMED         272
#define IDS_UNINSTALL_KEY_ILLEGAL    273
#define IDS_MANIFEST_FILE_MISSING    274
#define IDS_MANIFEST_FILE_NOT_FOUND  275
#define IDS_ICON_FILE_MISSING        276
#define IDS_ICON_FILE_NOT_FOUND      277
#define IDS_BANNER_MISSING           278
#define IDS_BANNER_NOT_IN_ARCHIVE    279
#define IDS_LOGO_MISSING             280
#define IDS_LOGO_NOT_IN_ARCHIVE      281
#define IDS_PANEL_MISSING            282
#define IDS_PANEL_NOT_IN_ARCHIVE     283
#define IDS_WIZ97_PANEL_MISSING      284
#define IDS_WIZ97_PANEL_NOT_IN_ARCHIVE 285
#define IDS_EXPLAIN_NOT_IN_ARCHIVE   287
#define IDS_START_MENU_NOT_IN_ARCHIVE 288
#define IDS_UNINSTALL_TITLE_MISSING  289
#define IDS_UNINSTALL_KEY_MISSING    290
#define IDS_UNINSTALLER_FOLDER_LONG  291
#define IDS_UNINSTALLER_NAME_TAKEN   292
#define IDS_AUTO_EXEC_NOT_IN_ARCHIVE 293
// Base-folder captions, in the order of the base-folder ids.
#define IDS_BASE_FOLDER_PROGRAM_FILES     346
#define IDS_BASE_FOLDER_WINDOWS           347
#define IDS_BASE_FOLDER_SYSTEM            348
#define IDS_BASE_FOLDER_TEMP              349
#define IDS_BASE_FOLDER_WINDOWS_DRIVE     350
#define IDS_BASE_FOLDER_SFX_FOLDER        351
#define IDS_BASE_FOLDER_ABSOLUTE          352
#define IDS_BASE_FOLDER_MY_DOCUMENTS      353
#define IDS_BASE_FOLDER_DESKTOP           354
#define IDS_BASE_FOLDER_USER_PROFILE      355
#define IDS_BASE_FOLDER_COMMON_PROFILE    356
#define IDS_BASE_FOLDER_APPDATA           357
#define IDS_BASE_FOLDER_COMMON_APPDATA    358
#define IDS_BASE_FOLDER_COMMON_DESKTOP    359
#define IDS_BASE_FOLDER_LOCAL_APPDATA     360
#define IDS_BASE_FOLDER_COMMON_DOCUMENTS  361
#define IDS_USER_UNINSTALLER_MISSING 402
#define IDS_UNINSTALLER_ERROR        403
#define IDS_UNINSTALLER_NOT_GENUINE  404
#define IDS_UNINSTALLER_VERSION      405
#define IDS_UNINSTALLER_BITNESS      406
#define IDS_UNINSTALLER_UNSIGNED     407
#define IDS_ASINVOKER_ADMIN_FOLDER   409
#define IDS_ASINVOKER_UNINSTALLER    410
#define IDS_ASINVOKER_COMMON_MENU    411
#define IDS_BASE_FOLDER_INVALID      440
#define IDS_COPY_BASE_FOLDER_INVALID 441
#define IDS_OUTPUT_TOO_LARGE         442
#define IDS_ARCHIVE_CHANGED          443
#define IDS_OUTPUT_IS_INPUT          444
// The archive an installer could not unpack, and paths no installation
// can use.
#define IDS_ARCHIVE_IN_SET               480
#define IDS_ARCHIVE_ITEM_UNSAFE          481
#define IDS_ARCHIVE_ITEM_TOO_LONG        482
#define IDS_ARCHIVE_ITEM_DAMAGED         483
#define IDS_EXTRACT_FOLDER_NOT_BELOW     484
#define IDS_COPY_FOLDER_NOT_BELOW        485
#define IDS_UNINSTALLER_FOLDER_NOT_BELOW 486
#define IDS_START_MENU_FILE_NOT_BELOW    487
#define IDS_FOLDER_NAME_TOO_LONG         488
#define IDS_ITEM_TITLE_TOO_LONG          489
#define IDS_ARCHIVE_ITEM_NO_ROOM         500
#define IDS_ARCHIVE_FILE_AND_FOLDER      501
#define IDS_ARCHIVE_NO_FILES             502
#define IDS_ARCHIVE_NO_FOLDERS           503
#define IDS_ARCHIVE_NAMES_CUT            504
#define IDS_ARCHIVE_NOT_AT_START         505
#define IDS_ARCHIVE_NOT_NAMED            506

#endif  // VESMARIN_RESOURCE_H
