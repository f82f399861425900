#include "mainwnd/TrayIcon.h"

#include <cwchar>

namespace {

// An elevated process does not hear broadcasts from the normal-rights
// taskbar unless it lets the message through. The call exists from
// Windows Vista on, so it is looked up rather than linked.
void AllowFromLowerRights(UINT message) {
    using Fn = BOOL(WINAPI*)(UINT, DWORD);
    HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    auto allow = user32 ? reinterpret_cast<Fn>(::GetProcAddress(user32, "ChangeWindowMessageFilter")) : nullptr;
    if (allow && !allow(message, 1 /* MSGFLT_ADD */))
        ::OutputDebugStringW(L"VexoQuon: the taskbar's re-creation may go unheard\n");
}

}  // namespace

TrayIcon::~TrayIcon() { Delete(); }

UINT TrayIcon::TaskbarCreatedMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

bool TrayIcon::Add(HWND owner, UINT id, UINT callbackMessage, HICON icon, const wchar_t* tip) {
    if (m_wanted) return m_shown;
    m_wanted = true;
    m_data = NOTIFYICONDATAW{};
    m_data.cbSize = sizeof m_data;
    m_data.hWnd = owner;
    m_data.uID = id;
    m_data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_data.uCallbackMessage = callbackMessage;
    m_data.hIcon = icon;
    ::lstrcpynW(m_data.szTip, tip ? tip : L"", ARRAYSIZE(m_data.szTip));  // cut, always terminated
    if (UINT created = TaskbarCreatedMessage()) AllowFromLowerRights(created);
    m_shown = ::Shell_NotifyIconW(NIM_ADD, &m_data) != FALSE;
    if (!m_shown) ::OutputDebugStringW(L"VexoQuon: the tray icon was not added\n");
    return m_shown;
}

void TrayIcon::Delete() {
    if (m_shown) ::Shell_NotifyIconW(NIM_DELETE, &m_data);
    m_shown = m_wanted = false;
}

bool TrayIcon::OnTaskbarCreated() {
    if (!m_wanted) return false;
    // The new taskbar knows nothing of the icon (or there was none when it
    // was first added); add it as new.
    m_shown = ::Shell_NotifyIconW(NIM_ADD, &m_data) != FALSE;
    if (!m_shown) ::OutputDebugStringW(L"VexoQuon: the tray icon did not come back with the taskbar\n");
    return m_shown;
}
