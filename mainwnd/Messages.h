// The window messages between the main window and its page and hall
// processes. Every process of the system uses these values.
#pragma once

#include <windows.h>

// lParam of WM_KEYDOWN (F5) and WM_SYSCOMMAND (SC_CLOSE) messages the system
// posts to its own windows, so that receivers can tell them from the system's
// own. No key or system command ever carries this value in lParam.
constexpr LPARAM SELF_POSTED_MARKER = 0x56515A51;  // "QZVQ"

constexpr UINT UM_TRAY_NOTIFY = WM_USER + 1;          // shell tray callback; lParam = mouse message
constexpr UINT UM_REGISTER_PAGE = WM_USER + 2;        // wParam = frame; lParam 1 hall, 0 game page
constexpr UINT UM_TRAY_MENU = WM_USER + 3;            // show the tray menu
constexpr UINT UM_RELOAD_HOTKEYS = WM_USER + 4;       // to every main window: reread the hot keys
constexpr UINT UM_SET_MUTE = WM_USER + 5;             // to every page frame: wParam = muted
constexpr UINT UM_ADD_LOGIN = WM_USER + 6;            // wParam 1 new tab, 0 new window
constexpr UINT UM_PAGE_RELOAD_HOTKEYS = WM_USER + 7;  // to every page and hall frame

// The window property by which a main window tells its first page process,
// started before the window existed, that it is there and answering.
constexpr const wchar_t* MAIN_WINDOW_MARK = L"VexoQuon.MainWindow";

// Exit code of a page process that leaves at its login on its own (exitgame,
// minimize in a later tab, a refused account, its main window gone). Its main
// window takes any other end of a page process it did not close for a crash.
constexpr DWORD PAGE_EXIT_LEFT_LOGIN = 0;
