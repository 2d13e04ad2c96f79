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
