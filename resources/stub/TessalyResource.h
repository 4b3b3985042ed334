// Resource ids of the extractor stub, shared by its resource script and its
// code.
#pragma once

// Icons.
// The program icon: the one group, which the builder replaces and the
// wizard shows.
#define IDI_TESSALY 111

// "Checking files..." window: classic dialog set and Segoe UI dialog set.
#define IDD_CHECKING 165
#define IDD_CHECKING_SEGOE 171
#define IDC_CHECKING_TEXT 1045
#define IDC_CHECKING_PROGRESS 1047

// String table.
#define IDS_CANT_FIND_INSTALL_INFO 11
#define IDS_NO_MEMORY 15
#define IDS_INSTALL_ERROR 17
#define IDS_INSTALL_ABORTED 18
#define IDS_NOT_ADMINISTRATOR 19
#define IDS_NO_MACHINE_RIGHTS 20
#define IDS_EXECUTION_ERROR_CAPTION 21
#define IDS_CRC_ERROR 22
#define IDS_BACKSCREEN_FONT 24
#define IDS_ALREADY_RUNNING 25
#define IDS_ERROR_EXE_HEADER 26
#define IDS_ERROR_NO_MEMORY 27
#define IDS_ERROR_ARCHIVE_HEADER 28
#define IDS_ERROR_HEADER_TYPE 29
#define IDS_ERROR_COMPRESSION 30
#define IDS_ERROR_CRC 31
#define IDS_ERROR_CREATE_FILE 32
#define IDS_ERROR_CREATE_FOLDER 33
#define IDS_ERROR_UNKNOWN 34
#define IDS_ERROR_WRITE_FILE 35
#define IDS_WRONG_WINDOWS 38
#define IDS_EXTRACTING 53
#define IDS_ERROR_PATH 57
#define IDS_UNTRUSTED 61
#define IDS_EXTENSION_LOAD_FAILED 62
#define IDS_EXTENSION_BROKEN 63
#define IDS_UNINSTALL_PATH_TOO_LONG 64
// The destination page: a member that would not fit below the chosen folder.
#define IDS_MEMBER_NO_ROOM 96
#define IDS_LANGUAGE 66
