// The settings dialog's rules, without Windows: which key downs its three
// edits capture, what text a captured key gives, and what "确定" writes.
#pragma once

#include <optional>
#include <string>

// The three key edits of the settings dialog.
enum class KeyEdit { Boss, Switch, Sound };

// Whether the dialog captures a key message at all: every key down, and of
// the system key downs only F10 and Alt itself (so with Alt held only Alt
// and Alt+F10 reach the capture).
bool IsCapturedKeyDown(bool systemKey, int vk);
// Escape and Enter are swallowed: neither closes the dialog or changes an edit.
bool IsSwallowedKey(int vk);

struct CapturedKey {
    std::wstring text;  // the edit's new text
    int vk;             // the edit's key code afterwards
};
// A captured key down of `vk` in `edit` whose key code was `capturedVk`,
// with the modifier keys as they are down now. Backspace, Delete and the
// Windows keys (and F12 in the boss and sound edits) clear the edit to "无"
// and keep its key code. Any other key gives the modifiers' prefixes and,
// for an assignable key (or Tab in the switch edit), its name, which also
// becomes the key code.
CapturedKey CaptureKey(KeyEdit edit, int vk, int capturedVk, bool ctrl, bool shift, bool alt);

// Two of the three texts are the same (empty ones included): nothing is saved.
bool KeyTextsConflict(const std::wstring& boss, const std::wstring& sw, const std::wstring& sound);
// The stored value ("modifiers,vk") for an edit's text and key code, or none
// when the text is incomplete (empty, or ending in a blank: only modifiers,
// or a key that is neither assignable nor clearing), which keeps the stored key.
std::optional<std::wstring> StoredKeyValue(const std::wstring& text, int capturedVk);
