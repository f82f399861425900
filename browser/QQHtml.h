// CQQHtml: the browser of the external-account login window (CQQLogin). A
// plain CDHtmlDialog with the framework's own control site, so none of the
// login page's behaviour: the whole OAuth exchange with QQ or Sina Weibo runs
// here, and the window closes (hides, with its frame) once the platform's
// callback page has set the login cookie "Pauth".
//
// It shows its address anew every time it is shown or hidden; while hidden,
// QQ Connect's authorization page is not let through. Two timers: timer 2
// (130 ms, for the window's whole life) closes the browser's own HTML dialog
// windows, timer 1 (10 ms, after a login) removes one dialog box owned by
// this window, examining one top-level dialog per tick.
#pragma once

#include <string>

#include "framework/HtmlDialog.h"

class CQQHtml : public CDHtmlDialog {
public:
    CQQHtml();
    ~CQQHtml() override;

    // Enter and Escape do nothing here.
    BOOL PreTranslateMessage(MSG* msg) override;

    // The redirect address to show; set before the frame is first shown.
    std::wstring m_strUrl;

    static constexpr UINT_PTR kOwnedDialogTimer = 1;
    static constexpr UINT kOwnedDialogMs = 10;
    static constexpr UINT_PTR kHtmlDialogTimer = 2;
    static constexpr UINT kHtmlDialogMs = 130;

protected:
    BOOL OnInitDialog() override;
    // Closing only hides the window: it stays until its frame goes.
    void OnOK() override;
    void OnCancel() override;
    void OnBeforeNavigate2(IDispatch* frame, const std::wstring& url, bool& cancel) override;
    void OnNavigateComplete(IDispatch* frame, const std::wstring& url) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    LRESULT OnShowWindow(WPARAM wParam, LPARAM lParam);
    LRESULT OnTimer(UINT_PTR id);
    // Whether the platform's login cookie is set for `url`.
    static bool HasLoginCookie(const std::wstring& url);
    // Posts WM_CLOSE to every browser HTML dialog window of this process.
    static void CloseOwnHtmlDialogs();
    void RemoveOwnedDialogStep();

    // Where timer 1's search of the top-level dialogs continues (process-wide).
    static HWND s_hLastDialog;
};
