// Resource ids of the move command's dialogs: the move dialog, the overwrite
// question, the preview and the batch rename template.
#pragma once

// Move dialog.
#define IDD_MOVE 133
#define IDC_MOVE_FOLDER 1001
#define IDC_MOVE_BROWSE 1002
#define IDC_MOVE_ACTION_MOVE 1003
#define IDC_MOVE_ACTION_COPY 1004
#define IDC_MOVE_ACTION_TEXT 1005
#define IDC_MOVE_ACTION_DELETE 1006
#define IDC_MOVE_RENAME 1012
#define IDC_MOVE_TEMPLATE 1013
#define IDC_MOVE_TEMPLATE_GROUP 1014
#define IDC_MOVE_DETAILS 1043
#define IDC_MOVE_RELOAD 1044

// Overwrite question.
#define IDD_OVERWRITE 134
#define IDC_OVERWRITE_TEXT 1007
#define IDC_OVERWRITE_ALL 1008
#define IDC_OVERWRITE_SKIP_ALL 1009

// Preview.
#define IDD_PREVIEW 144
#define IDC_PREVIEW_MOVE 3
#define IDC_PREVIEW_EXCLUDE 4
#define IDC_PREVIEW_RENAME 5
#define IDC_PREVIEW_CHECK 6
#define IDC_PREVIEW_BATCH 7
#define IDC_PREVIEW_LIST 1042
#define IDC_PREVIEW_SOURCE_THUMB 1047
#define IDC_PREVIEW_EXISTING_THUMB 1048

// Batch rename template.
#define IDD_TEMPLATE 145
#define IDC_TEMPLATE_PATTERN 1013
#define IDC_TEMPLATE_START 1045
