#include "framework/BrowserHost.h"
#include "framework/DispatchSink.h"

#include <exdispid.h>
#include <ocidl.h>

#if VEXO_TEST_AUTOMATION
#include "framework/BrowserAutomation.h"
#endif

// ---- the site ---------------------------------------------------------------

class CBrowserSite final : public IOleClientSite,
                           public IOleInPlaceSite,
                           public IOleInPlaceFrame,
                           public IDocHostUIHandler,
                           public IDocHostShowUI {
public:
    explicit CBrowserSite(CBrowserHost* host) : m_host(host) {}
    void Detach() { m_host = nullptr; }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (riid != IID_IUnknown && m_host && m_host->Events()) {
            HRESULT hr = m_host->Events()->QuerySiteInterface(static_cast<IOleClientSite*>(this), riid, ppv);
            if (SUCCEEDED(hr) && *ppv) return S_OK;
            *ppv = nullptr;
        }
        if (riid == IID_IUnknown || riid == IID_IOleClientSite)
            *ppv = static_cast<IOleClientSite*>(this);
        else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceSite)
            *ppv = static_cast<IOleInPlaceSite*>(this);
        else if (riid == IID_IOleInPlaceUIWindow || riid == IID_IOleInPlaceFrame)
            *ppv = static_cast<IOleInPlaceFrame*>(this);
        else if (riid == __uuidof(IDocHostUIHandler))
            *ppv = static_cast<IDocHostUIHandler*>(this);
        else if (riid == __uuidof(IDocHostShowUI))
            *ppv = static_cast<IDocHostShowUI*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override {
        ULONG n = --m_refs;
        if (n == 0) delete this;
        return n;
    }

    // IOleClientSite
    STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** ppmk) override {
        if (ppmk) *ppmk = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetContainer(IOleContainer** ppContainer) override {
        if (ppContainer) *ppContainer = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow (shared by the in-place site and the frame)
    STDMETHODIMP GetWindow(HWND* phwnd) override {
        if (!phwnd) return E_POINTER;
        *phwnd = m_host ? m_host->GetParent() : nullptr;
        return *phwnd ? S_OK : E_FAIL;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override { return m_host ? S_OK : S_FALSE; }
    STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc, LPRECT lprcPosRect,
                                  LPRECT lprcClipRect, LPOLEINPLACEFRAMEINFO lpFrameInfo) override {
        if (!ppFrame || !ppDoc || !lprcPosRect || !lprcClipRect || !lpFrameInfo) return E_POINTER;
        *ppFrame = static_cast<IOleInPlaceFrame*>(this);
        AddRef();
        *ppDoc = nullptr;  // no separate document window
        RECT r = m_host ? m_host->GetRect() : RECT{};
        *lprcPosRect = r;
        *lprcClipRect = r;
        HWND parent = m_host ? m_host->GetParent() : nullptr;
        lpFrameInfo->fMDIApp = FALSE;
        lpFrameInfo->hwndFrame = parent ? ::GetAncestor(parent, GA_ROOT) : nullptr;
        lpFrameInfo->haccel = nullptr;
        lpFrameInfo->cAccelEntries = 0;
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override {
        if (m_host) m_host->SetActiveObject(nullptr);
        return S_OK;
    }
    STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
    STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
    STDMETHODIMP OnPosRectChange(LPCRECT lprcPosRect) override {
        if (m_host && lprcPosRect) m_host->SetRect(*lprcPosRect);
        return S_OK;
    }

    // IOleInPlaceUIWindow / IOleInPlaceFrame: no toolbars, menus or status bar.
    STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* pActiveObject, LPCOLESTR) override {
        if (m_host) m_host->SetActiveObject(pActiveObject);
        return S_OK;
    }
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    // Shared with IDocHostUIHandler::EnableModeless.
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

    // IDocHostUIHandler
    STDMETHODIMP ShowContextMenu(DWORD dwID, POINT* ppt, IUnknown* pcmdtReserved,
                                 IDispatch* pdispReserved) override {
        CBrowserEvents* ev = m_host ? m_host->Events() : nullptr;
        return ev ? ev->OnShowContextMenu(dwID, ppt, pcmdtReserved, pdispReserved) : S_FALSE;
    }
    STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* pInfo) override {
        if (!pInfo) return E_POINTER;
        pInfo->dwFlags = 0;
        pInfo->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
        CBrowserEvents* ev = m_host ? m_host->Events() : nullptr;
        return ev ? ev->OnGetHostInfo(pInfo) : S_OK;
    }
    STDMETHODIMP ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                        IOleInPlaceUIWindow*) override {
        return S_OK;  // we show no menus or toolbars of the browser
    }
    STDMETHODIMP HideUI() override { return S_OK; }
    STDMETHODIMP UpdateUI() override { return S_OK; }
    STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, const GUID*, DWORD) override { return S_FALSE; }
    STDMETHODIMP GetOptionKeyPath(LPOLESTR* pchKey, DWORD) override {
        if (pchKey) *pchKey = nullptr;
        return S_FALSE;
    }
    STDMETHODIMP GetDropTarget(IDropTarget*, IDropTarget** ppDropTarget) override {
        if (ppDropTarget) *ppDropTarget = nullptr;
        return E_NOTIMPL;
    }
    // Pages get no window.external object of ours.
    STDMETHODIMP GetExternal(IDispatch** ppDispatch) override {
        if (ppDispatch) *ppDispatch = nullptr;
        return S_FALSE;
    }
    STDMETHODIMP TranslateUrl(DWORD, LPWSTR, LPWSTR* ppchURLOut) override {
        if (ppchURLOut) *ppchURLOut = nullptr;
        return S_FALSE;
    }
    STDMETHODIMP FilterDataObject(IDataObject*, IDataObject** ppDORet) override {
        if (ppDORet) *ppDORet = nullptr;
        return S_FALSE;
    }

    // IDocHostShowUI
    STDMETHODIMP ShowMessage(HWND hwnd, LPOLESTR lpstrText, LPOLESTR lpstrCaption, DWORD dwType,
                             LPOLESTR lpstrHelpFile, DWORD dwHelpContext, LRESULT* plResult) override {
        CBrowserEvents* ev = m_host ? m_host->Events() : nullptr;
        return ev ? ev->OnShowMessage(hwnd, lpstrText, lpstrCaption, dwType, lpstrHelpFile, dwHelpContext, plResult)
                  : S_FALSE;
    }
    STDMETHODIMP ShowHelp(HWND hwnd, LPOLESTR pszHelpFile, UINT uCommand, DWORD dwData, POINT ptMouse,
                          IDispatch* pDispatchObjectHit) override {
        CBrowserEvents* ev = m_host ? m_host->Events() : nullptr;
        return ev ? ev->OnShowHelp(hwnd, pszHelpFile, uCommand, dwData, ptMouse, pDispatchObjectHit) : S_FALSE;
    }

