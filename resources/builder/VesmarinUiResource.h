// Resource ids of the builder's windows: the main window, its menu and
// accelerators, the start-method dialog, the wait box, About and credits,
// and the strings they show. Shared by the resource scripts and the code.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Icon and bitmap.
#define IDI_VESMARIN 128
#define IDB_MAIN_LOGO 135

// Dialogs, menu and accelerator table.
#define IDD_MAIN 118
#define IDD_ABOUT 136
#define IDD_CREDITS 138
#define IDD_START_METHOD 155
#define IDD_WAIT_BOX 165
#define IDR_MAIN_MENU 176
#define IDR_MAIN_ACCELERATORS 177

// Commands of the main window (menu, accelerators and buttons).
#define IDM_CREATE 1
#define IDM_EXIT 2
#define IDM_LOAD_SETTINGS 4
#define IDM_SAVE_SETTINGS 5
#define IDM_HELP 6
#define IDM_RESET_SETTINGS 8
#define IDM_CREATE_ARCHIVE 9
#define IDM_ABOUT 1081
#define IDM_UPDATER 40019

// Controls of the main window.
#define IDC_ARCHIVE_EDIT 1000
#define IDC_ARCHIVE_BROWSE 1001
#define IDC_OUTPUT_BROWSE 1002
#define IDC_TITLE_EDIT 1008
#define IDC_GREETING_EDIT 1009
#define IDC_GREETING_E_EDIT 1010
#define IDC_TITLE_E_EDIT 1011
#define IDC_OUTPUT_EDIT 1015
#define IDC_DETAILED_SETTINGS 1023
#define IDC_GREETING_LANGUAGE 1101
#define IDC_CREDIT_LANGUAGE 1103
#define IDC_MAIN_LOGO 1199
#define IDC_TITLE_LANGUAGE 1246
#define IDC_CREDIT_EDIT 1258
#define IDC_CREDIT_E_EDIT 1259

// Start-method dialog.
#define IDC_START_HELP 9
#define IDC_START_RESET 1121
#define IDC_START_LOAD_INI 1122
#define IDC_START_PREVIOUS 1123

// Wait box shown while the compressor runs.
#define IDC_WAIT_TEXT 1004

// About and credits.
#define IDC_ABOUT_ICON 1087
#define IDC_ABOUT_VERSION 1184
#define IDC_ABOUT_MAKER_LINK 1253
#define IDC_ABOUT_PRODUCT_LINK 1254
#define IDC_CREDITS_TEXT 1257

// Strings of the windows (460 and up are the windows' own additions).
#define IDS_LANGUAGE_JAPANESE 190
#define IDS_LANGUAGE_ENGLISH 191
#define IDS_LINK_BROWSER_FAILED 192
#define IDS_MAKER_ADDRESS 193
#define IDS_PRODUCT_ADDRESS 194
#define IDS_MULTIPLE_FILES 202
#define IDS_NO_MEMORY_FOR_PROCESS 203
#define IDS_SETTINGS_FILTER 204
#define IDS_LOAD_SETTINGS_TITLE 205
#define IDS_SAVE_SETTINGS_TITLE 206
#define IDS_OUTPUT_FILTER 207
#define IDS_OUTPUT_TITLE 208
#define IDS_ARCHIVE_FILTER 209
#define IDS_ARCHIVE_TITLE 210
#define IDS_TARGET_CANNOT_OPEN 211
#define IDS_UPDATER_FAILED 212
#define IDS_RESET_QUESTION 213
#define IDS_ARCHIVE_NOT_FOUND 247
#define IDS_OVERWRITE_QUESTION 249
#define IDS_GREETING_LINE_LIMIT 263
#define IDS_DEFAULT_GREETING 294
#define IDS_HELP_BROWSER_FAILED 295
#define IDS_ABOUT_VERSION 460
#define IDS_CREDITS_TEXT 461

// Help addresses, one per dialog or page.
#define IDS_HELP_START_METHOD 374
#define IDS_HELP_EXTRA_COPY 375
#define IDS_HELP_COM_SERVER 376
#define IDS_HELP_AUTOEXEC_ITEM 377
#define IDS_HELP_UNINSTALL_OPTIONS 378
#define IDS_HELP_UNINSTALL_SETTINGS 379
#define IDS_HELP_SHORTCUT_ITEM 380
#define IDS_HELP_STARTUP_PAGE 381
#define IDS_HELP_PROGRAM_PAGE 382
#define IDS_HELP_DESIGN_PAGE 383
#define IDS_HELP_ICON_PAGE 384
#define IDS_HELP_BANNER_PAGE 385
#define IDS_HELP_BACKGROUND_PAGE 386
#define IDS_HELP_DESCRIPTION_PAGE 387
#define IDS_HELP_EXTRACT_PAGE 388
#define IDS_HELP_SHORTCUT_PAGE 389
#define IDS_HELP_UNINSTALLER_PAGE 390
#define IDS_HELP_AUTOEXEC_PAGE 391
#define IDS_HELP_SPECIAL_PAGE 392
#define IDS_HELP_EXTENSION_PAGE 393
#define IDS_HELP_FRONT_PAGE 394

// Dialogs and pages that ask for help (their templates arrive with the
// settings sheet and the item dialogs).
#define IDD_PAGE_PROGRAM 187
#define IDD_PAGE_DESIGN 178
#define IDD_PAGE_ICON 119
#define IDD_PAGE_EXTRACT 120
#define IDD_PAGE_DESCRIPTION 121
#define IDD_PAGE_SHORTCUT 125
#define IDD_SHORTCUT_ITEM 126
#define IDD_PAGE_AUTOEXEC 129
#define IDD_PAGE_UNINSTALLER 130
#define IDD_UNINSTALL_SETTINGS 141
#define IDD_AUTOEXEC_ITEM 143
#define IDD_PAGE_BANNER 144
#define IDD_PAGE_BACKGROUND 156
#define IDD_PAGE_STARTUP 162
#define IDD_PAGE_SPECIAL 166
#define IDD_COM_SERVER_ITEM 167
#define IDD_EXTRA_COPY_ITEM 174
#define IDD_UNINSTALL_OPTIONS 179
#define IDD_PAGE_EXTENSION 180
