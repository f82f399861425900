// Decisions of the game page frame and the game hall that need no window:
// the F5 rule, the mute message memory and the hall's "entergame" command.
// Pure functions, unit-tested natively.
#pragma once

#include <string>

#include "mainwnd/HotKey.h"

// Plain F5: virtual key 0x74 without modifiers.
bool IsPlainF5(const HotKey& key);

// Whether an F5 key-down refreshes the page. While the boss or the sound key
// is plain F5, only the main window's own F5 (marked) refreshes, so that the
// hot key does not also reload the game.
bool F5Refreshes(const HotKey& bossKey, const HotKey& soundKey, bool marked);

// A UM_SET_MUTE message with value `muted`: true when it must be applied, and
// `state` then holds it. Before the first message (`known` false) the state
// counts as the opposite of that message, so the first one always applies.
bool TakeMuteMessage(int muted, int& state, bool& known);

// http:// or https:// (any case): what may be handed to the shell's "open".
// Anything else from a page (a file, a program, another scheme) is not opened.
bool IsWebAddress(const std::wstring& url);

struct EnterGamePlan {
    bool act = false;          // false: cancel the navigation and do nothing else
    std::wstring name;         // the game's short name
    std::wstring clientPath;   // where its installed login client would be; empty when no path fits
    std::wstring webAddress;   // opened when the player declines the download
};

// app://entergame|name|web-address, wherever the marker stands.
EnterGamePlan PlanEnterGame(const std::wstring& url, const std::wstring& dataFolder,
                            const std::wstring& homePage);
