#include "mainwnd/Loriq3Dlg.h"

#include <shellapi.h>

#include "app/Endpoints.h"
#include "app/Paths.h"
#include "app/Process.h"
#include "app/StatReport.h"
#include "app/WindowHandle.h"
#include "mainwnd/CommandLines.h"
#include "mainwnd/HotKeys.h"
#include "mainwnd/Messages.h"
#include "mainwnd/TabStrip.h"
#include "res/resource.h"
#include "skin/SkinImage.h"
#include "skin/SkinMessageBox.h"

using namespace tabstrip;
using skin::Rect;

CLoriq3Dlg* g_pMainDlg = nullptr;

namespace {

constexpr UINT_PTR kMuteTimer = 3;
constexpr UINT kMuteTimerMs = 400;
constexpr UINT kTrayIconId = 1;

HHOOK g_hKeyboardHook = nullptr;
// Process-wide, as the window's history: the sound image last shown (the
// template starts with "sound on", i.e. as if muted had been shown) and the
// client width seen by the last resize.
int g_shownMuted = 1;
int g_lastWidth = -1;

// The boss and sound keys work whichever program has the focus, so the
// modifiers are read from the keyboard itself rather than from this thread's
// key state. The key is always passed on.
LRESULT CALLBACK KeyboardHookProc(int code, WPARAM wParam, LPARAM lParam) {
    CLoriq3Dlg* dlg = g_pMainDlg;
    if (code == HC_ACTION && dlg && dlg->PageCount() > 0 && (wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN)) {
        const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        auto down = [](int vk) { return (::GetAsyncKeyState(vk) & 0x8000) != 0; };
        int modifiers = CurrentModifiers(down(VK_CONTROL), down(VK_SHIFT), down(VK_MENU));
        if (MatchesHotKey(bossKey, (int)key->vkCode, modifiers))
            dlg->ToggleBossHide();
        else if (MatchesHotKey(soundKey, (int)key->vkCode, modifiers))
            dlg->muted = dlg->muted ? 0 : 1;
    }
    return ::CallNextHookEx(g_hKeyboardHook, code, wParam, lParam);
}

RECT ToRECT(const Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

POINT ClientPoint(HWND hwnd, LPARAM lParam, bool screen) {
    POINT pt{(short)LOWORD(lParam), (short)HIWORD(lParam)};
    if (screen) ::ScreenToClient(hwnd, &pt);
    return pt;
}

}  // namespace

CLoriq3Dlg::CLoriq3Dlg(HWND parent)
    : CDlgEx(IDD_LORIQ3_DIALOG, parent), m_pages([](PageRegistry::Process p) { ::CloseHandle(p); }) {}

CLoriq3Dlg::~CLoriq3Dlg() {
    if (m_tabImages) ImageList_Destroy(m_tabImages);
    if (m_closeImages) ImageList_Destroy(m_closeImages);
    if (m_hIcon) ::DestroyIcon(m_hIcon);
    if (m_hSmallIcon) ::DestroyIcon(m_hSmallIcon);
    if (g_hKeyboardHook) {
        ::UnhookWindowsHookEx(g_hKeyboardHook);
        g_hKeyboardHook = nullptr;
    }
    if (g_pMainDlg == this) g_pMainDlg = nullptr;
}

BOOL CLoriq3Dlg::OnInitDialog() {
    CDlgEx::OnInitDialog();
    g_pMainDlg = this;

    HINSTANCE inst = ::GetModuleHandleW(nullptr);
    m_hIcon = (HICON)::LoadImageW(inst, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, ::GetSystemMetrics(SM_CXICON),
                                  ::GetSystemMetrics(SM_CYICON), 0);
    m_hSmallIcon = (HICON)::LoadImageW(inst, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, 16, 16, 0);
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, (LPARAM)m_hIcon);
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, (LPARAM)m_hSmallIcon);

    g_hKeyboardHook = ::SetWindowsHookExW(WH_KEYBOARD_LL, KeyboardHookProc, inst, 0);

    m_osvi.dwOSVersionInfoSize = sizeof m_osvi;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    ::GetVersionExW(&m_osvi);