private:
    ~CBrowserSite() = default;
    CBrowserHost* m_host;
    ULONG m_refs = 1;
};

// ---- the event sink ---------------------------------------------------------

namespace {

// Parameter i in declaration order (the dispatch array runs backwards), with
// any by-reference VARIANT wrappers taken off. nullptr when absent.
VARIANT* Arg(DISPPARAMS* params, UINT i) {
    if (!params || !params->rgvarg || i >= params->cArgs) return nullptr;
    VARIANT* v = &params->rgvarg[params->cArgs - 1 - i];
    while (v && V_VT(v) == (VT_VARIANT | VT_BYREF)) v = V_VARIANTREF(v);
    return v;
}

std::wstring StringArg(VARIANT* v) {
    if (!v) return L"";
    BSTR s = nullptr;
    if (V_VT(v) == VT_BSTR) s = V_BSTR(v);
    else if (V_VT(v) == (VT_BSTR | VT_BYREF) && V_BSTRREF(v)) s = *V_BSTRREF(v);
    return s ? std::wstring(s, ::SysStringLen(s)) : L"";
}

IDispatch* DispatchArg(VARIANT* v) {
    if (!v) return nullptr;
    if (V_VT(v) == VT_DISPATCH) return V_DISPATCH(v);
    if (V_VT(v) == (VT_DISPATCH | VT_BYREF) && V_DISPATCHREF(v)) return *V_DISPATCHREF(v);
    return nullptr;
}

LONG LongArg(VARIANT* v) {
    if (!v) return 0;
    if (V_VT(v) == VT_I4) return V_I4(v);
    if (V_VT(v) == (VT_I4 | VT_BYREF) && V_I4REF(v)) return *V_I4REF(v);
    return 0;
}

VARIANT_BOOL* BoolRefArg(VARIANT* v) {
    return v && V_VT(v) == (VT_BOOL | VT_BYREF) ? V_BOOLREF(v) : nullptr;
}

}  // namespace

