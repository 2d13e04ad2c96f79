// Resource and command identifiers of the Windows program. Each window keeps
// its ids together in one block, in the range of numbers given to it.
#pragma once

#define IDI_TRAY_NORMAL 101
#define IDI_TRAY_PAUSED 102

// Menu commands of the main window.
#define IDM_STOP 1001  // MStop_N and Stop_N: pause or resume
#define IDM_EXIT 1002  // Exit_N and N2: the program ends
#define IDM_SHOW 1003  // Show_N: show the main window

// The password prompt (TfrmLogin).
#define IDD_LOGIN 1100
#define IDC_LOGIN_ICON 1101
#define IDC_LOGIN_LABEL 1102
#define IDC_LOGIN_PASSWORD 1103

// The editing dialogs: hotkey editor (TAddOrChange_Form), operation chooser
// (TDoList_Form), favourites picker (TFavorites_Form) and the input dialog
// (TAddOrChangeSort_Form).
#define IDD_HOTKEY_EDITOR 3000
#define IDC_EDITOR_KEY_LABEL 3001
#define IDC_EDITOR_HOTKEY 3002
#define IDC_EDITOR_TARGET_LABEL 3003
#define IDC_EDITOR_TARGET 3004
#define IDC_EDITOR_FILE 3005
#define IDC_EDITOR_FOLDER 3006
#define IDC_EDITOR_ACTION 3007
#define IDC_EDITOR_SCRIPT 3008
#define IDC_EDITOR_CATEGORY_LABEL 3009
#define IDC_EDITOR_CATEGORY 3010
#define IDC_EDITOR_REMARK_LABEL 3011
#define IDC_EDITOR_REMARK 3012
#define IDC_EDITOR_HELP 3013
#define IDC_EDITOR_OK 3014
#define IDC_EDITOR_STATUS 3015
#define IDD_OPERATION_CHOOSER 3100
#define IDC_CHOOSER_TREE 3101
#define IDD_FAVOURITES 3200
#define IDC_FAVOURITES_TREE 3201
#define IDC_FAVOURITES_STATUS 3202
#define IDD_INPUT 3300
#define IDC_INPUT_GROUP 3301
#define IDC_INPUT_MEMO 3302
#define IDC_INPUT_PROMPT 3303
#define IDC_INPUT_EDIT 3304
