// The page-command channel: pages ask the launcher to act by navigating to an
// address that begins with "app:". Commands are read by character position,
// not by a URL parser, because that is how the platform's pages write them.
// Pure functions, no Windows dependency, so the grammar is unit-tested natively.
#pragma once

#include <string>

// True when the first four characters are exactly "app:" (case-sensitive).
bool IsPageCommand(const std::wstring& url);

// The command word of a login-page command: the up to 8 characters at
// positions 6 to 13, whatever stands at positions 4 and 5.
std::wstring PageCommandWord(const std::wstring& url);

struct LoadGameArgs {
    std::wstring accountInfo;  // as written in the address (maybe percent-encoded)
    std::wstring gameAddress;
};

// "app://loadgame" + separator + account-info + "|" + game-address. Account-info
// runs from position 15 to the first "|" at or after 15; without such a "|"
// (or with at most 15 characters) both parts are empty.
LoadGameArgs SplitLoadGame(const std::wstring& url);

// Account-info that contains "%" is percent-encoded UTF-8; anything else is
// used unchanged (a "+" stays a "+"). Characters that are not escapes are taken
// as themselves. Returns false, leaving `out` alone, when the result would not
// be the text the page meant: a NUL character or an escape that decodes to a
// NUL byte (either would cut the text short) or bytes that are not valid UTF-8. No length limit: long
// account-info is decoded whole, never truncated.
bool DecodeAccountInfo(const std::wstring& accountInfo, std::wstring& out);

// The unit of the one-login-per-server rule, from account-info read as
// server "服-" middle "-" account. Substrings clamp like the classic string
// class: a negative start counts as 0, a start past the end gives "".
struct AccountServerKey {
    std::wstring server;   // capital S letters removed
    std::wstring middle;   // after "》" reduced to the next 4 characters
    std::wstring account;
    std::wstring key;      // server + "服-" + middle + "-" + account
};
AccountServerKey MakeAccountServerKey(const std::wstring& accountInfo);

// The game hall's command: recognised when "app://entergame|" occurs anywhere.
bool IsEnterGameCommand(const std::wstring& url);

struct EnterGameArgs {
    std::wstring rawName;     // before the slashes are removed
    std::wstring webAddress;  // the default when the command has no second part
};
// The text from position 16 of the whole address, split at its first "|".
EnterGameArgs SplitEnterGame(const std::wstring& url, const std::wstring& defaultWebAddress);

// The game's short name: every "/" removed, then a lower-case ASCII first
// letter capitalised ("quon" gives "Quon"; "Quon" and "1abc" stay as they
// are). False for an empty name and for one that could not be a plain file
// name in the data folder (a path separator, drive colon, wildcard or control
// character): such a command is cancelled and ignored.
bool MakeGameShortName(const std::wstring& rawName, std::wstring& name);

// dataFolder + "\" + name + ".exe"; false when that exceeds the 259 characters
// a path may have, rather than a truncated path naming another file.
bool MakeGameClientPath(const std::wstring& dataFolder, const std::wstring& name, std::wstring& path);
