// CDHtmlDialog: a dialog whose client area is one WebBrowser control. Derived
// dialogs hear the browser through the CBrowserEvents virtuals, shape it
// through GetHostInfo / ShowContextMenu / OnShowMessage / OnShowHelp, and react
// to mouse and selection events of the loaded page through a DHTML event map.
#pragma once

#include "framework/BrowserHost.h"
#include "framework/DHtmlEventMatch.h"
#include "framework/Dialog.h"

class CDHtmlDialog;
class CDHtmlDocumentSink;

// A handler gets the element the event happened on. S_FALSE cancels the
// event's default action (no text selection, no focus change, ...).
using DHtmlEventHandler = HRESULT (CDHtmlDialog::*)(IHTMLElement* element);

struct DHtmlEventMapEntry {
    DHtmlMatchKind kind;
    long event;           // DISPID_HTMLDOCUMENTEVENTS2_* of mshtmdid.h
    const wchar_t* name;  // class text or tag name; nullptr ends the map
    DHtmlEventHandler handler;
};

// A derived dialog's member as a map entry's handler.
template <class D>
DHtmlEventHandler DHtmlHandler(HRESULT (D::*fn)(IHTMLElement*)) {
    return static_cast<DHtmlEventHandler>(fn);
}

class CDHtmlDialog : public CDialog, public CBrowserEvents {
public:
    explicit CDHtmlDialog(UINT templateId, HWND parent = nullptr);
    ~CDHtmlDialog() override;

    HRESULT Navigate(const std::wstring& url, DWORD flags = 0, const wchar_t* targetFrame = nullptr,
                     const wchar_t* headers = nullptr);

    // Keys for the page go to the browser first, then to the dialog manager.
    BOOL PreTranslateMessage(MSG* msg) override;

    CBrowserHost& GetBrowserHost() { return m_browser; }

    // The browser, from OnInitDialog until the window goes.
    fw::ComPtr<IWebBrowser2> m_pBrowserApp;
    // The top-level document after a completed navigation, when the browser has one.
    fw::ComPtr<IHTMLDocument2> m_spHtmlDoc;
    // What GetHostInfo reports unless a derived dialog says otherwise.
    DWORD m_dwHostFlags = DOCHOSTUIFLAG_NO3DBORDER;

protected:
    // Creates the browser over the client area. Derived dialogs call it first.
    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // A navigation of `frame` completed; the top-level document's DHTML events
    // are already connected.
    virtual void OnNavigateComplete(IDispatch* frame, const std::wstring& url) {}
    // The base connects the DHTML events of a newly loaded top-level
    // document; overrides call it.
    void OnDocumentComplete(IDispatch* frame, const std::wstring& url) override;
    // The base reports m_dwHostFlags.
    virtual HRESULT GetHostInfo(DOCHOSTUIINFO* info);
    // The base lets the browser show its own menu.
    virtual HRESULT ShowContextMenu(DWORD id, POINT* pt, IUnknown* cmdTarget, IDispatch* object);
    // This dialog's map, ended by an entry without a name; nullptr for none.
    // Maps are not chained: a derived map replaces the base's entirely.
    virtual const DHtmlEventMapEntry* GetDHtmlEventMap() const { return nullptr; }

private:
    friend class CDHtmlDocumentSink;
    void OnNavigateComplete2(IDispatch* frame, const std::wstring& url) final;
    HRESULT OnGetHostInfo(DOCHOSTUIINFO* info) final { return GetHostInfo(info); }
    HRESULT OnShowContextMenu(DWORD id, POINT* pt, IUnknown* cmdTarget, IDispatch* object) final {
        return ShowContextMenu(id, pt, cmdTarget, object);
    }
    void ConnectDHtmlEvents();
    void DisconnectDHtmlEvents();
    void OnDocumentEvent(long event, IHTMLEventObj* eventObj, VARIANT* result);

    CBrowserHost m_browser;
    CDHtmlDocumentSink* m_docSink = nullptr;  // one reference held while connected
    fw::ComPtr<IConnectionPoint> m_docEvents;
    DWORD m_docCookie = 0;
};
