#include "framework/FrameWnd.h"

#include "framework/WinApp.h"

#if VEXO_TEST_AUTOMATION
#include "framework/BrowserAutomation.h"
#endif

namespace {

HINSTANCE AppInstance() {
    CWinApp* app = CWinApp::Get();
    return app && app->m_hInstance ? app->m_hInstance : ::GetModuleHandleW(nullptr);
}

}  // namespace

// ---- CView ------------------------------------------------------------------

CFrameWnd* CView::GetParentFrame() const {
    for (HWND h = m_hWnd ? ::GetParent(m_hWnd) : nullptr; h; h = ::GetParent(h))
        if (auto* frame = dynamic_cast<CFrameWnd*>(CWnd::FromHandle(h))) return frame;
    return nullptr;
}

BOOL CView::Create(HWND parentFrame, UINT id, const RECT& rect, CDocument* doc) {
    if (m_hWnd) return FALSE;
    m_pDocument = doc;
    CREATESTRUCTW cs{};
    cs.hInstance = AppInstance();
    cs.hMenu = reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id));
    cs.hwndParent = parentFrame;
    cs.x = rect.left;
    cs.y = rect.top;
    cs.cx = rect.right - rect.left;
    cs.cy = rect.bottom - rect.top;
    cs.style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    cs.dwExStyle = WS_EX_CLIENTEDGE;
    cs.lpszName = L"";
    cs.lpszClass = RegisterFrameworkClass(L"VexoView", CS_DBLCLKS, nullptr,
                                          reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), nullptr);
    if (!cs.lpszClass || !PreCreateWindow(cs)) return FALSE;
    return CreateEx(cs.dwExStyle, cs.lpszClass, cs.lpszName, cs.style, cs.x, cs.y, cs.cx, cs.cy, cs.hwndParent,
                    cs.hMenu);
}

LRESULT CView::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CREATE && OnCreate(reinterpret_cast<CREATESTRUCTW*>(lParam)) == -1) return -1;
    return CWnd::WindowProc(msg, wParam, lParam);
}

void CView::PostNcDestroy() {
    if (m_bAutoDelete) delete this;
}

// ---- CFrameWnd --------------------------------------------------------------

BOOL CFrameWnd::LoadFrame(UINT resourceId, DWORD style, HWND parent, CCreateContext* context) {
    if (m_hWnd) return FALSE;
    HINSTANCE inst = AppInstance();
    HICON icon = ::LoadIconW(inst, MAKEINTRESOURCEW(resourceId));
    HMENU menu = ::LoadMenuW(inst, MAKEINTRESOURCEW(resourceId));  // usually none

    CREATESTRUCTW cs{};
    cs.hInstance = inst;
    cs.hMenu = menu;
    cs.hwndParent = parent;
    cs.x = cs.y = cs.cx = cs.cy = CW_USEDEFAULT;
    cs.style = style;
    cs.lpszName = L"";
    cs.lpszClass = RegisterFrameworkClass(L"VexoFrameWnd", CS_DBLCLKS, nullptr,
                                          reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), icon);
    BOOL ok = cs.lpszClass && PreCreateWindow(cs);
    if (ok) {
        m_pContext = context;
        m_bCreating = true;
        ok = CreateEx(cs.dwExStyle, cs.lpszClass, cs.lpszName, cs.style, cs.x, cs.y, cs.cx, cs.cy,
                      cs.hwndParent, cs.hMenu);
        m_bCreating = false;
        m_pContext = nullptr;
    }
    if (menu && (!ok || cs.hMenu != menu)) ::DestroyMenu(menu);
    return ok;
}

int CFrameWnd::OnCreate(CREATESTRUCTW*) {
    if (!m_pContext || !m_pContext->m_newView) return 0;
    CView* view = m_pContext->m_newView();
    if (!view) return -1;
    RECT rc;
    ::GetClientRect(m_hWnd, &rc);
    if (!view->Create(m_hWnd, kViewId, rc, m_pContext->m_pCurrentDoc)) {
        delete view;
        return -1;
    }
    view->m_bAutoDelete = true;
    m_pViewActive = view;
    return 0;
}

void CFrameWnd::RecalcLayout() {
    if (!m_pViewActive || !m_pViewActive->m_hWnd) return;
    RECT rc;
    ::GetClientRect(m_hWnd, &rc);
    ::MoveWindow(m_pViewActive->m_hWnd, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, TRUE);
}

