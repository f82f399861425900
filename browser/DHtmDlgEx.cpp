#include "browser/DHtmDlgEx.h"

#include <mshtmdid.h>

#include "browser/PageCommand.h"

// ---- CMyBrowserControlSite ----------------------------------------------------

CMyBrowserControlSite::CMyBrowserControlSite(IUnknown* site, CDHtmDlgEx* owner) : m_pSite(site), m_pOwner(owner) {
    if (m_pSite) m_pSite->AddRef();
}

CMyBrowserControlSite::~CMyBrowserControlSite() {
    if (m_pSite) m_pSite->Release();
}

STDMETHODIMP CMyBrowserControlSite::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid == __uuidof(IDocHostShowUI)) {
        *ppv = static_cast<IDocHostShowUI*>(this);
        AddRef();
        return S_OK;
    }
    // Everything else, IUnknown included, is the site's: one COM identity.
    return m_pSite ? m_pSite->QueryInterface(riid, ppv) : E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CMyBrowserControlSite::AddRef() { return ++m_nRefs; }

STDMETHODIMP_(ULONG) CMyBrowserControlSite::Release() {
    ULONG n = --m_nRefs;
    if (n == 0) delete this;
    return n;
}

STDMETHODIMP CMyBrowserControlSite::ShowMessage(HWND hwnd, LPOLESTR lpstrText, LPOLESTR lpstrCaption, DWORD dwType,
                                                LPOLESTR lpstrHelpFile, DWORD dwHelpContext, LRESULT* plResult) {
    if (!m_pOwner) return S_OK;
    return m_pOwner->OnShowMessage(hwnd, lpstrText, lpstrCaption, dwType, lpstrHelpFile, dwHelpContext, plResult);
}

STDMETHODIMP CMyBrowserControlSite::ShowHelp(HWND hwnd, LPOLESTR pszHelpFile, UINT uCommand, DWORD dwData,
                                             POINT ptMouse, IDispatch* pDispatchObjectHit) {
    if (!m_pOwner) return S_OK;
    return m_pOwner->OnShowHelp(hwnd, pszHelpFile, uCommand, dwData, ptMouse, pDispatchObjectHit);
}

// ---- CDHtmDlgEx ---------------------------------------------------------------

CDHtmDlgEx::CDHtmDlgEx(UINT templateId, HWND parent) : CDHtmlDialog(templateId, parent) {}

CDHtmDlgEx::~CDHtmDlgEx() {
    ReleasePressedElement();
    if (m_pShowUI) {
        m_pShowUI->Detach();
        m_pShowUI->Release();
        m_pShowUI = nullptr;
    }
}

BOOL CDHtmDlgEx::OnInitDialog() {
    CDHtmlDialog::OnInitDialog();
    if (m_pBrowserApp) m_pBrowserApp->put_Silent(VARIANT_TRUE);
    return TRUE;
}

void CDHtmDlgEx::OnNavigateError(IDispatch*, const std::wstring&, const std::wstring&, LONG, bool& cancel) {
    cancel = true;
}

HRESULT CDHtmDlgEx::OnShowMessage(HWND, LPOLESTR, LPOLESTR, DWORD, LPOLESTR, DWORD, LRESULT*) { return S_FALSE; }

HRESULT CDHtmDlgEx::OnShowHelp(HWND, LPOLESTR, UINT, DWORD, POINT, IDispatch*) { return S_FALSE; }

void CDHtmDlgEx::OnBeforeNavigate2(IDispatch*, const std::wstring& url, bool& cancel) {
    if (IsPageCommand(url)) {
        cancel = true;
        return;
    }
    if (url.compare(0, 10, L"javascript") == 0) cancel = false;
}

void CDHtmDlgEx::OnNavigateComplete(IDispatch* frame, const std::wstring& url) {
    CDHtmlDialog::OnNavigateComplete(frame, url);
    // UNVERIFIED under Wine (no document there): follows the documented MSHTML interfaces.
    if (!m_spHtmlDoc) return;
    fw::ComPtr<IHTMLElement> body;
    if (FAILED(m_spHtmlDoc->get_body(body.Put())) || !body) return;
    fw::ComPtr<IHTMLBodyElement> bodyElement;
    if (FAILED(body->QueryInterface(IID_PPV_ARGS(bodyElement.Put())))) return;
    if (BSTR scroll = ::SysAllocString(L"auto")) {
        bodyElement->put_scroll(scroll);
        ::SysFreeString(scroll);
    }
}

HRESULT CDHtmDlgEx::GetHostInfo(DOCHOSTUIINFO* info) {
    CDHtmlDialog::GetHostInfo(info);
    info->dwFlags |= DOCHOSTUIFLAG_DIALOG;
    return S_OK;
}

