#include "skin/BtnEx.h"

#include "framework/Handles.h"
#include "skin/ControlLayout.h"
#include "skin/SkinImage.h"

int AddMaskedCopy(HIMAGELIST list, HBITMAP bmp) {
    // ImageList_AddMasked blackens the masked pixels of the bitmap it is
    // given; a copy keeps the caller's image intact for its next use.
    HBITMAP copy = (HBITMAP)::CopyImage(bmp, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    if (!copy) return -1;
    const int index = ImageList_AddMasked(list, copy, kSkinKey);
    ::DeleteObject(copy);
    return index;
}

void PaintParentBackground(HWND child, HDC dc) {
    HWND parent = ::GetParent(child);
    if (!parent) return;
    RECT rc, rcParent;
    ::GetWindowRect(child, &rc);
    ::GetWindowRect(parent, &rcParent);
    const int dx = rc.left - rcParent.left, dy = rc.top - rcParent.top;
    ::SetWindowOrgEx(dc, dx, dy, nullptr);
    ::SendMessageW(parent, WM_ERASEBKGND, (WPARAM)dc, 0);
    ::SetViewportOrgEx(dc, dx, dy, nullptr);
}

CBtnEx::~CBtnEx() {
    DestroyTooltip();
    if (m_imgList) ImageList_Destroy(m_imgList);
}

void CBtnEx::DestroyTooltip() {
    if (m_tooltip && ::IsWindow(m_tooltip)) ::DestroyWindow(m_tooltip);
    m_tooltip = nullptr;
}

void CBtnEx::StoreWindowRect() {
    if (m_hWnd) ::GetWindowRect(m_hWnd, &m_rcWnd);
}

void CBtnEx::PreSubclassWindow() {
    wchar_t text[256] = {};
    ::GetWindowTextW(m_hWnd, text, 256);
    m_strText = text;
    // Type bits of a push button are 0 or 1; BS_OWNERDRAW replaces either.
    DWORD style = GetStyle();
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, (LONG_PTR)((style & ~(DWORD)BS_TYPEMASK) | BS_OWNERDRAW));
    StoreWindowRect();
}

BOOL CBtnEx::SetImage(HBITMAP hStrip, BOOL bResize) {
    if (m_imgList) {
        ImageList_Destroy(m_imgList);
        m_imgList = nullptr;
    }
    const SIZE strip = SkinBitmapSize(hStrip);
    const int frameW = skin::StripFrameWidth(strip.cx), frameH = strip.cy;
    if (frameW > 0 && frameH > 0) {
        m_imgList = ImageList_Create(frameW, frameH, ILC_COLOR24 | ILC_MASK, 4, 0);
        if (m_imgList) AddMaskedCopy(m_imgList, hStrip);
    }
    if (bResize && m_hWnd)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, frameW, frameH, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    StoreWindowRect();
    return TRUE;
}

void CBtnEx::SetTooltip(const std::wstring& strTip) {
    m_strTip = strTip;
    m_bTooltip = TRUE;
    if (m_tooltip || !m_hWnd) return;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&icc);
    m_tooltip = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr);
    if (!m_tooltip) return;
    TOOLINFOW ti{};
    ti.cbSize = TTTOOLINFOW_V2_SIZE;
    ti.hwnd = m_hWnd;
    ti.uId = 1;
    ::GetClientRect(m_hWnd, &ti.rect);
    ti.lpszText = LPSTR_TEXTCALLBACKW;
    ::SendMessageW(m_tooltip, TTM_ADDTOOLW, 0, (LPARAM)&ti);
    ::SendMessageW(m_tooltip, TTM_SETDELAYTIME, TTDT_AUTOMATIC, MAKELPARAM(660, 0));
}

BOOL CBtnEx::PreTranslateMessage(MSG* pMsg) {
    if (m_bTooltip && m_tooltip) ::SendMessageW(m_tooltip, TTM_RELAYEVENT, 0, (LPARAM)pMsg);
    return CWnd::PreTranslateMessage(pMsg);
}

BOOL CBtnEx::OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (msg != WM_DRAWITEM) return CWnd::OnChildNotify(msg, wParam, lParam, result);
    DrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    *result = TRUE;
    return TRUE;
}

