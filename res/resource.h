// Resource identifiers of VexoQuon.exe.
#pragma once

// Icon groups: their order gives the shell's icon indexes (0 game, 1 platform).
#define IDI_GAME 100
#define IDI_PLATFORM 101
#define IDR_MAINFRAME 128  // application icon and the game window's document template

// Dialog templates.
#define IDD_LORIQ3_DIALOG 102
#define IDD_SETTING_DIALOG 158
#define IDD_ADDACC_DIALOG 161

// Controls of the main game window: the caption-bar buttons and the link.
#define IDC_BTN_HIDE 1001
#define IDC_BTN_SOUND 1002
#define IDC_BTN_SYSTEM 1003
#define IDC_BTN_HALL 1004
#define IDC_LBL_ADD_ACCOUNT 1005

// Controls of the settings dialog.
#define IDC_LBL_BOSS_PROMPT 1006
#define IDC_EDIT_BOSS 1007
#define IDC_LBL_BOSS_EXAMPLE 1008
#define IDC_LBL_SWITCH_PROMPT 1009
#define IDC_EDIT_SWITCH 1010
#define IDC_LBL_SWITCH_EXAMPLE 1011
#define IDC_GRP_SWITCH 1012
#define IDC_GRP_SOUND 1013
#define IDC_EDIT_SOUND 1014
#define IDC_LBL_SOUND_EXAMPLE 1015
#define IDC_LBL_SOUND_PROMPT 1016
#define IDC_GRP_BOSS 1017

// Controls of the add-account popup (its buttons are IDOK "是" and IDCANCEL "否").
#define IDC_ADDACC_QUESTION 1023

// Skin images, custom type "PNG".
#define IDB_LOGIN_BK 129
#define IDB_SMALLDLG_BK 131
#define IDB_CLOSE 132
#define IDB_PUSHBUTTON 133
#define IDB_MAINDLG_BK 134
#define IDB_MAXIMIZE 135
#define IDB_MINIMIZE 136
#define IDB_RESTORE 137
#define IDB_HIDE 138
#define IDB_SYSTEM 139
#define IDB_TABS 140
#define IDB_TAB_CLOSE 141
#define IDB_ADDACC_ICON 142
#define IDB_SOUND_OFF 148
#define IDB_SOUND_ON 149
#define IDB_HALL_HIDDEN 150
#define IDB_HALL_SHOWN 151
#define IDB_PROGRESS_TRACK 152
#define IDB_PROGRESS_FILL 153
#define IDB_ADDACC_BK 162

// Skinned controls.
#define IDD_SKIN_MESSAGEBOX 130  // the message box: an empty popup, font "MS Shell Dlg" 8 pt

// Browser: the login dialogs (an empty popup; the page dialog is keyed out
// over the background, so the template is large enough for the whole page).
// The external-account window and its browser are made from it too: the
// frame sizes itself, the browser follows the frame.
#define IDD_LOGIN_DIALOG 157
#define IDD_QQLOGIN_DIALOG IDD_LOGIN_DIALOG

// Self-update: the progress dialog and its bar.
#define IDD_PRGS_DIALOG 156
#define IDC_PRGS_PROGRESS 1000

// Browser: the favourites dialog (system look) and the game download dialog.
#define IDD_FAV_DIALOG 159
#define IDC_FAV_NAME 1018
#define IDD_DOWNGAME_DIALOG 163
#define IDC_DOWN_PERCENT 1024
#define IDC_DOWN_PROGRESS 1025