class CBrowserEventSink final : public CDispatchSink {
public:
    explicit CBrowserEventSink(CBrowserHost* host) : CDispatchSink(__uuidof(DWebBrowserEvents2)), m_host(host) {}
    void Detach() { m_host = nullptr; }

    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override {
        CBrowserHost* host = m_host;
        if (!host) return S_OK;
        // Keep this object alive even if a handler tears the host down.
        AddRef();
        switch (id) {
        case DISPID_BEFORENAVIGATE2: {
            // (pDisp, URL, Flags, TargetFrameName, PostData, Headers, Cancel)
            if (!params || params->cArgs < 7) break;
            VARIANT_BOOL* pCancel = BoolRefArg(Arg(params, 6));
            bool cancel = pCancel && *pCancel != VARIANT_FALSE;
            host->FireBeforeNavigate2(DispatchArg(Arg(params, 0)), StringArg(Arg(params, 1)), cancel);
            if (pCancel) *pCancel = cancel ? VARIANT_TRUE : VARIANT_FALSE;
            break;
        }
        case DISPID_NAVIGATECOMPLETE2:  // (pDisp, URL)
            if (params && params->cArgs >= 2)
                host->FireNavigateComplete2(DispatchArg(Arg(params, 0)), StringArg(Arg(params, 1)));
            break;
        case DISPID_DOCUMENTCOMPLETE:  // (pDisp, URL)
            if (params && params->cArgs >= 2)
                host->FireDocumentComplete(DispatchArg(Arg(params, 0)), StringArg(Arg(params, 1)));
            break;
        case DISPID_NAVIGATEERROR: {
            // (pDisp, URL, Frame, StatusCode, Cancel)
            if (!params || params->cArgs < 5) break;
            VARIANT_BOOL* pCancel = BoolRefArg(Arg(params, 4));
            bool cancel = pCancel && *pCancel != VARIANT_FALSE;
            host->FireNavigateError(DispatchArg(Arg(params, 0)), StringArg(Arg(params, 1)),
                                    StringArg(Arg(params, 2)), LongArg(Arg(params, 3)), cancel);
            if (pCancel) *pCancel = cancel ? VARIANT_TRUE : VARIANT_FALSE;
            break;
        }
        case DISPID_TITLECHANGE:  // (Text)
            if (params && params->cArgs >= 1) host->FireTitleChange(StringArg(Arg(params, 0)));
            break;
        }
        Release();
        return S_OK;
    }

private:
    ~CBrowserEventSink() = default;
    CBrowserHost* m_host;
};

// ---- the host ---------------------------------------------------------------

CBrowserHost::CBrowserHost() : m_alive(std::make_shared<bool>(true)) {}

CBrowserHost::~CBrowserHost() {
    *m_alive = false;
    Destroy();
}

bool CBrowserHost::Create(HWND parent, const RECT& rect, CBrowserEvents* events) {
    if (m_oleObject || !parent) return false;
    m_hParent = parent;
    m_rect = rect;
    m_events = events;

    if (FAILED(::CoCreateInstance(__uuidof(WebBrowser), nullptr, CLSCTX_INPROC_SERVER,
                                  IID_PPV_ARGS(m_oleObject.Put())))) {
        m_hParent = nullptr;
        m_events = nullptr;
        return false;
    }
    m_site = new CBrowserSite(this);
    m_sink = new CBrowserEventSink(this);
    bool ok = SUCCEEDED(m_oleObject->SetClientSite(static_cast<IOleClientSite*>(m_site)));
    if (ok) {
        m_oleObject->SetHostNames(L"VexoQuon", nullptr);
        ::OleSetContainedObject(m_oleObject.Get(), TRUE);
        RECT r = m_rect;
        ok = SUCCEEDED(m_oleObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(m_site),
                                           0, m_hParent, &r));
    }
    ok = ok && SUCCEEDED(m_oleObject->QueryInterface(IID_PPV_ARGS(m_browser.Put())));
    if (ok) {
        m_oleObject->QueryInterface(IID_PPV_ARGS(m_inPlace.Put()));
        if (m_inPlace) m_inPlace->SetObjectRects(&m_rect, &m_rect);
        fw::ComPtr<IConnectionPointContainer> cpc;
        fw::ComPtr<IConnectionPoint> cp;
        ok = SUCCEEDED(m_browser->QueryInterface(IID_PPV_ARGS(cpc.Put()))) &&
             SUCCEEDED(cpc->FindConnectionPoint(__uuidof(DWebBrowserEvents2), cp.Put())) &&
             SUCCEEDED(cp->Advise(static_cast<IDispatch*>(m_sink), &m_sinkCookie));
    }
    if (!ok) Destroy();
    return ok;
}

