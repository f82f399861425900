#include "framework/HtmlDialog.h"
#include "framework/DispatchSink.h"

#include <ocidl.h>

// ---- DHTML events of the loaded document ------------------------------------
// UNVERIFIED: the test environment's browser has no HTML engine and never gives
// a document, so nothing below has run against a real page. It follows the
// documented HTMLDocumentEvents2 contract: the event object is the one argument,
// and a FALSE result (plus returnValue = false) cancels the default action.

class CDHtmlDocumentSink final : public CDispatchSink {
public:
    explicit CDHtmlDocumentSink(CDHtmlDialog* dlg) : CDispatchSink(__uuidof(HTMLDocumentEvents2)), m_dlg(dlg) {}
    void Detach() { m_dlg = nullptr; }

    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                        UINT*) override {
        if (!m_dlg) return S_OK;
        fw::ComPtr<IHTMLEventObj> eventObj;
        if (params && params->cArgs >= 1 && params->rgvarg) {
            VARIANT* v = &params->rgvarg[params->cArgs - 1];
            if (V_VT(v) == VT_DISPATCH && V_DISPATCH(v))
                V_DISPATCH(v)->QueryInterface(IID_PPV_ARGS(eventObj.Put()));
        }
        AddRef();  // a handler may end the dialog and disconnect us
        m_dlg->OnDocumentEvent(id, eventObj.Get(), result);
        Release();
        return S_OK;
    }

private:
    ~CDHtmlDocumentSink() = default;
    CDHtmlDialog* m_dlg;
};

namespace {

std::wstring TakeBstr(BSTR s) {
    std::wstring out = s ? std::wstring(s, ::SysStringLen(s)) : std::wstring();
    ::SysFreeString(s);
    return out;
}

bool SameObject(IUnknown* a, IUnknown* b) {
    if (!a || !b) return false;
    fw::ComPtr<IUnknown> ua, ub;
    if (FAILED(a->QueryInterface(IID_PPV_ARGS(ua.Put()))) || FAILED(b->QueryInterface(IID_PPV_ARGS(ub.Put()))))
        return false;
    return ua.Get() == ub.Get();
}

}  // namespace

void CDHtmlDialog::ConnectDHtmlEvents() {
    if (!m_pBrowserApp) return;
    fw::ComPtr<IDispatch> disp;
    if (FAILED(m_pBrowserApp->get_Document(disp.Put())) || !disp) return;
    fw::ComPtr<IHTMLDocument2> doc;
    if (FAILED(disp->QueryInterface(IID_PPV_ARGS(doc.Put())))) return;
    if (m_spHtmlDoc && SameObject(doc.Get(), m_spHtmlDoc.Get())) return;  // already this document's

    DisconnectDHtmlEvents();
    m_spHtmlDoc = doc;
    fw::ComPtr<IConnectionPointContainer> cpc;
    fw::ComPtr<IConnectionPoint> cp;
    if (FAILED(doc->QueryInterface(IID_PPV_ARGS(cpc.Put()))) ||
        FAILED(cpc->FindConnectionPoint(__uuidof(HTMLDocumentEvents2), cp.Put())))
        return;
    auto* sink = new CDHtmlDocumentSink(this);
    DWORD cookie = 0;
    if (FAILED(cp->Advise(static_cast<IDispatch*>(sink), &cookie))) {
        sink->Detach();
        sink->Release();
        return;
    }
    m_docSink = sink;
    m_docEvents = cp;
    m_docCookie = cookie;
}

void CDHtmlDialog::DisconnectDHtmlEvents() {
    if (m_docEvents && m_docCookie) m_docEvents->Unadvise(m_docCookie);
    m_docEvents.Reset();
    m_docCookie = 0;
    if (m_docSink) {
        m_docSink->Detach();
        m_docSink->Release();
        m_docSink = nullptr;
    }
    m_spHtmlDoc.Reset();
}

