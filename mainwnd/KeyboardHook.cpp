#include "mainwnd/KeyboardHook.h"

#include "mainwnd/HotKey.h"
#include "mainwnd/HotKeys.h"

namespace {

HHOOK g_hKeyboardHook = nullptr;
HWND g_hHookTarget = nullptr;

// The modifiers come from the keyboard itself rather than from this thread's
// key state, which does not follow keys typed into other programs. The event
// is always passed on: the focused program still gets its key.
LRESULT CALLBACK KeyboardHookProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && (wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN)) {
        const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        auto down = [](int vk) { return (::GetAsyncKeyState(vk) & 0x8000) != 0; };
        int modifiers = CurrentModifiers(down(VK_CONTROL), down(VK_SHIFT), down(VK_MENU));
        HookAction action = HookActionFor((int)key->vkCode, modifiers, bossKey, soundKey);
        if (action != HookAction::None && g_hHookTarget)
            ::PostMessageW(g_hHookTarget, UM_HOOK_HOTKEY, (WPARAM)action, 0);
    }
    return ::CallNextHookEx(g_hKeyboardHook, code, wParam, lParam);
}

}  // namespace

bool InstallKeyboardHook(HWND target) {
    g_hHookTarget = target;
    if (g_hKeyboardHook) return true;
    g_hKeyboardHook = ::SetWindowsHookExW(WH_KEYBOARD_LL, KeyboardHookProc, ::GetModuleHandleW(nullptr), 0);
    if (!g_hKeyboardHook) ::OutputDebugStringW(L"VexoQuon: no keyboard hook; the boss and sound keys will not work\n");
    return g_hKeyboardHook != nullptr;
}

void RemoveKeyboardHook() {
    if (g_hKeyboardHook) ::UnhookWindowsHookEx(g_hKeyboardHook);
    g_hKeyboardHook = nullptr;
    g_hHookTarget = nullptr;
}

bool KeyboardHookInstalled() { return g_hKeyboardHook != nullptr; }
