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

// The script editor window (TfrmScripEditor): commands, controls, tabs.
#define IDM_SCRIPT_NEW 5001
#define IDM_SCRIPT_OPEN 5002
#define IDM_SCRIPT_SAVE 5003
#define IDM_SCRIPT_SAVEAS 5004
#define IDM_SCRIPT_EXIT 5005
#define IDM_SCRIPT_UNDO 5006
#define IDM_SCRIPT_REDO 5007
#define IDM_SCRIPT_CUT 5008
#define IDM_SCRIPT_COPY 5009
#define IDM_SCRIPT_PASTE 5010
#define IDM_SCRIPT_OPENFILE 5011
#define IDM_SCRIPT_OPENFOLDER 5012
#define IDM_SCRIPT_WIZARD 5013
#define IDM_SCRIPT_HELP 5014
#define IDM_SCRIPT_ABOUT 5015
#define IDC_SCRIPT_ACTINGCUT 5020
#define IDC_SCRIPT_ACTINGCOPY 5021
#define IDC_SCRIPT_ACTINGPASTE 5022
#define IDC_SCRIPT_NOTE 5023
#define IDC_SCRIPT_INSKEY 5024
#define IDC_SCRIPT_MOUSE 5025
#define IDC_SCRIPT_INSTIME 5026
#define IDC_SCRIPT_EDITOR 5030
#define IDC_SCRIPT_TOOLBAR 5031
#define IDC_SCRIPT_TABS 5032
#define IDC_SCRIPT_BASICBAR 5033
#define IDC_SCRIPT_KEYLABEL 5034
#define IDC_SCRIPT_KEY 5035
#define IDC_SCRIPT_KEYSORTLABEL 5036
#define IDC_SCRIPT_KEYSORT 5037
#define IDC_SCRIPT_MOUSELABEL 5038
#define IDC_SCRIPT_MOUSELIST 5039
#define IDC_SCRIPT_DELAYLABEL 5040
#define IDC_SCRIPT_DELAY 5041
#define IDC_SCRIPT_UNITLABEL 5042
#define IDC_SCRIPT_UNIT 5043
#define IDM_SCRIPT_SELECT_STREAM 5044
#define IDM_SCRIPT_SELECT_COLUMNS 5045
#define IDM_SCRIPT_SELECT_LINES 5046
#define IDM_SCRIPT_MATCH_BRACKET 5047
#define IDM_SCRIPT_CONTEXT_HELP 5048
#define IDM_SCRIPT_SET_BOOKMARK 5050   // 5050 to 5059: bookmarks 0 to 9
#define IDM_SCRIPT_GOTO_BOOKMARK 5060  // 5060 to 5069
