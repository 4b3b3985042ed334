// Resource ids of the compressor Sardok, shared by its resource script and
// its code.
#pragma once

// Program icon, menu bar and accelerators of the main window.
#define IDI_SARDOK                   102
#define IDR_MAINFRAME                102
#define IDR_ARCHIVE_CONTEXT          109

// Dialogs.
#define IDD_PROGRESS                 107
#define IDD_ABOUT                    701

// Controls of the progress dialog (Cancel is IDCANCEL).
#define IDC_PROGRESS_FIRST_LINE      1007
#define IDC_PROGRESS_SECOND_LINE     1008

// Controls of the About box.
#define IDC_ABOUT_VERSION            1008

// Menu commands.
#define ID_ARCHIVE_CREATE_AS         1002
#define ID_EDIT_DELETE               40001
#define ID_APP_ABOUT                 40003
#define ID_CREATE_AND_EXIT           40004
#define ID_APP_EXIT                  40005
#define ID_EDIT_ADD_TO_ARCHIVE       40006
#define ID_FILE_NEW                  57600
#define ID_FILE_LOAD_SETTINGS        57601
#define ID_FILE_SAVE_SETTINGS        57603
#define ID_HELP_PAGE                 57666
// Tab and Shift+Tab: the focus to the other pane.
#define ID_SWITCH_PANE               40056

// Strings (both languages carry every id).
#define IDS_CAPTION                  110
#define IDS_CREATING_ARCHIVE         111
#define IDS_EXPLORER_INIT_FAILED     112
#define IDS_EXPAND_FAILED            113
#define IDS_PROJECT_FILTER           114
#define IDS_ARCHIVE_FILTER           115
#define IDS_BROWSER_FAILED           116
#define IDS_SAVE_ARCHIVE_QUESTION    117
#define IDS_ARCHIVE_ROOT             118
#define IDS_CREATING_TREE            119
#define IDS_NO_FILES                 120
#define IDS_ABORTED                  121
#define IDS_CREATE_FAILED            122
#define IDS_ARCHIVE_EXISTS           123
#define IDS_CREATE_AND_EXIT          124
#define IDS_HELP_ADDRESS             125
#define IDS_ENTRIES_SKIPPED          175
#define IDS_ENTRY_REFUSED            176
#define IDS_ENTRY_SKIPPED            177  // IDS_ENTRIES_SKIPPED for one
#define IDS_CREATE_FAILED_SOURCE     126
#define IDS_CREATE_FAILED_TOO_MANY   127
#define IDS_CREATE_FAILED_EMPTY      128
#define IDS_CREATE_FAILED_TARGET     129
#define IDS_CREATE_FAILED_LIBRARY    130
#define IDS_CABINET_ERROR            131
#define IDS_CREATE_FAILED_NO_FOLDER  132
// The format's limits: what a cabinet cannot hold, named.
#define IDS_CREATE_FAILED_FILE_TOO_LARGE    150
#define IDS_CREATE_FAILED_NAME_TOO_LONG     151
#define IDS_CREATE_FAILED_CABINET_TOO_LARGE 152
#define IDS_NAMES_TOO_LONG                  153
#define IDS_NAME_REFUSED                    154
#define IDS_NAME_TOO_LONG                   155  // IDS_NAMES_TOO_LONG for one
