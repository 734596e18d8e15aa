// Resource and control ids of KVL_SE.exe (shared with the resource script and the test driver).
#pragma once

// The main window's caption, also the settings' application key and what a second copy looks for.
#define KVL_MAIN_CAPTION "Korvalen SE"
// The window class of the console output pane (console/win32/LogViewWindow).
#define KVL_LOG_VIEW_CLASS "KvlLogView"

#define IDD_ABOUTBOX 100
#define IDD_KVL_DIALOG 102
#define IDD_CONFIG 104

#define IDR_MAINFRAME 128
#define IDR_TRAYMENU 177
// The configuration dialog's picture (125 by 46 pixels).
#define IDB_CONFIG_PICTURE 176

// Icons; the tree's images and the buttons' pictures.
#define IDI_MAP 143
#define IDI_TYPE 144
#define IDI_ADDRESS 145
#define IDI_GAME_WAITING 146
#define IDI_IDLE_PLAYER 147
#define IDI_ROOT_WAITING 148
#define IDI_ROOT_GAMES 149
#define IDI_GAME_RUNNING 150
#define IDI_STATUS 151
#define IDI_USER_IDLE 152
#define IDI_ROOT_USERS 153
#define IDI_USER_RUNNING 154
#define IDI_CONFIGURE 165
#define IDI_REFRESH 166
#define IDI_HELP 167
#define IDI_QUIT 168
#define IDI_LAUNCH 170
#define IDI_OK_BUTTON 171
#define IDI_CANCEL_BUTTON 172
#define IDI_SIGN 180
#define IDI_USER_ACTIVE 181

// Main window controls.
#define IDC_STATUS_TREE 1003
#define IDC_COMMAND 1004
#define IDC_OUTPUT 1006
#define IDC_LAUNCH 1009
#define IDC_REFRESH 1010
#define IDC_CONFIGURE 1011
#define IDC_EXEC 1012
#define IDC_QUIT 1013
#define IDC_LBL_COMMAND 1015
#define IDC_LBL_NETWORK 1016
#define IDC_LBL_CONSOLE 1017
// winuser.h names its help cursor IDC_HELP; the Help button's id takes the name here.
#ifdef IDC_HELP
#undef IDC_HELP
#endif
#define IDC_HELP 1018

// About box: the static that becomes the wave ticker.
#define IDC_TICKER 1014

// Configuration dialog controls.
#define IDC_CFG_BROWSE 1012
#define IDC_CFG_NAME 1020
#define IDC_CFG_LBL_NAME 1021
#define IDC_CFG_SIGN 1022
#define IDC_CFG_LBL_SIGN 1023
#define IDC_CFG_PATH 1024
#define IDC_CFG_LBL_PATH 1025
#define IDC_CFG_LBL_REFRESH 1026
#define IDC_CFG_PICTURE 1027
#define IDC_CFG_TIMEOUT 1028
#define IDC_CFG_PERIOD 1030
#define IDC_CFG_AUTO 1031

// Tray menu commands and the system menu's About entry.
#define ID_TRAY_QUIT 178
#define ID_TRAY_KVL 179
#define IDM_ABOUT 16

#ifndef RC_INVOKED
// Window messages of the main window.
#define WM_CONSOLE_COMMAND (WM_USER + 10)
#define WM_PEER_NOTICE (WM_USER + 20)
#define WM_TRAY_NOTIFY (WM_APP + 10)
#define WM_ALREADY_RUNNING (WM_APP + 11)
#define WM_KEYRELAY_NOTIFY (WM_APP + 20)
#endif
