// Resource ids of the installer: page templates, their controls, the main window's
// commands and the strings of the shell.
#pragma once

#define IDI_ORKVANE 108

// Pages (modeless dialogs over the main window).
#define IDD_LICENSE 103
#define IDD_FOLDER 104
#define IDD_FINISH 105
#define IDD_TYPE 106
#define IDD_COPY 107

// Main window commands: each opens a page, 117 runs the finish actions.
#define IDC_OPEN_LICENSE 111
#define IDC_OPEN_FOLDER 112
#define IDC_OPEN_FINISH 113
#define IDC_OPEN_TYPE 114
#define IDC_OPEN_COPY 115
#define IDC_START_RUN 116
#define IDC_FINISH_ACTIONS 117
#define IDM_ABOUT 16

// Controls.
#define IDC_LICENSE_TEXT 1000
#define IDC_FOLDER_EDIT 1002
#define IDC_FOLDER_BROWSE 1003
#define IDC_LINK_DESKTOP 1004
#define IDC_LINK_STARTMENU 1005
#define IDC_GROUP_COMBO 1007
#define IDC_FINISH_MESSAGE 1010
#define IDC_OPTION1 1011
#define IDC_OPTION2 1012
#define IDC_LINK_PRIVATE 1014
#define IDC_TYPE_RECOMMENDED 1016
#define IDC_TYPE_CUSTOM 1017
#define IDC_COMPONENTS 1019
#define IDC_PROGRESS 1020
#define IDC_FOLDER_BACK 1022
#define IDC_RUN_LIST 1023
#define IDC_TYPE_HELP 1024
#define IDC_UNINSTALL_ENTRY 1025
#define IDC_RESTART 1026

// Strings.
#define IDS_ABOUT 1
#define IDS_OLD_SHELL 5
#define IDS_SIGN 6
#define IDS_TITLE_FONT 7
#define IDS_BROWSE_TITLE 12
#define IDS_RESTART_QUESTION 39
