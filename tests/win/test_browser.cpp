// The browser hosting, with the real WebBrowser control. The control here has
// no HTML engine: navigations start (BeforeNavigate2, cancel, NavigateError are
// real) but never complete, so completion comes through the test-only
// automation channel, which calls the same handlers as the event sink.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "framework/BrowserAutomation.h"
#include "framework/FrameWnd.h"
#include "framework/HtmlDialog.h"
#include "framework/HtmlView.h"

#include <mshtmdid.h>

namespace {

constexpr UINT kTemplate = 9001;  // the test resources' small dialog
// Nothing listens there: an uncancelled navigation fails fast with NavigateError.
const wchar_t kDeadUrl[] = L"http://127.0.0.1:9/vexo-browser-test";

struct Event {
    std::string kind;
    std::wstring text;
    bool top = false;
    LONG status = 0;
};

template <class Pred>
bool PumpUntil(Pred done, DWORD ms, HANDLE also = nullptr) {
    DWORD start = ::GetTickCount();
    for (;;) {
        MSG m;
        while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&m);
            ::DispatchMessageW(&m);
        }
        if (done()) return true;
        DWORD spent = ::GetTickCount() - start;
        if (spent >= ms) return false;
        ::MsgWaitForMultipleObjects(also ? 1 : 0, also ? &also : nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

void Pump(DWORD ms) {
    PumpUntil([] { return false; }, ms);
}

int Count(const std::vector<Event>& events, const char* kind) {
    int n = 0;
    for (const Event& e : events) n += e.kind == kind;
    return n;
}

const Event* Find(const std::vector<Event>& events, const char* kind) {
    for (const Event& e : events)
        if (e.kind == kind) return &e;
    return nullptr;
}

class CTestHtmlDlg : public CDHtmlDialog {
public:
    CTestHtmlDlg() : CDHtmlDialog(kTemplate) {}
    std::vector<Event> events;
    bool cancelEverything = false;
    HRESULT showMessageAnswer = S_FALSE;
    std::wstring shownText;
    using CDHtmlDialog::GetHostInfo;

protected:
    void OnBeforeNavigate2(IDispatch* frame, const std::wstring& url, bool& cancel) override {
        events.push_back({"before", url, GetBrowserHost().IsTopLevel(frame)});
        if (cancelEverything || url.compare(0, 4, L"app:") == 0) cancel = true;
    }
    void OnNavigateComplete(IDispatch* frame, const std::wstring& url) override {
        events.push_back({"complete", url, GetBrowserHost().IsTopLevel(frame)});
    }
    void OnDocumentComplete(IDispatch* frame, const std::wstring& url) override {
        CDHtmlDialog::OnDocumentComplete(frame, url);
        events.push_back({"document", url, GetBrowserHost().IsTopLevel(frame)});
    }
    void OnNavigateError(IDispatch* frame, const std::wstring& url, const std::wstring&, LONG status,
                         bool& cancel) override {
        events.push_back({"error", url, GetBrowserHost().IsTopLevel(frame), status});
        cancel = true;
    }
    void OnTitleChange(const std::wstring& title) override { events.push_back({"title", title}); }
    HRESULT ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override { return S_OK; }
    HRESULT OnShowMessage(HWND, LPOLESTR text, LPOLESTR, DWORD, LPOLESTR, DWORD, LRESULT*) override {
        shownText = text ? text : L"";
        return showMessageAnswer;
    }
};

class BrowserHostTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr))); }
    static void TearDownTestSuite() { ::OleUninitialize(); }

    void SetUp() override {
        ASSERT_TRUE(dlg.Create(kTemplate, nullptr));
        ASSERT_TRUE(dlg.m_pBrowserApp) << "WebBrowser control not created";
    }

    CTestHtmlDlg dlg;
};

