#include <gtest/gtest.h>

#include "browser/PageCommand.h"

namespace {

TEST(PageCommand, OnlyLowerCaseAppSchemeIsACommand) {
    EXPECT_TRUE(IsPageCommand(L"app://loadgame|a|b"));
    EXPECT_TRUE(IsPageCommand(L"app:"));
    EXPECT_FALSE(IsPageCommand(L"APP://loadgame|a|b"));
    EXPECT_FALSE(IsPageCommand(L"App://exitgame"));
    EXPECT_FALSE(IsPageCommand(L"app"));
    EXPECT_FALSE(IsPageCommand(L""));
    EXPECT_FALSE(IsPageCommand(L"http://app:80/"));
    EXPECT_FALSE(IsPageCommand(L"javascript:void(0)"));
}

TEST(PageCommand, WordIsPositionsSixToThirteen) {
    EXPECT_EQ(PageCommandWord(L"app://loadgame|12服-a-b|G"), L"loadgame");
    EXPECT_EQ(PageCommandWord(L"app://exitgame"), L"exitgame");
    EXPECT_EQ(PageCommandWord(L"app://minimize"), L"minimize");
    // Positions 4 and 5 are not looked at.
    EXPECT_EQ(PageCommandWord(L"app:xyminimize"), L"minimize");
    // Anything after position 13 is not part of the word.
    EXPECT_EQ(PageCommandWord(L"app://minimizeNOW"), L"minimize");
    // Too short for a whole word: what is there, which matches no command.
    EXPECT_EQ(PageCommandWord(L"app://load"), L"load");
    EXPECT_EQ(PageCommandWord(L"app://"), L"");
    EXPECT_EQ(PageCommandWord(L"app:"), L"");
    EXPECT_NE(PageCommandWord(L"app://LOADGAME|a|b"), L"loadgame");
}

TEST(PageCommand, LoadGameSplitsAtFifteenAndTheFirstBar) {
    LoadGameArgs a = SplitLoadGame(L"app://loadgame|12服-《梦》宝宝-abc|http://127.0.0.1/game.htm?x=1");
    EXPECT_EQ(a.accountInfo, L"12服-《梦》宝宝-abc");
    EXPECT_EQ(a.gameAddress, L"http://127.0.0.1/game.htm?x=1");

    // The separator at 14 may be anything; the search for "|" starts at 15.
    a = SplitLoadGame(L"app://loadgame?acc|G");
    EXPECT_EQ(a.accountInfo, L"acc");
    EXPECT_EQ(a.gameAddress, L"G");
    // Later bars belong to the game address.
    a = SplitLoadGame(L"app://loadgame|acc|G|H|");
    EXPECT_EQ(a.accountInfo, L"acc");
    EXPECT_EQ(a.gameAddress, L"G|H|");
    // Empty account-info, empty address.
    a = SplitLoadGame(L"app://loadgame||");
    EXPECT_EQ(a.accountInfo, L"");
    EXPECT_EQ(a.gameAddress, L"");
}

TEST(PageCommand, LoadGameWithoutBarOrTooShortGivesEmptyParts) {
    for (const wchar_t* url : {L"app://loadgame", L"app://loadgame|", L"app://loadgame|acc-without-bar", L""}) {
        LoadGameArgs a = SplitLoadGame(url);
        EXPECT_EQ(a.accountInfo, L"") << url;
        EXPECT_EQ(a.gameAddress, L"") << url;
    }
}

TEST(AccountInfo, WithoutPercentItIsUsedUnchanged) {
    std::wstring out = L"old";
    ASSERT_TRUE(DecodeAccountInfo(L"12服-a+b-c d", out));
    EXPECT_EQ(out, L"12服-a+b-c d");
    ASSERT_TRUE(DecodeAccountInfo(L"", out));
    EXPECT_EQ(out, L"");
}

TEST(AccountInfo, PercentEncodedUtf8IsDecoded) {
    std::wstring out;
    ASSERT_TRUE(DecodeAccountInfo(L"12%E6%9C%8D-%E3%80%8A%E6%A2%A6%E3%80%8B%E5%AE%9D%E5%AE%9D-abc", out));
    EXPECT_EQ(out, L"12服-《梦》宝宝-abc");
    ASSERT_TRUE(DecodeAccountInfo(L"%e6%9c%8d", out));
    EXPECT_EQ(out, L"服");
    // A plus sign is not a space here, with or without escapes around it.
    ASSERT_TRUE(DecodeAccountInfo(L"a+b%41", out));
    EXPECT_EQ(out, L"a+bA");
    // Characters beyond the basic plane come out in the platform's wide form.
    ASSERT_TRUE(DecodeAccountInfo(L"x%F0%9F%98%80", out));
    EXPECT_EQ(out, L"x\U0001F600");
}

TEST(AccountInfo, NonEscapesStandForThemselves) {
    std::wstring out;
    ASSERT_TRUE(DecodeAccountInfo(L"%zz%4", out));
    EXPECT_EQ(out, L"%zz%4");
    ASSERT_TRUE(DecodeAccountInfo(L"100%", out));
    EXPECT_EQ(out, L"100%");
    // Plain Chinese next to escapes keeps its meaning.
    ASSERT_TRUE(DecodeAccountInfo(L"12服%2D《梦》宝宝-abc", out));
    EXPECT_EQ(out, L"12服-《梦》宝宝-abc");
}

TEST(AccountInfo, RefusedRatherThanCutShortOrGarbled) {
    std::wstring out = L"kept";
    EXPECT_FALSE(DecodeAccountInfo(L"1%E6%9C%8D-a-b%00tail", out));  // NUL would cut it
    EXPECT_FALSE(DecodeAccountInfo(L"1%E6%9C-a-b", out));            // truncated sequence
    EXPECT_FALSE(DecodeAccountInfo(L"%E6", out));                     // cut off at the end
    EXPECT_FALSE(DecodeAccountInfo(L"%C0%AF", out));                  // overlong "/"
    EXPECT_FALSE(DecodeAccountInfo(L"%ED%A0%80", out));               // a surrogate
    EXPECT_FALSE(DecodeAccountInfo(L"%F4%90%80%80", out));            // above U+10FFFF
    EXPECT_FALSE(DecodeAccountInfo(L"%FF", out));
    EXPECT_EQ(out, L"kept");
}

TEST(AccountInfo, LongTextIsDecodedWhole) {
    // Far beyond 255 bytes: no truncation into another key.
    std::wstring encoded, expected;
    for (int i = 0; i < 300; ++i) {
        encoded += L"%E6%9C%8D";
        expected += L"服";
    }
    encoded += L"-m-tail";
    expected += L"-m-tail";
    std::wstring out;
    ASSERT_TRUE(DecodeAccountInfo(encoded, out));
    EXPECT_EQ(out, expected);
    EXPECT_EQ(MakeAccountServerKey(out).account, L"tail");
}

TEST(AccountServerKey, TheLoginPagesExample) {
    AccountServerKey k = MakeAccountServerKey(L"12服-《梦》宝宝-abc");
    EXPECT_EQ(k.server, L"12");
    EXPECT_EQ(k.middle, L"宝宝");
    EXPECT_EQ(k.account, L"abc");
    EXPECT_EQ(k.key, L"12服-宝宝-abc");
}

TEST(AccountServerKey, CapitalSIsRemovedFromTheServerOnly) {
    EXPECT_EQ(MakeAccountServerKey(L"S3服-A-B").key, L"3服-A-B");
    EXPECT_EQ(MakeAccountServerKey(L"S3服-A-B").server, L"3");
    EXPECT_EQ(MakeAccountServerKey(L"s3服-A-B").key, L"s3服-A-B");
    EXPECT_EQ(MakeAccountServerKey(L"SSS服-m-a").key, L"服-m-a");
    EXPECT_EQ(MakeAccountServerKey(L"S1服-S-S").key, L"1服-S-S");
}

TEST(AccountServerKey, MiddleAfterTheBracketIsAtMostFourCharacters) {
    EXPECT_EQ(MakeAccountServerKey(L"1服-《》abcdef-x").middle, L"abcd");
    EXPECT_EQ(MakeAccountServerKey(L"1服-a》-x").middle, L"");
    EXPECT_EQ(MakeAccountServerKey(L"1服-a》-x").key, L"1服--x");
    EXPECT_EQ(MakeAccountServerKey(L"1服-》b》c-x").middle, L"b》c");
    EXPECT_EQ(MakeAccountServerKey(L"1服-plain-x").middle, L"plain");
}

TEST(AccountServerKey, AccountKeepsItsOwnHyphens) {
    AccountServerKey k = MakeAccountServerKey(L"1服-m-a-b");
    EXPECT_EQ(k.account, L"a-b");
    EXPECT_EQ(k.key, L"1服-m-a-b");
}

TEST(AccountServerKey, ClampingWithoutTheServerMark) {
    // No "服-" and no hyphen after the first character: all of it is the account.
    AccountServerKey k = MakeAccountServerKey(L"abc");
    EXPECT_EQ(k.server, L"");
    EXPECT_EQ(k.middle, L"");
    EXPECT_EQ(k.account, L"abc");
    EXPECT_EQ(k.key, L"服--abc");
    EXPECT_EQ(MakeAccountServerKey(L"-abc").key, L"服---abc");
    // Empty account-info (app://loadgame with nothing after it).
    EXPECT_EQ(MakeAccountServerKey(L"").key, L"服--");
    // Without the mark the search for the hyphen starts at position 1.
    k = MakeAccountServerKey(L"ab-cd");
    EXPECT_EQ(k.server, L"");
    EXPECT_EQ(k.middle, L"b");
    EXPECT_EQ(k.account, L"cd");
    EXPECT_EQ(k.key, L"服-b-cd");
    // The mark at the very end: no middle, the account is the whole text.
    EXPECT_EQ(MakeAccountServerKey(L"12服-").key, L"12服--12服-");
    // The mark but no later hyphen.
    k = MakeAccountServerKey(L"12服-abc");
    EXPECT_EQ(k.server, L"12");
    EXPECT_EQ(k.middle, L"");
    EXPECT_EQ(k.account, L"12服-abc");
}

TEST(AccountServerKey, SameAccountOnAnotherServerIsAnotherKey) {
    EXPECT_NE(MakeAccountServerKey(L"1服-m-abc").key, MakeAccountServerKey(L"2服-m-abc").key);
    EXPECT_EQ(MakeAccountServerKey(L"S1服-《x》m-abc").key, MakeAccountServerKey(L"1服-《y》m-abc").key);
}

TEST(AccountServerKey, WholeLoadGameRoad) {
    LoadGameArgs a = SplitLoadGame(
        L"app://loadgame|12%E6%9C%8D-%E3%80%8A%E6%A2%A6%E3%80%8B%E5%AE%9D%E5%AE%9D-abc|http://h/g?a=1");
    std::wstring info;
    ASSERT_TRUE(DecodeAccountInfo(a.accountInfo, info));
    EXPECT_EQ(MakeAccountServerKey(info).key, L"12服-宝宝-abc");
    EXPECT_EQ(a.gameAddress, L"http://h/g?a=1");
}

TEST(EnterGame, RecognisedAnywhere) {
    EXPECT_TRUE(IsEnterGameCommand(L"app://entergame|quon|X"));
    EXPECT_TRUE(IsEnterGameCommand(L"http://h/x?app://entergame|quon"));
    EXPECT_FALSE(IsEnterGameCommand(L"app://entergame"));
    EXPECT_FALSE(IsEnterGameCommand(L"app://enterGame|quon|X"));
    EXPECT_FALSE(IsEnterGameCommand(L"app:/entergame|quon|X"));
}

TEST(EnterGame, SplitAtSixteenAndTheFirstBar) {
    EnterGameArgs a = SplitEnterGame(L"app://entergame|quon|http://x/y", L"http://home/");
    EXPECT_EQ(a.rawName, L"quon");
    EXPECT_EQ(a.webAddress, L"http://x/y");
    a = SplitEnterGame(L"app://entergame|quon", L"http://home/");
    EXPECT_EQ(a.rawName, L"quon");
    EXPECT_EQ(a.webAddress, L"http://home/");
    a = SplitEnterGame(L"app://entergame|a|b|c", L"D");
    EXPECT_EQ(a.rawName, L"a");
    EXPECT_EQ(a.webAddress, L"b|c");
    a = SplitEnterGame(L"app://entergame|", L"D");
    EXPECT_EQ(a.rawName, L"");
    EXPECT_EQ(a.webAddress, L"D");
    a = SplitEnterGame(L"app://entergame||X", L"D");
    EXPECT_EQ(a.rawName, L"");
    EXPECT_EQ(a.webAddress, L"X");
    // Position 16 counts from the start of the whole address.
    a = SplitEnterGame(L"xxapp://entergame|quon|X", L"D");
    EXPECT_EQ(a.rawName, L"e");
    EXPECT_EQ(a.webAddress, L"quon|X");
}

TEST(EnterGame, ShortNameRules) {
    std::wstring name;
    ASSERT_TRUE(MakeGameShortName(L"quon", name));
    EXPECT_EQ(name, L"Quon");
    ASSERT_TRUE(MakeGameShortName(L"/quon/", name));
    EXPECT_EQ(name, L"Quon");
    ASSERT_TRUE(MakeGameShortName(L"/q/u/o/n", name));
    EXPECT_EQ(name, L"Quon");
    // Only a lower-case letter is capitalised; anything else stays itself.
    ASSERT_TRUE(MakeGameShortName(L"Quon", name));
    EXPECT_EQ(name, L"Quon");
    ASSERT_TRUE(MakeGameShortName(L"1abc", name));
    EXPECT_EQ(name, L"1abc");
    ASSERT_TRUE(MakeGameShortName(L"游戏", name));
    EXPECT_EQ(name, L"游戏");
}

TEST(EnterGame, UnusableNamesAreRefused) {
    std::wstring name = L"kept";
    EXPECT_FALSE(MakeGameShortName(L"", name));
    EXPECT_FALSE(MakeGameShortName(L"///", name));
    // Nothing but a file in the data folder may be started.
    EXPECT_FALSE(MakeGameShortName(L"q\\..\\..\\windows\\notepad", name));
    EXPECT_FALSE(MakeGameShortName(L"n.\\..\\x", name));
    EXPECT_FALSE(MakeGameShortName(L"qc:x", name));
    EXPECT_FALSE(MakeGameShortName(L"q*", name));
    EXPECT_FALSE(MakeGameShortName(L"q\tx", name));
    // Shifting "O" would have made a path separator: DataFolder\/quon.exe.
    EXPECT_FALSE(MakeGameShortName(L"O\\quon", name));
    ASSERT_TRUE(MakeGameShortName(L"Oquon", name));
    EXPECT_EQ(name, L"Oquon");
    name = L"kept";
    EXPECT_FALSE(MakeGameShortName(L"\x01quon", name));
    EXPECT_EQ(name, L"kept");
}

TEST(EnterGame, ClientPathInTheDataFolder) {
    std::wstring path;
    ASSERT_TRUE(MakeGameClientPath(L"C:\\ProgramData\\Vexo\\GameLogin", L"Quon", path));
    EXPECT_EQ(path, L"C:\\ProgramData\\Vexo\\GameLogin\\Quon.exe");
    std::wstring folder = L"C:\\" + std::wstring(200, L'f');  // 203 characters
    ASSERT_TRUE(MakeGameClientPath(folder, std::wstring(51, L'n'), path));  // 203 + 1 + 51 + 4 = 259
    EXPECT_EQ(path.size(), 259u);
    path = L"kept";
    EXPECT_FALSE(MakeGameClientPath(folder, std::wstring(52, L'n'), path));
    EXPECT_EQ(path, L"kept");
}

}  // namespace
