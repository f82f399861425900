#include "mainwnd/HotKey.h"

#include "app/Activity.h"

HotKey ParseHotKey(const std::wstring& text) {
    HotKey key;
    std::size_t comma = text.find(L',');
    if (comma == std::wstring::npos) {
        key.modifiers = ParseProfileInt(text);
        key.vk = 0;
    } else {
        key.modifiers = ParseProfileInt(text.substr(0, comma));
        key.vk = ParseProfileInt(text.substr(comma + 1));
    }
    return key;
}

int CurrentModifiers(bool ctrlDown, bool shiftDown, bool altDown) {
    return (ctrlDown ? HOTKEY_CTRL : 0) | (shiftDown ? HOTKEY_SHIFT : 0) | (altDown ? HOTKEY_ALT : 0);
}

bool MatchesHotKey(const HotKey& key, int vk, int modifiers) {
    return key.vk > 0 && key.vk == vk && key.modifiers == modifiers;
}

HookAction HookActionFor(int vk, int modifiers, const HotKey& boss, const HotKey& sound) {
    if (MatchesHotKey(boss, vk, modifiers)) return HookAction::BossKey;
    if (MatchesHotKey(sound, vk, modifiers)) return HookAction::SoundKey;
    return HookAction::None;
}

std::wstring KeyName(int vk) {
    if (vk >= 48 && vk <= 57) return std::wstring(1, wchar_t(vk));
    if (vk >= 65 && vk <= 90) return std::wstring(1, wchar_t(vk));
    if (vk >= 96 && vk <= 105) return L"Num " + std::wstring(1, wchar_t(L'0' + vk - 96));
    if (vk >= 112 && vk <= 123) return L"F" + std::to_wstring(vk - 111);
    switch (vk) {
    case 8: return L"Back";
    case 9: return L"Tab";
    case 13: return L"Enter";
    case 16: return L"Shift";
    case 17: return L"Ctrl";
    case 18: return L"Alt";
    case 19: return L"Pause Break";
    case 20: return L"Caps";
    case 27: return L"Esc";
    case 33: return L"Page Up";
    case 34: return L"Page Down";
    case 35: return L"End";
    case 36: return L"Home";
    case 37: return L"Left";
    case 38: return L"Up";
    case 39: return L"Right";
    case 40: return L"Down";
    case 45: return L"Insert";
    case 46: return L"Del";
    case 91: return L"LWin";
    case 92: return L"RWin";
    case 106: return L"Num *";
    case 107: return L"Num +";
    case 109: return L"Num -";
    case 110: return L"Num Del";
    case 111: return L"Num /";
    case 144: return L"Num Lock";
    case 145: return L"Scroll Lock";
    case 186: return L";";
    case 187: return L"+";
    case 188: return L",";
    case 189: return L"-";
    case 190: return L".";
    case 191: return L"/";
    case 192: return L"`";
    case 219: return L"[";
    case 220: return L"\\";
    case 221: return L"]";
    case 222: return L"'";
    }
    return L"";
}

std::wstring FormatHotKey(int vk, int modifiers) {
    if (vk == 0) return L"无";
    std::wstring text;
    if (modifiers & HOTKEY_CTRL) text += L"Ctrl  +  ";
    if (modifiers & HOTKEY_SHIFT) text += L"Shift  +  ";
    if (modifiers & HOTKEY_ALT) text += L"Alt  +  ";
    return text + KeyName(vk);
}

bool IsAssignableKey(int vk) {
    return (vk >= 112 && vk <= 122) || (vk >= 48 && vk <= 57) || (vk >= 65 && vk <= 90) ||
           (vk >= 33 && vk <= 40) || vk == 45 || vk == 20 || (vk >= 186 && vk <= 192) ||
           (vk >= 219 && vk <= 222) || vk == 144 || (vk >= 96 && vk <= 107) || (vk >= 109 && vk <= 111);
}
