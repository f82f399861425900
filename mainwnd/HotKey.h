// The three user-settable hot keys: stored as "modifiers,vk" text, matched
// against key events with the exact current modifiers. No Windows here.
#pragma once

#include <string>

inline constexpr int HOTKEY_ALT = 1;
inline constexpr int HOTKEY_CTRL = 2;
inline constexpr int HOTKEY_SHIFT = 4;

struct HotKey {
    int vk = -1;          // 0: off; -1 until loaded (matches nothing)
    int modifiers = -1;
};

// "2,81" -> Ctrl+Q. Without a comma the whole text is the modifiers and the
// key is off. Numbers are read by their leading digits.
HotKey ParseHotKey(const std::wstring& text);

// Modifier mask of the current key state.
int CurrentModifiers(bool ctrlDown, bool shiftDown, bool altDown);

// A key event matches when its code equals vk and the modifiers are exactly equal.
bool MatchesHotKey(const HotKey& key, int vk, int modifiers);

// What a key down seen by the system-wide keyboard hook stands for: the
// boss key is matched first, then the sound key.
enum class HookAction { None = 0, BossKey = 1, SoundKey = 2 };
HookAction HookActionFor(int vk, int modifiers, const HotKey& boss, const HotKey& sound);

// Display text: "无" for an off key, else "Ctrl  +  ", "Shift  +  ", "Alt  +  " and the key name.
std::wstring FormatHotKey(int vk, int modifiers);
std::wstring KeyName(int vk);
bool IsAssignableKey(int vk);
