#include <gtest/gtest.h>

#include "browser/LoginFlow.h"

namespace {

TEST(LoginCommand, WordsAreComparedExactly) {
    EXPECT_EQ(LoginCommandOf(L"app://loadgame|a|b"), LoginCommand::LoadGame);
    EXPECT_EQ(LoginCommandOf(L"app://exitgame"), LoginCommand::ExitGame);
    EXPECT_EQ(LoginCommandOf(L"app://minimize"), LoginCommand::Minimize);
    // Positions 4 and 5 are not looked at; what follows the word does not count.
    EXPECT_EQ(LoginCommandOf(L"app:xyminimize"), LoginCommand::Minimize);
    EXPECT_EQ(LoginCommandOf(L"app://exitgame/"), LoginCommand::ExitGame);
    EXPECT_EQ(LoginCommandOf(L"app://EXITGAME"), LoginCommand::Other);
    EXPECT_EQ(LoginCommandOf(L"app://load"), LoginCommand::Other);
    EXPECT_EQ(LoginCommandOf(L"app://entergame|quon|x"), LoginCommand::Other);
    EXPECT_EQ(LoginCommandOf(L"app:"), LoginCommand::Other);
    // Not page commands at all: the browser goes there.
    EXPECT_EQ(LoginCommandOf(L"APP://exitgame"), LoginCommand::NotACommand);
    EXPECT_EQ(LoginCommandOf(L"http://h/app://exitgame"), LoginCommand::NotACommand);
    EXPECT_EQ(LoginCommandOf(L""), LoginCommand::NotACommand);
}

TEST(LoadGame, TheDocumentedAccountGivesItsKeyAndAddress) {
    LoadGameRequest r = ReadLoadGame(L"app://loadgame|12服-《梦》宝宝-abc|G");
    ASSERT_TRUE(r.valid);
    EXPECT_EQ(r.account.server, L"12");
    EXPECT_EQ(r.account.middle, L"宝宝");
    EXPECT_EQ(r.account.account, L"abc");
    EXPECT_EQ(r.account.key, L"12服-宝宝-abc");
    EXPECT_EQ(r.gameAddress, L"G");
}

TEST(LoadGame, PercentEncodedUtf8IsDecodedBeforeTheSplit) {
    // As the login page writes it: encodeURIComponent of the account-info.
    LoadGameRequest r = ReadLoadGame(
        L"app://loadgame|12%E6%9C%8D-%E3%80%8A%E6%A2%A6%E3%80%8B%E5%AE%9D%E5%AE%9D-abc|"
        L"http://127.0.0.1:47180/quon/game.html?sid=12&acc=abc");
    ASSERT_TRUE(r.valid);
    EXPECT_EQ(r.account.key, L"12服-宝宝-abc");
    EXPECT_EQ(r.gameAddress, L"http://127.0.0.1:47180/quon/game.html?sid=12&acc=abc");
    // Without a percent sign the text is taken as it stands, plus signs included.
    r = ReadLoadGame(L"app://loadgame|3服-A+B-c+d|G");
    ASSERT_TRUE(r.valid);
    EXPECT_EQ(r.account.key, L"3服-A+B-c+d");
}

TEST(LoadGame, CapitalSLeavesTheServerSmallSStays) {
    EXPECT_EQ(ReadLoadGame(L"app://loadgame|S3服-A-B|G").account.key, L"3服-A-B");
    EXPECT_EQ(ReadLoadGame(L"app://loadgame|s3服-A-B|G").account.key, L"s3服-A-B");
}

TEST(LoadGame, NothingAfterTheCommandGivesTheBareKeyAndNoAddress) {
    LoadGameRequest r = ReadLoadGame(L"app://loadgame");
    ASSERT_TRUE(r.valid);
    EXPECT_EQ(r.account.key, L"服--");
    EXPECT_EQ(r.gameAddress, L"");
    r = ReadLoadGame(L"app://loadgame|plainaccount|G");
    EXPECT_EQ(r.account.key, L"服--plainaccount");
}

TEST(LoadGame, UndecodableAccountInfoIsRefusedNotTruncated) {
    EXPECT_FALSE(ReadLoadGame(L"app://loadgame|12%E6%9C%8D-a%00b-abc|G").valid);  // NUL would cut the key
    EXPECT_FALSE(ReadLoadGame(L"app://loadgame|12%E6%9C-a-abc|G").valid);         // cut-off UTF-8
    EXPECT_FALSE(ReadLoadGame(L"app://loadgame|%C0%80-a-b|G").valid);             // overlong form
    // A long account is decoded whole: no fixed buffer cuts it.
    std::wstring longAccount(400, L'x');
    LoadGameRequest r = ReadLoadGame(L"app://loadgame|12%E6%9C%8D-m-" + longAccount + L"|G");
    ASSERT_TRUE(r.valid);
    EXPECT_EQ(r.account.account, longAccount);
}

TEST(LoginMessages, RefusalNamesAccountAndServer) {
    EXPECT_EQ(DuplicateLoginMessage(L"abc", L"12"), L"账号 abc 已在 12服 登录，同一账号不能在一服重复登录");
    // Texts from the page are not a format string.
    EXPECT_EQ(DuplicateLoginMessage(L"%s%n", L"%d"), L"账号 %s%n 已在 %d服 登录，同一账号不能在一服重复登录");
}

TEST(LoginDrag, ReservedAreasAreInclusive) {
    EXPECT_TRUE(InReservedDragArea(903, 174));
    EXPECT_TRUE(InReservedDragArea(960, 218));
    EXPECT_FALSE(InReservedDragArea(902, 200));
    EXPECT_FALSE(InReservedDragArea(961, 200));
    EXPECT_FALSE(InReservedDragArea(930, 173));
    EXPECT_FALSE(InReservedDragArea(930, 219));
    EXPECT_TRUE(InReservedDragArea(881, 320));
    EXPECT_TRUE(InReservedDragArea(905, 460));
    EXPECT_FALSE(InReservedDragArea(880, 400));
    EXPECT_FALSE(InReservedDragArea(906, 400));
    EXPECT_FALSE(InReservedDragArea(890, 461));
    EXPECT_FALSE(InReservedDragArea(890, 319));
    EXPECT_FALSE(InReservedDragArea(0, 0));
}

}  // namespace
