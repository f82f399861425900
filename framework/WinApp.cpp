#include "framework/WinApp.h"

#include "framework/Wnd.h"

CWinApp* CWinApp::s_app = nullptr;

CWinApp::CWinApp() { s_app = this; }

CWinApp::~CWinApp() {
    if (s_app == this) s_app = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return m_nExitCode; }

BOOL CWinApp::PreTranslateMessage(MSG* msg) {
    HWND stop = m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr;
    for (HWND h = msg->hwnd; h; h = ::GetParent(h)) {
        CWnd* wnd = CWnd::FromHandle(h);
        if (wnd && wnd->PreTranslateMessage(msg)) return TRUE;
        if (h == stop) return FALSE;
    }
    // Outside the main window (thread messages, other top-level windows): the
    // main window still sees every message of its thread.
    if (stop && ::IsWindow(stop)) {
        HWND top = msg->hwnd ? ::GetAncestor(msg->hwnd, GA_ROOTOWNER) : nullptr;
        if (top != stop) return m_pMainWnd->PreTranslateMessage(msg);
    }
    return FALSE;
}

int CWinApp::Run() {
    MSG msg;
    for (;;) {
        BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) break;
        if (!PreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    m_nExitCode = (int)msg.wParam;
    return ExitInstance();
}

int RunApplication(HINSTANCE instance) {
    CWinApp* app = CWinApp::Get();
    if (!app) return -1;
    app->m_hInstance = instance;
    if (!app->InitInstance()) return app->ExitInstance();
    return app->Run();
}
