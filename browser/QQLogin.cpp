#include "browser/QQLogin.h"

#include "browser/ExternalLogin.h"
#include "res/resource.h"
#include "skin/SkinImage.h"

CQQLogin::CQQLogin() : CDlgEx(IDD_QQLOGIN_DIALOG) {}

CQQLogin::~CQQLogin() {
    // The browser first: it is the frame's popup.
    if (m_html.m_hWnd) m_html.DestroyWindow();
}

BOOL CQQLogin::OnInitDialog() {
    CDlgEx::OnInitDialog();
    SetCaptionLayout(30, 4, 0, 0, 0);
    SetTitle(ExternalLoginTitle(ExternalLoginKind::QQ));

    HINSTANCE inst = ::GetModuleHandleW(nullptr);
    HBITMAP close = LoadSkinBitmap(inst, IDB_CLOSE);
    SetSkin(LoadSkinBitmap(inst, IDB_MAINDLG_BK), FALSE, TRUE, close, nullptr, nullptr, nullptr);
    if (close) ::DeleteObject(close);  // the button keeps a copy
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, kWidth, kHeight, SWP_NOMOVE | SWP_NOZORDER);
    return TRUE;
}

BOOL CQQLogin::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_KEYDOWN && (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE)) return TRUE;
    return CDlgEx::PreTranslateMessage(msg);
}

void CQQLogin::OnCancel() {
    if (m_html.m_hWnd) m_html.DestroyWindow();
    DestroyWindow();
}

void CQQLogin::CenterOnDesktop() {
    RECT desktop{}, self{}, work{};
    ::GetWindowRect(::GetDesktopWindow(), &desktop);
    ::GetWindowRect(m_hWnd, &self);
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int w = self.right - self.left, h = self.bottom - self.top;
    int x = desktop.left + ((desktop.right - desktop.left) - w) / 2;
    int y = desktop.top + ((desktop.bottom - desktop.top) - h) / 2;
    // Kept inside the work area, as far as it fits.
    if (x + w > work.right) x = work.right - w;
    if (y + h > work.bottom) y = work.bottom - h;
    if (x < work.left) x = work.left;
    if (y < work.top) y = work.top;
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CQQLogin::GlueBrowser() {
    RECT rc{};
    ::GetWindowRect(m_hWnd, &rc);
    BrowserPlacement p = ExternalBrowserPlacement(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
    ::MoveWindow(m_html.m_hWnd, p.x, p.y, p.cx, p.cy, TRUE);
}

LRESULT CQQLogin::OnShowWindow(WPARAM wParam, LPARAM lParam) {
    LRESULT result = CDlgEx::WindowProc(WM_SHOWWINDOW, wParam, lParam);
    if (!m_html.m_hWnd) {
        if (!m_html.Create(IDD_QQLOGIN_DIALOG, m_hWnd)) {
            ::OutputDebugStringW(L"VexoQuon: the external-account browser window could not be made\n");
            return result;
        }
        GlueBrowser();
    }
    ::ShowWindow(m_html.m_hWnd, wParam ? SW_SHOW : SW_HIDE);
    return result;
}

LRESULT CQQLogin::OnWindowPosChanged(WPARAM wParam, LPARAM lParam) {
    LRESULT result = CDlgEx::WindowProc(WM_WINDOWPOSCHANGED, wParam, lParam);
    if (m_html.m_hWnd) GlueBrowser();
    return result;
}

LRESULT CQQLogin::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SHOWWINDOW:
        return OnShowWindow(wParam, lParam);
    case WM_WINDOWPOSCHANGED:
        return OnWindowPosChanged(wParam, lParam);
    }
    return CDlgEx::WindowProc(msg, wParam, lParam);
}
