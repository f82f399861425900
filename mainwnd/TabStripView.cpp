#include "mainwnd/TabStripView.h"

#include <windowsx.h>

#include "res/resource.h"
#include "skin/SkinImage.h"

using namespace tabstrip;

namespace {

RECT ToRECT(const skin::Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

// A strip of `frames` equal-width frames as a masked image list.
HIMAGELIST LoadStrip(UINT imageId, int frames) {
    fw::Bitmap strip(LoadSkinBitmap(::GetModuleHandleW(nullptr), imageId));
    if (!strip) {
        ::OutputDebugStringW(L"VexoQuon: a tab image is missing; tabs are drawn without it\n");
        return nullptr;
    }
    SIZE size = SkinBitmapSize(strip.Get());
    HIMAGELIST list = ImageList_Create(size.cx / frames, size.cy, ILC_COLOR24 | ILC_MASK, frames, 0);
    if (list) ImageList_AddMasked(list, strip.Get(), kSkinKey);
    return list;
}

void DrawFrame(HIMAGELIST list, int frame, HDC dc, const skin::Rect& r) {
    if (list)
        ImageList_DrawEx(list, frame, dc, r.left, r.top, r.Width(), r.Height(), CLR_NONE, CLR_NONE, ILD_TRANSPARENT);
}

TOOLINFOW WholeOwnerTool(HWND owner) {
    TOOLINFOW ti{};
    ti.cbSize = sizeof ti;
    ti.uFlags = TTF_IDISHWND;
    ti.hwnd = owner;
    ti.uId = (UINT_PTR)owner;
    return ti;
}

}  // namespace

void TabStripView::Create(HWND owner) {
    m_owner = owner;
    tabImages.Reset(LoadStrip(IDB_TABS, 3));
    closeImages.Reset(LoadStrip(IDB_TAB_CLOSE, 3));
    CreateTooltip();
}

void TabStripView::CreateTooltip() {
    tooltip = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_owner, nullptr,
                                ::GetModuleHandleW(nullptr), nullptr);
    if (!tooltip) {
        ::OutputDebugStringW(L"VexoQuon: no tab tooltip control\n");
        return;
    }
    TOOLINFOW ti = WholeOwnerTool(m_owner);
    ti.lpszText = LPSTR_TEXTCALLBACKW;
    ::SendMessageW(tooltip, TTM_ADDTOOLW, 0, (LPARAM)&ti);
    ::SendMessageW(tooltip, TTM_SETDELAYTIME, TTDT_AUTOMATIC, 500);
    ::SendMessageW(tooltip, TTM_ACTIVATE, FALSE, 0);
}

void TabStripView::ActivateTip(bool on, const std::wstring& text) {
    if (!tooltip) return;
    if (on) {
        TOOLINFOW ti = WholeOwnerTool(m_owner);
        std::wstring copy = text;
        ti.lpszText = &copy[0];
        ::SendMessageW(tooltip, TTM_UPDATETIPTEXTW, 0, (LPARAM)&ti);
    }
    ::SendMessageW(tooltip, TTM_ACTIVATE, on ? TRUE : FALSE, 0);
    tipActive = on ? 1 : 0;
}

void TabStripView::RelayEvent(MSG* msg) const {
    if (!tooltip) return;
    if (msg->message >= WM_MOUSEFIRST && msg->message <= WM_MOUSELAST) {
        ::SendMessageW(tooltip, TTM_RELAYEVENT, 0, (LPARAM)msg);
    } else if (msg->message == WM_NCMOUSEMOVE) {
        // In the restored window the tabs lie in the caption area: relay those
        // moves too, as the client moves the tooltip understands.
        POINT pt{GET_X_LPARAM(msg->lParam), GET_Y_LPARAM(msg->lParam)};
        ::ScreenToClient(msg->hwnd, &pt);
        MSG client = *msg;
        client.message = WM_MOUSEMOVE;
        client.wParam = 0;
        client.lParam = MAKELPARAM(pt.x, pt.y);
        ::SendMessageW(tooltip, TTM_RELAYEVENT, 0, (LPARAM)&client);
    }
}

