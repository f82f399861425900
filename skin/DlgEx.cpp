#include "skin/DlgEx.h"

#include <windowsx.h>

#include <vector>

#include "skin/FrameLayout.h"
#include "skin/SkinImage.h"
#include "skin/SkinPixels.h"

namespace {

RECT WorkArea() {
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

skin::Rect ToSkin(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
RECT ToWin(const skin::Rect& r) { return {r.left, r.top, r.right, r.bottom}; }

LRESULT HitCode(skin::Hit hit) {
    switch (hit) {
    case skin::Hit::Caption: return HTCAPTION;
    case skin::Hit::Left: return HTLEFT;
    case skin::Hit::Right: return HTRIGHT;
    case skin::Hit::Top: return HTTOP;
    case skin::Hit::TopLeft: return HTTOPLEFT;
    case skin::Hit::TopRight: return HTTOPRIGHT;
    case skin::Hit::Bottom: return HTBOTTOM;
    case skin::Hit::BottomLeft: return HTBOTTOMLEFT;
    case skin::Hit::BottomRight: return HTBOTTOMRIGHT;
    default: return HTNOWHERE;
    }
}

skin::Hit FromHitCode(UINT code) {
    switch (code) {
    case HTLEFT: return skin::Hit::Left;
    case HTRIGHT: return skin::Hit::Right;
    case HTTOP: return skin::Hit::Top;
    case HTTOPLEFT: return skin::Hit::TopLeft;
    case HTTOPRIGHT: return skin::Hit::TopRight;
    case HTBOTTOM: return skin::Hit::Bottom;
    case HTBOTTOMLEFT: return skin::Hit::BottomLeft;
    case HTBOTTOMRIGHT: return skin::Hit::BottomRight;
    case HTCAPTION: return skin::Hit::Caption;
    default: return skin::Hit::Default;
    }
}

POINT PointFromLParam(LPARAM lParam) { return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

bool WindowHasSmallIcon(HWND hwnd) { return ::SendMessageW(hwnd, WM_GETICON, ICON_SMALL, 0) != 0; }

}  // namespace

CDlgEx::CDlgEx(UINT templateId, HWND parent) : CDialog(templateId, parent) {}

CDlgEx::~CDlgEx() {
    // Take the window down before the members go, so that no message reaches
    // a half-destroyed frame (the child buttons die with it).
    if (m_hWnd && ::IsWindow(m_hWnd)) {
        HWND hwnd = UnsubclassWindow();
        ::DestroyWindow(hwnd);
    }
}

BOOL CDlgEx::OnInitDialog() {
    CDialog::OnInitDialog();
    ModifyStyle(WS_CAPTION | WS_SYSMENU, WS_MINIMIZEBOX);
    // Without caption and modal frame the window has no non-client area left.
    ModifyStyleEx(WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE, 0);
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                   SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    const RECT work = WorkArea();
    m_nMaxWidth = work.right - work.left;
    m_nMaxHeight = work.bottom - work.top;
    m_rcRestore = ToWin(skin::InitialRestoreRect(ToSkin(work)));
    return TRUE;
}

void CDlgEx::CreateSysButton(CBtnEx& btn, int id, HBITMAP strip, int right, int top, LPCWSTR tip) {
    if (btn.m_hWnd) btn.DestroyWindow();
    const SIZE sz = SkinBitmapSize(strip);
    const int w = skin::StripFrameWidth(sz.cx), h = sz.cy;
    btn.CreateEx(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, right - w, top, w, h, m_hWnd,
                 (HMENU)(INT_PTR)id);
    btn.SetImage(strip, FALSE);
    btn.SetTooltip(tip);
}

BOOL CDlgEx::SetSkin(HBITMAP hBack, BOOL bFitToBack, BOOL bStretch, HBITMAP hClose, HBITMAP hMin, HBITMAP hMax,
                     HBITMAP hRestore) {
    // The same handle again must not be deleted while being taken over.
    if (hBack != m_bmpBack.Get()) m_bmpBack.Reset(hBack);
    m_bStretch = bStretch;

    RECT layout{};
    if (bFitToBack) {
        const SIZE sz = SkinBitmapSize(hBack);
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, sz.cx, sz.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        layout = {0, 0, sz.cx, sz.cy};
    } else {
        ::GetClientRect(m_hWnd, &layout);
    }
    UpdateWindowRgn();

    // Right to left from the margin; each created button moves the next one on.
    int x = layout.right - m_nBtnRightMargin;
    const int y = m_nBtnTop;
    int lastWidth = 0;
    if (hClose) {
        CreateSysButton(m_btnClose, kIdBtnClose, hClose, x, y, L"关闭");
        lastWidth = skin::StripFrameWidth(SkinBitmapSize(hClose).cx);
    }
    if (hMax) {
        if (lastWidth) x -= lastWidth + m_nBtnGap;
        CreateSysButton(m_btnMax, kIdBtnMax, hMax, x, y, L"最大化");
        lastWidth = skin::StripFrameWidth(SkinBitmapSize(hMax).cx);
    }
    if (hMax != m_bmpMax.Get()) m_bmpMax.Reset(hMax);
    if (hRestore != m_bmpRestore.Get()) m_bmpRestore.Reset(hRestore);
    if (hMin) {
        if (lastWidth) x -= lastWidth + m_nBtnGap;
        CreateSysButton(m_btnMin, kIdBtnMin, hMin, x, y, L"最小化");
    }
    return TRUE;
}

void CDlgEx::SetTitle(LPCWSTR pszTitle) {
    ::SetWindowTextW(m_hWnd, pszTitle ? pszTitle : L"");
    fw::WindowDC dc(m_hWnd);
    if (!dc.Get()) return;
    HFONT font = (HFONT)::SendMessageW(m_hWnd, WM_GETFONT, 0, 0);
    fw::SelectObj sel(dc.Get(), font);
    TEXTMETRICW tm{};
    LOGFONTW lf{};
    int fontHeight = 0;
    if (font && ::GetObjectW(font, sizeof lf, &lf)) fontHeight = lf.lfHeight;
    else if (::GetTextMetricsW(dc.Get(), &tm)) fontHeight = tm.tmHeight;
    const int y = skin::TitleAreaTop(m_nCaptionHeight, fontHeight);
    const int x = skin::CaptionTitleX(m_nBorder, WindowHasSmallIcon(m_hWnd));
    RECT rc{x, y, x, y};
    const wchar_t* text = pszTitle ? pszTitle : L"";
    ::DrawTextW(dc.Get(), text, -1, &rc, DT_CALCRECT);
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    rc.right = client.right;
    ::InvalidateRect(m_hWnd, &rc, TRUE);
}

void CDlgEx::RedrawSysButtons() {
    for (CBtnEx* btn : {&m_btnClose, &m_btnMax, &m_btnMin})
        if (btn->m_hWnd) ::InvalidateRect(btn->m_hWnd, nullptr, TRUE);
}

void CDlgEx::UpdateWindowRgn() {
    if (!m_hWnd) return;
    RECT wr{};
    ::GetWindowRect(m_hWnd, &wr);
    const int w = wr.right - wr.left, h = wr.bottom - wr.top;
    HRGN rgn = ::CreateRectRgn(0, 0, w, h);
    const SIZE skinSize = SkinBitmapSize(m_bmpBack.Get());
    if (m_bmpBack && skinSize.cx > 0 && skinSize.cy > 0) {
        fw::MemDC mem(::CreateCompatibleDC(nullptr));
        fw::SelectObj sel(mem.Get(), m_bmpBack.Get());
        auto isKey = [&](int x, int y) { return ::GetPixel(mem.Get(), x, y) == kSkinKey; };
        for (const skin::Point& p : skin::CornerCutPixels(skinSize.cx, skinSize.cy, w, h, isKey)) {
            fw::Region pixel(::CreateRectRgn(p.x, p.y, p.x + 1, p.y + 1));
            ::CombineRgn(rgn, rgn, pixel.Get(), RGN_DIFF);
        }
    }
    // The window owns the region from here on.
    if (!::SetWindowRgn(m_hWnd, rgn, FALSE)) ::DeleteObject(rgn);
}

void CDlgEx::DrawFrame(HDC dc, int w, int h) {
    const SIZE sz = SkinBitmapSize(m_bmpBack.Get());
    fw::MemDC skinDC(::CreateCompatibleDC(dc));
    fw::SelectObj sel(skinDC.Get(), m_bmpBack.Get());
    ::SetStretchBltMode(dc, COLORONCOLOR);
    for (const skin::Blit& b : skin::FrameBlits(m_bStretch != FALSE, m_nBorder, m_nCaptionHeight, sz.cx, sz.cy, w, h)) {
        if (b.stretch)
            ::StretchBlt(dc, b.dx, b.dy, b.dw, b.dh, skinDC.Get(), b.sx, b.sy, b.sw, b.sh, SRCCOPY);
        else
            ::BitBlt(dc, b.dx, b.dy, b.dw, b.dh, skinDC.Get(), b.sx, b.sy, SRCCOPY);
    }
}

BOOL CDlgEx::OnEraseBkgnd(HDC hdc) {
    if (!m_bmpBack) return FALSE;
    RECT wr{};
    ::GetWindowRect(m_hWnd, &wr);
    const int w = wr.right - wr.left, h = wr.bottom - wr.top;
    if (w <= 0 || h <= 0) return TRUE;
    fw::MemDC mem(::CreateCompatibleDC(hdc));
    fw::Bitmap canvas(::CreateCompatibleBitmap(hdc, w, h));
    if (!mem || !canvas) return FALSE;
    fw::SelectObj selCanvas(mem.Get(), canvas.Get());

    DrawFrame(mem.Get(), w, h);

    int iconWidth = 0;
    HICON icon = (HICON)::SendMessageW(m_hWnd, WM_GETICON, ICON_SMALL, 0);
    if (icon && m_bShowIcon) {
        ::DrawIconEx(mem.Get(), m_nBorder, skin::CaptionIconY(m_nCaptionHeight), icon, 16, 16, 0, nullptr, DI_NORMAL);
        iconWidth = 16;
    }

    if (m_bShowTitle) {
        const int len = ::GetWindowTextLengthW(m_hWnd);
        std::wstring title(len + 1, L'\0');
        ::GetWindowTextW(m_hWnd, &title[0], len + 1);
        title.resize(len);
        const int saved = ::SaveDC(mem.Get());
        ::SetBkMode(mem.Get(), TRANSPARENT);
        ::SetTextColor(mem.Get(), m_crTitle);
        HFONT base = (HFONT)::SendMessageW(m_hWnd, WM_GETFONT, 0, 0);
        if (!base) base = (HFONT)::GetStockObject(DEFAULT_GUI_FONT);
        LOGFONTW lf{};
        ::GetObjectW(base, sizeof lf, &lf);
        lf.lfHeight = -12;
        lf.lfWidth = 0;
        lf.lfWeight = m_nTitleWeight;
        ::lstrcpynW(lf.lfFaceName, L"微软雅黑", LF_FACESIZE);
        HFONT font = ::CreateFontIndirectW(&lf);
        ::SelectObject(mem.Get(), font);
        ::TextOutW(mem.Get(), iconWidth + m_nBorder + 5, skin::CaptionTitleY(m_nCaptionHeight), title.c_str(), len);
        ::RestoreDC(mem.Get(), saved);
        ::DeleteObject(font);
    }

    ::BitBlt(hdc, 0, 0, w, h, mem.Get(), 0, 0, SRCCOPY);
    return TRUE;
}

LRESULT CDlgEx::OnNcHitTest(POINT pt) {
    ::ScreenToClient(m_hWnd, &pt);
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    skin::HitParams p;
    p.maximized = m_bMaximized != FALSE;
    p.resizable = m_bResizable != FALSE;
    p.border = m_nBorder;
    p.caption = m_nCaptionHeight;
    p.clientW = client.right;
    p.clientH = client.bottom;
    const skin::Hit hit = skin::FrameHitTest(p, pt.x, pt.y);
    if (hit == skin::Hit::Default) return Default();
    return HitCode(hit);
}

LRESULT CDlgEx::OnNcLButtonDown(UINT nHitTest, POINT pt) {
    LRESULT r = 0;
    // The window has no sizing frame, so border presses start sizing themselves.
    if (const int edge = skin::SizeEdge(FromHitCode(nHitTest)))
        ::SendMessageW(m_hWnd, WM_SYSCOMMAND, SC_SIZE + edge, MAKELPARAM(pt.x, pt.y));
    else
        r = Default();
    // The move or size loop has ended: this is where the window now stands.
    if (m_hWnd) ::GetWindowRect(m_hWnd, &m_rcRestore);
    return r;
}

LRESULT CDlgEx::OnNcLButtonDblClk(UINT nHitTest, POINT) {
    if (nHitTest == HTCAPTION && m_bResizable) {
        OnBtnMax();
        return 0;
    }
    return Default();
}

LRESULT CDlgEx::OnLButtonDblClk(UINT, POINT pt) {
    if (m_bMaximized && (m_nCaptionHeight == -1 || (pt.y >= 0 && pt.y < m_nCaptionHeight))) OnBtnMax();
    return m_hWnd ? Default() : 0;
}

LRESULT CDlgEx::OnSize(UINT, int cx, int) {
    LRESULT r = Default();
    if (!m_bmpBack) return r;
    UpdateWindowRgn();
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
    int x = cx - m_nBtnRightMargin;
    for (CBtnEx* btn : {&m_btnClose, &m_btnMax, &m_btnMin}) {
        if (!btn->m_hWnd) continue;
        RECT rc{};
        ::GetWindowRect(btn->m_hWnd, &rc);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
        const int w = rc.right - rc.left, h = rc.bottom - rc.top;
        x -= w;
        ::MoveWindow(btn->m_hWnd, x, rc.top, w, h, TRUE);
    }
    return r;
}

void CDlgEx::OnBtnClose() { ::PostMessageW(m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0); }

void CDlgEx::OnBtnMin() { ::PostMessageW(m_hWnd, WM_SYSCOMMAND, SC_MINIMIZE, 0); }

LRESULT CDlgEx::OnBtnMax() {
    if (m_bMaximized) {
        ::MoveWindow(m_hWnd, m_rcRestore.left, m_rcRestore.top, m_rcRestore.right - m_rcRestore.left,
                     m_rcRestore.bottom - m_rcRestore.top, TRUE);
        UpdateMaxBtn(FALSE);
    } else {
        const RECT r = ToWin(skin::MaximizedRect(ToSkin(WorkArea()), m_nMaxWidth, m_nMaxHeight));
        ::MoveWindow(m_hWnd, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
        UpdateMaxBtn(TRUE);
    }
    // The button has moved away from under the pointer.
    m_btnMax.m_bHover = FALSE;
    m_btnMax.m_bTracking = FALSE;
    m_bMaximized = !m_bMaximized;
    return 0;
}

void CDlgEx::UpdateMaxBtn(BOOL bMaximized) {
    if (!m_btnMax.m_hWnd) return;
    m_btnMax.SetImage(bMaximized ? m_bmpRestore.Get() : m_bmpMax.Get(), FALSE);
    m_btnMax.SetTooltip(bMaximized ? L"还原" : L"最大化");
}

LRESULT CDlgEx::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_ERASEBKGND:
        return OnEraseBkgnd((HDC)wParam);
    case WM_NCHITTEST:
        return OnNcHitTest(PointFromLParam(lParam));
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) {
            switch (LOWORD(wParam)) {
            case kIdBtnClose: OnBtnClose(); return 0;
            case kIdBtnMax: OnBtnMax(); return 0;
            case kIdBtnMin: OnBtnMin(); return 0;
            }
        }
        break;
    case WM_NCLBUTTONDOWN:
        return OnNcLButtonDown((UINT)wParam, PointFromLParam(lParam));
    case WM_NCLBUTTONDBLCLK:
        return OnNcLButtonDblClk((UINT)wParam, PointFromLParam(lParam));
    case WM_LBUTTONDBLCLK:
        return OnLButtonDblClk((UINT)wParam, PointFromLParam(lParam));
    case WM_SIZE:
        return OnSize((UINT)wParam, LOWORD(lParam), HIWORD(lParam));
    }
    return CDialog::WindowProc(msg, wParam, lParam);
}

void CDlgEx::SetCaptionLayout(int captionHeight, int border, int btnRightMargin, int btnTop, int btnGap) {
    m_nCaptionHeight = captionHeight;
    m_nBorder = border;
    m_nBtnRightMargin = btnRightMargin;
    m_nBtnTop = btnTop;
    m_nBtnGap = btnGap;
}
