// The tray icon object against Wine's real notification area.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include "mainwnd/TrayIcon.h"

namespace {

// Whether the shell knows the icon: modifying an unknown icon fails.
bool ShellKnows(HWND owner, UINT id) {
    NOTIFYICONDATAW nid{};
    nid.cbSize = sizeof nid;
    nid.hWnd = owner;
    nid.uID = id;
    nid.uFlags = NIF_TIP;
    wcscpy_s(nid.szTip, L"probe");
    return ::Shell_NotifyIconW(NIM_MODIFY, &nid) != FALSE;
}

void ForgetBehindItsBack(HWND owner, UINT id) {
    NOTIFYICONDATAW nid{};
    nid.cbSize = sizeof nid;
    nid.hWnd = owner;
    nid.uID = id;
    ::Shell_NotifyIconW(NIM_DELETE, &nid);
}

TEST(TrayIcon, ComesBackWithTheTaskbarUntilDeleted) {
    HWND owner = ::CreateWindowExW(0, L"STATIC", L"tray owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                   ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(owner, nullptr);
    const UINT id = 7;
    HICON icon = ::LoadIconW(nullptr, IDI_APPLICATION);
    EXPECT_NE(TrayIcon::TaskbarCreatedMessage(), 0u);
    EXPECT_EQ(TrayIcon::TaskbarCreatedMessage(), ::RegisterWindowMessageW(L"TaskbarCreated"));
    {
        TrayIcon tray;
        EXPECT_FALSE(tray.OnTaskbarCreated()) << "never added: nothing comes back";
        ASSERT_TRUE(tray.Add(owner, id, WM_APP + 1, icon, L"VexoQuon"));
        EXPECT_TRUE(tray.IsShown());
        ASSERT_TRUE(ShellKnows(owner, id));

        // A restarted taskbar has forgotten every icon.
        ForgetBehindItsBack(owner, id);
        ASSERT_FALSE(ShellKnows(owner, id));
        EXPECT_TRUE(tray.OnTaskbarCreated());
        EXPECT_TRUE(ShellKnows(owner, id));

        tray.Delete();
        EXPECT_FALSE(ShellKnows(owner, id));
        EXPECT_FALSE(tray.OnTaskbarCreated()) << "a deleted icon stays away";
        EXPECT_FALSE(ShellKnows(owner, id));
        ASSERT_TRUE(tray.Add(owner, id, WM_APP + 1, icon, L"VexoQuon"));
    }
    EXPECT_FALSE(ShellKnows(owner, id)) << "the destructor deletes the icon";
    ::DestroyWindow(owner);
}

}  // namespace
