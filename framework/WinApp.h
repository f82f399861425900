// CWinApp: the process's one application object. WinMain hands control to
// RunApplication, which calls InitInstance and then either runs the message
// loop (when InitInstance says so) or goes straight to ExitInstance.
#pragma once

#include <windows.h>

class CWnd;

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    static CWinApp* Get() { return s_app; }

    virtual BOOL InitInstance();
    virtual int ExitInstance();
    // The message loop; ends on WM_QUIT and returns ExitInstance's code.
    virtual int Run();

    // Offers a message to the framework windows it is for, from the window up
    // through its parents, and then to the main window when the message's
    // window lies outside it. TRUE means the message was consumed.
    virtual BOOL PreTranslateMessage(MSG* msg);

    HINSTANCE m_hInstance = nullptr;
    CWnd* m_pMainWnd = nullptr;
    int m_nExitCode = 0;  // wParam of WM_QUIT

private:
    static CWinApp* s_app;
};

// Entry used by wWinMain: the app object must already exist.
int RunApplication(HINSTANCE instance);