void CBtnEx::DrawItem(const DRAWITEMSTRUCT* dis) {
    // The size is taken fresh, so a button moved or resized by its owner still draws whole.
    StoreWindowRect();
    const int w = m_rcWnd.right - m_rcWnd.left, h = m_rcWnd.bottom - m_rcWnd.top;
    if (w <= 0 || h <= 0) return;

    bool latch = m_bPressed != FALSE;
    const int frame = skin::BtnFrameIndex((dis->itemState & (ODS_DISABLED | ODS_GRAYED)) != 0,
                                          (dis->itemState & ODS_SELECTED) != 0, m_bHover != FALSE, latch);
    m_bPressed = latch;
    m_nLastFrame = frame;

    fw::MemDC mem(::CreateCompatibleDC(dis->hDC));
    fw::Bitmap canvas(::CreateCompatibleBitmap(dis->hDC, w, h));
    if (!mem || !canvas) return;
    fw::SelectObj selCanvas(mem.Get(), canvas.Get());

    PaintParentBackground(m_hWnd, mem.Get());

    if (m_imgList && frame < ImageList_GetImageCount(m_imgList)) {
        int frameW = 0, frameH = 0;
        ImageList_GetIconSize(m_imgList, &frameW, &frameH);
        if (frameW == w && frameH == h) {
            ImageList_Draw(m_imgList, frame, mem.Get(), 0, 0, ILD_TRANSPARENT);
        } else {
            // Stretched faces keep their transparency through a keyed copy.
            fw::MemDC scratchDC(::CreateCompatibleDC(dis->hDC));
            fw::Bitmap scratch(::CreateCompatibleBitmap(dis->hDC, frameW, frameH));
            if (scratchDC && scratch) {
                fw::SelectObj selScratch(scratchDC.Get(), scratch.Get());
                fw::Brush key(::CreateSolidBrush(kSkinKey));
                RECT all{0, 0, frameW, frameH};
                ::FillRect(scratchDC.Get(), &all, key.Get());
                ImageList_Draw(m_imgList, frame, scratchDC.Get(), 0, 0, ILD_TRANSPARENT);
                ::TransparentBlt(mem.Get(), 0, 0, w, h, scratchDC.Get(), 0, 0, frameW, frameH, kSkinKey);
            }
        }
    }

    if (!m_strText.empty()) {
        ::SetBkMode(mem.Get(), TRANSPARENT);
        ::SetTextColor(mem.Get(), frame == skin::kFrameDisabled ? ::GetSysColor(COLOR_GRAYTEXT) : m_crText);
        HFONT base = (HFONT)::SendMessageW(m_hWnd, WM_GETFONT, 0, 0);
        if (!base) base = (HFONT)::GetStockObject(DEFAULT_GUI_FONT);
        LOGFONTW lf{};
        ::GetObjectW(base, sizeof lf, &lf);
        lf.lfHeight = -12;
        fw::Font font(::CreateFontIndirectW(&lf));
        fw::SelectObj selFont(mem.Get(), font.Get());
        RECT rc{0, 0, w, h};
        ::DrawTextW(mem.Get(), m_strText.c_str(), (int)m_strText.size(), &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }

    ::BitBlt(dis->hDC, 0, 0, w, h, mem.Get(), 0, 0, SRCCOPY);
}

LRESULT CBtnEx::OnMouseMove() {
    if (!m_bTracking) {
        TRACKMOUSEEVENT tme{sizeof tme, TME_HOVER | TME_LEAVE, m_hWnd, 10};
        m_bTracking = ::_TrackMouseEvent(&tme);
    }
    return Default();
}

LRESULT CBtnEx::OnMouseHover() {
    m_bHover = TRUE;
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
    if (m_bTooltip && m_tooltip) {
        TOOLINFOW ti{};
        ti.cbSize = TTTOOLINFOW_V2_SIZE;
        ti.hwnd = m_hWnd;
        ti.uId = 1;
        ti.lpszText = const_cast<wchar_t*>(m_strTip.c_str());
        ::SendMessageW(m_tooltip, TTM_UPDATETIPTEXTW, 0, (LPARAM)&ti);
    }
    return 0;
}

LRESULT CBtnEx::OnMouseLeave() {
    m_bHover = FALSE;
    m_bTracking = FALSE;
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
    return 0;
}

LRESULT CBtnEx::OnLButtonUp() {
    const bool wasLatched = m_bPressed != FALSE;
    m_bPressed = FALSE;
    LRESULT r = Default();
    // Released off the button the control does not repaint by itself; the
    // pressed face must still go.
    if (wasLatched && m_hWnd) ::InvalidateRect(m_hWnd, nullptr, FALSE);
    return r;
}

LRESULT CBtnEx::OnNotify(NMHDR* hdr) {
    // The tooltip may ask for its text before the first hover handed it over.
    if (hdr && hdr->hwndFrom == m_tooltip && hdr->code == TTN_GETDISPINFOW) {
        reinterpret_cast<NMTTDISPINFOW*>(hdr)->lpszText = const_cast<wchar_t*>(m_strTip.c_str());
        return 0;
    }
    return Default();
}

LRESULT CBtnEx::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_ERASEBKGND:
        return TRUE;  // all painting is in DrawItem
    case WM_MOUSEMOVE:
        return OnMouseMove();
    case WM_MOUSEHOVER:
        return OnMouseHover();
    case WM_MOUSELEAVE:
        return OnMouseLeave();
    case WM_LBUTTONUP:
        return OnLButtonUp();
    case WM_NOTIFY:
        return OnNotify(reinterpret_cast<NMHDR*>(lParam));
    case WM_SIZE:
        // The tool covers the whole button, also after the owner resized it.
        if (m_tooltip) {
            TOOLINFOW ti{};
            ti.cbSize = TTTOOLINFOW_V2_SIZE;
            ti.hwnd = m_hWnd;
            ti.uId = 1;
            ::GetClientRect(m_hWnd, &ti.rect);
            ::SendMessageW(m_tooltip, TTM_NEWTOOLRECTW, 0, (LPARAM)&ti);
        }
        break;
    case WM_DESTROY:
        // The tooltip's tool is this window; a recreated button makes a new one.
        DestroyTooltip();
        break;
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}
