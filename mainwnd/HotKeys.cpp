#include "mainwnd/HotKeys.h"

#include <windows.h>

#include "app/PersistedState.h"

HotKey bossKey;
HotKey switchKey;
HotKey soundKey;

HotKey ReadHotKey(const wchar_t* iniKey, const wchar_t* defaultText) {
    wchar_t text[32] = {};
    ::GetPrivateProfileStringW(kIniSection, iniKey, defaultText, text, 32, HotKeyFilePath().c_str());
    return ParseHotKey(text);
}

HotKey ReadBossKey() { return ReadHotKey(L"ShortKey", L"0,121"); }
HotKey ReadSwitchKey() { return ReadHotKey(L"AltWndKey", L"2,9"); }
HotKey ReadSoundKey() { return ReadHotKey(L"SndKey", L"2,81"); }

void LoadPageHotKeys() {
    bossKey = ReadBossKey();
    switchKey = ReadSwitchKey();
    soundKey = ReadSoundKey();
}

int CurrentModifiersNow() {
    auto down = [](int vk) { return (::GetKeyState(vk) & 0xFF00) != 0; };
    return CurrentModifiers(down(VK_CONTROL), down(VK_SHIFT), down(VK_MENU));
}
