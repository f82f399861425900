// The game page frame and view in one process: a window of the test plays the
// main window that the frame makes itself a child of and registers with.
#include <gtest/gtest.h>
#include <windows.h>
#include <exdisp.h>

#include <vector>

#include "app/Endpoints.h"
#include "app/Loriq3App.h"
#include "browser/GmWndDoc.h"
#include "browser/GmWndView.h"
#include "browser/MainFrame.h"
#include "browser/ProcessMute.h"
#include "framework/BrowserAutomation.h"
#include "mainwnd/HotKeys.h"
#include "mainwnd/Messages.h"
#include "res/resource.h"
#include "tests/win/Pump.h"

namespace {

const wchar_t kDeadUrl[] = L"http://127.0.0.1:9/vexo-game-frame-test";

using testing_pump::PumpUntil;

bool s_favouritesSeen = false;

struct Received {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

class FakeMain {
public:
    FakeMain() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VexoTestFrameOwner";
        ::RegisterClassW(&wc);
        hwnd = ::CreateWindowExW(0, wc.lpszClassName, L"main", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 900,
                                 700, nullptr, nullptr, wc.hInstance, nullptr);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, (LONG_PTR)this);
    }
    ~FakeMain() {
        if (::IsWindow(hwnd)) ::DestroyWindow(hwnd);
    }
    HWND hwnd = nullptr;
    std::vector<Received> got;

private:
    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
        auto* self = (FakeMain*)::GetWindowLongPtrW(h, GWLP_USERDATA);
        if (self && (msg == UM_REGISTER_PAGE || msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN)) {
            self->got.push_back({msg, w, l});
            return 0;
        }
        return ::DefWindowProcW(h, msg, w, l);
    }
};

LRESULT Refreshes(HWND frame) {
    COPYDATASTRUCT cds{kBrowserAutomationRefreshes, 0, nullptr};
    return ::SendMessageW(frame, WM_COPYDATA, 0, (LPARAM)&cds) - 1;
}

HotKey Key(int modifiers, int vk) {
    HotKey k;
    k.modifiers = modifiers;
    k.vk = vk;
    return k;
}

class GameFrameTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr))); }
    static void TearDownTestSuite() { ::OleUninitialize(); }
    void SetUp() override {
        g_hOwnerWnd = main.hwnd;
        g_strGameUrl = kDeadUrl;
    }
    void TearDown() override {
        tmpl.reset();  // the frame goes before its main window
        g_hOwnerWnd = nullptr;
        g_strGameUrl = HallPageUrl();
        bossKey = Key(0, 121);
        switchKey = Key(2, 9);
        soundKey = Key(2, 81);
    }
    CMainFrame* Open() {
        tmpl = CSingleDocTemplate::Make<CGmWndDoc, CMainFrame, CGmWndView>(IDR_MAINFRAME);
        if (!tmpl->OpenDocumentFile(nullptr, FALSE)) return nullptr;
        return dynamic_cast<CMainFrame*>(tmpl->GetFrame());
    }
    static DWORD HostFlags(CView* view) {
        auto* html = dynamic_cast<CHtmlView*>(view);
        fw::ComPtr<IOleObject> ole;
        fw::ComPtr<IOleClientSite> site;
        fw::ComPtr<IDocHostUIHandler> ui;
        if (!html || FAILED(html->m_pBrowserApp->QueryInterface(IID_PPV_ARGS(ole.Put()))) ||
            FAILED(ole->GetClientSite(site.Put())) || FAILED(site->QueryInterface(IID_PPV_ARGS(ui.Put()))))
            return 0xFFFFFFFF;
        DOCHOSTUIINFO info{};
        info.cbSize = sizeof info;
        ui->GetHostInfo(&info);
        return info.dwFlags;
    }
    FakeMain main;
    std::unique_ptr<CSingleDocTemplate> tmpl;
};

TEST_F(GameFrameTest, TheGameFrameIsABorderlessChildOfTheMainWindowAndRegistersOnce) {
    CMainFrame* frame = Open();
    ASSERT_NE(frame, nullptr);
    HWND h = frame->m_hWnd;
    EXPECT_EQ(::GetParent(h), main.hwnd);
    DWORD style = frame->GetStyle(), ex = frame->GetExStyle();
    EXPECT_TRUE(style & WS_CHILD);
    EXPECT_FALSE(style & (WS_CAPTION | WS_THICKFRAME));
    EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
    EXPECT_FALSE(ex & (WS_EX_APPWINDOW | WS_EX_CLIENTEDGE));
    CView* view = frame->GetActiveView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(g_pGameView, view);
    EXPECT_FALSE(view->GetExStyle() & WS_EX_CLIENTEDGE);
    EXPECT_EQ(HostFlags(view), DWORD(DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_SCROLL_NO));

    PumpUntil([] { return false; }, 300);
    ASSERT_EQ(main.got.size(), 1u);
    EXPECT_EQ(main.got[0].msg, UM_REGISTER_PAGE);
    EXPECT_EQ(main.got[0].wParam, (WPARAM)h);
    EXPECT_EQ(main.got[0].lParam, 0);
}

TEST_F(GameFrameTest, TheHallRegistersAsTheHallAndKeepsBorderAndScrollBars) {
    g_strGameUrl = HallPageUrl();
    CMainFrame* frame = Open();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(HostFlags(frame->GetActiveView()), 0u);
    PumpUntil([] { return false; }, 300);
    ASSERT_EQ(main.got.size(), 1u);
    EXPECT_EQ(main.got[0].lParam, 1);
}

