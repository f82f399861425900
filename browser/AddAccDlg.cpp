#include "browser/AddAccDlg.h"

#include "framework/Handles.h"
#include "mainwnd/Messages.h"
#include "res/resource.h"
#include "skin/SkinImage.h"

CAddAccDlg::CAddAccDlg() : CDlgEx(IDD_ADDACC_DIALOG, nullptr) {}

CAddAccDlg::~CAddAccDlg() = default;

void CAddAccDlg::DoDataExchange() {
    m_btnYes.SubclassDlgItem(IDOK, m_hWnd);
    m_btnNo.SubclassDlgItem(IDCANCEL, m_hWnd);
    m_lblQuestion.SubclassDlgItem(IDC_ADDACC_QUESTION, m_hWnd);
}

BOOL CAddAccDlg::OnInitDialog() {
    CDlgEx::OnInitDialog();
    SetCaptionLayout(30, 3, 5, 1, 0);
    SetTitle(L"登录其他账号");
    HINSTANCE inst = ::GetModuleHandleW(nullptr);
    // Fitted to its background, with no system buttons: a click elsewhere closes it.
    SetSkin(LoadSkinBitmap(inst, IDB_ADDACC_BK), TRUE, FALSE, nullptr, nullptr, nullptr, nullptr);
    fw::Bitmap button(LoadSkinBitmap(inst, IDB_PUSHBUTTON));
    m_btnYes.SetImage(button.Get(), TRUE);
    m_btnNo.SetImage(button.Get(), TRUE);
    m_lblQuestion.m_nLineSpacing = 5;
    return TRUE;
}

void CAddAccDlg::Answer(WPARAM where) {
    ::PostMessageW(::GetWindow(m_hWnd, GW_OWNER), UM_ADD_LOGIN, where, 0);
    ShowWindow(SW_HIDE);
}

BOOL CAddAccDlg::PreTranslateMessage(MSG* msg) {
    // Escape would come back as "否" and start a whole new game window; it
    // only dismisses the question, as a click elsewhere does.
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE) {
        ShowWindow(SW_HIDE);
        return TRUE;
    }
    return CDlgEx::PreTranslateMessage(msg);
}

LRESULT CAddAccDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_ACTIVATE: {
        LRESULT result = CDlgEx::WindowProc(msg, wParam, lParam);
        if (LOWORD(wParam) == WA_INACTIVE) ShowWindow(SW_HIDE);
        return result;
    }
    case WM_NCHITTEST:
        return HTCLIENT;  // no dragging
    case WM_CLOSE:
        // Alt+F4 would come back as "否" too.
        ShowWindow(SW_HIDE);
        return 0;
    }
    return CDlgEx::WindowProc(msg, wParam, lParam);
}
