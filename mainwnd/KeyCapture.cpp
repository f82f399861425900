#include "mainwnd/KeyCapture.h"

#include "mainwnd/HotKey.h"

namespace {

constexpr int kVkBack = 8, kVkTab = 9, kVkEnter = 13, kVkAlt = 18, kVkEscape = 27, kVkDelete = 46;
constexpr int kVkLWin = 91, kVkRWin = 92, kVkF10 = 121, kVkF12 = 123;

bool IsClearingKey(KeyEdit edit, int vk) {
    if (vk == kVkBack || vk == kVkDelete || vk == kVkLWin || vk == kVkRWin) return true;
    return vk == kVkF12 && edit != KeyEdit::Switch;
}

bool Contains(const std::wstring& text, const wchar_t* part) { return text.find(part) != std::wstring::npos; }

}  // namespace

bool IsCapturedKeyDown(bool systemKey, int vk) { return !systemKey || vk == kVkF10 || vk == kVkAlt; }

bool IsSwallowedKey(int vk) { return vk == kVkEscape || vk == kVkEnter; }

CapturedKey CaptureKey(KeyEdit edit, int vk, int capturedVk, bool ctrl, bool shift, bool alt) {
    if (IsClearingKey(edit, vk)) return {L"无", capturedVk};
    std::wstring keyPart;
    if (IsAssignableKey(vk) || (edit == KeyEdit::Switch && vk == kVkTab)) {
        capturedVk = vk;
        keyPart = KeyName(vk);
    }
    std::wstring text;
    if (ctrl) text += L"Ctrl  +  ";
    if (shift) text += L"Shift  +  ";
    if (alt) text += L"Alt  +  ";
    return {text + keyPart, capturedVk};
}

bool KeyTextsConflict(const std::wstring& boss, const std::wstring& sw, const std::wstring& sound) {
    return boss == sw || boss == sound || sw == sound;
}

std::optional<std::wstring> StoredKeyValue(const std::wstring& text, int capturedVk) {
    if (text.empty() || text.back() == L' ') return std::nullopt;
    int vk = Contains(text, L"无") ? 0 : capturedVk;
    int modifiers = (Contains(text, L"Ctrl") ? HOTKEY_CTRL : 0) | (Contains(text, L"Shift") ? HOTKEY_SHIFT : 0) |
                    (Contains(text, L"Alt") ? HOTKEY_ALT : 0);
    return std::to_wstring(modifiers) + L"," + std::to_wstring(vk);
}
