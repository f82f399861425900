// CLoriq3Dlg, the frame of it: set-up, page processes, hot keys, exit, size,
// the 400 ms mute/hall timer, key routing and the message switch.
#include "mainwnd/Loriq3Dlg.h"

#include <memory>

#include "app/Libraries.h"
#include "app/SelfUpdate.h"
#include "app/Paths.h"
#include "app/Process.h"
#include "app/WindowHandle.h"
#include "framework/Handles.h"
#include "mainwnd/CommandLines.h"
#include "mainwnd/HotKeys.h"
#include "mainwnd/KeyboardHook.h"
#include "mainwnd/Messages.h"
#include "mainwnd/TabStrip.h"
#include "res/resource.h"
#include "skin/SkinImage.h"
#include "skin/SkinMessageBox.h"

using namespace tabstrip;
using skin::Rect;

namespace {

// Process-wide, as the window's history: the sound image last shown (the
// template starts with "sound on", i.e. as if muted had been shown) and the
// client width seen by the last resize.
int g_shownMuted = 1;
int g_lastWidth = -1;

POINT ClientPoint(HWND hwnd, LPARAM lParam, bool screen) {
    POINT pt{(short)LOWORD(lParam), (short)HIWORD(lParam)};
    if (screen) ::ScreenToClient(hwnd, &pt);
    return pt;
}

// Messages by which a page, the hall or the player can make the window larger
// or start another page.
bool CanEnlargeOrStartPage(UINT msg) {
    switch (msg) {
    case WM_COPYDATA:
    case UM_REGISTER_PAGE:
    case UM_ADD_LOGIN:
    case UM_HOOK_HOTKEY:
    case UM_TRAY_MENU:
    case UM_TRAY_NOTIFY:
    case WM_SYSCOMMAND:
        return true;
    default:
        return false;
    }
}

}  // namespace

CLoriq3Dlg::CLoriq3Dlg(HWND parent)
    : CDlgEx(IDD_LORIQ3_DIALOG, parent), m_pages([this](PageRegistry::Process p) {
          m_processWatch.Forget(p);
          ::CloseHandle(p);
      }) {}

CLoriq3Dlg::~CLoriq3Dlg() {
    if (m_hIcon) ::DestroyIcon(m_hIcon);
    if (m_hSmallIcon) ::DestroyIcon(m_hSmallIcon);
    RemoveKeyboardHook();
}

BOOL CLoriq3Dlg::OnInitDialog() {
    CDlgEx::OnInitDialog();
    // The page process shows the login, the first thing the player sees (this
    // window stays 1 x 1 until a page registers): unless it was started before
    // this window, it starts as soon as there is a handle to give it, and its
    // start-up runs beside the rest of ours. Its end is watched from the start.
    m_processWatch.SetTarget(m_hWnd, UM_PAGE_PROCESS_ENDED);
    if (PendingPageProcess())
        m_processWatch.Watch(PendingPageProcess());  // launched before there was a window to tell
    else
        LaunchPageProcess();  // watched from its launch on
    // There is a handle: a first page process waiting for it may take this
    // window as its owner now and make its login beside the rest of ours.
    ::SetPropW(m_hWnd, MAIN_WINDOW_MARK, reinterpret_cast<HANDLE>(1));

    HINSTANCE inst = ::GetModuleHandleW(nullptr);
    m_hIcon = (HICON)::LoadImageW(inst, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, ::GetSystemMetrics(SM_CXICON),
                                  ::GetSystemMetrics(SM_CYICON), 0);
    m_hSmallIcon = (HICON)::LoadImageW(inst, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, 16, 16, 0);
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, (LPARAM)m_hIcon);
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, (LPARAM)m_hSmallIcon);

    InstallKeyboardHook(m_hWnd);

    m_osvi.dwOSVersionInfoSize = sizeof m_osvi;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    ::GetVersionExW(&m_osvi);
#pragma GCC diagnostic pop

    SetUpWindow();
    LoadHotKeys();
    // Decoding the skin's images is most of this window's start-up, and none
    // of them shows while the window is 1 x 1: it follows just after the
    // first show, before anything can make the window larger.
    ::PostMessageW(m_hWnd, UM_AFTER_FIRST_SHOW, 0, 0);
    return TRUE;
}

