// Resource and command identifiers of the Windows program. Each window keeps
// its ids together in one block, in the range of numbers given to it.
#pragma once

#define IDI_TRAY_NORMAL 101
#define IDI_TRAY_PAUSED 102

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

// The main window (TMainForm), the about box (TAbout_Form) and the
// set-password dialog (TfrmSetPassword).
#define IDB_MENU_IMAGES 2001   // Menu_ImageList: 16 x 16 pictures, magenta transparent
#define IDR_ABOUT_BANNER 2002  // the about box's JPEG banner
#define IDC_MAIN_GROUP 2010
#define IDC_MAIN_LIST 2011
#define IDC_MAIN_ADD 2012
#define IDC_MAIN_CHANGE 2013
#define IDC_MAIN_DELETE 2014
#define IDC_MAIN_HIDE 2015
#define IDC_MAIN_CLOSE 2016
#define IDC_MAIN_STATUS 2017
#define IDM_MAIN_STOP 2030       // MStop_N
#define IDM_MAIN_EXIT 2031       // Exit_N
#define IDM_AUTORUN 2032         // AutoRun_N
#define IDM_DEFAULT_SCHEME 2033  // DefRule_N
#define IDM_NEW_SCHEME 2034      // NewRule_N
#define IDM_DELETE_SCHEME 2035   // DeletRuel_N while it has no schemes
#define IDM_SET_PASSWORD 2036    // miSetPassword
#define IDM_SETTINGS 2037        // miSettting
#define IDM_UPDATE 2038          // miUpdate
#define IDM_HOME_PAGE 2039       // N7
#define IDM_MAIL 2040            // N6
#define IDM_HELP 2041            // N3
#define IDM_ABOUT 2042           // N5
#define IDM_TRAY_SHOW 2043       // Show_N
#define IDM_TRAY_STOP 2044       // Stop_N
#define IDM_TRAY_DEFAULT 2045    // DefRule_PN
#define IDM_TRAY_ABOUT 2046      // N1
#define IDM_TRAY_EXIT 2047       // N2
#define IDM_LIST_ADD 2048
#define IDM_LIST_CHANGE 2049
#define IDM_LIST_DELETE 2050
#define IDM_OPEN_SCHEME_FIRST 2100    // user scheme k of the main open menu: + k
#define IDM_TRAY_SCHEME_FIRST 2300    // user scheme k of the tray open menu: + k
#define IDM_DELETE_SCHEME_FIRST 2500  // user scheme k of the delete menu: + k
#define IDM_SCHEME_LIMIT 200          // scheme items per menu
#define IDD_ABOUT 2600
#define IDC_ABOUT_BANNER 2601
#define IDC_ABOUT_VERSION_LABEL 2602
#define IDC_ABOUT_VERSION 2603
#define IDC_ABOUT_HOMEPAGE_LABEL 2604
#define IDC_ABOUT_HOMEPAGE 2605
#define IDC_ABOUT_MAIL_LABEL 2606
#define IDC_ABOUT_MAIL 2607
#define IDC_ABOUT_COPYRIGHT_LABEL 2608
#define IDC_ABOUT_COPYRIGHT 2609
#define IDC_ABOUT_RULE 2610
#define IDC_ABOUT_CLOSE 2611
#define IDD_SET_PASSWORD 2700
#define IDC_SETPW_LABEL 2701
#define IDC_SETPW_PASSWORD_LABEL 2702
#define IDC_SETPW_PASSWORD 2703
#define IDC_SETPW_CHECK_LABEL 2704
#define IDC_SETPW_CHECK 2705
// Settings centre (TfrmSetting)
#define IDD_SETTING 4000
#define IDC_SET_PAGES 4001           // pgcSetting
#define IDC_SET_PASSWORD_GROUP 4002  // GroupBox1
#define IDC_SET_CHANGE_PASSWORD 4003 // chkPassword
#define IDC_SET_OLD_LABEL 4004
#define IDC_SET_OLD_PASSWORD 4005    // edtOPassword
#define IDC_SET_NEW_LABEL 4006
#define IDC_SET_NEW_PASSWORD 4007    // edtNpassword
#define IDC_SET_CHECK_LABEL 4008
#define IDC_SET_CHECK_PASSWORD 4009  // edtChkPassword
#define IDC_SET_RUN_GROUP 4010       // GroupBox2
#define IDC_SET_AUTORUN 4011         // chkAutoRun
#define IDC_SET_RESTORE_CLIPBOARD 4012
#define IDC_SET_SORT_LIST 4013       // lstSort
#define IDC_SET_SORT_EDIT 4014       // edtSort
#define IDC_SET_SORT_ADD 4015        // btnAdd
#define IDC_SET_SORT_DELETE 4016     // btnDel
#define IDC_SET_HELP 4017            // btnHelp
