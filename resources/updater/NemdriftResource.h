// Resource ids of the updater, shared by its resource script and code.
#pragma once

// Strings (both languages carry every id).
#define IDS_CAPTION                 101
#define IDS_SETTINGS_ERROR          102
#define IDS_NO_UPDATE_INFO          103
#define IDS_NO_NEWS                 104
#define IDS_TAB_UPDATES             105
#define IDS_TAB_NEWS                106
#define IDS_SERVER_FAILED           107
#define IDS_VERSION_WORD            108
#define IDS_UPDATE_PROGRAM          109
#define IDS_CONFIRM_UPDATE          110
#define IDS_USER_AGENT              111
#define IDS_WRITE_FAILED            112
#define IDS_DOWNLOAD_FAILED         113
#define IDS_DIGEST_MISMATCH         114
#define IDS_RELEASED                115
#define IDS_HELLO                   116
#define IDS_UNKNOWN                 117
#define IDS_NO_DOWNLOAD_HOST        118
#define IDS_HOST_OUTSIDE_DOMAIN     119
#define IDS_NO_SIGNATURE_CHECK      120
#define IDS_BAD_SIGNATURE           121
#define IDS_SETTINGS_LANGUAGE       122
#define IDS_START_FAILED            123

// Icon and bitmaps.
#define IDI_NEMDRIFT                101
#define IDB_NEWS_DEFAULT            113

// Dialogs.
#define IDD_MAIN                    103
#define IDD_GATHERING               107
#define IDD_DOWNLOAD                106
#define IDD_OPTIONS                 116
#define IDD_OPTIONS_INTEGRATED      117

#ifndef IDC_STATIC
#define IDC_STATIC                  (-1)
#endif

// Controls of the main dialog.
#define IDC_TABS                    1000
#define IDC_UPDATE_LIST             1001
#define IDC_BROWSER_HOST            1002
#define IDC_UPDATE                  1006
#define IDC_NEWS_LIST               1008
#define IDC_OPTIONS                 1009
// The download dialog.
#define IDC_DOWNLOAD_PROGRESS       1007
#define IDC_DOWNLOAD_TEXT           1022
// The options dialogs.
#define IDC_SHOW_NONE               1010
#define IDC_SHOW_NEW_INFORMATION    1011
#define IDC_SHOW_UPDATES_ONLY       1012
#define IDC_AUTO_CHECK_UPDATE       1013
#define IDC_SHOW_ON_NEW_INFORMATION 1014
#define IDC_OPTIONS_GROUP           1023
// The text of the "Gathering information..." dialog.
#define IDC_GATHERING_TEXT          1020

// The window class of the browser host control in the main dialog, and the
// control it hosts (the WebBrowser control).
#define BROWSER_HOST_CLASS          "AtlAxWin140"
#define BROWSER_CONTROL_ID          "{8856F961-340A-11D0-A96B-00C04FD705A2}"
