// CLoriq3Dlg: the main game window. Holds up to three game pages as tabs;
// every page is a frame of its own page process, re-parented into this window.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "mainwnd/PageRegistry.h"
#include "skin/BtnEx.h"
#include "skin/DlgEx.h"
#include "skin/StaticEx.h"

class CLoriq3Dlg : public CDlgEx {
public:
    explicit CLoriq3Dlg(HWND parent = nullptr);
    ~CLoriq3Dlg() override;

    void ShowPage(HWND frame);
    void CloseTab(int i);
    void ExitAll();
    void LoadHotKeys();
    void SwitchToNextTab();
    void ToggleBossHide();
    void BringToFront();
    void LaunchPageProcess();

    BOOL PreTranslateMessage(MSG* msg) override;

    int PageCount() const { return m_pages.Count(); }
    HWND Page(int i) const { return static_cast<HWND>(m_pages.FrameAt(i)); }
    HWND CurrentPage() const { return static_cast<HWND>(m_pages.CurrentFrame()); }
    int CurrentTab() const { return m_pages.Current(); }
    HWND HallWindow() const { return static_cast<HWND>(m_pages.Hall()); }
    HANDLE PendingPageProcess() const { return m_pages.PendingProcess(); }
    std::vector<HWND> PageFrames() const;

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
    // The tabs: page frames and titles in tab order, the current tab, the
    // hall's frame and the page process that has not registered yet.
    PageRegistry m_pages;
    HIMAGELIST m_tabImages = nullptr;
    HIMAGELIST m_closeImages = nullptr;
    int hotTab = -1;
    int hotPart = -1;
    int tipActive = 0;
    HWND m_tooltip = nullptr;
    int trackingMouse = 0;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void SetUpSkin();
    void SetButtonImage(CBtnEx& button, UINT imageId);
    HIMAGELIST LoadStrip(UINT imageId, int frames);
    void CreateTooltip();
    void AddTrayIcon();
    void DeleteTrayIcon();
    void PlaceCaptionControls(int cx);
    void RepaintRect(int left, int top, int right, int bottom);
    void RepaintTab(int i);
    void RepaintCloseBox(int i);
    void ActivateTip(bool on, const std::wstring& text = L"");

    LRESULT OnCopyData(const COPYDATASTRUCT* cds);
    LRESULT OnRegisterPage(HWND frame, LPARAM kind);
    void OnAddLogin(WPARAM where);
    void OnTrayNotify(LPARAM mouseMessage);
    BOOL OnEraseBkgnd(HDC hdc);
    LRESULT OnNcHitTest(LPARAM lParam);
    void OnTabButtonDown(POINT client);
    void OnTabButtonUp(POINT client, bool middle);
    void OnMouseLeave(bool client);
    LRESULT OnSize(UINT type, int cx, int cy);
    void OnWindowPosChanging(WINDOWPOS* pos);
    void OnTimer(UINT_PTR id);
    void OnPaintIconic();

    bool HallVisible() const {
        HWND hall = HallWindow();
        return hall && ::IsWindow(hall) && ::IsWindowVisible(hall);
    }
    void HideAllPages();
    bool m_bTrayIconAdded = false;
};

// The one main window of this process, for the keyboard hook.
extern CLoriq3Dlg* g_pMainDlg;