TEST_F(BrowserHostTest, ControlCoversTheClientArea) {
    HWND control = dlg.GetBrowserHost().GetControlWindow();
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(::GetParent(control), dlg.m_hWnd);
    RECT client, rc;
    ::GetClientRect(dlg.m_hWnd, &client);
    ::GetWindowRect(control, &rc);
    ::MapWindowPoints(nullptr, dlg.m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
    EXPECT_EQ(rc.left, 0);
    EXPECT_EQ(rc.top, 0);
    EXPECT_EQ(rc.right, client.right);
    EXPECT_EQ(rc.bottom, client.bottom);

    ::SetWindowPos(dlg.m_hWnd, nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::GetClientRect(dlg.m_hWnd, &client);
    ::GetWindowRect(control, &rc);
    EXPECT_EQ(rc.right - rc.left, client.right);
    EXPECT_EQ(rc.bottom - rc.top, client.bottom);
}

TEST_F(BrowserHostTest, PageCommandIsSeenAndCancelled) {
    const std::wstring url = L"app://loadgame|x|y";
    ASSERT_TRUE(SUCCEEDED(dlg.Navigate(url)));
    ASSERT_TRUE(PumpUntil([&] { return Count(dlg.events, "before") > 0; }, 15000));  // generous: Wine under load
    const Event* before = Find(dlg.events, "before");
    EXPECT_EQ(before->text, url);
    EXPECT_TRUE(before->top);
    // Cancelled before it started: nothing fails, nothing completes.
    Pump(800);
    EXPECT_EQ(Count(dlg.events, "before"), 1);
    EXPECT_EQ(Count(dlg.events, "error"), 0);
    EXPECT_EQ(Count(dlg.events, "complete"), 0);
}

TEST_F(BrowserHostTest, UncancelledDeadAddressRaisesNavigateError) {
    ASSERT_TRUE(SUCCEEDED(dlg.Navigate(kDeadUrl)));
    ASSERT_TRUE(PumpUntil([&] { return Count(dlg.events, "error") > 0; }, 15000)) << "no NavigateError";
    const Event* before = Find(dlg.events, "before");
    ASSERT_NE(before, nullptr);
    EXPECT_EQ(before->text, kDeadUrl);
    const Event* error = Find(dlg.events, "error");
    EXPECT_EQ(error->text, kDeadUrl);
    EXPECT_TRUE(error->top);
    EXPECT_LT(error->status, 0) << "an error HRESULT, got " << error->status;
}

TEST_F(BrowserHostTest, CancelledAddressNeverFails) {
    // Same address as above: only the cancel tells the two apart.
    dlg.cancelEverything = true;
    ASSERT_TRUE(SUCCEEDED(dlg.Navigate(kDeadUrl)));
    ASSERT_TRUE(PumpUntil([&] { return Count(dlg.events, "before") > 0; }, 15000));  // generous: Wine under load
    EXPECT_EQ(Find(dlg.events, "before")->text, kDeadUrl);
    Pump(3000);
    EXPECT_EQ(Count(dlg.events, "error"), 0);
}

// The control asks the site through these interfaces; call them as it would.
TEST_F(BrowserHostTest, SiteForwardsHostUiQuestionsToTheOwner) {
    fw::ComPtr<IOleObject> ole;
    ASSERT_TRUE(SUCCEEDED(dlg.m_pBrowserApp->QueryInterface(IID_PPV_ARGS(ole.Put()))));
    fw::ComPtr<IOleClientSite> site;
    ASSERT_TRUE(SUCCEEDED(ole->GetClientSite(site.Put())) && site);
    fw::ComPtr<IDocHostUIHandler> ui;
    ASSERT_TRUE(SUCCEEDED(site->QueryInterface(IID_PPV_ARGS(ui.Put()))));

    dlg.m_dwHostFlags = DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_DIALOG;
    DOCHOSTUIINFO info{};
    info.cbSize = sizeof info;
    info.dwFlags = 0xFFFF0000;
    EXPECT_EQ(ui->GetHostInfo(&info), S_OK);
    EXPECT_EQ(info.dwFlags, DWORD(DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_DIALOG));

    POINT pt{1, 1};
    EXPECT_EQ(ui->ShowContextMenu(0, &pt, nullptr, nullptr), S_OK);  // the owner's answer
    fw::ComPtr<IDispatch> external;
    EXPECT_EQ(ui->GetExternal(external.Put()), S_FALSE);
    EXPECT_FALSE(external);

    fw::ComPtr<IDocHostShowUI> show;
    ASSERT_TRUE(SUCCEEDED(ui->QueryInterface(IID_PPV_ARGS(show.Put()))));
    wchar_t text[] = L"来自网页的消息";
    LRESULT result = 0;
    EXPECT_EQ(show->ShowMessage(dlg.m_hWnd, text, nullptr, MB_OK, nullptr, 0, &result), S_FALSE);
    EXPECT_EQ(dlg.shownText, text);
    dlg.showMessageAnswer = S_OK;
    EXPECT_EQ(show->ShowMessage(dlg.m_hWnd, text, nullptr, MB_OK, nullptr, 0, &result), S_OK);
    POINT mouse{};
    EXPECT_EQ(show->ShowHelp(dlg.m_hWnd, nullptr, 0, 0, mouse, nullptr), S_FALSE);

    // One object: the UI handler and the site are the same COM identity.
    fw::ComPtr<IUnknown> a, b;
    site->QueryInterface(IID_PPV_ARGS(a.Put()));
    show->QueryInterface(IID_PPV_ARGS(b.Put()));
    EXPECT_EQ(a.Get(), b.Get());
}

TEST_F(BrowserHostTest, KeysOutsideTheControlAreNotOffered) {
    MSG msg{dlg.m_hWnd, WM_KEYDOWN, VK_TAB, 0, 0, {}};
    EXPECT_FALSE(dlg.GetBrowserHost().TranslateAccelerator(&msg));
    MSG click{dlg.GetBrowserHost().GetControlWindow(), WM_LBUTTONDOWN, 0, 0, 0, {}};
    EXPECT_FALSE(dlg.GetBrowserHost().TranslateAccelerator(&click));
}

TEST_F(BrowserHostTest, DestroyingTheWindowReleasesTheControl) {
    HWND control = dlg.GetBrowserHost().GetControlWindow();
    ASSERT_TRUE(::IsWindow(control));
    dlg.DestroyWindow();
    EXPECT_FALSE(dlg.GetBrowserHost().IsCreated());
    EXPECT_FALSE(dlg.m_pBrowserApp);
    EXPECT_FALSE(::IsWindow(control));
}

// A derived dialog's DHTML map, written the way the system's dialogs write theirs.
class CMapDlg : public CDHtmlDialog {
public:
    CMapDlg() : CDHtmlDialog(kTemplate) {}
    int calls = 0;
    HRESULT OnButtonDown(IHTMLElement*) {
        ++calls;
        return S_FALSE;
    }
    HRESULT OnBodyDown(IHTMLElement*) {
        ++calls;
        return S_FALSE;
    }
    const DHtmlEventMapEntry* GetDHtmlEventMap() const override {
        static const DHtmlEventMapEntry map[] = {
            {DHtmlMatchKind::Class, DISPID_HTMLDOCUMENTEVENTS2_ONMOUSEDOWN, L"button",
             DHtmlHandler(&CMapDlg::OnButtonDown)},
            {DHtmlMatchKind::Tag, DISPID_HTMLDOCUMENTEVENTS2_ONMOUSEDOWN, L"body", DHtmlHandler(&CMapDlg::OnBodyDown)},
            {DHtmlMatchKind::Tag, 0, nullptr, nullptr},
        };
        return map;
    }
};

TEST_F(BrowserHostTest, DHtmlMapEntriesReachDerivedHandlers) {
    CMapDlg map;
    const DHtmlEventMapEntry* entries = map.GetDHtmlEventMap();
    const DHtmlEventMapEntry* e =
        FindDHtmlEventEntry(entries, DISPID_HTMLDOCUMENTEVENTS2_ONMOUSEDOWN, L"", L"BODY");
    ASSERT_EQ(e, &entries[1]);
    EXPECT_EQ((map.*(e->handler))(nullptr), S_FALSE);
    EXPECT_EQ(map.calls, 1);
    EXPECT_EQ(FindDHtmlEventEntry(entries, DISPID_HTMLDOCUMENTEVENTS2_ONMOUSEUP, L"button", L"DIV"), nullptr);
}

#if VEXO_TEST_AUTOMATION

LRESULT SendAutomation(HWND hwnd, ULONG_PTR kind, const std::wstring& payload, DWORD cb = DWORD(-1)) {
    COPYDATASTRUCT cds{kind, cb == DWORD(-1) ? DWORD(payload.size() * sizeof(wchar_t)) : cb,
                       const_cast<wchar_t*>(payload.data())};
    return ::SendMessageW(hwnd, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds));
}

TEST_F(BrowserHostTest, AutomationNavigatesThroughTheRealControl) {
    const std::wstring url = L"app://exitgame";
    EXPECT_EQ(SendAutomation(dlg.m_hWnd, kBrowserAutomationNavigate, url), TRUE);
    EXPECT_EQ(Count(dlg.events, "before"), 0) << "runs from the queue, not inside the sender's call";
    ASSERT_TRUE(PumpUntil([&] { return Count(dlg.events, "before") > 0; }, 15000));  // generous: Wine under load
    EXPECT_EQ(Find(dlg.events, "before")->text, url);
    EXPECT_TRUE(Find(dlg.events, "before")->top);
}

TEST_F(BrowserHostTest, AutomationCompletionReachesTheSinkHandlers) {
    std::wstring payload = L"http://127.0.0.1:47180/quon/client/v2/index.html";
    payload += L'\0';
    payload += L"登录";
    EXPECT_EQ(SendAutomation(dlg.m_hWnd, kBrowserAutomationComplete, payload), TRUE);
    ASSERT_TRUE(PumpUntil([&] { return Count(dlg.events, "document") > 0; }, 5000));
    ASSERT_EQ(dlg.events.size(), 3u);
    EXPECT_EQ(dlg.events[0].kind, "complete");
    EXPECT_EQ(dlg.events[0].text, L"http://127.0.0.1:47180/quon/client/v2/index.html");
    EXPECT_TRUE(dlg.events[0].top);
    EXPECT_EQ(dlg.events[1].kind, "title");
    EXPECT_EQ(dlg.events[1].text, L"登录");
    EXPECT_EQ(dlg.events[2].kind, "document");
    EXPECT_TRUE(dlg.events[2].top);
    // No engine, no document: the DHTML hook-up finds nothing and stays quiet.
    EXPECT_FALSE(dlg.m_spHtmlDoc);
}

TEST_F(BrowserHostTest, AutomationRefusesMalformedRequests) {
    std::wstring url = L"app://x";
    EXPECT_EQ(SendAutomation(dlg.m_hWnd, kBrowserAutomationNavigate, url, 3), FALSE);  // odd byte count
    EXPECT_EQ(SendAutomation(dlg.m_hWnd, kBrowserAutomationNavigate, L""), FALSE);
    EXPECT_EQ(SendAutomation(dlg.m_hWnd, kBrowserAutomationNavigate, std::wstring(1, L'\0')), FALSE);
    EXPECT_EQ(SendAutomation(dlg.m_hWnd, 12345, url), FALSE);  // not ours: the window's default answer
    // Only the bytes given are read: the URL ends where cbData says.
    EXPECT_EQ(SendAutomation(dlg.m_hWnd, kBrowserAutomationNavigate, L"app://abcdef", 2 * 7), TRUE);
    ASSERT_TRUE(PumpUntil([&] { return Count(dlg.events, "before") > 0; }, 15000));  // generous: Wine under load
    Pump(300);
    ASSERT_EQ(Count(dlg.events, "before"), 1);
    EXPECT_EQ(Find(dlg.events, "before")->text, L"app://a");
}

TEST_F(BrowserHostTest, ProbeDrivesTheChannelFromAnotherProcess) {
    wchar_t exe[MAX_PATH];
    DWORD n = ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    ASSERT_GT(n, 0u);
    std::wstring probe(exe, n);
    probe = probe.substr(0, probe.find_last_of(L"\\/") + 1) + L"probe.exe";
    ASSERT_NE(::GetFileAttributesW(probe.c_str()), INVALID_FILE_ATTRIBUTES) << "build the probe target first";

    auto run = [&](const std::wstring& args) {
        std::wstring cmd = L"\"" + probe + L"\" " + args;
        STARTUPINFOW si{sizeof si};
        PROCESS_INFORMATION pi{};
        if (!::CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, nullptr, &si,
                              &pi))
            return DWORD(-1);
        ::CloseHandle(pi.hThread);
        // Keep answering sent messages while the probe waits on us.
        PumpUntil([&] { return ::WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0; }, 20000, pi.hProcess);
        DWORD code = DWORD(-1);
        ::GetExitCodeProcess(pi.hProcess, &code);
        ::CloseHandle(pi.hProcess);
        return code;
    };
    std::wstring hwnd = std::to_wstring((unsigned long long)(ULONG_PTR)dlg.m_hWnd);
    EXPECT_EQ(run(L"navigate " + hwnd + L" \"app://loadgame|12服-《梦》宝宝-abc|http://h/g\""), 0u);
    ASSERT_TRUE(PumpUntil([&] { return Count(dlg.events, "before") > 0; }, 15000));  // generous: Wine under load
    EXPECT_EQ(Find(dlg.events, "before")->text, L"app://loadgame|12服-《梦》宝宝-abc|http://h/g");

    EXPECT_EQ(run(L"complete " + hwnd + L" http://h/login.html \"Vexo 登录\""), 0u);
    ASSERT_TRUE(PumpUntil([&] { return Count(dlg.events, "title") > 0; }, 15000));
    EXPECT_EQ(Find(dlg.events, "complete")->text, L"http://h/login.html");
    EXPECT_EQ(Find(dlg.events, "title")->text, L"Vexo 登录");
}

