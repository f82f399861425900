// This process's copy of the three hot keys, read from the hot-key file.
#pragma once

#include "mainwnd/HotKey.h"

extern HotKey bossKey;
extern HotKey switchKey;
extern HotKey soundKey;

// Reads one key from the hot-key file ("Quon" section), `defaultText` when missing.
HotKey ReadHotKey(const wchar_t* iniKey, const wchar_t* defaultText);
// Each key under its stored name, with its default (F10, Ctrl+Tab, Ctrl+Q).
HotKey ReadBossKey();
HotKey ReadSwitchKey();
HotKey ReadSoundKey();
// Page and hall processes: reread all three keys.
void LoadPageHotKeys();
// The modifier mask of the keyboard as this thread sees it now.
int CurrentModifiersNow();