void CLoriq3Dlg::OnAfterFirstShow() {
    if (m_bFirstShowDone || m_bSkinWaiting) return;
    // The page process is starting on the other processor, and its login
    // background is what the player waits for: the skin's decoding waits
    // until that process first waits for input (its background is up), for
    // at most kSkinWaitMs, on a worker so that this window keeps answering.
    // Anything that can enlarge this window finishes it at once.
    // The worker waits on a handle of its own: the tabs may close theirs.
    HANDLE process = nullptr;
    if (PendingPageProcess() && m_uiPost.Create() &&
        ::DuplicateHandle(::GetCurrentProcess(), PendingPageProcess(), ::GetCurrentProcess(), &process,
                          SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, 0)) {
        auto wait = std::make_shared<fw::Handle>(process);
        if (fw::UiPoster::RunAside(
                m_uiPost.Target(), [wait] { ::WaitForInputIdle(wait->Get(), kSkinWaitMs); },
                [this] { FinishFirstShow(); })) {
            m_bSkinWaiting = true;
            return;
        }
    }
    FinishFirstShow();
}

void CLoriq3Dlg::FinishFirstShow() {
    if (m_bFirstShowDone) return;
    m_bFirstShowDone = true;
    StartGdiplus();
    LoadSkinImages();
    // Shown and working: an updating process waiting on this may let go.
    ConfirmUpdatedStart();
}

void CLoriq3Dlg::SetUpWindow() {
    ModifyStyle(0, WS_CLIPCHILDREN);
    SetTitle(L"VexoQuon");
    SetCaptionLayout(kCaptionHeight, kInset, 0, 0, 0);
    m_nTitleWeight = 600;
    m_bResizable = TRUE;
    // In effect invisible until the first page registers.
    ::MoveWindow(m_hWnd, 0, 0, 1, 1, TRUE);

    m_btnHide.SubclassDlgItem(IDC_BTN_HIDE, m_hWnd);
    m_btnSystem.SubclassDlgItem(IDC_BTN_SYSTEM, m_hWnd);
    m_btnSystem.m_crText = RGB(255, 255, 255);
    m_btnSound.SubclassDlgItem(IDC_BTN_SOUND, m_hWnd);
    m_btnHall.SubclassDlgItem(IDC_BTN_HALL, m_hWnd);
    m_lblAddAccount.SubclassDlgItem(IDC_LBL_ADD_ACCOUNT, m_hWnd);
    m_lblAddAccount.ModifyStyle(0, SS_NOTIFY);
    m_lblAddAccount.m_crText = RGB(255, 255, 255);
    m_lblAddAccount.m_bHandCursor = TRUE;
    m_lblAddAccount.m_bUnderline = TRUE;
}

void CLoriq3Dlg::LoadSkinImages() {
    HINSTANCE inst = ::GetModuleHandleW(nullptr);
    HBITMAP close = LoadSkinBitmap(inst, IDB_CLOSE);
    HBITMAP minimize = LoadSkinBitmap(inst, IDB_MINIMIZE);
    SetSkin(LoadSkinBitmap(inst, IDB_MAINDLG_BK), FALSE, TRUE, close, minimize, LoadSkinBitmap(inst, IDB_MAXIMIZE),
            LoadSkinBitmap(inst, IDB_RESTORE));
    if (close) ::DeleteObject(close);  // the buttons keep copies
    if (minimize) ::DeleteObject(minimize);

    SetButtonImage(m_btnHide, IDB_HIDE);
    SetButtonImage(m_btnSystem, IDB_SYSTEM);
    SetButtonImage(m_btnSound, IDB_SOUND_ON);
    SetButtonImage(m_btnHall, IDB_HALL_HIDDEN);
    if (HBITMAP icon = LoadSkinBitmap(inst, IDB_ADDACC_ICON)) {
        m_lblAddAccount.SetImage(icon);
        ::DeleteObject(icon);
    }
    m_tabStrip.Create(m_hWnd);
}

void CLoriq3Dlg::SetButtonImage(CBtnEx& button, UINT imageId) {
    HBITMAP strip = LoadSkinBitmap(::GetModuleHandleW(nullptr), imageId);
    button.SetImage(strip, TRUE);
    if (strip) ::DeleteObject(strip);
}

