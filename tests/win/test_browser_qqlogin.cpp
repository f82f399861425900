// The external-account login window with the real browser control: the
// frame's size and the browser glued over it, keys, timer 2 closing this
// process's browser HTML dialogs, the authorization address while hidden, a
// callback with and without the login cookie, timer 1 and the close button.
// (The window opened from the login page, a real stand-in and other
// processes' windows are the end-to-end test's.)
#include <gtest/gtest.h>
#include <windows.h>
#include <wininet.h>

#include <memory>
#include <string>

#include "app/Endpoints.h"
#include "browser/QQLogin.h"
#include "res/resource.h"
#include "tests/win/Pump.h"

namespace {

using testing_pump::PumpUntil;

RECT WindowRect(HWND h) {
    RECT rc{};
    ::GetWindowRect(h, &rc);
    return rc;
}

class QQLoginTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr))); }

    void SetUp() override {
        // Plays the login page dialog, the window's owner.
        m_owner = ::CreateWindowExW(0, L"STATIC", L"login page", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                    ::GetModuleHandleW(nullptr), nullptr);
        ASSERT_TRUE(m_owner);
        m_login = std::make_unique<CQQLogin>();
        // Nothing answers there: the browser's navigations fail at once.
        m_login->m_html.m_strUrl = L"http://127.0.0.1:9/qzone/redirectToAuthorize.do?cid=4224";
        ASSERT_TRUE(m_login->Create(IDD_QQLOGIN_DIALOG, m_owner));
        m_login->ShowWindow(SW_SHOW);
        m_login->CenterOnDesktop();
        PumpUntil([] { return false; }, 200);
        ASSERT_TRUE(Html());
    }
    void TearDown() override {
        m_login.reset();
        ::DestroyWindow(m_owner);
    }
    HWND Frame() const { return m_login->m_hWnd; }
    HWND Html() const { return m_login->m_html.m_hWnd; }
    IDispatch* Browser() const { return m_login->m_html.m_pBrowserApp.Get(); }
    bool Cancelled(const std::wstring& url) {
        bool cancel = false;
        m_login->m_html.GetBrowserHost().FireBeforeNavigate2(Browser(), url, cancel);
        return cancel;
    }
    void Complete(const std::wstring& url) { m_login->m_html.GetBrowserHost().FireNavigateComplete2(Browser(), url); }
    bool BothVisible() const { return ::IsWindowVisible(Frame()) && ::IsWindowVisible(Html()); }

    HWND m_owner = nullptr;
    std::unique_ptr<CQQLogin> m_login;
};

TEST_F(QQLoginTest, TheBrowserCoversTheClientAreaBelowTheCaption) {
    RECT frame = WindowRect(Frame());
    EXPECT_EQ(frame.right - frame.left, 740);
    EXPECT_EQ(frame.bottom - frame.top, 480);
    RECT desktop = WindowRect(::GetDesktopWindow());
    EXPECT_EQ(frame.left, (desktop.right - 740) / 2);
    EXPECT_EQ(frame.top, (desktop.bottom - 480) / 2);
    EXPECT_EQ(::GetWindow(Html(), GW_OWNER), Frame());
    EXPECT_TRUE(BothVisible());
    wchar_t title[64] = {};
    ::GetWindowTextW(Frame(), title, 64);
    EXPECT_STREQ(title, L"QQ账号安全登录");

    RECT html = WindowRect(Html());
    EXPECT_EQ(html.left, frame.left + 4);
    EXPECT_EQ(html.top, frame.top + 30);
    EXPECT_EQ(html.right, frame.right - 4);
    EXPECT_EQ(html.bottom, frame.bottom - 4);

    // It follows the frame, and shows and hides with it.
    ::SetWindowPos(Frame(), nullptr, 50, 60, 800, 500, SWP_NOZORDER | SWP_NOACTIVATE);
    html = WindowRect(Html());
    EXPECT_EQ(html.left, 54);
    EXPECT_EQ(html.top, 90);
    EXPECT_EQ(html.right - html.left, 792);
    EXPECT_EQ(html.bottom - html.top, 466);
    m_login->ShowWindow(SW_HIDE);
    EXPECT_FALSE(::IsWindowVisible(Html()));
    m_login->ShowWindow(SW_SHOW);
    EXPECT_TRUE(::IsWindowVisible(Html()));
}

