// CLoriq3Dlg, the commands: the caption-bar buttons and the add-account link,
// the system and tray menus and the one switch that runs their commands, the
// hide/restore shared by the hide button, tray icon, menu and boss key, and
// the answer of the add-account popup.
#include "mainwnd/Loriq3Dlg.h"

#include <memory>

#include "app/Loriq3App.h"
#include "app/Paths.h"
#include "app/Process.h"
#include "app/WindowHandle.h"
#include "framework/Handles.h"
#include "mainwnd/CacheClear.h"
#include "mainwnd/CommandLines.h"
#include "mainwnd/HotKeys.h"
#include "mainwnd/MenuCommands.h"
#include "mainwnd/Messages.h"
#include "mainwnd/SettingDlg.h"
#include "res/resource.h"
#include "skin/SkinMessageBox.h"

namespace {

HMENU BuildMenu(const std::vector<MenuItem>& items) {
    HMENU menu = ::CreatePopupMenu();
    if (!menu) return nullptr;
    for (const MenuItem& item : items) {
        if (item.separator)
            ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        else
            ::AppendMenuW(menu, MF_STRING, (UINT_PTR)(UINT)item.id, item.text.c_str());
    }
    return menu;
}

std::wstring BossKeyText() { return FormatHotKey(bossKey.vk, bossKey.modifiers); }

}  // namespace

// ---- buttons and the link -----------------------------------------------------

BOOL CLoriq3Dlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    // A link label's click (STN_CLICKED) has the same code as a button's.
    if (HIWORD(wParam) == BN_CLICKED) {
        switch (LOWORD(wParam)) {
        case IDC_BTN_HIDE:
            ToggleBossHide();
            return TRUE;
        case IDC_BTN_SOUND:
            muted = muted ? 0 : 1;  // the button's image follows on the next tick
            return TRUE;
        case IDC_BTN_SYSTEM:
            ShowSystemMenu();
            return TRUE;
        case IDC_BTN_HALL:
            OnHallButton();
            return TRUE;
        case IDC_LBL_ADD_ACCOUNT:
            ShowAddAccountPopup();
            return TRUE;
        }
    }
    return CDlgEx::OnCommand(wParam, lParam);
}

void CLoriq3Dlg::OnHallButton() {
    HWND hall = HallWindow();
    if (hall && ::IsWindow(hall)) {
        if (::IsWindowVisible(hall)) {
            ShowPage(CurrentPage());
            ::ShowWindow(hall, SW_HIDE);
            return;
        }
        MoveToPageArea(hall);
        ::ShowWindow(hall, SW_SHOW);
    } else {
        // The hall registers itself and shows itself when it is up.
        StartProcess(HallProcessCommandLine(ExePath(), WindowHandleNumber(m_hWnd)));
    }
    ShowPage(nullptr);  // hides every page
}

void CLoriq3Dlg::ShowAddAccountPopup() {
    if (!addAccountPopup.m_hWnd && !addAccountPopup.Create(IDD_ADDACC_DIALOG, m_hWnd)) {
        ::OutputDebugStringW(L"VexoQuon: the add-account popup could not be created\n");
        return;
    }
    // Its top-right corner at the link's bottom-right corner.
    RECT label{}, popup{};
    ::GetWindowRect(m_lblAddAccount.m_hWnd, &label);
    ::GetWindowRect(addAccountPopup.m_hWnd, &popup);
    const int w = popup.right - popup.left, h = popup.bottom - popup.top;
    ::MoveWindow(addAccountPopup.m_hWnd, label.right - w, label.bottom, w, h, TRUE);
    addAccountPopup.ShowWindow(SW_SHOW);
}

void CLoriq3Dlg::OnAddLogin(WPARAM where) {
    if (where == 1) {
        // The limit counts registered pages; one still at its login is not counted.
        if (m_pages.Full())
            SkinMessageBox(nullptr, L"当前窗体只支持3个游戏页", L"VexoQuon", 0);
        else
            LaunchPageProcess();
    } else if (where == 0) {
        StartProcess(NewMainWindowCommandLine(ExePath()));
    }
}

// ---- menus ------------------------------------------------------------------

void CLoriq3Dlg::ShowSystemMenu() {
    fw::Menu menu(BuildMenu(SystemMenuItems(BossKeyText())));
    if (!menu) return;
    RECT button{};
    ::GetWindowRect(m_btnSystem.m_hWnd, &button);
    int id = ::TrackPopupMenu(menu.Get(), TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, button.left,
                              button.bottom + 2, 0, m_hWnd, nullptr);
    RunMenuCommand(id);
}

void CLoriq3Dlg::ShowTrayMenu() {
    ::SetForegroundWindow(m_hWnd);
    fw::Menu menu(BuildMenu(TrayMenuItems(BossKeyText())));
    if (!menu) return;
    POINT cursor{};
    ::GetCursorPos(&cursor);
    int id = ::TrackPopupMenu(menu.Get(), TPM_RETURNCMD | TPM_RIGHTALIGN | TPM_BOTTOMALIGN, cursor.x, cursor.y, 0,
                              m_hWnd, nullptr);
    RunMenuCommand(id);
}

