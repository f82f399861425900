#include <gtest/gtest.h>

#include "browser/GamePage.h"

namespace {

HotKey Key(int modifiers, int vk) {
    HotKey k;
    k.modifiers = modifiers;
    k.vk = vk;
    return k;
}

TEST(GamePageF5, EveryF5RefreshesUnlessAHotKeyIsPlainF5) {
    const HotKey f10 = Key(0, 121), ctrlQ = Key(2, 81), f5 = Key(0, 0x74), ctrlF5 = Key(2, 0x74);
    EXPECT_TRUE(F5Refreshes(f10, ctrlQ, false));
    EXPECT_TRUE(F5Refreshes(f10, ctrlQ, true));
    // Boss key or sound key on plain F5: only the marked F5 of the main window.
    EXPECT_FALSE(F5Refreshes(f5, ctrlQ, false));
    EXPECT_TRUE(F5Refreshes(f5, ctrlQ, true));
    EXPECT_FALSE(F5Refreshes(f10, f5, false));
    EXPECT_TRUE(F5Refreshes(f10, f5, true));
    // With a modifier it is not plain F5.
    EXPECT_TRUE(F5Refreshes(ctrlF5, ctrlF5, false));
    // Keys not loaded yet match nothing.
    EXPECT_TRUE(F5Refreshes(HotKey{}, HotKey{}, false));
}

TEST(GamePageMute, FirstMessageAlwaysAppliesThenOnlyChanges) {
    int state = 0;
    bool known = false;
    EXPECT_TRUE(TakeMuteMessage(0, state, known));  // sound on, first: applied
    EXPECT_EQ(state, 0);
    EXPECT_FALSE(TakeMuteMessage(0, state, known));
    EXPECT_TRUE(TakeMuteMessage(1, state, known));
    EXPECT_EQ(state, 1);
    EXPECT_FALSE(TakeMuteMessage(1, state, known));
    EXPECT_TRUE(TakeMuteMessage(0, state, known));

    int s2 = 1;
    bool k2 = false;
    EXPECT_TRUE(TakeMuteMessage(1, s2, k2));  // first message muted: applied too
    EXPECT_EQ(s2, 1);
}

TEST(GamePageWebAddress, OnlyHttpAndHttps) {
    EXPECT_TRUE(IsWebAddress(L"http://127.0.0.1:47180/?game=quon"));
    EXPECT_TRUE(IsWebAddress(L"HTTPS://www.example.com/"));
    EXPECT_FALSE(IsWebAddress(L"http://"));
    EXPECT_FALSE(IsWebAddress(L"file:///C:/Windows/System32/calc.exe"));
    EXPECT_FALSE(IsWebAddress(L"C:\\Windows\\notepad.exe"));
    EXPECT_FALSE(IsWebAddress(L"javascript:alert(1)"));
    EXPECT_FALSE(IsWebAddress(L" http://x/"));
    EXPECT_FALSE(IsWebAddress(L""));
}

const std::wstring kData = L"C:\\ProgramData\\Vexo\\GameLogin";
const std::wstring kHome = L"http://www.example.com/";

TEST(EnterGame, NameAndAddressFromTheCommand) {
    EnterGamePlan p = PlanEnterGame(L"app://entergame|quon|http://h/?game=quon", kData, kHome);
    ASSERT_TRUE(p.act);
    EXPECT_EQ(p.name, L"Quon");
    EXPECT_EQ(p.clientPath, kData + L"\\Quon.exe");
    EXPECT_EQ(p.webAddress, L"http://h/?game=quon");
}

TEST(EnterGame, WithoutSecondPartTheHomePage) {
    EnterGamePlan p = PlanEnterGame(L"app://entergame|quon", kData, kHome);
    ASSERT_TRUE(p.act);
    EXPECT_EQ(p.name, L"Quon");
    EXPECT_EQ(p.webAddress, kHome);
}

TEST(EnterGame, SlashesGoAndOnlyLettersAreCapitalised) {
    EXPECT_EQ(PlanEnterGame(L"app://entergame|/quon/|X", kData, kHome).name, L"Quon");
    EXPECT_EQ(PlanEnterGame(L"app://entergame|Quon|X", kData, kHome).name, L"Quon");
    EXPECT_EQ(PlanEnterGame(L"app://entergame|Oquon|X", kData, kHome).clientPath, kData + L"\\Oquon.exe");
}

TEST(EnterGame, EmptyOrPathLikeNamesDoNothing) {
    EXPECT_FALSE(PlanEnterGame(L"app://entergame||X", kData, kHome).act);
    EXPECT_FALSE(PlanEnterGame(L"app://entergame|//|X", kData, kHome).act);
    EXPECT_FALSE(PlanEnterGame(L"app://entergame|", kData, kHome).act);
    EXPECT_FALSE(PlanEnterGame(L"app://entergame|a\\..\\..\\x|X", kData, kHome).act);
    EXPECT_FALSE(PlanEnterGame(L"http://h/webgame.htm", kData, kHome).act);
}

TEST(EnterGame, NoDataFolderOrTooLongMeansNotInstalled) {
    EnterGamePlan p = PlanEnterGame(L"app://entergame|quon|X", L"", kHome);
    ASSERT_TRUE(p.act);
    EXPECT_EQ(p.clientPath, L"");
    p = PlanEnterGame(L"app://entergame|" + std::wstring(300, L'q') + L"|X", kData, kHome);
    ASSERT_TRUE(p.act);
    EXPECT_EQ(p.clientPath, L"");
}

TEST(EnterGame, MarkerAnywhereButPositionsCountFromTheStart) {
    // Position 16 of the whole address, as the hall's rule is written.
    EnterGamePlan p = PlanEnterGame(L"app://entergame|tiandi|http://h/", kData, kHome);
    EXPECT_EQ(p.name, L"Tiandi");
}

}  // namespace
