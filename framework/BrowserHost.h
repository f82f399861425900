// CBrowserHost: hosts one Internet Explorer WebBrowser control (CLSID_WebBrowser)
// inside a window of ours.
//
// Why by hand: there is no ATL or MFC here, and the control only needs a small,
// fixed set of container interfaces, all of which fit in one site object:
//   - IOleClientSite: the control's link to its container (it asks nothing of
//     substance, but refuses to activate without one);
//   - IOleInPlaceSite / IOleInPlaceFrame: where the control's window goes (our
//     window, our rectangle), and the active object it hands us on activation,
//     through which keys are given back to it (TranslateAccelerator) so that
//     Tab, Enter, arrows and editing keys work inside pages;
//   - IDocHostUIHandler: asked by MSHTML for host flags (GetHostInfo), the
//     context menu and window.external (we have none);
//   - IDocHostShowUI: the page's message boxes and help, which the owner may
//     take over.
// Navigation events (DWebBrowserEvents2) arrive at a separate IDispatch sink
// connected through the control's connection point. Both COM objects hold only
// a pointer back to the host that is cleared when the host goes, since the
// control may keep references to them longer than we keep it.
#pragma once

#include <windows.h>
#include <exdisp.h>
#include <mshtml.h>
#include <mshtmhst.h>

#include <memory>
#include <string>

#if VEXO_TEST_AUTOMATION
#include <deque>
#endif

#include "framework/Handles.h"

// What a window that hosts a browser hears from it. Defaults are what the
// browser does without a host opinion.
class CBrowserEvents {
public:
    virtual ~CBrowserEvents() = default;

    // DWebBrowserEvents2. `frame` is the navigating frame's dispatch (the
    // top-level browser or a frame of the page); `cancel` starts as the browser
    // passed it and is handed back.
    virtual void OnBeforeNavigate2(IDispatch* frame, const std::wstring& url, bool& cancel) {}
    virtual void OnNavigateComplete2(IDispatch* frame, const std::wstring& url) {}
    virtual void OnDocumentComplete(IDispatch* frame, const std::wstring& url) {}
    // Cancelling keeps the browser from showing its own error page.
    virtual void OnNavigateError(IDispatch* frame, const std::wstring& url, const std::wstring& targetFrame,
                                 LONG status, bool& cancel) {}
    virtual void OnTitleChange(const std::wstring& title) {}

    // IDocHostUIHandler. dwFlags arrives as 0.
    virtual HRESULT OnGetHostInfo(DOCHOSTUIINFO* info) { return S_OK; }
    // S_OK: the host showed (or suppressed) the menu; S_FALSE: the browser shows its own.
    virtual HRESULT OnShowContextMenu(DWORD id, POINT* pt, IUnknown* cmdTarget, IDispatch* object) {
        return S_FALSE;
    }

    // Lets the owner hand out a site interface of its own: an object whose
    // IUnknown is `site`'s (QueryInterface for anything else goes back to
    // `site`). E_NOINTERFACE leaves the interface to the framework's site.
    virtual HRESULT QuerySiteInterface(IUnknown* site, REFIID riid, void** ppv) { return E_NOINTERFACE; }

    // IDocHostShowUI. S_FALSE lets the browser show its standard box.
    virtual HRESULT OnShowMessage(HWND hwnd, LPOLESTR text, LPOLESTR caption, DWORD type, LPOLESTR helpFile,
                                  DWORD helpContext, LRESULT* result) {
        return S_FALSE;
    }
    virtual HRESULT OnShowHelp(HWND hwnd, LPOLESTR helpFile, UINT command, DWORD data, POINT ptMouse,
                               IDispatch* objectHit) {
        return S_FALSE;
    }
};

class CBrowserSite;
class CBrowserEventSink;

class CBrowserHost {
public:
    CBrowserHost();
    ~CBrowserHost();
    CBrowserHost(const CBrowserHost&) = delete;
    CBrowserHost& operator=(const CBrowserHost&) = delete;

    // Creates the control, activates it in place over `rect` (client
    // coordinates of `parent`) and connects its events to `events`.
    bool Create(HWND parent, const RECT& rect, CBrowserEvents* events);
    // Disconnects and closes the control; safe to call twice.
    void Destroy();

    bool IsCreated() const { return static_cast<bool>(m_browser); }
    IWebBrowser2* GetBrowser() const { return m_browser.Get(); }
    HWND GetParent() const { return m_hParent; }
    // The control's own outermost window, or nullptr.
    HWND GetControlWindow() const;
    void SetRect(const RECT& rect);
    // Lays the control over the whole client area of its host window.
    void FitToClient(HWND host);
    // What every window hosting a browser does first with its own messages:
    // the test-only automation requests, and keeping the control over the
    // client area on WM_SIZE. True when the message is fully handled.
    bool HandleHostMessage(HWND host, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    const RECT& GetRect() const { return m_rect; }

    HRESULT Navigate(const std::wstring& url, DWORD flags = 0, const wchar_t* targetFrame = nullptr,
                     const wchar_t* headers = nullptr);
    // Reloads the current page.
    HRESULT Refresh();
    void SetSilent(bool silent);

    // Offers a key message meant for the control's windows to the control, the
    // way a container must so that keys work inside the page. TRUE: consumed.
    BOOL TranslateAccelerator(MSG* msg);

    // Whether `frame` is the top-level browser rather than a frame of the page.
    bool IsTopLevel(IDispatch* frame) const;

    // The sink's entry points. The test automation channel calls the same ones.
    void FireBeforeNavigate2(IDispatch* frame, const std::wstring& url, bool& cancel);
    void FireNavigateComplete2(IDispatch* frame, const std::wstring& url);
    void FireDocumentComplete(IDispatch* frame, const std::wstring& url);
    void FireNavigateError(IDispatch* frame, const std::wstring& url, const std::wstring& targetFrame, LONG status,
                           bool& cancel);
    void FireTitleChange(const std::wstring& title);

#if VEXO_TEST_AUTOMATION
    // Test builds only (framework/BrowserAutomation.h): the owning window's
    // procedure passes every message here first; TRUE means handled, with
    // `result` as the answer.
    bool HandleAutomationMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
#endif

private:
    friend class CBrowserSite;
    CBrowserEvents* Events() const { return m_events; }
    void SetActiveObject(IOleInPlaceActiveObject* obj);

    HWND m_hParent = nullptr;
    RECT m_rect{};
    CBrowserEvents* m_events = nullptr;
    CBrowserSite* m_site = nullptr;          // one reference held
    CBrowserEventSink* m_sink = nullptr;     // one reference held
    DWORD m_sinkCookie = 0;
    fw::ComPtr<IOleObject> m_oleObject;
    fw::ComPtr<IOleInPlaceObject> m_inPlace;
    fw::ComPtr<IOleInPlaceActiveObject> m_activeObject;
    fw::ComPtr<IWebBrowser2> m_browser;
    // Cleared when the host goes, so that a handler that destroys its window
    // (and this host with it) ends a run of events safely.
    std::shared_ptr<bool> m_alive;

#if VEXO_TEST_AUTOMATION
    struct AutomationRequest {
        bool navigate;
        std::wstring url;
        std::wstring title;
    };
    std::deque<AutomationRequest> m_automation;
    void RunAutomation();
    // Refresh requests so far: a reload leaves no trace without an engine.
    LRESULT m_nRefreshes = 0;
#endif
};
