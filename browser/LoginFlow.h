// What the login page asks of its page process, read from the page-command
// address it navigates to. Pure functions, no Windows dependency, so the login
// page's commands are unit-tested natively; CLoginDlg acts on the answers.
#pragma once

#include <string>

#include "browser/PageCommand.h"

enum class LoginCommand {
    NotACommand,  // an ordinary address: the browser goes there
    LoadGame,
    ExitGame,
    Minimize,
    Other,        // an "app:" address nobody knows: cancelled, nothing else
};

// The command an address carries; the word is compared exactly.
LoginCommand LoginCommandOf(const std::wstring& url);

struct LoadGameRequest {
    // False when the account-info could not be decoded into the text the page
    // meant (an escaped NUL byte, bytes that are not UTF-8), or when the game
    // address is not an http or https one (a page must not make the game
    // frame open a script or a local file): the command is cancelled and
    // ignored rather than registered.
    bool valid = false;
    AccountServerKey account;
    std::wstring gameAddress;
};

// "app://loadgame" + separator + account-info + "|" + game-address, with the
// account-info decoded and reduced to the account-server key.
LoadGameRequest ReadLoadGame(const std::wstring& url);

// The refusal text for an account already logged in on that server.
std::wstring DuplicateLoginMessage(const std::wstring& account, const std::wstring& server);

// The two places of the login page (client pixels of the page dialog,
// inclusive) that hold its own controls: pressing there never drags.
bool InReservedDragArea(int x, int y);
