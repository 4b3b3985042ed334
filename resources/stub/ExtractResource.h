// Resource ids of the stub's extraction and install worker: the overwrite
// confirmation dialog and their strings. Shared by dialogs_extract.rc and the
// code.
#pragma once

// Overwrite confirmation: classic dialog set and Segoe UI dialog set.
#define IDD_OVERWRITE 104
#define IDD_OVERWRITE_SEGOE 172
#define IDC_OVERWRITE_PATH 1004
// Its buttons: Yes, Skip (the cancel id, so Esc and the close box skip),
// Yes to All, Cancel.
#define IDC_OVERWRITE_YES 1
#define IDC_OVERWRITE_SKIP 2
#define IDC_OVERWRITE_ALL 3
#define IDC_OVERWRITE_CANCEL 4

// Controls of the progress window that the extraction and the worker use.
#define IDC_PROGRESS_FILE 1002
#define IDC_PROGRESS_BAR 1010

#define IDS_PREPARING_EXECUTE 12
#define IDS_WRITE_RETRY 36
#define IDS_RESTART_QUESTION 37
#define IDS_EXTRACT_PATH_TOO_LONG 59
#define IDS_EXTRACT_PATH_INVALID 60
#define IDS_UNSAFE_ITEM_NAME 80
