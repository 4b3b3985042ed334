// Resource ids of the uninstaller, shared by its resource script and code.
#pragma once

// Strings (both languages carry every id).
#define IDS_READ_INFO_FAILED        1
#define IDS_COPY_INFO_FAILED        2
#define IDS_RUN_FAILED              3
#define IDS_INIT_FAILED             4
#define IDS_RUN_FROM_CONTROL_PANEL  5
#define IDS_UNINSTALL_COMPLETE      6
#define IDS_CLOSE                   7
#define IDS_STATUS_DELETED          8
#define IDS_STATUS_DELETE_FAILED    9
#define IDS_START_MENU_GROUP        10
#define IDS_CONFIRM_UNINSTALL       11
#define IDS_RESTART_PROMPT          12
#define IDS_STATUS_UNREGISTERED     13
#define IDS_STATUS_UNREGISTER_FAILED 14
#define IDS_STATUS_NEED_REBOOT      15
#define IDS_EXTENSION_LOAD_FAILED   16
#define IDS_EXTENSION_BROKEN        17
#define IDS_STATUS_SKIPPED          18

// Icon, progress dialogs and step images.
#define IDI_HOLLMERE                1
#define IDD_PROGRESS                100
#define IDD_PROGRESS_MODERN         101
#define IDB_STEP_CURRENT            104
#define IDB_STEP_DONE               105
#define IDB_STEP_PENDING            106

// Controls of the progress dialogs.
#define IDC_STATUS_TEXT             1003
#define IDC_LOG_EDIT                1005
#define IDC_DETAIL                  1007
#define IDC_STEP_FILES              1008
#define IDC_STEP_SHORTCUTS          1009
#define IDC_STEP_REGISTRY           1010