void CBrowserHost::Destroy() {
    if (m_sinkCookie && m_browser) {
        fw::ComPtr<IConnectionPointContainer> cpc;
        fw::ComPtr<IConnectionPoint> cp;
        if (SUCCEEDED(m_browser->QueryInterface(IID_PPV_ARGS(cpc.Put()))) &&
            SUCCEEDED(cpc->FindConnectionPoint(__uuidof(DWebBrowserEvents2), cp.Put())))
            cp->Unadvise(m_sinkCookie);
    }
    m_sinkCookie = 0;
    m_activeObject.Reset();
    if (m_inPlace) m_inPlace->InPlaceDeactivate();
    m_inPlace.Reset();
    m_browser.Reset();
    if (m_oleObject) {
        m_oleObject->Close(OLECLOSE_NOSAVE);
        m_oleObject->SetClientSite(nullptr);
        m_oleObject.Reset();
    }
    if (m_site) {
        m_site->Detach();
        m_site->Release();
        m_site = nullptr;
    }
    if (m_sink) {
        m_sink->Detach();
        m_sink->Release();
        m_sink = nullptr;
    }
    m_events = nullptr;
    m_hParent = nullptr;
#if VEXO_TEST_AUTOMATION
    m_automation.clear();
#endif
}

HWND CBrowserHost::GetControlWindow() const {
    HWND hwnd = nullptr;
    if (m_inPlace) m_inPlace->GetWindow(&hwnd);
    return hwnd;
}

bool CBrowserHost::HandleHostMessage(HWND host, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
#if VEXO_TEST_AUTOMATION
    if (HandleAutomationMessage(host, msg, wParam, lParam, result)) return true;
#else
    (void)wParam;
    (void)lParam;
    (void)result;
#endif
    if (msg == WM_SIZE) FitToClient(host);
    return false;
}

void CBrowserHost::FitToClient(HWND host) {
    if (!IsCreated()) return;
    RECT rc;
    ::GetClientRect(host, &rc);
    SetRect(rc);
}

void CBrowserHost::SetRect(const RECT& rect) {
    m_rect = rect;
    if (m_inPlace) m_inPlace->SetObjectRects(&m_rect, &m_rect);
}

HRESULT CBrowserHost::Navigate(const std::wstring& url, DWORD flags, const wchar_t* targetFrame,
                               const wchar_t* headers) {
    if (!m_browser) return E_UNEXPECTED;
    BSTR bstrUrl = ::SysAllocStringLen(url.data(), UINT(url.size()));
    if (!bstrUrl) return E_OUTOFMEMORY;
    VARIANT vFlags, vTarget, vPost, vHeaders;
    ::VariantInit(&vFlags);
    ::VariantInit(&vTarget);
    ::VariantInit(&vPost);
    ::VariantInit(&vHeaders);
    V_VT(&vFlags) = VT_I4;
    V_I4(&vFlags) = LONG(flags);
    if (targetFrame) {
        V_VT(&vTarget) = VT_BSTR;
        V_BSTR(&vTarget) = ::SysAllocString(targetFrame);
    }
    if (headers) {
        V_VT(&vHeaders) = VT_BSTR;
        V_BSTR(&vHeaders) = ::SysAllocString(headers);
    }
    HRESULT hr = m_browser->Navigate(bstrUrl, &vFlags, &vTarget, &vPost, &vHeaders);
    ::VariantClear(&vTarget);
    ::VariantClear(&vHeaders);
    ::SysFreeString(bstrUrl);
    return hr;
}

HRESULT CBrowserHost::Refresh() {
    if (!m_browser) return E_UNEXPECTED;
#if VEXO_TEST_AUTOMATION
    ++m_nRefreshes;
#endif
    return m_browser->Refresh();
}

void CBrowserHost::SetSilent(bool silent) {
    if (m_browser) m_browser->put_Silent(silent ? VARIANT_TRUE : VARIANT_FALSE);
}

void CBrowserHost::SetActiveObject(IOleInPlaceActiveObject* obj) {
    if (obj) obj->AddRef();
    m_activeObject.Reset();
    if (obj) *m_activeObject.Put() = obj;
}

