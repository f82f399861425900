#include <gtest/gtest.h>

#include "mainwnd/HotKey.h"

namespace {

TEST(HotKey, StoredTextAndDefaults) {
    HotKey boss = ParseHotKey(L"0,121");
    EXPECT_EQ(boss.modifiers, 0);
    EXPECT_EQ(boss.vk, 121);
    HotKey sound = ParseHotKey(L"2,81");
    EXPECT_EQ(sound.modifiers, HOTKEY_CTRL);
    EXPECT_EQ(sound.vk, 81);
    HotKey noComma = ParseHotKey(L"5");
    EXPECT_EQ(noComma.modifiers, 5);
    EXPECT_EQ(noComma.vk, 0);
    HotKey junk = ParseHotKey(L"x,y");
    EXPECT_EQ(junk.modifiers, 0);
    EXPECT_EQ(junk.vk, 0);
    HotKey firstComma = ParseHotKey(L"6,9,1");
    EXPECT_EQ(firstComma.modifiers, 6);
    EXPECT_EQ(firstComma.vk, 9);
    EXPECT_EQ(HotKey{}.vk, -1) << "unloaded keys match nothing";
}

TEST(HotKey, MatchingNeedsExactModifiers) {
    HotKey ctrlQ{81, HOTKEY_CTRL};
    EXPECT_TRUE(MatchesHotKey(ctrlQ, 81, CurrentModifiers(true, false, false)));
    EXPECT_FALSE(MatchesHotKey(ctrlQ, 81, CurrentModifiers(true, true, false))) << "Ctrl+Shift+Q";
    EXPECT_FALSE(MatchesHotKey(ctrlQ, 81, 0));
    EXPECT_FALSE(MatchesHotKey(ctrlQ, 82, HOTKEY_CTRL));
    EXPECT_FALSE(MatchesHotKey(HotKey{0, 0}, 0, 0)) << "an off key never matches";
    EXPECT_FALSE(MatchesHotKey(HotKey{}, -1, -1));
    EXPECT_EQ(CurrentModifiers(true, true, true), 7);
    EXPECT_EQ(CurrentModifiers(false, false, true), HOTKEY_ALT);
}

TEST(HotKey, TheHookTellsBossFromSound) {
    struct Case {
        HotKey boss, sound;
        int vk, modifiers;
        HookAction expected;
    };
    const HotKey f10{121, 0}, ctrlQ{81, HOTKEY_CTRL}, off{0, 0};
    const Case cases[] = {
        {f10, ctrlQ, 121, 0, HookAction::BossKey},
        {f10, ctrlQ, 81, HOTKEY_CTRL, HookAction::SoundKey},
        {f10, ctrlQ, 81, HOTKEY_CTRL | HOTKEY_SHIFT, HookAction::None},
        {f10, ctrlQ, 121, HOTKEY_ALT, HookAction::None},
        {ctrlQ, ctrlQ, 81, HOTKEY_CTRL, HookAction::BossKey},  // the same key: the boss key wins
        {off, ctrlQ, 0, 0, HookAction::None},
        {HotKey{}, HotKey{}, 121, 0, HookAction::None},  // not loaded yet
    };
    for (const Case& c : cases)
        EXPECT_EQ(HookActionFor(c.vk, c.modifiers, c.boss, c.sound), c.expected) << c.vk << "/" << c.modifiers;
}

TEST(HotKey, DisplayTextAndNames) {
    EXPECT_EQ(FormatHotKey(0, 7), L"无");
    EXPECT_EQ(FormatHotKey(121, 0), L"F10");
    EXPECT_EQ(FormatHotKey(81, HOTKEY_CTRL), L"Ctrl  +  Q");
    EXPECT_EQ(FormatHotKey(9, 7), L"Ctrl  +  Shift  +  Alt  +  Tab");
    EXPECT_EQ(KeyName(48), L"0");
    EXPECT_EQ(KeyName(105), L"Num 9");
    EXPECT_EQ(KeyName(123), L"F12");
    EXPECT_EQ(KeyName(220), L"\\");
    EXPECT_EQ(KeyName(250), L"");
}

TEST(HotKey, AssignableKeys) {
    EXPECT_TRUE(IsAssignableKey(112));
    EXPECT_TRUE(IsAssignableKey(122));
    EXPECT_FALSE(IsAssignableKey(123)) << "F12";
    for (int vk : {8, 9, 13, 27, 32, 46, 19, 145, 91, 92, 16, 17, 18, 108})
        EXPECT_FALSE(IsAssignableKey(vk)) << vk;
    for (int vk : {48, 57, 65, 90, 33, 40, 45, 20, 186, 192, 219, 222, 144, 96, 107, 109, 111})
        EXPECT_TRUE(IsAssignableKey(vk)) << vk;
}

}  // namespace
