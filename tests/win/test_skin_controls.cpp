// The skinned controls on Wine's USER32/GDI: image loading from the real
// resources, the image button's faces, the frame's styles, region, buttons,
// hit testing and own maximize, the label and the progress bar. Pixels are
// read from memory DCs the controls draw into, not from the screen.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/Dialog.h"
#include "framework/Handles.h"
#include "resource.h"
#include "skin/BtnEx.h"
#include "skin/ControlLayout.h"
#include "skin/DlgEx.h"
#include "skin/SkinImage.h"
#include "skin/StaticEx.h"

namespace {

constexpr UINT kCaptionTemplate = 9001;  // test template: caption, OK and Cancel buttons
constexpr COLORREF kMagenta = RGB(255, 0, 255);

HINSTANCE Inst() { return ::GetModuleHandleW(nullptr); }

void Pump(int ms = 50) {
    const DWORD end = ::GetTickCount() + ms;
    MSG msg;
    do {
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::Sleep(5);
    } while ((int)(end - ::GetTickCount()) > 0);
}

// A screen-compatible off-screen surface to draw controls into and read back.
class Canvas {
public:
    Canvas(int w, int h) : m_w(w), m_h(h) {
        fw::WindowDC screen(nullptr);
        m_dc.Reset(::CreateCompatibleDC(screen.Get()));
        m_bmp.Reset(::CreateCompatibleBitmap(screen.Get(), w, h));
        m_old = ::SelectObject(m_dc.Get(), m_bmp.Get());
        Fill(RGB(1, 2, 3));
    }
    ~Canvas() { ::SelectObject(m_dc.Get(), m_old); }
    HDC dc() const { return m_dc.Get(); }
    COLORREF At(int x, int y) const { return ::GetPixel(m_dc.Get(), x, y); }
    void Fill(COLORREF c) {
        fw::Brush b(::CreateSolidBrush(c));
        RECT r{0, 0, m_w, m_h};
        ::FillRect(m_dc.Get(), &r, b.Get());
    }
    int w() const { return m_w; }
    int h() const { return m_h; }

private:
    int m_w, m_h;
    fw::MemDC m_dc;
    fw::Bitmap m_bmp;
    HGDIOBJ m_old = nullptr;
};

// Pixels of a loaded skin bitmap.
class Pixels {
public:
    explicit Pixels(HBITMAP bmp) : m_dc(::CreateCompatibleDC(nullptr)), m_bmp(bmp) {
        m_old = ::SelectObject(m_dc.Get(), bmp);
    }
    ~Pixels() { ::SelectObject(m_dc.Get(), m_old); }
    COLORREF At(int x, int y) const { return ::GetPixel(m_dc.Get(), x, y); }

private:
    fw::MemDC m_dc;
    HBITMAP m_bmp;
    HGDIOBJ m_old;
};

std::string Hex(COLORREF c) {
    char buf[16];
    snprintf(buf, sizeof buf, "%02x%02x%02x", GetRValue(c), GetGValue(c), GetBValue(c));
    return buf;
}

// ---- LoadSkinBitmap -----------------------------------------------------------

TEST(SkinImage, NullInstanceOrMissingImageGivesNull) {
    EXPECT_EQ(LoadSkinBitmap(nullptr, IDB_CLOSE), nullptr);
    EXPECT_EQ(LoadSkinBitmap(Inst(), 143), nullptr);  // carried by no resource here
    EXPECT_EQ(LoadSkinBitmap(Inst(), 4242), nullptr);
}

TEST(SkinImage, EveryImageHasItsSize) {
    struct { UINT id; int w, h; } sizes[] = {
        {129, 1005, 569}, {131, 30, 51}, {132, 132, 28}, {133, 228, 23}, {134, 30, 51}, {135, 108, 28},
        {136, 108, 28}, {137, 108, 28}, {138, 108, 27}, {139, 176, 28}, {140, 567, 22}, {141, 39, 13},
        {142, 14, 16}, {148, 108, 27}, {149, 108, 27}, {150, 316, 28}, {151, 316, 28}, {152, 390, 21},
        {153, 390, 21}, {162, 284, 150}};
    for (const auto& s : sizes) {
        fw::Bitmap bmp(LoadSkinBitmap(Inst(), s.id));
        ASSERT_TRUE(bmp) << s.id;
        SIZE sz = SkinBitmapSize(bmp.Get());
        EXPECT_EQ(sz.cx, s.w) << s.id;
        EXPECT_EQ(sz.cy, s.h) << s.id;
    }
}

TEST(SkinImage, TransparentCornersBecomeMagentaAndOpaquePixelsStay) {
    fw::Bitmap bmp(LoadSkinBitmap(Inst(), IDB_SMALLDLG_BK));
    ASSERT_TRUE(bmp);
    Pixels px(bmp.Get());
    // The top-left staircase: 3, 2, 1 transparent pixels; image keeps its orientation.
    EXPECT_EQ(px.At(0, 0), kMagenta);
    EXPECT_EQ(px.At(2, 0), kMagenta);
    EXPECT_EQ(px.At(1, 1), kMagenta);
    EXPECT_EQ(px.At(0, 2), kMagenta);
    EXPECT_EQ(px.At(3, 0), RGB(24, 60, 112));
    EXPECT_EQ(px.At(2, 1), RGB(24, 60, 112));
    EXPECT_EQ(px.At(3, 1), RGB(96, 160, 228));
    EXPECT_EQ(px.At(29, 0), kMagenta);
    EXPECT_NE(px.At(0, 50), kMagenta);  // square bottom corners
    EXPECT_NE(px.At(29, 50), kMagenta);
}

TEST(SkinImage, HalfTransparentPixelsAreBlendedOverWhiteRoundedDown) {
    // 133 (1, 0) is (120,150,192) at alpha 101; 153 (3, 3) is (26,102,196) at alpha 26.
    fw::Bitmap btn(LoadSkinBitmap(Inst(), IDB_PUSHBUTTON));
    fw::Bitmap fill(LoadSkinBitmap(Inst(), IDB_PROGRESS_FILL));
    ASSERT_TRUE(btn);
    ASSERT_TRUE(fill);
    EXPECT_EQ(Hex(Pixels(btn.Get()).At(1, 0)), Hex(RGB(201, 213, 230)));
    EXPECT_EQ(Hex(Pixels(btn.Get()).At(0, 0)), Hex(kMagenta));
    EXPECT_EQ(Hex(Pixels(fill.Get()).At(3, 3)), Hex(RGB(231, 239, 248)));
    EXPECT_EQ(Hex(Pixels(fill.Get()).At(1, 10)), Hex(RGB(26, 102, 196)));
}

TEST(SkinImage, EveryLoadIsASeparateBitmap) {
    HBITMAP a = LoadSkinBitmap(Inst(), IDB_PUSHBUTTON);
    HBITMAP b = LoadSkinBitmap(Inst(), IDB_PUSHBUTTON);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    ::DeleteObject(a);
    EXPECT_EQ(SkinBitmapSize(b).cx, 228);
    EXPECT_EQ(Pixels(b).At(60, 11), RGB(247, 251, 255));
    ::DeleteObject(b);
}

// ---- a framework parent for controls -------------------------------------------

// A skinned modeless dialog on the test template, with hooks for the tests.
class CTestDlg : public CDlgEx {
public:
    CTestDlg() : CDlgEx(kCaptionTemplate) {}
    int closes = 0;
    std::function<void(CTestDlg&)> init;

protected:
    BOOL OnInitDialog() override {
        CDlgEx::OnInitDialog();
        if (init) init(*this);
        return TRUE;
    }
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_CLOSE) {
            ++closes;
            return 0;
        }
        return CDlgEx::WindowProc(msg, wParam, lParam);
    }
};

