#include "skin/StaticEx.h"

#include <algorithm>
#include <string>

#include "framework/Handles.h"
#include "skin/BtnEx.h"
#include "skin/ControlLayout.h"
#include "skin/SkinImage.h"

namespace {

// Measures one line as it will be drawn: no wrapping inside the measurement.
int LineWidth(HDC dc, const std::wstring& s) {
    RECT rc{0, 0, 0, 0};
    ::DrawTextW(dc, s.c_str(), (int)s.size(), &rc, DT_CALCRECT | DT_SINGLELINE);
    return rc.right - rc.left;
}

UINT LabelFormat(DWORD style) {
    UINT format = DT_WORDBREAK;
    const DWORD type = style & SS_TYPEMASK;
    if (type == SS_CENTER) format = DT_CENTER | DT_VCENTER | DT_WORDBREAK;
    else if (type == SS_RIGHT) format = DT_RIGHT | DT_WORDBREAK;
    const DWORD ellipsis = style & SS_ELLIPSISMASK;
    if (ellipsis == SS_ENDELLIPSIS) format |= DT_END_ELLIPSIS;
    else if (ellipsis == SS_PATHELLIPSIS) format |= DT_PATH_ELLIPSIS | DT_SINGLELINE;
    if (style & SS_CENTERIMAGE) format |= DT_SINGLELINE | DT_VCENTER;
    return format;
}

void TrackHover(HWND hwnd, BOOL& tracking) {
    if (tracking) return;
    TRACKMOUSEEVENT tme{sizeof tme, TME_HOVER | TME_LEAVE, hwnd, 10};
    tracking = ::_TrackMouseEvent(&tme);
}

}  // namespace

// ---- CStaticEx --------------------------------------------------------------

CStaticEx::~CStaticEx() {
    if (m_font) ::DeleteObject(m_font);
    if (m_imgList) ImageList_Destroy(m_imgList);
}

void CStaticEx::PreSubclassWindow() {
    const int len = ::GetWindowTextLengthW(m_hWnd);
    std::wstring text(len + 1, L'\0');
    ::GetWindowTextW(m_hWnd, &text[0], len + 1);
    text.resize(len);
    m_strText = text;
}

BOOL CStaticEx::SetImage(HBITMAP hImage) {
    const SIZE sz = SkinBitmapSize(hImage);
    if (sz.cx <= 0 || sz.cy <= 0) return FALSE;
    m_nImageWidth = sz.cx;
    m_nImageHeight = sz.cy;
    if (m_imgList) ImageList_Destroy(m_imgList);
    m_imgList = ImageList_Create(sz.cx, sz.cy, ILC_COLOR24 | ILC_MASK, 1, 0);
    if (m_imgList) AddMaskedCopy(m_imgList, hImage);
    return TRUE;
}

HFONT CStaticEx::GetLabelFont() {
    if (m_font) return m_font;
    HFONT base = m_hWnd ? (HFONT)::SendMessageW(m_hWnd, WM_GETFONT, 0, 0) : nullptr;
    if (!base) base = (HFONT)::GetStockObject(SYSTEM_FONT);
    LOGFONTW lf{};
    ::GetObjectW(base, sizeof lf, &lf);
    lf.lfHeight = m_nFontHeight ? m_nFontHeight : -12;
    if (m_nFontWeight != -1) lf.lfWeight = m_nFontWeight;
    if (m_nFontWidth) lf.lfWidth = m_nFontWidth;
    if (m_bUnderline) lf.lfUnderline = TRUE;
    ::lstrcpynW(lf.lfFaceName, L"微软雅黑", LF_FACESIZE);
    m_font = ::CreateFontIndirectW(&lf);
    return m_font;
}

