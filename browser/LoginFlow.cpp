#include "browser/LoginFlow.h"

#include "browser/GamePage.h"

LoginCommand LoginCommandOf(const std::wstring& url) {
    if (!IsPageCommand(url)) return LoginCommand::NotACommand;
    const std::wstring word = PageCommandWord(url);
    if (word == L"loadgame") return LoginCommand::LoadGame;
    if (word == L"exitgame") return LoginCommand::ExitGame;
    if (word == L"minimize") return LoginCommand::Minimize;
    return LoginCommand::Other;
}

LoadGameRequest ReadLoadGame(const std::wstring& url) {
    LoadGameRequest request;
    LoadGameArgs args = SplitLoadGame(url);
    std::wstring info;
    if (!DecodeAccountInfo(args.accountInfo, info)) return request;
    if (!IsWebAddress(args.gameAddress)) return request;
    request.valid = true;
    request.account = MakeAccountServerKey(info);
    request.gameAddress = args.gameAddress;
    return request;
}

std::wstring DuplicateLoginMessage(const std::wstring& account, const std::wstring& server) {
    // Built by concatenation: the texts come from a web page and may hold "%".
    return L"账号 " + account + L" 已在 " + server + L"服 登录，同一账号不能在一服重复登录";
}

bool InReservedDragArea(int x, int y) {
    return (x >= 903 && x <= 960 && y >= 174 && y <= 218) || (x >= 881 && x <= 905 && y >= 320 && y <= 460);
}