void CLoriq3Dlg::RunMenuCommand(int id) {
    switch (id) {
    case kCmdRefresh:
        // The marker makes the page reload even when plain F5 is a hot key.
        ::PostMessageW(m_hWnd, WM_KEYDOWN, VK_F5, SELF_POSTED_MARKER);
        break;
    case kCmdHideRestore:
        ToggleBossHide();
        break;
    case kCmdClearCache:
        ClearCache();
        break;
    case kCmdUpdate:
        CheckForUpdateNow();
        break;
    case kCmdSettings:
        ShowSettings();
        break;
    case kCmdExit:
        ExitAll();  // no question asked
        break;
    default:  // the version line or a dismissed menu
        break;
    }
}

void CLoriq3Dlg::ClearCache() {
    // The player is told at once; clearing reports nothing.
    fw::Handle worker(::CreateThread(nullptr, 0, ClearBrowserCache, nullptr, 0, nullptr));
    if (!worker) ::OutputDebugStringW(L"VexoQuon: the cache-clearing thread did not start\n");
    SkinMessageBox(nullptr, L"缓存清除完毕！", L"VexoQuon", 0);
}

void CLoriq3Dlg::CheckForUpdateNow() {
    // Off this thread, so that the window, its tabs and the keyboard hook
    // keep answering; one check at a time.
    if (m_bCheckingUpdate) return;
    if (!m_uiPost.Create()) {
        ::OutputDebugStringW(L"VexoQuon: no poster window: update check not started\n");
        SkinMessageBox(nullptr, L"检查更新失败，请稍后再试。", L"VexoQuon", 0);
        return;
    }
    const unsigned check = ++m_nUpdateCheck;
    m_updateTransfer = std::make_shared<CHttpTransfer>();
    // The worker owns its share of the transfer and of the answer.
    auto answer = std::make_shared<UpdateAnswer>(UpdateAnswer::Failed);
    if (!fw::UiPoster::RunAside(
            m_uiPost.Target(),
            [transfer = m_updateTransfer, answer] { *answer = CheckPublishedUpdate(*transfer).answer; },
            [this, check, answer] { OnUpdateChecked(check, *answer); })) {
        ::OutputDebugStringW(L"VexoQuon: the update check thread did not start\n");
        SkinMessageBox(nullptr, L"检查更新失败，请稍后再试。", L"VexoQuon", 0);
        return;
    }
    m_bCheckingUpdate = true;
    ::SetTimer(m_hWnd, kUpdateDeadlineTimer, kUpdateDeadlineMs, nullptr);
}

void CLoriq3Dlg::OnUpdateChecked(unsigned check, UpdateAnswer answer) {
    if (!m_bCheckingUpdate || check != m_nUpdateCheck) return;  // the deadline answered already
    m_bCheckingUpdate = false;
    ::KillTimer(m_hWnd, kUpdateDeadlineTimer);
    m_updateTransfer.reset();
    switch (answer) {
    case UpdateAnswer::Available:
        StartProcess(UpdaterCommandLine(ExePath()));
        ExitAll();
        return;
    case UpdateAnswer::UpToDate:
        SkinMessageBox(nullptr, L"已经是最新版本，无需进行更新。", L"VexoQuon", 0);
        return;
    case UpdateAnswer::Failed:
        SkinMessageBox(nullptr, L"检查更新失败，请稍后再试。", L"VexoQuon", 0);
        return;
    }
}

void CLoriq3Dlg::ShowSettings() {
    // The tray menu still works while the dialog runs: one dialog at a time.
    if (activeModalDialog) {
        ::SetForegroundWindow(activeModalDialog->m_hWnd);
        return;
    }
    CSettingDlg dlg(m_hWnd);
    activeModalDialog = &dlg;
    dlg.DoModal();
    activeModalDialog = nullptr;
}

// ---- hiding and restoring -----------------------------------------------------

void CLoriq3Dlg::ToggleBossHide() {
    if (IsWindowVisible()) {
        // The pages are child windows and disappear with it; the tray icon stays.
        ShowWindow(SW_HIDE);
        if (addAccountPopup.m_hWnd) addAccountPopup.ShowWindow(SW_HIDE);
        if (activeModalDialog && activeModalDialog->m_hWnd && ::IsWindowVisible(activeModalDialog->m_hWnd))
            activeModalDialog->EndDialog(IDCANCEL);  // as if cancelled: nothing is saved
        return;
    }
    ShowWindow(SW_RESTORE);
    BringToFront();
}

void CLoriq3Dlg::BringToFront() {
    DWORD foregroundThread = ::GetWindowThreadProcessId(::GetForegroundWindow(), nullptr);
    DWORD self = ::GetCurrentThreadId();
    bool attached = foregroundThread && foregroundThread != self && ::AttachThreadInput(self, foregroundThread, TRUE);
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::SetWindowPos(m_hWnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::SetForegroundWindow(m_hWnd);
    if (attached) ::AttachThreadInput(self, foregroundThread, FALSE);
}

void CLoriq3Dlg::OnTrayNotify(LPARAM mouseMessage) {
    if (mouseMessage == WM_LBUTTONUP)
        ToggleBossHide();
    else if (mouseMessage == WM_RBUTTONUP)
        ::PostMessageW(m_hWnd, UM_TRAY_MENU, 0, 0);
}

void CLoriq3Dlg::OnHookHotKey(HookAction action) {
    // The hook reports keys at any time; they act once a page is registered,
    // and not while the player is entering a key in the settings (of any
    // main window).
    if (m_pages.Empty()) return;
    if (IsHotKeyBeingEntered()) return;
    if (action == HookAction::BossKey)
        ToggleBossHide();
    else if (action == HookAction::SoundKey)
        muted = muted ? 0 : 1;
}