void CStaticEx::DrawLabel(HDC dc) {
    RECT r{};
    ::GetClientRect(m_hWnd, &r);
    if (m_imgList) r.left += m_nImageWidth + 6;
    const UINT format = LabelFormat(GetStyle());

    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, (m_bHoverColor && m_bHover) ? m_crHover : m_crText);
    fw::SelectObj selFont(dc, GetLabelFont());

    // Line height and average glyph from a sample of full-width characters
    // (the count takes in the terminator, as the glyph average always has).
    static const wchar_t kSample[] = L"测试用汉字来获取宽度";
    RECT sample{0, 0, 0, 0};
    ::DrawTextW(dc, kSample, 11, &sample, DT_CALCRECT);
    const int lh = sample.bottom - sample.top;
    const int average = (sample.right - sample.left) / 11;
    r.bottom = r.top + lh;

    const auto lines = skin::WrapLabel(m_strText, r.right - r.left, average,
                                       [dc](const std::wstring& s) { return LineWidth(dc, s); });
    m_nLastLines = (int)lines.size();
    if (lines.empty()) return;
    for (const std::wstring& line : lines) {
        ::DrawTextW(dc, line.c_str(), (int)line.size(), &r, format);
        ::OffsetRect(&r, 0, lh + m_nLineSpacing);
    }

    // Grow to fit, never shrink.
    const int needed = skin::LabelHeight(lh, m_nLineSpacing, (int)lines.size());
    RECT wr{};
    ::GetWindowRect(m_hWnd, &wr);
    if (wr.bottom - wr.top < needed) {
        HWND parent = ::GetParent(m_hWnd);
        ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&wr), 2);
        ::MoveWindow(m_hWnd, wr.left, wr.top, wr.right - wr.left, needed, TRUE);
    }
}

void CStaticEx::Render(HDC dc) {
    RECT wr{};
    ::GetWindowRect(m_hWnd, &wr);
    const int w = wr.right - wr.left, h = wr.bottom - wr.top;
    if (!dc || w <= 0 || h <= 0) return;
    fw::MemDC mem(::CreateCompatibleDC(dc));
    fw::Bitmap canvas(::CreateCompatibleBitmap(dc, w, h));
    if (!mem || !canvas) return;
    fw::SelectObj sel(mem.Get(), canvas.Get());
    const int saved = ::SaveDC(mem.Get());
    PaintParentBackground(m_hWnd, mem.Get());
    ::RestoreDC(mem.Get(), saved);
    if (m_imgList) ImageList_Draw(m_imgList, m_nImage, mem.Get(), 3, (h - m_nImageHeight) / 2, ILD_TRANSPARENT);
    DrawLabel(mem.Get());
    ::BitBlt(dc, 0, 0, w, h, mem.Get(), 0, 0, SRCCOPY);
}

LRESULT CStaticEx::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hWnd, &ps);
    Render(dc);
    ::EndPaint(m_hWnd, &ps);
    return 0;
}

LRESULT CStaticEx::OnSetCursor() {
    // A link shows the hand; a plain label keeps the arrow rather than
    // whatever cursor the pointer brought along.
    ::SetCursor(::LoadCursorW(nullptr, m_bHandCursor ? IDC_HAND : IDC_ARROW));
    return TRUE;
}

LRESULT CStaticEx::OnMouseMove() {
    TrackHover(m_hWnd, m_bTracking);
    return Default();
}

LRESULT CStaticEx::OnMouseHover() {
    m_bHover = TRUE;
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
    return 0;
}

LRESULT CStaticEx::OnMouseLeave() {
    m_bHover = FALSE;
    m_bTracking = FALSE;
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
    return 0;
}

LRESULT CStaticEx::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT: return OnPaint();
    case WM_ERASEBKGND: return TRUE;
    case WM_SETCURSOR: return OnSetCursor();
    case WM_MOUSEMOVE: return OnMouseMove();
    case WM_MOUSEHOVER: return OnMouseHover();
    case WM_MOUSELEAVE: return OnMouseLeave();
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}

// ---- CImgProgress -----------------------------------------------------------

CImgProgress::~CImgProgress() {
    if (m_hTrack) ::DeleteObject(m_hTrack);
    if (m_hFill) ::DeleteObject(m_hFill);
}