BOOL CFrameWnd::PreTranslateMessage(MSG* msg) {
    if (msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST || !m_pViewActive) return FALSE;
    HWND view = m_pViewActive->m_hWnd;
    if (!view || !(msg->hwnd == view || ::IsChild(view, msg->hwnd))) return FALSE;
    return m_pViewActive->TranslateViewAccelerator(msg);
}

LRESULT CFrameWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE:
        if (OnCreate(reinterpret_cast<CREATESTRUCTW*>(lParam)) == -1) return -1;
        break;
    case WM_SIZE:
        RecalcLayout();
        break;
    case WM_SETFOCUS:
        if (m_pViewActive && m_pViewActive->m_hWnd) {
            ::SetFocus(m_pViewActive->m_hWnd);
            return 0;
        }
        break;
    case WM_DESTROY:
        // The view goes with the children, right after this.
        m_pViewActive = nullptr;
        break;
#if VEXO_TEST_AUTOMATION
    case WM_COPYDATA: {
        // Tests find the frame (it registers with the main window); the browser is the view's.
        auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (cds && (cds->dwData == kBrowserAutomationNavigate || cds->dwData == kBrowserAutomationComplete ||
                    cds->dwData == kBrowserAutomationRefreshes))
            return m_pViewActive && m_pViewActive->m_hWnd
                       ? ::SendMessageW(m_pViewActive->m_hWnd, WM_COPYDATA, wParam, lParam)
                       : FALSE;
        break;
    }
#endif
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}

void CFrameWnd::PostNcDestroy() {
    CWinApp* app = CWinApp::Get();
    if (app && app->m_pMainWnd == this) {
        app->m_pMainWnd = nullptr;
        ::PostQuitMessage(0);
    }
    if (m_bAutoDelete && !m_bCreating) delete this;
}

// ---- CSingleDocTemplate -----------------------------------------------------

CSingleDocTemplate::CSingleDocTemplate(UINT resourceId, std::function<CDocument*()> newDocument,
                                       std::function<CFrameWnd*()> newFrame, std::function<CView*()> newView)
    : m_nResourceId(resourceId),
      m_newDocument(std::move(newDocument)),
      m_newFrame(std::move(newFrame)),
      m_newView(std::move(newView)) {}

CSingleDocTemplate::~CSingleDocTemplate() {
    // Views point at the document: the frame (and its view) go first.
    if (CFrameWnd* frame = GetFrame()) frame->DestroyWindow();
}

CFrameWnd* CSingleDocTemplate::GetFrame() const {
    if (!m_hFrame || !::IsWindow(m_hFrame)) return nullptr;
    return dynamic_cast<CFrameWnd*>(CWnd::FromHandle(m_hFrame));
}

CDocument* CSingleDocTemplate::OpenDocumentFile(const wchar_t* path, BOOL makeVisible) {
    if (path) return nullptr;
    CFrameWnd* frame = GetFrame();
    if (frame) {
        if (!m_pDocument || !m_pDocument->OnNewDocument()) return nullptr;
    } else {
        std::unique_ptr<CDocument> doc(m_newDocument ? m_newDocument() : nullptr);
        frame = doc && m_newFrame ? m_newFrame() : nullptr;
        if (!frame) return nullptr;
        CCreateContext context;
        context.m_pCurrentDoc = doc.get();
        context.m_newView = m_newView;
        if (!frame->LoadFrame(m_nResourceId, WS_OVERLAPPEDWINDOW, nullptr, &context)) {
            delete frame;
            return nullptr;
        }
        frame->m_bAutoDelete = true;
        if (!doc->OnNewDocument()) {
            frame->DestroyWindow();
            return nullptr;
        }
        m_hFrame = frame->m_hWnd;
        m_pDocument = std::move(doc);
    }
    if (CView* view = frame->GetActiveView()) view->OnInitialUpdate();
    CWinApp* app = CWinApp::Get();
    if (app && !app->m_pMainWnd && GetFrame() == frame) app->m_pMainWnd = frame;
    if (makeVisible && GetFrame() == frame) {
        frame->ShowWindow(SW_SHOW);
        ::UpdateWindow(frame->m_hWnd);
    }
    return m_pDocument.get();
}
