// Resource and command ids of the sorter: menus, accelerators, string table, icons
// and dialogs. Shared by the resource script and the code.
#pragma once

#define IDC_STATIC -1
#define IDR_MAINFRAME 128  // menu, accelerators, icon and title of the frame
#define IDI_LISTWINDOW 129

// Commands of the frame and the list windows.
#define ID_TILE 32771
#define ID_LOAD_FOLDER 32772
#define ID_LOAD_FILES 32773
#define ID_MOVE_LIST 32774
#define ID_CLEAR_LIST 32775
#define ID_REFRESH 32776
#define ID_OPEN_FILE 32777
#define ID_COPY_SHOWN 32778
#define ID_CASCADE 32779
#define ID_SHOW_ALL 32780
#define ID_EXCLUDE 32781
#define ID_RELOAD_IMAGES 32782
#define ID_SETTINGS 32783
#define ID_LAYOUT_DIALOG 32784
#define ID_CUT_CONDITIONAL 32785
#define ID_PROPERTIES 32786
#define ID_LAYOUT_RESTORE 32787
#define ID_LAYOUT_SAVE 32788
#define ID_AUTO_ADVANCE 32789
#define ID_FILE_NEW 57600
#define ID_FILE_OPEN 57601
#define ID_FILE_SAVE 57603
#define ID_FILE_SAVE_AS 57604
#define ID_EDIT_COPY 57634
#define ID_EDIT_CUT 57635
#define ID_EDIT_PASTE 57637
#define ID_EDIT_UNDO 57643
#define ID_APP_ABOUT 57664
#define ID_APP_EXIT 57665
#define ID_HELP_INDEX 57670

// Strings.
#define IDS_APP_TITLE 57344
#define IDS_INDICATOR_CAPS 59137
#define IDS_INDICATOR_NUM 59138
#define IDS_INDICATOR_SCRL 59139
#define IDS_INDICATOR_KANA 59142

// Layout dialog.
#define IDD_LAYOUT 139
#define IDC_LAYOUT_LIST 1028
#define IDC_LAYOUT_NEW 1023
#define IDC_LAYOUT_DELETE 1022
#define IDC_LAYOUT_SAVE 3

// Input dialog.
#define IDD_INPUT 140
#define IDC_INPUT_TEXT 1029

// The list window's thumbnail control.
#define IDC_THUMBNAIL 130

// Condition dialog.
#define IDD_CONDITION 141
#define IDC_COND_FOLDER 1030
#define IDC_COND_BROWSE 1031
#define IDC_COND_SUBFOLDERS 1032
#define IDC_COND_PATTERN 1033
#define IDC_COND_MIN_ON 1034
#define IDC_COND_MAX_ON 1035
#define IDC_COND_MIN 1036
#define IDC_COND_MAX 1037

// Settings dialog.
#define IDD_SETTINGS 138
#define IDC_SET_CACHE_SIZE 1013
#define IDC_SET_CACHE_OUT 1014
#define IDC_SET_CACHE_SIZE_SPIN 1016
#define IDC_SET_CACHE_OUT_SPIN 1017
#define IDC_SET_CONFIRM_CLEAR 1018
#define IDC_SET_CONFIRM_FOLDER 1019
#define IDC_SET_SUBDIR 1038
#define IDC_SET_USECURRENT 1039
#define IDC_SET_NOSAVE 1040
#define IDC_SET_NOMOVE 1041

// About dialog.
#define IDD_ABOUT 100
#define IDC_ABOUT_CONTROL 1000
#define IDC_ABOUT_FILTER 1010
#define IDC_ABOUT_CONTROL_ABOUT 1011

// Properties dialog.
#define IDD_PROPERTIES 142
#define IDC_PROPERTIES_TEXT 1007

// Strings of the framework's data exchange.
#define IDS_NOT_INTEGER 61712
#define IDS_INTEGER_RANGE 61714