TEST_F(QQLoginTest, EnterAndEscapeAreSwallowed) {
    for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
        MSG frameKey{Frame(), WM_KEYDOWN, key, 0x00010001, 0, {}};
        MSG htmlKey{Html(), WM_KEYDOWN, key, 0x00010001, 0, {}};
        EXPECT_TRUE(m_login->PreTranslateMessage(&frameKey));
        EXPECT_TRUE(m_login->m_html.PreTranslateMessage(&htmlKey));
    }
    PumpUntil([] { return false; }, 200);
    EXPECT_TRUE(BothVisible());
}

TEST_F(QQLoginTest, ThisProcesssBrowserHtmlDialogIsClosedWithinOnePeriod) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"Internet Explorer_TridentDlgFrame";
    ::RegisterClassW(&wc);
    HWND dialog = ::CreateWindowExW(0, wc.lpszClassName, L"page dialog", WS_POPUP | WS_VISIBLE, 10, 10, 200, 100,
                                    nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_TRUE(dialog);
    const DWORD start = ::GetTickCount();
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(dialog); }, 2000));
    const DWORD elapsed = ::GetTickCount() - start;
    EXPECT_LE(elapsed, 400u) << "the timer runs every 130 ms";
    if (::IsWindow(dialog)) ::DestroyWindow(dialog);
}

TEST_F(QQLoginTest, TheAuthorizationPageIsCancelledOnlyWhileHidden) {
    const std::wstring authorize = QQAuthorizeUrl() + L"?response_type=code&client_id=1&state=1";
    EXPECT_FALSE(Cancelled(authorize));
    m_login->ShowWindow(SW_HIDE);
    EXPECT_TRUE(Cancelled(authorize));
    EXPECT_FALSE(Cancelled(LoginServiceUrl(L"/qzone/redirectToAuthorize.do?cid=4224")));
    EXPECT_FALSE(Cancelled(L"http://x/?next=" + authorize));
}

TEST_F(QQLoginTest, ACallbackWithTheLoginCookieHidesBothAndRemovesOneOwnedDialog) {
    const std::wstring callback = LoginServiceUrl(L"/qzone/callback.do?code=abc&state=1");
    // A dialog box the browser would have raised, and one of somebody else.
    HWND owned = ::CreateWindowExW(0, L"#32770", L"owned", WS_POPUP | WS_VISIBLE, 0, 0, 80, 40, Html(), nullptr,
                                   ::GetModuleHandleW(nullptr), nullptr);
    HWND other = ::CreateWindowExW(0, L"#32770", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 80, 40, m_owner, nullptr,
                                   ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(owned && other);

    // No login cookie from an earlier run of this test in the process.
    ::InternetSetCookieW(callback.c_str(), L"Pauth", L"x; expires=Thu, 01-Jan-1970 00:00:00 GMT; path=/");
    // The service's other cookies do not count.
    ASSERT_TRUE(::InternetSetCookieW(callback.c_str(), L"JSESSIONID", L"s1"));
    Complete(callback);
    PumpUntil([] { return false; }, 300);
    EXPECT_TRUE(BothVisible()) << "no login cookie yet";

    ASSERT_TRUE(::InternetSetCookieW(callback.c_str(), L"Pauth", L"qq_test; path=/"));
    Complete(L"http://127.0.0.1:9/news.html?from=" + callback);
    PumpUntil([] { return false; }, 300);
    EXPECT_TRUE(BothVisible()) << "the callback text later in the URL";

    Complete(callback);
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindowVisible(Frame()) && !::IsWindowVisible(Html()); }, 3000));
    EXPECT_TRUE(::IsWindow(Frame()) && ::IsWindow(Html())) << "hidden, not destroyed";
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(owned); }, 5000));
    PumpUntil([] { return false; }, 300);
    EXPECT_TRUE(::IsWindow(other));
    ::DestroyWindow(other);
    if (::IsWindow(owned)) ::DestroyWindow(owned);
}

TEST_F(QQLoginTest, TheCloseButtonDestroysBothWindows) {
    HWND close = ::GetDlgItem(Frame(), CDlgEx::kIdBtnClose);
    ASSERT_TRUE(close);
    ::SendMessageW(close, BM_CLICK, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return !m_login->m_hWnd && !m_login->m_html.m_hWnd; }, 3000));
}

}  // namespace