HANDLE CLoriq3Dlg::StartPageProcess(DWORD* processId) {
    // The page count is of registered frames: a first page (0) minimizes the
    // window on "minimize", a later one gives its login up. Before the window
    // exists, the page gets this process's id and finds the window itself.
    const std::wstring commandLine =
        m_hWnd ? PageProcessCommandLine(ExePath(), WindowHandleNumber(m_hWnd), m_pages.FrameCount())
               : FirstPageProcessCommandLine(ExePath(), ::GetCurrentProcessId());
    HANDLE process = StartProcessKeepHandle(commandLine, processId);
    if (!process) OutputDebugStringW(L"VexoQuon: the page process did not start\n");
    return process;
}

void CLoriq3Dlg::LaunchPageProcess() {
    DWORD pid = 0;
    HANDLE process = StartPageProcess(&pid);
    m_processWatch.Watch(process);  // before the window nothing yet: its set-up watches it
    m_pages.SetPendingProcess(process, pid);
}

void CLoriq3Dlg::LoadHotKeys() {
    bossKey = ReadBossKey();
    switchKey = ReadSwitchKey();
    for (HWND page : PageFrames()) ::PostMessageW(page, UM_PAGE_RELOAD_HOTKEYS, 0, 0);
    if (HallWindow()) ::PostMessageW(HallWindow(), UM_PAGE_RELOAD_HOTKEYS, 0, 0);
    soundKey = ReadSoundKey();
}

void CLoriq3Dlg::AddTrayIcon() {
    m_trayIcon.Add(m_hWnd, kTrayIconId, UM_TRAY_NOTIFY, m_hSmallIcon ? m_hSmallIcon : m_hIcon, L"VexoQuon");
}

