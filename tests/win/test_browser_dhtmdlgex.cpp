// CDHtmDlgEx with the real WebBrowser control: the navigation filter, the
// error cancel, the host UI answers and the page's message boxes through the
// control site's IDocHostShowUI part. The DHTML handlers cannot run here (no
// document): their map is checked, and the parts that need no page.
#include <gtest/gtest.h>
#include <windows.h>

#include <mshtmdid.h>

#include <string>
#include <utility>
#include <vector>

#include "browser/DHtmDlgEx.h"
#include "tests/win/Pump.h"

namespace {

constexpr UINT kTemplate = 9001;
const wchar_t kDeadUrl[] = L"http://127.0.0.1:9/vexo-dhtmdlgex-test";

using testing_pump::PumpUntil;

class CProbeDlg : public CDHtmDlgEx {
public:
    CProbeDlg() : CDHtmDlgEx(kTemplate) {}
    std::vector<std::pair<std::wstring, bool>> before, errors;
    std::wstring shownText;
    bool takeMessages = false;

    bool Filter(const std::wstring& url, bool proposed) {
        bool cancel = proposed;
        CDHtmDlgEx::OnBeforeNavigate2(nullptr, url, cancel);
        return cancel;
    }
    using CDHtmDlgEx::GetDHtmlEventMap;
    using CDHtmDlgEx::OnButtonMouseDown;
    using CDHtmDlgEx::OnButtonMouseOut;
    using CDHtmDlgEx::OnButtonMouseOver;
    using CDHtmDlgEx::OnButtonMouseUp;
    using CDHtmDlgEx::OnDragMouseDown;
    using CDHtmDlgEx::OnDragMouseMove;
    using CDHtmDlgEx::OnDragMouseUp;
    using CDHtmDlgEx::OnSelectStart;

protected:
    void OnBeforeNavigate2(IDispatch* frame, const std::wstring& url, bool& cancel) override {
        CDHtmDlgEx::OnBeforeNavigate2(frame, url, cancel);
        before.emplace_back(url, cancel);
    }
    void OnNavigateError(IDispatch* frame, const std::wstring& url, const std::wstring& target, LONG status,
                         bool& cancel) override {
        CDHtmDlgEx::OnNavigateError(frame, url, target, status, cancel);
        errors.emplace_back(url, cancel);
    }
    HRESULT OnShowMessage(HWND hwnd, LPOLESTR text, LPOLESTR caption, DWORD type, LPOLESTR helpFile,
                          DWORD helpContext, LRESULT* result) override {
        shownText = text ? text : L"";
        if (takeMessages) return S_OK;
        return CDHtmDlgEx::OnShowMessage(hwnd, text, caption, type, helpFile, helpContext, result);
    }
};

class DHtmDlgExTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr))); }
    static void TearDownTestSuite() { ::OleUninitialize(); }
    void SetUp() override {
        ASSERT_TRUE(dlg.Create(kTemplate, nullptr));
        ASSERT_TRUE(dlg.m_pBrowserApp);
    }
    fw::ComPtr<IOleClientSite> Site() {
        fw::ComPtr<IOleObject> ole;
        fw::ComPtr<IOleClientSite> site;
        if (SUCCEEDED(dlg.m_pBrowserApp->QueryInterface(IID_PPV_ARGS(ole.Put())))) ole->GetClientSite(site.Put());
        return site;
    }
    CProbeDlg dlg;
};

TEST_F(DHtmDlgExTest, SilentBrowserWithADialogsHostUiAndNoContextMenu) {
    VARIANT_BOOL silent = VARIANT_FALSE;
    ASSERT_TRUE(SUCCEEDED(dlg.m_pBrowserApp->get_Silent(&silent)));
    EXPECT_EQ(silent, VARIANT_TRUE);

    fw::ComPtr<IOleClientSite> site = Site();
    ASSERT_TRUE(site);
    fw::ComPtr<IDocHostUIHandler> ui;
    ASSERT_TRUE(SUCCEEDED(site->QueryInterface(IID_PPV_ARGS(ui.Put()))));
    DOCHOSTUIINFO info{};
    info.cbSize = sizeof info;
    ASSERT_EQ(ui->GetHostInfo(&info), S_OK);
    EXPECT_EQ(info.dwFlags, DWORD(DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_DIALOG));
    POINT pt{5, 5};
    EXPECT_EQ(ui->ShowContextMenu(0, &pt, nullptr, nullptr), S_OK) << "shown by nobody: no menu";
}

