#include "browser/MainFrame.h"

#include "app/Endpoints.h"
#include "app/Loriq3App.h"
#include "browser/FavDlg.h"
#include "browser/GamePage.h"
#include "browser/GmWndView.h"
#include "browser/ProcessMute.h"
#include "framework/BrowserAutomation.h"
#include "mainwnd/HotKeys.h"
#include "mainwnd/Messages.h"

namespace {

constexpr UINT_PTR kOwnerWatchTimer = 2;
constexpr UINT kOwnerWatchMs = 800;
constexpr UINT_PTR kMessageBoxTimer = 5;
constexpr UINT kMessageBoxMs = 130;
constexpr UINT_PTR kForwardTimer = 6;
constexpr UINT kForwardMs = 10;

// Last mute state applied; before the first message, the opposite of its value.
int s_nMuteState = 0;
bool s_bMuteStateKnown = false;

}  // namespace

CMainFrame::~CMainFrame() = default;

BOOL CMainFrame::PreCreateWindow(CREATESTRUCTW& cs) {
    if (!CFrameWnd::PreCreateWindow(cs)) return FALSE;
    cs.hMenu = nullptr;
    cs.cx = 10;
    cs.cy = 10;
    return TRUE;
}

int CMainFrame::OnCreate(CREATESTRUCTW* cs) {
    ModifyStyle(WS_CAPTION | WS_THICKFRAME, 0);
    ModifyStyleEx(WS_EX_CLIENTEDGE | WS_EX_APPWINDOW, WS_EX_TOOLWINDOW);
    if (CFrameWnd::OnCreate(cs) == -1) return -1;
    ::SetWindowPos(m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    if (::IsWindow(g_hOwnerWnd)) {
        LPARAM kind = g_strGameUrl == HallPageUrl() ? 1 : 0;
        ::PostMessageW(g_hOwnerWnd, UM_REGISTER_PAGE, reinterpret_cast<WPARAM>(m_hWnd), kind);
        // A child window proper, so that it is laid out and clipped inside the
        // main window like any child.
        ModifyStyle(WS_POPUP, WS_CHILD);
        ::SetParent(m_hWnd, g_hOwnerWnd);
    }
    LoadPageHotKeys();
    ::SetTimer(m_hWnd, kOwnerWatchTimer, kOwnerWatchMs, nullptr);
    return 0;
}

void CMainFrame::OpenFavourites() {
    CLoriq3App* app = dynamic_cast<CLoriq3App*>(CWinApp::Get());
    CFavDlg dlg(app ? app->m_strPageTitle : std::wstring(), app ? app->m_strPageUrl : std::wstring(), g_hOwnerWnd);
    dlg.DoModal();
}

void CMainFrame::RefreshPage() {
    if (g_pGameView) g_pGameView->Refresh();
}

BOOL CMainFrame::PreTranslateMessage(MSG* msg) {
    const UINT m = msg->message;
    if ((m == WM_KEYDOWN || m == WM_SYSKEYDOWN) && msg->lParam != SELF_POSTED_MARKER &&
        MatchesHotKey(switchKey, static_cast<int>(msg->wParam), CurrentModifiersNow())) {
        ::PostMessageW(g_hOwnerWnd, m, msg->wParam, msg->lParam);
        return TRUE;
    }
    if (m == WM_CHAR && msg->wParam == 4 && HIWORD(msg->lParam) == 0x0020) {
        OpenFavourites();
        return TRUE;
    }
    if (m == WM_KEYDOWN && msg->wParam == VK_F5) {
        if (F5Refreshes(bossKey, soundKey, msg->lParam == SELF_POSTED_MARKER)) RefreshPage();
        return TRUE;
    }
    if (m == WM_SYSCOMMAND && (msg->wParam & 0xFFF0) == SC_CLOSE)
        ::SetTimer(m_hWnd, kMessageBoxTimer, kMessageBoxMs, nullptr);  // and on to the default close
    return CFrameWnd::PreTranslateMessage(msg);
}

LRESULT CMainFrame::OnSetMute(WPARAM muted) {
    if (TakeMuteMessage(static_cast<int>(muted), s_nMuteState, s_bMuteStateKnown)) SetProcessMute(s_nMuteState);
    return 0;
}

void CMainFrame::OnTimer(UINT_PTR id) {
    switch (id) {
    case kOwnerWatchTimer:
        if (!::IsWindow(g_hOwnerWnd)) ::PostQuitMessage(0);
        break;
    case kMessageBoxTimer: {
        ::KillTimer(m_hWnd, kMessageBoxTimer);
        // Message boxes a page raises while it is closed would hold the close up.
        HWND box = ::FindWindowW(L"#32770", L"来自网页的消息");
        if (!box) box = ::FindWindowW(L"#32770", L"Windows Internet Explorer");
        if (!box) box = ::FindWindowW(L"#32770", L"Microsoft Internet Explorer");
        if (box) ::DestroyWindow(box);
        break;
    }
    case kForwardTimer: {
        ::KillTimer(m_hWnd, kForwardTimer);
        // The game was clicked: bring the main window (another process) forward.
        DWORD ownerThread = ::GetWindowThreadProcessId(g_hOwnerWnd, nullptr);
        DWORD foregroundThread = ::GetWindowThreadProcessId(::GetForegroundWindow(), nullptr);
        bool attached = ownerThread && foregroundThread && ownerThread != foregroundThread &&
                        ::AttachThreadInput(ownerThread, foregroundThread, TRUE);
        const UINT flags = SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE;
        ::SetWindowPos(g_hOwnerWnd, HWND_TOPMOST, 0, 0, 0, 0, flags);
        ::SetWindowPos(g_hOwnerWnd, HWND_NOTOPMOST, 0, 0, 0, 0, flags);
        if (attached) ::AttachThreadInput(ownerThread, foregroundThread, FALSE);
        break;
    }
    }
}

LRESULT CMainFrame::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_TIMER: {
        LRESULT result = CFrameWnd::WindowProc(msg, wParam, lParam);
        OnTimer(wParam);
        return result;
    }
    case UM_SET_MUTE:
        return OnSetMute(wParam);
    case UM_PAGE_RELOAD_HOTKEYS:
        LoadPageHotKeys();
        return 0;
#if VEXO_TEST_AUTOMATION
    case WM_COPYDATA: {
        // This process's own mute control: nobody else can read it.
        auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (cds && cds->dwData == kBrowserAutomationSpeakersMute) return ReadMixerLineMute(kMixerLineSpeakers) + 1;
        break;
    }
#endif
    case WM_MOUSEACTIVATE:
        ::SetTimer(m_hWnd, kForwardTimer, kForwardMs, nullptr);
        break;
    }
    return CFrameWnd::WindowProc(msg, wParam, lParam);
}
