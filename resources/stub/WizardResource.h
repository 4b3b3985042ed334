// Resource ids of the stub's installer wizard: the page templates of the
// classic and the new style (and the new style with the Segoe UI set), the
// About box, their controls, bitmaps and strings. Shared by
// dialogs_wizard.rc and the code.
#pragma once

// Page templates: classic, new style, new style with the Segoe UI set.
#define IDD_WIZ_WELCOME 109
#define IDD_WIZ97_WELCOME 136
#define IDD_WIZ97_WELCOME_SEGOE 168
#define IDD_WIZ_README 108
#define IDD_WIZ97_README 139
#define IDD_WIZ97_README_SEGOE 169
#define IDD_WIZ_DESTINATION 101
#define IDD_WIZ97_DESTINATION 141
#define IDD_WIZ97_DESTINATION_SEGOE 173
#define IDD_WIZ_READY 113
#define IDD_WIZ97_READY 142
#define IDD_WIZ97_READY_SEGOE 170
#define IDD_WIZ_PERFORMING 102
#define IDD_WIZ97_PERFORMING 143
#define IDD_WIZ97_PERFORMING_SEGOE 174
#define IDD_WIZ_COMPLETE 112
#define IDD_WIZ97_COMPLETE 140
#define IDD_WIZ97_COMPLETE_SEGOE 167

// About box: classic dialog set and Segoe UI set.
#define IDD_STUB_ABOUT 119
#define IDD_STUB_ABOUT_SEGOE 166

// Bitmaps (the frame and the Welcome page show the program icon,
// IDI_TESSALY).
#define IDB_WIZ_PANEL 125
#define IDB_WIZ_CHECK 131
#define IDB_WIZ97_WATERMARK 137
#define IDB_WIZ97_HEADER 138
#define IDB_ABOUT_LOGO 117

// The property sheet's own Next button (the frame's; Cancel is IDCANCEL).
#define IDC_WIZ_FRAME_NEXT 12324

// Controls shared by several pages.
#define IDC_WIZ_PANEL 1031
#define IDC_WIZ_TITLE 1043

// Welcome page.
#define IDC_WELCOME_GREETING 1008
#define IDC_WELCOME_BANNER 1030
#define IDC_WELCOME_LINK_ICON 1034
#define IDC_WELCOME_LINK 1033
#define IDC_WELCOME_COPYRIGHT_FRAME 1032
#define IDC_WELCOME_COPYRIGHT 1017

// The frame's product mark (a child of the frame) and the system-menu
// command that opens the About box.
#define IDC_WIZ_PRODUCT_MARK 104
#define IDM_WIZ_ABOUT 104

// About box.
#define IDC_ABOUT_LOGO 1050
#define IDC_ABOUT_LINK 1022

// Read Me page.
#define IDC_README_TEXT 1009
#define IDC_README_NOTICE 1035

// Select Destination Folder page.
#define IDC_DEST_FOLDER 1000
#define IDC_DEST_BROWSE 3
#define IDC_DEST_ADD_DEFAULT 4
#define IDC_DEST_CONFIRM_OVERWRITE 1001
#define IDC_DEST_FORCE_OVERWRITE 1002

// Ready page.
#define IDC_READY_FROM 1019
#define IDC_READY_TO 1020
#define IDC_READY_DESKTOP 1038
#define IDC_READY_STARTUP 1039
#define IDC_READY_STARTUP_NOTE 1035
#define IDC_READY_QUICKLAUNCH 1041

// Performing Installation page (the current-file control 1002 and the
// progress control 1010 are in ExtractResource.h).
#define IDC_PERFORM_MARKER1 1016
#define IDC_PERFORM_MARKER2 1017
#define IDC_PERFORM_MARKER3 1018
#define IDC_PERFORM_MARKER4 1019
#define IDC_PERFORM_LABEL1 1012
#define IDC_PERFORM_LABEL2 1013
#define IDC_PERFORM_LABEL3 1014
#define IDC_PERFORM_LABEL4 1015

// Installation Complete page.
#define IDC_COMPLETE_OPEN_FOLDER 1042

// Strings.
#define IDS_FOLDER_CREATE_QUESTION 3
#define IDS_STEP_UNINSTALL 6
#define IDS_STEP_SHORTCUTS 7
#define IDS_STEP_COPYING 8
#define IDS_ABOUT_MENU 9
#define IDS_DISAGREE 13
#define IDS_AGREE 14
#define IDS_README_FONT 16
#define IDS_ABORT_QUESTION 41
#define IDS_TITLE_FONT 44
#define IDS_DESTINATION_TITLE 45
#define IDS_DESTINATION_SUBTITLE 46
#define IDS_README_TITLE 47
#define IDS_README_SUBTITLE 48
#define IDS_READY_TITLE 49
#define IDS_READY_SUBTITLE 50
#define IDS_PERFORMING_TITLE 51
#define IDS_PERFORMING_SUBTITLE 52
#define IDS_README_EXTRACT_FAILED 55
#define IDS_PRODUCT_INFO_URL 58
#define IDS_TITLE_FONT_SEGOE 68
#define IDS_README_FONT_SEGOE 69
