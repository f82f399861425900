// The login dialogs in one process: a window of the test plays the main
// window (it answers the account-server key), CLoginBkDlg runs modally, and a
// thread timer drives the page dialog through the real browser control the way
// the login page's links would.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/Loriq3App.h"
#include "browser/LoginBkDlg.h"
#include "framework/WinApp.h"

namespace {

// The main window, played by the test.
class FakeOwner {
public:
    FakeOwner() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VexoTestLoginOwner";
        ::RegisterClassW(&wc);
        hwnd = ::CreateWindowExW(0, wc.lpszClassName, L"owner", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr,
                                 wc.hInstance, this);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, (LONG_PTR)this);
    }
    ~FakeOwner() {
        if (::IsWindow(hwnd)) ::DestroyWindow(hwnd);
    }
    struct Copy {
        WPARAM wParam;
        ULONG_PTR dwData;
        DWORD cbData;
        std::wstring text;  // up to its terminator, within cbData
        bool terminated;
    };
    HWND hwnd = nullptr;
    LRESULT answer = TRUE;
    std::vector<Copy> copies;
    bool enabledDuringLogin = true;

private:
    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
        auto* self = (FakeOwner*)::GetWindowLongPtrW(h, GWLP_USERDATA);
        if (self && msg == WM_COPYDATA) {
            auto* cds = (const COPYDATASTRUCT*)l;
            Copy c{w, cds->dwData, cds->cbData, L"", false};
            const auto* p = (const wchar_t*)cds->lpData;
            for (DWORD i = 0; p && i < cds->cbData / sizeof(wchar_t); ++i) {
                if (!p[i]) {
                    c.terminated = i + 1 == cds->cbData / sizeof(wchar_t);
                    break;
                }
                c.text += p[i];
            }
            self->enabledDuringLogin = ::IsWindowEnabled(h) != FALSE;
            self->copies.push_back(c);
            return self->answer;
        }
        return ::DefWindowProcW(h, msg, w, l);
    }
};

// Runs `step` from a thread timer (inside the dialog's modal loop) until it
// answers true; gives up after a while by ending the dialog with -99.
class Driver {
public:
    Driver(CLoginBkDlg& dlg, std::function<bool(CLoginBkDlg&)> step) : m_dlg(dlg), m_step(std::move(step)) {
        s_current = this;
        m_start = ::GetTickCount();
        m_timer = ::SetTimer(nullptr, 0, 30, &Driver::OnTimer);
    }
    ~Driver() {
        ::KillTimer(nullptr, m_timer);
        s_current = nullptr;
    }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
        Driver* d = s_current;
        if (!d || d->m_done) return;
        if (::GetTickCount() - d->m_start > 15000) {
            d->m_done = true;
            d->m_dlg.EndDialog(-99);
            return;
        }
        if (!d->m_dlg.m_hWnd || !d->m_dlg.m_dlgLogin.m_hWnd) return;
        d->m_done = d->m_step(d->m_dlg);
    }
    static Driver* s_current;
    CLoginBkDlg& m_dlg;
    std::function<bool(CLoginBkDlg&)> m_step;
    UINT_PTR m_timer = 0;
    DWORD m_start = 0;
    bool m_done = false;
};
Driver* Driver::s_current = nullptr;

HWND FindOwnBox(const wchar_t* title) {
    struct Search {
        const wchar_t* title;
        HWND found;
    } s{title, nullptr};
    ::EnumThreadWindows(::GetCurrentThreadId(), [](HWND h, LPARAM p) CALLBACK -> BOOL {
        auto* s = (Search*)p;
        wchar_t text[64] = {}, cls[16] = {};
        ::GetWindowTextW(h, text, 64);
        ::GetClassNameW(h, cls, 16);
        if (!wcscmp(cls, L"#32770") && !wcscmp(text, s->title) && ::GetDlgItem(h, 5000) && ::IsWindowVisible(h)) {
            s->found = h;
            return FALSE;
        }
        return TRUE;
    }, (LPARAM)&s);
    return s.found;
}

class LoginTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr))); }
    static void TearDownTestSuite() { ::OleUninitialize(); }
    void SetUp() override {
        app.m_hInstance = ::GetModuleHandleW(nullptr);  // the modal loop offers keys through it
        g_hOwnerWnd = owner.hwnd;
        g_nOwnerPageCount = 0;
        g_strGameUrl = L"hall";
    }
    void TearDown() override {
        g_hOwnerWnd = nullptr;
        g_nOwnerPageCount = 0;
    }
    CWinApp app;
    FakeOwner owner;
};

