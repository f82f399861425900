#include <gtest/gtest.h>

#include "mainwnd/KeyCapture.h"

namespace {

constexpr int Back = 8, Tab = 9, Enter = 13, Shift = 16, Ctrl = 17, Alt = 18, Esc = 27, Space = 32, Del = 46;
constexpr int LWin = 91, RWin = 92, F5 = 116, F10 = 121, F11 = 122, F12 = 123, Pause = 19, Scroll = 145;

TEST(KeyCapture, WhichKeyDownsAreCaptured) {
    EXPECT_TRUE(IsCapturedKeyDown(false, 'Q'));
    EXPECT_TRUE(IsCapturedKeyDown(false, Esc));
    EXPECT_TRUE(IsCapturedKeyDown(true, F10));
    EXPECT_TRUE(IsCapturedKeyDown(true, Alt));
    EXPECT_FALSE(IsCapturedKeyDown(true, 'Q')) << "Alt+Q is a system key down";
    EXPECT_FALSE(IsCapturedKeyDown(true, F5));
    EXPECT_TRUE(IsSwallowedKey(Esc));
    EXPECT_TRUE(IsSwallowedKey(Enter));
    EXPECT_FALSE(IsSwallowedKey(Space));
}

TEST(KeyCapture, TextsOfCapturedKeys) {
    struct Case {
        KeyEdit edit;
        int vk;
        bool ctrl, shift, alt;
        const wchar_t* text;
        int vkAfter;  // the edit's key code was 121 before
    };
    const KeyEdit B = KeyEdit::Boss, W = KeyEdit::Switch, S = KeyEdit::Sound;
    const Case cases[] = {
        {S, Ctrl, true, false, false, L"Ctrl  +  ", 121},    // Ctrl alone: only its prefix
        {S, 'Q', true, false, false, L"Ctrl  +  Q", 'Q'},
        {B, Alt, false, false, true, L"Alt  +  ", 121},
        {B, F10, false, false, true, L"Alt  +  F10", F10},
        {B, 'Z', true, true, true, L"Ctrl  +  Shift  +  Alt  +  Z", 'Z'},
        {W, Shift, false, true, false, L"Shift  +  ", 121},
        {B, Back, true, false, false, L"无", 121},  // clearing keys ignore modifiers
        {B, Del, false, false, false, L"无", 121},
        {S, LWin, false, false, false, L"无", 121},
        {W, RWin, false, false, false, L"无", 121},
        {B, F12, false, false, false, L"无", 121},
        {S, F12, true, false, false, L"无", 121},
        {W, F12, false, false, false, L"", 121},  // never assignable, not clearing either
        {W, F12, true, false, false, L"Ctrl  +  ", 121},
        {W, Tab, true, false, false, L"Ctrl  +  Tab", Tab},
        {B, Tab, true, false, false, L"Ctrl  +  ", 121},  // Tab only for switching
        {S, Tab, false, false, false, L"", 121},
        {B, Space, false, false, false, L"", 121},
        {B, Pause, false, false, false, L"", 121},
        {B, Scroll, false, false, false, L"", 121},
        {B, F11, false, false, false, L"F11", F11},
        {W, 0x60, false, false, false, L"Num 0", 0x60},
        {S, 220, false, false, false, L"\\", 220},
    };
    for (const Case& c : cases) {
        CapturedKey got = CaptureKey(c.edit, c.vk, 121, c.ctrl, c.shift, c.alt);
        EXPECT_EQ(got.text, c.text) << "vk " << c.vk;
        EXPECT_EQ(got.vk, c.vkAfter) << "vk " << c.vk;
    }
}

TEST(KeyCapture, ConflictsIncludeEmptyTexts) {
    EXPECT_FALSE(KeyTextsConflict(L"F10", L"Ctrl  +  Tab", L"Ctrl  +  Q"));
    EXPECT_TRUE(KeyTextsConflict(L"F10", L"F10", L"Ctrl  +  Q"));
    EXPECT_TRUE(KeyTextsConflict(L"F10", L"Ctrl  +  Q", L"Ctrl  +  Q"));
    EXPECT_TRUE(KeyTextsConflict(L"Q", L"Tab", L"Q"));
    EXPECT_TRUE(KeyTextsConflict(L"", L"Tab", L"")) << "two cleared edits";
    EXPECT_TRUE(KeyTextsConflict(L"无", L"无", L"F1"));
    EXPECT_FALSE(KeyTextsConflict(L"F1", L"f1", L"F2")) << "exact comparison";
}

TEST(KeyCapture, OnlyCompleteTextsAreSaved) {
    struct Case {
        const wchar_t* text;
        int vk;
        const wchar_t* stored;  // nullptr: not written
    };
    const Case cases[] = {
        {L"Ctrl  +  Q", 'Q', L"2,81"},
        {L"F10", F10, L"0,121"},
        {L"无", F10, L"0,0"},
        {L"Alt  +  F10", F10, L"1,121"},
        {L"Ctrl  +  Shift  +  Alt  +  Z", 'Z', L"7,90"},
        {L"Shift  +  Tab", Tab, L"4,9"},
        {L"Alt  +  ", F10, nullptr},
        {L"Ctrl  +  ", 'Q', nullptr},
        {L"", 'Q', nullptr},
    };
    for (const Case& c : cases) {
        auto stored = StoredKeyValue(c.text, c.vk);
        if (c.stored) {
            ASSERT_TRUE(stored.has_value()) << "case " << (&c - cases);
            EXPECT_EQ(*stored, c.stored);
        } else {
            EXPECT_FALSE(stored.has_value());
        }
    }
}

}  // namespace