HRESULT CDHtmDlgEx::ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) { return S_OK; }

HRESULT CDHtmDlgEx::QuerySiteInterface(IUnknown* site, REFIID riid, void** ppv) {
    if (riid != __uuidof(IDocHostShowUI) || !site) return E_NOINTERFACE;
    if (!m_pShowUI) m_pShowUI = new CMyBrowserControlSite(site, this);
    m_pShowUI->AddRef();
    *ppv = static_cast<IDocHostShowUI*>(m_pShowUI);
    return S_OK;
}

// ---- DHTML: image buttons and dragging ----------------------------------------
// UNVERIFIED under Wine: its browser never loads a document, so no DHTML event
// ever arrives. Written against the documented IHTMLElement / IHTMLStyle calls.

const DHtmlEventMapEntry* CDHtmDlgEx::GetDHtmlEventMap() const {
    static const DHtmlEventMapEntry map[] = {
        {DHtmlMatchKind::Class, DISPID(DISPID_HTMLDOCUMENTEVENTS2_ONMOUSEOUT), L"button",
         DHtmlHandler(&CDHtmDlgEx::OnButtonMouseOut)},
        {DHtmlMatchKind::Class, DISPID(DISPID_HTMLDOCUMENTEVENTS2_ONMOUSEOVER), L"button",
         DHtmlHandler(&CDHtmDlgEx::OnButtonMouseOver)},
        {DHtmlMatchKind::Class, DISPID(DISPID_HTMLDOCUMENTEVENTS2_ONMOUSEDOWN), L"button",
         DHtmlHandler(&CDHtmDlgEx::OnButtonMouseDown)},
        {DHtmlMatchKind::Class, DISPID(DISPID_HTMLDOCUMENTEVENTS2_ONMOUSEUP), L"button",
         DHtmlHandler(&CDHtmDlgEx::OnButtonMouseUp)},
        {DHtmlMatchKind::Tag, DISPID(DISPID_HTMLDOCUMENTEVENTS2_ONMOUSEDOWN), L"body", DHtmlHandler(&CDHtmDlgEx::OnDragMouseDown)},
        {DHtmlMatchKind::Tag, DISPID(DISPID_HTMLDOCUMENTEVENTS2_ONMOUSEDOWN), L"td", DHtmlHandler(&CDHtmDlgEx::OnDragMouseDown)},
        {DHtmlMatchKind::Tag, DISPID(DISPID_HTMLDOCUMENTEVENTS2_ONMOUSEDOWN), L"div", DHtmlHandler(&CDHtmDlgEx::OnDragMouseDown)},
        {DHtmlMatchKind::Tag, DISPID(DISPID_HTMLDOCUMENTEVENTS2_ONMOUSEUP), L"body", DHtmlHandler(&CDHtmDlgEx::OnDragMouseUp)},
        {DHtmlMatchKind::Tag, DISPID(DISPID_HTMLDOCUMENTEVENTS2_ONMOUSEUP), L"td", DHtmlHandler(&CDHtmDlgEx::OnDragMouseUp)},
        {DHtmlMatchKind::Tag, DISPID(DISPID_HTMLDOCUMENTEVENTS2_ONMOUSEUP), L"div", DHtmlHandler(&CDHtmDlgEx::OnDragMouseUp)},
        {DHtmlMatchKind::Tag, DISPID(DISPID_HTMLDOCUMENTEVENTS2_ONMOUSEMOVE), L"body", DHtmlHandler(&CDHtmDlgEx::OnDragMouseMove)},
        {DHtmlMatchKind::Tag, DISPID(DISPID_HTMLDOCUMENTEVENTS2_ONMOUSEMOVE), L"td", DHtmlHandler(&CDHtmDlgEx::OnDragMouseMove)},
        {DHtmlMatchKind::Tag, DISPID(DISPID_HTMLDOCUMENTEVENTS2_ONMOUSEMOVE), L"div", DHtmlHandler(&CDHtmDlgEx::OnDragMouseMove)},
        {DHtmlMatchKind::Tag, DISPID(DISPID_HTMLDOCUMENTEVENTS2_ONSELECTSTART), L"body", DHtmlHandler(&CDHtmDlgEx::OnSelectStart)},
        {DHtmlMatchKind::Tag, DISPID(DISPID_HTMLDOCUMENTEVENTS2_ONSELECTSTART), L"td", DHtmlHandler(&CDHtmDlgEx::OnSelectStart)},
        {DHtmlMatchKind::Tag, DISPID(DISPID_HTMLDOCUMENTEVENTS2_ONSELECTSTART), L"div", DHtmlHandler(&CDHtmDlgEx::OnSelectStart)},
        {DHtmlMatchKind::Tag, 0, nullptr, nullptr},
    };
    return map;
}