void CLoriq3Dlg::ExitAll() {
    m_bExiting = true;
    if (PendingPageProcess()) ::TerminateProcess(PendingPageProcess(), 0);
    m_pages.ClosePendingProcess();
    for (HANDLE login : m_pages.PlaceLogins()) ::TerminateProcess(login, 0);
    RemoveKeyboardHook();
    for (HWND page : PageFrames()) {
        ::SetParent(page, nullptr);
        ::ShowWindow(page, SW_HIDE);
        ::PostMessageW(page, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    m_trayIcon.Delete();
    ::PostQuitMessage(0);
}

void CLoriq3Dlg::OnOK() {
    // Enter never closes the game window.
}

void CLoriq3Dlg::OnCancel() {
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::SetWindowPos(m_hWnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    if (SkinMessageBox(m_hWnd, L"窗口即将关闭，确定要退出游戏？", L"VexoQuon", 4) == IDYES) ExitAll();
}

void CLoriq3Dlg::OnPaintIconic() {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hWnd, &ps);
    ::SendMessageW(m_hWnd, WM_ICONERASEBKGND, (WPARAM)dc, 0);
    RECT r;
    ::GetClientRect(m_hWnd, &r);
    int x = (r.right - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    int y = (r.bottom - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc, x, y, m_hIcon);
    ::EndPaint(m_hWnd, &ps);
}

// ---- size -------------------------------------------------------------------

LRESULT CLoriq3Dlg::OnSize(UINT type, int cx, int cy) {
    Rect area = PageArea(cx, cy);
    if (HWND shown = HallVisible() ? HallWindow() : CurrentPage())
        ::MoveWindow(shown, area.left, area.top, area.Width(), area.Height(), FALSE);

    CDlgEx::OnSize(type, cx, cy);

    if (cx != g_lastWidth) {
        PlaceCaptionControls(cx);
        RedrawSysButtons();
    }
    if (m_osvi.dwMajorVersion < 6 && cx < g_lastWidth) {
        // Old systems leave a trace of the cut corner on the desktop.
        RECT wr;
        ::GetWindowRect(m_hWnd, &wr);
        RECT corner{wr.right - 4, wr.top, wr.right, wr.top + 4};
        ::RedrawWindow(::GetDesktopWindow(), &corner, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }
    g_lastWidth = cx;
    return 0;
}

void CLoriq3Dlg::PlaceCaptionControls(int cx) {
    CaptionControls c = tabstrip::PlaceCaptionControls(cx);
    const struct { CWnd* wnd; Rect r; } items[] = {
        {&m_btnHide, c.hide}, {&m_btnSound, c.sound}, {&m_btnSystem, c.system},
        {&m_btnHall, c.hall}, {&m_lblAddAccount, c.addAccount},
    };
    for (const auto& item : items)
        if (item.wnd->m_hWnd)
            ::MoveWindow(item.wnd->m_hWnd, item.r.left, item.r.top, item.r.Width(), item.r.Height(), TRUE);
}

void CLoriq3Dlg::OnWindowPosChanging(WINDOWPOS* pos) {
    if (m_pages.Empty() || (pos->flags & SWP_NOSIZE) || ::IsIconic(m_hWnd)) return;
    int minWidth = MinWindowWidth(PageCount());
    if (pos->cx < minWidth) pos->cx = minWidth;
    if (pos->cy < kMinWindowHeight) pos->cy = kMinWindowHeight;
}

// ---- timer ------------------------------------------------------------------

void CLoriq3Dlg::OnTimer(UINT_PTR id) {
    if (id == kUpdateDeadlineTimer) {
        // The check took too long: it is stopped and its late answer ignored.
        ::KillTimer(m_hWnd, kUpdateDeadlineTimer);
        if (m_updateTransfer) m_updateTransfer->Cancel();
        OnUpdateChecked(m_nUpdateCheck, UpdateAnswer::Failed);
        ++m_nUpdateCheck;
        return;
    }
    if (id != kMuteTimer) return;
    WatchPageProcesses();
    if (!m_hWnd) return;
    for (HWND page : PageFrames()) ::PostMessageW(page, UM_SET_MUTE, (WPARAM)muted, 0);
    if (muted != g_shownMuted) {
        g_shownMuted = muted;
        SetButtonImage(m_btnSound, muted ? IDB_SOUND_OFF : IDB_SOUND_ON);
        ::InvalidateRect(m_btnSound.m_hWnd, nullptr, TRUE);
    }
    int visible = HallWindow() && ::IsWindowVisible(HallWindow()) ? 1 : 0;
    if (hallShown != visible) {
        hallShown = visible;
        SetButtonImage(m_btnHall, visible ? IDB_HALL_SHOWN : IDB_HALL_HIDDEN);
        ::InvalidateRect(m_btnHall.m_hWnd, nullptr, TRUE);
    }
}

// ---- routing ----------------------------------------------------------------

BOOL CLoriq3Dlg::PreTranslateMessage(MSG* msg) {
    const UINT m = msg->message;
    if ((m == WM_KEYDOWN || m == WM_SYSKEYDOWN) && msg->lParam != SELF_POSTED_MARKER &&
        MatchesHotKey(switchKey, (int)msg->wParam, CurrentModifiersNow())) {
        SwitchToNextTab();
        return TRUE;
    }
    if (m == WM_KEYDOWN && (msg->wParam == VK_ESCAPE || msg->wParam == VK_SPACE)) return TRUE;
    if (m == WM_SYSCOMMAND && (msg->wParam & 0xFFF0) == SC_CLOSE) {
        if (msg->lParam == SELF_POSTED_MARKER) {
            // A page process gave up its login.
            if (m_pages.Empty()) {
                ExitAll();
                return TRUE;
            }
            if (PendingPageProcess()) {
                m_pages.ClosePendingProcess();
                return TRUE;
            }
            // A lost tab's new login: its exit settles the place.
            if (!m_pages.PlaceLogins().empty()) return TRUE;
        } else if (msg->lParam == 0 && m_pages.Empty()) {
            if (PendingPageProcess()) ::TerminateProcess(PendingPageProcess(), 0);
            ExitAll();
            return TRUE;
        }
    }
    bool ctrlD = m == WM_CHAR && LOWORD(msg->wParam) == 4 && HIWORD(msg->lParam) == 0x0020;
    bool f5 = m == WM_KEYDOWN && msg->wParam == VK_F5 && !m_pages.Empty();
    if (ctrlD || f5) {
        HWND current = CurrentPage();
        if (current && ::IsWindowVisible(current))
            ::PostMessageW(current, m, msg->wParam, msg->lParam);
        else if (HallVisible())
            ::PostMessageW(HallWindow(), m, msg->wParam, msg->lParam);
        return TRUE;
    }
    if (m == WM_SYSCOMMAND && (msg->wParam & 0xFFF0) == SC_RESTORE && m_pages.Empty())
        ::ShowWindow(m_hWnd, SW_RESTORE);
    m_tabStrip.RelayEvent(msg);
    return CDlgEx::PreTranslateMessage(msg);
}

LRESULT CLoriq3Dlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == TrayIcon::TaskbarCreatedMessage() && msg != 0) {
        m_trayIcon.OnTaskbarCreated();
        return 0;
    }
    // What follows the first show comes first, should one of these arrive
    // before it.
    if (CanEnlargeOrStartPage(msg)) FinishFirstShow();
    switch (msg) {
    case UM_AFTER_FIRST_SHOW:
        OnAfterFirstShow();
        return 0;
    case UM_PAGE_PROCESS_ENDED:
        WatchPageProcesses();
        return 0;
    case WM_COPYDATA:
        return OnCopyData(reinterpret_cast<HWND>(wParam), reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case UM_REGISTER_PAGE:
        return OnRegisterPage(reinterpret_cast<HWND>(wParam), lParam);
    case UM_RELOAD_HOTKEYS:
        LoadHotKeys();
        return 0;
    case UM_ADD_LOGIN:
        OnAddLogin(wParam);
        return 0;
    case UM_HOOK_HOTKEY:
        OnHookHotKey(static_cast<HookAction>(wParam));
        return 0;
    case UM_TRAY_MENU:
        ShowTrayMenu();
        return 0;
    case UM_TRAY_NOTIFY:
        OnTrayNotify(lParam);
        return 0;
    case WM_ERASEBKGND:
        if (::IsIconic(m_hWnd)) break;
        return OnEraseBkgnd((HDC)wParam);
    case WM_PAINT:
        if (::IsIconic(m_hWnd)) {
            OnPaintIconic();
            return 0;
        }
        break;
    case WM_QUERYDRAGICON:
        return (LRESULT)m_hIcon;
    case WM_NCHITTEST:
        return OnNcHitTest(POINT{(short)LOWORD(lParam), (short)HIWORD(lParam)});
    case WM_LBUTTONDOWN:
    case WM_NCLBUTTONDOWN: {
        POINT pt = ClientPoint(m_hWnd, lParam, msg == WM_NCLBUTTONDOWN);
        if (InTabStrip(pt)) {
            OnTabButtonDown(pt);
            return 0;
        }
        break;
    }
    case WM_LBUTTONUP:
    case WM_NCLBUTTONUP:
    case WM_MBUTTONUP:
    case WM_NCMBUTTONUP: {
        bool screen = msg == WM_NCLBUTTONUP || msg == WM_NCMBUTTONUP;
        POINT pt = ClientPoint(m_hWnd, lParam, screen);
        if (InTabStrip(pt)) {
            OnTabButtonUp(pt, msg == WM_MBUTTONUP || msg == WM_NCMBUTTONUP);
            return 0;
        }
        break;
    }
    case WM_LBUTTONDBLCLK:
    case WM_NCLBUTTONDBLCLK: {
        POINT pt = ClientPoint(m_hWnd, lParam, msg == WM_NCLBUTTONDBLCLK);
        if (InTabStrip(pt)) return 0;
        break;
    }
    case WM_MOUSELEAVE:
        m_tabStrip.OnMouseLeave(true);
        return 0;
    case WM_NCMOUSELEAVE:
        m_tabStrip.OnMouseLeave(false);
        return 0;
    case WM_SIZE:
        return OnSize((UINT)wParam, LOWORD(lParam), HIWORD(lParam));
    case WM_WINDOWPOSCHANGING:
        OnWindowPosChanging(reinterpret_cast<WINDOWPOS*>(lParam));
        break;
    case WM_GETMINMAXINFO:
        if (!m_pages.Empty()) {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMinTrackSize.x = MinWindowWidth(PageCount());
            info->ptMinTrackSize.y = kMinWindowHeight;
        }
        break;
    case WM_TIMER:
        OnTimer(wParam);
        return 0;
    case WM_DESTROY:
        ::RemovePropW(m_hWnd, MAIN_WINDOW_MARK);
        ::KillTimer(m_hWnd, kMuteTimer);
        ::KillTimer(m_hWnd, kUpdateDeadlineTimer);
        if (m_updateTransfer) m_updateTransfer->Cancel();
        m_uiPost.Destroy();
        m_trayIcon.Delete();
        break;
    }
    return CDlgEx::WindowProc(msg, wParam, lParam);
}