#pragma GCC diagnostic pop

    SetUpSkin();
    LaunchPageProcess();
    LoadHotKeys();
    return TRUE;
}

void CLoriq3Dlg::SetUpSkin() {
    ModifyStyle(0, WS_CLIPCHILDREN);
    SetTitle(L"VexoQuon");
    m_nCaptionHeight = kCaptionHeight;
    m_nBorder = kInset;
    m_nBtnRightMargin = m_nBtnTop = m_nBtnGap = 0;
    m_nTitleWeight = 600;

    HINSTANCE inst = ::GetModuleHandleW(nullptr);
    HBITMAP close = LoadSkinBitmap(inst, IDB_CLOSE);
    HBITMAP minimize = LoadSkinBitmap(inst, IDB_MINIMIZE);
    SetSkin(LoadSkinBitmap(inst, IDB_MAINDLG_BK), FALSE, TRUE, close, minimize, LoadSkinBitmap(inst, IDB_MAXIMIZE),
            LoadSkinBitmap(inst, IDB_RESTORE));
    if (close) ::DeleteObject(close);  // the buttons keep copies
    if (minimize) ::DeleteObject(minimize);
    m_bResizable = TRUE;
    // In effect invisible until the first page registers.
    ::MoveWindow(m_hWnd, 0, 0, 1, 1, TRUE);

    m_btnHide.SubclassDlgItem(1001, m_hWnd);
    SetButtonImage(m_btnHide, IDB_HIDE);
    m_btnSystem.SubclassDlgItem(1003, m_hWnd);
    SetButtonImage(m_btnSystem, IDB_SYSTEM);
    m_btnSystem.m_crText = RGB(255, 255, 255);
    m_btnSound.SubclassDlgItem(1002, m_hWnd);
    SetButtonImage(m_btnSound, IDB_SOUND_ON);
    m_btnHall.SubclassDlgItem(1004, m_hWnd);
    SetButtonImage(m_btnHall, IDB_HALL_HIDDEN);

    m_lblAddAccount.SubclassDlgItem(1005, m_hWnd);
    m_lblAddAccount.ModifyStyle(0, SS_NOTIFY);
    if (HBITMAP icon = LoadSkinBitmap(inst, IDB_ADDACC_ICON)) {
        m_lblAddAccount.SetImage(icon);
        ::DeleteObject(icon);
    }
    m_lblAddAccount.m_crText = RGB(255, 255, 255);
    m_lblAddAccount.m_bHandCursor = TRUE;
    m_lblAddAccount.m_bUnderline = TRUE;

    m_tabImages = LoadStrip(IDB_TABS, 3);
    m_closeImages = LoadStrip(IDB_TAB_CLOSE, 3);
    CreateTooltip();
}

void CLoriq3Dlg::SetButtonImage(CBtnEx& button, UINT imageId) {
    HBITMAP strip = LoadSkinBitmap(::GetModuleHandleW(nullptr), imageId);
    button.SetImage(strip, TRUE);
    if (strip) ::DeleteObject(strip);
}

HIMAGELIST CLoriq3Dlg::LoadStrip(UINT imageId, int frames) {
    HBITMAP strip = LoadSkinBitmap(::GetModuleHandleW(nullptr), imageId);
    if (!strip) return nullptr;
    SIZE size = SkinBitmapSize(strip);
    HIMAGELIST list = ImageList_Create(size.cx / frames, size.cy, ILC_COLOR24 | ILC_MASK, frames, 0);
    if (list) ImageList_AddMasked(list, strip, kSkinKey);
    ::DeleteObject(strip);
    return list;
}

void CLoriq3Dlg::CreateTooltip() {
    m_tooltip = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr);
    if (!m_tooltip) return;
    TOOLINFOW ti{};
    ti.cbSize = sizeof ti;
    ti.uFlags = TTF_IDISHWND;
    ti.hwnd = m_hWnd;
    ti.uId = (UINT_PTR)m_hWnd;
    ti.lpszText = LPSTR_TEXTCALLBACKW;
    ::SendMessageW(m_tooltip, TTM_ADDTOOLW, 0, (LPARAM)&ti);
    ::SendMessageW(m_tooltip, TTM_SETDELAYTIME, TTDT_AUTOMATIC, 500);
    ::SendMessageW(m_tooltip, TTM_ACTIVATE, FALSE, 0);
}

