// CLoriq3Dlg, the tabs: pages arriving (title, then frame), showing,
// switching and closing them, page processes that are lost, and the tab
// strip's drawing and mouse.
#include "mainwnd/Loriq3Dlg.h"

#include <cwchar>
#include <utility>
#include <vector>

#include "app/Endpoints.h"
#include "app/StatReport.h"
#include "framework/Handles.h"
#include "mainwnd/Messages.h"
#include "mainwnd/TabStrip.h"
#include "skin/SkinMessageBox.h"

using namespace tabstrip;

// ---- pages arriving ---------------------------------------------------------

namespace {

// The process of a window of another process; 0 for none or for our own.
DWORD OtherProcessOf(HWND wnd) {
    DWORD pid = 0;
    if (wnd && ::IsWindow(wnd)) ::GetWindowThreadProcessId(wnd, &pid);
    return pid == ::GetCurrentProcessId() ? 0 : pid;
}

bool ProcessEnded(DWORD pid) {
    fw::Handle process(::OpenProcess(SYNCHRONIZE, FALSE, pid));
    return !process || ::WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0;
}

bool Signalled(HANDLE process) { return process && ::WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }

struct OwnedDialogSearch {
    HWND owner;
    HWND skip;
    bool found;
};

BOOL CALLBACK FindOwnedDialog(HWND wnd, LPARAM param) {
    auto* search = reinterpret_cast<OwnedDialogSearch*>(param);
    if (wnd == search->skip || ::GetWindow(wnd, GW_OWNER) != search->owner) return TRUE;
    wchar_t cls[8] = {};
    ::GetClassNameW(wnd, cls, 8);
    if (wcscmp(cls, L"#32770") != 0) return TRUE;
    search->found = true;
    return FALSE;
}

}  // namespace

LRESULT CLoriq3Dlg::OnCopyData(HWND sender, const COPYDATASTRUCT* cds) {
    if (!cds || !cds->lpData || cds->cbData < sizeof(wchar_t)) return FALSE;
    // The sender's string need not be terminated within what it sent: read at
    // most cbData bytes.
    const auto* text = static_cast<const wchar_t*>(cds->lpData);
    std::size_t maxChars = cds->cbData / sizeof(wchar_t);
    std::size_t n = 0;
    while (n < maxChars && text[n]) ++n;
    std::wstring title(text, n);
    // A page that names its window in wParam is told apart by its process,
    // so that its title goes to its own frame; 0 pairs by login order.
    if (!m_pages.AcceptTitle(title, OtherProcessOf(sender))) return FALSE;
    StartLoginReport(AccountIdOfTitle(title), m_pages.TitleCount());
    return TRUE;
}

LRESULT CLoriq3Dlg::OnRegisterPage(HWND frame, LPARAM kind) {
    // Only a window of another process can be a page: not a null handle, not
    // a stale number, not one of our own windows.
    DWORD pid = OtherProcessOf(frame);
    if (!pid) return 0;
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
    int i = m_pages.RegisterPage(frame, pid);
    // A frame of a process this window did not start is watched too.
    if (!m_pages.ProcessAt(i)) {
        HANDLE process = ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid);
        if (process) {
            m_processWatch.Watch(process);
            m_pages.AdoptProcess(i, process);
        }
        else ::OutputDebugStringW(L"VexoQuon: a page's process cannot be watched; its frame is\n");
    }
    m_tabStrip.Repaint(StripRepaintRect(PageCount()));
    return 0;
}

// ---- showing and switching --------------------------------------------------

std::vector<HWND> CLoriq3Dlg::PageFrames() const {
    std::vector<HWND> frames;
    for (void* frame : m_pages.Frames()) frames.push_back(static_cast<HWND>(frame));
    return frames;
}

void CLoriq3Dlg::HideAllPages() {
    for (HWND page : PageFrames()) ::ShowWindow(page, SW_HIDE);
}

void CLoriq3Dlg::MoveToPageArea(HWND wnd) {
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    skin::Rect area = PageArea(client.right, client.bottom);
    ::MoveWindow(wnd, area.left, area.top, area.Width(), area.Height(), FALSE);
}

void CLoriq3Dlg::ShowPage(HWND frame) {
    for (HWND page : PageFrames()) {
        if (page != frame) {
            ::ShowWindow(page, SW_HIDE);
            continue;
        }
        MoveToPageArea(page);
        ::ShowWindow(page, SW_SHOW);
        ::SetForegroundWindow(page);
        if (HallVisible()) ::ShowWindow(HallWindow(), SW_HIDE);
    }
}