BOOL CBrowserHost::TranslateAccelerator(MSG* msg) {
    if (!msg || msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST || !m_browser) return FALSE;
    HWND control = GetControlWindow();
    if (!control || !(msg->hwnd == control || ::IsChild(control, msg->hwnd))) return FALSE;
    fw::ComPtr<IOleInPlaceActiveObject> active = m_activeObject;
    if (!active) m_browser->QueryInterface(IID_PPV_ARGS(active.Put()));
    return active && active->TranslateAccelerator(msg) == S_OK;
}

bool CBrowserHost::IsTopLevel(IDispatch* frame) const {
    if (!frame || !m_browser) return false;
    fw::ComPtr<IUnknown> a, b;
    if (FAILED(frame->QueryInterface(IID_PPV_ARGS(a.Put())))) return false;
    if (FAILED(m_browser->QueryInterface(IID_PPV_ARGS(b.Put())))) return false;
    return a.Get() == b.Get();
}

void CBrowserHost::FireBeforeNavigate2(IDispatch* frame, const std::wstring& url, bool& cancel) {
    if (m_events) m_events->OnBeforeNavigate2(frame, url, cancel);
}

void CBrowserHost::FireNavigateComplete2(IDispatch* frame, const std::wstring& url) {
    if (m_events) m_events->OnNavigateComplete2(frame, url);
}

void CBrowserHost::FireDocumentComplete(IDispatch* frame, const std::wstring& url) {
    if (m_events) m_events->OnDocumentComplete(frame, url);
}

void CBrowserHost::FireNavigateError(IDispatch* frame, const std::wstring& url, const std::wstring& targetFrame,
                                     LONG status, bool& cancel) {
    if (m_events) m_events->OnNavigateError(frame, url, targetFrame, status, cancel);
}

void CBrowserHost::FireTitleChange(const std::wstring& title) {
    if (m_events) m_events->OnTitleChange(title);
}

// ---- test automation (test builds only) ------------------------------------

#if VEXO_TEST_AUTOMATION

namespace {

UINT AutomationRunMessage() {
    static const UINT msg = ::RegisterWindowMessageW(L"VexoQuon.BrowserAutomation.Run");
    return msg;
}

}  // namespace

bool CBrowserHost::HandleAutomationMessage(HWND hwnd, UINT msg, WPARAM, LPARAM lParam, LRESULT& result) {
    if (msg == WM_COPYDATA) {
        auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (cds && cds->dwData == kBrowserAutomationRefreshes) {
            result = m_browser ? m_nRefreshes + 1 : FALSE;
            return true;
        }
        if (!cds || (cds->dwData != kBrowserAutomationNavigate && cds->dwData != kBrowserAutomationComplete))
            return false;
        result = FALSE;
        if (!m_browser || (cds->cbData % sizeof(wchar_t)) != 0 || cds->cbData > kBrowserAutomationMaxBytes ||
            (cds->cbData && !cds->lpData))
            return true;
        // Never read past cbData; a terminator is optional.
        std::wstring text(static_cast<const wchar_t*>(cds->lpData), cds->cbData / sizeof(wchar_t));
        AutomationRequest req;
        req.navigate = cds->dwData == kBrowserAutomationNavigate;
        std::size_t nul = text.find(L'\0');
        req.url = text.substr(0, nul);
        if (!req.navigate && nul != std::wstring::npos) {
            std::wstring rest = text.substr(nul + 1);
            req.title = rest.substr(0, rest.find(L'\0'));
        }
        if (req.url.empty()) return true;
        m_automation.push_back(std::move(req));
        ::PostMessageW(hwnd, AutomationRunMessage(), 0, 0);
        result = TRUE;
        return true;
    }
    if (msg == AutomationRunMessage() && msg != 0) {
        RunAutomation();
        result = 0;
        return true;
    }
    return false;
}

void CBrowserHost::RunAutomation() {
    if (m_automation.empty() || !m_browser) return;
    AutomationRequest req = std::move(m_automation.front());
    m_automation.pop_front();
    std::shared_ptr<bool> alive = m_alive;
    if (req.navigate) {
        Navigate(req.url);
        return;
    }
    // What the control reports for a loaded top-level page, in its order.
    fw::ComPtr<IDispatch> top;
    m_browser->QueryInterface(IID_PPV_ARGS(top.Put()));
    FireNavigateComplete2(top.Get(), req.url);
    if (!*alive || !m_browser) return;
    FireTitleChange(req.title);
    if (!*alive || !m_browser) return;
    FireDocumentComplete(top.Get(), req.url);
}

#endif