// A dialog with the main window's configuration on skin 134 (caption 30,
// border 4, margins 0, close/min/max/restore).
std::unique_ptr<CTestDlg> MainLikeDialog(bool resizable = true) {
    auto dlg = std::make_unique<CTestDlg>();
    dlg->init = [resizable](CTestDlg& d) {
        d.m_nCaptionHeight = 30;
        d.m_nBorder = 4;
        d.m_nBtnRightMargin = 0;
        d.m_nBtnTop = 0;
        d.m_nBtnGap = 0;
        d.m_nTitleWeight = 600;
        d.m_bResizable = resizable;
        d.SetTitle(L"VexoQuon");
        d.SetSkin(LoadSkinBitmap(Inst(), IDB_MAINDLG_BK), FALSE, TRUE, LoadSkinBitmap(Inst(), IDB_CLOSE),
                  LoadSkinBitmap(Inst(), IDB_MINIMIZE), LoadSkinBitmap(Inst(), IDB_MAXIMIZE),
                  LoadSkinBitmap(Inst(), IDB_RESTORE));
    };
    if (!dlg->Create(kCaptionTemplate, nullptr)) return nullptr;
    ::SetWindowPos(dlg->m_hWnd, nullptr, 100, 100, 400, 300, SWP_NOZORDER | SWP_NOACTIVATE);
    return dlg;
}

RECT WindowRect(HWND h) {
    RECT r{};
    ::GetWindowRect(h, &r);
    return r;
}

