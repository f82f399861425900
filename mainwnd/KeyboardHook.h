// The system-wide low-level keyboard hook of the main window, which sees the
// boss and sound keys whichever program has the focus. The hook only decides
// which hot key an event is and posts that to the window: Windows removes a
// low-level hook whose callback takes too long, so nothing is done inside it.
#pragma once

#include <windows.h>

// Posted to the hook's window for a hot key; wParam = HookAction (HotKey.h).
constexpr UINT UM_HOOK_HOTKEY = WM_APP + 1;

// One hook per process, telling `target`. False when it could not be installed.
bool InstallKeyboardHook(HWND target);
// Removes the hook; harmless when none is installed.
void RemoveKeyboardHook();
bool KeyboardHookInstalled();
