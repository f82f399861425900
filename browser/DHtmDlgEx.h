// CDHtmDlgEx: a borderless browser dialog that makes a web page behave like a
// skinned application window: the page's background drags the window,
// elements of class "button" are three-state image buttons, there is no text
// selection, context menu or script error box, "app:" addresses (page
// commands) never reach the browser, and failed navigations show no error
// page. Derived dialogs act on the page commands.
//
// CMyBrowserControlSite: the IDocHostShowUI part of the control site, through
// which the page's message boxes and help requests reach the dialog.
#pragma once

#include "framework/HtmlDialog.h"

class CDHtmDlgEx;

class CMyBrowserControlSite final : public IDocHostShowUI {
public:
    // `site` is the framework's control site, whose identity this part shares.
    CMyBrowserControlSite(IUnknown* site, CDHtmDlgEx* owner);
    // The owner is going: later calls are suppressed.
    void Detach() { m_pOwner = nullptr; }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // The owner's OnShowMessage / OnShowHelp; S_OK (nothing shown) without one.
    STDMETHODIMP ShowMessage(HWND hwnd, LPOLESTR lpstrText, LPOLESTR lpstrCaption, DWORD dwType,
                             LPOLESTR lpstrHelpFile, DWORD dwHelpContext, LRESULT* plResult) override;
    STDMETHODIMP ShowHelp(HWND hwnd, LPOLESTR pszHelpFile, UINT uCommand, DWORD dwData, POINT ptMouse,
                          IDispatch* pDispatchObjectHit) override;

private:
    ~CMyBrowserControlSite();
    IUnknown* m_pSite;  // one reference held
    CDHtmDlgEx* m_pOwner;
    ULONG m_nRefs = 1;
};

class CDHtmDlgEx : public CDHtmlDialog {
public:
    explicit CDHtmDlgEx(UINT templateId, HWND parent = nullptr);
    ~CDHtmDlgEx() override;

    // The "button" element pressed with the left button, holding the mouse
    // capture; one reference held. nullptr when none.
    IHTMLElement* m_pPressedElement = nullptr;

    // The browser does not show its own error page: the navigation is cancelled.
    void OnNavigateError(IDispatch* frame, const std::wstring& url, const std::wstring& targetFrame, LONG status,
                         bool& cancel) override;
    // The page's message box and help. S_FALSE: the browser shows its standard one.
    HRESULT OnShowMessage(HWND hwnd, LPOLESTR text, LPOLESTR caption, DWORD type, LPOLESTR helpFile,
                          DWORD helpContext, LRESULT* result) override;
    HRESULT OnShowHelp(HWND hwnd, LPOLESTR helpFile, UINT command, DWORD data, POINT ptMouse,
                       IDispatch* objectHit) override;

protected:
    // The browser is silent (no script error dialogs).
    BOOL OnInitDialog() override;
    // Enter does not close the dialog.
    void OnOK() override {}
    // Finishes a button press when the mouse is released while captured.
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // The navigation filter: "app:" is cancelled, "javascript" never is.
    void OnBeforeNavigate2(IDispatch* frame, const std::wstring& url, bool& cancel) override;
    // Scroll bars of the page's body only where needed.
    void OnNavigateComplete(IDispatch* frame, const std::wstring& url) override;
    HRESULT GetHostInfo(DOCHOSTUIINFO* info) override;
    // No context menu.
    HRESULT ShowContextMenu(DWORD id, POINT* pt, IUnknown* cmdTarget, IDispatch* object) override;
    HRESULT QuerySiteInterface(IUnknown* site, REFIID riid, void** ppv) override;
    const DHtmlEventMapEntry* GetDHtmlEventMap() const override;

    // The DHTML handlers.
    HRESULT OnButtonMouseOut(IHTMLElement* element);
    HRESULT OnButtonMouseOver(IHTMLElement* element);
    HRESULT OnButtonMouseDown(IHTMLElement* element);
    HRESULT OnButtonMouseUp(IHTMLElement* element);
    HRESULT OnDragMouseDown(IHTMLElement* element);
    HRESULT OnDragMouseUp(IHTMLElement* element);
    HRESULT OnDragMouseMove(IHTMLElement* element);
    HRESULT OnSelectStart(IHTMLElement* element);

    // Image-strip offsets of a "button" element: 0, 1 or 2 element widths.
    enum ButtonState { kNormal = 0, kHover = 1, kPressed = 2 };
    static void ShowButtonState(IHTMLElement* element, ButtonState state);
    static bool IsElementDisabled(IHTMLElement* element);
    bool HoldsCapture() const;

private:
    void ReleasePressedElement();
    // Sends a caption message for the cursor's screen position to this window.
    void SendCaptionMessage(UINT msg);

    CMyBrowserControlSite* m_pShowUI = nullptr;  // one reference held
};
