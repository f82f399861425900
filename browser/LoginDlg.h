// CLoginDlg: the page dialog of the login. It shows the platform's login page
// in a popup above the login background (CLoginBkDlg), with the colour
// RGB(254,254,254) keyed out so that the page's own background is see-through,
// and acts on the login page's commands: loadgame (register the account with
// the main window and hand the game address on), exitgame and minimize.
#pragma once

#include <string>

#include "browser/DHtmDlgEx.h"

class CLoginDlg : public CDHtmDlgEx {
public:
    explicit CLoginDlg(const std::wstring& strUrl);
    ~CLoginDlg() override;

    // Escape and F5 do nothing in the login window.
    BOOL PreTranslateMessage(MSG* msg) override;

    // Whether user account control is in force (checked each time it is needed).
    static bool IsUserAccountControlOn();

    std::wstring m_strUrl;

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

    // The login page leaves for the QQ or Sina Weibo login. The external-account
    // window belongs here; until it exists the page just stays where it is.
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
