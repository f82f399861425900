// The main window's two popup menus (under "系统" and on the tray icon) as
// data: the command ids the menu tracking returns and the items in order.
// No Windows here.
#pragma once

#include <string>
#include <vector>

enum MenuCommand : int {
    kCmdNone = 0,  // the menu was dismissed
    kCmdRefresh = 1,
    kCmdHideRestore = 2,
    kCmdClearCache = 3,
    kCmdUpdate = 4,
    kCmdSettings = 5,
    kCmdExit = 6,      // tray menu only
    kCmdVersion = -1,  // 0xFFFFFFFF, the version line of the system menu; does nothing
};

struct MenuItem {
    int id = kCmdNone;
    std::wstring text;
    bool separator = false;
};

// "隐藏/恢复(" + the boss key's display text + ")".
std::wstring HideRestoreText(const std::wstring& bossKeyText);
// Refresh, hide/restore, clear cache, separator, update, settings, version.
std::vector<MenuItem> SystemMenuItems(const std::wstring& bossKeyText);
// The same without the version line, and "退出" last.
std::vector<MenuItem> TrayMenuItems(const std::wstring& bossKeyText);