#endif  // VEXO_TEST_AUTOMATION

// ---- frame, view, document --------------------------------------------------

int g_docNew = 0, g_viewInit = 0, g_viewsAlive = 0, g_framesAlive = 0;

class CTestDoc : public CDocument {
public:
    BOOL OnNewDocument() override {
        ++g_docNew;
        return CDocument::OnNewDocument();
    }
};

class CTestFrame : public CFrameWnd {
public:
    CTestFrame() { ++g_framesAlive; }
    ~CTestFrame() override { --g_framesAlive; }

protected:
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override {
        cs.cx = 300;
        cs.cy = 200;
        cs.x = cs.y = 0;
        return CFrameWnd::PreCreateWindow(cs);
    }
};

class CTestView : public CHtmlView {
public:
    CTestView() { ++g_viewsAlive; }
    ~CTestView() override { --g_viewsAlive; }
    static std::vector<Event>* s_events;

    void OnInitialUpdate() override {
        ++g_viewInit;
        CHtmlView::OnInitialUpdate();
    }
    void OnBeforeNavigate2(IDispatch* frame, const std::wstring& url, bool& cancel) override {
        s_events->push_back({"before", url, GetBrowserHost().IsTopLevel(frame)});
        if (url.find(L"app://entergame|") != std::wstring::npos) cancel = true;
    }
    void OnNavigateComplete2(IDispatch* frame, const std::wstring& url) override {
        s_events->push_back({"complete", url, GetBrowserHost().IsTopLevel(frame)});
    }
    void OnTitleChange(const std::wstring& title) override { s_events->push_back({"title", title}); }
};
std::vector<Event>* CTestView::s_events = nullptr;

class FrameViewTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr))); }
    static void TearDownTestSuite() { ::OleUninitialize(); }
    void SetUp() override {
        g_docNew = g_viewInit = 0;
        CTestView::s_events = &events;
    }
    void TearDown() override { CTestView::s_events = nullptr; }
    std::vector<Event> events;
};

TEST_F(FrameViewTest, TemplateMakesDocumentFrameAndBrowserView) {
    auto tmpl = CSingleDocTemplate::Make<CTestDoc, CTestFrame, CTestView>(128);
    CDocument* doc = tmpl->OpenDocumentFile(nullptr, FALSE);
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(g_docNew, 1);
    EXPECT_EQ(g_viewInit, 1);
    CFrameWnd* frame = tmpl->GetFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_FALSE(frame->IsWindowVisible());
    auto* view = dynamic_cast<CTestView*>(frame->GetActiveView());
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->GetDocument(), doc);
    EXPECT_EQ(frame->GetActiveDocument(), doc);
    EXPECT_EQ(view->GetParentFrame(), frame);
    EXPECT_EQ(::GetParent(view->m_hWnd), frame->m_hWnd);
    ASSERT_TRUE(view->m_pBrowserApp);
    EXPECT_EQ(::GetParent(view->GetBrowserHost().GetControlWindow()), view->m_hWnd);

    // The frame's own creation parameters, and the view filling its client area.
    RECT wr, client, vr;
    ::GetWindowRect(frame->m_hWnd, &wr);
    EXPECT_EQ(wr.right - wr.left, 300);
    EXPECT_EQ(wr.bottom - wr.top, 200);
    ::GetClientRect(frame->m_hWnd, &client);
    ::GetWindowRect(view->m_hWnd, &vr);
    EXPECT_EQ(vr.right - vr.left, client.right);
    EXPECT_EQ(vr.bottom - vr.top, client.bottom);
    EXPECT_TRUE(::GetWindowLongPtrW(view->m_hWnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);

    // A second new document reuses the frame.
    EXPECT_EQ(tmpl->OpenDocumentFile(nullptr, FALSE), doc);
    EXPECT_EQ(tmpl->GetFrame(), frame);
    EXPECT_EQ(g_docNew, 2);
    EXPECT_EQ(tmpl->OpenDocumentFile(L"x.doc", FALSE), nullptr);

    // The hall's command is seen by the view's handler and cancelled.
    ASSERT_TRUE(SUCCEEDED(view->Navigate2(L"app://entergame|quon|http://h/")));
    ASSERT_TRUE(PumpUntil([&] { return !events.empty(); }, 5000));
    EXPECT_EQ(events[0].kind, "before");
    EXPECT_EQ(events[0].text, L"app://entergame|quon|http://h/");
    EXPECT_TRUE(events[0].top);

    // Closing the frame takes the view with it; both objects delete themselves.
    EXPECT_EQ(g_framesAlive, 1);
    EXPECT_EQ(g_viewsAlive, 1);
    ::SendMessageW(frame->m_hWnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(g_framesAlive, 0);
    EXPECT_EQ(g_viewsAlive, 0);
    EXPECT_EQ(tmpl->GetFrame(), nullptr);
}

TEST_F(FrameViewTest, TemplateGoesWithItsFrame) {
    {
        auto tmpl = CSingleDocTemplate::Make<CTestDoc, CTestFrame, CTestView>(128);
        ASSERT_NE(tmpl->OpenDocumentFile(nullptr, TRUE), nullptr);
        EXPECT_TRUE(tmpl->GetFrame()->IsWindowVisible());
        EXPECT_EQ(g_framesAlive, 1);
    }
    EXPECT_EQ(g_framesAlive, 0);
    EXPECT_EQ(g_viewsAlive, 0);
}

#if VEXO_TEST_AUTOMATION
TEST_F(FrameViewTest, FrameHandsAutomationToItsView) {
    auto tmpl = CSingleDocTemplate::Make<CTestDoc, CTestFrame, CTestView>(128);
    ASSERT_NE(tmpl->OpenDocumentFile(nullptr, FALSE), nullptr);
    HWND frame = tmpl->GetFrame()->m_hWnd;
    std::wstring payload = L"http://h/webgame.htm";
    payload += L'\0';
    payload += L"游戏大厅";
    EXPECT_EQ(SendAutomation(frame, kBrowserAutomationComplete, payload), TRUE);
    EXPECT_EQ(SendAutomation(frame, kBrowserAutomationNavigate, L"app://entergame|a|b"), TRUE);
    ASSERT_TRUE(PumpUntil([&] { return events.size() >= 3; }, 5000));
    EXPECT_EQ(events[0].kind, "complete");
    EXPECT_EQ(events[0].text, L"http://h/webgame.htm");
    EXPECT_TRUE(events[0].top);
    EXPECT_EQ(events[1].kind, "title");
    EXPECT_EQ(events[1].text, L"游戏大厅");
    EXPECT_EQ(events[2].kind, "before");
    EXPECT_EQ(events[2].text, L"app://entergame|a|b");
}
#endif

}  // namespace