void CLoriq3Dlg::SwitchToNextTab() {
    if (m_pages.Empty() || !IsWindowVisible() || ::IsIconic(m_hWnd)) return;
    if (PageCount() > 1 && !HallVisible()) {
        m_tabStrip.RepaintTab(CurrentTab());
        m_pages.SelectNext();
        m_tabStrip.RepaintTab(CurrentTab());
    }
    // With the hall shown this brings the current tab back instead.
    ShowPage(CurrentPage());
}

void CLoriq3Dlg::SelectTab(int i) {
    if (!m_pages.IsValidIndex(i)) return;
    int old = CurrentTab();
    if (m_pages.Select(i)) {
        ShowPage(Page(i));
        m_tabStrip.RepaintTab(old);
        m_tabStrip.RepaintTab(i);
    } else if (HallVisible()) {
        ShowPage(Page(i));
    }
}

// ---- closing ----------------------------------------------------------------

void CLoriq3Dlg::CloseTab(int i) {
    if (!m_pages.IsValidIndex(i)) return;
    if (PageCount() < 2) {
        // The last tab's close box asks to leave the game instead.
        m_tabStrip.ResetHot(i, true);
        OnCancel();
        return;
    }
    std::wstring question = L"确定要退出账号：" + m_pages.TitleAt(i) + L" ?";
    HWND asked = Page(i);
    if (SkinMessageBox(m_hWnd, question.c_str(), L"VexoQuon", 4) != IDYES) {
        m_tabStrip.ResetHot(i, false);
        return;
    }
    // A page lost while the question was up has changed the tabs: the answer
    // is no longer about tab i.
    if (Page(i) != asked || !m_pages.IsValidIndex(i)) {
        m_tabStrip.ClearHot();
        return;
    }
    // A lost tab's new login goes with its tab.
    if (m_pages.IsReconnecting(i) && m_pages.ProcessAt(i)) ::TerminateProcess(m_pages.ProcessAt(i), 0);
    HWND removed = static_cast<HWND>(m_pages.Close(i));
    ShowPage(CurrentPage());
    if (removed) {
        ::SetParent(removed, nullptr);
        ::PostMessageW(removed, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    m_tabStrip.ClearHot();
    m_tabStrip.Repaint(StripAfterCloseRect(PageCount()));
}

// ---- page processes that are lost ------------------------------------------

// Whether the process watched for tab i has ended; `leftOnPurpose` when it
// ended with the exit code of a login its player left. A frame that is gone
// counts as its page's end (the only sign for a page whose process could not
// be opened).
bool CLoriq3Dlg::PlaceEnded(int i, bool& leftOnPurpose) const {
    leftOnPurpose = false;
    HWND frame = Page(i);
    if (frame && !::IsWindow(frame)) return true;
    HANDLE process = m_pages.ProcessAt(i);
    if (!Signalled(process)) return false;
    DWORD code = STILL_ACTIVE;
    leftOnPurpose = ::GetExitCodeProcess(process, &code) && code == PAGE_EXIT_LEFT_LOGIN;
    return true;
}

// A dialog owned by this window is up: a box or the settings of this
// process, or the login or a dialog of a page process. Each enables the
// window again when it ends; a process that dies inside one does not.
bool CLoriq3Dlg::DialogOverWindow() const {
    OwnedDialogSearch search{m_hWnd, addAccountPopup.m_hWnd, false};
    ::EnumWindows(FindOwnedDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void CLoriq3Dlg::ApplyPlaceEnd(int i, bool leftOnPurpose, bool& closed) {
    switch (m_pages.PageEnded(i, leftOnPurpose, ::GetTickCount())) {
    case PageRegistry::Loss::Restart:
        ::OutputDebugStringW(L"VexoQuon: a tab's page process was lost; a new one logs in for its place\n");
        break;
    case PageRegistry::Loss::Closed:
        ::OutputDebugStringW(L"VexoQuon: a tab's page process was lost twice within two minutes\n");
        closed = true;
        break;
    case PageRegistry::Loss::GivenUp:
    case PageRegistry::Loss::None:
        break;
    }
}

// A lost place's new login shows only where the player sees the window: not
// behind the boss key, not while it is minimized; it waits until then.
void CLoriq3Dlg::StartPlaceLogins(bool& closed) {
    if (!IsWindowVisible() || ::IsIconic(m_hWnd)) return;
    for (int i : m_pages.PlacesAwaitingLogin()) {
        DWORD pid = 0;
        HANDLE process = StartPageProcess(&pid);
        m_processWatch.Watch(process);
        if (!m_pages.StartedLogin(i, process, pid)) closed = true;  // the place goes
    }
}

// As soon as a watched page process ends, and on every tick: a page process
// that ended without this window closing its tab was lost (its own ways of
// leaving are at its login, which a new tab's login is not yet a tab for).
// Its place waits, reconnecting, for a new page process; a place lost twice
// in two minutes closes with a word to the player.
void CLoriq3Dlg::WatchPageProcesses() {
    if (m_bExiting || m_bWatching) return;
    for (DWORD pid : m_pages.WaitingProcessIds())
        if (ProcessEnded(pid)) m_pages.DropWaitingOf(pid);
    if (HallWindow() && !::IsWindow(HallWindow())) m_pages.SetHall(nullptr);
    bool ended = false;
    if (Signalled(PendingPageProcess())) {
        m_pages.ClosePendingProcess();  // a new tab's login: no tab, nothing else changes
        ended = true;
    }
    std::vector<std::pair<int, bool>> places;  // highest index first: what goes shifts none of the others
    for (int i = PageCount() - 1; i >= 0; --i) {
        bool leftOnPurpose = false;
        if (PlaceEnded(i, leftOnPurpose)) places.emplace_back(i, leftOnPurpose);
    }
    // Before any new login can take the window over again.
    if ((ended || !places.empty()) && !::IsWindowEnabled(m_hWnd) && !DialogOverWindow()) {
        ::OutputDebugStringW(L"VexoQuon: a page process ended inside its dialog; the window is enabled again\n");
        ::EnableWindow(m_hWnd, TRUE);
    }

    m_bWatching = true;
    HWND shown = CurrentPage();
    bool closed = false;
    for (const auto& place : places) ApplyPlaceEnd(place.first, place.second, closed);
    StartPlaceLogins(closed);
    if (places.empty() && !closed) {
        m_bWatching = false;
        return;
    }
    if (CurrentPage() != shown) ShowPage(CurrentPage());
    m_tabStrip.ClearHot();
    m_tabStrip.Repaint(StripAfterCloseRect(PageCount()));
    m_bWatching = false;

    if (closed) SkinMessageBox(m_hWnd, L"游戏页面意外关闭，请重新登录。", L"VexoQuon", 0);
    if (m_bExiting || !m_pages.Empty() || PendingPageProcess()) return;
    // No tab left: a lost game starts over at a new first login; a login the
    // player left ends the program, as the first one does.
    if (closed)
        LaunchPageProcess();
    else
        ExitAll();
}

// ---- the strip's drawing and mouse ------------------------------------------

BOOL CLoriq3Dlg::OnEraseBkgnd(HDC hdc) {
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    const int w = client.right, h = client.bottom;
    if (w <= 0 || h <= 0) return TRUE;
    // Off-screen and copied in one block, so that hovering does not flicker.
    fw::MemDC mem(::CreateCompatibleDC(hdc));
    fw::Bitmap canvas(::CreateCompatibleBitmap(hdc, w, h));
    if (!mem || !canvas) return CDlgEx::OnEraseBkgnd(hdc);
    fw::SelectObj selCanvas(mem.Get(), canvas.Get());
    CDlgEx::OnEraseBkgnd(mem.Get());
    m_tabStrip.Paint(mem.Get(), m_pages);
    ::BitBlt(hdc, 0, 0, w, h, mem.Get(), 0, 0, SRCCOPY);
    return TRUE;
}

LRESULT CLoriq3Dlg::OnNcHitTest(POINT screen) {
    LRESULT hit = CDlgEx::OnNcHitTest(screen);
    POINT pt = screen;
    ::ScreenToClient(m_hWnd, &pt);
    m_tabStrip.OnHitTest(pt, hit, m_pages);
    return hit;
}

bool CLoriq3Dlg::InTabStrip(POINT client) const { return InHitZone(client.x, client.y, PageCount()); }

void CLoriq3Dlg::OnTabButtonDown(POINT client) {
    int i = m_tabStrip.OnButtonDown(client, PageCount());
    if (i >= 0) SelectTab(i);
}

void CLoriq3Dlg::OnTabButtonUp(POINT client, bool middle) {
    int i = m_tabStrip.OnButtonUp(client, middle);
    if (i >= 0) CloseTab(i);
}
