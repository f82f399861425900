// CQQLogin: the external-account login window, a skinned frame (caption,
// close button) for QQ or Sina Weibo login. Its browser (CQQHtml) is a popup
// of its own, kept exactly over the frame's client area below the caption.
// The login page dialog (CLoginDlg) owns it and makes one per redirect link.
#pragma once

#include "browser/QQHtml.h"
#include "skin/DlgEx.h"

class CQQLogin : public CDlgEx {
public:
    CQQLogin();
    ~CQQLogin() override;

    // Enter and Escape do nothing here.
    BOOL PreTranslateMessage(MSG* msg) override;

    // Centres the window on the desktop.
    void CenterOnDesktop();

    // The browser; its window is made when the frame is first shown.
    CQQHtml m_html;

    static constexpr int kWidth = 740;
    static constexpr int kHeight = 480;

protected:
    BOOL OnInitDialog() override;
    // The close button ends here: both windows go, the object stays its owner's.
    void OnCancel() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    LRESULT OnShowWindow(WPARAM wParam, LPARAM lParam);
    LRESULT OnWindowPosChanged(WPARAM wParam, LPARAM lParam);
    // Moves the browser over the client area below the caption.
    void GlueBrowser();
};
