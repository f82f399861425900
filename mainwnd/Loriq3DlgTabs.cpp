// CLoriq3Dlg, the tabs: pages arriving (title, then frame), showing,
// switching and closing them, and the tab strip's drawing and mouse.
#include "mainwnd/Loriq3Dlg.h"

#include "app/Endpoints.h"
#include "app/StatReport.h"
#include "framework/Handles.h"
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
    m_pages.RegisterPage(frame, pid);
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
    if (SkinMessageBox(m_hWnd, question.c_str(), L"VexoQuon", 4) != IDYES) {
        m_tabStrip.ResetHot(i, false);
        return;
    }
    HWND removed = static_cast<HWND>(m_pages.Close(i));
    ShowPage(CurrentPage());
    ::SetParent(removed, nullptr);
    ::PostMessageW(removed, WM_SYSCOMMAND, SC_CLOSE, 0);
    m_tabStrip.ClearHot();
    m_tabStrip.Repaint(StripAfterCloseRect(PageCount()));
}

// A page whose frame is gone (its process crashed or was killed) leaves as a
// closed tab would, without a question: its account may log in again. The last
// one gone ends the window as a last page giving up does.
void CLoriq3Dlg::RemoveDeadPages() {
    for (DWORD pid : m_pages.WaitingProcessIds())
        if (ProcessEnded(pid)) m_pages.DropWaitingOf(pid);
    if (HallWindow() && !::IsWindow(HallWindow())) m_pages.SetHall(nullptr);
    bool removed = false;
    for (int i = PageCount() - 1; i >= 0; --i) {
        if (::IsWindow(Page(i))) continue;
        m_pages.Close(i);
        removed = true;
    }
    if (!removed) return;
    if (m_pages.Empty()) {
        ExitAll();
        return;
    }
    ShowPage(CurrentPage());
    m_tabStrip.ClearHot();
    m_tabStrip.Repaint(StripAfterCloseRect(PageCount()));
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
