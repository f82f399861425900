#include <gtest/gtest.h>

#include "mainwnd/HotKey.h"
#include "mainwnd/MenuCommands.h"

namespace {

std::vector<int> Ids(const std::vector<MenuItem>& items) {
    std::vector<int> ids;
    for (const MenuItem& item : items) ids.push_back(item.separator ? 0 : item.id);
    return ids;
}

TEST(MenuCommands, SystemMenuEndsWithTheVersion) {
    auto items = SystemMenuItems(L"F10");
    EXPECT_EQ(Ids(items), (std::vector<int>{1, 2, 3, 0, 4, 5, -1}));
    EXPECT_EQ(items[0].text, L"刷新 (F5)");
    EXPECT_EQ(items[1].text, L"隐藏/恢复(F10)");
    EXPECT_EQ(items[2].text, L"清除缓存");
    EXPECT_TRUE(items[3].separator);
    EXPECT_EQ(items[4].text, L"更新");
    EXPECT_EQ(items[5].text, L"设置...");
    EXPECT_EQ(items[6].text, L"版本号: 3.0.1.1");
    EXPECT_EQ(static_cast<unsigned>(kCmdVersion), 0xFFFFFFFFu);
}

TEST(MenuCommands, TrayMenuEndsWithExit) {
    auto items = TrayMenuItems(L"F10");
    EXPECT_EQ(Ids(items), (std::vector<int>{1, 2, 3, 0, 4, 5, 6}));
    EXPECT_EQ(items.back().text, L"退出");
}

TEST(MenuCommands, TheHideItemNamesTheBossKey) {
    struct Case {
        int vk, modifiers;
        const wchar_t* text;
    };
    const Case cases[] = {
        {121, 0, L"隐藏/恢复(F10)"},
        {81, HOTKEY_CTRL, L"隐藏/恢复(Ctrl  +  Q)"},
        {0, 0, L"隐藏/恢复(无)"},
        {0, HOTKEY_CTRL, L"隐藏/恢复(无)"},
        {90, HOTKEY_CTRL | HOTKEY_SHIFT | HOTKEY_ALT, L"隐藏/恢复(Ctrl  +  Shift  +  Alt  +  Z)"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HideRestoreText(FormatHotKey(c.vk, c.modifiers)), c.text);
        EXPECT_EQ(SystemMenuItems(FormatHotKey(c.vk, c.modifiers))[1].text, c.text);
        EXPECT_EQ(TrayMenuItems(FormatHotKey(c.vk, c.modifiers))[1].text, c.text);
    }
}

}  // namespace
