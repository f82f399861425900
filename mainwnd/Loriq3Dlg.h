// CLoriq3Dlg: the main game window. Holds up to three game pages as tabs;
// every page is a frame of its own page process, re-parented into this window.
// Its methods are split by concern: Loriq3Dlg.cpp (set-up, layout, timer,
// key routing, the message switch), Loriq3DlgTabs.cpp (pages and tabs),
// Loriq3DlgCommands.cpp (buttons, menus and their commands, hiding).
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/HttpTransfer.h"
#include "app/SelfUpdate.h"
#include "browser/AddAccDlg.h"
#include "framework/UiPost.h"
#include "mainwnd/HotKey.h"
#include "mainwnd/PageRegistry.h"
#include "mainwnd/ProcessWatch.h"
#include "mainwnd/TabStripView.h"
#include "mainwnd/TrayIcon.h"
#include "skin/BtnEx.h"
#include "skin/DlgEx.h"
#include "skin/StaticEx.h"

class CLoriq3Dlg : public CDlgEx {
public:
    // The skin's decoding waits for the first page process's first idle this
    // long at most.
    static constexpr DWORD kSkinWaitMs = 2000;

    explicit CLoriq3Dlg(HWND parent = nullptr);
    ~CLoriq3Dlg() override;

    void ShowPage(HWND frame);
    void CloseTab(int i);
    void ExitAll();
    void LoadHotKeys();
    void SwitchToNextTab();
    void ToggleBossHide();
    void BringToFront();
    void ShowSystemMenu();
    void ShowTrayMenu();
    // Also before the window exists, for the first page, which then finds
    // the window by the mark it puts on at the start of its set-up.
    void LaunchPageProcess();

    BOOL PreTranslateMessage(MSG* msg) override;

    int PageCount() const { return m_pages.Count(); }
    HWND Page(int i) const { return static_cast<HWND>(m_pages.FrameAt(i)); }
    HWND CurrentPage() const { return static_cast<HWND>(m_pages.CurrentFrame()); }
    int CurrentTab() const { return m_pages.Current(); }
    HWND HallWindow() const { return static_cast<HWND>(m_pages.Hall()); }
    HANDLE PendingPageProcess() const { return m_pages.PendingProcess(); }
    std::vector<HWND> PageFrames() const;
    const TabStripView& TabStrip() const { return m_tabStrip; }

    HICON m_hIcon = nullptr;
    HICON m_hSmallIcon = nullptr;
    CBtnEx m_btnHide;
    CBtnEx m_btnSystem;
    CBtnEx m_btnSound;
    CBtnEx m_btnHall;
    CStaticEx m_lblAddAccount;
    int muted = 0;
    int hallShown = 0;
    OSVERSIONINFOW m_osvi{};
    // Tells the window at once when a page process it holds ends; declared
    // before the tabs, which forget their handles here as they close them.
    ProcessWatch m_processWatch;
    // The tabs: page frames and titles in tab order, the current tab, the
    // hall's frame and the page process that has not registered yet.
    PageRegistry m_pages;
    // Tab images, close images, hover state and the tab tooltip.
    TabStripView m_tabStrip;
    // Created from its template on first use.
    CAddAccDlg addAccountPopup;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    static constexpr UINT_PTR kMuteTimer = 3;
    static constexpr UINT kMuteTimerMs = 400;
    // The menu's update check gives up after this long.
    static constexpr UINT_PTR kUpdateDeadlineTimer = 4;
    static constexpr UINT kUpdateDeadlineMs = 15000;
    static constexpr UINT kTrayIconId = 1;

    // Private to this window, posted once it is initialised: decode the
    // skin's images (once the page process is idle).
    static constexpr UINT UM_AFTER_FIRST_SHOW = WM_APP + 2;
    // Private, posted by m_processWatch: a page process ended.
    static constexpr UINT UM_PAGE_PROCESS_ENDED = WM_APP + 3;

    void SetUpWindow();
    void OnAfterFirstShow();
    void FinishFirstShow();
    void LoadSkinImages();
    void SetButtonImage(CBtnEx& button, UINT imageId);
    void AddTrayIcon();
    void PlaceCaptionControls(int cx);
    void HideAllPages();
    void MoveToPageArea(HWND wnd);
    void SelectTab(int i);
    bool InTabStrip(POINT client) const;
    bool HallVisible() const {
        HWND hall = HallWindow();
        return hall && ::IsWindow(hall) && ::IsWindowVisible(hall);
    }

    LRESULT OnCopyData(HWND sender, const COPYDATASTRUCT* cds);
    LRESULT OnRegisterPage(HWND frame, LPARAM kind);
    HANDLE StartPageProcess(DWORD* processId);
    void WatchPageProcesses();
    bool PlaceEnded(int i, bool& leftOnPurpose) const;
    void ApplyPlaceEnd(int i, bool leftOnPurpose, bool& closed);
    void StartPlaceLogins(bool& closed);
    bool DialogOverWindow() const;
    void OnAddLogin(WPARAM where);
    void OnHallButton();
    void ShowAddAccountPopup();
    void RunMenuCommand(int id);
    void ClearCache();
    void CheckForUpdateNow();
    // The check's answer, on this thread; `check` tells a late answer (after
    // the deadline) from the current one.
    void OnUpdateChecked(unsigned check, UpdateAnswer answer);
    void ShowSettings();
    void OnTrayNotify(LPARAM mouseMessage);
    void OnHookHotKey(HookAction action);
    BOOL OnEraseBkgnd(HDC hdc);
    LRESULT OnNcHitTest(POINT screen);
    void OnTabButtonDown(POINT client);
    void OnTabButtonUp(POINT client, bool middle);
    LRESULT OnSize(UINT type, int cx, int cy);
    void OnWindowPosChanging(WINDOWPOS* pos);
    void OnTimer(UINT_PTR id);
    void OnPaintIconic();

    TrayIcon m_trayIcon;
    // Background results reach this thread through it.
    fw::UiPoster m_uiPost;
    // The running update check, if any: its number and its transfer (which
    // the deadline cancels); the worker holds the transfer too.
    unsigned m_nUpdateCheck = 0;
    bool m_bCheckingUpdate = false;
    std::shared_ptr<CHttpTransfer> m_updateTransfer;
    // The skin's images decoded, once, after the window first shows (and
    // after the first page process is idle); a worker waits for that idle.
    bool m_bFirstShowDone = false;
    bool m_bSkinWaiting = false;
    // ExitAll ran: the pages that end now were told to.
    bool m_bExiting = false;
    // A pass over the page processes is under way; one asked for meanwhile
    // is left to the next message or tick.
    bool m_bWatching = false;
};