RECT ChildRect(HWND child) {
    RECT r = WindowRect(child);
    ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

RECT WorkArea() {
    RECT r{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
    return r;
}

std::wstring TipText(HWND tooltip, HWND tool) {
    wchar_t buf[80] = {};
    TOOLINFOW ti{};
    ti.cbSize = TTTOOLINFOW_V2_SIZE;
    ti.hwnd = tool;
    ti.uId = 1;
    ti.lpszText = buf;
    ::SendMessageW(tooltip, TTM_GETTEXTW, 80, (LPARAM)&ti);
    return buf;
}

// ---- CDlgEx -------------------------------------------------------------------

TEST(SkinFrame, InitialisationDropsCaptionAndFrame) {
    auto dlg = MainLikeDialog();
    ASSERT_TRUE(dlg);
    const DWORD style = dlg->GetStyle();
    EXPECT_FALSE(style & WS_CAPTION);
    EXPECT_FALSE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(dlg->GetExStyle() & (WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE));
    RECT wr = WindowRect(dlg->m_hWnd), cr{};
    ::GetClientRect(dlg->m_hWnd, &cr);
    EXPECT_EQ(wr.right - wr.left, cr.right);
    EXPECT_EQ(wr.bottom - wr.top, cr.bottom);
}

TEST(SkinFrame, LimitsAndRestoreRectComeFromTheWorkArea) {
    auto dlg = MainLikeDialog();
    ASSERT_TRUE(dlg);
    RECT work = WorkArea();
    const int W = work.right - work.left, H = work.bottom - work.top;
    EXPECT_EQ(dlg->m_nMaxWidth, W);
    EXPECT_EQ(dlg->m_nMaxHeight, H);
    EXPECT_EQ(dlg->m_rcRestore.left, W / 8);
    EXPECT_EQ(dlg->m_rcRestore.top, H / 8);
    EXPECT_EQ(dlg->m_rcRestore.right, work.right - W / 8);
    EXPECT_EQ(dlg->m_rcRestore.bottom, work.bottom - H / 8);
}

TEST(SkinFrame, SystemButtonsStandRightToLeftWithTheirTooltips) {
    auto dlg = MainLikeDialog();
    ASSERT_TRUE(dlg);
    HWND close = ::GetDlgItem(dlg->m_hWnd, CDlgEx::kIdBtnClose);
    HWND max = ::GetDlgItem(dlg->m_hWnd, CDlgEx::kIdBtnMax);
    HWND min = ::GetDlgItem(dlg->m_hWnd, CDlgEx::kIdBtnMin);
    ASSERT_TRUE(close && max && min);
    EXPECT_EQ(close, dlg->m_btnClose.m_hWnd);
    RECT rc = ChildRect(close), rx = ChildRect(max), rn = ChildRect(min);
    EXPECT_EQ(rc.left, 400 - 33);
    EXPECT_EQ(rc.top, 0);
    EXPECT_EQ(rc.right, 400);
    EXPECT_EQ(rc.bottom, 28);
    EXPECT_EQ(rx.right, rc.left);
    EXPECT_EQ(rx.right - rx.left, 27);
    EXPECT_EQ(rn.right, rx.left);
    EXPECT_TRUE(::GetWindowLongPtrW(close, GWL_STYLE) & WS_VISIBLE);
    EXPECT_EQ(::GetWindowLongPtrW(close, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
    EXPECT_EQ(TipText(dlg->m_btnClose.GetTooltipWnd(), close), L"关闭");
    EXPECT_EQ(TipText(dlg->m_btnMax.GetTooltipWnd(), max), L"最大化");
    EXPECT_EQ(TipText(dlg->m_btnMin.GetTooltipWnd(), min), L"最小化");
    EXPECT_EQ(dlg->m_btnClose.GetImageCount(), 4);
}

TEST(SkinFrame, CloseOnlyWithMarginTopAndGap) {
    auto dlg = std::make_unique<CTestDlg>();
    dlg->init = [](CTestDlg& d) {
        d.m_nBtnRightMargin = 5;
        d.m_nBtnTop = 1;
        d.m_nBtnGap = 3;
        HBITMAP close = LoadSkinBitmap(Inst(), IDB_CLOSE);
        d.SetSkin(LoadSkinBitmap(Inst(), IDB_SMALLDLG_BK), FALSE, TRUE, close, nullptr, nullptr, nullptr);
        ::DeleteObject(close);  // the caller's: the button keeps its own copy
    };
    ASSERT_TRUE(dlg->Create(kCaptionTemplate, nullptr));
    RECT client{};
    ::GetClientRect(dlg->m_hWnd, &client);
    RECT rc = ChildRect(dlg->m_btnClose.m_hWnd);
    EXPECT_EQ(rc.left, client.right - 5 - 33);
    EXPECT_EQ(rc.top, 1);
    EXPECT_EQ(::GetDlgItem(dlg->m_hWnd, CDlgEx::kIdBtnMax), nullptr);
    EXPECT_EQ(::GetDlgItem(dlg->m_hWnd, CDlgEx::kIdBtnMin), nullptr);
    EXPECT_EQ(dlg->m_btnClose.GetImageCount(), 4);
}

TEST(SkinFrame, GapSeparatesButtonsWhenCreated) {
    auto dlg = std::make_unique<CTestDlg>();
    dlg->init = [](CTestDlg& d) {
        d.m_nBtnRightMargin = 0;
        d.m_nBtnGap = 2;
        d.SetSkin(LoadSkinBitmap(Inst(), IDB_MAINDLG_BK), FALSE, TRUE, LoadSkinBitmap(Inst(), IDB_CLOSE),
                  LoadSkinBitmap(Inst(), IDB_MINIMIZE), LoadSkinBitmap(Inst(), IDB_MAXIMIZE),
                  LoadSkinBitmap(Inst(), IDB_RESTORE));
    };
    ASSERT_TRUE(dlg->Create(kCaptionTemplate, nullptr));
    RECT rc = ChildRect(dlg->m_btnClose.m_hWnd), rx = ChildRect(dlg->m_btnMax.m_hWnd),
         rn = ChildRect(dlg->m_btnMin.m_hWnd);
    EXPECT_EQ(rx.right, rc.left - 2);
    EXPECT_EQ(rn.right, rx.left - 2);
}

TEST(SkinFrame, FitToBackSizesTheWindowToTheSkin) {
    auto dlg = std::make_unique<CTestDlg>();
    dlg->init = [](CTestDlg& d) {
        d.m_nCaptionHeight = 30;
        d.SetSkin(LoadSkinBitmap(Inst(), IDB_ADDACC_BK), TRUE, FALSE, nullptr, nullptr, nullptr, nullptr);
    };
    ASSERT_TRUE(dlg->Create(kCaptionTemplate, nullptr));
    RECT wr = WindowRect(dlg->m_hWnd);
    EXPECT_EQ(wr.right - wr.left, 284);
    EXPECT_EQ(wr.bottom - wr.top, 150);
    EXPECT_EQ(::GetDlgItem(dlg->m_hWnd, CDlgEx::kIdBtnClose), nullptr);
    // Drawn one to one: every pixel is the skin's own.
    fw::Bitmap skinBmp(LoadSkinBitmap(Inst(), IDB_ADDACC_BK));
    Pixels skin(skinBmp.Get());
    dlg->m_bShowTitle = FALSE;
    Canvas c(284, 150);
    ASSERT_TRUE(dlg->OnEraseBkgnd(c.dc()));
    int bad = 0;
    for (int y = 0; y < 150; y += 7)
        for (int x = 0; x < 284; x += 5) bad += c.At(x, y) != skin.At(x, y);
    EXPECT_EQ(bad, 0);
}

bool InRegion(HWND h, int x, int y) {
    fw::Region rgn(::CreateRectRgn(0, 0, 0, 0));
    if (::GetWindowRgn(h, rgn.Get()) == ERROR) return true;  // no region: the whole window
    return ::PtInRegion(rgn.Get(), x, y) != FALSE;
}

TEST(SkinFrame, RegionCutsTheStaircaseCornersAtAnySize) {
    auto dlg = MainLikeDialog();
    ASSERT_TRUE(dlg);
    for (int size = 0; size < 2; ++size) {
        if (size) ::SetWindowPos(dlg->m_hWnd, nullptr, 0, 0, 517, 333, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        RECT wr = WindowRect(dlg->m_hWnd);
        const int w = wr.right - wr.left, h = wr.bottom - wr.top;
        for (auto p : std::vector<POINT>{{0, 0}, {2, 0}, {1, 1}, {0, 2}, {w - 1, 0}, {w - 3, 0}, {w - 2, 1}, {w - 1, 2}})
            EXPECT_FALSE(InRegion(dlg->m_hWnd, p.x, p.y)) << p.x << "," << p.y << " size " << w;
        for (auto p : std::vector<POINT>{{3, 0}, {2, 1}, {1, 2}, {0, 3}, {w - 4, 0}, {w - 1, 3}, {0, h - 1},
                                         {w - 1, h - 1}, {w / 2, h / 2}})
            EXPECT_TRUE(InRegion(dlg->m_hWnd, p.x, p.y)) << p.x << "," << p.y << " size " << w;
    }
}

TEST(SkinFrame, SkinWithoutMagentaGivesARectangularWindow) {
    // A plain 30 × 51 skin painted grey.
    fw::WindowDC screen(nullptr);
    HBITMAP plain = ::CreateCompatibleBitmap(screen.Get(), 30, 51);
    {
        fw::MemDC dc(::CreateCompatibleDC(screen.Get()));
        fw::SelectObj sel(dc.Get(), plain);
        fw::Brush grey(::CreateSolidBrush(RGB(128, 128, 128)));
        RECT r{0, 0, 30, 51};
        ::FillRect(dc.Get(), &r, grey.Get());
    }
    auto dlg = std::make_unique<CTestDlg>();
    dlg->init = [plain](CTestDlg& d) { d.SetSkin(plain, FALSE, TRUE, nullptr, nullptr, nullptr, nullptr); };
    ASSERT_TRUE(dlg->Create(kCaptionTemplate, nullptr));
    RECT wr = WindowRect(dlg->m_hWnd);
    const int w = wr.right - wr.left, h = wr.bottom - wr.top;
    for (auto p : std::vector<POINT>{{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}})
        EXPECT_TRUE(InRegion(dlg->m_hWnd, p.x, p.y)) << p.x << "," << p.y;
}

LRESULT HitAt(HWND h, int x, int y) {
    POINT p{x, y};
    ::ClientToScreen(h, &p);
    return ::SendMessageW(h, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
}

TEST(SkinFrame, HitTestingOfAResizableFrame) {
    auto dlg = MainLikeDialog(true);
    ASSERT_TRUE(dlg);
    HWND h = dlg->m_hWnd;
    EXPECT_EQ(HitAt(h, 0, 0), HTTOPLEFT);
    EXPECT_EQ(HitAt(h, 399, 0), HTTOPRIGHT);
    EXPECT_EQ(HitAt(h, 0, 299), HTBOTTOMLEFT);
    EXPECT_EQ(HitAt(h, 399, 299), HTBOTTOMRIGHT);
    EXPECT_EQ(HitAt(h, 2, 150), HTLEFT);
    EXPECT_EQ(HitAt(h, 397, 150), HTRIGHT);
    EXPECT_EQ(HitAt(h, 200, 2), HTTOP);
    EXPECT_EQ(HitAt(h, 200, 3), HTCAPTION);
    EXPECT_EQ(HitAt(h, 200, 29), HTCAPTION);
    EXPECT_EQ(HitAt(h, 200, 297), HTBOTTOM);
    EXPECT_EQ(HitAt(h, 200, 150), HTCLIENT);
}

TEST(SkinFrame, HitTestingOfAFixedFrame) {
    auto dlg = MainLikeDialog(false);
    ASSERT_TRUE(dlg);
    EXPECT_EQ(HitAt(dlg->m_hWnd, 0, 0), HTCAPTION);
    EXPECT_EQ(HitAt(dlg->m_hWnd, 200, 29), HTCAPTION);
    EXPECT_EQ(HitAt(dlg->m_hWnd, 0, 150), HTCLIENT);
    dlg->m_nCaptionHeight = -1;
    EXPECT_EQ(HitAt(dlg->m_hWnd, 200, 250), HTCAPTION);
}

TEST(SkinFrame, OwnMaximizeCoversTheWorkAreaAndRestores) {
    auto dlg = MainLikeDialog();
    ASSERT_TRUE(dlg);
    HWND h = dlg->m_hWnd;
    const RECT restore = dlg->m_rcRestore;
    ::SendMessageW(h, WM_COMMAND, MAKEWPARAM(CDlgEx::kIdBtnMax, BN_CLICKED), (LPARAM)dlg->m_btnMax.m_hWnd);
    EXPECT_TRUE(dlg->m_bMaximized);
    EXPECT_FALSE(::IsZoomed(h));  // the system's maximized state is never used
    RECT work = WorkArea(), wr = WindowRect(h);
    EXPECT_TRUE(::EqualRect(&work, &wr));
    EXPECT_EQ(TipText(dlg->m_btnMax.GetTooltipWnd(), dlg->m_btnMax.m_hWnd), L"还原");
    // Buttons follow the new width.
    EXPECT_EQ(ChildRect(dlg->m_btnClose.m_hWnd).right, work.right - work.left);
    // No dragging or resizing while maximized.
    EXPECT_EQ(HitAt(h, 0, 0), HTCLIENT);
    EXPECT_EQ(HitAt(h, 200, 10), HTCLIENT);

    ::SendMessageW(h, WM_COMMAND, MAKEWPARAM(CDlgEx::kIdBtnMax, BN_CLICKED), (LPARAM)dlg->m_btnMax.m_hWnd);
    EXPECT_FALSE(dlg->m_bMaximized);
    wr = WindowRect(h);
    EXPECT_TRUE(::EqualRect(&restore, &wr));
    EXPECT_EQ(TipText(dlg->m_btnMax.GetTooltipWnd(), dlg->m_btnMax.m_hWnd), L"最大化");
}

TEST(SkinFrame, MaximizeIsCappedAndCentred) {
    auto dlg = MainLikeDialog();
    ASSERT_TRUE(dlg);
    RECT work = WorkArea();
    dlg->m_nMaxWidth = (work.right - work.left) - 200;
    dlg->m_nMaxHeight = (work.bottom - work.top) - 100;
    dlg->OnBtnMax();
    RECT wr = WindowRect(dlg->m_hWnd);
    EXPECT_EQ(wr.left, work.left + 100);
    EXPECT_EQ(wr.right, work.right - 100);
    EXPECT_EQ(wr.top, work.top + 50);
    EXPECT_EQ(wr.bottom, work.bottom - 50);
}

TEST(SkinFrame, DoubleClicksToggleMaximize) {
    auto dlg = MainLikeDialog(true);
    ASSERT_TRUE(dlg);
    HWND h = dlg->m_hWnd;
    ::SendMessageW(h, WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
    EXPECT_TRUE(dlg->m_bMaximized);
    // Maximized: a double click in the caption band's client area restores.
    ::SendMessageW(h, WM_LBUTTONDBLCLK, 0, MAKELPARAM(200, 40));
    EXPECT_TRUE(dlg->m_bMaximized) << "below the caption band";
    ::SendMessageW(h, WM_LBUTTONDBLCLK, 0, MAKELPARAM(200, 10));
    EXPECT_FALSE(dlg->m_bMaximized);
    // Not maximized: a client double click does nothing.
    ::SendMessageW(h, WM_LBUTTONDBLCLK, 0, MAKELPARAM(200, 10));
    EXPECT_FALSE(dlg->m_bMaximized);

    auto fixed = MainLikeDialog(false);
    ::SendMessageW(fixed->m_hWnd, WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
    EXPECT_FALSE(fixed->m_bMaximized);
}

TEST(SkinFrame, CloseButtonPostsScCloseAndMinimizeMinimizes) {
    auto dlg = MainLikeDialog();
    ASSERT_TRUE(dlg);
    ::SendMessageW(dlg->m_btnClose.m_hWnd, BM_CLICK, 0, 0);
    EXPECT_EQ(dlg->closes, 0) << "posted, not sent";
    Pump();
    EXPECT_EQ(dlg->closes, 1);
    ::ShowWindow(dlg->m_hWnd, SW_SHOWNOACTIVATE);
    ::SendMessageW(dlg->m_hWnd, WM_COMMAND, MAKEWPARAM(CDlgEx::kIdBtnMin, BN_CLICKED), 0);
    Pump(200);
    EXPECT_TRUE(::IsIconic(dlg->m_hWnd));
}

TEST(SkinFrame, ResizingLaysTheButtonsOutAgainWithoutGap) {
    auto dlg = MainLikeDialog();
    ASSERT_TRUE(dlg);
    dlg->m_nBtnRightMargin = 7;
    dlg->m_nBtnGap = 5;
    ::SetWindowPos(dlg->m_hWnd, nullptr, 0, 0, 600, 350, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT rc = ChildRect(dlg->m_btnClose.m_hWnd), rx = ChildRect(dlg->m_btnMax.m_hWnd),
         rn = ChildRect(dlg->m_btnMin.m_hWnd);
    EXPECT_EQ(rc.right, 600 - 7);
    EXPECT_EQ(rx.right, rc.left);
    EXPECT_EQ(rn.right, rx.left);
    EXPECT_EQ(rc.top, 0);
}

TEST(SkinFrame, SetTitleSetsTheWindowText) {
    auto dlg = MainLikeDialog();
    ASSERT_TRUE(dlg);
    dlg->SetTitle(L"设置");
    wchar_t text[32] = {};
    ::GetWindowTextW(dlg->m_hWnd, text, 32);
    EXPECT_STREQ(text, L"设置");
}

TEST(SkinFrame, BackgroundIsTheStretchedSkinWithTitleInTheCaption) {
    auto dlg = MainLikeDialog();
    ASSERT_TRUE(dlg);
    fw::Bitmap skinBmp(LoadSkinBitmap(Inst(), IDB_MAINDLG_BK));
    Pixels skin(skinBmp.Get());
    Canvas withTitle(400, 300);
    ASSERT_TRUE(::SendMessageW(dlg->m_hWnd, WM_ERASEBKGND, (WPARAM)withTitle.dc(), 0));
    // Corners copied 1:1, edges and centre stretched from the skin's middle.
    EXPECT_EQ(Hex(withTitle.At(3, 0)), Hex(skin.At(3, 0)));
    EXPECT_EQ(Hex(withTitle.At(399, 299)), Hex(skin.At(29, 50)));
    EXPECT_EQ(Hex(withTitle.At(0, 299)), Hex(skin.At(0, 50)));
    EXPECT_EQ(Hex(withTitle.At(200, 150)), Hex(skin.At(15, 40)));
    EXPECT_EQ(Hex(withTitle.At(1, 150)), Hex(skin.At(1, 40)));
    EXPECT_EQ(Hex(withTitle.At(300, 20)), Hex(skin.At(15, 20)));

    // Without an icon the title "VexoQuon" starts at x = border + 5 = 9, y = 7.
    auto inkOutside = [&](int left, int top, int& changed) {
        Canvas bare(400, 300);
        dlg->m_bShowTitle = FALSE;
        ::SendMessageW(dlg->m_hWnd, WM_ERASEBKGND, (WPARAM)bare.dc(), 0);
        dlg->m_bShowTitle = TRUE;
        Canvas titled(400, 300);
        ::SendMessageW(dlg->m_hWnd, WM_ERASEBKGND, (WPARAM)titled.dc(), 0);
        int outside = 0;
        changed = 0;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 200; ++x)
                if (titled.At(x, y) != bare.At(x, y)) {
                    ++changed;
                    if (x < left || y < top) ++outside;
                }
        return outside;
    };
    int changed = 0;
    EXPECT_EQ(inkOutside(9, 7, changed), 0);
    EXPECT_GT(changed, 30);
    EXPECT_GT(inkOutside(12, 7, changed), 0) << "the title really starts at 9";

    // With a small icon: the icon at (4, 7), the title at (25, 7).
    HICON icon = (HICON)::LoadImageW(Inst(), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, 16, 16, 0);
    ASSERT_TRUE(icon);
    ::SendMessageW(dlg->m_hWnd, WM_SETICON, ICON_SMALL, (LPARAM)icon);
    EXPECT_EQ(inkOutside(25, 7, changed), 0);
    EXPECT_GT(changed, 30);
    // The title moves with the icon; leave it out to see the icon alone.
    dlg->m_bShowTitle = FALSE;
    Canvas noIcon(400, 300), withIcon(400, 300);
    dlg->m_bShowIcon = FALSE;
    ::SendMessageW(dlg->m_hWnd, WM_ERASEBKGND, (WPARAM)noIcon.dc(), 0);
    dlg->m_bShowIcon = TRUE;
    ::SendMessageW(dlg->m_hWnd, WM_ERASEBKGND, (WPARAM)withIcon.dc(), 0);
    int iconInk = 0, stray = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 25; ++x)
            if (noIcon.At(x, y) != withIcon.At(x, y)) {
                ++iconInk;
                if (x < 4 || x >= 20 || y < 7 || y >= 23) ++stray;
            }
    EXPECT_GT(iconInk, 20);
    EXPECT_EQ(stray, 0);
    ::SendMessageW(dlg->m_hWnd, WM_SETICON, ICON_SMALL, 0);
    ::DestroyIcon(icon);
}

TEST(SkinFrame, NoBackgroundDrawsNothing) {
    auto dlg = std::make_unique<CTestDlg>();
    ASSERT_TRUE(dlg->Create(kCaptionTemplate, nullptr));
    Canvas c(50, 50);
    EXPECT_FALSE(dlg->OnEraseBkgnd(c.dc()));
    EXPECT_EQ(c.At(10, 10), RGB(1, 2, 3));
}

// ---- CBtnEx -------------------------------------------------------------------

// Draws `btn` into a canvas through the parent's WM_DRAWITEM, as the system would.
void DrawButton(CBtnEx& btn, Canvas& c, UINT state) {
    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_BUTTON;
    dis.CtlID = (UINT)::GetDlgCtrlID(btn.m_hWnd);
    dis.itemAction = ODA_DRAWENTIRE;
    dis.itemState = state;
    dis.hwndItem = btn.m_hWnd;
    dis.hDC = c.dc();
    ::GetClientRect(btn.m_hWnd, &dis.rcItem);
    ASSERT_TRUE(::SendMessageW(::GetParent(btn.m_hWnd), WM_DRAWITEM, dis.CtlID, (LPARAM)&dis));
}

// Counts the button pixels that differ from frame `frame` of the strip
// (pixels magenta in the strip are not compared); columns [x0, x1).
int FrameMismatches(const Canvas& c, const Pixels& strip, int frameW, int frameH, int frame, int x0 = 0, int x1 = -1,
                    bool report = true) {
    if (x1 < 0) x1 = frameW;
    int bad = 0;
    for (int y = 0; y < frameH; ++y)
        for (int x = x0; x < x1; ++x) {
            COLORREF s = strip.At(frame * frameW + x, y);
            if (s != kMagenta && s != c.At(x, y)) {
                ++bad;
                if (report && bad < 8)
                    ADD_FAILURE() << "frame " << frame << " (" << x << "," << y << ") strip " << Hex(s) << " drawn "
                                  << Hex(c.At(x, y));
            }
        }
    return bad;
}

struct ButtonOnDialog {
    std::unique_ptr<CTestDlg> dlg = MainLikeDialog(false);
    CBtnEx btn;
    fw::Bitmap strip;
    ButtonOnDialog(UINT image, int x, int y, int w, int h, LPCWSTR text = L"") : strip(LoadSkinBitmap(Inst(), image)) {
        btn.CreateEx(0, L"BUTTON", text, WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, x, y, w, h, dlg->m_hWnd,
                     (HMENU)(INT_PTR)1234);
    }
};

TEST(SkinButton, SetImageSlicesFourFramesAndResizes) {
    ButtonOnDialog b(IDB_CLOSE, 50, 50, 10, 10);
    ASSERT_TRUE(b.btn.m_hWnd);
    EXPECT_TRUE(b.btn.SetImage(b.strip.Get(), TRUE));
    EXPECT_EQ(b.btn.GetImageCount(), 4);
    RECT r = WindowRect(b.btn.m_hWnd);
    EXPECT_EQ(r.right - r.left, 33);
    EXPECT_EQ(r.bottom - r.top, 28);
    EXPECT_EQ(b.btn.m_rcWnd.right - b.btn.m_rcWnd.left, 33);
    b.btn.SetImage(b.strip.Get(), FALSE);
    EXPECT_EQ(WindowRect(b.btn.m_hWnd).right - WindowRect(b.btn.m_hWnd).left, 33);
}

TEST(SkinButton, SetImageLeavesTheCallersStripIntact) {
    ButtonOnDialog b(IDB_CLOSE, 50, 50, 33, 28);
    b.btn.SetImage(b.strip.Get(), TRUE);
    b.btn.SetImage(b.strip.Get(), TRUE);
    Pixels strip(b.strip.Get());
    EXPECT_EQ(Hex(strip.At(32, 0)), Hex(kMagenta));
    // Built twice from the same strip, the staircase still shows the parent.
    Canvas c(33, 28);
    DrawButton(b.btn, c, 0);
    EXPECT_NE(Hex(c.At(32, 0)), "000000");
}

TEST(SkinButton, EachStateDrawsItsFrame) {
    ButtonOnDialog b(IDB_CLOSE, 50, 50, 33, 28);
    b.btn.SetImage(b.strip.Get(), TRUE);
    Pixels strip(b.strip.Get());
    // The four frames really differ, or the test would prove nothing.
    for (int f = 1; f < 4; ++f) {
        int differ = 0;
        for (int y = 0; y < 28; ++y)
            for (int x = 0; x < 33; ++x) differ += strip.At(x, y) != strip.At(f * 33 + x, y);
        ASSERT_GT(differ, 10) << "frame " << f;
    }
    Canvas c(33, 28);
    DrawButton(b.btn, c, 0);
    EXPECT_EQ(b.btn.GetLastFrame(), 0);
    EXPECT_EQ(FrameMismatches(c, strip, 33, 28, 0), 0);
    EXPECT_GT(FrameMismatches(c, strip, 33, 28, 1, 0, -1, false), 0);

    b.btn.m_bHover = TRUE;
    DrawButton(b.btn, c, 0);
    EXPECT_EQ(b.btn.GetLastFrame(), 1);
    EXPECT_EQ(FrameMismatches(c, strip, 33, 28, 1), 0);

    DrawButton(b.btn, c, ODS_SELECTED);
    EXPECT_EQ(FrameMismatches(c, strip, 33, 28, 2), 0);
    EXPECT_TRUE(b.btn.m_bPressed);
    // Dragged off while held: still pressed.
    b.btn.m_bHover = FALSE;
    DrawButton(b.btn, c, 0);
    EXPECT_EQ(FrameMismatches(c, strip, 33, 28, 2), 0);
    // Released: the latch goes.
    ::SendMessageW(b.btn.m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(100, 100));
    EXPECT_FALSE(b.btn.m_bPressed);
    DrawButton(b.btn, c, 0);
    EXPECT_EQ(FrameMismatches(c, strip, 33, 28, 0), 0);

    b.btn.m_bHover = TRUE;
    DrawButton(b.btn, c, ODS_DISABLED);
    EXPECT_EQ(b.btn.GetLastFrame(), 3);
    EXPECT_EQ(FrameMismatches(c, strip, 33, 28, 3), 0);
}

TEST(SkinButton, TransparentPixelsShowTheParentsBackground) {
    // The close button's top-right staircase lies over the caption band.
    ButtonOnDialog b(IDB_CLOSE, 100, 0, 33, 28);
    b.btn.SetImage(b.strip.Get(), TRUE);
    Canvas face(33, 28), back(400, 300);
    DrawButton(b.btn, face, 0);
    ::SendMessageW(b.dlg->m_hWnd, WM_ERASEBKGND, (WPARAM)back.dc(), 0);
    EXPECT_EQ(Hex(face.At(32, 0)), Hex(back.At(132, 0)));
    EXPECT_EQ(Hex(face.At(30, 0)), Hex(back.At(130, 0)));
    for (int y = 0; y < 28; ++y)
        for (int x = 0; x < 33; ++x) ASSERT_NE(face.At(x, y), kMagenta) << x << "," << y;
}

TEST(SkinButton, LargerButtonStretchesItsFrameKeepingTransparency) {
    ButtonOnDialog b(IDB_CLOSE, 40, 40, 66, 56);
    b.btn.SetImage(b.strip.Get(), FALSE);
    Pixels strip(b.strip.Get());
    Canvas c(66, 56);
    DrawButton(b.btn, c, 0);
    int match = 0, compared = 0;
    for (int y = 0; y < 56; ++y)
        for (int x = 0; x < 66; ++x) {
            ASSERT_NE(c.At(x, y), kMagenta) << x << "," << y;
            COLORREF s = strip.At(x / 2, y / 2);
            if (s == kMagenta) continue;
            ++compared;
            match += s == c.At(x, y);
        }
    EXPECT_GT(match, compared * 9 / 10);
}

TEST(SkinButton, CaptionIsGreyWhenDisabled) {
    ButtonOnDialog b(IDB_PUSHBUTTON, 40, 60, 57, 23, L"按钮");
    b.btn.SetImage(b.strip.Get(), TRUE);
    EXPECT_EQ(b.btn.m_strText, L"按钮");
    b.btn.m_crText = RGB(255, 0, 0);
    Pixels strip(b.strip.Get());
    auto reddish = [](COLORREF c) { return GetRValue(c) > 150 && GetGValue(c) < 120 && GetBValue(c) < 120; };
    Canvas on(57, 23), off(57, 23);
    DrawButton(b.btn, on, 0);
    DrawButton(b.btn, off, ODS_DISABLED);
    int redOn = 0, redOff = 0, textOff = 0;
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 57; ++x) {
            redOn += reddish(on.At(x, y));
            redOff += reddish(off.At(x, y));
            textOff += off.At(x, y) != strip.At(3 * 57 + x, y) && strip.At(3 * 57 + x, y) != kMagenta;
        }
    EXPECT_GT(redOn, 5);
    EXPECT_EQ(redOff, 0);
    EXPECT_GT(textOff, 5) << "the grey caption is drawn on the disabled face";
    // Outside the caption the faces are exact.
    EXPECT_EQ(FrameMismatches(on, strip, 57, 23, 0, 0, 8), 0);
    EXPECT_EQ(FrameMismatches(off, strip, 57, 23, 3, 0, 8), 0);
}

TEST(SkinButton, TemplateButtonBecomesOwnerDrawnWithItsCaption) {
    CDialog host(kCaptionTemplate);
    ASSERT_TRUE(host.Create(kCaptionTemplate, nullptr));
    CBtnEx ok;
    ASSERT_TRUE(ok.SubclassDlgItem(IDOK, host.m_hWnd));
    EXPECT_EQ(ok.m_strText, L"OK");
    EXPECT_EQ(ok.GetStyle() & BS_TYPEMASK, BS_OWNERDRAW);
    RECT r = WindowRect(ok.m_hWnd);
    EXPECT_EQ(ok.m_rcWnd.right - ok.m_rcWnd.left, r.right - r.left);
    ok.UnsubclassWindow();
}

TEST(SkinButton, TooltipIsMadeOnceAndTakesTheNewTextAtTheNextHover) {
    ButtonOnDialog b(IDB_CLOSE, 50, 50, 33, 28);
    b.btn.SetTooltip(L"一");
    HWND tip = b.btn.GetTooltipWnd();
    ASSERT_TRUE(tip);
    EXPECT_TRUE(b.btn.m_bTooltip);
    ::SendMessageW(b.btn.m_hWnd, WM_MOUSEHOVER, 0, 0);
    EXPECT_EQ(TipText(tip, b.btn.m_hWnd), L"一");
    b.btn.SetTooltip(L"二");
    EXPECT_EQ(b.btn.GetTooltipWnd(), tip);
    EXPECT_EQ(TipText(tip, b.btn.m_hWnd), L"一");
    ::SendMessageW(b.btn.m_hWnd, WM_MOUSEHOVER, 0, 0);
    EXPECT_EQ(TipText(tip, b.btn.m_hWnd), L"二");
    EXPECT_TRUE(b.btn.m_bHover);
    ::SendMessageW(b.btn.m_hWnd, WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(b.btn.m_bHover);
    EXPECT_FALSE(b.btn.m_bTracking);

    // Resized by its owner, the tool still covers the whole button.
    b.btn.SetImage(b.strip.Get(), TRUE);
    b.btn.SetImage(nullptr, FALSE);
    ::SetWindowPos(b.btn.m_hWnd, nullptr, 0, 0, 80, 40, SWP_NOMOVE | SWP_NOZORDER);
    TOOLINFOW ti{};
    ti.cbSize = TTTOOLINFOW_V2_SIZE;
    ti.hwnd = b.btn.m_hWnd;
    ti.uId = 1;
    ASSERT_TRUE(::SendMessageW(tip, TTM_GETTOOLINFOW, 0, (LPARAM)&ti));
    EXPECT_EQ(ti.rect.right, 80);
    EXPECT_EQ(ti.rect.bottom, 40);
}

TEST(SkinButton, RecreatedButtonGetsAWorkingTooltip) {
    auto dlg = MainLikeDialog();
    ASSERT_TRUE(dlg);
    HWND oldTip = dlg->m_btnClose.GetTooltipWnd();
    HBITMAP close = LoadSkinBitmap(Inst(), IDB_CLOSE);
    dlg->SetSkin(LoadSkinBitmap(Inst(), IDB_MAINDLG_BK), FALSE, TRUE, close, nullptr, nullptr, nullptr);
    ::DeleteObject(close);
    EXPECT_FALSE(::IsWindow(oldTip));
    ASSERT_TRUE(dlg->m_btnClose.GetTooltipWnd());
    EXPECT_EQ(TipText(dlg->m_btnClose.GetTooltipWnd(), dlg->m_btnClose.m_hWnd), L"关闭");
}

// ---- CStaticEx ----------------------------------------------------------------

struct LabelOnDialog {
    std::unique_ptr<CTestDlg> dlg = MainLikeDialog(false);
    CStaticEx label;
    LabelOnDialog(LPCWSTR text, int w, int h, DWORD style = 0) {
        HWND s = ::CreateWindowExW(0, L"STATIC", text, WS_CHILD | WS_VISIBLE | style, 20, 60, w, h, dlg->m_hWnd,
                                   (HMENU)1005, Inst(), nullptr);
        label.SubclassWindow(s);
    }
    int Height() const {
        RECT r = WindowRect(label.m_hWnd);
        return r.bottom - r.top;
    }
    // Line height of the label font, measured as the label does.
    int LineHeight() {
        fw::WindowDC dc(label.m_hWnd);
        fw::SelectObj sel(dc.Get(), label.GetLabelFont());
        RECT r{0, 0, 0, 0};
        ::DrawTextW(dc.Get(), L"测试用汉字来获取宽度", 11, &r, DT_CALCRECT);
        return r.bottom - r.top;
    }
};

TEST(SkinLabel, TakesItsTextAndMakesItsFontOnce) {
    LabelOnDialog l(L"登录其他账号", 100, 16);
    EXPECT_EQ(l.label.m_strText, L"登录其他账号");
    l.label.m_bUnderline = TRUE;
    l.label.m_nFontWeight = 700;
    HFONT f = l.label.GetLabelFont();
    LOGFONTW lf{};
    ::GetObjectW(f, sizeof lf, &lf);
    EXPECT_EQ(lf.lfHeight, -12);
    EXPECT_EQ(lf.lfWeight, 700);
    EXPECT_TRUE(lf.lfUnderline);
    EXPECT_STREQ(lf.lfFaceName, L"微软雅黑");
    l.label.m_nFontHeight = 16;
    EXPECT_EQ(l.label.GetLabelFont(), f) << "later member changes do not affect the font";
}

TEST(SkinLabel, WrapsAndGrowsButNeverShrinks) {
    LabelOnDialog l(L"一二三四五六七八九十一二三四五六七八九十", 100, 16);
    Canvas c(100, 200);
    l.label.Render(c.dc());
    const int lines = l.label.GetLastLineCount();
    EXPECT_GE(lines, 2);
    const int lh = l.LineHeight();
    EXPECT_EQ(l.Height(), skin::LabelHeight(lh, 3, lines));
    const int grown = l.Height();
    l.label.m_strText = L"短";
    l.label.Render(c.dc());
    EXPECT_EQ(l.label.GetLastLineCount(), 1);
    EXPECT_EQ(l.Height(), grown);
}

TEST(SkinLabel, LineBreaksInTheText) {
    LabelOnDialog l(L"甲\r\n乙\n\n丙", 200, 16);
    Canvas c(200, 200);
    l.label.Render(c.dc());
    EXPECT_EQ(l.label.GetLastLineCount(), 4);
}

TEST(SkinLabel, NarrowerThanAGlyphDrawsNothing) {
    LabelOnDialog l(L"一二三", 5, 16);
    Canvas c(5, 16);
    l.label.Render(c.dc());
    EXPECT_EQ(l.label.GetLastLineCount(), 0);
    EXPECT_EQ(l.Height(), 16);
}

TEST(SkinLabel, ImageSitsAtTheLeftAndRejectsInvalidBitmaps) {
    LabelOnDialog l(L"", 120, 20);
    fw::Bitmap icon(LoadSkinBitmap(Inst(), IDB_ADDACC_ICON));
    ASSERT_TRUE(l.label.SetImage(icon.Get()));
    EXPECT_EQ(l.label.m_nImageWidth, 14);
    EXPECT_EQ(l.label.m_nImageHeight, 16);
    HIMAGELIST list = l.label.m_imgList;
    EXPECT_FALSE(l.label.SetImage(nullptr));
    EXPECT_EQ(l.label.m_imgList, list);

    Pixels src(icon.Get());
    Canvas c(120, 20);
    l.label.Render(c.dc());
    // Drawn at x = 3, centred vertically: (20 − 16)/2 = 2.
    int compared = 0, bad = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 14; ++x) {
            COLORREF s = src.At(x, y);
            if (s == kMagenta) continue;
            ++compared;
            bad += c.At(3 + x, 2 + y) != s;
        }
    EXPECT_GT(compared, 20);
    EXPECT_EQ(bad, 0);
}

TEST(SkinLabel, TextStartsRightOfTheImage) {
    LabelOnDialog l(L"一一一一", 150, 20);
    Canvas plain(150, 20);
    l.label.Render(plain.dc());
    auto firstInk = [](const Canvas& c, const Canvas& ref) {
        for (int x = 0; x < c.w(); ++x)
            for (int y = 0; y < c.h(); ++y)
                if (c.At(x, y) != ref.At(x, y)) return x;
        return -1;
    };
    // Reference: the parent background alone.
    l.label.m_strText = L"";
    Canvas empty(150, 20);
    l.label.Render(empty.dc());
    const int x0 = firstInk(plain, empty);
    ASSERT_GE(x0, 0);
    fw::Bitmap icon(LoadSkinBitmap(Inst(), IDB_ADDACC_ICON));
    l.label.SetImage(icon.Get());
    Canvas emptyWithImage(150, 20);
    l.label.Render(emptyWithImage.dc());
    l.label.m_strText = L"一一一一";
    Canvas withImage(150, 20);
    l.label.Render(withImage.dc());
    EXPECT_EQ(firstInk(withImage, emptyWithImage), x0 + 20);
}

TEST(SkinLabel, LinkShowsTheHandAndTracksHover) {
    LabelOnDialog l(L"登录其他账号", 100, 16, SS_NOTIFY);
    l.label.m_bHandCursor = TRUE;
    EXPECT_TRUE(::SendMessageW(l.label.m_hWnd, WM_SETCURSOR, (WPARAM)l.label.m_hWnd, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_HAND));
    ::SendMessageW(l.label.m_hWnd, WM_MOUSEHOVER, 0, 0);
    EXPECT_TRUE(l.label.m_bHover);
    ::SendMessageW(l.label.m_hWnd, WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(l.label.m_bHover);
}

// ---- CImgProgress -------------------------------------------------------------

struct ProgressOnDialog {
    std::unique_ptr<CTestDlg> dlg = MainLikeDialog(false);
    CImgProgress bar;
    ProgressOnDialog() {
        HWND p = ::CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE, 5, 100, 50, 10, dlg->m_hWnd,
                                   (HMENU)1006, Inst(), nullptr);
        bar.SubclassWindow(p);
        bar.SetImages(LoadSkinBitmap(Inst(), IDB_PROGRESS_TRACK), LoadSkinBitmap(Inst(), IDB_PROGRESS_FILL));
    }
    void SetPos(int pos) { ::SendMessageW(bar.m_hWnd, PBM_SETPOS, pos, 0); }
};

TEST(SkinProgress, SizesToTheTrackAndCentresTheFill) {
    ProgressOnDialog p;
    RECT r = WindowRect(p.bar.m_hWnd);
    EXPECT_EQ(r.right - r.left, 390);
    EXPECT_EQ(r.bottom - r.top, 21);
    EXPECT_EQ(p.bar.m_rcCtrl.right, 390);
    EXPECT_EQ(p.bar.m_rcFill.left, 0);
    EXPECT_EQ(p.bar.m_rcFill.right, 390);
}

TEST(SkinProgress, FiftyShowsBothEndsOfTheFillAndTheTrackBeyond) {
    ProgressOnDialog p;
    p.SetPos(50);
    // Own copies for reading: the bar's bitmaps are selected while it draws.
    fw::Bitmap trackBmp(LoadSkinBitmap(Inst(), IDB_PROGRESS_TRACK)), fillBmp(LoadSkinBitmap(Inst(), IDB_PROGRESS_FILL));
    Pixels track(trackBmp.Get()), fill(fillBmp.Get());
    Canvas c(390, 21);
    p.bar.Render(c.dc());
    // Columns 0..96 of the fill, then its columns 292..389, then the track.
    for (int x : {1, 50, 96})
        EXPECT_EQ(Hex(c.At(x, 10)), Hex(fill.At(x, 10))) << x;
    for (int x : {97, 150, 192, 193})
        EXPECT_EQ(Hex(c.At(x, 10)), Hex(fill.At(x + 195, 10))) << x;
    EXPECT_EQ(Hex(c.At(193, 10)), Hex(fill.At(388, 10)));  // the fill's dark right end
    for (int x : {196, 300, 388})
        EXPECT_EQ(Hex(c.At(x, 10)), Hex(track.At(x, 10))) << x;
    for (int y = 0; y < 21; ++y)
        for (int x = 0; x < 390; ++x) ASSERT_NE(c.At(x, y), kMagenta) << x << "," << y;
}

TEST(SkinProgress, ZeroIsTrackOnlyAndHundredTheWholeFill) {
    ProgressOnDialog p;
    fw::Bitmap trackBmp(LoadSkinBitmap(Inst(), IDB_PROGRESS_TRACK)), fillBmp(LoadSkinBitmap(Inst(), IDB_PROGRESS_FILL));
    Pixels track(trackBmp.Get()), fill(fillBmp.Get());
    p.SetPos(0);
    Canvas c(390, 21);
    p.bar.Render(c.dc());
    for (int x : {1, 100, 388}) EXPECT_EQ(Hex(c.At(x, 10)), Hex(track.At(x, 10))) << x;
    p.SetPos(100);
    p.bar.Render(c.dc());
    for (int x : {1, 100, 388}) EXPECT_EQ(Hex(c.At(x, 10)), Hex(fill.At(x, 10))) << x;
}

}  // namespace
