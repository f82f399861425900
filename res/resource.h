// Resource identifiers of VexoQuon.exe.
#pragma once

// Icon groups: their order gives the shell's icon indexes (0 game, 1 platform).
#define IDI_GAME 100
#define IDI_PLATFORM 101
#define IDR_MAINFRAME 128  // application icon and the game window's document template

// Dialog templates.
#define IDD_LORIQ3_DIALOG 102

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
#define IDD_LOGIN_DIALOG 157

// Self-update: the progress dialog and its bar.
#define IDD_PRGS_DIALOG 156
#define IDC_PRGS_PROGRESS 1000

// Browser: the favourites dialog (system look) and the game download dialog.
#define IDD_FAV_DIALOG 159
#define IDC_FAV_NAME 1018
#define IDD_DOWNGAME_DIALOG 163
#define IDC_DOWN_PERCENT 1024
#define IDC_DOWN_PROGRESS 1025