void CLoriq3Dlg::ActivateTip(bool on, const std::wstring& text) {
    if (!m_tooltip) return;
    if (on) {
        TOOLINFOW ti{};
        ti.cbSize = sizeof ti;
        ti.uFlags = TTF_IDISHWND;
        ti.hwnd = m_hWnd;
        ti.uId = (UINT_PTR)m_hWnd;
        std::wstring copy = text;
        ti.lpszText = &copy[0];
        ::SendMessageW(m_tooltip, TTM_UPDATETIPTEXTW, 0, (LPARAM)&ti);
    }
    ::SendMessageW(m_tooltip, TTM_ACTIVATE, on ? TRUE : FALSE, 0);
    tipActive = on ? 1 : 0;
}

void CLoriq3Dlg::LaunchPageProcess() {
    HANDLE process = StartProcessKeepHandle(PageProcessCommandLine(ExePath(), WindowHandleNumber(m_hWnd), PageCount()));
    if (!process) OutputDebugStringW(L"VexoQuon: the page process did not start\n");
    m_pages.SetPendingProcess(process);
}

void CLoriq3Dlg::LoadHotKeys() {
    bossKey = ReadBossKey();
    switchKey = ReadSwitchKey();
    for (HWND page : PageFrames()) ::PostMessageW(page, UM_PAGE_RELOAD_HOTKEYS, 0, 0);
    if (HallWindow()) ::PostMessageW(HallWindow(), UM_PAGE_RELOAD_HOTKEYS, 0, 0);
    soundKey = ReadSoundKey();
}

