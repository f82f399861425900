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
    LoadGameRequest r = ReadLoadGame(L"app://loadgame|12服-《梦》宝宝-abc|http://g/");
    ASSERT_TRUE(r.valid);
    EXPECT_EQ(r.account.server, L"12");
    EXPECT_EQ(r.account.middle, L"宝宝");
    EXPECT_EQ(r.account.account, L"abc");
    EXPECT_EQ(r.account.key, L"12服-宝宝-abc");
    EXPECT_EQ(r.gameAddress, L"http://g/");
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
    r = ReadLoadGame(L"app://loadgame|3服-A+B-c+d|http://g/");
    ASSERT_TRUE(r.valid);
    EXPECT_EQ(r.account.key, L"3服-A+B-c+d");
}

TEST(LoadGame, CapitalSLeavesTheServerSmallSStays) {
    EXPECT_EQ(ReadLoadGame(L"app://loadgame|S3服-A-B|http://g/").account.key, L"3服-A-B");
    EXPECT_EQ(ReadLoadGame(L"app://loadgame|s3服-A-B|http://g/").account.key, L"s3服-A-B");
}

TEST(LoadGame, APlainAccountGivesTheBareKey) {
    LoadGameRequest r = ReadLoadGame(L"app://loadgame|plainaccount|http://g/");
    ASSERT_TRUE(r.valid);
    EXPECT_EQ(r.account.key, L"服--plainaccount");
}

TEST(LoadGame, OnlyWebAddressesAreOpenedAsTheGame) {
    // A page on plain http must not make the game frame run script or open
    // local files.
    for (const wchar_t* address : {L"", L"javascript:alert(1)", L"file:///C:/windows/win.ini", L"C:\\x.html",
                                   L"about:blank", L"app://exitgame", L"http://", L"ftp://h/x"}) {
        EXPECT_FALSE(ReadLoadGame(std::wstring(L"app://loadgame|12服-a-b|") + address).valid) << address;
    }
    EXPECT_FALSE(ReadLoadGame(L"app://loadgame").valid);
    EXPECT_TRUE(ReadLoadGame(L"app://loadgame|12服-a-b|HTTPS://h/g").valid);
    EXPECT_TRUE(ReadLoadGame(L"app://loadgame|12服-a-b|http://h:81/g?x=1").valid);
}

TEST(LoadGame, UndecodableAccountInfoIsRefusedNotTruncated) {
    EXPECT_FALSE(ReadLoadGame(L"app://loadgame|12%E6%9C%8D-a%00b-abc|http://g/").valid);  // NUL would cut the key
    EXPECT_FALSE(ReadLoadGame(L"app://loadgame|12%E6%9C-a-abc|http://g/").valid);         // cut-off UTF-8
    // Found by fuzzing: a raw NUL, unescaped, cut the title the same way.
    EXPECT_FALSE(ReadLoadGame(std::wstring(L"app://loadgame|12服-a-abc\0x|http://g/", 36)).valid);
    EXPECT_FALSE(ReadLoadGame(L"app://loadgame|%C0%80-a-b|http://g/").valid);             // overlong form
    // A long account is decoded whole: no fixed buffer cuts it.
    std::wstring longAccount(400, L'x');
    LoadGameRequest r = ReadLoadGame(L"app://loadgame|12%E6%9C%8D-m-" + longAccount + L"|http://g/");
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