void CImgProgress::SetImages(HBITMAP hTrack, HBITMAP hFill) {
    if (m_hTrack && m_hTrack != hTrack) ::DeleteObject(m_hTrack);
    if (m_hFill && m_hFill != hFill) ::DeleteObject(m_hFill);
    m_hTrack = hTrack;
    m_hFill = hFill;
    const SIZE track = SkinBitmapSize(hTrack), fill = SkinBitmapSize(hFill);
    if (m_hWnd)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, track.cx, track.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    m_rcCtrl = {0, 0, track.cx, track.cy};
    const skin::Rect f = skin::CenteredRect(track.cx, track.cy, fill.cx, fill.cy);
    m_rcFill = {f.left, f.top, f.right, f.bottom};
}

void CImgProgress::Render(HDC dc) {
    RECT area = m_rcCtrl;
    // Without images there is still the parent's background to show.
    if (area.right <= area.left || area.bottom <= area.top) ::GetClientRect(m_hWnd, &area);
    const int w = area.right - area.left, h = area.bottom - area.top;
    if (!dc || w <= 0 || h <= 0) return;
    fw::MemDC mem(::CreateCompatibleDC(dc));
    fw::Bitmap canvas(::CreateCompatibleBitmap(dc, w, h));
    if (!mem || !canvas) return;
    fw::SelectObj sel(mem.Get(), canvas.Get());
    PaintParentBackground(m_hWnd, mem.Get());
    fw::MemDC imgDC(::CreateCompatibleDC(dc));
    if (m_hTrack) {
        const SIZE track = SkinBitmapSize(m_hTrack);
        fw::SelectObj selTrack(imgDC.Get(), m_hTrack);
        ::TransparentBlt(mem.Get(), 0, 0, track.cx, track.cy, imgDC.Get(), 0, 0, track.cx, track.cy, kSkinKey);
    }
    const int pos = (int)::SendMessageW(m_hWnd, PBM_GETPOS, 0, 0);
    PBRANGE range{};
    ::SendMessageW(m_hWnd, PBM_GETRANGE, TRUE, (LPARAM)&range);
    if (m_hFill) {
        const int fillW = m_rcFill.right - m_rcFill.left;
        const int f = skin::ProgressFillWidth(fillW, pos, range.iLow, range.iHigh);
        const skin::Rect fillRect{m_rcFill.left, m_rcFill.top, m_rcFill.right, m_rcFill.bottom};
        fw::SelectObj selFill(imgDC.Get(), m_hFill);
        for (const skin::Blit& b : skin::ProgressFillPieces(fillRect, f))
            ::TransparentBlt(mem.Get(), b.dx, b.dy, b.dw, b.dh, imgDC.Get(), b.sx, b.sy, b.sw, b.sh, kSkinKey);
    }
    if (m_bShowText && range.iHigh > range.iLow) {
        // In 64 bits and clamped: a position or range set by another program
        // must neither overflow the product nor make a text longer than "100%".
        const long long span = (long long)range.iHigh - range.iLow;
        const long long percent = std::clamp((long long)pos * 100 / span, 0LL, 100LL);
        const std::wstring text = std::to_wstring(percent) + L"%";
        ::SetTextColor(mem.Get(), m_crText);
        ::SetBkMode(mem.Get(), TRANSPARENT);
        RECT rc = m_rcCtrl;
        ::DrawTextW(mem.Get(), text.c_str(), -1, &rc, DT_CENTER | DT_VCENTER);
    }
    ::BitBlt(dc, 0, 0, w, h, mem.Get(), 0, 0, SRCCOPY);
}

LRESULT CImgProgress::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hWnd, &ps);
    Render(dc);
    ::EndPaint(m_hWnd, &ps);
    return 0;
}

LRESULT CImgProgress::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_ERASEBKGND: return TRUE;
    case WM_PAINT: return OnPaint();
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}
