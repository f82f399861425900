// CHtmlView: a view that is one WebBrowser control over its client area, for
// frames that show a web page. Derived views hear the browser through the
// CBrowserEvents virtuals (OnBeforeNavigate2, OnNavigateComplete2,
// OnDocumentComplete, OnNavigateError, OnTitleChange, OnGetHostInfo, ...).
#pragma once

#include "framework/BrowserHost.h"
#include "framework/FrameWnd.h"

class CHtmlView : public CView, public CBrowserEvents {
public:
    CHtmlView() = default;
    ~CHtmlView() override;

    HRESULT Navigate2(const std::wstring& url, DWORD flags = 0, const wchar_t* targetFrame = nullptr,
                      const wchar_t* headers = nullptr);
    void Refresh();

    // Keys for the page go to the browser (offered by the frame).
    BOOL TranslateViewAccelerator(MSG* msg) override;

    CBrowserHost& GetBrowserHost() { return m_browser; }

    // The browser, from creation until the window goes.
    fw::ComPtr<IWebBrowser2> m_pBrowserApp;

protected:
    // Creates the browser over the client area. Overrides call it.
    int OnCreate(CREATESTRUCTW* cs) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    CBrowserHost m_browser;
};
