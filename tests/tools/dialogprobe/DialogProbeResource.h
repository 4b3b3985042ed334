// Resource ids of the dialog probe, shared by its resource script and code.
#pragma once

// Wizard pages; each holds one control unique to it.
#define IDD_WIZ_NAME 101
#define IDD_WIZ_AGREE 102
#define IDD_WIZ_DONE 103
#define IDC_WIZ_NAME 1001
#define IDC_WIZ_AGREE 1002
#define IDC_WIZ_DONE 1003

// Property sheet pages.
#define IDD_SHEET_TEXT 201
#define IDD_SHEET_OPTION 202
#define IDC_SHEET_TEXT 2001
#define IDC_SHEET_OPTION 2002

// The plain dialog and the modal dialog it opens.
#define IDD_MAIN 301
#define IDD_ASK_NAME 302
#define IDC_MAIN_EDIT 3001
#define IDC_MAIN_ASK 3002
#define IDC_MAIN_OPEN 3003
#define IDC_ASK_EDIT 3004

#define IDS_WIZ_TITLE 1
#define IDS_SHEET_TITLE 2
#define IDS_TICK_THE_BOX 3
#define IDS_QUESTION 4