bool CDHtmDlgEx::HoldsCapture() const { return m_hWnd && ::GetCapture() == m_hWnd; }

bool CDHtmDlgEx::IsElementDisabled(IHTMLElement* element) {
    if (!element) return false;
    BSTR name = ::SysAllocString(L"disabled");
    if (!name) return false;
    VARIANT value;
    ::VariantInit(&value);
    bool disabled = SUCCEEDED(element->getAttribute(name, 0, &value)) && V_VT(&value) == VT_BOOL &&
                    V_BOOL(&value) == VARIANT_TRUE;
    ::VariantClear(&value);
    ::SysFreeString(name);
    return disabled;
}

void CDHtmDlgEx::ShowButtonState(IHTMLElement* element, ButtonState state) {
    if (!element) return;
    long width = 0;
    if (FAILED(element->get_offsetWidth(&width))) return;
    fw::ComPtr<IHTMLStyle> style;
    if (FAILED(element->get_style(style.Put())) || !style) return;
    VARIANT x;
    ::VariantInit(&x);
    V_VT(&x) = VT_I4;
    V_I4(&x) = -width * static_cast<long>(state);
    style->put_backgroundPositionX(x);
}

void CDHtmDlgEx::ReleasePressedElement() {
    if (m_pPressedElement) {
        m_pPressedElement->Release();
        m_pPressedElement = nullptr;
    }
}

HRESULT CDHtmDlgEx::OnButtonMouseOut(IHTMLElement* element) {
    if (!HoldsCapture()) ShowButtonState(element, kNormal);
    return S_FALSE;
}

HRESULT CDHtmDlgEx::OnButtonMouseOver(IHTMLElement* element) {
    if (!HoldsCapture() && !IsElementDisabled(element)) ShowButtonState(element, kHover);
    return S_FALSE;
}

HRESULT CDHtmDlgEx::OnButtonMouseDown(IHTMLElement* element) {
    if (!element || IsElementDisabled(element)) return S_FALSE;
    ReleasePressedElement();
    element->AddRef();
    m_pPressedElement = element;
    ::SetCapture(m_hWnd);
    ShowButtonState(element, kPressed);
    return S_FALSE;
}

HRESULT CDHtmDlgEx::OnButtonMouseUp(IHTMLElement* element) {
    if (!element) return S_FALSE;
    if (!HoldsCapture() && !IsElementDisabled(element)) ShowButtonState(element, kHover);
    element->click();
    return S_FALSE;
}

void CDHtmDlgEx::SendCaptionMessage(UINT msg) {
    POINT pt{};
    ::GetCursorPos(&pt);
    ::SendMessageW(m_hWnd, msg, HTCAPTION, MAKELPARAM(pt.x, pt.y));
}

HRESULT CDHtmDlgEx::OnDragMouseDown(IHTMLElement*) {
    SendCaptionMessage(WM_NCLBUTTONDOWN);
    return S_FALSE;
}

HRESULT CDHtmDlgEx::OnDragMouseUp(IHTMLElement*) {
    SendCaptionMessage(WM_NCLBUTTONUP);
    return S_FALSE;
}

HRESULT CDHtmDlgEx::OnDragMouseMove(IHTMLElement*) {
    SendCaptionMessage(WM_NCMOUSEMOVE);
    return S_FALSE;
}

HRESULT CDHtmDlgEx::OnSelectStart(IHTMLElement*) {
    return S_FALSE;  // the result itself cancels the selection
}

LRESULT CDHtmDlgEx::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if ((msg == WM_LBUTTONUP || msg == WM_RBUTTONUP) && HoldsCapture()) {
        ::ReleaseCapture();
        if (IHTMLElement* element = m_pPressedElement) {
            long left = 0, top = 0, width = 0, height = 0;
            element->get_offsetLeft(&left);
            element->get_offsetTop(&top);
            element->get_offsetWidth(&width);
            element->get_offsetHeight(&height);
            RECT rc{left, top, left + width, top + height};
            POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            // Keep the element alive through click(), which may run page script.
            element->AddRef();
            if (::PtInRect(&rc, pt)) {
                ShowButtonState(element, kHover);
                element->click();
            } else {
                ShowButtonState(element, kNormal);
            }
            element->Release();
        }
        ReleasePressedElement();
        return 0;
    }
    return CDHtmlDialog::WindowProc(msg, wParam, lParam);
}