TEST_F(DHtmDlgExTest, PageMessagesReachTheDialogThroughTheSitesShowUiPart) {
    fw::ComPtr<IOleClientSite> site = Site();
    ASSERT_TRUE(site);
    fw::ComPtr<IDocHostShowUI> show;
    ASSERT_TRUE(SUCCEEDED(site->QueryInterface(IID_PPV_ARGS(show.Put()))));
    // Asked through the UI handler part, the same part; and one COM identity.
    fw::ComPtr<IDocHostUIHandler> ui;
    ASSERT_TRUE(SUCCEEDED(site->QueryInterface(IID_PPV_ARGS(ui.Put()))));
    fw::ComPtr<IDocHostShowUI> again;
    ASSERT_TRUE(SUCCEEDED(ui->QueryInterface(IID_PPV_ARGS(again.Put()))));
    EXPECT_EQ(show.Get(), again.Get());
    fw::ComPtr<IUnknown> a, b;
    site->QueryInterface(IID_PPV_ARGS(a.Put()));
    show->QueryInterface(IID_PPV_ARGS(b.Put()));
    EXPECT_EQ(a.Get(), b.Get());
    fw::ComPtr<IDocHostUIHandler> back;
    EXPECT_TRUE(SUCCEEDED(show->QueryInterface(IID_PPV_ARGS(back.Put()))));

    // An alert: the browser shows its standard box (S_FALSE) unless the dialog takes it.
    wchar_t text[] = L"来自网页的消息";
    LRESULT result = 0;
    EXPECT_EQ(show->ShowMessage(dlg.m_hWnd, text, nullptr, MB_OK, nullptr, 0, &result), S_FALSE);
    EXPECT_EQ(dlg.shownText, text);
    dlg.takeMessages = true;
    EXPECT_EQ(show->ShowMessage(dlg.m_hWnd, text, nullptr, MB_OK, nullptr, 0, &result), S_OK);
    POINT mouse{};
    EXPECT_EQ(show->ShowHelp(dlg.m_hWnd, nullptr, 0, 0, mouse, nullptr), S_FALSE);
}

TEST_F(DHtmDlgExTest, FilterCancelsPageCommandsAndNeverJavascript) {
    EXPECT_TRUE(dlg.Filter(L"app://nobody-knows", false));
    EXPECT_TRUE(dlg.Filter(L"app:", false));
    EXPECT_FALSE(dlg.Filter(L"APP://exitgame", false)) << "the scheme is compared exactly";
    EXPECT_FALSE(dlg.Filter(L"javascript:void(0)", true)) << "never cancelled, whatever the browser proposed";
    EXPECT_FALSE(dlg.Filter(L"javascriptfoo", true));
    EXPECT_TRUE(dlg.Filter(L"JavaScript:void(0)", true)) << "other spellings keep what the browser proposed";
    EXPECT_TRUE(dlg.Filter(L"http://h/", true));
    EXPECT_FALSE(dlg.Filter(L"http://h/", false));
}

TEST_F(DHtmDlgExTest, AnUnknownCommandThroughTheRealControlDoesNothing) {
    ASSERT_TRUE(SUCCEEDED(dlg.Navigate(L"app://nobody-knows")));
    ASSERT_TRUE(PumpUntil([&] { return !dlg.before.empty(); }, 5000));
    EXPECT_EQ(dlg.before[0], std::make_pair(std::wstring(L"app://nobody-knows"), true));
    PumpUntil([] { return false; }, 800);
    EXPECT_TRUE(dlg.errors.empty());
    EXPECT_TRUE(::IsWindow(dlg.m_hWnd));
}

TEST_F(DHtmDlgExTest, AFailedNavigationShowsNoErrorPage) {
    ASSERT_TRUE(SUCCEEDED(dlg.Navigate(kDeadUrl)));
    ASSERT_TRUE(PumpUntil([&] { return !dlg.errors.empty(); }, 15000)) << "no NavigateError";
    EXPECT_EQ(dlg.errors[0], std::make_pair(std::wstring(kDeadUrl), true));
    ASSERT_FALSE(dlg.before.empty());
    EXPECT_FALSE(dlg.before[0].second);
}