TEST_F(GameFrameTest, ACompletedNavigationPlacesTheFrameOverThePageArea) {
    CMainFrame* frame = Open();
    ASSERT_NE(frame, nullptr);
    EXPECT_FALSE(::IsWindowVisible(frame->m_hWnd));
    auto* view = dynamic_cast<CHtmlView*>(frame->GetActiveView());
    // A page's iframe completing (another browser object than the view's own)
    // neither shows the frame nor changes the address a favourite would save.
    fw::ComPtr<IDispatch> iframe;
    ASSERT_TRUE(SUCCEEDED(::CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER,
                                             IID_PPV_ARGS(iframe.Put()))));
    view->GetBrowserHost().FireNavigateComplete2(iframe.Get(), L"http://ads.example/frame.html");
    EXPECT_FALSE(::IsWindowVisible(frame->m_hWnd));
    if (auto* app = dynamic_cast<CLoriq3App*>(CWinApp::Get())) EXPECT_NE(app->m_strPageUrl, L"http://ads.example/frame.html");
    fw::ComPtr<IDispatch> top;
    view->GetBrowserHost().GetBrowser()->QueryInterface(IID_PPV_ARGS(top.Put()));
    view->GetBrowserHost().FireNavigateComplete2(top.Get(), kDeadUrl);
    EXPECT_TRUE(::IsWindowVisible(frame->m_hWnd));
    RECT rc;
    ::GetWindowRect(frame->m_hWnd, &rc);
    ::MapWindowPoints(nullptr, main.hwnd, (POINT*)&rc, 2);
    EXPECT_EQ(rc.left, 4);
    EXPECT_EQ(rc.top, 30);
    EXPECT_EQ(rc.right, 896);
    EXPECT_EQ(rc.bottom, 696);
}

TEST_F(GameFrameTest, KeysFollowTheFramesRules) {
    CMainFrame* frame = Open();
    ASSERT_NE(frame, nullptr);
    PumpUntil([] { return false; }, 200);
    main.got.clear();
    HWND h = frame->m_hWnd;
    auto pre = [&](UINT msg, WPARAM w, LPARAM l) {
        MSG m{h, msg, w, l, 0, {}};
        return frame->PreTranslateMessage(&m);
    };

    // The switch key goes to the main window unchanged; marked keys never do.
    switchKey = Key(0, VK_F9);
    EXPECT_TRUE(pre(WM_KEYDOWN, VK_F9, 0x00430001));
    EXPECT_TRUE(pre(WM_SYSKEYDOWN, VK_F9, 0x20430001));
    EXPECT_FALSE(pre(WM_KEYDOWN, VK_F9, SELF_POSTED_MARKER));
    EXPECT_FALSE(pre(WM_KEYDOWN, VK_F8, 0x00420001));
    PumpUntil([&] { return main.got.size() >= 2; }, 2000);
    PumpUntil([] { return false; }, 200);
    ASSERT_EQ(main.got.size(), 2u);
    EXPECT_EQ(main.got[0].msg, UINT(WM_KEYDOWN));
    EXPECT_EQ(main.got[0].wParam, WPARAM(VK_F9));
    EXPECT_EQ(main.got[0].lParam, 0x00430001);
    EXPECT_EQ(main.got[1].msg, UINT(WM_SYSKEYDOWN));
    EXPECT_EQ(main.got[1].lParam, 0x20430001);

    // F5 is always consumed; it refreshes unless a hot key is plain F5 and the
    // key is not the main window's own (marked).
    EXPECT_EQ(Refreshes(h), 0);
    EXPECT_TRUE(pre(WM_KEYDOWN, VK_F5, 0x003F0001));
    EXPECT_EQ(Refreshes(h), 1);
    bossKey = Key(0, VK_F5);
    EXPECT_TRUE(pre(WM_KEYDOWN, VK_F5, 0x003F0001));
    EXPECT_EQ(Refreshes(h), 1);
    EXPECT_TRUE(pre(WM_KEYDOWN, VK_F5, SELF_POSTED_MARKER));
    EXPECT_EQ(Refreshes(h), 2);

    // Ctrl+D on the D key is taken: the favourites dialog runs modally (a
    // thread timer cancels it); other flags are not Ctrl+D.
    s_favouritesSeen = false;
    UINT_PTR timer = ::SetTimer(nullptr, 0, 30, [](HWND, UINT, UINT_PTR, DWORD) CALLBACK {
        ::EnumThreadWindows(::GetCurrentThreadId(), [](HWND w, LPARAM) CALLBACK -> BOOL {
            wchar_t text[32] = {};
            ::GetWindowTextW(w, text, 32);
            if (wcscmp(text, L"添加收藏") != 0 || !::IsWindowVisible(w)) return TRUE;
            s_favouritesSeen = true;
            ::PostMessageW(w, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            return FALSE;
        }, 0);
    });
    EXPECT_TRUE(pre(WM_CHAR, 4, 0x00200001));
    ::KillTimer(nullptr, timer);
    EXPECT_TRUE(s_favouritesSeen);
    EXPECT_FALSE(pre(WM_CHAR, 4, 0x01200001));
    // The close request goes on to the frame.
    EXPECT_FALSE(pre(WM_SYSCOMMAND, SC_CLOSE, 0));
}

TEST_F(GameFrameTest, MuteRequestsReachTheProcessSoundSwitch) {
    CMainFrame* frame = Open();
    ASSERT_NE(frame, nullptr);
    for (int muted : {1, 0, 1}) {
        EXPECT_EQ(::SendMessageW(frame->m_hWnd, UM_SET_MUTE, muted, 0), 0);
        EXPECT_EQ(LastProcessMuteRequest(), muted);
    }
}

}  // namespace
