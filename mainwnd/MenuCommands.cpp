#include "mainwnd/MenuCommands.h"

#include "app/Endpoints.h"

namespace {

std::vector<MenuItem> CommonItems(const std::wstring& bossKeyText) {
    return {
        {kCmdRefresh, L"刷新 (F5)"},
        {kCmdHideRestore, HideRestoreText(bossKeyText)},
        {kCmdClearCache, L"清除缓存"},
        {kCmdNone, L"", true},
        {kCmdUpdate, L"更新"},
        {kCmdSettings, L"设置..."},
    };
}

}  // namespace

std::wstring HideRestoreText(const std::wstring& bossKeyText) { return L"隐藏/恢复(" + bossKeyText + L")"; }

std::vector<MenuItem> SystemMenuItems(const std::wstring& bossKeyText) {
    std::vector<MenuItem> items = CommonItems(bossKeyText);
    items.push_back({kCmdVersion, std::wstring(L"版本号: ") + kProductVersion});
    return items;
}

std::vector<MenuItem> TrayMenuItems(const std::wstring& bossKeyText) {
    std::vector<MenuItem> items = CommonItems(bossKeyText);
    items.push_back({kCmdExit, L"退出"});
    return items;
}
