// The main window's icon in the taskbar's notification area, as an object
// that owns its data: added once, deleted by its owner or its destructor, and
// added again when the taskbar is re-created (Explorer restarted), which
// would otherwise lose it without a word.
#pragma once

#include <windows.h>
#include <shellapi.h>

class TrayIcon {
public:
    TrayIcon() = default;
    ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // Shows the icon; the shell reports mouse events to `owner` as
    // `callbackMessage` with lParam = the mouse message. The icon stays the
    // caller's. Once added, later calls change nothing until Delete.
    bool Add(HWND owner, UINT id, UINT callbackMessage, HICON icon, const wchar_t* tip);
    void Delete();
    bool IsShown() const { return m_shown; }

    // The shell's "TaskbarCreated" broadcast (0 when it cannot be registered).
    static UINT TaskbarCreatedMessage();
    // On that broadcast: the icon comes back if it was added and not
    // deleted (also when the first add found no taskbar). True when it was
    // added again.
    bool OnTaskbarCreated();

private:
    NOTIFYICONDATAW m_data{};
    bool m_wanted = false;  // Add was called and Delete was not
    bool m_shown = false;   // the shell took it, as far as this process knows
};