TEST_F(DHtmDlgExTest, EnterDoesNotCloseTheDialog) {
    ::SendMessageW(dlg.m_hWnd, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(::IsWindow(dlg.m_hWnd));
    ::SendMessageW(dlg.m_hWnd, WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(dlg.m_hWnd);
}

TEST_F(DHtmDlgExTest, AButtonReleaseWhileCapturedEndsThePress) {
    for (UINT up : {WM_LBUTTONUP, WM_RBUTTONUP}) {
        ::SetCapture(dlg.m_hWnd);
        ASSERT_EQ(::GetCapture(), dlg.m_hWnd);
        EXPECT_EQ(::SendMessageW(dlg.m_hWnd, up, 0, MAKELPARAM(10, 10)), 0);
        EXPECT_NE(::GetCapture(), dlg.m_hWnd) << up;
        EXPECT_EQ(dlg.m_pPressedElement, nullptr);
    }
    // Without an element nothing is pressed and nothing takes the mouse.
    EXPECT_EQ(dlg.OnButtonMouseDown(nullptr), S_FALSE);
    EXPECT_NE(::GetCapture(), dlg.m_hWnd);
    EXPECT_EQ(dlg.OnButtonMouseUp(nullptr), S_FALSE);
    EXPECT_EQ(dlg.OnSelectStart(nullptr), S_FALSE);
}

TEST_F(DHtmDlgExTest, EventMapPutsButtonsBeforeDragging) {
    const DHtmlEventMapEntry* map = dlg.GetDHtmlEventMap();
    auto handler = [&](long event, const wchar_t* cls, const wchar_t* tag) {
        const DHtmlEventMapEntry* e = FindDHtmlEventEntry(map, event, cls, tag);
        return e ? e->handler : nullptr;
    };
    const long over = DISPID(DISPID_HTMLDOCUMENTEVENTS2_ONMOUSEOVER);
    const long out = DISPID(DISPID_HTMLDOCUMENTEVENTS2_ONMOUSEOUT);
    const long down = DISPID(DISPID_HTMLDOCUMENTEVENTS2_ONMOUSEDOWN);
    const long up = DISPID(DISPID_HTMLDOCUMENTEVENTS2_ONMOUSEUP);
    const long move = DISPID(DISPID_HTMLDOCUMENTEVENTS2_ONMOUSEMOVE);
    const long select = DISPID(DISPID_HTMLDOCUMENTEVENTS2_ONSELECTSTART);

    EXPECT_EQ(handler(over, L"button", L"A"), DHtmlHandler(&CProbeDlg::OnButtonMouseOver));
    EXPECT_EQ(handler(out, L"button", L"SPAN"), DHtmlHandler(&CProbeDlg::OnButtonMouseOut));
    EXPECT_EQ(handler(up, L"button", L"IMG"), DHtmlHandler(&CProbeDlg::OnButtonMouseUp));
    // A div of class exactly "button" is a button, not a drag handle...
    EXPECT_EQ(handler(down, L"button", L"DIV"), DHtmlHandler(&CProbeDlg::OnButtonMouseDown));
    // ...with a second class name it is a plain div and drags.
    EXPECT_EQ(handler(down, L"button big", L"DIV"), DHtmlHandler(&CProbeDlg::OnDragMouseDown));
    EXPECT_EQ(handler(down, L"", L"body"), DHtmlHandler(&CProbeDlg::OnDragMouseDown));
    EXPECT_EQ(handler(up, L"x", L"TD"), DHtmlHandler(&CProbeDlg::OnDragMouseUp));
    EXPECT_EQ(handler(move, L"", L"Div"), DHtmlHandler(&CProbeDlg::OnDragMouseMove));
    EXPECT_EQ(handler(select, L"", L"TD"), DHtmlHandler(&CProbeDlg::OnSelectStart));
    // Images, links and inputs do not drag; "Button" is not "button".
    EXPECT_EQ(handler(down, L"", L"IMG"), nullptr);
    EXPECT_EQ(handler(down, L"", L"INPUT"), nullptr);
    EXPECT_EQ(handler(over, L"Button", L"A"), nullptr);
    EXPECT_EQ(handler(select, L"", L"INPUT"), nullptr);
    EXPECT_EQ(handler(over, L"", L"DIV"), nullptr);
}

}  // namespace