void CDHtmlDialog::OnDocumentEvent(long event, IHTMLEventObj* eventObj, VARIANT* result) {
    const DHtmlEventMapEntry* map = GetDHtmlEventMap();
    if (!map) return;
    fw::ComPtr<IHTMLEventObj> evt;
    if (eventObj) {
        eventObj->AddRef();
        *evt.Put() = eventObj;
    } else if (m_spHtmlDoc) {
        // Older engines pass no argument; the window's current event is the same.
        fw::ComPtr<IHTMLWindow2> window;
        if (SUCCEEDED(m_spHtmlDoc->get_parentWindow(window.Put())) && window) window->get_event(evt.Put());
    }
    if (!evt) return;
    fw::ComPtr<IHTMLElement> element;
    if (FAILED(evt->get_srcElement(element.Put())) || !element) return;

    BSTR cls = nullptr, tag = nullptr;
    element->get_className(&cls);
    element->get_tagName(&tag);
    const DHtmlEventMapEntry* entry = FindDHtmlEventEntry(map, event, TakeBstr(cls), TakeBstr(tag));
    if (!entry || !entry->handler) return;

    // Only locals are touched after the handler: it may end the dialog.
    HRESULT hr = (this->*entry->handler)(element.Get());
    if (hr == S_FALSE) {
        VARIANT no;
        ::VariantInit(&no);
        V_VT(&no) = VT_BOOL;
        V_BOOL(&no) = VARIANT_FALSE;
        evt->put_returnValue(no);
        if (result) {
            ::VariantClear(result);
            *result = no;
        }
    }
}

// ---- the dialog -------------------------------------------------------------

CDHtmlDialog::CDHtmlDialog(UINT templateId, HWND parent) : CDialog(templateId, parent) {}

CDHtmlDialog::~CDHtmlDialog() {
    // While the window (if any) still exists: the control must not outlive its parent.
    DisconnectDHtmlEvents();
    m_pBrowserApp.Reset();
    m_browser.Destroy();
}

BOOL CDHtmlDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    RECT rc;
    ::GetClientRect(m_hWnd, &rc);
    if (m_browser.Create(m_hWnd, rc, this))
        m_browser.GetBrowser()->QueryInterface(IID_PPV_ARGS(m_pBrowserApp.Put()));
    return TRUE;
}

HRESULT CDHtmlDialog::Navigate(const std::wstring& url, DWORD flags, const wchar_t* targetFrame,
                               const wchar_t* headers) {
    return m_browser.Navigate(url, flags, targetFrame, headers);
}

BOOL CDHtmlDialog::PreTranslateMessage(MSG* msg) {
    if (m_browser.TranslateAccelerator(msg)) return TRUE;
    return CDialog::PreTranslateMessage(msg);
}

void CDHtmlDialog::OnNavigateComplete2(IDispatch* frame, const std::wstring& url) {
    if (m_browser.IsTopLevel(frame)) ConnectDHtmlEvents();
    OnNavigateComplete(frame, url);
}

void CDHtmlDialog::OnDocumentComplete(IDispatch* frame, const std::wstring& url) {
    if (m_browser.IsTopLevel(frame)) ConnectDHtmlEvents();
}

HRESULT CDHtmlDialog::GetHostInfo(DOCHOSTUIINFO* info) {
    info->dwFlags = m_dwHostFlags;
    return S_OK;
}

HRESULT CDHtmlDialog::ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) { return S_FALSE; }

LRESULT CDHtmlDialog::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT handled = 0;
    if (m_browser.HandleHostMessage(m_hWnd, msg, wParam, lParam, handled)) return handled;
    switch (msg) {
    case WM_DESTROY:
        DisconnectDHtmlEvents();
        m_pBrowserApp.Reset();
        m_browser.Destroy();
        break;
    }
    return CDialog::WindowProc(msg, wParam, lParam);
}