void CLoriq3Dlg::ToggleBossHide() {
    if (IsWindowVisible()) {
        // The pages are child windows and disappear with it; the tray icon stays.
        ShowWindow(SW_HIDE);
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

BOOL CLoriq3Dlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (HIWORD(wParam) == BN_CLICKED) {
        switch (LOWORD(wParam)) {
        case 1001:
            ToggleBossHide();
            return TRUE;
        case 1002:
            muted = muted ? 0 : 1;  // the button's image follows on the next tick
            return TRUE;
        }
    }
    return CDlgEx::OnCommand(wParam, lParam);
}

void CLoriq3Dlg::OnTrayNotify(LPARAM mouseMessage) {
    if (mouseMessage == WM_LBUTTONUP)
        ToggleBossHide();
    else if (mouseMessage == WM_RBUTTONUP)
        ::PostMessageW(m_hWnd, UM_TRAY_MENU, 0, 0);
}

void CLoriq3Dlg::SwitchToNextTab() {
    if (m_pages.Empty() || !IsWindowVisible() || ::IsIconic(m_hWnd)) return;
    if (PageCount() > 1 && !HallVisible()) {
        RepaintTab(CurrentTab());
        m_pages.SelectNext();
        RepaintTab(CurrentTab());
    }
    ShowPage(CurrentPage());
}

void CLoriq3Dlg::ShowPage(HWND frame) {
    for (HWND page : PageFrames()) {
        if (page != frame) {
            ::ShowWindow(page, SW_HIDE);
            continue;
        }
        RECT client;
        ::GetClientRect(m_hWnd, &client);
        Rect area = PageArea(client.right, client.bottom);
        ::MoveWindow(page, area.left, area.top, area.Width(), area.Height(), FALSE);
        ::ShowWindow(page, SW_SHOW);
        ::SetForegroundWindow(page);
        if (HallVisible()) ::ShowWindow(HallWindow(), SW_HIDE);
    }
}

std::vector<HWND> CLoriq3Dlg::PageFrames() const {
    std::vector<HWND> frames;
    for (void* frame : m_pages.Frames()) frames.push_back(static_cast<HWND>(frame));
    return frames;
}

void CLoriq3Dlg::HideAllPages() {
    for (HWND page : PageFrames()) ::ShowWindow(page, SW_HIDE);
}

void CLoriq3Dlg::RepaintRect(int left, int top, int right, int bottom) {
    RECT r{left, top, right, bottom};
    ::InvalidateRect(m_hWnd, &r, TRUE);
}

void CLoriq3Dlg::RepaintTab(int i) {
    RECT r = ToRECT(TabRepaintRect(i));
    ::InvalidateRect(m_hWnd, &r, TRUE);
}

void CLoriq3Dlg::RepaintCloseBox(int i) {
    RECT r = ToRECT(CloseBoxRect(i));
    ::InvalidateRect(m_hWnd, &r, TRUE);
}

void CLoriq3Dlg::AddTrayIcon() {
    if (m_bTrayIconAdded) return;
    NOTIFYICONDATAW nid{};
    nid.cbSize = sizeof nid;
    nid.hWnd = m_hWnd;
    nid.uID = kTrayIconId;
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    nid.uCallbackMessage = UM_TRAY_NOTIFY;
    nid.hIcon = m_hSmallIcon ? m_hSmallIcon : m_hIcon;
    wcscpy_s(nid.szTip, L"VexoQuon");
    m_bTrayIconAdded = ::Shell_NotifyIconW(NIM_ADD, &nid) != FALSE;
}

void CLoriq3Dlg::DeleteTrayIcon() {
    NOTIFYICONDATAW nid{};
    nid.cbSize = sizeof nid;
    nid.hWnd = m_hWnd;
    nid.uID = kTrayIconId;
    ::Shell_NotifyIconW(NIM_DELETE, &nid);
    m_bTrayIconAdded = false;
}

// ---- messages from page processes -----------------------------------------

LRESULT CLoriq3Dlg::OnCopyData(const COPYDATASTRUCT* cds) {
    // The sender's string need not be terminated within what it sent: read at
    // most cbData bytes.
    std::wstring title;
    if (cds && cds->lpData) {
        const auto* text = static_cast<const wchar_t*>(cds->lpData);
        std::size_t maxChars = cds->cbData / sizeof(wchar_t);
        std::size_t n = 0;
        while (n < maxChars && text[n]) ++n;
        title.assign(text, n);
    }
    if (!m_pages.AcceptTitle(title)) return FALSE;
    StartLoginReport(AccountIdOfTitle(title), m_pages.TitleCount());
    return TRUE;
}

LRESULT CLoriq3Dlg::OnRegisterPage(HWND frame, LPARAM kind) {
    if (m_pages.Empty()) {
        if (!m_bMaximized) OnBtnMax();
        AddTrayIcon();
        ::SetTimer(m_hWnd, kMuteTimer, kMuteTimerMs, nullptr);
    }
    if (kind != 0) {
        m_pages.SetHall(frame);
        return 0;
    }
    HideAllPages();
    if (HallWindow() && ::IsWindow(HallWindow())) ::ShowWindow(HallWindow(), SW_HIDE);
    m_pages.RegisterPage(frame);
    Rect strip = StripRepaintRect(PageCount());
    RepaintRect(strip.left, strip.top, strip.right, strip.bottom);
    return 0;
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

// ---- tabs -----------------------------------------------------------------

void CLoriq3Dlg::CloseTab(int i) {
    if (!m_pages.IsValidIndex(i)) return;
    if (PageCount() < 2) {
        RepaintCloseBox(i);
        hotTab = hotPart = -1;
        OnCancel();
        return;
    }
    std::wstring question = L"确定要退出账号：" + m_pages.TitleAt(i) + L" ?";
    if (SkinMessageBox(m_hWnd, question.c_str(), L"VexoQuon", 4) != IDYES) {
        RepaintTab(i);
        hotTab = hotPart = -1;
        return;
    }
    HWND removed = static_cast<HWND>(m_pages.Close(i));
    ShowPage(CurrentPage());
    ::SetParent(removed, nullptr);
    ::PostMessageW(removed, WM_SYSCOMMAND, SC_CLOSE, 0);
    hotTab = hotPart = -1;
    Rect strip = StripAfterCloseRect(PageCount());
    RepaintRect(strip.left, strip.top, strip.right, strip.bottom);
}

void CLoriq3Dlg::ExitAll() {
    if (PendingPageProcess()) ::TerminateProcess(PendingPageProcess(), 0);
    m_pages.ClosePendingProcess();
    if (g_hKeyboardHook) {
        ::UnhookWindowsHookEx(g_hKeyboardHook);
        g_hKeyboardHook = nullptr;
    }
    for (HWND page : PageFrames()) {
        ::SetParent(page, nullptr);
        ::ShowWindow(page, SW_HIDE);
        ::PostMessageW(page, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    DeleteTrayIcon();
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

// ---- drawing ----------------------------------------------------------------

BOOL CLoriq3Dlg::OnEraseBkgnd(HDC hdc) {
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    const int w = client.right, h = client.bottom;
    if (w <= 0 || h <= 0) return TRUE;
    fw::MemDC mem(::CreateCompatibleDC(hdc));
    fw::Bitmap canvas(::CreateCompatibleBitmap(hdc, w, h));
    if (!mem || !canvas) return CDlgEx::OnEraseBkgnd(hdc);
    fw::SelectObj selCanvas(mem.Get(), canvas.Get());
    CDlgEx::OnEraseBkgnd(mem.Get());

    LOGFONTW lf{};
    HFONT base = (HFONT)::SendMessageW(m_hWnd, WM_GETFONT, 0, 0);
    ::GetObjectW(base ? (HGDIOBJ)base : ::GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
    lf.lfHeight = -12;
    lf.lfWidth = 0;
    fw::Font font(::CreateFontIndirectW(&lf));
    fw::SelectObj selFont(mem.Get(), font.Get());
    ::SetBkMode(mem.Get(), TRANSPARENT);

    auto measure = [&](const std::wstring& s) {
        SIZE size{};
        ::GetTextExtentPoint32W(mem.Get(), s.c_str(), (int)s.size(), &size);
        return (int)size.cx;
    };
    for (int i = 0; i < PageCount(); ++i) {
        int frame = i == CurrentTab() ? 2 : i == hotTab ? 1 : 0;
        Rect tab = TabImageRect(i);
        if (m_tabImages)
            ImageList_DrawEx(m_tabImages, frame, mem.Get(), tab.left, tab.top, tab.Width(), tab.Height(), CLR_NONE,
                             CLR_NONE, ILD_TRANSPARENT);
        if (i == hotTab && hotPart >= 0 && m_closeImages) {
            Rect box = CloseBoxRect(i);
            ImageList_DrawEx(m_closeImages, hotPart, mem.Get(), box.left, box.top, box.Width(), box.Height(),
                             CLR_NONE, CLR_NONE, ILD_TRANSPARENT);
        }
        std::wstring text = DisplayTitle(m_pages.TitleAt(i), measure);
        RECT tr = ToRECT(TabTextRect(i));
        ::DrawTextW(mem.Get(), text.c_str(), (int)text.size(), &tr, DT_SINGLELINE | DT_NOPREFIX);
    }
    ::BitBlt(hdc, 0, 0, w, h, mem.Get(), 0, 0, SRCCOPY);
    return TRUE;
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

// ---- mouse ------------------------------------------------------------------

LRESULT CLoriq3Dlg::OnNcHitTest(LPARAM lParam) {
    POINT screen{(short)LOWORD(lParam), (short)HIWORD(lParam)};
    LRESULT hit = CDlgEx::OnNcHitTest(screen);
    POINT pt = screen;
    ::ScreenToClient(m_hWnd, &pt);
    if (InHitZone(pt.x, pt.y, PageCount())) {
        int i = TabIndexAt(pt.x);
        if (!tipActive)
            ActivateTip(true, m_pages.TitleAt(i));
        else if (i != hotTab)
            ActivateTip(false);
        int part = 0;
        if (InCloseBox(i, pt.x, pt.y)) {
            part = (::GetKeyState(VK_LBUTTON) & 0x8000) ? 2 : 1;
            ActivateTip(false);
        }
        if (i != hotTab || part != hotPart) {
            if (hotTab >= 0) {
                if (hotTab == i)
                    RepaintCloseBox(hotTab);
                else
                    RepaintTab(hotTab);
            }
            bool otherTab = hotTab != i;
            hotTab = i;
            hotPart = part;
            if (otherTab) RepaintTab(i);
        }
        if (!trackingMouse) {
            // Over the caption band the pointer is in the non-client area, so
            // leaving is reported as a non-client leave.
            TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE | (hit == HTCAPTION ? TME_NONCLIENT : 0u), m_hWnd, 0};
            if (::TrackMouseEvent(&tme) && hit != HTCAPTION) trackingMouse = 1;
        }
    } else {
        if (hotTab >= 0) RepaintTab(hotTab);
        hotTab = hotPart = -1;
        ActivateTip(false);
    }
    return hit;
}

void CLoriq3Dlg::OnTabButtonDown(POINT pt) {
    int i = TabIndexAt(pt.x);
    if (!m_pages.IsValidIndex(i)) return;
    int old = CurrentTab();
    if (m_pages.Select(i)) {
        ShowPage(Page(i));
        RepaintTab(old);
        RepaintTab(i);
    } else if (HallVisible()) {
        ShowPage(Page(i));
    }
    if (InCloseBox(i, pt.x, pt.y)) {
        hotTab = i;
        hotPart = 2;
        RepaintCloseBox(i);
    }
}

void CLoriq3Dlg::OnTabButtonUp(POINT pt, bool middle) {
    int i = TabIndexAt(pt.x);
    if (middle || InCloseBox(i, pt.x, pt.y)) CloseTab(i);
}

void CLoriq3Dlg::OnMouseLeave(bool client) {
    if (hotTab >= 0) {
        RepaintTab(hotTab);
        hotTab = hotPart = -1;
    }
    if (client) trackingMouse = 0;
}

// ---- size -------------------------------------------------------------------

LRESULT CLoriq3Dlg::OnSize(UINT type, int cx, int cy) {
    Rect area = PageArea(cx, cy);
    HWND shown = HallVisible() ? HallWindow() : CurrentPage();
    if (shown) ::MoveWindow(shown, area.left, area.top, area.Width(), area.Height(), FALSE);

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
    if (id != kMuteTimer) return;
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
    if (m_tooltip && m >= WM_MOUSEFIRST && m <= WM_MOUSELAST)
        ::SendMessageW(m_tooltip, TTM_RELAYEVENT, 0, (LPARAM)msg);
    return CDlgEx::PreTranslateMessage(msg);
}

LRESULT CLoriq3Dlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COPYDATA:
        return OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case UM_REGISTER_PAGE:
        return OnRegisterPage(reinterpret_cast<HWND>(wParam), lParam);
    case UM_RELOAD_HOTKEYS:
        LoadHotKeys();
        return 0;
    case UM_ADD_LOGIN:
        OnAddLogin(wParam);
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
        return OnNcHitTest(lParam);
    case WM_LBUTTONDOWN:
    case WM_NCLBUTTONDOWN: {
        POINT pt = ClientPoint(m_hWnd, lParam, msg == WM_NCLBUTTONDOWN);
        if (InHitZone(pt.x, pt.y, PageCount())) {
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
        if (InHitZone(pt.x, pt.y, PageCount())) {
            OnTabButtonUp(pt, msg == WM_MBUTTONUP || msg == WM_NCMBUTTONUP);
            return 0;
        }
        break;
    }
    case WM_LBUTTONDBLCLK:
    case WM_NCLBUTTONDBLCLK: {
        POINT pt = ClientPoint(m_hWnd, lParam, msg == WM_NCLBUTTONDBLCLK);
        if (InHitZone(pt.x, pt.y, PageCount())) return 0;
        break;
    }
    case WM_MOUSELEAVE:
        OnMouseLeave(true);
        return 0;
    case WM_NCMOUSELEAVE:
        OnMouseLeave(false);
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
        ::KillTimer(m_hWnd, kMuteTimer);
        if (m_bTrayIconAdded) DeleteTrayIcon();
        break;
    }
    return CDlgEx::WindowProc(msg, wParam, lParam);
}