TEST_F(LoginTest, AnAcceptedLoginEndsWithOkAndHandsTheGameAddressOn) {
    CLoginBkDlg dlg(owner.hwnd);
    bool sent = false;
    HWND loginWnd = nullptr;
    Driver driver(dlg, [&](CLoginBkDlg& d) {
        loginWnd = d.m_dlgLogin.m_hWnd;
        if (!sent) d.m_dlgLogin.Navigate(L"app://loadgame|S3%E6%9C%8D-%E3%80%8A%E6%A2%A6%E3%80%8B%E5%AE%9D%E5%AE%9D%E5%AE%9D%E5%AE%9D%E5%AE%9D-abc|http://g/game.html?a=1|2");
        sent = true;
        return true;
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(g_strGameUrl, L"http://g/game.html?a=1|2");
    ASSERT_EQ(owner.copies.size(), 1u);
    const FakeOwner::Copy& c = owner.copies[0];
    const std::wstring key = L"3服-宝宝宝宝-abc";  // S dropped, four characters after 》
    EXPECT_EQ(c.text, key);
    EXPECT_TRUE(c.terminated);
    EXPECT_EQ(c.cbData, DWORD((key.size() + 1) * sizeof(wchar_t)));
    EXPECT_EQ(c.dwData, 0u);
    // The page names its own window, so the main window can pair the title
    // with this process's frame.
    EXPECT_EQ(c.wParam, (WPARAM)loginWnd);
    EXPECT_NE(loginWnd, nullptr);
    EXPECT_FALSE(owner.enabledDuringLogin) << "the login is modal over the main window";
    EXPECT_TRUE(::IsWindowEnabled(owner.hwnd)) << "and gives it back";
}

TEST_F(LoginTest, ARefusedLoginSaysSoAndCancels) {
    owner.answer = FALSE;
    CLoginBkDlg dlg(owner.hwnd);
    int stage = 0;
    Driver driver(dlg, [&](CLoginBkDlg& d) {
        if (stage == 0) {
            stage = 1;
            d.m_dlgLogin.Navigate(L"app://loadgame|12服-《梦》宝宝-abc|http://g/");
            return false;
        }
        HWND box = FindOwnBox(L"VexoQuon");
        if (!box) return false;
        ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(5000, BN_CLICKED), 0);
        return true;
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(g_strGameUrl, L"hall");
    ASSERT_EQ(owner.copies.size(), 1u);
    EXPECT_EQ(owner.copies[0].text, L"12服-宝宝-abc");
}

TEST_F(LoginTest, ThePageDialogIsAKeyedToolWindowShownByItsFirstPage) {
    CLoginBkDlg dlg(owner.hwnd);
    bool hiddenFirst = false, layered = false, tool = false, shown = false, placed = false, covered = false;
    bool keyed = false;
    Driver driver(dlg, [&](CLoginBkDlg& d) {
        HWND page = d.m_dlgLogin.m_hWnd;
        if (!::IsWindowVisible(d.m_hWnd)) return false;
        hiddenFirst = !::IsWindowVisible(page);
        LONG_PTR ex = ::GetWindowLongPtrW(page, GWL_EXSTYLE);
        layered = (ex & WS_EX_LAYERED) != 0;
        tool = (ex & WS_EX_TOOLWINDOW) && !(ex & WS_EX_APPWINDOW);
        COLORREF key = 0;
        BYTE alpha = 0;
        DWORD flags = 0;
        keyed = ::GetLayeredWindowAttributes(page, &key, &alpha, &flags) && (flags & LWA_COLORKEY) &&
                key == RGB(254, 254, 254);
        // What the control reports for a loaded page, through the sink's handler.
        CBrowserHost& host = d.m_dlgLogin.GetBrowserHost();
        fw::ComPtr<IDispatch> top;
        host.GetBrowser()->QueryInterface(IID_PPV_ARGS(top.Put()));
        host.FireNavigateComplete2(top.Get(), L"http://h/quon/client/v2/index.html?cid=4224");
        shown = ::IsWindowVisible(page) != FALSE;
        RECT bk, pr, client, control;
        ::GetWindowRect(d.m_hWnd, &bk);
        ::GetWindowRect(page, &pr);
        placed = pr.left == bk.left + 1 && pr.top == bk.top - 50;
        ::GetClientRect(page, &client);
        ::GetWindowRect(::GetWindow(page, GW_CHILD), &control);
        ::MapWindowPoints(nullptr, page, (POINT*)&control, 2);
        covered = control.left == 0 && control.top == 0 && control.right == client.right &&
                  control.bottom == client.bottom;
        d.m_dlgLogin.Navigate(L"app://exitgame");
        return true;
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_TRUE(hiddenFirst);
    EXPECT_TRUE(layered);
    EXPECT_TRUE(keyed);
    EXPECT_TRUE(tool);
    EXPECT_TRUE(shown);
    EXPECT_TRUE(placed);
    EXPECT_TRUE(covered);
    EXPECT_EQ(dlg.m_nBackWidth, 1005);
    EXPECT_EQ(dlg.m_nBackHeight, 569);
    EXPECT_TRUE(owner.copies.empty());
}

TEST_F(LoginTest, EnterEscapeAndF5DoNothingAndMinimizeInALaterTabLeaves) {
    g_nOwnerPageCount = 1;
    CLoginBkDlg dlg(owner.hwnd);
    int stage = 0;
    DWORD posted = 0;
    bool stillThere = false;
    Driver driver(dlg, [&](CLoginBkDlg& d) {
        HWND page = d.m_dlgLogin.m_hWnd;
        if (stage == 0) {
            ::PostMessageW(d.m_hWnd, WM_KEYDOWN, VK_RETURN, 0x001C0001);
            ::PostMessageW(page, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
            ::PostMessageW(page, WM_KEYDOWN, VK_F5, 0x003F0001);
            posted = ::GetTickCount();
            stage = 1;
            return false;
        }
        if (::GetTickCount() - posted < 400) return false;
        stillThere = ::IsWindow(d.m_hWnd) && ::IsWindow(page);
        d.m_dlgLogin.Navigate(L"app:xyminimize");
        return true;
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL) << "minimize closes the login of a later tab";
    EXPECT_TRUE(stillThere);
}

TEST_F(LoginTest, ALoginWhoseMainWindowIsGoneEnds) {
    ::DestroyWindow(owner.hwnd);
    CLoginBkDlg dlg(owner.hwnd);
    DWORD start = ::GetTickCount();
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_LT(::GetTickCount() - start, 3000u);
}

}  // namespace
