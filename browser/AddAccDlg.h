// CAddAccDlg: the add-account choice, a popup of the main game window under
// its "登录其他账号" link. It asks whether the next account logs in as a new
// tab of this window ("是") or in a new window ("否"), tells the main window
// with UM_ADD_LOGIN and hides; clicking anywhere else dismisses it without
// an answer. The main window creates, places and shows it.
#pragma once

#include <windows.h>

#include "skin/BtnEx.h"
#include "skin/DlgEx.h"
#include "skin/StaticEx.h"

class CAddAccDlg : public CDlgEx {
public:
    CAddAccDlg();
    ~CAddAccDlg() override;

    BOOL PreTranslateMessage(MSG* msg) override;

    CBtnEx m_btnYes;     // IDOK, "是"
    CBtnEx m_btnNo;      // IDCANCEL, "否"
    CStaticEx m_lblQuestion;

protected:
    void DoDataExchange() override;
    BOOL OnInitDialog() override;
    // The answers: wParam 1 for "是", 0 for "否".
    void OnOK() override { Answer(1); }
    void OnCancel() override { Answer(0); }
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void Answer(WPARAM where);
};