void TabStripView::Repaint(const skin::Rect& r) const {
    RECT rc = ToRECT(r);
    ::InvalidateRect(m_owner, &rc, TRUE);
}

// ---- drawing ----------------------------------------------------------------

void TabStripView::Paint(HDC dc, const PageRegistry& pages) const {
    LOGFONTW lf{};
    HFONT base = (HFONT)::SendMessageW(m_owner, WM_GETFONT, 0, 0);
    ::GetObjectW(base ? (HGDIOBJ)base : ::GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
    lf.lfHeight = -12;
    lf.lfWidth = 0;
    fw::Font font(::CreateFontIndirectW(&lf));
    fw::SelectObj selFont(dc, font.Get());
    ::SetBkMode(dc, TRANSPARENT);

    auto measure = [dc](const std::wstring& s) {
        SIZE size{};
        ::GetTextExtentPoint32W(dc, s.c_str(), (int)s.size(), &size);
        return (int)size.cx;
    };
    for (int i = 0; i < pages.Count(); ++i) {
        DrawFrame(tabImages.Get(), i == pages.Current() ? 2 : i == hotTab ? 1 : 0, dc, TabImageRect(i));
        // The close mark shows on the hot tab only.
        if (i == hotTab && hotPart >= 0) DrawFrame(closeImages.Get(), hotPart, dc, CloseBoxRect(i));
        std::wstring text = DisplayTitle(pages.TitleAt(i), measure);
        RECT tr = ToRECT(TabTextRect(i));
        ::DrawTextW(dc, text.c_str(), (int)text.size(), &tr, DT_SINGLELINE | DT_NOPREFIX);
    }
}

// ---- mouse ------------------------------------------------------------------

void TabStripView::SetHot(int tab, int part) {
    for (const skin::Rect& r : HoverRepaints(hotTab, hotPart, tab, part)) Repaint(r);
    hotTab = tab;
    hotPart = part;
}

void TabStripView::OnHitTest(POINT pt, LRESULT frameHit, const PageRegistry& pages) {
    if (!InHitZone(pt.x, pt.y, pages.Count())) {
        SetHot(-1, -1);
        ActivateTip(false);
        return;
    }
    int i = TabIndexAt(pt.x);
    if (!tipActive)
        ActivateTip(true, pages.TitleAt(i));
    else if (i != hotTab)
        ActivateTip(false);  // shown again with the new title on the next hit test
    int part = HoverPart(i, pt.x, pt.y, (::GetKeyState(VK_LBUTTON) & 0x8000) != 0);
    if (part != 0) ActivateTip(false);
    SetHot(i, part);
    if (!trackingMouse) {
        // Over the caption band the pointer is in the non-client area, so
        // leaving is reported as a non-client leave.
        TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE | (frameHit == HTCAPTION ? TME_NONCLIENT : 0u), m_owner, 0};
        if (::TrackMouseEvent(&tme) && frameHit != HTCAPTION) trackingMouse = 1;
    }
}

int TabStripView::OnButtonDown(POINT pt, int pageCount) {
    int i = TabIndexAt(pt.x);
    if (i < 0 || i >= pageCount) return -1;
    if (InCloseBox(i, pt.x, pt.y)) {
        hotTab = i;
        hotPart = 2;
        RepaintCloseBox(i);
    }
    return i;
}

int TabStripView::OnButtonUp(POINT pt, bool middle) const {
    int i = TabIndexAt(pt.x);
    return middle || InCloseBox(i, pt.x, pt.y) ? i : -1;
}

void TabStripView::OnMouseLeave(bool client) {
    if (hotTab >= 0) {
        RepaintTab(hotTab);
        hotTab = hotPart = -1;
    }
    if (client) trackingMouse = 0;
}

void TabStripView::ResetHot(int i, bool closeBoxOnly) {
    if (closeBoxOnly)
        RepaintCloseBox(i);
    else
        RepaintTab(i);
    ClearHot();
}
