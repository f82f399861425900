// CLoginDlg: the page dialog of the login. It shows the platform's login page
// in a popup above the login background (CLoginBkDlg), with the colour
// RGB(254,254,254) keyed out so that the page's own background is see-through,
// and acts on the login page's commands: loadgame (register the account with
// the main window and hand the game address on), exitgame and minimize. A
// link to the QQ or Sina Weibo login opens the external-account window
// (CQQLogin) instead, one at a time.
#pragma once

#include <memory>
#include <string>

#include "browser/DHtmDlgEx.h"

class CQQLogin;

class CLoginDlg : public CDHtmDlgEx {
public:
    explicit CLoginDlg(const std::wstring& strUrl);
    ~CLoginDlg() override;

    // Escape and F5 do nothing in the login window.
    BOOL PreTranslateMessage(MSG* msg) override;

    // Whether user account control is in force (checked each time it is needed).
    static bool IsUserAccountControlOn();

    std::wstring m_strUrl;
    // The external-account window, made anew for every redirect link; its
    // windows go with this dialog's (it is their owner).
    std::unique_ptr<CQQLogin> m_pQQLogin;

protected:
    BOOL OnInitDialog() override;
    // Replaces the navigation filter: the login page's commands are acted on here.
    void OnBeforeNavigate2(IDispatch* frame, const std::wstring& url, bool& cancel) override;
    // The dialog shows itself once a page has loaded.
    void OnNavigateComplete(IDispatch* frame, const std::wstring& url) override;
    // Dragging only: no image buttons, no selection blocking.
    const DHtmlEventMapEntry* GetDHtmlEventMap() const override;

    HRESULT OnLoginMouseDown(IHTMLElement* element);
    HRESULT OnLoginMouseUp(IHTMLElement* element);
    HRESULT OnLoginMouseMove(IHTMLElement* element);

    // The login page leaves for the QQ or Sina Weibo login: the redirect is
    // shown in an external-account window of its own, replacing an earlier one.
    virtual void OpenExternalLogin(const std::wstring& url);

private:
    void OnLoadGame(const std::wstring& url);
    void OnMinimize();
    // Ends the login (the modal background dialog) with `result`.
    void EndParent(INT_PTR result);
    // Sends a caption message to the background for the cursor position,
    // unless that lies on one of the page's own controls.
    void DragParent(UINT msg);
};
