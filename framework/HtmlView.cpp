#include "framework/HtmlView.h"

CHtmlView::~CHtmlView() {
    m_pBrowserApp.Reset();
    m_browser.Destroy();
}

int CHtmlView::OnCreate(CREATESTRUCTW* cs) {
    if (CView::OnCreate(cs) == -1) return -1;
    RECT rc;
    ::GetClientRect(m_hWnd, &rc);
    if (!m_browser.Create(m_hWnd, rc, this)) return -1;
    m_browser.GetBrowser()->QueryInterface(IID_PPV_ARGS(m_pBrowserApp.Put()));
    return 0;
}

HRESULT CHtmlView::Navigate2(const std::wstring& url, DWORD flags, const wchar_t* targetFrame,
                             const wchar_t* headers) {
    return m_browser.Navigate(url, flags, targetFrame, headers);
}

void CHtmlView::Refresh() { m_browser.Refresh(); }

BOOL CHtmlView::TranslateViewAccelerator(MSG* msg) { return m_browser.TranslateAccelerator(msg); }

LRESULT CHtmlView::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT handled = 0;
    if (m_browser.HandleHostMessage(m_hWnd, msg, wParam, lParam, handled)) return handled;
    switch (msg) {
    case WM_SETFOCUS:
        // The page takes the keyboard when the view gets it.
        if (HWND control = m_browser.GetControlWindow()) {
            ::SetFocus(control);
            return 0;
        }
        break;
    case WM_DESTROY:
        m_pBrowserApp.Reset();
        m_browser.Destroy();
        break;
    }
    return CView::WindowProc(msg, wParam, lParam);
}
